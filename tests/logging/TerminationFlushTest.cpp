// The termination flush: a process that ends right after logging still writes every line.
#include "tests/support/TemporaryFolder.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using tavrel::testing::readFile;
using tavrel::testing::TemporaryFolder;

namespace {

int countLines(const std::string& text) {
    std::istringstream in(text);
    int count = 0;
    int expected = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find("] line " + std::to_string(expected)) != std::string::npos) {
            ++expected;
        }
        ++count;
    }
    return expected == count ? count : -1;
}

int runProgram(const std::vector<std::string>& arguments, const std::string& outputPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(TerminationFlush, WritesEveryPendingLineAtProcessExitAndOnWillTerminate) {
    TemporaryFolder folder;
    const std::string output = (folder.path() / "out").string();
    for (const std::string mode : {"exit", "app"}) {
        ASSERT_EQ(runProgram({EXIT_FLUSH_PROGRAM, mode}, output), 0) << mode;
        EXPECT_EQ(countLines(readFile(output)), 5000) << mode;
    }
}
