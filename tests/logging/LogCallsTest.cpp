// The log calls through the shared dispatcher: the record's call site, filtering, and errors
// written before their call returns.
#include "logging/Log.hpp"
#include "logging/LogDispatcher.hpp"
#include "tests/support/RecordingLogger.hpp"

#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tavrel::logging;
using tavrel::testing::RecordingLogger;

TEST(LogCalls, MakeARecordWithTheCallSite) {
    auto logger = std::make_shared<RecordingLogger>("test.fields");
    LogDispatcher::sharedInstance().addLogger(logger, log_levels::kAll);
    const std::size_t line = __LINE__ + 1;
    logWarning("check(fields:)", "field check");
    LogDispatcher::sharedInstance().flushLog();

    const auto records = logger->records();
    ASSERT_EQ(records.size(), 1U);
    const LogMessage& record = records.front();
    EXPECT_EQ(record.message(), "field check");
    EXPECT_EQ(record.flag(), LogFlag::warning);
    EXPECT_EQ(record.file(), "tests/logging/LogCallsTest.cpp");
    EXPECT_EQ(record.function(), "check(fields:)");
    EXPECT_EQ(record.line(), line);
    EXPECT_EQ(record.threadID(), std::to_string(gettid()));
}

TEST(LogCalls, FilteredCallsBuildNoMessageAndErrorsAreWrittenWhenTheCallReturns) {
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
    logError("filter()", "error line");

    // No flush: the error call waited for its line and the lines before it.
    EXPECT_EQ(built, 1);
    EXPECT_EQ(infoLogger->messages(), std::vector<std::string>{"error line"});
    EXPECT_EQ(allLogger->messages(), (std::vector<std::string>{"debug line", "error line"}));
}
