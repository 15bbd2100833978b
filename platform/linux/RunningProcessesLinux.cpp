// Running processes by executable name from /proc, by the rules of the kill scripts: the link
// /proc/<pid>/exe, owned by the process's effective user, ends in "/<name>" or, for a deleted
// executable, "/<name> (deleted)".
#include "platform/RunningProcesses.hpp"
#include "platform/linux/Descriptor.hpp"
#include "platform/linux/DirectoryStream.hpp"
#include "platform/linux/ProcessStat.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {

constexpr std::string_view kDeletedSuffix = " (deleted)";

std::optional<int> processIdentifier(std::string_view name) {
    int value = 0;
    const auto [last, error] = std::from_chars(name.data(), name.data() + name.size(), value);
    if (error != std::errc() || last != name.data() + name.size() || value <= 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> parentOf(int processes, int pid) {
    const linux_files::Descriptor stat(
        openat(processes, (std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC));
    if (!stat) {
        return std::nullopt;
    }
    std::array<char, 1024> buffer{};
    const ssize_t length = read(stat.get(), buffer.data(), buffer.size());
    if (length <= 0) {
        return std::nullopt;
    }
    return linux_proc::parentProcess(
        std::string_view(buffer.data(), static_cast<std::size_t>(length)));
}

// This process and those that started it, up to the first process of its namespace.
std::vector<int> ownLine(int processes) {
    std::vector<int> line;
    for (std::optional<int> pid = getpid(); pid && *pid > 0; pid = parentOf(processes, *pid)) {
        if (std::find(line.begin(), line.end(), *pid) != line.end()) {
            break;
        }
        line.push_back(*pid);
    }
    return line;
}

bool namedLike(std::string_view target, const std::string& name) {
    if (target.ends_with(kDeletedSuffix)) {
        // A file whose own name ends like that counts too, as it does for the scripts.
        const std::string_view kept = target.substr(0, target.size() - kDeletedSuffix.size());
        if (kept.ends_with(name) && kept.size() > name.size() &&
            kept[kept.size() - name.size() - 1] == '/') {
            return true;
        }
    }
    return target.ends_with(name) && target.size() > name.size() &&
           target[target.size() - name.size() - 1] == '/';
}

} // namespace

Result<std::vector<int>> RunningProcesses::withExecutableName(const std::string& name) {
    const linux_files::DirectoryStream stream(opendir("/proc"));
    if (!stream) {
        return FileError(errno, "/proc", FileError::Operation::inspect);
    }
    const int processes = stream.descriptor();
    const uid_t user = geteuid();
    std::vector<int> found;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(stream.get());
        if (entry == nullptr) {
            if (errno != 0) {
                return FileError(errno, "/proc", FileError::Operation::inspect);
            }
            break;
        }
        const auto pid = processIdentifier(entry->d_name);
        if (!pid) {
            continue;
        }
        const std::string exe = std::string(entry->d_name) + "/exe";
        struct stat status {};
        if (fstatat(processes, exe.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
            status.st_uid != user) {
            continue;
        }
        std::array<char, 4096> target{};
        const ssize_t length = readlinkat(processes, exe.c_str(), target.data(), target.size());
        if (length > 0 && static_cast<std::size_t>(length) < target.size() &&
            namedLike(std::string_view(target.data(), static_cast<std::size_t>(length)), name)) {
            found.push_back(*pid);
        }
    }
    if (!found.empty()) {
        const std::vector<int> own = ownLine(processes);
        std::erase_if(found,
                      [&](int pid) { return std::find(own.begin(), own.end(), pid) != own.end(); });
        std::sort(found.begin(), found.end());
    }
    return found;
}

} // namespace tavrel::platform
