// Running this program as an account: everything is prepared before fork(), since the child of
// a process that may have threads may only make async-signal-safe calls; the child drops to the
// account, checks that root is out of reach and executes /proc/self/exe. A failure before that
// reaches the parent through a pipe that the exec closes.
#include "platform/AccountProcess.hpp"
#include "platform/linux/Descriptor.hpp"

#include <array>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {

using linux_files::Descriptor;

// What the child failed at, as it tells the parent.
enum class Stage : int { descriptors, setgroups, setgid, setuid, rootRegained, exec };

constexpr std::array<const char*, 6> kStageNames{
    "standard descriptors", "setgroups", "setgid", "setuid", "root could be regained", "exec"};

struct ChildFailure {
    Stage stage;
    int code;
};

// The account's supplementary groups, as login would set them.
std::vector<gid_t> groupsOf(const Account& account) {
    std::vector<gid_t> groups(64);
    for (;;) {
        int count = static_cast<int>(groups.size());
        if (getgrouplist(account.name.c_str(), account.gid, groups.data(), &count) >= 0) {
            groups.resize(static_cast<std::size_t>(count));
            return groups;
        }
        if (count <= static_cast<int>(groups.size()) || count > 65536) {
            return {account.gid}; // the database gave no usable count: the primary group alone
        }
        groups.resize(static_cast<std::size_t>(count));
    }
}

// Whether `path` is, without following a link, of `type` and owned by `uid`.
bool ownedAs(const std::string& path, mode_t type, unsigned uid) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && (status.st_mode & S_IFMT) == type &&
           status.st_uid == uid;
}

std::vector<std::string> environmentOf(const Account& account) {
    std::vector<std::string> environment{"HOME=" + account.home, "USER=" + account.name,
                                         "LOGNAME=" + account.name,
                                         "PATH=/usr/local/bin:/usr/bin:/bin"};
    // The session's folder and bus, when the account is logged in: its keyring is reached there.
    const std::string runtime = "/run/user/" + std::to_string(account.uid);
    if (ownedAs(runtime, S_IFDIR, account.uid)) {
        environment.push_back("XDG_RUNTIME_DIR=" + runtime);
        if (ownedAs(runtime + "/bus", S_IFSOCK, account.uid)) {
            environment.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + runtime + "/bus");
        }
    }
    return environment;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    result.reserve(strings.size() + 1);
    for (std::string& text : strings) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

// In the child: tells the parent what failed and ends. Async-signal-safe.
[[noreturn]] void failChild(int report, Stage stage, int code) noexcept {
    const ChildFailure failure{stage, code};
    (void)!write(report, &failure, sizeof failure);
    _exit(127);
}

// The child's whole life until exec. Async-signal-safe calls only.
[[noreturn]] void becomeAccount(int input, int output, int errors, int report,
                                const std::vector<gid_t>& groups, unsigned uid, unsigned gid,
                                char* const* argv, char* const* envp) noexcept {
    // Descriptor 3 carries failures; everything else above 2 is closed, so that nothing open
    // as root stays open for the account.
    if (dup2(input, STDIN_FILENO) < 0 || dup2(output, STDOUT_FILENO) < 0 ||
        (errors >= 0 && dup2(errors, STDERR_FILENO) < 0) || dup2(report, 3) < 0 ||
        fcntl(3, F_SETFD, FD_CLOEXEC) < 0 || close_range(4, UINT_MAX, 0) < 0) {
        failChild(report, Stage::descriptors, errno);
    }
    if (setgroups(groups.size(), groups.data()) != 0) {
        failChild(3, Stage::setgroups, errno);
    }
    if (setgid(gid) != 0) {
        failChild(3, Stage::setgid, errno);
    }
    if (setuid(uid) != 0) {
        failChild(3, Stage::setuid, errno);
    }
    uid_t real = 0;
    uid_t effective = 0;
    uid_t saved = 0;
    gid_t realGroup = 0;
    gid_t effectiveGroup = 0;
    gid_t savedGroup = 0;
    if (setuid(0) == 0 || getresuid(&real, &effective, &saved) != 0 ||
        getresgid(&realGroup, &effectiveGroup, &savedGroup) != 0 || real != uid ||
        effective != uid || saved != uid || realGroup != gid || effectiveGroup != gid ||
        savedGroup != gid) {
        failChild(3, Stage::rootRegained, EPERM);
    }
    execve("/proc/self/exe", argv, envp);
    failChild(3, Stage::exec, errno);
}

// Reads `from` to its end, keeping up to `limit` bytes.
void readAll(int from, std::size_t limit, ProcessEnd& end) {
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t length = read(from, buffer.data(), buffer.size());
        if (length < 0 && errno == EINTR) {
            continue;
        }
        if (length <= 0) {
            return;
        }
        const auto size = static_cast<std::size_t>(length);
        const std::size_t kept = std::min(size, limit - std::min(limit, end.output.size()));
        end.output.append(buffer.data(), kept);
        end.outputCut = end.outputCut || kept < size;
    }
}

} // namespace

Result<ProcessEnd> AccountProcess::runSelf(const Account& account,
                                           const std::vector<std::string>& arguments, Errors errors,
                                           std::size_t outputLimit) {
    const std::vector<gid_t> groups = groupsOf(account);
    std::vector<std::string> environment = environmentOf(account);
    std::vector<std::string> argumentList{"tavrel-uninstall"};
    argumentList.insert(argumentList.end(), arguments.begin(), arguments.end());
    const std::vector<char*> argv = pointers(argumentList);
    const std::vector<char*> envp = pointers(environment);

    const Descriptor null(open("/dev/null", O_RDWR | O_CLOEXEC));
    std::array<int, 2> out{-1, -1};
    std::array<int, 2> report{-1, -1};
    if (!null || pipe2(out.data(), O_CLOEXEC) != 0) {
        return FileError(errno, "pipe", FileError::Operation::create);
    }
    Descriptor outRead(out[0]);
    Descriptor outWrite(out[1]);
    if (pipe2(report.data(), O_CLOEXEC) != 0) {
        return FileError(errno, "pipe", FileError::Operation::create);
    }
    Descriptor reportRead(report[0]);
    Descriptor reportWrite(report[1]);
    const pid_t child = fork();
    if (child < 0) {
        return FileError(errno, "fork", FileError::Operation::create);
    }
    if (child == 0) {
        becomeAccount(null.get(), outWrite.get(), errors == Errors::shown ? -1 : null.get(),
                      reportWrite.get(), groups, account.uid, account.gid, argv.data(),
                      envp.data());
    }
    outWrite.reset();
    reportWrite.reset();
    ProcessEnd end;
    readAll(outRead.get(), outputLimit, end);
    ChildFailure failure{};
    ssize_t reported = 0;
    do {
        reported = read(reportRead.get(), &failure, sizeof failure);
    } while (reported < 0 && errno == EINTR);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (reported == static_cast<ssize_t>(sizeof failure)) {
        return FileError(failure.code, kStageNames.at(static_cast<std::size_t>(failure.stage)),
                         FileError::Operation::change);
    }
    end.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return end;
}

} // namespace tavrel::platform
