// The protocol of a logger: what the dispatcher calls, and the optional parts it asks for.
#pragma once

#include "logging/LogMessage.hpp"

#include <optional>
#include <string>

namespace tavrel::logging {

class SerialQueue;

class LoggerInterface {
public:
    virtual ~LoggerInterface() = default;

    /// Writes one record. Always called on the logger's queue.
    virtual void logMessage(const LogMessage& message) = 0;

    /// The serial queue the logger wants to be called on, or none to let the dispatcher make one.
    virtual SerialQueue* loggerQueue() { return nullptr; }

    /// A name for the logger, used as the label of a queue made for it; none when it has none.
    [[nodiscard]] virtual std::optional<std::string> loggerName() const { return std::nullopt; }

    /// Whether the logger offers flush().
    [[nodiscard]] virtual bool offersFlush() const { return false; }

    /// Writes out anything buffered. Called on the logger's queue, only when offersFlush().
    virtual void flush() {}

protected:
    LoggerInterface() = default;
    LoggerInterface(const LoggerInterface&) = default;
    LoggerInterface& operator=(const LoggerInterface&) = default;
};

} // namespace tavrel::logging
