// The line format of log files: UTC "yyyy/MM/dd HH:mm:ss:SSS", two spaces, the message.
#pragma once

#include "logging/LogFormatter.hpp"
#include "logging/detail/LogFileTimestamp.hpp"

#include <array>
#include <optional>
#include <string>

namespace tavrel::logging {

class LogFileFormatterDefault final : public LogFormatter {
public:
    /// The record's line without its line feed. Keeps a per-second cache: one thread at a time.
    std::optional<std::string> formatLogMessage(const LogMessage& message) override;

    /// Appends the same text to `line`; allocates only when `line` must grow.
    void appendFormatted(const LogMessage& message, std::string& line);

private:
    // The text of one whole second, kept because consecutive lines usually share it.
    long long cachedSecond_ = 0;
    bool cacheValid_ = false;
    std::size_t cachedLength_ = 0;
    std::array<char, LogFileTimestamp::kMaximumLength> cachedText_{};
};

} // namespace tavrel::logging
