// Log records: derived fields, worked out on the thread that makes the record, and copies.
#include "logging/LogMessage.hpp"

#include "logging/detail/SerialQueue.hpp"

#include <gtest/gtest.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using tavrel::logging::LogFlag;
using tavrel::logging::LogMessage;
using tavrel::logging::SerialQueue;
namespace log_levels = tavrel::logging::log_levels;

namespace {

LogMessage makeRecord(std::string text = "text",
                      std::optional<LogMessage::Clock::time_point> when = std::nullopt,
                      const std::string& file = "/x/Source/Logger.txt") {
    return LogMessage(std::move(text), log_levels::kAll, LogFlag::info, 0, file.c_str(),
                      std::string("f(x:)"), 7, nullptr, 3, when);
}

} // namespace

TEST(LogMessage, FileNameIsTheLastComponentCutBeforeItsLastDot) {
    for (const auto& [file, name] : {std::pair{"/x/Makefile", "Makefile"},
                                     {"archive.tar.gz", "archive.tar"},
                                     {"Source/jobs/AppBundleJob.cpp", "AppBundleJob"},
                                     {"/x/.hidden", ""}}) {
        EXPECT_EQ(LogMessage::fileNameOf(file), name) << file;
    }
    EXPECT_EQ(makeRecord().fileName(), "Logger");
}

TEST(LogMessage, TakesTheCreatingThreadsIdentityAndTheCurrentTimeUnlessGivenOne) {
    std::optional<LogMessage> made;
    std::thread maker([&] {
        pthread_setname_np(pthread_self(), "record-maker");
        made = makeRecord();
        EXPECT_EQ(made->threadID(), std::to_string(gettid()));
    });
    maker.join();
    EXPECT_EQ(made->threadName(), "record-maker");
    EXPECT_EQ(made->queueLabel(), "");

    SerialQueue queue("test.labelled");
    queue.sync([&] { made = makeRecord(); });
    EXPECT_EQ(made->queueLabel(), "test.labelled");

    const auto before = LogMessage::Clock::now();
    EXPECT_GE(makeRecord().timestamp(), before);
    const LogMessage::Clock::time_point given{std::chrono::seconds(1717200249)};
    EXPECT_EQ(makeRecord("m", given).timestamp(), given);
}

TEST(LogMessage, CopiesOwnTheirTextsAndEqualRecordsHashAlike) {
    const LogMessage::Clock::time_point when{std::chrono::seconds(1)};
    const std::size_t inlineLimit = tavrel::logging::RecordText::kInlineCapacity;
    for (const std::size_t length : {std::size_t{0}, inlineLimit, inlineLimit + 1, 100000UL}) {
        const std::string text = std::string(length, 'x') + "end";
        auto original = std::make_unique<LogMessage>(makeRecord(text, when, "/tmp/made.cpp"));
        const LogMessage copy = *original;
        LogMessage moved = std::move(*original);
        original.reset();
        EXPECT_EQ(moved.message(), text) << length;
        EXPECT_EQ(copy.file(), "/tmp/made.cpp");
        EXPECT_EQ(copy.function(), "f(x:)");

        const LogMessage same = makeRecord(text, when, "/tmp/made.cpp");
        EXPECT_EQ(copy, same) << length;
        EXPECT_EQ(copy.hash(), same.hash());
        EXPECT_FALSE(copy == makeRecord("other", when, "/tmp/made.cpp"));
        EXPECT_FALSE(copy == makeRecord(text, when, "/tmp/other.cpp"));
    }
}
