// Log calls: the record is made on the calling thread and handed to the shared dispatcher.
#include "logging/Log.hpp"

#include "logging/LogDispatcher.hpp"
#include "logging/LogMessage.hpp"

#include <memory>

namespace tavrel::logging::detail {

bool shouldLog(LogFlag flag) noexcept {
    (void)LogDispatcher::sharedInstance();
    return passes(flag, runtimeLogLevel.load(std::memory_order_relaxed));
}

void submit(LogFlag flag, bool asynchronous, std::string&& message, FunctionName function,
            const SourceLocation& location) noexcept {
    try {
        // A source location's file name has static storage: the record need not copy it.
        auto record = std::make_unique<LogMessage>(LogMessage::fromLogCall(
            std::move(message), flag, LogText::literal(location.file_name()), function,
            location.line()));
        LogDispatcher::sharedInstance().log(asynchronous, std::move(record));
    } catch (...) {
        // Out of memory: the line is lost, the caller goes on.
    }
}

} // namespace tavrel::logging::detail
