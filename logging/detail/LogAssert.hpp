// Our assertion: programming errors of the logging subsystem stop a debug build with their
// message; release builds compile the check out.
#pragma once

#include <string_view>

namespace tavrel::logging {

/// Reports the message through the system log and aborts.
[[noreturn]] void assertionFailed(std::string_view message, const char* file, int line) noexcept;

} // namespace tavrel::logging

#ifdef NDEBUG
#define TAVREL_ASSERT(condition, message) static_cast<void>(0)
#else
#define TAVREL_ASSERT(condition, message)                                                          \
    ((condition) ? static_cast<void>(0)                                                            \
                 : ::tavrel::logging::assertionFailed((message), __FILE__, __LINE__))
#endif
