// System log on Linux: syslog(3), and "name[pid:tid] message" on standard error.
#include "platform/RepeatFilter.hpp"
#include "platform/SystemLog.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <sys/uio.h>
#include <syslog.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {

void writeToTerminal(std::string_view message) noexcept {
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
    // One gathering write keeps the line whole among other writers of standard error; a failed
    // write has nowhere to be reported (and a cast to void does not quiet the fortified libc).
    [[maybe_unused]] const ssize_t written =
        writev(STDERR_FILENO, pieces.data(), static_cast<int>(pieces.size()));
}

struct TerminalCopies {
    std::mutex mutex;
    RepeatFilter filter;
};

TerminalCopies& terminalCopies() {
    // Never destroyed: other threads may still report while the process exits.
    static auto* copies = [] {
        auto* made = new TerminalCopies();
        std::atexit([] {
            TerminalCopies& self = terminalCopies();
            const std::lock_guard lock(self.mutex);
            for (const std::string& note : self.filter.finish()) {
                writeToTerminal(note);
            }
        });
        return made;
    }();
    return *copies;
}

} // namespace

void systemLog(std::string_view message) noexcept {
    try {
        const std::string text(message);
        syslog(LOG_USER | LOG_NOTICE, "%s", text.c_str());
        TerminalCopies& copies = terminalCopies();
        const std::lock_guard lock(copies.mutex);
        if (const auto copy = copies.filter.pass(message, RepeatFilter::Clock::now())) {
            writeToTerminal(*copy);
        }
    } catch (...) {
        // Reporting a failure must never fail in turn.
    }
}

} // namespace tavrel::platform
