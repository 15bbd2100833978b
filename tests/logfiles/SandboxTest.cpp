// Log files in a process of their own: start-up with a temporary home, and where the test
// process cannot go itself (a full disk, a file system without user attributes, no privileges)
// in a sandbox.
#include "tests/support/Sandbox.hpp"

#include "logging/LogFileInfo.hpp"
#include "logging/detail/LogFileTimestamp.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tavrel::logging {
namespace {

using testing::homeEnvironment;
using testing::ProcessRun;
using testing::readFile;
using testing::runProcess;
using testing::Sandbox;
using testing::splitLines;
using testing::TemporaryFolder;

constexpr const char* kHelper = TAVREL_LOGFILES_HELPER;
constexpr const char* kStarRow = "*************************************************************";

// "2024-06-01 05:34:09:517" or "2024/06/01 00:04:09:517" as seconds since 2000, ignoring the
// milliseconds and the separators, which differ between the two forms.
long long secondsOf(const std::string& stamp) {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    char a = 0;
    char b = 0;
    if (std::sscanf(stamp.c_str(), "%d%c%d%c%d %d:%d:%d", &year, &a, &month, &b, &day, &hour,
                    &minute, &second) != 8) {
        return -1;
    }
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / month / day};
    return (date.time_since_epoch() / std::chrono::seconds(1)) + hour * 3600LL + minute * 60LL +
           second;
}

TEST(LogSetUpTest, StartUpWritesTheBannerToTheTerminalInLocalTimeAndANewLogFileInUtc) {
    TemporaryFolder home;
    // Half an hour's offset shows a time zone handled as whole hours; no zone database needed.
    const ProcessRun run = runProcess({kHelper, "startup", "after the banner"},
                                      homeEnvironment(home.string(), {"TZ=XST-5:30"}));
    ASSERT_EQ(run.status, 0) << run.err;

    const std::string folder = home.string() + "/Library/Logs/TavrelUninstaller";
    const auto files = testing::logFiles(folder);
    ASSERT_EQ(files.size(), 1U);
    EXPECT_TRUE(testing::isNewLogFileName(files[0].filename().string())) << files[0];

    const std::string version = std::string("TavelUninstaller: ") + TAVREL_PROJECT_VERSION + " (" +
                                TAVREL_BUILD_NUMBER + ")";
    const auto fileLines = splitLines(readFile(files[0]));
    std::vector<std::string> written;
    for (const auto& line : fileLines) {
        std::string message;
        EXPECT_TRUE(testing::isLogLine(line, &message)) << line;
        written.push_back(message);
    }
    ASSERT_EQ(written.size(), 5U) << readFile(files[0]);
    EXPECT_EQ(written[1].rfind("Linux: ", 0), 0U) << written[1];
    EXPECT_GT(written[1].size(), std::string("Linux: ").size());
    EXPECT_EQ(written, (std::vector<std::string>{kStarRow, written[1], version, kStarRow,
                                                 "after the banner"}));

    // The terminal shows the same lines in the same order, each after its own prefix, and the
    // start-up warning once.
    std::vector<std::string> terminal;
    std::string firstTerminalStamp;
    for (const auto& line : splitLines(run.err)) {
        const auto end = line.find("] ");
        if (end != std::string::npos && line.find(" logfiles_helpe") == 23) {
            terminal.push_back(line.substr(end + 2));
            if (firstTerminalStamp.empty()) {
                firstTerminalStamp = line.substr(0, 23);
            }
        }
    }
    EXPECT_EQ(terminal, written) << run.err;
    EXPECT_EQ(run.err.find("Warning: Usage of TTYLogger"),
              run.err.rfind("Warning: Usage of TTYLogger"));
    EXPECT_NE(run.err.find("Warning: Usage of TTYLogger"), std::string::npos);
    EXPECT_EQ(run.err.find("DEBUG Build Version"), std::string::npos);
    EXPECT_EQ(run.err.find("a debug line"), std::string::npos);
    EXPECT_EQ(readFile(files[0]).find("debug"), std::string::npos);

    // One record, two clocks: the terminal's local time is 5:30 ahead of the file's UTC.
    EXPECT_EQ(secondsOf(firstTerminalStamp) - secondsOf(fileLines[0].substr(0, 23)),
              5 * 3600 + 30 * 60)
        << firstTerminalStamp << " vs " << fileLines[0];
    EXPECT_EQ(firstTerminalStamp.substr(19, 4), fileLines[0].substr(19, 4)); // milliseconds
}

TEST(LogSetUpTest, StartUpPrunesAnExistingFolderToTheSevenNewest) {
    TemporaryFolder home;
    const std::string folder = home.string() + "/Library/Logs/TavrelUninstaller/";
    const auto name = [&](int hour) {
        char stamp[64];
        std::snprintf(stamp, sizeof stamp, "2024-05-31--%02d-00-00-000.log", hour);
        return folder + "com.quillorchid.TavrelUninstaller " + stamp;
    };
    for (int hour = 1; hour <= 10; ++hour) {
        testing::writeFile(name(hour), "old\n");
        LogFileInfo(name(hour)).setIsArchived(true);
    }
    const ProcessRun run = runProcess({kHelper, "startup", "x"}, homeEnvironment(home.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    // The new file and the six newest of the old ones.
    EXPECT_EQ(testing::logFiles(folder).size(), 7U);
    EXPECT_FALSE(std::filesystem::exists(name(4)));
    EXPECT_TRUE(std::filesystem::exists(name(5)));
}

TEST(LogFilesSandboxTest, AnUnopenableNewestFileIsPassedOverAndTheLineLandsInANewFile) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    struct Case {
        const char* name;
        void (*plant)(const std::string& path);
        std::size_t outputLines; // the helper prints the regular files with their lines
    };
    const std::vector<Case> cases{
        {"a folder", [](const std::string& path) { std::filesystem::create_directories(path); }, 2},
        {"a FIFO, which must not block",
         [](const std::string& path) { mkfifo(path.c_str(), 0666); }, 2},
        {"a file the user may not write",
         [](const std::string& path) {
             testing::writeFile(path, "not mine\n");
             chmod(path.c_str(), 0444);
         },
         4},
    };
    for (const Case& test : cases) {
        TemporaryFolder root;
        // Named an hour into the future, so that it stays the newest of the log set.
        const std::string newest = root.string() + "/com.quillorchid.TavrelUninstaller " +
                                   LogFileTimestamp::fileNameText(std::chrono::system_clock::now() +
                                                                  std::chrono::hours(1)) +
                                   ".log";
        test.plant(newest);
        const ProcessRun run = Sandbox().unprivileged().run({kHelper, "write", root.string()},
                                                            homeEnvironment(root.string()));
        EXPECT_EQ(run.status, 0) << test.name << "\n" << run.err;
        const auto out = splitLines(run.out);
        ASSERT_EQ(out.size(), test.outputLines) << test.name << run.out;
        std::string message;
        EXPECT_TRUE(testing::isLogLine(out.back(), &message)) << test.name;
        EXPECT_EQ(message, "the line") << test.name;
        EXPECT_EQ(run.err.find("Failed to write data"), std::string::npos) << test.name << run.err;
        EXPECT_TRUE(std::filesystem::exists(newest)) << test.name; // never deleted
    }
}

TEST(LogFilesProcessTest, CreationGivesUpAfterFiveCriticalErrors) {
    TemporaryFolder root;
    // A folder so deep that no file name fits below it.
    std::string folder = root.string();
    while (folder.size() < 4040) {
        folder += "/" + std::string(200, 'd');
    }
    std::filesystem::create_directories(folder);
    const ProcessRun run = runProcess({kHelper, "create", folder}, homeEnvironment(root.string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("none: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("File name too long"), std::string::npos) << run.out;
    // Five alike: the first shown, three counted, the last shown with the count at exit.
    const auto lines = splitLines(run.err);
    std::vector<std::string> critical;
    for (const auto& line : lines) {
        if (line.find("LogFileManagerDefault: Critical error while creating log file: ") !=
            std::string::npos) {
            critical.push_back(line);
        }
    }
    ASSERT_EQ(critical.size(), 2U) << run.err;
    EXPECT_NE(critical[1].find("[3 similar lines not shown]"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("LogFileManagerDefault: Bailing file creation, encountered 5 errors."),
              std::string::npos)
        << run.err;
}

TEST(LogFilesSandboxTest, FullDiskIsReportedAndLoggingResumesWhenSpaceReturns) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    TemporaryFolder disk;
    const ProcessRun run =
        Sandbox()
            .tmpfs(disk.string() + ":size=64k")
            .run({kHelper, "fulldisk", disk.string()}, homeEnvironment(disk.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto full = run.err.find("--- disk full");
    const auto freed = run.err.find("--- freeing space");
    const auto failure = run.err.find("FileLogger: Failed to write data: No space left on device");
    ASSERT_NE(failure, std::string::npos) << run.err;
    EXPECT_LT(full, failure);
    EXPECT_LT(failure, freed);

    const auto written = splitLines(run.out);
    ASSERT_EQ(written.size(), 3U) << run.out;
    EXPECT_EQ(written[0].rfind("=== com.quillorchid.TavrelUninstaller ", 0), 0U);
    std::string message;
    EXPECT_TRUE(testing::isLogLine(written[1], &message));
    EXPECT_EQ(message, "before the disk filled up");
    // No torn remains of the lost line: the file goes on with whole lines.
    EXPECT_TRUE(testing::isLogLine(written[2], &message));
    EXPECT_EQ(message, "after space returned") << written[2];
}

TEST(LogFilesSandboxTest, ArchivedMarkWithoutUserAttributesStaysWithTheFileAndPrunes) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    TemporaryFolder disk;
    // ramfs refuses user attributes; two helper runs stand for two starts of the program.
    const ProcessRun run = Sandbox()
                               .ramfs(disk.string())
                               .run({"/bin/sh", "-c", "\"$0\" mark \"$1\" && \"$0\" check \"$1\"",
                                     kHelper, disk.string()},
                                    homeEnvironment(disk.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(splitLines(run.out)[0].rfind("user attributes: refused", 0), 0U) << run.out;
    std::vector<std::string> marks;
    for (const auto& line : splitLines(run.out)) {
        marks.push_back(line.substr(0, line.find(' ')));
    }
    EXPECT_EQ(marks, (std::vector<std::string>{"user", "archived", "open", "archived", "left"}))
        << run.out;
    EXPECT_EQ(splitLines(run.out).back(), "left 0");
    EXPECT_EQ(run.err.find("setxattr"), std::string::npos) << run.err;
}

#ifdef TAVREL_CLI_PROGRAM
TEST(CommandLineLogTest, ARunLeavesALogFileOfWellFormedLines) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    TemporaryFolder home;
    const ProcessRun run =
        Sandbox().run({TAVREL_CLI_PROGRAM, "--yes"}, homeEnvironment(home.string()));
    EXPECT_EQ(run.status, 1) << run.err; // without a session bus the keychain step fails
    const auto files = testing::logFiles(home.string() + "/Library/Logs/TavrelUninstaller");
    ASSERT_EQ(files.size(), 1U);
    const auto written = splitLines(readFile(files[0]));
    ASSERT_GE(written.size(), 5U);
    for (const auto& line : written) {
        EXPECT_TRUE(testing::isLogLine(line)) << line;
    }
}
#endif

} // namespace
} // namespace tavrel::logging
