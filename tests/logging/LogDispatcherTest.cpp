// The dispatcher: order, lockstep fan-out on the loggers' own queues (side by side or one after
// the other), registration, filtering, synchronous records and flushing.
#include "logging/LogDispatcher.hpp"

#include "tests/support/RecordingLogger.hpp"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace tavrel::logging;
using tavrel::testing::RecordingLogger;
using Texts = std::vector<std::string>;

namespace {

std::unique_ptr<LogMessage> record(std::string text, LogFlag flag = LogFlag::info) {
    return std::make_unique<LogMessage>(std::move(text), log_levels::kAll, flag, 0, __FILE__,
                                        std::string("test()"), __LINE__, nullptr, 3, std::nullopt);
}

// Slow on purpose: a record overtaking another shows, and two of them are slow enough for the
// dispatcher to run them side by side where it has the processors for it.
class SlowLogger : public RecordingLogger {
public:
    void logMessage(const LogMessage& message) override {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        RecordingLogger::logMessage(message);
    }
};

// A logger that offers no queue and no name, so the dispatcher makes a queue for it.
class BareLogger : public LoggerInterface {
public:
    void logMessage(const LogMessage& /*message*/) override {
        onSomeQueue = SerialQueue::current() != nullptr;
    }
    std::atomic<bool> onSomeQueue{false};
};

class LogDispatcherPaths : public ::testing::TestWithParam<unsigned> {};

} // namespace

TEST_P(LogDispatcherPaths, EveryLoggerSeesEveryRecordInOrderOnceASyncCallOrAFlushReturns) {
    LogDispatcher dispatcher(GetParam());
    using Loggers = std::vector<std::shared_ptr<RecordingLogger>>;
    const Loggers loggers{std::make_shared<SlowLogger>(), std::make_shared<SlowLogger>(),
                          std::make_shared<RecordingLogger>("test.all")};
    dispatcher.addLogger(loggers[0], log_levels::kInfo);
    dispatcher.addLogger(loggers[1], log_levels::kInfo);
    dispatcher.addLogger(loggers[2], log_levels::kAll);
    constexpr int kThreads = 4;
    constexpr int kPerThread = 150;
    std::atomic<int> unwritten{0};
    std::vector<std::thread> threads;
    threads.reserve(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                const std::string text = std::to_string(t) + ":" + std::to_string(i);
                const bool synchronous = i % 10 == 0;
                dispatcher.log(!synchronous, record(text));
                // No flush: a synchronous call returns once every logger has written its record.
                for (const auto& logger : synchronous ? loggers : Loggers{}) {
                    const Texts seen = logger->messages();
                    unwritten += std::find(seen.begin(), seen.end(), text) == seen.end() ? 1 : 0;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    dispatcher.flushLog();
    EXPECT_EQ(unwritten.load(), 0);
    const Texts seen = loggers[0]->messages();
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kPerThread));
    for (const auto& logger : loggers) {
        EXPECT_EQ(logger->messages(), seen);
        EXPECT_TRUE(logger->allOnOwnQueue());
        EXPECT_EQ(logger->flushes(), 1);
    }
    dispatcher.applicationWillTerminate();
    EXPECT_EQ(loggers[2]->flushes(), 2);
    // Each thread's records keep their order.
    std::vector<int> next(kThreads, 0);
    for (const auto& text : seen) {
        const int thread = std::stoi(text.substr(0, text.find(':')));
        ASSERT_EQ(std::stoi(text.substr(text.find(':') + 1)), next[thread]++) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(OneAndManyProcessors, LogDispatcherPaths, ::testing::Values(1U, 2U),
                         [](const auto& info) { return std::to_string(info.param) + "cpu"; });

TEST(LogDispatcher, RegistersALoggerOncePerLevelAndGivesItOnlyTheRecordsItsLevelsLetThrough) {
    LogDispatcher dispatcher(2);
    auto once = std::make_shared<RecordingLogger>("test.once");
    auto twice = std::make_shared<RecordingLogger>("test.twice");
    auto errorsOnly = std::make_shared<RecordingLogger>("test.errors");
    auto bare = std::make_shared<BareLogger>();
    dispatcher.addLogger(once, log_levels::kInfo);
    dispatcher.addLogger(once, log_levels::kInfo);
    dispatcher.addLogger(twice, log_levels::kInfo);
    dispatcher.addLogger(twice, log_levels::kAll);
    dispatcher.addLogger(errorsOnly, static_cast<LogLevel>(LogFlag::error));
    dispatcher.addLogger(bare, log_levels::kInfo);
    dispatcher.addLogger(nullptr, log_levels::kAll);
    dispatcher.log(false, record("debug", LogFlag::debug));
    dispatcher.log(false, record("warning", LogFlag::warning));
    dispatcher.log(false, record("error", LogFlag::error));
    EXPECT_EQ(once->messages(), (Texts{"warning", "error"}));
    EXPECT_EQ(twice->messages(), (Texts{"debug", "warning", "warning", "error", "error"}));
    EXPECT_EQ(errorsOnly->messages(), Texts{"error"});
    EXPECT_TRUE(bare->onSomeQueue);
    // A synchronous record from the logging queue itself runs there and then.
    LogDispatcher::loggingQueue().async(
        [&] { dispatcher.log(false, record("from the queue", LogFlag::error)); });
    dispatcher.flushLog();
    EXPECT_EQ(errorsOnly->messages(), (Texts{"error", "from the queue"}));
}

#ifndef NDEBUG
TEST(LogDispatcherDeathTest, ProgrammingErrorsStopADebugBuildWithTheirMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            LogDispatcher dispatcher(1);
            LogDispatcher::loggingQueue().sync([&] { dispatcher.flushLog(); });
        },
        "This method shouldn't be run on the logging thread/queue that make flush fast enough");
    EXPECT_DEATH(LogMessage("m", log_levels::kAll, LogFlag::info, 0, nullptr, std::nullopt, 1,
                            nullptr, 3, std::nullopt),
                 "Invalid parameter not satisfying: file");
}
#endif
