// Logger base.
#include "logging/AbstractLogger.hpp"

#include "logging/LogDispatcher.hpp"

namespace tavrel::logging {

AbstractLogger::AbstractLogger(std::string loggerName, std::unique_ptr<LogFormatter> formatter)
    : loggerName_(std::move(loggerName)), logFormatter_(std::move(formatter)),
      loggerQueue_(loggerName_) {}

void AbstractLogger::logMessage(const LogMessage& /*message*/) {}

bool AbstractLogger::isOnGlobalLoggingQueue() noexcept {
    return LogDispatcher::loggingQueue().isCurrent();
}

} // namespace tavrel::logging
