// Running one shell command as `do shell script` does: /bin/sh -c, no input, its output
// collected, stopped when it takes too long.
#pragma once

#include <chrono>
#include <string>

namespace tavrel::platform::linux_script {

class ShellCommand {
public:
    struct Run {
        enum class Ending {
            exited,     // `code` is the exit status
            signalled,  // `code` is the signal that ended the shell
            timedOut,   // it was still running, or its output still open, at the deadline
            notStarted, // `code` is the error number
        };
        Ending ending = Ending::notStarted;
        int code = 0;
        std::string output;      // standard output, at most 16 MiB of it
        std::string errorOutput; // standard error, at most 16 MiB of it
    };

    /// Runs `/bin/sh -c command` with this process's environment, standard input from
    /// /dev/null and the default action for SIGPIPE, in a process group of its own, and waits
    /// until the shell has ended and its output is closed. At `timeout` the whole group is
    /// killed and the run counts as timed out.
    static Run run(const std::string& command, std::chrono::milliseconds timeout);
};

} // namespace tavrel::platform::linux_script
