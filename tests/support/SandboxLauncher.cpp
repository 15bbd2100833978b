// sandbox: runs a command in a private mount namespace whose root mirrors the real one, so that
// tests can plant and remove application bundles, fill a disk or refuse a write without
// touching the real system. Usage: sandbox [OPTION]... -- COMMAND [ARGUMENT]..., or --probe,
// which exits 0 when such a namespace can be had here. The options:
//   --applications DIR    DIR on /Applications (else an empty folder is there)
//   --bind FILE:PATH      FILE on PATH, which must exist (a test's own /etc/passwd)
//   --readonly PATH       PATH read-only
//   --tmpfs PATH[:DATA], --ramfs PATH[:DATA]   a new file system of that type on PATH
//   --unprivileged        COMMAND without any capability, so that even root meets permissions
//   --own-processes       COMMAND as the first process of a private process namespace with its
//                         own /proc: it sees only the processes started inside, which end with it
//   --if-available        where no namespace can be had, COMMAND as it is, outside any sandbox
// Root gets the namespace from a plain `unshare -m`; a normal user, or root where it may not
// make mounts (a container), from `unshare -rm`. Where neither works the sandbox exits with
// status 77 and says why, so that the test can skip with the reason.
#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/capability.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kUnavailable = 77;
constexpr int kSetupFailed = 125;

// Throws the current system error, naming what failed, unless `succeeded`.
void check(bool succeeded, const std::string& what) {
    if (!succeeded) {
        throw std::system_error(errno, std::generic_category(), what);
    }
}

// Runs the command and waits for it; its exit status, or 128 + the signal that ended it. With
// `tied`, the command is killed when this program dies first (its test timed out, say).
int runAndWait(std::vector<std::string> arguments, bool tied = false) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = -1;
    int status = 0;
    if (tied) {
        const pid_t parent = getpid();
        child = fork();
        if (child == 0) {
            (void)prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() == parent) {
                execvp(argv[0], argv.data());
            }
            _exit(kSetupFailed);
        }
        if (child < 0) {
            return kSetupFailed;
        }
    } else if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return kSetupFailed;
    }
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The unshare(1) flags that give a private mount namespace here, if any. unshare(1) rather than
// unshare(2): a user namespace needs a single-threaded process, and the sanitizer runtimes
// start threads of their own.
const char* namespaceFlags() {
    for (const char* flags : {"-m", "-rm"}) {
        if ((geteuid() == 0 || std::strcmp(flags, "-rm") == 0) &&
            runAndWait({"sh", "-c", std::string("unshare ") + flags + " true >/dev/null 2>&1"}) ==
                0) {
            return flags;
        }
    }
    return nullptr;
}

void bindMount(const fs::path& from, const fs::path& to) {
    check(mount(from.c_str(), to.c_str(), nullptr, MS_BIND | MS_REC, nullptr) == 0,
          "bind " + from.string() + " on " + to.string());
}

// Mirrors every top-level entry of the real root inside `root`, except /Applications.
void mirrorRoot(const fs::path& root) {
    for (const fs::directory_entry& entry : fs::directory_iterator("/")) {
        const fs::path mirror = root / entry.path().filename();
        if (entry.path() == "/Applications") {
            continue;
        }
        if (entry.is_symlink()) {
            fs::copy_symlink(entry.path(), mirror);
        } else if (entry.is_directory()) {
            fs::create_directory(mirror);
            bindMount(entry.path(), mirror);
        } else if (entry.is_regular_file()) {
            const std::ofstream mountPoint(mirror);
            bindMount(entry.path(), mirror);
        }
    }
}

// Makes `target` read-only. A remount must keep the flags the kernel locks on a mount that an
// outer namespace made (nosuid, nodev, noexec and the access-time ones), or it is refused.
void makeReadOnly(const std::string& target) {
    bindMount(target, target);
    struct statvfs status {};
    check(statvfs(target.c_str(), &status) == 0, "statvfs " + target);
    constexpr std::array<unsigned long, 6> kStatFlags{ST_NOSUID,  ST_NODEV,      ST_NOEXEC,
                                                      ST_NOATIME, ST_NODIRATIME, ST_RELATIME};
    constexpr std::array<unsigned long, 6> kMountFlags{MS_NOSUID,  MS_NODEV,      MS_NOEXEC,
                                                       MS_NOATIME, MS_NODIRATIME, MS_RELATIME};
    unsigned long locked = 0;
    for (std::size_t i = 0; i < kStatFlags.size(); ++i) {
        locked |= (status.f_flag & kStatFlags[i]) != 0 ? kMountFlags[i] : 0;
    }
    check(mount(nullptr, target.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY | locked,
                nullptr) == 0,
          "read-only " + target);
}

// Leaves the process, and whatever it runs, without any capability: root then meets file
// permissions like anyone else.
void dropCapabilities() {
    for (int capability = 0; capability <= 63; ++capability) {
        check(prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) == 0 || errno == EINVAL,
              "drop capability " + std::to_string(capability));
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    std::array<__user_cap_data_struct, 2> none{};
    check(syscall(SYS_capset, &header, none.data()) == 0, "capset");
}

// Runs in the namespace that unshare(1) made: sets up the root and runs the command, from the
// options, "--" and the command between `argument` and `end`.
int runInside(const fs::path& root, char** argument, char** end) {
    // unshare(1) already made every mount private; a chroot's root may not be a mount at all.
    (void)mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    check(mount("tmpfs", root.c_str(), "tmpfs", 0, "mode=0755") == 0, "tmpfs on " + root.string());
    mirrorRoot(root);
    fs::create_directory(root / "Applications");
    std::vector<std::string> readOnly; // made last, over whatever the other options mounted
    bool unprivileged = false;
    for (; argument + 1 < end && std::strcmp(*argument, "--") != 0; ++argument) {
        const std::string option = *argument;
        const bool flag =
            option == "--unprivileged" || option == "--own-processes" || option == "--if-available";
        const std::string value = flag ? "" : *++argument;
        const std::string target = root.string() + value.substr(0, value.find(':'));
        if (option == "--unprivileged") {
            unprivileged = true;
        } else if (option == "--if-available") {
            // Only asked for outside.
        } else if (option == "--own-processes") {
            // unshare -pf below made this process the first of its own process namespace.
            check(mount("proc", (root / "proc").c_str(), "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                        nullptr) == 0,
                  "proc on " + (root / "proc").string());
        } else if (option == "--applications") {
            bindMount(value, root / "Applications");
        } else if (option == "--bind") {
            bindMount(value.substr(0, value.find(':')),
                      root.string() + value.substr(value.find(':') + 1));
        } else if (option == "--readonly") {
            readOnly.push_back(target);
        } else if (option == "--tmpfs" || option == "--ramfs") {
            const auto colon = value.find(':');
            const std::string data = colon == std::string::npos ? "" : value.substr(colon + 1);
            check(mount(option.c_str() + 2, target.c_str(), option.c_str() + 2, 0, data.c_str()) ==
                      0,
                  option.substr(2) + " on " + target);
        } else {
            throw std::invalid_argument("unknown option " + option);
        }
    }
    if (argument + 1 >= end) {
        throw std::invalid_argument("no command after --");
    }
    for (const std::string& path : readOnly) {
        makeReadOnly(path);
    }
    check(chroot(root.c_str()) == 0 && chdir("/") == 0, "chroot " + root.string());
    if (unprivileged) {
        dropCapabilities();
    }
    execvp(argument[1], argument + 1);
    check(false, std::string("exec ") + argument[1]);
    return kSetupFailed;
}

} // namespace

int main(int argc, char** argv) {
    try {
        // sandbox --inside ROOT OPTIONS... -- COMMAND..., as run through unshare(1) below.
        if (argc >= 3 && std::strcmp(argv[1], "--inside") == 0) {
            return runInside(argv[2], argv + 3, argv + argc);
        }
        // A sandbox never outlives its test: this program dies with its parent, unshare(1) with
        // this program, and the command (and every process of its own namespace) with unshare.
        (void)prctl(PR_SET_PDEATHSIG, SIGKILL);
        const char* flags = namespaceFlags();
        const auto isArgument = [](const char* wanted) {
            return [wanted](const char* argument) { return std::strcmp(argument, wanted) == 0; };
        };
        char** const dashes = std::find_if(argv + 1, argv + argc, isArgument("--"));
        if (flags == nullptr && dashes + 1 < argv + argc &&
            std::find_if(argv + 1, dashes, isArgument("--if-available")) != dashes) {
            execvp(dashes[1], dashes + 1);
            check(false, std::string("exec ") + dashes[1]);
        }
        if (flags == nullptr) {
            std::fprintf(stderr, "sandbox: unavailable: neither `unshare -m` (as root) nor "
                                 "`unshare -rm` can make a private mount namespace here\n");
            return kUnavailable;
        }
        if (argc == 2 && std::strcmp(argv[1], "--probe") == 0) {
            return 0;
        }
        std::string root = "/tmp/tavrel-root-XXXXXX";
        check(mkdtemp(root.data()) != nullptr, "mkdtemp");
        // Our own path: "/proc/self/exe" would name unshare once it runs.
        std::vector<std::string> command{"unshare", flags};
        for (int index = 1; index < argc && std::strcmp(argv[index], "--") != 0; ++index) {
            if (std::strcmp(argv[index], "--own-processes") == 0) {
                // The command becomes process 1 of a new namespace, killed if unshare dies.
                command.insert(command.end(), {"-pf", "--kill-child"});
            }
        }
        command.insert(command.end(), {fs::read_symlink("/proc/self/exe"), "--inside", root});
        command.insert(command.end(), argv + 1, argv + argc);
        const int status = runAndWait(command, true);
        rmdir(root.c_str()); // the tmpfs was only ever mounted inside the namespace
        return status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sandbox: %s\n", error.what());
        return kSetupFailed;
    }
}
