// The termination flush: a process that ends right after logging still writes every line.
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <gtest/gtest.h>
#include <string>

TEST(TerminationFlush, WritesEveryPendingLineAtProcessExitAndOnWillTerminate) {
    for (const std::string mode : {"exit", "app"}) {
        const auto run = tavrel::testing::runProcess({EXIT_FLUSH_PROGRAM, mode}, {});
        ASSERT_EQ(run.status, 0) << mode << "\n" << run.err;
        const auto lines = tavrel::testing::splitLines(run.out);
        ASSERT_EQ(lines.size(), 5000U) << mode;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            ASSERT_TRUE(lines[i].ends_with("] line " + std::to_string(i))) << mode << lines[i];
        }
    }
}
