// UTC timestamps of log files, formatted and read by hand: the file-name form
// "2024-05-31--22-04-09-517" and the line form "2024/05/31 22:04:09:517".
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel::logging {

class LogFileTimestamp {
public:
    using Clock = std::chrono::system_clock;

    /// Longest text either form can take (years beyond 9999 take more than four digits).
    static constexpr std::size_t kMaximumLength = 40;

    /// The file-name form "yyyy-MM-dd--HH-mm-ss-SSS" of the time, in UTC.
    static std::string fileNameText(Clock::time_point time);

    /// Reads the file-name form; none unless the whole text is exactly that form with a valid
    /// date and time.
    static std::optional<Clock::time_point> parseFileNameText(std::string_view text);

    /// The timestamp a log file's name carries: the name's last space-separated piece with
    /// every ".log" taken out, read in the file-name form; none when it does not read.
    static std::optional<Clock::time_point> fromLogFileName(std::string_view fileName);

    /// Writes the line form "yyyy/MM/dd HH:mm:ss" of the whole second `second` (seconds since
    /// the epoch, UTC) into `out` (at least kMaximumLength bytes); returns the length.
    static std::size_t writeLineSecond(long long second, char* out) noexcept;

    /// Writes ":SSS", the milliseconds of the line form, into `out` (4 bytes).
    static void writeLineMilliseconds(unsigned milliseconds, char* out) noexcept;
};

} // namespace tavrel::logging
