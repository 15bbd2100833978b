// sandbox: runs a command in a private mount namespace whose root mirrors the real one but has
// its own empty /Applications, and file systems the test asks for, so that tests can plant and
// remove application bundles, fill a disk or refuse a write without touching the real system.
//
//   sandbox [--applications DIR] [--readonly PATH]... [--tmpfs PATH[:OPTIONS]]...
//           [--ramfs PATH]... [--unprivileged] -- COMMAND [ARGUMENT]...
//   sandbox --probe
//
// --applications  bind-mounts DIR on /Applications (else an empty folder is there)
// --readonly      makes PATH a read-only bind mount of itself
// --tmpfs/--ramfs mounts a new file system of that type on PATH (OPTIONS as for mount(8) data)
// --unprivileged  runs COMMAND without any capability, so that even root meets permissions
// --probe         exits 0 when a private mount namespace can be had here
//
// Root gets the namespace from a plain `unshare -m`; a normal user, or root where it may not
// make mounts (a container), from `unshare -rm`. Where neither works the sandbox exits with
// status 77 and says why, so that the test can skip with the reason.
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/capability.h>
#include <spawn.h>
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

int runAndWait(std::vector<std::string> arguments, bool quiet) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    pid_t child = -1;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    while (spawned == 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (spawned != 0) {
        return kSetupFailed;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The unshare(1) flags that give a private mount namespace here, if any. unshare(1) rather than
// unshare(2): a user namespace needs a single-threaded process, and the sanitizer runtimes
// start threads of their own.
const char* namespaceFlags() {
    if (geteuid() == 0 && runAndWait({"unshare", "-m", "true"}, true) == 0) {
        return "-m";
    }
    return runAndWait({"unshare", "-rm", "true"}, true) == 0 ? "-rm" : nullptr;
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
    constexpr std::array<std::pair<unsigned long, unsigned long>, 6> kLocked{{
        {ST_NOSUID, MS_NOSUID},
        {ST_NODEV, MS_NODEV},
        {ST_NOEXEC, MS_NOEXEC},
        {ST_NOATIME, MS_NOATIME},
        {ST_NODIRATIME, MS_NODIRATIME},
        {ST_RELATIME, MS_RELATIME},
    }};
    unsigned long flags = MS_BIND | MS_REMOUNT | MS_RDONLY;
    for (const auto& [statFlag, mountFlag] : kLocked) {
        flags |= (status.f_flag & statFlag) != 0 ? mountFlag : 0;
    }
    check(mount(nullptr, target.c_str(), nullptr, flags, nullptr) == 0, "read-only " + target);
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

// Runs in the namespace that unshare(1) made, on the options, "--" and the command from
// `argument` to `end`.
int runInside(const fs::path& root, char** argument, char** end) {
    std::string applications;
    std::vector<std::pair<std::string, std::string>> fileSystems; // type, PATH[:OPTIONS]
    std::vector<std::string> readOnly;
    bool unprivileged = false;
    for (; argument != end && std::strcmp(*argument, "--") != 0; ++argument) {
        const std::string option = *argument;
        const bool hasValue = argument + 1 != end;
        if (option == "--applications" && hasValue) {
            applications = *++argument;
        } else if (option == "--readonly" && hasValue) {
            readOnly.emplace_back(*++argument);
        } else if ((option == "--tmpfs" || option == "--ramfs") && hasValue) {
            fileSystems.emplace_back(option.substr(2), *++argument);
        } else if (option == "--unprivileged") {
            unprivileged = true;
        } else {
            std::fprintf(stderr, "sandbox: unknown argument %s\n", option.c_str());
            return kSetupFailed;
        }
    }
    if (argument == end || argument + 1 == end) {
        std::fprintf(stderr, "sandbox: no command after --\n");
        return kSetupFailed;
    }
    // unshare(1) already made every mount private; a chroot's root may not be a mount at all.
    (void)mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    check(mount("tmpfs", root.c_str(), "tmpfs", 0, "mode=0755") == 0, "tmpfs on " + root.string());
    mirrorRoot(root);
    fs::create_directory(root / "Applications");
    if (!applications.empty()) {
        bindMount(applications, root / "Applications");
    }
    for (const auto& [type, spec] : fileSystems) {
        const auto colon = spec.find(':');
        const std::string target = root.string() + spec.substr(0, colon);
        const std::string data = colon == std::string::npos ? "" : spec.substr(colon + 1);
        check(mount(type.c_str(), target.c_str(), type.c_str(), 0, data.c_str()) == 0,
              type + " on " + target);
    }
    for (const std::string& path : readOnly) {
        makeReadOnly(root.string() + path);
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
        const char* flags = namespaceFlags();
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
        std::vector<std::string> command{"unshare", flags, fs::read_symlink("/proc/self/exe"),
                                         "--inside", root};
        command.insert(command.end(), argv + 1, argv + argc);
        const int status = runAndWait(command, false);
        rmdir(root.c_str()); // the tmpfs was only ever mounted inside the namespace
        return status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sandbox: %s\n", error.what());
        return kSetupFailed;
    }
}
