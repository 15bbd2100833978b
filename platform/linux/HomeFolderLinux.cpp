// Home folder from the environment or the password database.
#include "platform/HomeFolder.hpp"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavrel::platform {

namespace {

std::optional<std::string> passwordDatabaseHome() {
    const long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return std::nullopt;
    }
    return std::string(found->pw_dir);
}

} // namespace

std::optional<std::string> homeFolder() {
    // The environment is read-only in this program after start-up, so getenv is safe here.
    const char* variable = std::getenv("HOME"); // NOLINT(concurrency-mt-unsafe)
    std::optional<std::string> home = variable != nullptr && variable[0] != '\0'
                                          ? std::optional<std::string>(variable)
                                          : passwordDatabaseHome();
    if (!home || home->empty() || home->front() != '/') {
        return std::nullopt;
    }
    struct stat status {};
    if (stat(home->c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        return std::nullopt;
    }
    char resolved[PATH_MAX];
    if (realpath(home->c_str(), resolved) == nullptr || std::string_view(resolved) == "/") {
        return std::nullopt;
    }
    return home;
}

} // namespace tavrel::platform
