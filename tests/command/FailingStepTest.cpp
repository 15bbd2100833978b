// A step that fails: said in words in the summary and the JSON report, counted as remaining, and
// the later steps still run.
#include "tests/command/CommandTest.hpp"

#include <sys/stat.h>

using namespace tavrel::testing;
using FailingStepTest = CommandTest;

TEST_F(FailingStepTest, AFailingStepIsReportedInWordsAsRemainingAndTheLaterStepsStillRun) {
    // Scripts come from the program's own resources, wherever those are: from a folder whose
    // name holds every character a shell command or a script string could take, or from one
    // that has none.
    const TemporaryFolder scratch; // the working folder, where an injected command would write
    const fs::path oddPrefix =
        scratch.path() / "it's \"a\" \\ $(touch injected) `touch injected`;touch injected\nend";
    const std::string odd = install(oddPrefix);
    const std::string bare = install(scratch.path() / "bare");
    const fs::path oddReset = oddPrefix / "share/tavrel-uninstaller/reset-userdefaults.sh";
    for (const fs::path& script : {oddReset, oddReset.parent_path() / "kill-brolt.sh"}) {
        fs::permissions(script, fs::perms::owner_read | fs::perms::owner_write);
    }
    std::string missing;
    for (int step = 5; step <= 7; ++step) {
        const std::string helper = kHelpers.at(step - 5);
        fs::remove(scratch.path() / ("bare/share/tavrel-uninstaller/kill-" + helper + ".sh"));
        missing += "helper process " + helper + " (step " + std::to_string(step) + " failed); ";
    }
    fs::remove(scratch.path() / "bare/share/tavrel-uninstaller/reset-userdefaults.sh");
    std::string unreadable; // every step under ~/Library when it may not be looked into
    for (int step = 10; step <= 18; ++step) {
        unreadable += (step > 10 ? "; " : "") + planted()[step - 8].first + " (step " +
                      std::to_string(step) + " failed)";
    }
    struct Case {
        const char* name;
        std::string refused; // made read-only, or unreadable when it is ~/Library/
        int step;
        std::string subject;
        std::string reason;
        std::string stays;
        std::string error = {}; // when given: the error's description, in the report and log
        std::string program = TAVREL_UNINSTALL;
    };
    const std::vector<Case> cases{
        {"a bundle on a read-only file system", "/Applications/TAVREL.app", 8,
         "/Applications/TAVREL.app",
         "\u201cTAVREL\u201d couldn\u2019t be removed: Read-only file system. "
         "(/Applications/TAVREL.app/Contents/MacOS/TAVREL)",
         "/Applications/TAVREL.app (step 8 failed)",
         "Error Domain=NSPOSIXErrorDomain Code=30 \"\u201cTAVREL\u201d couldn\u2019t be "
         "removed: Read-only file system.\" UserInfo={NSFilePath="
         "/Applications/TAVREL.app/Contents/MacOS/TAVREL}"},
        {"a read-only autostart folder", autostart_.parent_path().string(), 2,
         "com.quillorchid.TavrelOSXLauncher",
         "\u201ccom.quillorchid.TavrelOSXLauncher.desktop\u201d couldn\u2019t be changed: "
         "Read-only file system. (" +
             autostart_.string() + ")",
         "com.quillorchid.TavrelOSXLauncher (step 2 failed); login item \"Tavrel\" (step 4 "
         "failed)"},
        {"a login item that cannot be deleted", loginItem_.string(), 4, "login item \"Tavrel\"",
         "\u201ctavrel.desktop\u201d couldn\u2019t be removed: Device or resource busy. (-10000)",
         "login item \"Tavrel\" (step 4 failed)"},
        {"user defaults on a read-only file system", defaults_.string(), 20, "user defaults",
         "rm: cannot remove '" + defaults_.string() + "/settings': Read-only file system (1)",
         "user defaults (step 20 failed)"},
        {"the copy in the Trash on a read-only file system", trashItem_, 19, trashItem_,
         "\u201cInfo.plist\u201d couldn\u2019t be removed: Read-only file system. (" + trashItem_ +
             "/Contents/Info.plist)",
         trashItem_ + " (step 19 failed)"},
        {"a folder it may not look into is a failure, never missing", library(""), 11,
         library("Preferences/com.quillorchid.TavrelOSX.plist"),
         "\u201ccom.quillorchid.TavrelOSX.plist\u201d couldn\u2019t be examined: Permission "
         "denied.",
         unreadable},
        {"a script that may not be run", "", 20, "user defaults",
         "sh: 2: " + oddReset.string() + ": Permission denied (126)", // the name spans 2 lines
         "helper process brolt (step 5 failed); user defaults (step 20 failed)", "", odd},
        {"no scripts", "", 20, "user defaults",
         "The uninstaller's script reset-userdefaults.sh is missing; reinstall the uninstaller "
         "and run it again.",
         missing + "user defaults (step 20 failed)", "", bare},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        plantEverything();
        Sandbox sandbox;
        if (test.refused == library("")) {
            sandbox.unprivileged(); // so that even root meets the folder's permissions
            chmod(test.refused.c_str(), 0);
        } else if (!test.refused.empty()) {
            sandbox.readOnly(onHost(test.refused).string(), test.refused);
        }
        const ProcessRun run = uninstall(
            {"--yes", "--json", "--verbose"}, sandbox, Output::collected,
            {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", scratch.string(), test.program});
        chmod(library("").c_str(), 0755);
        EXPECT_EQ(run.status, 1) << run.out << run.err;
        EXPECT_THAT(run.err, Not(HasSubstr("does not exist")));
        // With --json the summary goes to standard error, and standard output holds the report.
        EXPECT_THAT(run.err, HasSubstr(summaryLine(test.step, "FAILED", test.subject) +
                                       "\n         " + test.reason + "\n"));
        EXPECT_THAT(run.err, HasSubstr("\n" + stillThere(test.stays) + "\n"));
        const Json report = Json::parse(run.out);
        expectDocumented(report);
        for (const Json& step : report["steps"]) { // every other step still ran
            EXPECT_FALSE(step["results"].empty()) << step;
        }
        const Json& step = report["steps"][test.step - 1];
        const Json& failed = step["results"][0];
        EXPECT_EQ(failed, Json({{"subject", test.subject},
                                {"status", "failed"},
                                {"error", failed["error"]},
                                {"reason", test.reason}}));
        if (!test.error.empty()) {
            EXPECT_THAT(failed.value("error", ""), HasSubstr(test.error));
            EXPECT_EQ(count(run.err, "] " + test.error + "\n"), 1U) << run.err;
        }
        EXPECT_NE(step["remaining"], nothing());
        EXPECT_FALSE(fs::exists(app("Tavrel.app")));
    }
    EXPECT_FALSE(fs::exists(scratch.path() / "injected"));
}
