// Terminals on Linux: isatty(3) on the stream's descriptor.
#include "platform/Terminal.hpp"

#include <unistd.h>

namespace tavrel::platform {

bool isTerminal(StandardStream stream) noexcept {
    const int descriptor = stream == StandardStream::input    ? STDIN_FILENO
                           : stream == StandardStream::output ? STDOUT_FILENO
                                                              : STDERR_FILENO;
    return isatty(descriptor) == 1;
}

} // namespace tavrel::platform
