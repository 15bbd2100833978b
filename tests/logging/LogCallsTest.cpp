// The log calls through the shared dispatcher: record fields, filtering, and synchronous errors
// among asynchronous lines from many threads.
#include "logging/Log.hpp"
#include "logging/LogDispatcher.hpp"
#include "tests/support/RecordingLogger.hpp"

#include <array>
#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tavrel::logging;
using tavrel::testing::RecordingLogger;

namespace {

// Keeps, for each of a few threads, the last line number it was given, and counts lines that
// come out of their thread's order.
class LineNumberLogger : public AbstractLogger {
public:
    static constexpr int kThreads = 4;
    LineNumberLogger() : AbstractLogger("test.lineNumbers") {}
    void logMessage(const LogMessage& message) override {
        int thread = 0;
        int line = 0;
        if (std::sscanf(std::string(message.message()).c_str(), "line %d %d", &thread, &line) !=
            2) {
            return;
        }
        if (line != last[thread] + 1) {
            ++outOfOrder;
        }
        last[thread] = line;
    }
    std::array<std::atomic<int>, kThreads> last{-1, -1, -1, -1};
    std::atomic<int> outOfOrder{0};
};

} // namespace

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
    EXPECT_EQ(record.level(), log_levels::kAll);
    EXPECT_EQ(record.flag(), LogFlag::warning);
    EXPECT_EQ(record.context(), 0);
    EXPECT_EQ(record.file(), "tests/logging/LogCallsTest.cpp");
    EXPECT_EQ(record.fileName(), "LogCallsTest");
    EXPECT_EQ(record.function(), "check(fields:)");
    EXPECT_EQ(record.line(), line);
    EXPECT_EQ(record.options(), 3U);
    EXPECT_EQ(record.tag(), nullptr);
    EXPECT_EQ(record.threadID(), std::to_string(gettid()));
}

TEST(LogCalls, FilteredCallsBuildNoMessageAndDebugLinesPassNoInfoLogger) {
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

    EXPECT_EQ(built, 1);
    EXPECT_EQ(infoLogger->messages(), std::vector<std::string>{"error line"});
    EXPECT_EQ(allLogger->messages(), (std::vector<std::string>{"debug line", "error line"}));
}

TEST(LogCalls, AnErrorCallReturnsOnceItsLineAndItsThreadsEarlierLinesAreWritten) {
    auto logger = std::make_shared<LineNumberLogger>();
    LogDispatcher::sharedInstance().addLogger(logger, log_levels::kInfo);
    constexpr int kLines = 3000;
    std::atomic<int> notYetWritten{0};
    std::vector<std::thread> threads;
    threads.reserve(LineNumberLogger::kThreads);
    for (int t = 0; t < LineNumberLogger::kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kLines; ++i) {
                const auto text = [t, i] {
                    return "line " + std::to_string(t) + " " + std::to_string(i);
                };
                if (i % 16 != 15) {
                    logInfo("order()", text);
                    continue;
                }
                logError("order()", text);
                // No flush: the error call itself waited for its line and those before it.
                if (logger->last[t] != i) {
                    ++notYetWritten;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    LogDispatcher::sharedInstance().flushLog();
    EXPECT_EQ(notYetWritten.load(), 0);
    EXPECT_EQ(logger->outOfOrder.load(), 0);
    for (int t = 0; t < LineNumberLogger::kThreads; ++t) {
        EXPECT_EQ(logger->last[t], kLines - 1) << "thread " << t;
    }
}
