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
using namespace std::chrono_literals;

TEST(FileLoggerTest, StartResumesASmallYoungOpenFileAndArchivesAnyOther) {
    enum class Previous { young, oneMebibyte, tooOld };
    for (const Previous previous : {Previous::young, Previous::oneMebibyte, Previous::tooOld}) {
        SCOPED_TRACE(static_cast<int>(previous));
        FileLoggerRig rig;
        const std::string file =
            rig.folder + "com.quillorchid.TavrelUninstaller " +
            LogFileTimestamp::fileNameText(std::chrono::system_clock::now() - 1h) + ".log";
        // A mebibyte with its line feed: the default maximum size.
        const std::string earlier = previous == Previous::oneMebibyte
                                        ? std::string((std::size_t{1} << 20) - 1, 'e')
                                        : "earlier";
        writeFile(file, earlier + "\n");
        if (previous == Previous::tooOld) {
            std::this_thread::sleep_for(2200ms); // its creation date is the file system's
            rig.logger->setRollingFrequency(2.0);
        }
        rig.write("new");
        const std::string old = "<" + earlier + ">";
        EXPECT_EQ(listing(rig.folder),
                  (previous == Previous::young ? Lines{"open", old, "new"}
                                               : Lines{"archived", old, "open", "new"}));
    }
}

TEST(FileLoggerTest, TheFileRollsOnceALineReachesTheLimitAndThatLineIsWrittenWhole) {
    // A line is its message after 25 characters of timestamp, and a line feed.
    constexpr std::size_t kLimit = 1000;
    for (const auto& [length, rolls] :
         {std::pair{kLimit - 27, false}, {kLimit - 26, true}, {kLimit + 100, true}}) {
        FileLoggerRig rig;
        rig.logger->setMaximumFileSize(kLimit);
        const std::string line(length, 'x');
        rig.write(line);
        rig.write("next"); // past the limit, if the first line did not reach it
        EXPECT_EQ(listing(rig.folder), (rolls ? Lines{"archived", line, "open", "next"}
                                              : Lines{"archived", line, "next"}))
            << length;
    }
}

TEST(FileLoggerTest, AgeTimerRollsTheFileWithoutLinesReArmsWhenNotDueAndAllowsASecondEarly) {
    FileLoggerRig rig;
    rig.logger->setRollingFrequency(2.0); // which makes the first file at once
    // Lengthened before the first timer fires: that timer must give way to one at the new date.
    rig.logger->setRollingFrequency(4.0);
    EXPECT_EQ(rig.logger->rollingFrequency(), 4.0);
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(listing(rig.folder), Lines{"open"});
    // The next file waits for a line.
    EXPECT_TRUE(eventually([&] { return listing(rig.folder) == Lines{"archived"}; }, 5s));
    for (const char* line : {"after the roll", "ends with a line feed\n", ""}) {
        rig.write(line);
    }
    EXPECT_EQ(listing(rig.folder),
              (Lines{"archived", "open", "after the roll", "ends with a line feed", ""}));
    // A setting runs the age check at once: up to a second before the roll date still rolls.
    for (const auto& [frequency, rolled] : {std::pair{1.5, "open"}, std::pair{0.8, "archived"}}) {
        rig.logger->setRollingFrequency(frequency);
        rig.dispatcher.flushLog();
        EXPECT_EQ(listing(rig.folder).at(1), rolled) << frequency;
    }
}

// A log folder that fails with a new message each time, so that no report is folded as a repeat.
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
    // The tenth failure, the farewell right after it, and no report after that.
    const std::string text = reports.text();
    const std::string prefix = "] FileLogger.logMessage: ";
    const auto tenth = text.find(prefix + "failure " + std::string(10, 'x') + "\n");
    const auto farewell =
        text.find(prefix + "Too many exceptions -- will not log any more of them.");
    EXPECT_TRUE(tenth != std::string::npos && text.find(prefix, tenth + 1) == farewell &&
                text.find(prefix, farewell + 1) == std::string::npos)
        << text;
}

TEST(FileLoggerTest, ANewModeKeepsTheFileButDeletingOrRenamingItSendsLinesToANewOne) {
    for (const bool renamed : {false, true}) {
        SCOPED_TRACE(renamed);
        FileLoggerRig rig;
        rig.write("before");
        const auto file = logFiles(rig.folder).at(0);
        std::filesystem::permissions(file, std::filesystem::perms::owner_read);
        std::this_thread::sleep_for(200ms); // for an event that must not come
        rig.write("kept");
        EXPECT_EQ(listing(rig.folder), (Lines{"open", "before", "kept"}));
        const auto moved = rig.root.path() / "moved.log";
        renamed ? std::filesystem::rename(file, moved) : (void)std::filesystem::remove(file);
        int probe = 0;
        ASSERT_TRUE(eventually([&] {
            rig.write("probe " + std::to_string(++probe));
            return logFiles(rig.folder).size() == 1;
        }));
        rig.write("after");
        EXPECT_EQ(listing(rig.folder), (Lines{"open", "probe " + std::to_string(probe), "after"}));
        EXPECT_TRUE(!renamed || logMessages(readFile(moved)).at(1) == "kept");
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
            {TAVREL_LOGFILES_HELPER, "write", root.string(), "the line"},
            homeEnvironment(root.string()));
        EXPECT_EQ(run.status, 0) << name << "\n" << run.err;
        // A new file, first by its name, holds the line.
        EXPECT_TRUE(run.out.starts_with("open\nthe line\n")) << name << "\n" << run.out << run.err;
        EXPECT_TRUE(std::filesystem::exists(newest)) << name; // never deleted
    }
}

TEST(FileLoggerTest, FullDiskIsReportedAndLoggingResumesWithWholeLinesWhenSpaceReturns) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const TemporaryFolder disk;
    const ProcessRun run =
        Sandbox()
            .tmpfs(disk.string(), std::size_t{64} * 1024)
            .run({TAVREL_LOGFILES_HELPER, "write", disk.string() + "/logs",
                  "before the disk filled up", "--fill", std::string(6000, 'L') + " lost", "--free",
                  "after space returned"},
                 homeEnvironment(disk.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto full = run.err.find("--- disk full");
    const auto failure = run.err.find("FileLogger: Failed to write data: No space left on device");
    const auto freed = run.err.find("--- freeing space");
    EXPECT_TRUE(full < failure && failure < freed && freed != std::string::npos) << run.err;
    EXPECT_EQ(run.out, "open\nbefore the disk filled up\nafter space returned\n");
}

} // namespace
} // namespace tavrel::logging
