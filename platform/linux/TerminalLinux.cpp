// Standard streams on Linux: their descriptors, isatty(3) and write(2).
#include "platform/Terminal.hpp"

#include <unistd.h>

namespace tavrel::platform {

bool isTerminal(StandardStream stream) noexcept {
    return isatty(descriptorOf(stream)) == 1;
}

int descriptorOf(StandardStream stream) noexcept {
    return stream == StandardStream::input    ? STDIN_FILENO
           : stream == StandardStream::output ? STDOUT_FILENO
                                              : STDERR_FILENO;
}

std::size_t writeOnce(int descriptor, std::string_view text) noexcept {
    const ssize_t written = ::write(descriptor, text.data(), text.size());
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}

} // namespace tavrel::platform
