// Log set-up.
#include "Source/Logger.hpp"

#include "logging/LogDispatcher.hpp"
#include "logging/TTYLogger.hpp"

namespace tavrel {

void Logger::startUp() {
    using namespace logging;
    LogDispatcher::sharedInstance().addLogger(TTYLogger::sharedInstance(), LogLevels::info);
}

} // namespace tavrel
