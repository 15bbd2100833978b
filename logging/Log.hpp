// The log calls every part of the program makes: logError, logWarning, logInfo, logDebug.
//
//   logInfo("removeApp(path:)", "done");
//   logError("removeApp(path:)", [&] { return error.description(); }); // built only if it passes
//
// The function is the caller's name in signature form, a literal; file and line come from the
// call site.
#pragma once

#include "logging/LogFlag.hpp"
#include "logging/LogText.hpp"
#include "logging/SourceLocation.hpp"

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace tavrel::logging {

/// Tested at every log call before the message is built. Starts at all; the program never
/// changes it (tests may).
inline std::atomic<LogLevel> runtimeLogLevel{log_levels::kAll};
/// The asynchronous argument of every non-error log call. Starts true.
inline std::atomic<bool> logAsynchronously{true};

namespace detail {

/// Takes the shared dispatcher; true when a line of this flag passes runtimeLogLevel.
bool shouldLog(LogFlag flag) noexcept;

/// Makes the record and hands it to the shared dispatcher.
void submit(LogFlag flag, bool asynchronous, std::string&& message, FunctionName function,
            const SourceLocation& location) noexcept;

template <class Message>
void logCall(LogFlag flag, bool asynchronous, FunctionName function, Message&& message,
             const SourceLocation& location) noexcept {
    if (!shouldLog(flag)) {
        return;
    }
    try {
        if constexpr (std::is_invocable_v<Message>) {
            submit(flag, asynchronous, std::string(std::invoke(std::forward<Message>(message))),
                   function, location);
        } else {
            submit(flag, asynchronous, std::string(std::forward<Message>(message)), function,
                   location);
        }
    } catch (...) {
        // A log call never fails; a message that cannot be built is dropped.
    }
}

} // namespace detail

/// Writes an error line; returns after every logger that accepts it has written it.
template <class Message>
void logError(FunctionName function, Message&& message,
              SourceLocation location = SourceLocation::current()) noexcept {
    detail::logCall(LogFlag::error, false, function, std::forward<Message>(message), location);
}

/// Writes a warning line, asynchronously.
template <class Message>
void logWarning(FunctionName function, Message&& message,
                SourceLocation location = SourceLocation::current()) noexcept {
    detail::logCall(LogFlag::warning, logAsynchronously.load(std::memory_order_relaxed), function,
                    std::forward<Message>(message), location);
}

/// Writes an info line, asynchronously.
template <class Message>
void logInfo(FunctionName function, Message&& message,
             SourceLocation location = SourceLocation::current()) noexcept {
    detail::logCall(LogFlag::info, logAsynchronously.load(std::memory_order_relaxed), function,
                    std::forward<Message>(message), location);
}

/// Writes a debug line, asynchronously.
template <class Message>
void logDebug(FunctionName function, Message&& message,
              SourceLocation location = SourceLocation::current()) noexcept {
    detail::logCall(LogFlag::debug, logAsynchronously.load(std::memory_order_relaxed), function,
                    std::forward<Message>(message), location);
}

} // namespace tavrel::logging
