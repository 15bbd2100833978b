// The shared background queue of the logging subsystem: slow file work that no log line
// should wait for (pruning the log folder, syncing and closing files left behind).
#pragma once

#include "logging/detail/SerialQueue.hpp"

namespace tavrel::logging {

class BackgroundQueue {
public:
    /// The one background queue of the process, made on first use and never stopped. Work on it
    /// must never wait for the logging queue or a logger's queue. Sync on it to wait for the
    /// work queued so far.
    static SerialQueue& shared();
};

} // namespace tavrel::logging
