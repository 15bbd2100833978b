// Home folder from the environment or the password database.
#include "platform/HomeFolder.hpp"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace tavrel::platform {

std::string homeFolder() {
    // The environment is read-only in this program after start-up, so getenv is safe here.
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') { // NOLINT
        return home;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return "/";
}

} // namespace tavrel::platform
