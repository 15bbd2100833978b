// The platform's system log: where components report their own failures, outside the log calls.
#pragma once

#include <string_view>

namespace tavrel::platform {

/// Writes one line to the platform's system log. Never throws, never blocks on a logger of ours;
/// safe from any thread. Used for failures of the logging subsystem itself.
void systemLog(std::string_view message) noexcept;

} // namespace tavrel::platform
