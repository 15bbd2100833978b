// The AppleScript runner and the jobs it runs, over the real stand-in with real autostart folders,
// and the real user defaults and kill scripts; a fake host only for answers no real command gives.
#include "Source/jobs/LoginItemJob.hpp"
#include "Source/scripts/AppleScript.hpp"
#include "Source/scripts/AppleScriptExecuteError.hpp"
#include "platform/BundleInfo.hpp"
#include "tests/support/RecordingLogger.hpp"
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using tavrel::AppleScript;
using tavrel::AppleScriptExecuteError;
using tavrel::ScriptResult;
using tavrel::jobs::LoginItemJob;
using tavrel::logging::LogFlag;
using tavrel::platform::AppleScriptHost;
using tavrel::platform::ScriptDescriptor;
using namespace tavrel::testing;
using Execution = AppleScriptHost::Execution;
using Failure = AppleScriptHost::Failure;
using Logged = std::vector<std::pair<LogFlag, std::string>>;
using Outcome = tavrel::jobs::LoginItemResult::Outcome;

namespace {

constexpr const char* kList =
    "tell application \"System Events\" to get the name of every login item";
constexpr const char* kBanner = "----- Disable Login Item -----";

// Answers the listing of login items with `listing` and any other script with `other`, for
// answers no real command gives (a failure without number or message, -128, a lone text).
struct FakeScriptHost final : AppleScriptHost {
    FakeScriptHost(Execution listing, Execution other)
        : answers{std::move(listing), std::move(other)} {}

    [[nodiscard]] std::optional<Execution> execute(const std::string& source) const override {
        return answers.at(source == kList ? 0 : 1);
    }

    std::array<Execution, 2> answers;
};

// Autostart entries a.desktop, b.desktop and on, each with one line below its group header.
void plantEntries(const fs::path& folder, const std::vector<std::string>& lines) {
    for (std::size_t index = 0; index < lines.size(); ++index) {
        writeFile(folder / (static_cast<char>('a' + index) + std::string(".desktop")),
                  "[Desktop Entry]\n" + lines[index] + "\n");
    }
}

class ScriptJobsTest : public ::testing::Test {
protected:
    void SetUp() override { (void)RecordingLogger::shared().take(); }

    const std::string resources_ = tavrel::platform::BundleInfo::resourcesFolder().value_or("");
    TemporaryFolder autostart_;
    std::unique_ptr<AppleScriptHost> host_ =
        AppleScriptHost::make({.loginItemsFolder = autostart_.string()});
};

} // namespace

TEST_F(ScriptJobsTest, ResultsBecomeTextsAndOnlyANonEmptyTextIsLogged) {
    EXPECT_EQ(AppleScript::run(kList, *host_), ScriptResult{}); // no items: none
    EXPECT_EQ(AppleScript::run("do shell script \"printf ''\"", *host_), ScriptResult{});

    plantEntries(autostart_.path(), {"Name=Zeta", "Exec=no name", "Name=Tavrel"});
    EXPECT_EQ(AppleScript::run(kList, *host_),
              ScriptResult(std::vector<std::string>{"Zeta", "Tavrel"}));
    EXPECT_EQ(AppleScript::run("do shell script \"echo hi; echo there\"", *host_),
              ScriptResult("hi\rthere"));
    const auto lines = RecordingLogger::shared().take();
    ASSERT_EQ(lines.size(), 1U); // its flag and text are checked with a lone text below
    EXPECT_EQ(lines[0].file(), "Source/scripts/AppleScript.cpp");
    EXPECT_EQ(lines[0].function(), "run(script:)");
}

TEST_F(ScriptJobsTest, FailuresAreLoggedInOrderAndThrownWithTheirFactsButNotTheScript) {
    struct Case {
        const AppleScriptHost& host;
        std::string script;
        std::string errors; // the lines logged, each an error ending in a line feed
        std::string description;
        std::string alert;
    };
    const Failure cancel{-128, "User canceled."};
    const FakeScriptHost canceled(cancel, cancel);
    const FakeScriptHost bare(Failure{}, Failure{});
    const std::vector<Case> cases{
        {*host_, "tell application \"System Events\" to delete login item \"TAVREL\"",
         "NSAppleScript.errorNumberr: -1728\nNSAppleScript.errorMessage: Can't get login item "
         "\"TAVREL\".\n",
         "AppleScriptExecuteError(script: \"tell application \\\"System Events\\\" to delete login "
         "item \\\"TAVREL\\\"\", errorNumber: Optional(-1728), errorMessage: Optional(\"Can't get "
         "login item \\\"TAVREL\\\".\"))",
         "Can't get login item \"TAVREL\". (-1728)"},
        {canceled, "s",
         "NSAppleScript.errorNumberr: -128\nThe administrator password is required to do "
         "this.\nNSAppleScript.errorMessage: User canceled.\n",
         "AppleScriptExecuteError(script: \"s\", errorNumber: Optional(-128), errorMessage: "
         "Optional(\"User canceled.\"))",
         "User canceled. (-128)"},
        {bare, "s", "",
         "AppleScriptExecuteError(script: \"s\", errorNumber: nil, errorMessage: nil)", "unknown"},
        {*host_, "do shell script \"\xff\"", "",
         "AppleScriptUnknownError(script: \"do shell script \\\"\xff\\\"\")", "unknown"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.script);
        try {
            (void)AppleScript::run(test.script, test.host);
            ADD_FAILURE() << "nothing thrown";
        } catch (const tavrel::Error& error) {
            EXPECT_EQ(error.description(), test.description);
            EXPECT_EQ(
                error.alert(),
                (tavrel::Alert{
                    test.alert, std::nullopt, {"OK"}, tavrel::AlertStyle::warning, std::nullopt}));
        }
        std::string errors;
        for (const auto& [flag, line] : RecordingLogger::shared().takeFlagged()) {
            errors += (flag == LogFlag::error ? "" : "(not an error) ") + line + "\n";
        }
        EXPECT_EQ(errors, test.errors);
    }
}

TEST_F(ScriptJobsTest, ALoginItemGoesOnlyByItsExactNameAndOnlyOnce) {
    struct Case {
        std::vector<std::string> entries;
        std::string asked;
        std::string listed;            // in the log
        std::vector<std::string> left; // entry files afterwards
    };
    const std::vector<Case> cases{
        {{}, "TAVREL", "[]", {}},
        {{"Name=Tavrel"}, "TAVREL", "[\"Tavrel\"]", {"a.desktop"}}, // letter case counts
        {{"Name=Tavrel", "Name=Tavrel"}, "Tavrel", "[\"Tavrel\", \"Tavrel\"]", {"b.desktop"}},
        // Quotes, a backslash and an accent written two ways.
        {{"Name=Ta\"v\\\\rel Cafe\u0301"},
         "Ta\"v\\rel Caf\u00e9",
         "[\"Ta\\\"v\\\\rel Cafe\u0301\"]",
         {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.asked + " among " + test.listed);
        const TemporaryFolder folder;
        plantEntries(folder.path(), test.entries);
        const bool found = test.left.size() < test.entries.size();
        const auto host = AppleScriptHost::make({.loginItemsFolder = folder.string()});
        EXPECT_EQ(LoginItemJob::disable(test.asked, *host).outcome,
                  found ? Outcome::removed : Outcome::notFound);
        EXPECT_EQ(RecordingLogger::shared().takeFlagged(),
                  (Logged{{LogFlag::info, kBanner},
                          {LogFlag::debug, "items: " + test.listed},
                          {LogFlag::info, found ? "done" : "\"" + test.asked + "\" not found"}}));
        std::vector<std::string> left;
        for (const auto& item : fs::directory_iterator(folder.path())) {
            left.push_back(item.path().filename().string());
        }
        EXPECT_EQ(left, test.left);
    }
}

TEST_F(ScriptJobsTest, OddAnswersOfSystemEventsAreTakenAsTheRunNeedsThem) {
    // A single text is no list: nothing is found, and nothing deleted (no "done").
    const FakeScriptHost text(ScriptDescriptor::text("Tavrel"), ScriptDescriptor::text("x"));
    EXPECT_EQ(LoginItemJob::disable("Tavrel", text).outcome, Outcome::notFound);
    EXPECT_EQ(RecordingLogger::shared().takeFlagged(),
              (Logged{{LogFlag::info, kBanner},
                      {LogFlag::warning, "Tavrel"},
                      {LogFlag::debug, "items: []"},
                      {LogFlag::info, "\"Tavrel\" not found"}}));

    // The item went meanwhile (-1728): no line of the job's own, no failure.
    const FakeScriptHost gone(ScriptDescriptor::list({ScriptDescriptor::text("Tavrel")}),
                              Failure{-1728, "Can't get login item \"Tavrel\"."});
    EXPECT_EQ(LoginItemJob::disable("Tavrel", gone).outcome, Outcome::notFound);
    EXPECT_EQ(
        RecordingLogger::shared().takeFlagged(),
        (Logged{{LogFlag::info, kBanner},
                {LogFlag::debug, "items: [\"Tavrel\"]"},
                {LogFlag::error, "NSAppleScript.errorNumberr: -1728"},
                {LogFlag::error, "NSAppleScript.errorMessage: Can't get login item \"Tavrel\"."}}));

    // A listing that fails is thrown, after the runner's lines only.
    const FakeScriptHost failing(Failure{-1743, std::nullopt}, ScriptDescriptor::text("x"));
    EXPECT_THROW((void)LoginItemJob::disable("Tavrel", failing), AppleScriptExecuteError);
    EXPECT_EQ(
        RecordingLogger::shared().takeFlagged(),
        (Logged{{LogFlag::info, kBanner}, {LogFlag::error, "NSAppleScript.errorNumberr: -1743"}}));
}

TEST_F(ScriptJobsTest, TheUserDefaultsScriptRemovesTheProductsDomainsFromTheConfigFolderOnly) {
    const TemporaryFolder home;
    // The product's five domains, then names next to them that stay.
    const std::vector<std::string> names{"com.quillorchid.TavrelOSX",
                                         "com.quillorchid.TavrelAuthenticator",
                                         "com.quillorchid.tavrel.macos",
                                         "group.com.quillorchid.TavrelOSX",
                                         "group.com.quillorchid.tavrel.macos",
                                         "com.quillorchid.TavrelOSX.FinderSync",
                                         "com.quillorchid.Other",
                                         "TavrelOSX"};
    // XDG_CONFIG_HOME when it is absolute, else ~/.config.
    for (const std::string& config : {home.string() + "/xdg", std::string("relative")}) {
        SCOPED_TRACE(config);
        const fs::path folder =
            config.starts_with('/') ? fs::path(config) : home.path() / ".config";
        for (std::size_t index = 0; index < names.size(); ++index) {
            // A domain may be a folder or a file.
            const fs::path path = folder / names[index];
            writeFile(index % 2 == 0 ? path / "settings" : path, "x");
        }
        const auto run = runProcess(
            {resources_ + "reset-userdefaults.sh"},
            {"PATH=/usr/bin:/bin", "HOME=" + home.string(), "XDG_CONFIG_HOME=" + config});
        EXPECT_EQ(run.status, 0) << run.err;
        for (std::size_t index = 0; index < names.size(); ++index) {
            EXPECT_EQ(fs::exists(folder / names[index]), index >= 5) << names[index];
        }
    }
}

TEST_F(ScriptJobsTest, AKillScriptGivesAHelperTheTimeToSaveItsStateBeforeItWouldKillIt) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const TemporaryFolder work;
    // In a sandbox, where the script sees only the processes started there.
    const auto run = Sandbox().run(
        {TAVREL_ENGINE_SCRIPTS "/slow-helper.sh", work.string(), resources_ + "kill-brolt.sh"},
        {"PATH=/usr/bin:/bin"});
    EXPECT_EQ(run.out, "status 0\n") << run.err;
    EXPECT_EQ(readFile(work.path() / "state"), "saved\n");
}
