// Log calls: the record is made on the calling thread and handed to the shared dispatcher.
#include "logging/Log.hpp"

#include <memory>

#include "logging/LogDispatcher.hpp"
#include "logging/LogMessage.hpp"

namespace tavrel::logging::detail {

namespace {
constexpr unsigned kOwnFileAndFunction = LogMessage::kCopyFile | LogMessage::kCopyFunction;
}

bool shouldLog(LogFlag flag) noexcept {
    (void)LogDispatcher::sharedInstance();
    return passes(flag, runtimeLogLevel.load(std::memory_order_relaxed));
}

void submit(LogFlag flag, bool asynchronous, std::string&& message, std::string_view function,
            const std::source_location& location) noexcept {
    try {
        auto record = std::make_unique<LogMessage>(
            std::move(message), LogLevels::all, flag, 0, location.file_name(),
            std::string(function), location.line(), nullptr, kOwnFileAndFunction, std::nullopt);
        LogDispatcher::sharedInstance().log(asynchronous, std::move(record));
    } catch (...) {
        // Out of memory: the line is lost, the caller goes on.
    }
}

} // namespace tavrel::logging::detail
