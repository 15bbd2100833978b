// The file logger on real files: choosing, resuming and rolling files, events, timers, reports
// of failures; and, in a sandbox, files it may not open and a full disk.
#include "logging/LogFileInfo.hpp"
#include "logging/detail/LogFileTimestamp.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"
#include "tests/support/Sandbox.hpp"
#include "tests/support/StandardErrorCapture.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tavrel::logging {
namespace {

using namespace testing;
using Path = std::filesystem::path;
using namespace std::chrono_literals;

constexpr const char* kHelper = TAVREL_LOGFILES_HELPER;
constexpr std::size_t kNotFound = std::string::npos;

bool archived(const Path& path) {
    return LogFileInfo(path.string()).isArchived();
}

Lines messages(const Path& file) {
    return logMessages(readFile(file));
}

// The one log file of the rig other than `old`; an empty path unless there is exactly one.
Path otherFile(const FileLoggerRig& rig, const Path& old) {
    auto files = logFiles(rig.folder);
    std::erase(files, old);
    return files.size() == 1 ? files[0] : Path();
}

TEST(FileLoggerTest, StartResumesASmallYoungOpenFileAndArchivesAnyOther) {
    enum class Previous { young, archived, oneMebibyte, tooOld };
    for (const Previous previous :
         {Previous::young, Previous::archived, Previous::oneMebibyte, Previous::tooOld}) {
        SCOPED_TRACE(static_cast<int>(previous));
        FileLoggerRig rig;
        std::filesystem::create_directories(rig.folder);
        const Path file =
            Path(rig.folder) /
            ("com.quillorchid.TavrelUninstaller " +
             LogFileTimestamp::fileNameText(std::chrono::system_clock::now() - 1h) + ".log");
        writeFile(file, "earlier\n");
        if (previous == Previous::archived) {
            LogFileInfo(file.string()).setIsArchived(true);
        } else if (previous == Previous::oneMebibyte) {
            std::filesystem::resize_file(file, std::uintmax_t{1} << 20);
        } else if (previous == Previous::tooOld) {
            std::this_thread::sleep_for(2200ms); // its creation date is the file system's
            rig.logger->setRollingFrequency(2.0);
        }
        rig.write("new");
        const bool resumed = previous == Previous::young;
        EXPECT_EQ(messages(file).front(), "<earlier>");
        EXPECT_EQ(messages(file).back() == "new", resumed);
        EXPECT_EQ(archived(file), !resumed);
        EXPECT_EQ(logFiles(rig.folder).size(), resumed ? 1U : 2U);
        if (!resumed) {
            EXPECT_EQ(messages(otherFile(rig, file)), Lines{"new"});
            EXPECT_FALSE(archived(otherFile(rig, file)));
        }
    }
}

TEST(FileLoggerTest, TheFileRollsOnceALineReachesTheLimitAndThatLineIsWrittenWhole) {
    // A line is its message after 25 characters of timestamp, and a line feed.
    constexpr std::size_t kLimit = 1000;
    for (const auto& [length, rolls] :
         {std::pair{kLimit - 27, false}, {kLimit - 26, true}, {kLimit + 100, true}}) {
        FileLoggerRig rig;
        rig.logger->setMaximumFileSize(kLimit);
        rig.write(std::string(length, 'x'));
        const auto files = logFiles(rig.folder);
        ASSERT_EQ(files.size(), 1U);
        EXPECT_EQ(std::filesystem::file_size(files[0]), length + 26) << length;
        EXPECT_EQ(archived(files[0]), rolls) << length;
        rig.write("next");
        EXPECT_EQ(messages(rolls ? otherFile(rig, files[0]) : files[0]).back(), "next") << length;
    }
}

TEST(FileLoggerTest, AgeTimerRollsTheFileWithoutLinesReArmsWhenNotDueAndAllowsASecondEarly) {
    FileLoggerRig rig;
    rig.logger->setRollingFrequency(2.0); // which makes the first file at once
    rig.settle();
    const auto files = logFiles(rig.folder);
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(readFile(files[0]), "");
    // Lengthened before the first timer fires: that timer must give way to one at the new date.
    rig.logger->setRollingFrequency(4.0);
    EXPECT_EQ(rig.logger->rollingFrequency(), 4.0);
    std::this_thread::sleep_for(2500ms);
    EXPECT_FALSE(archived(files[0]));
    EXPECT_TRUE(eventually([&] { return archived(files[0]); }, 5s));
    EXPECT_EQ(logFiles(rig.folder).size(), 1U); // the next file waits for a line
    for (const char* line : {"after the roll", "ends with a line feed\n", ""}) {
        rig.write(line);
    }
    const Path next = otherFile(rig, files[0]);
    EXPECT_EQ(messages(next), (Lines{"after the roll", "ends with a line feed", ""}));
    EXPECT_EQ(readFile(next).back(), '\n');
    // A setting runs the age check at once: up to a second before the roll date still rolls.
    for (const auto& [frequency, rolled] : {std::pair{1.5, false}, std::pair{0.8, true}}) {
        rig.logger->setRollingFrequency(frequency);
        rig.settle();
        EXPECT_EQ(archived(next), rolled) << frequency;
    }
}

// A log folder that fails whenever the logger asks for its files, each time in other words,
// so that the system log's terminal copy shows every report.
class FailingLogFolder : public LogFileManager {
public:
    std::vector<LogFileInfo> sortedLogFileInfos() override {
        throw std::runtime_error("failure " + std::string(++failures_, 'x'));
    }
    platform::Result<std::string> createNewLogFile() override {
        return platform::FileError(EIO, "/nowhere");
    }

private:
    std::size_t failures_ = 0;
};

TEST(FileLoggerTest, ExceptionsAreReportedTenTimesTheLastWithAFarewell) {
    const StandardErrorCapture reports;
    LogDispatcher dispatcher;
    dispatcher.addLogger(FileLogger::make(std::make_shared<FailingLogFolder>()), log_levels::kInfo);
    for (int line = 0; line < 12; ++line) {
        dispatcher.log(false, makeRecord("lost"));
    }
    dispatcher.flushLog();
    Lines reported;
    for (const std::string& line : splitLines(reports.text())) {
        if (const auto at = line.find("] FileLogger.logMessage: "); at != std::string::npos) {
            reported.push_back(line.substr(at + 25));
        }
    }
    Lines expected;
    for (std::size_t failure = 1; failure <= 10; ++failure) {
        expected.push_back("failure " + std::string(failure, 'x'));
    }
    expected.emplace_back("Too many exceptions -- will not log any more of them.");
    EXPECT_EQ(reported, expected) << reports.text();
}

TEST(FileLoggerTest, ANewModeKeepsTheFileButDeletingOrRenamingItSendsLinesToANewOne) {
    for (const bool renamed : {false, true}) {
        SCOPED_TRACE(renamed);
        FileLoggerRig rig;
        rig.write("before");
        const auto files = logFiles(rig.folder);
        ASSERT_EQ(files.size(), 1U);
        std::filesystem::permissions(files[0], std::filesystem::perms::owner_read);
        std::this_thread::sleep_for(200ms); // for an event that must not come
        rig.write("kept");
        EXPECT_EQ(messages(files[0]), (Lines{"before", "kept"}));
        const Path moved = rig.root.path() / "moved.log";
        renamed ? std::filesystem::rename(files[0], moved)
                : (void)std::filesystem::remove(files[0]);
        int probe = 0;
        ASSERT_TRUE(eventually([&] {
            rig.write("probe " + std::to_string(++probe));
            return logFiles(rig.folder).size() == 1;
        }));
        rig.write("after");
        const auto fresh = logFiles(rig.folder);
        ASSERT_EQ(fresh.size(), 1U);
        EXPECT_EQ(messages(fresh[0]), (Lines{"probe " + std::to_string(probe), "after"}));
        EXPECT_TRUE(!renamed || messages(moved).at(1) == "kept");
    }
}

TEST(FileLoggerTest, AnUnopenableNewestFileIsPassedOverAndTheLineLandsInANewFile) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const std::vector<std::pair<const char*, void (*)(const std::string&)>> cases{
        {"a folder", [](const std::string& path) { std::filesystem::create_directories(path); }},
        {"a FIFO, which must not block",
         [](const std::string& path) { mkfifo(path.c_str(), 0666); }},
        {"a file the user may not write",
         [](const std::string& path) {
             writeFile(path, "not mine\n");
             chmod(path.c_str(), 0444);
         }},
    };
    for (const auto& [name, plant] : cases) {
        const TemporaryFolder root;
        // Named far in the future, so that it stays the newest of the log set.
        const std::string newest =
            root.string() + "/com.quillorchid.TavrelUninstaller 2200-01-01--00-00-00-000.log";
        plant(newest);
        const ProcessRun run = Sandbox().unprivileged().run(
            {kHelper, "write", root.string(), "the line"}, homeEnvironment(root.string()));
        EXPECT_EQ(run.status, 0) << name << "\n" << run.err;
        // The helper prints each regular file of the log set after its name.
        const Lines out = logMessages(run.out);
        const auto line = std::find(out.begin(), out.end(), "the line");
        ASSERT_TRUE(line != out.end() && line != out.begin()) << name << "\n" << run.out;
        EXPECT_TRUE(isNewLogFileName(line[-1].substr(5, line[-1].size() - 6))) << line[-1];
        EXPECT_EQ(line[-1].find("2200"), kNotFound) << name;
        EXPECT_EQ(run.err.find("Failed to write data"), kNotFound) << name << "\n" << run.err;
        EXPECT_TRUE(std::filesystem::exists(newest)) << name; // never deleted
    }
}

TEST(FileLoggerTest, FullDiskIsReportedAndLoggingResumesWithWholeLinesWhenSpaceReturns) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const TemporaryFolder disk;
    const ProcessRun run =
        Sandbox()
            .tmpfs(disk.string(), 64 * 1024)
            .run({kHelper, "write", disk.string() + "/logs", "before the disk filled up", "--fill",
                  std::string(6000, 'L') + " lost", "--free", "after space returned"},
                 homeEnvironment(disk.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto full = run.err.find("--- disk full");
    const auto failure = run.err.find("FileLogger: Failed to write data: No space left on device");
    const auto freed = run.err.find("--- freeing space");
    EXPECT_TRUE(full < failure && failure < freed && freed != kNotFound) << run.err;
    const Lines out = logMessages(run.out);
    ASSERT_EQ(out.size(), 3U) << run.out;
    EXPECT_TRUE(isNewLogFileName(out[0].substr(5, out[0].size() - 6))) << out[0];
    EXPECT_EQ(Lines(out.begin() + 1, out.end()),
              (Lines{"before the disk filled up", "after space returned"}));
}

} // namespace
} // namespace tavrel::logging
