// The AppleScript runner over the real stand-in (a fake host only for failures no command
// makes): results, log lines, thrown errors, their descriptions and alerts.
#include "Source/scripts/AppleScript.hpp"

#include "Source/scripts/AppleScriptExecuteError.hpp"
#include "Source/scripts/AppleScriptUnknownError.hpp"
#include "tests/engine/FakeScriptHost.hpp"
#include "tests/support/RecordingLogger.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <gtest/gtest.h>

using tavrel::AppleScript;
using tavrel::ScriptResult;
using tavrel::logging::LogFlag;
using tavrel::platform::AppleScriptHost;
using tavrel::testing::FakeScriptHost;
using tavrel::testing::RecordingLogger;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;
using Logged = std::vector<std::pair<LogFlag, std::string>>;
using Failure = AppleScriptHost::Failure;

namespace {

constexpr const char* kList =
    "tell application \"System Events\" to get the name of every login item";

class AppleScriptTest : public ::testing::Test {
protected:
    void SetUp() override { (void)RecordingLogger::shared().take(); }

    TemporaryFolder autostart_;
    std::unique_ptr<AppleScriptHost> host_ =
        AppleScriptHost::make({.loginItemsFolder = autostart_.string()});
};

// A host whose every script fails with `failure`.
FakeScriptHost failing(const Failure& failure) {
    return FakeScriptHost([failure](const std::string&) { return failure; });
}

} // namespace

TEST_F(AppleScriptTest, ResultsBecomeTextsAndOnlyANonEmptyTextIsLogged) {
    const std::string empty = "do shell script \"printf ''\"";
    EXPECT_EQ(AppleScript::run(kList, *host_), ScriptResult{}); // no items: none
    EXPECT_EQ(AppleScript::run(empty, *host_), ScriptResult{});
    EXPECT_TRUE(RecordingLogger::shared().take().empty());

    writeFile(autostart_.path() / "a.desktop", "[Desktop Entry]\nName=Zeta\n");
    writeFile(autostart_.path() / "b.desktop", "[Desktop Entry]\nExec=no name\n");
    writeFile(autostart_.path() / "c.desktop", "[Desktop Entry]\nName=Tavrel\n");
    EXPECT_EQ(AppleScript::run(kList, *host_),
              ScriptResult(std::vector<std::string>{"Zeta", "Tavrel"}));
    EXPECT_EQ(AppleScript::run("do shell script \"echo hi; echo there\"", *host_),
              ScriptResult("hi\rthere"));
    const auto lines = RecordingLogger::shared().take();
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].flag(), LogFlag::warning);
    EXPECT_EQ(lines[0].message(), "hi\rthere");
    EXPECT_EQ(lines[0].file(), "Source/scripts/AppleScript.cpp");
    EXPECT_EQ(lines[0].function(), "run(script:)");
}

TEST_F(AppleScriptTest, FailuresAreLoggedInOrderAndThrownWithTheirFactsButNotTheScript) {
    struct Case {
        const AppleScriptHost& host;
        std::string script;
        Logged lines;
        std::string description;
        std::string alert;
    };
    const std::string missing =
        "tell application \"System Events\" to delete login item \"TAVREL\"";
    const FakeScriptHost canceled = failing({-128, "User canceled."});
    const FakeScriptHost bare = failing({});
    const std::vector<Case> cases{
        {*host_,
         missing,
         {{LogFlag::error, "NSAppleScript.errorNumberr: -1728"},
          {LogFlag::error, "NSAppleScript.errorMessage: Can't get login item \"TAVREL\"."}},
         "AppleScriptExecuteError(script: \"tell application \\\"System Events\\\" to delete login "
         "item \\\"TAVREL\\\"\", errorNumber: Optional(-1728), errorMessage: Optional(\"Can't get "
         "login item \\\"TAVREL\\\".\"))",
         "Can't get login item \"TAVREL\". (-1728)"},
        {canceled,
         "s",
         {{LogFlag::error, "NSAppleScript.errorNumberr: -128"},
          {LogFlag::error, "The administrator password is required to do this."},
          {LogFlag::error, "NSAppleScript.errorMessage: User canceled."}},
         "AppleScriptExecuteError(script: \"s\", errorNumber: Optional(-128), errorMessage: "
         "Optional(\"User canceled.\"))",
         "User canceled. (-128)"},
        {bare,
         "s",
         {},
         "AppleScriptExecuteError(script: \"s\", errorNumber: nil, errorMessage: nil)",
         "unknown"},
        {*host_,
         "do shell script \"\xff\"",
         {},
         "AppleScriptUnknownError(script: \"do shell script \\\"\xff\\\"\")",
         "unknown"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.script);
        try {
            (void)AppleScript::run(test.script, test.host);
            ADD_FAILURE() << "nothing thrown";
        } catch (const tavrel::Error& error) {
            EXPECT_EQ(error.description(), test.description);
            const tavrel::Alert alert = error.alert();
            EXPECT_EQ(alert.messageText, test.alert);
            EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});
            EXPECT_EQ(alert.style, tavrel::AlertStyle::warning);
        }
        EXPECT_EQ(RecordingLogger::shared().takeFlagged(), test.lines);
    }
}
