// Shell commands through posix_spawn, with both outputs read through poll until a deadline.
#include "platform/linux/ShellCommand.hpp"

#include "platform/linux/Descriptor.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ; // NOLINT: the process's environment, handed to the shell

namespace tavrel::platform::linux_script {

namespace {

using Clock = std::chrono::steady_clock;
using linux_files::Descriptor;

constexpr std::size_t kOutputLimit = std::size_t{16} << 20;

// The spawn settings: a process group of its own, so that a timeout reaches every process the
// command started, and SIGPIPE back to its default, which our own process ignores.
class SpawnSettings {
public:
    SpawnSettings(int output, int errorOutput) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions_, output, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions_, errorOutput, STDERR_FILENO);
        posix_spawnattr_init(&attributes_);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes_, &defaults);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setpgroup(&attributes_, 0);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                                   POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnSettings() {
        posix_spawnattr_destroy(&attributes_);
        posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    [[nodiscard]] const posix_spawn_file_actions_t* actions() const { return &actions_; }
    [[nodiscard]] const posix_spawnattr_t* attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_{};
    posix_spawnattr_t attributes_{};
};

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

// Reads both outputs until both are closed; false when the deadline came first.
bool readUntilClosed(Descriptor& output, Descriptor& errorOutput, ShellCommand::Run& run,
                     Clock::time_point deadline) {
    std::array<char, 16384> buffer{};
    while (output || errorOutput) {
        std::array<pollfd, 2> watched{{{output.get(), POLLIN, 0}, {errorOutput.get(), POLLIN, 0}}};
        const int ready = poll(watched.data(), watched.size(), millisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        for (std::size_t index = 0; index < watched.size(); ++index) {
            if (watched[index].revents == 0) {
                continue;
            }
            Descriptor& descriptor = index == 0 ? output : errorOutput;
            std::string& text = index == 0 ? run.output : run.errorOutput;
            const ssize_t count = read(descriptor.get(), buffer.data(), buffer.size());
            if (count > 0) {
                const auto size = static_cast<std::size_t>(count);
                text.append(buffer.data(), std::min(size, kOutputLimit - text.size()));
            } else if (count == 0 || errno != EINTR) {
                descriptor.reset(); // closed; poll ignores the -1 left in its place
            }
        }
    }
    return true;
}

// Waits until the shell has ended, at most until the deadline; false when it still runs then.
// It may close its output and go on running, so its end is waited for on its own.
bool waitForEnd(pid_t shell, int& status, Clock::time_point deadline) {
    const Descriptor handle(static_cast<int>(syscall(SYS_pidfd_open, shell, 0)));
    for (;;) {
        const pid_t ended = waitpid(shell, &status, WNOHANG);
        if (ended == shell || (ended < 0 && errno != EINTR)) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        if (handle) {
            pollfd end{handle.get(), POLLIN, 0};
            (void)poll(&end, 1, millisecondsUntil(deadline));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1)); // a kernel before 5.3
        }
    }
}

} // namespace

ShellCommand::Run ShellCommand::run(const std::string& command, std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    Run run;
    std::array<int, 2> outputPipe{-1, -1};
    std::array<int, 2> errorPipe{-1, -1};
    if (pipe2(outputPipe.data(), O_CLOEXEC) != 0) {
        run.code = errno;
        return run;
    }
    Descriptor output(outputPipe[0]);
    Descriptor outputEnd(outputPipe[1]);
    if (pipe2(errorPipe.data(), O_CLOEXEC) != 0) {
        run.code = errno;
        return run;
    }
    Descriptor errorOutput(errorPipe[0]);
    Descriptor errorEnd(errorPipe[1]);

    pid_t shell = -1;
    {
        const SpawnSettings settings(outputEnd.get(), errorEnd.get());
        std::string argument = command;
        std::array<char*, 4> argv{const_cast<char*>("sh"), const_cast<char*>("-c"), argument.data(),
                                  nullptr};
        const int error = posix_spawn(&shell, "/bin/sh", settings.actions(), settings.attributes(),
                                      argv.data(), environ);
        if (error != 0) {
            run.code = error;
            return run;
        }
    }
    outputEnd.reset();
    errorEnd.reset();

    int status = 0;
    if (!readUntilClosed(output, errorOutput, run, deadline) ||
        !waitForEnd(shell, status, deadline)) {
        kill(-shell, SIGKILL);
        while (waitpid(shell, &status, 0) < 0 && errno == EINTR) {
        }
        run.ending = Run::Ending::timedOut;
        return run;
    }
    if (WIFSIGNALED(status)) {
        run.ending = Run::Ending::signalled;
        run.code = WTERMSIG(status);
    } else {
        run.ending = Run::Ending::exited;
        run.code = WEXITSTATUS(status);
    }
    return run;
}

} // namespace tavrel::platform::linux_script
