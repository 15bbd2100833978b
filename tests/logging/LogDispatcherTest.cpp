// The dispatcher: order, lockstep fan-out on the loggers' own queues, registration, filtering,
// synchronous records and flushing.
#include "logging/LogDispatcher.hpp"

#include "logging/AbstractLogger.hpp"
#include "tests/support/RecordingLogger.hpp"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace tavrel::logging;
using tavrel::testing::RecordingLogger;

namespace {

std::unique_ptr<LogMessage> record(std::string text, LogFlag flag = LogFlag::info) {
    return std::make_unique<LogMessage>(std::move(text), log_levels::kAll, flag, 0, __FILE__,
                                        std::string("test()"), __LINE__, nullptr, 3, std::nullopt);
}

// Slow on purpose, so that a record overtaking another, or two loggers writing at once, shows.
class SlowLogger : public RecordingLogger {
public:
    explicit SlowLogger(std::chrono::microseconds delay, std::atomic<int>* writing = nullptr,
                        std::atomic<int>* mostAtOnce = nullptr)
        : RecordingLogger("test.slowLogger"), delay_(delay), writing_(writing),
          mostAtOnce_(mostAtOnce) {}
    void logMessage(const LogMessage& message) override {
        if (writing_ != nullptr) {
            const int now = ++*writing_;
            int most = mostAtOnce_->load();
            while (now > most && !mostAtOnce_->compare_exchange_weak(most, now)) {
            }
        }
        std::this_thread::sleep_for(delay_);
        if (writing_ != nullptr) {
            --*writing_;
        }
        RecordingLogger::logMessage(message);
    }

private:
    std::chrono::microseconds delay_;
    std::atomic<int>* writing_;
    std::atomic<int>* mostAtOnce_;
};

// A logger that offers no queue and no name, so the dispatcher makes a queue for it.
class BareLogger : public LoggerInterface {
public:
    void logMessage(const LogMessage& message) override {
        onSomeQueue = SerialQueue::current() != nullptr;
        last = message.message();
    }
    std::atomic<bool> onSomeQueue{false};
    std::string last;
};

class LogDispatcherPaths : public ::testing::TestWithParam<unsigned> {};

} // namespace

TEST_P(LogDispatcherPaths, EveryLoggerSeesEveryRecordInTheSameOrder) {
    LogDispatcher dispatcher(GetParam());
    auto first = std::make_shared<RecordingLogger>("test.first");
    auto second = std::make_shared<SlowLogger>(std::chrono::microseconds(200));
    auto third = std::make_shared<RecordingLogger>("test.third");
    dispatcher.addLogger(first, log_levels::kInfo);
    dispatcher.addLogger(second, log_levels::kInfo);
    dispatcher.addLogger(third, log_levels::kAll);

    constexpr int kThreads = 4;
    constexpr int kPerThread = 150;
    std::vector<std::thread> threads;
    threads.reserve(kThreads);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                dispatcher.log(i % 10 != 0, record(std::to_string(t) + ":" + std::to_string(i)));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    dispatcher.flushLog();

    const auto seen = first->messages();
    ASSERT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kPerThread));
    EXPECT_EQ(second->messages(), seen);
    EXPECT_EQ(third->messages(), seen);
    EXPECT_TRUE(first->allOnOwnQueue() && second->allOnOwnQueue() && third->allOnOwnQueue());
    // Each thread's records keep their order.
    std::vector<int> next(kThreads, 0);
    for (const auto& text : seen) {
        const int thread = std::stoi(text.substr(0, text.find(':')));
        ASSERT_EQ(std::stoi(text.substr(text.find(':') + 1)), next[thread]++) << text;
    }
}

TEST_P(LogDispatcherPaths, ASyncRecordIsWrittenAfterEarlierAsyncOnesWhenItsCallReturns) {
    LogDispatcher dispatcher(GetParam());
    auto slow = std::make_shared<SlowLogger>(std::chrono::microseconds(200));
    auto fast = std::make_shared<RecordingLogger>();
    dispatcher.addLogger(slow, log_levels::kInfo);
    dispatcher.addLogger(fast, log_levels::kInfo);
    for (int i = 0; i < 20; ++i) {
        dispatcher.log(true, record("async " + std::to_string(i)));
    }
    dispatcher.log(false, record("sync"));
    // No flush: the synchronous call alone must have waited for everything before it.
    const auto slowSeen = slow->messages();
    ASSERT_EQ(slowSeen.size(), 21U);
    EXPECT_EQ(slowSeen.back(), "sync");
    EXPECT_EQ(fast->messages(), slowSeen);
}

TEST_P(LogDispatcherPaths, SlowLoggersRunSideBySideOnlyWithManyProcessors) {
    std::atomic<int> writing{0};
    std::atomic<int> mostAtOnce{0};
    LogDispatcher dispatcher(GetParam());
    for (int i = 0; i < 2; ++i) {
        dispatcher.addLogger(
            std::make_shared<SlowLogger>(std::chrono::milliseconds(5), &writing, &mostAtOnce),
            log_levels::kInfo);
    }
    // One slow record tips nothing: the loggers run side by side from the seventh on.
    for (int i = 0; i < 8; ++i) {
        dispatcher.log(false, record("slow"));
    }
    EXPECT_EQ(mostAtOnce.load(), GetParam() == 1 ? 1 : 2);
}

INSTANTIATE_TEST_SUITE_P(OneAndManyProcessors, LogDispatcherPaths, ::testing::Values(1U, 2U),
                         [](const auto& info) { return std::to_string(info.param) + "cpu"; });

TEST(LogDispatcher, SyncRecordFromTheLoggingQueueRunsInline) {
    LogDispatcher dispatcher(2);
    auto logger = std::make_shared<RecordingLogger>();
    dispatcher.addLogger(logger, log_levels::kInfo);
    std::atomic<bool> returned{false};
    LogDispatcher::loggingQueue().async([&] {
        dispatcher.log(false, record("from the logging queue"));
        returned = true;
    });
    dispatcher.flushLog();
    EXPECT_TRUE(returned);
    EXPECT_EQ(logger->messages(), std::vector<std::string>{"from the logging queue"});
}

TEST(LogDispatcher, RegistersALoggerOncePerLevelAndGivesItOnlyTheRecordsItsLevelsLetThrough) {
    LogDispatcher dispatcher(2);
    auto once = std::make_shared<RecordingLogger>("test.once");
    auto twice = std::make_shared<RecordingLogger>("test.twice");
    auto errorsOnly = std::make_shared<RecordingLogger>("test.errors");
    dispatcher.addLogger(once, log_levels::kInfo);
    dispatcher.addLogger(once, log_levels::kInfo);
    dispatcher.addLogger(twice, log_levels::kInfo);
    dispatcher.addLogger(twice, log_levels::kAll);
    dispatcher.addLogger(errorsOnly, static_cast<LogLevel>(LogFlag::error));
    dispatcher.addLogger(nullptr, log_levels::kAll);
    dispatcher.log(false, record("debug", LogFlag::debug));
    dispatcher.log(false, record("warning", LogFlag::warning));
    dispatcher.log(false, record("error", LogFlag::error));
    EXPECT_EQ(once->messages(), (std::vector<std::string>{"warning", "error"}));
    EXPECT_EQ(twice->messages(),
              (std::vector<std::string>{"debug", "warning", "warning", "error", "error"}));
    EXPECT_EQ(errorsOnly->messages(), std::vector<std::string>{"error"});
}

TEST(LogDispatcher, MakesAQueueForALoggerThatOffersNone) {
    LogDispatcher dispatcher(1);
    auto bare = std::make_shared<BareLogger>();
    dispatcher.addLogger(bare, log_levels::kInfo);
    dispatcher.log(false, record("bare"));
    EXPECT_TRUE(bare->onSomeQueue);
    EXPECT_EQ(bare->last, "bare");
}

TEST(LogDispatcher, FlushWaitsForPendingRecordsAndFlushesEveryLogger) {
    LogDispatcher dispatcher(2);
    auto slow = std::make_shared<SlowLogger>(std::chrono::microseconds(200));
    auto recording = std::make_shared<RecordingLogger>();
    dispatcher.addLogger(slow, log_levels::kInfo);
    dispatcher.addLogger(recording, log_levels::kInfo);
    for (int i = 0; i < 50; ++i) {
        dispatcher.log(true, record(std::to_string(i)));
    }
    dispatcher.flushLog();
    EXPECT_EQ(slow->messages().size(), 50U);
    EXPECT_EQ(recording->messages().size(), 50U);
    EXPECT_EQ(slow->flushes(), 1);
    EXPECT_EQ(recording->flushes(), 1);
    dispatcher.applicationWillTerminate();
    EXPECT_EQ(recording->flushes(), 2);
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
