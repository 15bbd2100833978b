// The user's login name from the password database.
#include "platform/UserAccount.hpp"

#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace tavrel::platform {

std::string userName() {
    const long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr || found->pw_name[0] == '\0') {
        return std::to_string(getuid());
    }
    return found->pw_name;
}

bool isSuperuser() noexcept {
    return geteuid() == 0;
}

} // namespace tavrel::platform
