// The log calls through the shared dispatcher: record fields, filtering, synchronous errors, and
// a many-thread stress run through the terminal logger.
#include "logging/Log.hpp"
#include "logging/LogDispatcher.hpp"
#include "logging/TTYLogger.hpp"
#include "tests/support/RecordingLogger.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tavrel::logging;
using tavrel::testing::readFile;
using tavrel::testing::RecordingLogger;
using tavrel::testing::TemporaryFolder;

namespace {

// A terminal logger writing into a file of a temporary folder, registered with the shared
// dispatcher at info.
class FileBackedTerminal {
public:
    FileBackedTerminal()
        : path_(folder_.path() / "terminal.out"),
          fd_(::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600)),
          logger_(TTYLogger::make("tests", 77, fd_)) {
        LogDispatcher::sharedInstance().addLogger(logger_, LogLevels::info);
    }
    // The shared dispatcher keeps the logger to the end of the process: its descriptor is
    // pointed at /dev/null rather than closed, so that a later test's file, which could get
    // the same number, never receives this logger's lines.
    ~FileBackedTerminal() {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(null, fd_);
        ::close(null);
    }
    FileBackedTerminal(const FileBackedTerminal&) = delete;
    FileBackedTerminal& operator=(const FileBackedTerminal&) = delete;

    /// The messages written so far, with the terminal prefix cut off.
    std::vector<std::string> lines() const {
        std::vector<std::string> messages;
        std::istringstream text(readFile(path_));
        for (std::string line; std::getline(text, line);) {
            const auto start = line.find("] ");
            messages.push_back(start == std::string::npos ? line : line.substr(start + 2));
        }
        return messages;
    }

private:
    TemporaryFolder folder_;
    std::filesystem::path path_;
    int fd_;
    std::shared_ptr<TTYLogger> logger_;
};

} // namespace

TEST(LogCalls, MakeARecordWithTheCallSite) {
    auto logger = std::make_shared<RecordingLogger>("test.fields");
    LogDispatcher::sharedInstance().addLogger(logger, LogLevels::all);
    const std::size_t line = __LINE__ + 1;
    logWarning("check(fields:)", "field check");
    LogDispatcher::sharedInstance().flushLog();

    const auto records = logger->records();
    ASSERT_EQ(records.size(), 1U);
    const LogMessage& record = records.front();
    EXPECT_EQ(record.message(), "field check");
    EXPECT_EQ(record.level(), LogLevels::all);
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
    LogDispatcher::sharedInstance().addLogger(infoLogger, LogLevels::info);
    LogDispatcher::sharedInstance().addLogger(allLogger, LogLevels::all);

    int built = 0;
    runtimeLogLevel = static_cast<LogLevel>(LogFlag::error);
    logInfo("filter()", [&] {
        ++built;
        return std::string("never");
    });
    runtimeLogLevel = LogLevels::all;
    logDebug("filter()", [&] {
        ++built;
        return std::string("debug line");
    });
    logError("filter()", "error line");

    EXPECT_EQ(built, 1);
    EXPECT_EQ(infoLogger->messages(), std::vector<std::string>{"error line"});
    EXPECT_EQ(allLogger->messages(), (std::vector<std::string>{"debug line", "error line"}));
}

TEST(LogCalls, AnErrorLineIsWrittenWhenItsCallReturnsAfterEarlierLines) {
    FileBackedTerminal terminal;
    logInfo("order()", "info before");
    logError("order()", "the error");
    // No flush: logError itself waits until its line, and so every line before it, is written.
    const auto lines = terminal.lines();
    ASSERT_GE(lines.size(), 2U);
    EXPECT_EQ(lines[lines.size() - 2], "info before");
    EXPECT_EQ(lines.back(), "the error");
}

TEST(LogCalls, ManyThreadsMixingAsyncAndSyncLoseAndTearNoLine) {
    FileBackedTerminal terminal;
    constexpr int kThreads = 8;
    constexpr int kLines = 20000;
    std::vector<std::thread> threads;
    threads.reserve(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i) {
                auto text = [t, i] {
                    return "stress " + std::to_string(t) + " " + std::to_string(i) + " " +
                           std::string(static_cast<std::size_t>(i % 97), 'x');
                };
                if (i % 16 == 0) {
                    logError("stress()", text);
                } else {
                    logInfo("stress()", text);
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    LogDispatcher::sharedInstance().flushLog();

    std::vector<int> next(kThreads, 0);
    int stressLines = 0;
    for (const auto& line : terminal.lines()) {
        if (line.rfind("stress ", 0) != 0) {
            continue;
        }
        ++stressLines;
        std::istringstream fields(line.substr(7));
        int thread = -1;
        int index = -1;
        std::string padding;
        fields >> thread >> index >> padding;
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << line;
        ASSERT_EQ(index, next[thread]) << "thread " << thread << " out of order or lost a line";
        ASSERT_EQ(padding, std::string(static_cast<std::size_t>(index % 97), 'x')) << line;
        ++next[thread];
    }
    EXPECT_EQ(stressLines, kThreads * kLines);
}
