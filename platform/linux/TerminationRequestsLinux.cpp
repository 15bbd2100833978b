// Termination requests on Linux: the signals' handler writes a byte into a pipe (the self-pipe
// pattern; write(2) is async-signal-safe). Handlers fall back to the default in programs this one
// starts, and the pipe is closed in them.
#include "platform/TerminationRequests.hpp"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {

volatile std::sig_atomic_t gWriteEnd = -1; // NOLINT: a signal handler can reach only globals

void onRequest(int /*signal*/) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a request.
    (void)!write(gWriteEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

int TerminationRequests::watch() noexcept {
    std::array<int, 2> ends{-1, -1};
    if (pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return -1;
    }
    gWriteEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = onRequest; // NOLINT(cppcoreguidelines-pro-type-union-access)
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        (void)sigaction(signal, &action, nullptr);
    }
    return ends[0];
}

void TerminationRequests::acknowledge(int descriptor) noexcept {
    std::array<char, 64> drained{};
    while (read(descriptor, drained.data(), drained.size()) > 0) {
    }
}

} // namespace tavrel::platform
