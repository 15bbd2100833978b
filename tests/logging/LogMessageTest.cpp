// Log records: derived fields, worked out on the thread that makes the record.
#include "logging/LogMessage.hpp"

#include "logging/SerialQueue.hpp"

#include <gtest/gtest.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>

using tavrel::logging::LogFlag;
using tavrel::logging::LogMessage;
using tavrel::logging::SerialQueue;
namespace LogLevels = tavrel::logging::LogLevels;

namespace {

LogMessage makeRecord(const char* file = "/x/Source/Logger.txt") {
    return LogMessage("text", LogLevels::all, LogFlag::info, 0, file, std::string("f(x:)"), 7,
                      nullptr, 3, std::nullopt);
}

} // namespace

TEST(LogMessage, FileNameIsTheLastComponentCutBeforeItsLastDot) {
    EXPECT_EQ(LogMessage::fileNameOf("/x/Source/Logger.txt"), "Logger");
    EXPECT_EQ(LogMessage::fileNameOf("/x/Makefile"), "Makefile");
    EXPECT_EQ(LogMessage::fileNameOf("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(LogMessage::fileNameOf("Source/Job/AppBundleJob.cpp"), "AppBundleJob");
    EXPECT_EQ(LogMessage::fileNameOf("/x/.hidden"), "");
    EXPECT_EQ(makeRecord().fileName(), "Logger");
}

TEST(LogMessage, TakesTheCreatingThreadsIdentity) {
    std::string threadID;
    std::optional<std::string> threadName;
    std::string queueLabel = "unset";
    std::thread maker([&] {
        pthread_setname_np(pthread_self(), "record-maker");
        const LogMessage record = makeRecord();
        threadID = record.threadID();
        threadName = record.threadName();
        queueLabel = record.queueLabel();
        EXPECT_EQ(threadID, std::to_string(gettid()));
    });
    maker.join();
    EXPECT_NE(threadID, std::to_string(gettid()));
    EXPECT_EQ(threadName, "record-maker");
    EXPECT_EQ(queueLabel, "");

    SerialQueue queue("test.labelled");
    std::string labelOnQueue;
    queue.async([&] { labelOnQueue = makeRecord().queueLabel(); });
    queue.sync([] {});
    EXPECT_EQ(labelOnQueue, "test.labelled");
}

TEST(LogMessage, TakesTheCurrentTimeUnlessGivenOne) {
    const auto before = LogMessage::Clock::now();
    const LogMessage now = makeRecord();
    EXPECT_GE(now.timestamp(), before);
    EXPECT_LE(now.timestamp(), LogMessage::Clock::now());

    const LogMessage::Clock::time_point given{std::chrono::seconds(1717200249)};
    const LogMessage record("m", LogLevels::all, LogFlag::error, 0, "f.cpp", std::nullopt, 1,
                            nullptr, 3, given);
    EXPECT_EQ(record.timestamp(), given);
    EXPECT_FALSE(record.function().has_value());
    EXPECT_EQ(record.qos(), 0U);
}

TEST(LogMessage, EqualRecordsHashAlike) {
    const LogMessage::Clock::time_point when{std::chrono::seconds(1)};
    const auto make = [&](std::string text) {
        return LogMessage(std::move(text), LogLevels::all, LogFlag::info, 0, "a.cpp",
                          std::string("f()"), 3, nullptr, 3, when);
    };
    const LogMessage a = make("same");
    const LogMessage b = make("same");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.hash(), b.hash());
    EXPECT_FALSE(a == make("other"));
}

TEST(LogMessage, TextsOfEveryLengthOutliveTheRecordTheyWereCopiedFrom) {
    const std::size_t inlineLimit = 160;
    for (const std::size_t length :
         {std::size_t{0}, inlineLimit, inlineLimit + 1, std::size_t{100000}}) {
        std::string text(length, 'x');
        if (length > 0) {
            text.front() = 'a';
            text.back() = 'z';
        }
        auto original =
            std::make_unique<LogMessage>(text, LogLevels::all, LogFlag::info, 0, "f.cpp",
                                         std::nullopt, 1, nullptr, 3, std::nullopt);
        const LogMessage copied = *original;
        LogMessage moved = std::move(*original);
        original.reset();
        EXPECT_EQ(copied.message(), text) << length;
        EXPECT_EQ(moved.message(), text) << length;
        EXPECT_EQ(copied, moved);
    }
}
