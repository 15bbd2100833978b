// The terminal logger: every line to standard error, prefixed with local time, process name,
// process id and thread id.
#pragma once

#include "logging/AbstractLogger.hpp"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace tavrel::logging {

class TTYLogger final : public AbstractLogger {
public:
    /// The single terminal logger of the process, made on first request. Making it writes one
    /// warning to the platform's system log.
    static std::shared_ptr<TTYLogger> sharedInstance();

    /// A terminal logger with a given identity and output, for tests and tools; the program
    /// uses sharedInstance(). An empty process name is written as "<UnnamedApp>".
    static std::shared_ptr<TTYLogger> make(std::string processName, int processID,
                                           int fileDescriptor);

    /// Writes the record as one line with one write. Called on the logger's queue.
    void logMessage(const LogMessage& message) override;

    [[nodiscard]] const std::string& appName() const noexcept { return appName_; }
    [[nodiscard]] const std::string& processID() const noexcept { return processID_; }

private:
    TTYLogger(std::string processName, int processID, int fileDescriptor);

    /// Formats the local timestamp into `buffer` (at least 24 bytes); returns its length (<= 23).
    std::size_t formatTimestamp(LogMessage::Clock::time_point timestamp, char* buffer);

    std::string appName_;
    std::string processID_;
    int fileDescriptor_;

    // The local date and time of one whole second, kept because consecutive lines share it.
    long long cachedSecond_ = 0;
    std::size_t cachedLength_ = 0;
    char cachedPrefix_[24] = {};
    bool cacheValid_ = false;
};

} // namespace tavrel::logging
