// Log files where the test process cannot go itself: a full disk, a file system without user
// attributes and a read-only home, each in a private mount namespace; and start-up in a fresh
// process with a temporary home.
#include "logging/LogFileInfo.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace tavrel::logging {
namespace {

using testing::readFile;
using testing::splitLines;
using testing::TemporaryFolder;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs a shell command with HOME and the XDG folders inside `home`.
Outcome run(const TemporaryFolder& scratch, const std::string& home, const std::string& command) {
    const std::string out = scratch.string() + "/out";
    const std::string err = scratch.string() + "/err";
    const std::string line = "env HOME='" + home + "' XDG_CONFIG_HOME='" + home +
                             "/.config' XDG_DATA_HOME='" + home + "/.local/share' sh -c '" +
                             command + "' >'" + out + "' 2>'" + err + "'";
    Outcome result;
    result.status = std::system(line.c_str()); // NOLINT(cert-env33-c): the test's own command
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

bool namespacesAvailable() {
    return std::system("unshare -rm true >/dev/null 2>&1") == 0; // NOLINT(cert-env33-c)
}

constexpr const char* kHelperProgram = TAVREL_LOGFILES_HELPER;

// A shell command that mounts a file system in private namespaces, then runs the helper steps.
std::string inPrivateMount(const std::string& mount, const std::string& steps) {
    return "unshare -rm sh -c \"" + mount + " && " + steps + "\"";
}
constexpr const char* kStarRow = "*************************************************************";

TEST(LogSetUpTest, StartUpWritesTheBannerToTheTerminalAndANewLogFile) {
    TemporaryFolder scratch;
    TemporaryFolder home;
    const Outcome result =
        run(scratch, home.string(), std::string(kHelperProgram) + " startup \"after the banner\"");
    ASSERT_EQ(result.status, 0) << result.err;

    const std::string folder = home.string() + "/Library/Logs/TavrelUninstaller";
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files.push_back(entry.path());
    }
    ASSERT_EQ(files.size(), 1U);
    EXPECT_TRUE(testing::isNewLogFileName(files[0].filename().string())) << files[0];

    const std::string version = std::string("TavelUninstaller: ") + TAVREL_PROJECT_VERSION + " (" +
                                TAVREL_BUILD_NUMBER + ")";
    const std::vector<std::string> expected{std::string(kStarRow), "Linux: ", version,
                                            std::string(kStarRow), "after the banner"};
    const auto fileLines = splitLines(readFile(files[0]));
    ASSERT_EQ(fileLines.size(), expected.size()) << readFile(files[0]);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        std::string message;
        ASSERT_TRUE(testing::isLogLine(fileLines[i], &message)) << fileLines[i];
        if (i == 1) {
            EXPECT_EQ(message.rfind("Linux: ", 0), 0U) << fileLines[i];
            EXPECT_GT(message.size(), std::string("Linux: ").size());
        } else {
            EXPECT_EQ(message, expected[i]);
        }
    }

    // The terminal shows the same lines, in the same order, each after its own prefix.
    std::vector<std::string> terminal;
    for (const auto& line : splitLines(result.err)) {
        const auto end = line.find("] ");
        if (end != std::string::npos && line.find("logfiles_helpe") != std::string::npos &&
            line.find("Warning: Usage of TTYLogger") == std::string::npos) {
            terminal.push_back(line.substr(end + 2));
        }
    }
    ASSERT_EQ(terminal.size(), expected.size()) << result.err;
    EXPECT_EQ(terminal[0], std::string(kStarRow));
    EXPECT_EQ(terminal[1], fileLines[1].substr(25));
    EXPECT_EQ(terminal[2], version);
    EXPECT_EQ(terminal[3], std::string(kStarRow));
    EXPECT_EQ(readFile(files[0]).find("DEBUG Build Version"), std::string::npos);
    EXPECT_EQ(result.err.find("DEBUG Build Version"), std::string::npos);
    EXPECT_EQ(result.err.find("a debug line"), std::string::npos);
}

TEST(LogSetUpTest, ReadOnlyHomeLeavesTheTerminalWorking) {
    if (!namespacesAvailable()) {
        GTEST_SKIP() << "no private mount namespaces here (unshare -rm)";
    }
    TemporaryFolder scratch;
    TemporaryFolder home;
    const Outcome result =
        run(scratch, home.string(),
            inPrivateMount("mount -t tmpfs -o ro tmpfs \\$HOME",
                           std::string(kHelperProgram) + " startup still-running"));
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.err.find("LogFileManagerDefault: Error creating logsDirectory"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("FileLogger: Failed to create new log file"), std::string::npos);
    EXPECT_NE(result.err.find("] still-running"), std::string::npos) << result.err;
}

TEST(LogSetUpTest, StartUpPrunesAnExistingFolderToTheSevenNewest) {
    TemporaryFolder scratch;
    TemporaryFolder home;
    const std::string folder = home.string() + "/Library/Logs/TavrelUninstaller/";
    for (int hour = 1; hour <= 10; ++hour) {
        char name[64];
        std::snprintf(name, sizeof name, "2024-05-31--%02d-00-00-000.log", hour);
        testing::writeFile(folder + "com.quillorchid.TavrelUninstaller " + name, "old\n");
        LogFileInfo(folder + "com.quillorchid.TavrelUninstaller " + name).setIsArchived(true);
    }
    const Outcome result = run(scratch, home.string(), std::string(kHelperProgram) + " startup x");
    ASSERT_EQ(result.status, 0) << result.err;
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    // The new file and the six newest of the old ones.
    EXPECT_EQ(count, 7U);
    EXPECT_FALSE(std::filesystem::exists(
        folder + "com.quillorchid.TavrelUninstaller 2024-05-31--04-00-00-000.log"));
    EXPECT_TRUE(std::filesystem::exists(
        folder + "com.quillorchid.TavrelUninstaller 2024-05-31--05-00-00-000.log"));
}

TEST(LogFilesSandboxTest, FullDiskIsReportedAndLoggingResumesWhenSpaceReturns) {
    if (!namespacesAvailable()) {
        GTEST_SKIP() << "no private mount namespaces here (unshare -rm)";
    }
    TemporaryFolder scratch;
    TemporaryFolder disk;
    const Outcome result =
        run(scratch, scratch.string(),
            inPrivateMount("mount -t tmpfs -o size=64k tmpfs " + disk.string(),
                           std::string(kHelperProgram) + " fulldisk " + disk.string()));
    ASSERT_EQ(result.status, 0) << result.err;
    const auto full = result.err.find("--- disk full");
    const auto freed = result.err.find("--- freeing space");
    const auto failure =
        result.err.find("FileLogger: Failed to write data: No space left on device");
    ASSERT_NE(failure, std::string::npos) << result.err;
    EXPECT_LT(full, failure);
    EXPECT_LT(failure, freed);

    const auto written = splitLines(result.out);
    ASSERT_EQ(written.size(), 3U) << result.out;
    EXPECT_EQ(written[0].rfind("=== com.quillorchid.TavrelUninstaller ", 0), 0U);
    std::string message;
    EXPECT_TRUE(testing::isLogLine(written[1], &message));
    EXPECT_EQ(message, "before the disk filled up");
    // No torn remains of the lost line: the file goes on with whole lines.
    EXPECT_TRUE(testing::isLogLine(written[2], &message));
    EXPECT_EQ(message, "after space returned") << written[2];
}

TEST(LogFilesSandboxTest, ArchivedMarkWithoutUserAttributesStaysWithTheFileAndPrunes) {
    if (!namespacesAvailable()) {
        GTEST_SKIP() << "no private mount namespaces here (unshare -rm)";
    }
    TemporaryFolder scratch;
    TemporaryFolder disk;
    // ramfs refuses user attributes; two helper runs stand for two starts of the program.
    const Outcome result =
        run(scratch, scratch.string(),
            inPrivateMount("mount -t ramfs ramfs " + disk.string(),
                           std::string(kHelperProgram) + " mark " + disk.string() + " && " +
                               std::string(kHelperProgram) + " check " + disk.string()));
    ASSERT_EQ(result.status, 0) << result.err;
    const auto output = splitLines(result.out);
    ASSERT_EQ(output.size(), 5U) << result.out;
    EXPECT_EQ(output[0].rfind("user attributes: refused", 0), 0U) << output[0];
    EXPECT_EQ(output[1].rfind("archived ", 0), 0U) << output[1];
    EXPECT_EQ(output[2].rfind("open ", 0), 0U) << output[2];
    EXPECT_EQ(output[3].rfind("archived ", 0), 0U) << output[3];
    EXPECT_EQ(output[4], "left 0");
    EXPECT_EQ(result.err.find("setxattr"), std::string::npos) << result.err;
}

#ifdef TAVREL_CLI_PROGRAM
TEST(CommandLineLogTest, ARunLeavesALogFileOfWellFormedLines) {
    if (!namespacesAvailable()) {
        GTEST_SKIP() << "no private mount namespaces here (unshare -rm)";
    }
    TemporaryFolder scratch;
    TemporaryFolder home;
    // /Applications, where it exists, is an empty tmpfs in the namespace; no session bus, so
    // no keyring is reached.
    const Outcome result = run(scratch, home.string(),
                               "unshare -rm sh -c \"if [ -d /Applications ]; then mount -t tmpfs "
                               "tmpfs /Applications; fi && "
                               "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent " TAVREL_CLI_PROGRAM
                               " --yes </dev/null\"");
    ASSERT_TRUE(WIFEXITED(result.status)) << result.err;
    const int status = WEXITSTATUS(result.status);
    EXPECT_TRUE(status == 0 || status == 1) << status << "\n" << result.err;

    const std::string folder = home.string() + "/Library/Logs/TavrelUninstaller";
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files.push_back(entry.path());
    }
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
