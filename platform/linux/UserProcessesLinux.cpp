// The user's processes from /proc: one numbered folder per process, owned by the process's
// effective user, whose exe link names the executable and whose stat file gives the parent and
// the start time.
#include "platform/UntrustedFile.hpp"
#include "platform/UserProcesses.hpp"
#include "platform/linux/DirectoryStream.hpp"
#include "platform/linux/ProcessStat.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {

constexpr const char* kProcesses = "/proc";
// What the kernel adds to the link of an executable whose file was deleted.
constexpr std::string_view kDeletedMark = " (deleted)";

std::optional<int> processIdentifier(std::string_view name) {
    int value = 0;
    const auto [last, error] = std::from_chars(name.data(), name.data() + name.size(), value);
    if (error != std::errc() || last != name.data() + name.size() || value <= 0) {
        return std::nullopt;
    }
    return value;
}

// Fills in the executable of the process whose folder is `pid`; false when it has none (a
// thread of the system, or a process that has ended).
bool readExecutable(int processes, const std::string& pid, UserProcess& process) {
    const std::string link = pid + "/exe";
    std::array<char, 4096> target{};
    const ssize_t length = readlinkat(processes, link.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
        return false;
    }
    std::string path(target.data(), static_cast<std::size_t>(length));
    struct stat status {};
    // A file may be named like that itself: only one that no folder holds any more was deleted.
    if (path.ends_with(kDeletedMark) && fstatat(processes, link.c_str(), &status, 0) == 0 &&
        status.st_nlink == 0) {
        path.resize(path.size() - kDeletedMark.size());
        process.executableDeleted = true;
    }
    process.executableName = path.substr(path.rfind('/') + 1); // npos + 1 is 0
    process.executablePath = std::move(path);
    return true;
}

} // namespace

Result<std::vector<UserProcess>> UserProcesses::list() {
    const auto failure = [](int code, std::string reason = {}) {
        return FileError(code, kProcesses, FileError::Operation::inspect, std::move(reason));
    };
    const linux_files::DirectoryStream stream(opendir(kProcesses));
    if (!stream) {
        return failure(errno);
    }
    // An empty folder in its place (a container or sandbox without it) would list no process,
    // which must never pass for none running.
    struct statfs system {};
    if (fstatfs(stream.descriptor(), &system) != 0) {
        return failure(errno);
    }
    if (system.f_type != PROC_SUPER_MAGIC) {
        return failure(ENOENT, "No process list is mounted there");
    }
    const int processes = stream.descriptor();
    const uid_t user = geteuid();
    std::vector<UserProcess> found;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(stream.get());
        if (entry == nullptr) {
            if (errno != 0) {
                return failure(errno);
            }
            break;
        }
        UserProcess process;
        const auto pid = processIdentifier(entry->d_name);
        struct stat owner {};
        if (!pid || fstatat(processes, entry->d_name, &owner, 0) != 0 || owner.st_uid != user ||
            !readExecutable(processes, entry->d_name, process)) {
            continue;
        }
        const auto stat =
            UntrustedFile::read(std::string(kProcesses) + "/" + entry->d_name + "/stat",
                                UntrustedFile::Kind::processStatus);
        if (!stat.ok()) {
            continue; // it ended meanwhile
        }
        process.processIdentifier = *pid;
        process.parentIdentifier = linux_proc::parentProcess(*stat).value_or(0);
        process.startTime = linux_proc::startTime(*stat).value_or(0);
        found.push_back(std::move(process));
    }
    std::sort(found.begin(), found.end(), [](const UserProcess& lhs, const UserProcess& rhs) {
        return lhs.processIdentifier < rhs.processIdentifier;
    });
    return found;
}

} // namespace tavrel::platform
