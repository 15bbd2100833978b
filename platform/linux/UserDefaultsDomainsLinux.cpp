// User defaults domains on Linux, as reset-userdefaults.sh sees them: the file, folder or link
// ${XDG_CONFIG_HOME:-~/.config}/<domain>.
#include "platform/UserDefaultsDomains.hpp"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace tavrel::platform {

Result<std::vector<std::string>>
UserDefaultsDomains::present(const std::string& home, std::span<const char* const> domains) {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the script ignores it.
    const char* variable = std::getenv("XDG_CONFIG_HOME"); // NOLINT(concurrency-mt-unsafe)
    const std::string config =
        variable != nullptr && variable[0] == '/' ? std::string(variable) : home + "/.config";
    std::vector<std::string> found;
    for (const char* domain : domains) {
        const std::string path = config + "/" + domain;
        struct stat status {};
        if (lstat(path.c_str(), &status) == 0) {
            found.emplace_back(domain);
        } else if (errno != ENOENT && errno != ENOTDIR) {
            return FileError(errno, path, FileError::Operation::inspect);
        }
    }
    return found;
}

} // namespace tavrel::platform
