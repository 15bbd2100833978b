// System log on Linux: "name[pid:tid] message" on standard error, and syslog(3).
#include "platform/SystemLog.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <sys/uio.h>
#include <syslog.h>
#include <unistd.h>

namespace tavrel::platform {

void systemLog(std::string_view message) noexcept {
    try {
        std::array<char, 64> prefix{};
        const int prefixLength =
            std::snprintf(prefix.data(), prefix.size(), "%s[%d:%d] ", program_invocation_short_name,
                          static_cast<int>(getpid()), static_cast<int>(gettid()));
        const bool endsWithNewline = !message.empty() && message.back() == '\n';
        char newline = '\n';
        std::array<iovec, 3> pieces{{
            {prefix.data(),
             std::min(static_cast<size_t>(std::max(prefixLength, 0)), prefix.size() - 1)},
            {const_cast<char*>(message.data()), message.size()},
            {&newline, endsWithNewline ? 0U : 1U},
        }};
        // One gathering write keeps the line whole among other writers of standard error.
        (void)writev(STDERR_FILENO, pieces.data(), static_cast<int>(pieces.size()));
        const std::string text(message);
        syslog(LOG_USER | LOG_NOTICE, "%s", text.c_str());
    } catch (...) {
        // Reporting a failure must never fail in turn.
    }
}

} // namespace tavrel::platform
