// The tavrel-uninstall command end to end, in a sandbox with its own /Applications and a
// temporary home: what it removes, what it leaves, what it says and its exit statuses.
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace fs = std::filesystem;
using tavrel::testing::Output;
using tavrel::testing::ProcessRun;
using tavrel::testing::readFile;
using tavrel::testing::Sandbox;
using tavrel::testing::splitLines;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;
using Lines = std::vector<std::string>;

namespace {

constexpr std::array<const char*, 3> kPreferenceIDs{"com.quillorchid.TavrelOSX",
                                                    "com.quillorchid.TavrelAuthenticator",
                                                    "com.quillorchid.tavrel.macos"};
constexpr std::array<const char*, 3> kContainerIDs{"com.quillorchid.TavrelOSX.FinderSync",
                                                   "com.quillorchid.TavrelOSXLauncher",
                                                   "com.quillorchid.tavrel.macos"};
constexpr std::array<const char*, 2> kGroupIDs{"group.com.quillorchid.TavrelOSX",
                                               "group.com.quillorchid.tavrel.macos"};
constexpr std::array<const char*, 6> kKeychainServices{"Tavrel",
                                                       "KVTOAuthCredentialService",
                                                       "AFOAuthCredentialService",
                                                       "Tavrel Device Restriction",
                                                       "com.quillorchid.tavrel.macos",
                                                       "Tavrel Credential"};
constexpr const char* kNoKeychain =
    "No keychain is available. You may need to restart your computer.";

// The keychain step's log lines when no keychain can be reached, as without a session bus (which
// the tests' environment never has): three listings fail, the fourth service's lookup fails and
// ends the job.
Lines unreachableKeychainLog() {
    Lines lines{"----- Delete Keychain Item -----"};
    for (std::size_t index = 0; index < 4; ++index) {
        lines.push_back(std::string("service: ") + kKeychainServices[index]);
    }
    lines.push_back(std::string("SecItemCopyMatching. OSStatus error:[-25291] ") + kNoKeychain);
    lines.push_back(
        std::string("[KeychainUtility] failed to delete keychain items of Tavrel Device "
                    "Restriction. ") +
        kNoKeychain);
    return lines;
}
constexpr std::size_t kKeychainLogLines = 7;

// What that prints first: each failed listing's status line, then every service as failed, the
// last two as never tried.
Lines unreachableKeychainOutput() {
    Lines lines(3, std::string("OSStatus error:[-25291] ") + kNoKeychain);
    for (std::size_t index = 0; index < kKeychainServices.size(); ++index) {
        lines.push_back(std::string("Step  1  FAILED        keychain items of \"") +
                        kKeychainServices[index] + "\"");
        lines.emplace_back(index < 4 ? "         No keychain could be reached: run again in your "
                                       "desktop session, where your keyring runs."
                                     : "         Not tried, since the keychain failed before.");
    }
    return lines;
}

// The summary's last line: the keychain services, then `more`, are still there.
std::string stillThere(const std::string& more = "") {
    std::string line = "Tavrel was not completely removed. Still there: ";
    for (const char* service : kKeychainServices) {
        line += std::string(service == kKeychainServices[0] ? "" : "; ") + "keychain items of \"" +
                service + "\" (step 1 failed)";
    }
    return line + (more.empty() ? "" : "; " + more) + ".";
}

// The messages of the terminal logger's lines ("<date> <time> name[pid:tid] message"), from
// the first job's banner on (log set-up writes its own banner before).
Lines logMessages(const ProcessRun& run) {
    Lines messages;
    for (const std::string& line : splitLines(run.err)) {
        const auto bracket = line.find("] ");
        if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) != 0 &&
            bracket != std::string::npos) {
            messages.push_back(line.substr(bracket + 2));
        }
    }
    messages.erase(messages.begin(),
                   std::find_if(messages.begin(), messages.end(), [](const std::string& message) {
                       return message.starts_with("----- ");
                   }));
    return messages;
}

// The log lines of the script steps: 5 to 7 (up to the first bundle banner) and 20.
Lines scriptLines(const Lines& log) {
    const auto kill = std::find(log.begin(), log.end(), "----- Kill brolt process -----");
    const auto bundle = std::find(kill, log.end(), "----- Remove App Bundle -----");
    Lines lines(kill, bundle);
    lines.insert(lines.end(), std::find(bundle, log.end(), "----- Reset UserDefaults -----"),
                 log.end());
    return lines;
}

// The line that follows the first one equal to `banner`; empty when there is none.
std::string lineAfter(const Lines& log, const std::string& banner) {
    const auto found = std::find(log.begin(), log.end(), banner);
    return found != log.end() && found + 1 != log.end() ? found[1] : std::string();
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t found = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

class UninstallCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        TAVREL_SKIP_WITHOUT_SANDBOX();
        realApplicationsExisted_ = fs::exists(fs::symlink_status("/Applications"));
    }
    void TearDown() override {
        // The real /Applications is never touched.
        EXPECT_EQ(fs::exists(fs::symlink_status("/Applications")), realApplicationsExisted_);
    }

    [[nodiscard]] std::string home() const { return home_.string(); }
    [[nodiscard]] std::string library(const std::string& rest) const {
        return home() + "/Library/" + rest;
    }
    [[nodiscard]] fs::path trash() const { return home_.path() / ".local/share/Trash"; }
    [[nodiscard]] fs::path autostart() const {
        return home_.path() / ".config/autostart/com.quillorchid.TavrelOSXLauncher.desktop";
    }
    [[nodiscard]] fs::path loginItem() const {
        return home_.path() / ".config/autostart/tavrel.desktop";
    }
    [[nodiscard]] fs::path defaults() const {
        return home_.path() / ".config/com.quillorchid.TavrelOSX";
    }
    [[nodiscard]] fs::path app(const std::string& rest) const {
        return applications_.path() / rest;
    }

    // Runs tavrel-uninstall in the sandbox with the temporary home. Its helper kill scripts
    // see only the processes started in there.
    ProcessRun uninstall(const Lines& arguments, Sandbox sandbox = Sandbox(),
                         Output output = Output::collected) {
        Lines command{TAVREL_UNINSTALL};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return sandbox.applications(applications_.string())
            .run(command, tavrel::testing::homeEnvironment(home()), output);
    }

    void plantEverything() {
        writeFile(app("TAVREL.app/Contents/MacOS/TAVREL"), "bin");
        writeFile(app("Tavrel.app/Contents/Info.plist"), "plist");
        writeFile(library("Application Support/com.quillorchid.TavrelOSX/db"), "x");
        for (const std::string id : kPreferenceIDs) {
            writeFile(library("Preferences/" + id + ".plist"), "x");
        }
        for (const std::string id : kContainerIDs) {
            writeFile(library("Containers/" + id + "/Data/file"), "x");
        }
        for (const std::string id : kGroupIDs) {
            writeFile(library("Group Containers/" + id + "/file"), "x");
        }
        writeFile(trash() / "files/TAVREL.app/Contents/Info.plist", "x");
        writeFile(trash() / "info/TAVREL.app.trashinfo", "[Trash Info]\n");
        writeFile(autostart(), "[Desktop Entry]\nName=Tavrel Launcher\nExec=launcher\n");
        writeFile(loginItem(), "[Desktop Entry]\nName=Tavrel\nExec=tavrel\n");
        writeFile(defaults() / "settings", "x");
    }

    [[nodiscard]] bool everythingStillThere() const {
        return fs::exists(app("TAVREL.app/Contents/MacOS/TAVREL")) &&
               fs::exists(library("Preferences/com.quillorchid.TavrelOSX.plist")) &&
               fs::exists(trash() / "files/TAVREL.app") && fs::exists(loginItem()) &&
               fs::exists(defaults()) && readFile(autostart()).find("Hidden") == std::string::npos;
    }

    // Every path the run removes, in step order, from step 8 on.
    [[nodiscard]] Lines removedPaths() const {
        Lines paths{"/Applications/TAVREL.app", "/Applications/Tavrel.app",
                    library("Application Support/com.quillorchid.TavrelOSX")};
        for (const std::string id : kPreferenceIDs) {
            paths.push_back(library("Preferences/" + id + ".plist"));
        }
        for (const std::string id : kContainerIDs) {
            paths.push_back(library("Containers/" + id));
        }
        for (const std::string id : kGroupIDs) {
            paths.push_back(library("Group Containers/" + id));
        }
        return paths;
    }

    // The log of one run in which every item is there (true) or none is (false).
    [[nodiscard]] Lines expectedLog(bool present) const {
        const Lines paths = removedPaths();
        const auto result = [&](std::size_t index) {
            return present ? std::string("done") : "\"" + paths[index] + "\" does not exist.";
        };
        Lines lines = unreachableKeychainLog();
        lines.insert(lines.end(),
                     {"----- Disable Login Item -----", "\"TAVREL\" not found",
                      "----- Disable Login Item -----", present ? "done" : "\"Tavrel\" not found"});
        for (const char* helper : {"brolt", "TavrelFinderSync", "TavrelFileProvider"}) {
            lines.insert(lines.end(), {"----- Kill " + std::string(helper) + " process -----",
                                       "NSAppleScript.errorNumberr: 1",
                                       "NSAppleScript.errorMessage: The command exited with a "
                                       "non-zero status."});
        }
        lines.insert(lines.end(),
                     {"----- Remove App Bundle -----", result(0), "----- Remove App Bundle -----",
                      result(1), "----- Remove \"Application Support\" -----",
                      "com.quillorchid.TavrelOSX", result(2)});
        std::size_t index = 3;
        for (const std::string id : kPreferenceIDs) {
            lines.insert(lines.end(),
                         {"----- Remove \"Preferences\" -----", id + ".plist", result(index++)});
        }
        for (const std::string id : kContainerIDs) {
            lines.insert(lines.end(), {"----- Remove \"Containers\" -----", id, result(index++)});
        }
        for (const std::string id : kGroupIDs) {
            lines.insert(lines.end(),
                         {"----- Remove \"Group Containers\" -----", id, result(index++)});
        }
        lines.insert(lines.end(), {"----- Reset UserDefaults -----", "done"});
        return lines;
    }

    // The whole summary of a run whose steps all ended as `status` says, step 2 as `launcher`.
    [[nodiscard]] Lines expectedSummary(const std::string& status, const std::string& launcher,
                                        const std::string& trashItem) const {
        const auto line = [](int step, const std::string& label, const std::string& subject) {
            char prefix[32];
            std::snprintf(prefix, sizeof prefix, "Step %2d  %-12s  ", step, label.c_str());
            return prefix + subject;
        };
        Lines lines = unreachableKeychainOutput();
        lines.insert(lines.end(), {line(2, launcher, "com.quillorchid.TavrelOSXLauncher"),
                                   line(3, "not found", "login item \"TAVREL\""),
                                   line(4, status, "login item \"Tavrel\""),
                                   line(5, "not found", "helper process brolt"),
                                   line(6, "not found", "helper process TavrelFinderSync"),
                                   line(7, "not found", "helper process TavrelFileProvider")});
        int step = 8;
        for (const std::string& path : removedPaths()) {
            lines.push_back(line(step++, status, path));
        }
        lines.push_back(line(19, status, trashItem));
        lines.push_back(line(20, "cleared", "user defaults"));
        lines.push_back(stillThere());
        return lines;
    }

    TemporaryFolder home_;
    TemporaryFolder applications_;
    bool realApplicationsExisted_ = false;
};

} // namespace

TEST_F(UninstallCommandTest, OneRunRemovesTheWholeProductLeavesNeighboursAloneAndSaysSo) {
    plantEverything();
    writeFile(app("Other.app/Contents/Info.plist"), "other");
    writeFile(library("Preferences/com.quillorchid.Other.plist"), "other");
    writeFile(trash() / "files/Tavrel.app/Contents/Info.plist", "other");
    writeFile(trash() / "info/Tavrel.app.trashinfo", "[Trash Info]\n");

    ProcessRun run = uninstall({"--yes"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(logMessages(run), expectedLog(true)) << run.err;
    const std::string trashItem = trash().string() + "/files/TAVREL.app";
    EXPECT_EQ(splitLines(run.out), expectedSummary("removed", "switched off", trashItem));
    EXPECT_EQ(count(run.err, "Warning: Usage of TTYLogger"), 1U) << run.err;

    for (const std::string& path : removedPaths()) {
        EXPECT_FALSE(fs::exists(path.starts_with("/Applications/")
                                    ? app(path.substr(std::string("/Applications/").size()))
                                    : fs::path(path)))
            << path;
    }
    EXPECT_FALSE(fs::exists(trash() / "files/TAVREL.app"));
    EXPECT_FALSE(fs::exists(trash() / "info/TAVREL.app.trashinfo"));
    EXPECT_NE(readFile(autostart()).find("Hidden=true"), std::string::npos);
    EXPECT_FALSE(fs::exists(loginItem()));
    EXPECT_FALSE(fs::exists(defaults()));
    EXPECT_EQ(readFile(app("Other.app/Contents/Info.plist")), "other");
    EXPECT_EQ(readFile(library("Preferences/com.quillorchid.Other.plist")), "other");
    EXPECT_EQ(readFile(trash() / "files/Tavrel.app/Contents/Info.plist"), "other");
    EXPECT_TRUE(fs::exists(trash() / "info/Tavrel.app.trashinfo"));

    // Again, with nothing left: every path is logged as missing, and step 2 says the launcher
    // was already switched off.
    run = uninstall({"--yes"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(logMessages(run), expectedLog(false)) << run.err;
    EXPECT_EQ(splitLines(run.out), expectedSummary("not found", "already off", trashItem));
}

TEST_F(UninstallCommandTest, WithoutATrashFolderOrLauncherEntryNothingIsMadeUp) {
    const ProcessRun run = uninstall({"--yes"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(splitLines(run.out),
              expectedSummary("not found", "not found", "TAVREL.app in the Trash"));
    EXPECT_FALSE(fs::exists(trash()));
    EXPECT_FALSE(fs::exists(autostart().parent_path()));
}

TEST_F(UninstallCommandTest, AFailingStepIsReportedInWordsAndTheLaterStepsStillRun) {
    struct Case {
        const char* name;
        std::function<void(Sandbox&)> refuse;
        Lines summary; // the failing step's two lines
        std::string stays;
    };
    const std::string trashItem = trash().string() + "/files/TAVREL.app";
    const std::vector<Case> cases{
        {"a bundle on a read-only file system",
         [](Sandbox& sandbox) { sandbox.readOnly("/Applications/TAVREL.app"); },
         {"Step  8  FAILED        /Applications/TAVREL.app",
          "         \u201cTAVREL\u201d couldn\u2019t be removed: Read-only file system. "
          "(/Applications/TAVREL.app/Contents/MacOS/TAVREL)"},
         "/Applications/TAVREL.app (step 8 failed)"},
        {"a read-only autostart folder",
         [this](Sandbox& sandbox) { sandbox.readOnly(autostart().parent_path().string()); },
         {"Step  2  FAILED        com.quillorchid.TavrelOSXLauncher",
          "         \u201ccom.quillorchid.TavrelOSXLauncher.desktop\u201d couldn\u2019t be "
          "changed: Read-only file system. (" +
              autostart().string() + ")"},
         "com.quillorchid.TavrelOSXLauncher (step 2 failed); login item \"Tavrel\" (step 4 "
         "failed)"},
        {"a login item that cannot be deleted",
         [this](Sandbox& sandbox) { sandbox.readOnly(loginItem().string()); },
         {"Step  4  FAILED        login item \"Tavrel\"",
          "         \u201ctavrel.desktop\u201d couldn\u2019t be removed: Device or resource "
          "busy. (-10000)"},
         "login item \"Tavrel\" (step 4 failed)"},
        {"user defaults on a read-only file system",
         [this](Sandbox& sandbox) { sandbox.readOnly(defaults().string()); },
         {"Step 20  FAILED        user defaults", "         rm: cannot remove '" +
                                                      defaults().string() +
                                                      "/settings': Read-only file system (1)"},
         "user defaults (step 20 failed)"},
        {"the copy in the Trash on a read-only file system",
         [this](Sandbox& sandbox) { sandbox.readOnly((trash() / "files/TAVREL.app").string()); },
         {"Step 19  FAILED        " + trashItem,
          "         \u201cInfo.plist\u201d couldn\u2019t be removed: Read-only file system. (" +
              trashItem + "/Contents/Info.plist)"},
         trashItem + " (step 19 failed)"},
    };
    for (const Case& test : cases) {
        plantEverything();
        Sandbox sandbox;
        test.refuse(sandbox);
        const ProcessRun run = uninstall({"--yes"}, sandbox);
        EXPECT_EQ(run.status, 1) << test.name << "\n" << run.out << run.err;
        const Lines summary = splitLines(run.out);
        const auto failed = std::find(summary.begin(), summary.end(), test.summary[0]);
        ASSERT_NE(failed, summary.end()) << test.name << "\n" << run.out;
        ASSERT_NE(failed + 1, summary.end()) << test.name;
        EXPECT_EQ(failed[1], test.summary[1]) << test.name;
        EXPECT_EQ(summary.back(), stillThere(test.stays)) << test.name;
        // Every other step still ran.
        EXPECT_EQ(std::count_if(summary.begin(), summary.end(),
                                [](const std::string& line) { return line.starts_with("Step"); }),
                  25)
            << test.name;
        EXPECT_FALSE(fs::exists(library("Preferences/com.quillorchid.TavrelOSX.plist")))
            << test.name;
    }
}

TEST_F(UninstallCommandTest, AReadOnlyBundleKeepsItsErrorLineAndTheRestOfTheLog) {
    plantEverything();
    const ProcessRun run = uninstall({"--yes"}, Sandbox().readOnly("/Applications/TAVREL.app"));
    Lines expected = expectedLog(true);
    const auto bundle =
        std::find(expected.begin(), expected.end(), "----- Remove App Bundle -----");
    ASSERT_NE(bundle, expected.end());
    bundle[1] = "Error Domain=NSPOSIXErrorDomain Code=30 \"\u201cTAVREL\u201d couldn\u2019t be "
                "removed: Read-only file system.\" UserInfo={NSFilePath="
                "/Applications/TAVREL.app/Contents/MacOS/TAVREL}";
    EXPECT_EQ(logMessages(run), expected) << run.err;
    EXPECT_TRUE(fs::exists(app("TAVREL.app/Contents/MacOS/TAVREL")));
}

TEST_F(UninstallCommandTest, AFolderItCannotLookIntoIsAFailureNeverMissing) {
    plantEverything();
    ASSERT_EQ(chmod(library("").c_str(), 0), 0);
    const ProcessRun run = uninstall({"--yes"}, Sandbox().unprivileged());
    chmod(library("").c_str(), 0755);
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(run.err.find("does not exist"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("Step 11  FAILED        " +
                           library("Preferences/com.quillorchid.TavrelOSX.plist") +
                           "\n         \u201ccom.quillorchid.TavrelOSX.plist\u201d couldn\u2019t "
                           "be examined: Permission denied.\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(count(run.out, "FAILED"), 15U) << run.out; // the keychain and steps 10 to 18
    EXPECT_TRUE(fs::exists(library("Preferences/com.quillorchid.TavrelOSX.plist")));
    EXPECT_FALSE(fs::exists(app("TAVREL.app")));
}

TEST_F(UninstallCommandTest, AFileWhereTheBundleShouldBeIsLeftAloneAndNamedAsStaying) {
    writeFile(app("TAVREL.app"), "a file");
    const ProcessRun run = uninstall({"--yes"});
    EXPECT_EQ(run.status, 1) << run.out << run.err; // the keychain cannot be reached here
    EXPECT_EQ(lineAfter(logMessages(run), "----- Remove App Bundle -----"),
              "\"/Applications/TAVREL.app\" not folder.");
    EXPECT_EQ(readFile(app("TAVREL.app")), "a file");
    EXPECT_EQ(splitLines(run.out).back(),
              stillThere("/Applications/TAVREL.app (not a folder, left alone)"));
}

TEST_F(UninstallCommandTest, AClosedPipeNeitherStopsTheRunNorChangesItsExitStatus) {
    plantEverything();
    for (int index = 0; index < 2000; ++index) {
        writeFile(app("TAVREL.app/Contents/Resources/file" + std::to_string(index)), "x");
    }
    const ProcessRun run = uninstall({"--yes"}, Sandbox(), Output::closedPipe);
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(app("TAVREL.app")));
    EXPECT_FALSE(fs::exists(trash() / "files/TAVREL.app"));
    EXPECT_FALSE(fs::exists(library("Group Containers/group.com.quillorchid.tavrel.macos")));
}

TEST_F(UninstallCommandTest, ARunningProductApplicationStopsTheRunBeforeAnythingIsRemoved) {
    plantEverything();
    const fs::path bundle = home_.path() / "X.app";
    writeFile(
        bundle / "Contents/Info.plist",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
        "<string>com.quillorchid.TavrelOSX</string><key>CFBundleName</key><string>Tavrel</string>"
        "</dict></plist>");
    fs::create_directories(bundle / "Contents/MacOS");
    fs::copy_file("/bin/sleep", bundle / "Contents/MacOS/Tavrel");
    // Started inside the sandbox: a process outside its user namespace cannot be inspected.
    const std::string executable = (bundle / "Contents/MacOS/Tavrel").string();
    const std::string script = "\"$1\" 60 & app=$!\n"
                               "until [ \"$(readlink /proc/$app/exe)\" = \"$1\" ]; do :; done\n"
                               "\"$2\" --yes; status=$?\n"
                               "kill $app; exit $status\n";
    const ProcessRun run = Sandbox()
                               .applications(applications_.string())
                               .run({"/bin/sh", "-c", script, "sh", executable, TAVREL_UNINSTALL},
                                    tavrel::testing::homeEnvironment(home()));
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.err.find("Tavrel is running. Quit Tavrel and try again."), std::string::npos)
        << run.err;
    EXPECT_TRUE(logMessages(run).empty()) << run.err; // no removal step started
    EXPECT_TRUE(everythingStillThere());
}

TEST_F(UninstallCommandTest, WithoutAHomeFolderATerminalOrYesNothingIsRemoved) {
    plantEverything();
    struct Case {
        const char* name;
        Lines arguments;
        Lines environment;
        int status;
        std::string says; // on standard error or output
    };
    const Lines env = tavrel::testing::homeEnvironment(home());
    const auto withHome = [&](const std::string& value) {
        Lines changed = env;
        std::replace(changed.begin(), changed.end(), "HOME=" + home(), "HOME=" + value);
        return changed;
    };
    const std::vector<Case> cases{
        {"home is the root folder", {"--yes"}, withHome("/"), 1, "no usable home folder"},
        {"home spelled as root", {"--yes"}, withHome("//."), 1, "no usable home folder"},
        {"home relative", {"--yes"}, withHome("relative/home"), 1, "no usable home folder"},
        {"home missing", {"--yes"}, withHome(home() + "/absent"), 1, "no usable home folder"},
        {"no terminal and no --yes", {}, env, 64, "--yes"},
        {"an unknown option", {"--frobnicate"}, env, 64, "frobnicate"},
        {"the version", {"--version"}, env, 0, "tavrel-uninstall " TAVREL_VERSION "\n"},
    };
    for (const Case& test : cases) {
        Lines command{TAVREL_UNINSTALL};
        command.insert(command.end(), test.arguments.begin(), test.arguments.end());
        const ProcessRun run =
            Sandbox().applications(applications_.string()).run(command, test.environment);
        EXPECT_EQ(run.status, test.status) << test.name << "\n" << run.out << run.err;
        EXPECT_NE((run.err + run.out).find(test.says), std::string::npos) << test.name << "\n"
                                                                          << run.out << run.err;
        EXPECT_TRUE(everythingStillThere()) << test.name;
    }
}

TEST_F(UninstallCommandTest, AReadOnlyHomeKeepsTheTerminalReadable) {
    plantEverything();
    const ProcessRun run = uninstall({"--yes"}, Sandbox().readOnly(home()));
    EXPECT_EQ(run.status, 1) << run.out << run.err; // nothing under the home can go
    std::size_t systemLogLines = 0;
    for (const std::string& line : splitLines(run.err)) {
        systemLogLines += line.starts_with("tavrel-uninstall[") ? 1 : 0;
    }
    // Each log line fails the same way; each kind of failure is shown once, then counted.
    EXPECT_LE(systemLogLines, 20U) << run.err;
    EXPECT_NE(run.err.find("similar lines not shown]"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("] ----- Remove App Bundle -----"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(app("TAVREL.app")));
}

TEST_F(UninstallCommandTest, HelpersAreStoppedByTheWholeNameOfTheirExecutableAndNothingElse) {
    TemporaryFolder helpers; // where another user can reach the programs too
    fs::permissions(helpers.path(),
                    fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
    const fs::path& bin = helpers.path();
    for (const char* name : {"TavrelFinderSync", "TavrelFinderSyncX", "brolt"}) {
        fs::copy_file("/bin/sleep", bin / name);
    }
    fs::copy_file("/bin/sh", bin / "TavrelFileProvider");
    fs::create_directory(bin / "parent");
    fs::copy_file("/bin/sh", bin / "parent/brolt");
    // Inside the sandbox's own process namespace: the helpers start, one of them ignoring
    // SIGTERM and one of another user where that can be had; brolt's file is deleted; then the
    // run starts from a shell named brolt, and each helper's fate is printed.
    const std::string script = R"sh(
b=$1
started() {
    until [ "$(readlink /proc/$1/exe)" = "$2" ]; do [ -e /proc/$1/exe ] || return 1; done
}
"$b/TavrelFinderSync" 60 & sync=$!
"$b/TavrelFinderSyncX" 60 & longer=$!
"$b/brolt" 60 & brolt=$!
"$b/TavrelFileProvider" -c 'trap "" TERM; while :; do sleep 1; done' & provider=$!
setpriv --reuid=65534 --regid=65534 --clear-groups "$b/TavrelFinderSync" 60 2>/dev/null & other=$!
started $sync "$b/TavrelFinderSync" && started $longer "$b/TavrelFinderSyncX" &&
    started $brolt "$b/brolt" && started $provider "$b/TavrelFileProvider" || echo "not started"
started $other "$b/TavrelFinderSync" || other=
rm "$b/brolt"
"$b/parent/brolt" -c '"$0" --yes; echo "status $?"' "$2"
for helper in sync:$sync longer:$longer brolt:$brolt provider:$provider other:$other; do
    pid=${helper#*:}
    [ -z "$pid" ] || { [ -e /proc/$pid/exe ] && echo "${helper%:*} runs" || echo "${helper%:*} stopped"; }
done
)sh";
    const ProcessRun run = Sandbox()
                               .applications(applications_.string())
                               .run({"/bin/sh", "-c", script, "sh", bin.string(), TAVREL_UNINSTALL},
                                    tavrel::testing::homeEnvironment(home()));
    const Lines out = splitLines(run.out);
    for (const char* line :
         {"status 1", "sync stopped", "longer runs", "brolt stopped", "provider stopped"}) {
        EXPECT_NE(std::find(out.begin(), out.end(), line), out.end()) << line << "\n" << run.out;
    }
    EXPECT_EQ(count(run.out, "other stopped"), 0U) << run.out;
    EXPECT_EQ(count(run.out, "Step  5  removed       helper process brolt\n"
                             "Step  6  removed       helper process TavrelFinderSync\n"
                             "Step  7  removed       helper process TavrelFileProvider\n"),
              1U)
        << run.out;
    EXPECT_EQ(scriptLines(logMessages(run)),
              (Lines{"----- Kill brolt process -----", "done",
                     "----- Kill TavrelFinderSync process -----", "done",
                     "----- Kill TavrelFileProvider process -----", "done",
                     "----- Reset UserDefaults -----", "done"}))
        << run.err;
}

TEST_F(UninstallCommandTest, ScriptsComeFromTheProgramsOwnResourcesWhereverThoseAre) {
    const Lines plain = scriptLines(expectedLog(false)); // each script ran and found nothing
    const Lines scripts{"kill-brolt.sh", "kill-TavrelFinderSync.sh", "kill-TavrelFileProvider.sh",
                        "reset-userdefaults.sh"};
    Lines missing;
    for (std::size_t index = 0; index < 3; ++index) {
        missing.insert(missing.end(),
                       {plain[index * 3], "script file not found: " + scripts[index]});
    }
    missing.emplace_back("----- Reset UserDefaults -----");
    struct Case {
        const char* name;
        std::string prefix;                                     // the installation's folder name
        std::function<Lines(const fs::path& resources)> change; // gives the expected script lines
        int status;
    };
    const std::vector<Case> cases{
        {"every character a shell command or a script string could take",
         "it's \"a\" \\ $(touch injected) `touch injected`;touch injected\nend",
         [&](const fs::path&) { return Lines(plain); }, 1},
        {"no scripts", "prefix",
         [&](const fs::path& resources) {
             for (const std::string& script : scripts) {
                 fs::remove(resources / script);
             }
             return missing;
         },
         1},
        {"a script that may not be run", "prefix",
         [&](const fs::path& resources) {
             const std::string path = (resources / "kill-brolt.sh").string();
             fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
             const std::string message = "sh: 1: " + path + ": Permission denied";
             Lines lines = plain;
             lines[1] = "NSAppleScript.errorNumberr: 126";
             lines[2] = "NSAppleScript.errorMessage: " + message;
             lines.insert(lines.begin() + 3,
                          "AppleScriptExecuteError(script: \"do shell script \\\"'" + path +
                              "'\\\"\", errorNumber: Optional(126), errorMessage: Optional(\"" +
                              message + "\"))");
             return lines;
         },
         1},
    };
    for (const Case& test : cases) {
        TemporaryFolder scratch; // the working folder, where an injected command would write
        const fs::path prefix = scratch.path() / test.prefix;
        const fs::path resources = prefix / "share/tavrel-uninstaller";
        fs::create_directories(prefix / "bin");
        fs::create_directories(prefix / "share");
        fs::copy_file(TAVREL_UNINSTALL, prefix / "bin/tavrel-uninstall");
        fs::copy(TAVREL_RESOURCES, resources, fs::copy_options::recursive);
        const Lines expected = test.change(resources);
        const ProcessRun run =
            Sandbox()
                .applications(applications_.string())
                .run({"/bin/sh", "-c", "cd \"$0\" && exec \"$1\" --yes", scratch.string(),
                      (prefix / "bin/tavrel-uninstall").string()},
                     tavrel::testing::homeEnvironment(home()));
        EXPECT_EQ(run.status, test.status) << test.name << "\n" << run.out << run.err;
        EXPECT_EQ(scriptLines(logMessages(run)), expected) << test.name << "\n" << run.err;
        EXPECT_FALSE(fs::exists(scratch.path() / "injected")) << test.name;
    }
}

TEST_F(UninstallCommandTest, ABusWithoutAnAnsweringSecretServiceIsAnUnreachableKeychain) {
    for (const char* secretService : {"--secret-service=none", "--secret-service=silent"}) {
        const ProcessRun run =
            Sandbox()
                .applications(applications_.string())
                .run({TAVREL_PRIVATE_KEYRING, secretService, TAVREL_UNINSTALL, "--yes"},
                     tavrel::testing::homeEnvironment(home()));
        EXPECT_EQ(run.status, 1) << secretService << "\n" << run.out << run.err;
        EXPECT_EQ(logMessages(run), expectedLog(false)) << secretService << "\n" << run.err;
        EXPECT_EQ(splitLines(run.out),
                  expectedSummary("not found", "not found", "TAVREL.app in the Trash"))
            << secretService;
    }
}
