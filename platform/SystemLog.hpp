// The platform's system log: where components report their own failures, outside the log calls.
#pragma once

#include <string_view>

namespace tavrel::platform {

/// Writes one line to the platform's system log, which receives every line, and a copy to
/// standard error, where a line like one copied in the last second is held back and counted
/// (see RepeatFilter) so that a failure repeated at every log line cannot flood the terminal;
/// the counts still held back are written when the process exits. Never throws, never blocks on
/// a logger of ours; safe from any thread. Used for failures of the logging subsystem itself.
void systemLog(std::string_view message) noexcept;

} // namespace tavrel::platform
