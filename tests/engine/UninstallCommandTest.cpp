// The tavrel-uninstall command end to end, inside a private root with its own /Applications
// and a temporary home: what it removes, what it leaves, its log lines and exit statuses.
#include "tests/support/TemporaryFolder.hpp"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using tavrel::testing::readFile;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;
using Lines = std::vector<std::string>;

namespace {

struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;

    // The messages of the terminal logger's lines ("<date> <time> name[pid:tid] message"),
    // from the run's first banner on (log set-up writes its own banner before).
    [[nodiscard]] Lines logMessages() const {
        Lines messages;
        std::size_t start = 0;
        while (start < err.size()) {
            std::size_t end = err.find('\n', start);
            if (end == std::string::npos) {
                end = err.size();
            }
            const std::string line = err.substr(start, end - start);
            start = end + 1;
            const auto bracket = line.find("] ");
            if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) != 0 &&
                bracket != std::string::npos) {
                messages.push_back(line.substr(bracket + 2));
            }
        }
        const auto first =
            std::find(messages.begin(), messages.end(), "----- Remove App Bundle -----");
        messages.erase(messages.begin(), first);
        return messages;
    }
};

class UninstallCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        realApplicationsExisted_ = fs::exists(fs::symlink_status("/Applications"));
    }
    void TearDown() override {
        // The real /Applications is never touched.
        EXPECT_EQ(fs::exists(fs::symlink_status("/Applications")), realApplicationsExisted_);
    }

    [[nodiscard]] std::string library(const std::string& rest) const {
        return home_.string() + "/Library/" + rest;
    }
    [[nodiscard]] fs::path trash() const { return home_.path() / ".local/share/Trash"; }
    [[nodiscard]] fs::path autostart() const {
        return home_.path() / ".config/autostart/com.quillorchid.TavrelOSXLauncher.desktop";
    }

    // Runs tavrel-uninstall in the private root with standard input from /dev/null.
    CommandRun uninstall(const Lines& arguments, const Lines& readOnly = {}) {
        Lines inner{TAVREL_UNINSTALL};
        inner.insert(inner.end(), arguments.begin(), arguments.end());
        return runInRoot(inner, readOnly);
    }

    // Runs a command in the private root with a clean environment and the temporary home.
    CommandRun runInRoot(const Lines& inner, const Lines& readOnly = {}) {
        Lines command{TAVREL_PRIVATE_ROOT, "--applications", applications_.string()};
        for (const std::string& path : readOnly) {
            command.insert(command.end(), {"--readonly", path});
        }
        command.insert(command.end(), {"--", "/usr/bin/env", "-i", "HOME=" + home_.string(),
                                       "PATH=/usr/bin:/bin"});
        command.insert(command.end(), inner.begin(), inner.end());
        return runProcess(command);
    }

    CommandRun runProcess(const Lines& command) {
        const fs::path out = scratch_.path() / "out";
        const fs::path err = scratch_.path() / "err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        std::vector<char*> argv;
        Lines copy = command;
        for (std::string& argument : copy) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        pid_t pid = -1;
        CommandRun run;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        run.out = readFile(out);
        run.err = readFile(err);
        return run;
    }

    void plantEverything() {
        writeFile(applications_.path() / "TAVREL.app/Contents/MacOS/TAVREL", "bin");
        writeFile(applications_.path() / "Tavrel.app/Contents/Info.plist", "plist");
        writeFile(library("Application Support/com.quillorchid.TavrelOSX/db"), "x");
        for (const char* id : {"com.quillorchid.TavrelOSX", "com.quillorchid.TavrelAuthenticator",
                               "com.quillorchid.tavrel.macos"}) {
            writeFile(library("Preferences/") + id + ".plist", "x");
        }
        for (const char* id :
             {"com.quillorchid.TavrelOSX.FinderSync", "com.quillorchid.TavrelOSXLauncher",
              "com.quillorchid.tavrel.macos"}) {
            writeFile(library("Containers/") + id + "/Data/file", "x");
        }
        for (const char* id :
             {"group.com.quillorchid.TavrelOSX", "group.com.quillorchid.tavrel.macos"}) {
            writeFile(library("Group Containers/") + id + "/file", "x");
        }
        writeFile(trash() / "files/TAVREL.app/Contents/Info.plist", "x");
        writeFile(trash() / "info/TAVREL.app.trashinfo", "[Trash Info]\n");
        writeFile(autostart(), "[Desktop Entry]\nName=Tavrel Launcher\nExec=launcher\n");
    }

    void plantNeighbours() {
        writeFile(applications_.path() / "Other.app/Contents/Info.plist", "other");
        writeFile(library("Preferences/com.quillorchid.Other.plist"), "other");
        writeFile(library("Containers/com.quillorchid.Other/file"), "other");
        writeFile(trash() / "files/Tavrel.app/Contents/Info.plist", "other");
        writeFile(trash() / "info/Tavrel.app.trashinfo", "[Trash Info]\n");
    }

    // The log of one run in which every item is there (true) or none is (false).
    [[nodiscard]] Lines expectedLog(bool present) const {
        const auto result = [&](const std::string& path) {
            return present ? std::string("done") : "\"" + path + "\" does not exist.";
        };
        Lines lines{"----- Remove App Bundle -----",
                    result("/Applications/TAVREL.app"),
                    "----- Remove App Bundle -----",
                    result("/Applications/Tavrel.app"),
                    "----- Remove \"Application Support\" -----",
                    "com.quillorchid.TavrelOSX",
                    result(library("Application Support/com.quillorchid.TavrelOSX"))};
        for (const char* id : {"com.quillorchid.TavrelOSX", "com.quillorchid.TavrelAuthenticator",
                               "com.quillorchid.tavrel.macos"}) {
            lines.insert(lines.end(),
                         {"----- Remove \"Preferences\" -----", std::string(id) + ".plist",
                          result(library("Preferences/") + id + ".plist")});
        }
        for (const char* id :
             {"com.quillorchid.TavrelOSX.FinderSync", "com.quillorchid.TavrelOSXLauncher",
              "com.quillorchid.tavrel.macos"}) {
            lines.insert(lines.end(), {"----- Remove \"Containers\" -----", id,
                                       result(library("Containers/") + id)});
        }
        for (const char* id :
             {"group.com.quillorchid.TavrelOSX", "group.com.quillorchid.tavrel.macos"}) {
            lines.insert(lines.end(), {"----- Remove \"Group Containers\" -----", id,
                                       result(library("Group Containers/") + id)});
        }
        return lines;
    }

    TemporaryFolder home_;
    TemporaryFolder applications_;
    TemporaryFolder scratch_;
    bool realApplicationsExisted_ = false;
};

} // namespace

TEST_F(UninstallCommandTest, OneRunRemovesTheWholeProductAndLeavesNeighboursAlone) {
    plantEverything();
    plantNeighbours();
    const CommandRun run = uninstall({"--yes"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.logMessages(), expectedLog(true)) << run.err;

    EXPECT_FALSE(fs::exists(applications_.path() / "TAVREL.app"));
    EXPECT_FALSE(fs::exists(applications_.path() / "Tavrel.app"));
    for (const char* gone : {"Application Support/com.quillorchid.TavrelOSX",
                             "Preferences/com.quillorchid.TavrelOSX.plist",
                             "Containers/com.quillorchid.TavrelOSXLauncher",
                             "Group Containers/group.com.quillorchid.tavrel.macos"}) {
        EXPECT_FALSE(fs::exists(library(gone))) << gone;
    }
    EXPECT_FALSE(fs::exists(trash() / "files/TAVREL.app"));
    EXPECT_FALSE(fs::exists(trash() / "info/TAVREL.app.trashinfo"));
    EXPECT_NE(readFile(autostart()).find("Hidden=true"), std::string::npos);

    EXPECT_EQ(readFile(applications_.path() / "Other.app/Contents/Info.plist"), "other");
    EXPECT_EQ(readFile(library("Preferences/com.quillorchid.Other.plist")), "other");
    EXPECT_EQ(readFile(library("Containers/com.quillorchid.Other/file")), "other");
    EXPECT_EQ(readFile(trash() / "files/Tavrel.app/Contents/Info.plist"), "other");
    EXPECT_TRUE(fs::exists(trash() / "info/Tavrel.app.trashinfo"));

    EXPECT_NE(run.out.find("Step  8  removed       /Applications/TAVREL.app"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Step  2  switched off"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Tavrel has been removed from this account."), std::string::npos);
}

TEST_F(UninstallCommandTest, NothingInstalledLogsEveryPathAsMissingTwice) {
    for (int round = 0; round < 2; ++round) {
        const CommandRun run = uninstall({"--yes"});
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_EQ(run.logMessages(), expectedLog(false)) << run.err;
        EXPECT_EQ(run.out.find("FAILED"), std::string::npos) << run.out;
    }
}

TEST_F(UninstallCommandTest, AFailedDeletionIsReportedAndTheLaterStepsStillRun) {
    plantEverything();
    const CommandRun run = uninstall({"--yes"}, {"/Applications/TAVREL.app"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    const Lines log = run.logMessages();
    ASSERT_GE(log.size(), 3U) << run.err;
    EXPECT_EQ(log[0], "----- Remove App Bundle -----");
    EXPECT_EQ(log[1], "Error Domain=NSPOSIXErrorDomain Code=30 \"\u201c"
                      "TAVREL\u201d couldn\u2019t "
                      "be removed: Read-only file system.\" UserInfo={NSFilePath="
                      "/Applications/TAVREL.app/Contents/MacOS/TAVREL}");
    Lines rest(log.begin() + 2, log.end());
    const Lines expected = expectedLog(true);
    EXPECT_EQ(rest, Lines(expected.begin() + 2, expected.end()));
    EXPECT_TRUE(fs::exists(applications_.path() / "TAVREL.app/Contents/MacOS/TAVREL"));
    EXPECT_FALSE(fs::exists(trash() / "files/TAVREL.app"));
    EXPECT_NE(
        run.out.find("Step  8  FAILED        /Applications/TAVREL.app\n"
                     "         RemoveAppBundleError(path: \"/Applications/TAVREL.app\", error: "
                     "Error Domain=NSPOSIXErrorDomain Code=30"),
        std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("not completely removed: 1 step failed."), std::string::npos) << run.out;
}

TEST_F(UninstallCommandTest, AFileWhereTheBundleShouldBeIsLeftAlone) {
    writeFile(applications_.path() / "TAVREL.app", "a file");
    const CommandRun run = uninstall({"--yes"});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    const Lines log = run.logMessages();
    ASSERT_GE(log.size(), 2U);
    EXPECT_EQ(log[1], "\"/Applications/TAVREL.app\" not folder.");
    EXPECT_EQ(readFile(applications_.path() / "TAVREL.app"), "a file");
}

TEST_F(UninstallCommandTest, ARunningProductApplicationStopsTheRunBeforeAnythingIsRemoved) {
    plantEverything();
    const fs::path bundle = scratch_.path() / "X.app";
    writeFile(
        bundle / "Contents/Info.plist",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
        "<string>com.quillorchid.TavrelOSX</string><key>CFBundleName</key><string>Tavrel</string>"
        "</dict></plist>");
    fs::create_directories(bundle / "Contents/MacOS");
    fs::copy_file("/bin/sleep", bundle / "Contents/MacOS/Tavrel");
    // Started inside the private root: a process outside its user namespace cannot be inspected.
    const std::string executable = (bundle / "Contents/MacOS/Tavrel").string();
    const std::string script = "\"$1\" 60 & app=$!\n"
                               "until [ \"$(readlink /proc/$app/exe)\" = \"$1\" ]; do :; done\n"
                               "\"$2\" --yes; status=$?\n"
                               "kill $app; exit $status\n";
    const CommandRun run = runInRoot({"/bin/sh", "-c", script, "sh", executable, TAVREL_UNINSTALL});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.err.find("Tavrel is running. Quit Tavrel and try again."), std::string::npos)
        << run.err;
    EXPECT_TRUE(run.logMessages().empty()) << run.err; // no removal step started
    EXPECT_TRUE(fs::exists(applications_.path() / "TAVREL.app/Contents/MacOS/TAVREL"));
    EXPECT_TRUE(fs::exists(library("Preferences/com.quillorchid.TavrelOSX.plist")));
    EXPECT_EQ(readFile(autostart()).find("Hidden"), std::string::npos);
}

TEST_F(UninstallCommandTest, WithoutATerminalOrYesNothingIsRemovedAndUsageErrorsAre64) {
    plantEverything();
    CommandRun run = uninstall({});
    EXPECT_EQ(run.status, 64);
    EXPECT_NE(run.err.find("--yes"), std::string::npos) << run.err;
    run = uninstall({"--frobnicate"});
    EXPECT_EQ(run.status, 64);
    EXPECT_TRUE(fs::exists(applications_.path() / "TAVREL.app/Contents/MacOS/TAVREL"));
    EXPECT_TRUE(fs::exists(library("Preferences/com.quillorchid.TavrelOSX.plist")));

    run = uninstall({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "tavrel-uninstall " TAVREL_VERSION "\n");
}
