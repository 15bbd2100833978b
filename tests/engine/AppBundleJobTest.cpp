// Bundle and data folder removal under a temporary home: log lines, results and errors.
#include "Source/Job/AppBundleJob.hpp"

#include "Source/Job/RemoveAppBundleError.hpp"
#include "tests/engine/RecordingLogger.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using tavrel::AlertStyle;
using tavrel::jobs::AppBundleJob;
using tavrel::jobs::RemoveAppBundleError;
using tavrel::jobs::RemoveResult;
using tavrel::logging::LogFlag;
using tavrel::platform::FileError;
using tavrel::testing::readFile;
using tavrel::testing::RecordingLogger;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;
using Lines = std::vector<std::string>;

namespace {

class AppBundleJobTest : public ::testing::Test {
protected:
    void SetUp() override { (void)RecordingLogger::shared().take(); }
    std::string library(const std::string& rest) const {
        return folder_.string() + "/Library/" + rest;
    }

    TemporaryFolder folder_;
    const std::string home_ = folder_.string();
};

} // namespace

TEST_F(AppBundleJobTest, DataOperationsLogBannerNameAndResultFromTheJobsFile) {
    writeFile(library("Application Support/com.quillorchid.TavrelOSX/state.db"), "x");
    writeFile(library("Preferences/com.quillorchid.TavrelOSX.plist"), "x");
    writeFile(library("Containers/com.quillorchid.tavrel.macos/Data/x"), "x");

    EXPECT_EQ(AppBundleJob::removeApplicationSupport(home_, "com.quillorchid.TavrelOSX"),
              RemoveResult::removed);
    EXPECT_EQ(AppBundleJob::removePreferences(home_, "com.quillorchid.TavrelOSX"),
              RemoveResult::removed);
    EXPECT_EQ(AppBundleJob::removeContainers(home_, "com.quillorchid.tavrel.macos"),
              RemoveResult::removed);
    EXPECT_EQ(AppBundleJob::removeGroupContainers(home_, "group.com.quillorchid.TavrelOSX"),
              RemoveResult::missing);

    const auto lines = RecordingLogger::shared().take();
    Lines messages;
    for (const auto& line : lines) {
        messages.push_back(line.message);
        EXPECT_EQ(line.flag, LogFlag::info);
        EXPECT_EQ(line.file, "Source/Job/AppBundleJob.cpp");
    }
    EXPECT_EQ(messages, (Lines{
                            "----- Remove \"Application Support\" -----",
                            "com.quillorchid.TavrelOSX",
                            "done",
                            "----- Remove \"Preferences\" -----",
                            "com.quillorchid.TavrelOSX.plist",
                            "done",
                            "----- Remove \"Containers\" -----",
                            "com.quillorchid.tavrel.macos",
                            "done",
                            "----- Remove \"Group Containers\" -----",
                            "group.com.quillorchid.TavrelOSX",
                            "\"" + library("Group Containers/group.com.quillorchid.TavrelOSX") +
                                "\" does not exist.",
                        }));
    ASSERT_EQ(lines.size(), 12U);
    EXPECT_EQ(lines[0].function, "removeApplicationSupport(bundleID:)");
    EXPECT_EQ(lines[2].function, "remove(at:folder:)");
    EXPECT_EQ(lines[4].function, "removePreferences(bundleID:)");
    EXPECT_FALSE(fs::exists(library("Application Support/com.quillorchid.TavrelOSX")));
    EXPECT_TRUE(fs::is_directory(library("Application Support")));
}

TEST_F(AppBundleJobTest, FileWhereAFolderIsExpectedStaysButAPreferencesFolderGoes) {
    const std::string bundle = folder_.string() + "/TAVREL.app";
    writeFile(bundle, "not a bundle");
    EXPECT_EQ(AppBundleJob::removeApp(bundle), RemoveResult::notFolder);
    EXPECT_EQ(readFile(bundle), "not a bundle");

    writeFile(library("Preferences/com.quillorchid.TavrelOSX.plist/inner/file"), "x");
    EXPECT_EQ(AppBundleJob::removePreferences(home_, "com.quillorchid.TavrelOSX"),
              RemoveResult::removed);
    EXPECT_FALSE(fs::exists(library("Preferences/com.quillorchid.TavrelOSX.plist")));

    EXPECT_EQ(
        RecordingLogger::shared().takeMessages(),
        (Lines{"----- Remove App Bundle -----", "\"" + bundle + "\" not folder.",
               "----- Remove \"Preferences\" -----", "com.quillorchid.TavrelOSX.plist", "done"}));
}

TEST_F(AppBundleJobTest, LinksAreRemovedThemselvesAndDanglingLinksCountAsMissing) {
    TemporaryFolder target;
    writeFile(target.path() / "Contents/Info.plist", "keep");
    const std::string linked = folder_.string() + "/Linked.app";
    fs::create_directory_symlink(target.path(), linked);
    EXPECT_EQ(AppBundleJob::removeApp(linked), RemoveResult::removed);
    EXPECT_FALSE(fs::exists(fs::symlink_status(linked)));
    EXPECT_EQ(readFile(target.path() / "Contents/Info.plist"), "keep");

    const std::string dangling = folder_.string() + "/Dangling.app";
    fs::create_symlink(folder_.path() / "nowhere", dangling);
    EXPECT_EQ(AppBundleJob::removeApp(dangling), RemoveResult::missing);
    EXPECT_TRUE(fs::is_symlink(dangling));
}

TEST(AppBundleJobPathsTest, HomeWithATrailingSlashIsUsedAsItIs) {
    EXPECT_EQ(AppBundleJob::preferencesPath("/h/", "id"), "/h//Library/Preferences/id.plist");
}

TEST(RemoveAppBundleErrorTest, DescriptionCarriesPathAndErrorAndTheAlertOnlyTheReason) {
    const FileError cause(EROFS, "/Applications/TAVREL.app/Contents/file");
    const RemoveAppBundleError error("/Applications/TAVREL.app", cause);
    EXPECT_EQ(error.path(), "/Applications/TAVREL.app");
    EXPECT_EQ(error.error(), cause);
    EXPECT_EQ(
        error.description(),
        "RemoveAppBundleError(path: \"/Applications/TAVREL.app\", error: Error "
        "Domain=NSPOSIXErrorDomain Code=30 \"\u201c"
        "file\u201d couldn\u2019t be removed: "
        "Read-only file system.\" UserInfo={NSFilePath=/Applications/TAVREL.app/Contents/file})");
    const tavrel::Alert alert = error.alert();
    EXPECT_EQ(alert.messageText, "\u201c"
                                 "file\u201d couldn\u2019t be removed: Read-only file system.");
    EXPECT_FALSE(alert.informativeText);
    EXPECT_EQ(alert.buttons, Lines{"OK"});
    EXPECT_EQ(alert.style, AlertStyle::warning);
}
