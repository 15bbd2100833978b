// Login item removal over real autostart folders, the user defaults reset through the real
// script under a temporary home, with their exact log lines, and a real kill script.
#include "Source/jobs/LoginItemJob.hpp"
#include "Source/jobs/UserDefaultsJob.hpp"
#include "Source/scripts/AppleScriptExecuteError.hpp"
#include "platform/BundleInfo.hpp"
#include "tests/engine/FakeScriptHost.hpp"
#include "tests/support/RecordingLogger.hpp"
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;
using tavrel::AppleScriptExecuteError;
using tavrel::jobs::LoginItemJob;
using tavrel::jobs::LoginItemResult;
using tavrel::jobs::ScriptJobResult;
using tavrel::jobs::UserDefaultsJob;
using tavrel::logging::LogFlag;
using tavrel::platform::AppleScriptHost;
using tavrel::platform::ScriptDescriptor;
using tavrel::testing::FakeScriptHost;
using tavrel::testing::readFile;
using tavrel::testing::RecordingLogger;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;
using Logged = std::vector<std::pair<LogFlag, std::string>>;
using Outcome = LoginItemResult::Outcome;

namespace {

constexpr const char* kBanner = "----- Disable Login Item -----";

class ScriptJobsTest : public ::testing::Test {
protected:
    void SetUp() override { (void)RecordingLogger::shared().take(); }
};

} // namespace

TEST_F(ScriptJobsTest, ALoginItemGoesOnlyByItsExactNameAndOnlyOnce) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> entries; // file name -> Name= value as written
        std::string asked;
        Outcome outcome;
        Logged lines;
        std::vector<std::string> left; // entry files afterwards
    };
    const std::vector<Case> cases{
        {"no login items",
         {},
         "TAVREL",
         Outcome::notFound,
         {{LogFlag::info, kBanner},
          {LogFlag::debug, "items: []"},
          {LogFlag::info, "\"TAVREL\" not found"}},
         {}},
        {"letter case counts",
         {{"t.desktop", "Tavrel"}},
         "TAVREL",
         Outcome::notFound,
         {{LogFlag::info, kBanner},
          {LogFlag::debug, "items: [\"Tavrel\"]"},
          {LogFlag::info, "\"TAVREL\" not found"}},
         {"t.desktop"}},
        {"two of that name",
         {{"a.desktop", "Tavrel"}, {"b.desktop", "Tavrel"}},
         "Tavrel",
         Outcome::removed,
         {{LogFlag::info, kBanner},
          {LogFlag::debug, "items: [\"Tavrel\", \"Tavrel\"]"},
          {LogFlag::info, "done"}},
         {"b.desktop"}},
        {"quotes, a backslash and an accent written two ways",
         {{"q.desktop", "Ta\"v\\\\rel Cafe\u0301"}},
         "Ta\"v\\rel Caf\u00e9",
         Outcome::removed,
         {{LogFlag::info, kBanner},
          {LogFlag::debug, "items: [\"Ta\\\"v\\\\rel Cafe\u0301\"]"},
          {LogFlag::info, "done"}},
         {}},
    };
    for (const Case& test : cases) {
        TemporaryFolder folder;
        for (const auto& [file, name] : test.entries) {
            writeFile(folder.path() / file, "[Desktop Entry]\nName=" + name + "\n");
        }
        const auto host = AppleScriptHost::make({.loginItemsFolder = folder.string()});
        EXPECT_EQ(LoginItemJob::disable(test.asked, *host).outcome, test.outcome) << test.name;
        EXPECT_EQ(RecordingLogger::shared().takeFlagged(), test.lines) << test.name;
        std::vector<std::string> left;
        for (const auto& item : fs::directory_iterator(folder.path())) {
            left.push_back(item.path().filename().string());
        }
        EXPECT_EQ(left, test.left) << test.name;
    }
}

TEST_F(ScriptJobsTest, OddAnswersOfSystemEventsAreTakenAsTheRunNeedsThem) {
    const std::string list =
        "tell application \"System Events\" to get the name of every login item";
    const auto answering = [&](const AppleScriptHost::Execution& listing,
                               const AppleScriptHost::Execution& deletion) {
        return FakeScriptHost(
            [=](const std::string& source) { return source == list ? listing : deletion; });
    };
    const auto tavrel = ScriptDescriptor::list({ScriptDescriptor::text("Tavrel")});

    // A single text is no list: nothing is found, and nothing deleted (no "done").
    FakeScriptHost host = answering(ScriptDescriptor::text("Tavrel"), ScriptDescriptor::text("x"));
    EXPECT_EQ(LoginItemJob::disable("Tavrel", host).outcome, Outcome::notFound);
    EXPECT_EQ(RecordingLogger::shared().takeFlagged(),
              (Logged{{LogFlag::info, kBanner},
                      {LogFlag::warning, "Tavrel"},
                      {LogFlag::debug, "items: []"},
                      {LogFlag::info, "\"Tavrel\" not found"}}));

    // The item went meanwhile (-1728): no line of the job's own, no failure.
    host = answering(tavrel, AppleScriptHost::Failure{-1728, "Can't get login item \"Tavrel\"."});
    EXPECT_EQ(LoginItemJob::disable("Tavrel", host).outcome, Outcome::notFound);
    EXPECT_EQ(
        RecordingLogger::shared().takeFlagged(),
        (Logged{{LogFlag::info, kBanner},
                {LogFlag::debug, "items: [\"Tavrel\"]"},
                {LogFlag::error, "NSAppleScript.errorNumberr: -1728"},
                {LogFlag::error, "NSAppleScript.errorMessage: Can't get login item \"Tavrel\"."}}));

    // A listing that fails is thrown, after the runner's lines only.
    host = answering(AppleScriptHost::Failure{-1743, std::nullopt}, ScriptDescriptor::text("x"));
    EXPECT_THROW((void)LoginItemJob::disable("Tavrel", host), AppleScriptExecuteError);
    EXPECT_EQ(
        RecordingLogger::shared().takeFlagged(),
        (Logged{{LogFlag::info, kBanner}, {LogFlag::error, "NSAppleScript.errorNumberr: -1743"}}));
}

TEST_F(ScriptJobsTest, UserDefaultsResetRemovesTheProductsDomainsFromTheConfigFolderOnly) {
    TemporaryFolder home;
    // The script reads HOME and XDG_CONFIG_HOME; HOME is put back and the other unset at the end.
    const char* const realHome = std::getenv("HOME"); // NOLINT(concurrency-mt-unsafe)
    const std::string savedHome = realHome != nullptr ? realHome : "/nonexistent";
    setenv("HOME", home.string().c_str(), 1);
    const std::vector<std::string> domains{
        "com.quillorchid.TavrelOSX", "com.quillorchid.TavrelAuthenticator",
        "com.quillorchid.tavrel.macos", "group.com.quillorchid.TavrelOSX",
        "group.com.quillorchid.tavrel.macos"};
    const std::vector<std::string> neighbours{"com.quillorchid.TavrelOSX.FinderSync",
                                              "com.quillorchid.Other", "TavrelOSX"};
    // XDG_CONFIG_HOME when it is absolute, else ~/.config.
    for (const std::string& config : {home.string() + "/xdg", std::string("relative")}) {
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        const fs::path folder =
            config.starts_with('/') ? fs::path(config) : home.path() / ".config";
        for (const std::string& name : domains) {
            writeFile(folder / name / "settings", "x");
        }
        writeFile(folder / domains[0], "a file this time");
        for (const std::string& name : neighbours) {
            writeFile(folder / name, "keep");
        }
        const auto host = AppleScriptHost::make({.loginItemsFolder = home.string()});
        EXPECT_EQ(UserDefaultsJob::reset(*host), ScriptJobResult::done) << config;
        EXPECT_EQ(
            RecordingLogger::shared().takeFlagged(),
            (Logged{{LogFlag::info, "----- Reset UserDefaults -----"}, {LogFlag::info, "done"}}))
            << config;
        for (const std::string& name : domains) {
            EXPECT_FALSE(fs::exists(folder / name)) << config << " " << name;
        }
        for (const std::string& name : neighbours) {
            EXPECT_TRUE(fs::exists(folder / name)) << config << " " << name;
        }
    }
    setenv("HOME", savedHome.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(ScriptJobsTest, AKillScriptGivesAHelperTheTimeToSaveItsStateBeforeItWouldKillIt) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const auto resources = tavrel::platform::BundleInfo::resourcesFolder();
    ASSERT_TRUE(resources);
    const TemporaryFolder work;
    // In a sandbox, where the script sees only the processes started there.
    const auto run = tavrel::testing::Sandbox().run(
        {TAVREL_ENGINE_SCRIPTS "/slow-helper.sh", work.string(), *resources + "kill-brolt.sh"},
        {"PATH=/usr/bin:/bin"});
    EXPECT_EQ(run.out, "status 0\n") << run.err;
    EXPECT_EQ(readFile(work.path() / "state"), "saved\n");
}
