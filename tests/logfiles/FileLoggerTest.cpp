// The file logger on real files: choosing, resuming and rolling files, events, timers, and
// many writers at once.
#include "logging/Log.hpp"
#include "logging/LogFileInfo.hpp"
#include "logging/detail/LogFileTimestamp.hpp"
#include "logging/detail/ReportCap.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/xattr.h>
#include <unistd.h>

namespace tavrel::logging {
namespace {

using testing::eventually;
using testing::FileLoggerRig;
using testing::logFiles;
using testing::readFile;
using testing::splitLines;
using testing::writeFile;
using Clock = std::chrono::system_clock;
using namespace std::chrono_literals;

bool archived(const std::filesystem::path& path) {
    char value = 0;
    return getxattr(path.c_str(), "user.log.archived", &value, 1) == 1 && value == 1;
}

// The message part of each line, after the timestamp and its two spaces.
std::vector<std::string> messages(const std::filesystem::path& file) {
    std::vector<std::string> result;
    for (const auto& line : splitLines(readFile(file))) {
        result.push_back(line.size() >= 25 ? line.substr(25) : "<short:" + line + ">");
    }
    return result;
}

std::filesystem::path existingLogFile(const FileLoggerRig& rig, const std::string& content,
                                      Clock::time_point nameTime = Clock::now()) {
    std::filesystem::create_directories(rig.folder);
    auto path =
        std::filesystem::path(rig.folder) / (LogFileManagerDefault::applicationName() + " " +
                                             LogFileTimestamp::fileNameText(nameTime) + ".log");
    writeFile(path, content);
    return path;
}

TEST(FileLoggerTest, SettingTheFrequencyCreatesTheFirstFileAndLinesFollowInIt) {
    FileLoggerRig rig;
    rig.logger->setRollingFrequency(86400.0);
    rig.settle();
    auto files = logFiles(rig.folder);
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(readFile(files[0]), "");

    rig.write("first");
    rig.write("ends with a line feed\n");
    rig.write("");
    const auto content = splitLines(readFile(files[0]));
    ASSERT_EQ(content.size(), 3U);
    std::string message;
    ASSERT_TRUE(testing::isLogLine(content[0], &message)) << content[0];
    EXPECT_EQ(message, "first");
    EXPECT_EQ(messages(files[0]), (std::vector<std::string>{"first", "ends with a line feed", ""}));
    EXPECT_EQ(readFile(files[0]).back(), '\n');
    EXPECT_EQ(rig.logger->rollingFrequency(), 86400.0);
    EXPECT_FALSE(archived(files[0]));
}

TEST(FileLoggerTest, StartResumesASmallYoungUnarchivedFile) {
    FileLoggerRig rig;
    const auto previous = existingLogFile(rig, "earlier\n", Clock::now() - 1h);
    rig.write("appended");
    ASSERT_EQ(logFiles(rig.folder), std::vector<std::filesystem::path>{previous});
    EXPECT_EQ(splitLines(readFile(previous)).front(), "earlier");
    EXPECT_EQ(messages(previous).back(), "appended");
}

TEST(FileLoggerTest, StartArchivesAnArchivedTooLargeOrTooOldFileAndMakesANewOne) {
    enum class Reason { archived, tooLarge, tooOld };
    for (const Reason reason : {Reason::archived, Reason::tooLarge, Reason::tooOld}) {
        SCOPED_TRACE(static_cast<int>(reason));
        FileLoggerRig rig;
        const auto previous = existingLogFile(rig, "earlier\n", Clock::now() - 1h);
        if (reason == Reason::archived) {
            LogFileInfo(previous.string()).setIsArchived(true);
        } else if (reason == Reason::tooLarge) {
            std::filesystem::resize_file(previous, FileLogger::kDefaultMaximumFileSize);
        } else {
            std::this_thread::sleep_for(2200ms); // its creation date is the file system's
            rig.logger->setRollingFrequency(2.0);
        }
        rig.write("new");
        const auto files = logFiles(rig.folder);
        ASSERT_EQ(files.size(), 2U);
        EXPECT_TRUE(archived(previous));
        const auto fresh = files[0] == previous ? files[1] : files[0];
        EXPECT_FALSE(archived(fresh));
        EXPECT_EQ(messages(fresh), std::vector<std::string>{"new"});
        EXPECT_EQ(splitLines(readFile(previous)).front(), "earlier");
    }
}

TEST(FileLoggerTest, ALineCrossingTheLimitIsWrittenWholeThenTheFileRolls) {
    FileLoggerRig rig;
    rig.write("opens the file");
    auto files = logFiles(rig.folder);
    ASSERT_EQ(files.size(), 1U);
    const auto first = files[0];
    // Fill to just under 1 MiB with one long line; then a line that crosses the limit.
    const std::uintmax_t size = std::filesystem::file_size(first);
    const std::string filler(FileLogger::kDefaultMaximumFileSize - size - 25 - 1 - 10, 'f');
    rig.write(filler);
    EXPECT_EQ(std::filesystem::file_size(first), FileLogger::kDefaultMaximumFileSize - 10);
    EXPECT_FALSE(archived(first));
    const std::string crossing(100, 'c');
    rig.write(crossing);
    EXPECT_EQ(std::filesystem::file_size(first), FileLogger::kDefaultMaximumFileSize - 10 + 126);
    EXPECT_EQ(messages(first).back(), crossing);
    EXPECT_TRUE(archived(first));

    rig.write("next");
    files = logFiles(rig.folder);
    ASSERT_EQ(files.size(), 2U);
    const auto second = files[0] == first ? files[1] : files[0];
    EXPECT_EQ(messages(second), std::vector<std::string>{"next"});
}

TEST(FileLoggerTest, AgeTimerRollsTheFileWithoutLinesAndReArmsWhenNotDue) {
    FileLoggerRig rig;
    rig.logger->setRollingFrequency(2.0);
    rig.settle();
    auto files = logFiles(rig.folder);
    ASSERT_EQ(files.size(), 1U);
    const auto first = files[0];
    // Lengthened before the first timer fires: that timer must give way to one at the new date.
    rig.logger->setRollingFrequency(4.0);
    rig.settle();
    std::this_thread::sleep_for(2500ms);
    EXPECT_FALSE(archived(first));
    EXPECT_TRUE(eventually([&] { return archived(first); }, 5s));
    EXPECT_EQ(logFiles(rig.folder).size(), 1U); // the next file waits for a line

    rig.write("after the roll");
    files = logFiles(rig.folder);
    ASSERT_EQ(files.size(), 2U);
    const auto second = files[0] == first ? files[1] : files[0];
    EXPECT_EQ(messages(second), std::vector<std::string>{"after the roll"});
}

TEST(FileLoggerTest, AnAgeCheckUpToASecondBeforeTheRollDateStillRolls) {
    // Setting the frequency runs the age check at once, on a file a few milliseconds old.
    for (const auto& [frequency, rolledAtOnce] : {std::pair{0.8, true}, std::pair{1.5, false}}) {
        FileLoggerRig rig;
        rig.write("opens the file");
        const auto files = logFiles(rig.folder);
        ASSERT_EQ(files.size(), 1U);
        rig.logger->setRollingFrequency(frequency);
        rig.settle();
        EXPECT_EQ(archived(files[0]), rolledAtOnce) << frequency;
    }
}

TEST(FileLoggerTest, ExceptionReportsStopAfterTheTenthWithAFarewell) {
    detail::ReportCap cap(10, "farewell");
    std::vector<std::string> reported;
    for (int failure = 1; failure <= 12; ++failure) {
        for (std::string& line : cap.next("failure " + std::to_string(failure))) {
            reported.push_back(std::move(line));
        }
    }
    ASSERT_EQ(reported.size(), 11U);
    EXPECT_EQ(reported[9], "failure 10");
    EXPECT_EQ(reported[10], "farewell");
}

TEST(FileLoggerTest, DeletedOrRenamedCurrentFileSendsLinesToANewFile) {
    for (const bool rename : {false, true}) {
        SCOPED_TRACE(rename ? "renamed" : "deleted");
        FileLoggerRig rig;
        rig.write("before");
        const auto files = logFiles(rig.folder);
        ASSERT_EQ(files.size(), 1U);
        const auto moved = std::filesystem::path(rig.root.string()) / "moved.log";
        if (rename) {
            std::filesystem::rename(files[0], moved);
        } else {
            std::filesystem::remove(files[0]);
        }
        int probe = 0;
        ASSERT_TRUE(eventually([&] {
            rig.write("probe " + std::to_string(++probe));
            return logFiles(rig.folder).size() == 1;
        }));
        rig.write("after");
        const auto fresh = logFiles(rig.folder);
        ASSERT_EQ(fresh.size(), 1U);
        EXPECT_EQ(messages(fresh[0]).back(), "after");
        EXPECT_EQ(messages(fresh[0]).front(), "probe " + std::to_string(probe));
        if (rename) {
            EXPECT_EQ(messages(moved).front(), "before");
        }
    }
}

TEST(FileLoggerTest, ErrorLineIsInTheFileWhenTheCallReturns) {
    // The shared dispatcher, as the program uses it; this test runs in a process of its own.
    testing::TemporaryFolder root;
    auto manager = std::make_shared<LogFileManagerDefault>(root.string());
    auto logger = FileLogger::make(manager);
    LogDispatcher::sharedInstance().addLogger(logger, LogLevels::info);
    for (int i = 0; i < 50; ++i) {
        logInfo("test()", "info " + std::to_string(i));
        logError("test()", "error " + std::to_string(i));
        const auto files = logFiles(root.string());
        ASSERT_EQ(files.size(), 1U);
        const auto written = messages(files[0]);
        ASSERT_EQ(written.size(), 2U * static_cast<std::size_t>(i + 1));
        ASSERT_EQ(written.back(), "error " + std::to_string(i));
    }
    LogDispatcher::sharedInstance().flushLog();
}

TEST(FileLoggerTest, ManyThreadsEveryLineOnceAndWholeWithinTheSizeLimit) {
    constexpr int kThreads = 4;
    constexpr int kLines = 50000;
    constexpr std::uint64_t kLimit = std::uint64_t{64} * 1024;
    FileLoggerRig rig;
    rig.manager->setMaximumNumberOfLogFiles(0);
    rig.manager->setLogFilesDiskQuota(0);
    rig.logger->setMaximumFileSize(kLimit);
    std::vector<std::thread> writers;
    writers.reserve(kThreads);
    for (int thread = 0; thread < kThreads; ++thread) {
        writers.emplace_back([&rig, thread] {
            for (int line = 0; line < kLines; ++line) {
                rig.dispatcher.log(line % 1000 != 0,
                                   testing::makeRecord("writer " + std::to_string(thread) +
                                                       " line " + std::to_string(line)));
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    rig.settle();
    LogFileManagerDefault::backgroundQueue().sync([] {});

    std::vector<std::vector<char>> seen(kThreads, std::vector<char>(kLines, 0));
    std::size_t total = 0;
    for (const auto& file : logFiles(rig.folder)) {
        const std::string text = readFile(file);
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(text.back(), '\n');
        const auto content = splitLines(text);
        const std::size_t lastLine = content.back().size() + 1;
        EXPECT_LT(text.size(), kLimit + lastLine) << file;
        for (const auto& line : content) {
            int writer = -1;
            int number = -1;
            int end = 0;
            ASSERT_TRUE(line.size() > 25 && line[4] == '/' && line[7] == '/' && line[10] == ' ' &&
                        line[13] == ':' && line[16] == ':' && line[19] == ':' &&
                        line.compare(23, 2, "  ") == 0)
                << line;
            ASSERT_EQ(std::sscanf(line.c_str() + 25, "writer %d line %d%n", &writer, &number, &end),
                      2)
                << line;
            ASSERT_EQ(static_cast<std::size_t>(end), line.size() - 25) << line;
            ASSERT_TRUE(writer >= 0 && writer < kThreads && number >= 0 && number < kLines) << line;
            char& mark = seen[static_cast<std::size_t>(writer)][static_cast<std::size_t>(number)];
            ASSERT_EQ(mark, 0) << "twice: " << line;
            mark = 1;
            ++total;
        }
    }
    EXPECT_EQ(total, static_cast<std::size_t>(kThreads) * kLines);
}

} // namespace
} // namespace tavrel::logging
