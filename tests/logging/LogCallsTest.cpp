// The log calls through the shared dispatcher: the record's call site, filtering, errors written
// before their call returns, and every pending line written when the process ends.
#include "logging/Log.hpp"
#include "logging/LogDispatcher.hpp"
#include "tests/support/RecordingLogger.hpp"
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tavrel::logging;
using tavrel::testing::RecordingLogger;

TEST(LogCalls, RecordTheCallSiteBuildNoFilteredMessageAndWriteErrorsBeforeReturning) {
    auto infoLogger = std::make_shared<RecordingLogger>("test.infoLevel");
    auto allLogger = std::make_shared<RecordingLogger>("test.allLevel");
    LogDispatcher::sharedInstance().addLogger(infoLogger, log_levels::kInfo);
    LogDispatcher::sharedInstance().addLogger(allLogger, log_levels::kAll);

    int built = 0;
    runtimeLogLevel = static_cast<LogLevel>(LogFlag::error);
    logInfo("filter()", [&] {
        ++built;
        return std::string("never");
    });
    runtimeLogLevel = log_levels::kAll;
    logDebug("filter()", [&] {
        ++built;
        return std::string("debug line");
    });
    const std::size_t line = __LINE__ + 1;
    logWarning("check(fields:)", "warning line");
    logError("filter()", "error line");

    // No flush: the error call waited for its line and the lines before it.
    EXPECT_EQ(built, 1);
    EXPECT_EQ(infoLogger->messages(), (std::vector<std::string>{"warning line", "error line"}));
    EXPECT_EQ(allLogger->messages(),
              (std::vector<std::string>{"debug line", "warning line", "error line"}));
    const LogMessage record = allLogger->records().at(1);
    EXPECT_EQ(record.flag(), LogFlag::warning);
    EXPECT_EQ(record.file(), "tests/logging/LogCallsTest.cpp");
    EXPECT_EQ(record.function(), "check(fields:)");
    EXPECT_EQ(record.line(), line);
    EXPECT_EQ(record.threadID(), std::to_string(gettid()));
}

TEST(LogCalls, EveryPendingLineIsWrittenAtProcessExitAndOnWillTerminate) {
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
