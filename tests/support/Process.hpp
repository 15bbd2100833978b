// Running a program as a test would from a terminal: a clean environment, no input, and its
// output and exit status collected.
#pragma once

#include <string>
#include <vector>

namespace tavrel::testing {

struct ProcessRun {
    int status = -1; // the exit status, 128 + the signal when it was killed, -1 when not started
    std::string out;
    std::string err;
};

/// Where the program's standard output and error go.
enum class Output {
    collected,  // into ProcessRun::out and err
    closedPipe, // both into a pipe whose reading end is already closed
};

/// Runs `argv` (argv[0] a path, or a name looked up on PATH) with exactly the variables of
/// `environment` ("NAME=value"), standard input from /dev/null, and waits for it.
ProcessRun runProcess(std::vector<std::string> argv, std::vector<std::string> environment,
                      Output output = Output::collected);

/// The variables a test's program gets: PATH, and HOME and the XDG folders inside `home`,
/// so that nothing reaches the real home folder; then `extra` ("NAME=value").
std::vector<std::string> homeEnvironment(const std::string& home,
                                         const std::vector<std::string>& extra = {});

} // namespace tavrel::testing
