// Termination requests on Linux: the signals' handler writes the signal's number into a pipe
// (the self-pipe pattern; write(2) is async-signal-safe). Handlers fall back to the default in
// programs this one starts, and the pipe is closed in them.
#include "platform/TerminationRequests.hpp"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {

// A signal handler can reach only globals.
volatile std::sig_atomic_t gWriteEnd = -1;     // NOLINT
volatile std::sig_atomic_t gSecondEnds = 0;    // NOLINT
volatile std::sig_atomic_t gFirstReceived = 0; // NOLINT

void onRequest(int signal) {
    if (gSecondEnds != 0 && gFirstReceived != 0) {
        // Delivered when this handler returns, with the default action.
        (void)std::signal(signal, SIG_DFL);
        (void)std::raise(signal);
        return;
    }
    gFirstReceived = 1;
    const int savedErrno = errno;
    const auto byte = static_cast<char>(signal);
    // A full pipe already holds a request.
    (void)!write(gWriteEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

int TerminationRequests::watch(Second second) noexcept {
    std::array<int, 2> ends{-1, -1};
    if (pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        return -1;
    }
    gWriteEnd = ends[1];
    gSecondEnds = second == Second::endsProcess ? 1 : 0;
    struct sigaction action {};
    action.sa_handler = onRequest; // NOLINT(cppcoreguidelines-pro-type-union-access)
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        (void)sigaction(signal, &action, nullptr);
    }
    return ends[0];
}

int TerminationRequests::acknowledge(int descriptor) noexcept {
    std::array<char, 64> drained{};
    int last = 0;
    for (ssize_t count = 0; (count = read(descriptor, drained.data(), drained.size())) > 0;) {
        last = static_cast<unsigned char>(drained.at(static_cast<std::size_t>(count - 1)));
    }
    return last;
}

void TerminationRequests::endAs(int request) noexcept {
    (void)std::signal(request, SIG_DFL);
    (void)std::raise(request);
    // A request whose default is not to end the process.
    std::_Exit(128 + request);
}

} // namespace tavrel::platform
