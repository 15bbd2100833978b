// The terminal logger's line layout, written to a real file descriptor.
#include "logging/TTYLogger.hpp"

#include "tests/support/TemporaryFolder.hpp"

#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using namespace tavrel::logging;
using tavrel::testing::readFile;
using tavrel::testing::TemporaryFolder;

namespace {

LogMessage::Clock::time_point localTime(int year, int month, int day, int hour, int minute,
                                        int second, int microseconds) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return LogMessage::Clock::from_time_t(std::mktime(&parts)) +
           std::chrono::microseconds(microseconds);
}

class TTYLoggerOutput : public ::testing::Test {
protected:
    TTYLoggerOutput()
        : path_(folder_.path() / "tty.out"),
          fd_(::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600)),
          logger_(TTYLogger::make("Sample", 4242, fd_)) {}
    ~TTYLoggerOutput() override { ::close(fd_); }

    void write(std::string message, std::string threadID = "1234567",
               LogMessage::Clock::time_point when = localTime(2024, 6, 1, 0, 4, 9, 517600)) {
        ThreadIdentity identity;
        identity.threadID = std::move(threadID);
        const LogMessage record(std::move(message), LogLevels::all, LogFlag::info, 0, "x.cpp",
                                std::nullopt, 1, nullptr, 3, when, identity);
        logger_->loggerQueue()->sync([&] { logger_->logMessage(record); });
    }

    std::string output() const { return readFile(path_); }

    TemporaryFolder folder_;
    std::filesystem::path path_;
    int fd_;
    std::shared_ptr<TTYLogger> logger_;
};

} // namespace

TEST_F(TTYLoggerOutput, WritesTheExactLineLayout) {
    write("done");
    EXPECT_EQ(output(), "2024-06-01 00:04:09:517 Sample[4242:1234567] done\n");
}

TEST_F(TTYLoggerOutput, CutsTheThreadIdToEightCharactersAndTheMillisecondsDown) {
    write("a", "1234567890", localTime(2024, 12, 31, 23, 59, 59, 999999));
    write("b", "42", localTime(2025, 1, 1, 0, 0, 0, 1000));
    EXPECT_EQ(output(), "2024-12-31 23:59:59:999 Sample[4242:12345678] a\n"
                        "2025-01-01 00:00:00:001 Sample[4242:42] b\n");
}

TEST_F(TTYLoggerOutput, AppendsANewlineOnlyWhenTheMessageLacksOne) {
    write("one\n");
    write("two\n\n");
    write("");
    const std::string prefix = "2024-06-01 00:04:09:517 Sample[4242:1234567] ";
    EXPECT_EQ(output(), prefix + "one\n" + prefix + "two\n\n" + prefix + "\n");
}

TEST_F(TTYLoggerOutput, WritesLongMessagesWhole) {
    const std::string prefix = "2024-06-01 00:04:09:517 Sample[4242:1234567] ";
    for (const std::size_t size : {4095U, 4096U, 100000U}) {
        ::ftruncate(fd_, 0);
        ::lseek(fd_, 0, SEEK_SET);
        const std::string message(size, 'x');
        write(message);
        EXPECT_EQ(output(), prefix + message + "\n") << size;
    }
}

TEST(TTYLogger, UnnamedProcessesGetAPlaceholderName) {
    EXPECT_EQ(TTYLogger::make("", 1, -1)->appName(), "<UnnamedApp>");
    const auto shared = TTYLogger::sharedInstance();
    EXPECT_EQ(shared, TTYLogger::sharedInstance());
    EXPECT_EQ(shared->processID(), std::to_string(getpid()));
    EXPECT_EQ(shared->loggerName(), "logging.ttyLogger");
    EXPECT_EQ(shared->loggerQueue()->label(), "logging.ttyLogger");
}
