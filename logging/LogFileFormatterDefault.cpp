// Log file line formatter.
#include "logging/LogFileFormatterDefault.hpp"

namespace tavrel::logging {

void LogFileFormatterDefault::appendFormatted(const LogMessage& message, std::string& line) {
    using namespace std::chrono;
    const auto timestamp = message.timestamp();
    const auto whole = floor<seconds>(timestamp);
    const long long second = whole.time_since_epoch().count();
    if (!cacheValid_ || second != cachedSecond_) {
        cachedLength_ = LogFileTimestamp::writeLineSecond(second, cachedText_.data());
        cachedSecond_ = second;
        cacheValid_ = true;
    }
    const auto milliseconds =
        static_cast<unsigned>(duration_cast<std::chrono::milliseconds>(timestamp - whole).count());
    std::array<char, 6> tail{};
    LogFileTimestamp::writeLineMilliseconds(milliseconds, tail.data());
    tail[4] = ' ';
    tail[5] = ' ';
    line.append(cachedText_.data(), cachedLength_);
    line.append(tail.data(), tail.size());
    line.append(message.message());
}

std::optional<std::string> LogFileFormatterDefault::formatLogMessage(const LogMessage& message) {
    std::string line;
    appendFormatted(message, line);
    return line;
}

} // namespace tavrel::logging
