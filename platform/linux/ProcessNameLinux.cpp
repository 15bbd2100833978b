// Process name on Linux: the short invocation name, as the C library keeps it.
#include "platform/ProcessName.hpp"

#include <cerrno>

namespace tavrel::platform {

std::string processName() {
    const char* name = program_invocation_short_name;
    return name != nullptr ? std::string(name) : std::string();
}

} // namespace tavrel::platform
