// Log files in a process of their own: start-up with a temporary home, and where the test
// process cannot go itself (a full disk, a file system without user attributes, no privileges)
// in a sandbox.
#include "tests/support/Sandbox.hpp"

#include "logging/LogFileInfo.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <iomanip>
#include <sstream>
#include <sys/stat.h>

namespace tavrel::logging {
namespace {

using testing::homeEnvironment;
using testing::isNewLogFileName;
using testing::logFiles;
using testing::logMessages;
using testing::ProcessRun;
using testing::readFile;
using testing::runProcess;
using testing::Sandbox;
using testing::splitLines;
using testing::TemporaryFolder;
using Lines = std::vector<std::string>;

constexpr const char* kHelper = TAVREL_LOGFILES_HELPER;
constexpr std::size_t kNotFound = std::string::npos;

// The time of the first timestamp in the text, in seconds since the epoch: its first fourteen
// digits, yyyyMMddHHmmss, whatever stands between them.
long long secondsOf(const std::string& text) {
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), ::isdigit);
    std::tm time{};
    std::istringstream(digits.substr(0, 14)) >> std::get_time(&time, "%Y%m%d%H%M%S");
    return timegm(&time);
}

TEST(LogSetUpTest, StartUpPrunesTheFolderAndWritesTheBannerOnceInLocalTimeAndToAFileInUtc) {
    const TemporaryFolder home;
    const std::string folder = home.string() + "/Library/Logs/TavrelUninstaller/";
    const auto path = [&](int hour) {
        return folder + "com.quillorchid.TavrelUninstaller 2024-05-31--" + (hour < 10 ? "0" : "") +
               std::to_string(hour) + "-00-00-000.log";
    };
    for (int hour = 1; hour <= 10; ++hour) {
        testing::writeFile(path(hour), "old\n");
        LogFileInfo(path(hour)).setIsArchived(true);
    }
    // Half an hour's offset shows a time zone handled as whole hours; no zone database needed.
    const ProcessRun run = runProcess({kHelper, "startup", "after the banner"},
                                      homeEnvironment(home.string(), {"TZ=XST-5:30"}));
    ASSERT_EQ(run.status, 0) << run.err;
    // The new file, named last, and the six newest of the old ones.
    const auto files = logFiles(folder);
    ASSERT_EQ(files.size(), 7U);
    EXPECT_EQ(files[0], path(5));
    const std::string name = files.back().filename().string();
    EXPECT_TRUE(isNewLogFileName(name)) << name;
    const std::string text = readFile(files.back());
    const Lines written = logMessages(text);
    ASSERT_EQ(written.size(), 5U) << text;
    EXPECT_TRUE(written[1].starts_with("Linux: ") && written[1].size() > 7) << written[1];
    const std::string stars(61, '*');
    EXPECT_EQ(written, (Lines{stars, written[1],
                              std::string("TavelUninstaller: ") + TAVREL_PROJECT_VERSION + " (" +
                                  TAVREL_BUILD_NUMBER + ")",
                              stars, "after the banner"}));

    // The terminal shows the same lines after a prefix of its own, and the warning once.
    Lines terminal;
    std::string terminalStamp;
    for (const std::string& line : splitLines(run.err)) {
        if (line.find(" logfiles_helpe") == 23 && line.find("] ") != kNotFound) {
            terminalStamp = terminalStamp.empty() ? line.substr(0, 23) : terminalStamp;
            terminal.push_back(line.substr(line.find("] ") + 2));
        }
    }
    EXPECT_EQ(terminal, written) << run.err;
    const auto warning = run.err.find("Warning: Usage of TTYLogger");
    EXPECT_NE(warning, kNotFound);
    EXPECT_EQ(warning, run.err.rfind("Warning: Usage of TTYLogger"));
    EXPECT_EQ(run.err.find("DEBUG Build Version"), kNotFound);

    // One record, two clocks: the terminal's local time is 5:30 ahead of the file's UTC. The
    // file was named in UTC too, when the logger's first setting opened it, on its own queue:
    // a moment before or after the banner's record was stamped, across a second's end maybe.
    EXPECT_EQ(secondsOf(terminalStamp) - secondsOf(text), 5 * 3600 + 30 * 60)
        << terminalStamp << " vs " << text;
    EXPECT_EQ(terminalStamp.substr(19, 4), text.substr(19, 4)); // milliseconds
    EXPECT_LE(std::abs(secondsOf(text) - secondsOf(name)), 5) << name << " vs " << text;
}

TEST(LogFilesSandboxTest, AnUnopenableNewestFileIsPassedOverAndTheLineLandsInANewFile) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const std::vector<std::pair<const char*, void (*)(const std::string&)>> cases{
        {"a folder", [](const std::string& path) { std::filesystem::create_directories(path); }},
        {"a FIFO, which must not block",
         [](const std::string& path) { mkfifo(path.c_str(), 0666); }},
        {"a file the user may not write",
         [](const std::string& path) {
             testing::writeFile(path, "not mine\n");
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

TEST(LogFilesProcessTest, CreationGivesUpAfterFiveCriticalErrors) {
    const TemporaryFolder root;
    // A folder so deep that no file name fits below it.
    std::string folder = root.string();
    while (folder.size() < 4040) {
        folder += "/" + std::string(200, 'd');
    }
    std::filesystem::create_directories(folder);
    const ProcessRun run = runProcess({kHelper, "create", folder}, homeEnvironment(root.string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("none: ")) << run.out;
    EXPECT_NE(run.out.find("File name too long"), kNotFound) << run.out;
    // Five alike: the first shown, three counted, the last shown with the count at exit.
    const Lines lines = splitLines(run.err);
    Lines critical;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(critical), [](const auto& line) {
        return line.find("LogFileManagerDefault: Critical error while creating log file: ") !=
               kNotFound;
    });
    ASSERT_EQ(critical.size(), 2U) << run.err;
    EXPECT_TRUE(critical[1].ends_with(" [3 similar lines not shown]")) << run.err;
    EXPECT_NE(run.err.find("LogFileManagerDefault: Bailing file creation, encountered 5 errors."),
              kNotFound)
        << run.err;
}

TEST(LogFilesSandboxTest, FullDiskIsReportedAndLoggingResumesWithWholeLinesWhenSpaceReturns) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const TemporaryFolder disk;
    const ProcessRun run =
        Sandbox()
            .tmpfs(disk.string() + ":size=64k")
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

TEST(LogFilesSandboxTest, ArchivedMarkWithoutUserAttributesStaysWithTheFileAndPrunes) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const TemporaryFolder disk;
    // ramfs refuses user attributes.
    const ProcessRun run =
        Sandbox()
            .ramfs(disk.string())
            .run({kHelper, "marks", disk.string()}, homeEnvironment(disk.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    const Lines out = splitLines(run.out);
    Lines marks;
    for (const std::string& line : out) {
        marks.push_back(line.substr(0, line.find(' ')));
    }
    EXPECT_EQ(marks, (Lines{"user", "archived", "open", "archived", "left"})) << run.out;
    EXPECT_EQ(out.front(), "user attributes: refused");
    EXPECT_EQ(out.back(), "left 0");
    EXPECT_EQ(run.err, ""); // no failure reported
}

#ifdef TAVREL_CLI_PROGRAM
TEST(CommandLineLogTest, ARunLeavesALogFileOfWellFormedLines) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const TemporaryFolder home;
    const ProcessRun run =
        Sandbox().run({TAVREL_CLI_PROGRAM, "--yes"}, homeEnvironment(home.string()));
    EXPECT_EQ(run.status, 1) << run.err; // without a session bus the keychain step fails
    const auto files = logFiles(home.string() + "/Library/Logs/TavrelUninstaller");
    ASSERT_EQ(files.size(), 1U);
    const Lines written = logMessages(readFile(files[0]));
    ASSERT_GE(written.size(), 5U);
    for (const std::string& message : written) {
        EXPECT_FALSE(message.starts_with("<")) << message;
    }
}
#endif

} // namespace
} // namespace tavrel::logging
