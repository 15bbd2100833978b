// The kind of one log line and the masks that filter lines.
#pragma once

#include <cstdint>

namespace tavrel::logging {

/// An unsigned machine word used as a mask of LogFlag bits.
using LogLevel = std::uintptr_t;

/// The kind of one log line, a single bit.
enum class LogFlag : LogLevel {
    error = 1,
    warning = 2,
    info = 4,
    debug = 8,
};

namespace log_levels {
inline constexpr LogLevel kInfo = 7;           // error, warning and info
inline constexpr LogLevel kAll = ~LogLevel{0}; // every bit
} // namespace log_levels

/// Whether a line of this flag passes the mask.
constexpr bool passes(LogFlag flag, LogLevel mask) noexcept {
    return (static_cast<LogLevel>(flag) & mask) != 0;
}

} // namespace tavrel::logging
