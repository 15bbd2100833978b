// sandbox: runs a command in a private mount namespace whose root mirrors the real one but has
// its own empty /Applications, and file systems the test asks for, so that tests can plant and
// remove application bundles, fill a disk or refuse a write without touching the real system.
//
//   sandbox [--applications DIR] [--readonly PATH]... [--tmpfs PATH[:OPTIONS]]...
//           [--ramfs PATH]... [--unprivileged] [--own-processes] -- COMMAND [ARGUMENT]...
//   sandbox --probe
//
// --applications  bind-mounts DIR on /Applications (else an empty folder is there)
// --readonly      makes PATH a read-only bind mount of itself
// --tmpfs/--ramfs mounts a new file system of that type on PATH (OPTIONS as for mount(8) data)
// --unprivileged  runs COMMAND without any capability, so that even root meets permissions
// --own-processes runs COMMAND as the first process of a private process namespace with its own
//                 /proc: it sees only the processes started inside, which all end with it
// --probe         exits 0 when a private mount namespace can be had here
//
// A normal user gets the namespace from `unshare -rm`; root from a plain `unshare -m`, or, where
// root may not make mounts (a container), from `unshare -rm` too. Where neither works the
// sandbox exits with status 77 and says why, so that the test can skip with the reason.
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <optional>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kUnavailable = 77;
constexpr int kSetupFailed = 125;

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "sandbox: %s: %s\n", what.c_str(), std::strerror(errno));
    _exit(kSetupFailed);
}

int runAndWait(std::vector<std::string> arguments, bool quiet) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    pid_t child = -1;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return kSetupFailed;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The unshare(1) flags that give this process a private mount namespace here, if any. unshare(1)
// rather than unshare(2): a user namespace needs a single-threaded process, and the sanitizer
// runtimes start threads of their own.
std::optional<std::string> namespaceFlags() {
    std::vector<std::string> candidates;
    if (geteuid() == 0) {
        candidates.emplace_back("-m");
    }
    candidates.emplace_back("-rm");
    for (const std::string& flags : candidates) {
        if (runAndWait({"unshare", flags, "true"}, true) == 0) {
            return flags;
        }
    }
    return std::nullopt;
}

void bindMount(const std::string& from, const std::string& to) {
    if (mount(from.c_str(), to.c_str(), nullptr, MS_BIND | MS_REC, nullptr) != 0) {
        die("bind " + from + " on " + to);
    }
}

// Mirrors every top-level entry of the real root inside `root`, except /Applications.
void mirrorRoot(const std::string& root) {
    DIR* stream = opendir("/");
    if (stream == nullptr) {
        die("opendir /");
    }
    while (const dirent* entry = readdir(stream)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || name == "Applications") {
            continue;
        }
        const std::string real = "/" + name;
        const std::string mirror = std::string(root).append("/").append(name);
        struct stat status {};
        if (lstat(real.c_str(), &status) != 0) {
            continue;
        }
        if (S_ISLNK(status.st_mode)) {
            std::array<char, 4096> target{};
            const ssize_t length = readlink(real.c_str(), target.data(), target.size() - 1);
            if (length < 0 || symlink(target.data(), mirror.c_str()) != 0) {
                die("link " + mirror);
            }
        } else if (S_ISDIR(status.st_mode)) {
            if (mkdir(mirror.c_str(), 0755) != 0) {
                die("mkdir " + mirror);
            }
            bindMount(real, mirror);
        } else if (S_ISREG(status.st_mode)) {
            const int descriptor = open(mirror.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            if (descriptor < 0) {
                die("create " + mirror);
            }
            close(descriptor);
            bindMount(real, mirror);
        }
    }
    closedir(stream);
}

// Makes `target` read-only. A remount must keep the flags the kernel locks on a mount that an
// outer namespace made (nosuid, nodev, noexec and the access-time ones), or it is refused.
void makeReadOnly(const std::string& target) {
    bindMount(target, target);
    struct statvfs status {};
    if (statvfs(target.c_str(), &status) != 0) {
        die("statvfs " + target);
    }
    unsigned long flags = MS_BIND | MS_REMOUNT | MS_RDONLY;
    const std::array<std::pair<unsigned long, unsigned long>, 6> kept{{
        {ST_NOSUID, MS_NOSUID},
        {ST_NODEV, MS_NODEV},
        {ST_NOEXEC, MS_NOEXEC},
        {ST_NOATIME, MS_NOATIME},
        {ST_NODIRATIME, MS_NODIRATIME},
        {ST_RELATIME, MS_RELATIME},
    }};
    for (const auto& [statFlag, mountFlag] : kept) {
        if ((status.f_flag & statFlag) != 0) {
            flags |= mountFlag;
        }
    }
    if (mount(nullptr, target.c_str(), nullptr, flags, nullptr) != 0) {
        die("read-only " + target);
    }
}

// Leaves the process, and whatever it runs, without any capability: root then meets file
// permissions like anyone else.
void dropCapabilities() {
    for (int capability = 0; capability <= 63; ++capability) {
        if (prctl(PR_CAPBSET_DROP, capability, 0, 0, 0) != 0 && errno != EINVAL) {
            die("drop capability " + std::to_string(capability));
        }
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    std::array<__user_cap_data_struct, 2> none{};
    if (syscall(SYS_capset, &header, none.data()) != 0) {
        die("capset");
    }
}

struct Options {
    std::string applications;
    std::vector<std::string> readOnly;
    std::vector<std::pair<std::string, std::string>> fileSystems; // type, PATH[:OPTIONS]
    bool unprivileged = false;
    bool ownProcesses = false;
};

// Runs in the namespace that unshare(1) made for us.
int runInside(const std::string& root, const Options& options, char** command) {
    // unshare(1) already made every mount private; a chroot's root may not be a mount at all.
    (void)mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (mount("tmpfs", root.c_str(), "tmpfs", 0, "mode=0755") != 0) {
        die("tmpfs on " + root);
    }
    mirrorRoot(root);
    if (options.ownProcesses && mount("proc", (root + "/proc").c_str(), "proc",
                                      MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0) {
        die("proc on " + root + "/proc");
    }
    const std::string applications = root + "/Applications";
    if (mkdir(applications.c_str(), 0755) != 0) {
        die("mkdir " + applications);
    }
    if (!options.applications.empty()) {
        bindMount(options.applications, applications);
    }
    for (const auto& [type, spec] : options.fileSystems) {
        const auto colon = spec.find(':');
        const std::string target = root + spec.substr(0, colon);
        const std::string data = colon == std::string::npos ? "" : spec.substr(colon + 1);
        if (mount(type.c_str(), target.c_str(), type.c_str(), 0, data.c_str()) != 0) {
            die(std::string(type).append(" on ").append(target));
        }
    }
    for (const std::string& path : options.readOnly) {
        makeReadOnly(root + path);
    }
    if (chroot(root.c_str()) != 0 || chdir("/") != 0) {
        die("chroot " + root);
    }
    if (options.unprivileged) {
        dropCapabilities();
    }
    execvp(command[0], command);
    die(std::string("exec ") + command[0]);
}

int usage() {
    std::fprintf(stderr,
                 "usage: sandbox [--applications DIR] [--readonly PATH]... "
                 "[--tmpfs PATH[:OPTIONS]]... [--ramfs PATH]... [--unprivileged] [--own-processes] "
                 "-- COMMAND...\n       sandbox --probe\n");
    return kSetupFailed;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--inside") == 0) {
        const char* root = std::getenv("TAVREL_SANDBOX_ROOT"); // NOLINT(concurrency-mt-unsafe)
        if (root == nullptr) {
            std::fprintf(stderr, "sandbox: --inside is internal\n");
            return kSetupFailed;
        }
        const std::string rootPath = root;
        unsetenv("TAVREL_SANDBOX_ROOT");
        Options options;
        int index = 2;
        for (; index < argc && std::strcmp(argv[index], "--") != 0; ++index) {
            const std::string argument = argv[index];
            const bool hasValue = index + 1 < argc;
            if (argument == "--applications" && hasValue) {
                options.applications = argv[++index];
            } else if (argument == "--readonly" && hasValue) {
                options.readOnly.emplace_back(argv[++index]);
            } else if ((argument == "--tmpfs" || argument == "--ramfs") && hasValue) {
                options.fileSystems.emplace_back(argument.substr(2), argv[++index]);
            } else if (argument == "--unprivileged") {
                options.unprivileged = true;
            } else if (argument == "--own-processes") {
                options.ownProcesses = true;
            } else {
                std::fprintf(stderr, "sandbox: unknown argument %s\n", argument.c_str());
                return usage();
            }
        }
        if (index + 1 >= argc) {
            return usage();
        }
        return runInside(rootPath, options, argv + index + 1);
    }

    const auto flags = namespaceFlags();
    if (!flags) {
        std::fprintf(stderr, "sandbox: unavailable: neither `unshare -m` (as root) nor `unshare "
                             "-rm` can make a private mount namespace here\n");
        return kUnavailable;
    }
    if (argc == 2 && std::strcmp(argv[1], "--probe") == 0) {
        return 0;
    }
    // Our own path: "/proc/self/exe" would name unshare once it runs.
    std::array<char, 4096> self{};
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length <= 0) {
        die("readlink /proc/self/exe");
    }
    std::array<char, 32> pattern{};
    std::snprintf(pattern.data(), pattern.size(), "/tmp/tavrel-root-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
        die("mkdtemp");
    }
    setenv("TAVREL_SANDBOX_ROOT", pattern.data(), 1);
    std::vector<std::string> command{"unshare", *flags};
    for (int index = 1; index < argc && std::strcmp(argv[index], "--") != 0; ++index) {
        if (std::strcmp(argv[index], "--own-processes") == 0) {
            command.emplace_back("-pf"); // the command becomes process 1 of a new namespace
        }
    }
    command.insert(command.end(), {self.data(), "--inside"});
    command.insert(command.end(), argv + 1, argv + argc);
    const int status = runAndWait(command, false);
    rmdir(pattern.data()); // the tmpfs was only ever mounted inside the namespace
    return status;
}
