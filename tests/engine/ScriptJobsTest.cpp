// Login item removal over real autostart folders, with its exact log lines, and the real user
// defaults and kill scripts.
#include "Source/jobs/LoginItemJob.hpp"
#include "Source/scripts/AppleScriptExecuteError.hpp"
#include "platform/BundleInfo.hpp"
#include "tests/engine/FakeScriptHost.hpp"
#include "tests/support/RecordingLogger.hpp"
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using tavrel::AppleScriptExecuteError;
using tavrel::jobs::LoginItemJob;
using tavrel::jobs::LoginItemResult;
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
        std::vector<std::string> names; // of a.desktop, b.desktop and on, as written
        std::string asked;
        std::string listed;            // in the log
        std::vector<std::string> left; // entry files afterwards
    };
    const std::vector<Case> cases{
        {{}, "TAVREL", "[]", {}},
        {{"Tavrel"}, "TAVREL", "[\"Tavrel\"]", {"a.desktop"}}, // letter case counts
        {{"Tavrel", "Tavrel"}, "Tavrel", "[\"Tavrel\", \"Tavrel\"]", {"b.desktop"}},
        // Quotes, a backslash and an accent written two ways.
        {{"Ta\"v\\\\rel Cafe\u0301"},
         "Ta\"v\\rel Caf\u00e9",
         "[\"Ta\\\"v\\\\rel Cafe\u0301\"]",
         {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.asked + " among " + test.listed);
        const TemporaryFolder folder;
        for (std::size_t index = 0; index < test.names.size(); ++index) {
            writeFile(folder.path() / (static_cast<char>('a' + index) + std::string(".desktop")),
                      "[Desktop Entry]\nName=" + test.names[index] + "\n");
        }
        const bool found = test.left.size() < test.names.size();
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

TEST_F(ScriptJobsTest, TheUserDefaultsScriptRemovesTheProductsDomainsFromTheConfigFolderOnly) {
    const auto resources = tavrel::platform::BundleInfo::resourcesFolder();
    ASSERT_TRUE(resources);
    const TemporaryFolder home;
    const std::vector<std::string> domains{
        "com.quillorchid.TavrelOSX", "com.quillorchid.TavrelAuthenticator",
        "com.quillorchid.tavrel.macos", "group.com.quillorchid.TavrelOSX",
        "group.com.quillorchid.tavrel.macos"};
    const std::vector<std::string> neighbours{"com.quillorchid.TavrelOSX.FinderSync",
                                              "com.quillorchid.Other", "TavrelOSX"};
    // XDG_CONFIG_HOME when it is absolute, else ~/.config.
    for (const std::string& config : {home.string() + "/xdg", std::string("relative")}) {
        SCOPED_TRACE(config);
        const fs::path folder =
            config.starts_with('/') ? fs::path(config) : home.path() / ".config";
        for (const std::string& name : domains) {
            writeFile(folder / name / "settings", "x");
        }
        writeFile(folder / domains[0], "a file this time");
        for (const std::string& name : neighbours) {
            writeFile(folder / name, "keep");
        }
        const auto run = tavrel::testing::runProcess(
            {*resources + "reset-userdefaults.sh"},
            {"PATH=/usr/bin:/bin", "HOME=" + home.string(), "XDG_CONFIG_HOME=" + config});
        EXPECT_EQ(run.status, 0) << run.err;
        for (const std::string& name : domains) {
            EXPECT_FALSE(fs::exists(folder / name)) << name;
        }
        for (const std::string& name : neighbours) {
            EXPECT_TRUE(fs::exists(folder / name)) << name;
        }
    }
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
