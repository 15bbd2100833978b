// A wait-for-all group: work items enter before they start and leave when done; wait() returns
// once every entered item has left.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace tavrel::logging {

class DispatchGroup {
public:
    /// Counts one more unfinished item.
    void enter();
    /// Marks one item finished; wakes the waiter when it was the last.
    void leave();
    /// Returns when no item is unfinished. Spins briefly first, since the items the logging
    /// queue waits for usually end within microseconds.
    void wait();

private:
    std::mutex mutex_;
    std::condition_variable allLeft_;
    std::atomic<std::size_t> outstanding_{0}; // changed under the lock, spun on without it
};

} // namespace tavrel::logging
