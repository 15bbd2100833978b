// Process name and identifier on Linux: the short invocation name, as the C library keeps it.
#include "platform/ProcessName.hpp"

#include <cerrno>
#include <unistd.h>

namespace tavrel::platform {

std::string processName() {
    const char* name = program_invocation_short_name;
    return name != nullptr ? std::string(name) : std::string();
}

int processIdentifier() noexcept {
    return static_cast<int>(getpid());
}

} // namespace tavrel::platform
