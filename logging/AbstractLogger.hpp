// Base of the loggers: a formatter slot and a private serial queue labelled with the logger's name.
#pragma once

#include "logging/LogFormatter.hpp"
#include "logging/LoggerInterface.hpp"
#include "logging/detail/SerialQueue.hpp"

#include <memory>
#include <optional>
#include <string>

namespace tavrel::logging {

class AbstractLogger : public LoggerInterface {
public:
    /// Makes the private queue, labelled with `loggerName`, and keeps the formatter (may be none).
    explicit AbstractLogger(std::string loggerName,
                            std::unique_ptr<LogFormatter> formatter = nullptr);

    /// Does nothing; loggers override it.
    void logMessage(const LogMessage& message) override;

    SerialQueue* loggerQueue() override { return &loggerQueue_; }
    [[nodiscard]] std::optional<std::string> loggerName() const override { return loggerName_; }

    /// Whether the calling code runs on the dispatcher's logging queue.
    [[nodiscard]] static bool isOnGlobalLoggingQueue() noexcept;
    /// Whether the calling code runs on this logger's own queue.
    [[nodiscard]] bool isOnInternalLoggerQueue() const noexcept { return loggerQueue_.isCurrent(); }

protected:
    [[nodiscard]] LogFormatter* logFormatter() const noexcept { return logFormatter_.get(); }

private:
    std::string loggerName_;
    std::unique_ptr<LogFormatter> logFormatter_;
    // Declared last: its worker must stop before the logger's other fields go away.
    SerialQueue loggerQueue_;
};

} // namespace tavrel::logging
