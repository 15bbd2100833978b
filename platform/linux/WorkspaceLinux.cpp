// Workspace on Linux: xdg-open, which hands the path to the desktop's file browser.
#include "platform/Workspace.hpp"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tavrel::platform {

namespace {

// xdg-open returns as soon as the desktop has the request; without a desktop it may run a
// browser in the foreground instead, which must not hold the caller's window for its lifetime.
constexpr std::chrono::seconds kAnswerLimit{5};
constexpr std::chrono::milliseconds kPollInterval{10};

} // namespace

bool Workspace::openFile(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = "xdg-open";
    std::string argument = path;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + kAnswerLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int exitStatus = 0;
        const pid_t waited = waitpid(pid, &exitStatus, WNOHANG);
        if (waited == pid) {
            return WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == 0;
        }
        if (waited < 0 && errno != EINTR) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    std::thread([pid] { (void)waitpid(pid, nullptr, 0); }).detach();
    return true;
}

bool Workspace::hasDisplay() {
    // The environment is read-only in this program, so getenv is safe here.
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable); // NOLINT(concurrency-mt-unsafe)
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

} // namespace tavrel::platform
