// Accounts from the password database (getpwent_r), and the checks of a home folder.
#include "platform/AccountDatabase.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <vector>

namespace tavrel::platform {

namespace {

constexpr std::size_t kLargestEntry = std::size_t{1} << 20;

// Rewinds the database on construction and closes it at the end of the walk.
class DatabaseWalk {
public:
    DatabaseWalk() { setpwent(); }
    ~DatabaseWalk() { endpwent(); }
    DatabaseWalk(const DatabaseWalk&) = delete;
    DatabaseWalk& operator=(const DatabaseWalk&) = delete;
};

} // namespace

Result<std::vector<Account>> AccountDatabase::all() {
    const DatabaseWalk walk;
    std::vector<Account> accounts;
    std::vector<char> buffer(16384);
    for (;;) {
        passwd entry{};
        passwd* found = nullptr;
        const int code = getpwent_r(&entry, buffer.data(), buffer.size(), &found);
        if (code == ERANGE && buffer.size() < kLargestEntry) {
            buffer.resize(buffer.size() * 2); // the same entry is read again
            continue;
        }
        if (code == ENOENT) {
            break;
        }
        if (code != 0 || found == nullptr) {
            return FileError(code != 0 ? code : EIO, "/etc/passwd", FileError::Operation::inspect);
        }
        accounts.push_back(Account{found->pw_name != nullptr ? found->pw_name : "", found->pw_uid,
                                   found->pw_gid, found->pw_dir != nullptr ? found->pw_dir : ""});
    }
    return accounts;
}

std::optional<std::string> AccountDatabase::homeProblem(const Account& account) {
    const std::string& home = account.home;
    if (home.empty() || home.front() != '/') {
        return home.empty() ? "is not set" : "is not an absolute path";
    }
    struct stat status {};
    if (stat(home.c_str(), &status) != 0) {
        return errno == ENOENT ? std::string("does not exist") : errorText(errno);
    }
    if (!S_ISDIR(status.st_mode)) {
        return "is not a folder";
    }
    char resolved[PATH_MAX];
    if (realpath(home.c_str(), resolved) == nullptr) {
        return errorText(errno);
    }
    if (std::string_view(resolved) == "/") {
        return "is the root folder";
    }
    if (status.st_uid != account.uid) {
        return "is owned by user " + std::to_string(status.st_uid);
    }
    return std::nullopt;
}

} // namespace tavrel::platform
