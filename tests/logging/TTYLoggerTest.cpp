// The terminal logger's line layout, written to a real file descriptor.
#include "logging/TTYLogger.hpp"

#include "tests/support/TemporaryFolder.hpp"

#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iomanip>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace tavrel::logging;
using tavrel::testing::readFile;
using tavrel::testing::TemporaryFolder;

namespace {

// The moment the machine's clock shows as "yyyy-MM-dd HH:mm:ss" and the microseconds.
LogMessage::Clock::time_point localTime(const char* text, int microseconds) {
    std::tm parts{};
    std::istringstream(text) >> std::get_time(&parts, "%Y-%m-%d %H:%M:%S");
    parts.tm_isdst = -1;
    return LogMessage::Clock::from_time_t(std::mktime(&parts)) +
           std::chrono::microseconds(microseconds);
}

} // namespace

TEST(TTYLogger, WritesEachRecordAsOneLineOfTheExactLayoutUnderTheProcesssName) {
    const std::string prefix = "2024-06-01 00:04:09:517 Sample[4242:1234567] ";
    const std::string page(4096, 'x');
    struct Row {
        const char* what;
        std::string message;
        std::string line;
        std::string threadID = "1234567";
        LogMessage::Clock::time_point when = localTime("2024-06-01 00:04:09", 517600);
    };
    const Row rows[] = {
        {"plain", "done", prefix + "done\n"},
        {"long thread id, milliseconds cut", "a",
         "2024-12-31 23:59:59:999 Sample[4242:12345678] a\n", "1234567890",
         localTime("2024-12-31 23:59:59", 999999)},
        {"short thread id", "b", "2025-01-01 00:00:00:001 Sample[4242:42] b\n", "42",
         localTime("2025-01-01 00:00:00", 1000)},
        {"ends with a newline", "one\n", prefix + "one\n"},
        {"ends with two newlines", "two\n\n", prefix + "two\n\n"},
        {"empty", "", prefix + "\n"},
        {"just below the stack buffer", page.substr(1), prefix + page.substr(1) + "\n"},
        {"at the stack buffer", page, prefix + page + "\n"},
        {"far beyond it", std::string(100000, 'y'), prefix + std::string(100000, 'y') + "\n"},
    };
    const TemporaryFolder folder;
    const auto path = folder.path() / "tty.out";
    for (const Row& row : rows) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const auto logger = TTYLogger::make("Sample", 4242, fd);
        const LogMessage record(row.message, log_levels::kAll, LogFlag::info, 0, "x.cpp",
                                std::nullopt, 1, nullptr, 3, row.when,
                                ThreadIdentity{row.threadID, {}, "", 0});
        logger->loggerQueue()->sync([&] { logger->logMessage(record); });
        ::close(fd);
        EXPECT_EQ(readFile(path), row.line) << row.what;
    }
    EXPECT_EQ(TTYLogger::make("", 1, -1)->appName(), "<UnnamedApp>");
    EXPECT_EQ(TTYLogger::sharedInstance()->appName(), "logging_core_tests");
    EXPECT_EQ(TTYLogger::sharedInstance()->processID(), std::to_string(getpid()));
}
