// Running programs for tests, in bubblewrap sandboxes or outside. Output goes through
// files, so no pipe can fill up and block.
#include "tests/support/Sandbox.hpp"

#include "tests/support/TemporaryFolder.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrel::testing {

namespace {

namespace fs = std::filesystem;

// What posix_spawn takes: a pointer to each string, then a null pointer.
std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    result.reserve(strings.size() + 1);
    for (std::string& text : strings) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

// bubblewrap, dying with the test, with its own processes. A normal user becomes root in a user
// namespace of its own, as root is outside; root needs none, and a chroot would refuse one.
std::vector<std::string> bubblewrap() {
    std::vector<std::string> command{"bwrap", "--die-with-parent", "--unshare-pid"};
    if (geteuid() != 0) {
        command.insert(command.end(),
                       {"--unshare-user", "--uid", "0", "--gid", "0", "--cap-add", "ALL"});
    }
    return command;
}

} // namespace

ProcessRun runProcess(std::vector<std::string> argv, std::vector<std::string> environment,
                      Output output) {
    const TemporaryFolder scratch;
    const std::string out = scratch.string() + "/out";
    const std::string err = scratch.string() + "/err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::array<int, 2> pipe{-1, -1};
    if (output == Output::closedPipe && pipe2(pipe.data(), O_CLOEXEC) == 0) {
        close(pipe[0]); // nobody will ever read
        posix_spawn_file_actions_adddup2(&actions, pipe[1], 1);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], 2);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT, 0600);
    }
    ProcessRun run;
    pid_t pid = -1;
    // posix_spawnp looks the name up on the test's own PATH.
    if (posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, pointers(argv).data(),
                     pointers(environment).data()) == 0) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    if (pipe[1] >= 0) {
        close(pipe[1]);
    }
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

std::vector<std::string> homeEnvironment(const std::string& home,
                                         const std::vector<std::string>& extra) {
    std::vector<std::string> environment{
        "PATH=/usr/local/bin:/usr/bin:/bin", "HOME=" + home, "XDG_CONFIG_HOME=" + home + "/.config",
        "XDG_DATA_HOME=" + home + "/.local/share",
        // No session bus: nothing the program does may reach the user's real session.
        "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"};
    for (const std::string& variable : extra) {
        // A variable given again replaces the default: the first of two would win.
        const std::string name = variable.substr(0, variable.find('=') + 1);
        const auto same =
            std::find_if(environment.begin(), environment.end(),
                         [&](const std::string& set) { return set.starts_with(name); });
        if (same != environment.end()) {
            *same = variable;
        } else {
            environment.push_back(variable);
        }
    }
    return environment;
}

const std::optional<std::string>& Sandbox::unavailableReason() {
    static const std::optional<std::string> reason = []() -> std::optional<std::string> {
        std::vector<std::string> probe = bubblewrap();
        probe.insert(probe.end(), {"--bind", "/", "/", "true"});
        const ProcessRun run = runProcess(probe, {"PATH=/usr/bin:/bin"});
        if (run.status == 0) {
            return std::nullopt;
        }
        return run.status < 0 ? "bwrap (bubblewrap) is not installed"
                              : "bwrap cannot make a sandbox here: " + run.err;
    }();
    return reason;
}

ProcessRun Sandbox::run(const std::vector<std::string>& argv,
                        const std::vector<std::string>& environment, Output output) const {
    std::vector<std::string> command = bubblewrap();
    // The real root, entry by entry, so that /Applications can be a folder of the test's own.
    for (const fs::directory_entry& entry : fs::directory_iterator("/")) {
        const std::string path = entry.path();
        if (path == "/Applications" || path == "/proc" || path == "/dev") {
            continue;
        }
        if (entry.is_symlink()) {
            command.insert(command.end(), {"--symlink", fs::read_symlink(path), path});
        } else {
            command.insert(command.end(), {"--bind", path, path});
        }
    }
    command.insert(command.end(),
                   {"--dev-bind", "/dev", "/dev", "--proc", "/proc", "--dir", "/Applications"});
    command.insert(command.end(), options_.begin(), options_.end());
    command.insert(command.end(), readOnly_.begin(), readOnly_.end());
    command.emplace_back("--");
    command.insert(command.end(), argv.begin(), argv.end());
    // bwrap is found on this PATH; the program inside gets `environment` too.
    return runProcess(command, environment, output);
}

} // namespace tavrel::testing
