// The removal job under a temporary home (results, log lines, what stays) and the errors the
// engine throws.
#include "Source/Job/AppBundleJob.hpp"
#include "Source/Job/RemoveAppBundleError.hpp"
#include "Source/RunningAppError.hpp"
#include "tests/support/RecordingLogger.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using tavrel::jobs::AppBundleJob;
using tavrel::jobs::RemoveResult;
using tavrel::testing::writeFile;
using Lines = std::vector<std::string>;

TEST(AppBundleJobTest, RemovesWhatIsThereAndLogsWhatItFound) {
    const std::string longName(300, 'n');
    struct Case {
        const char* name;
        std::function<void(const fs::path& home)> plant;
        std::function<RemoveResult(const std::string& home)> remove;
        std::optional<RemoveResult> result;                // none: the removal throws
        std::function<Lines(const std::string& home)> log; // error lines start with "error: "
        const char* gone;                                  // below the home; "" for nothing
        const char* stays;                                 // below the home; "" for nothing
    };
    const auto preferences = [](const std::string& home) {
        return AppBundleJob::removePreferences(home, "com.x");
    };
    const Lines removedPreferences{"----- Remove \"Preferences\" -----", "com.x.plist", "done"};
    const std::vector<Case> cases{
        {"a preferences file",
         [](const fs::path& home) { writeFile(home / "Library/Preferences/com.x.plist", "x"); },
         preferences, RemoveResult::removed, [&](auto&) { return removedPreferences; },
         "Library/Preferences/com.x.plist", "Library/Preferences"},
        {"a preferences folder",
         [](const fs::path& home) { writeFile(home / "Library/Preferences/com.x.plist/in", "x"); },
         preferences, RemoveResult::removed, [&](auto&) { return removedPreferences; },
         "Library/Preferences/com.x.plist", ""},
        {"a file where the bundle should be",
         [](const fs::path& home) { writeFile(home / "X.app", "x"); },
         [](const std::string& home) { return AppBundleJob::removeApp(home + "/X.app"); },
         RemoveResult::notFolder,
         [](const std::string& home) {
             return Lines{"----- Remove App Bundle -----", "\"" + home + "/X.app\" not folder."};
         },
         "", "X.app"},
        {"a link to a bundle, which goes alone",
         [](const fs::path& home) {
             writeFile(home / "elsewhere/Contents/Info.plist", "x");
             fs::create_directory_symlink(home / "elsewhere", home / "X.app");
         },
         [](const std::string& home) { return AppBundleJob::removeApp(home + "/X.app"); },
         RemoveResult::removed,
         [](auto&) {
             return Lines{"----- Remove App Bundle -----", "done"};
         },
         "X.app", "elsewhere/Contents/Info.plist"},
        {"a link leading nowhere, which counts as nothing",
         [](const fs::path& home) { fs::create_symlink(home / "nowhere", home / "X.app"); },
         [](const std::string& home) { return AppBundleJob::removeApp(home + "/X.app"); },
         RemoveResult::missing,
         [](const std::string& home) {
             return Lines{"----- Remove App Bundle -----",
                          "\"" + home + "/X.app\" does not exist."};
         },
         "", "X.app"},
        {"no group container", [](auto&) {},
         [](const std::string& home) { return AppBundleJob::removeGroupContainers(home, "g.x"); },
         RemoveResult::missing,
         [](const std::string& home) {
             return Lines{"----- Remove \"Group Containers\" -----", "g.x",
                          "\"" + home + "/Library/Group Containers/g.x\" does not exist."};
         },
         "", ""},
        {"a path that cannot be examined, which is no missing item", [](auto&) {},
         [&](const std::string& home) { return AppBundleJob::removeApp(home + "/" + longName); },
         std::nullopt,
         [&](const std::string& home) {
             return Lines{"----- Remove App Bundle -----",
                          "error: Error Domain=NSPOSIXErrorDomain Code=" +
                              std::to_string(ENAMETOOLONG) + " \"\u201c" + longName +
                              "\u201d couldn\u2019t be examined: File name too long.\" "
                              "UserInfo={NSFilePath=" +
                              home + "/" + longName + "}"};
         },
         "", ""},
    };
    for (const Case& test : cases) {
        const tavrel::testing::TemporaryFolder home;
        test.plant(home.path());
        (void)tavrel::testing::RecordingLogger::shared().take();
        std::optional<RemoveResult> result;
        try {
            result = test.remove(home.string());
        } catch (const tavrel::jobs::RemoveAppBundleError& error) {
            EXPECT_EQ(error.path(), home.string() + "/" + longName) << test.name;
        }
        EXPECT_EQ(result, test.result) << test.name;
        Lines log;
        for (const auto& record : tavrel::testing::RecordingLogger::shared().take()) {
            const bool error = record.flag() == tavrel::logging::LogFlag::error;
            log.push_back((error ? "error: " : "") + std::string(record.message()));
        }
        EXPECT_EQ(log, test.log(home.string())) << test.name;
        if (*test.gone != '\0') {
            EXPECT_FALSE(fs::exists(fs::symlink_status(home.path() / test.gone))) << test.name;
        }
        if (*test.stays != '\0') {
            EXPECT_TRUE(fs::exists(fs::symlink_status(home.path() / test.stays))) << test.name;
        }
    }
}

TEST(EngineErrorTest, DescriptionsQuoteTheirPartsAndAlertsTellTheReason) {
    const tavrel::platform::FileError cause(EROFS, "/Applications/X.app/Contents/file");
    const tavrel::jobs::RemoveAppBundleError removal("/Applications/X.app", cause);
    EXPECT_EQ(removal.description(),
              "RemoveAppBundleError(path: \"/Applications/X.app\", error: Error "
              "Domain=NSPOSIXErrorDomain Code=30 \"\u201c"
              "file\u201d couldn\u2019t be removed: Read-only file system.\" "
              "UserInfo={NSFilePath=/Applications/X.app/Contents/file})");
    const tavrel::Alert removalAlert = removal.alert();
    EXPECT_EQ(removalAlert.messageText,
              "\u201c"
              "file\u201d couldn\u2019t be removed: Read-only file system.");
    EXPECT_FALSE(removalAlert.informativeText);

    const tavrel::RunningAppError running("Tavrel \"Pro\"", std::string("/x/Tavrel.icns"));
    EXPECT_EQ(running.description(),
              "RunningAppError(name: \"Tavrel \\\"Pro\\\"\", icon: Optional(\"/x/Tavrel.icns\"))");
    EXPECT_EQ(tavrel::RunningAppError("", std::nullopt).description(),
              "RunningAppError(name: \"\", icon: nil)");
    const tavrel::Alert runningAlert = running.alert();
    EXPECT_EQ(runningAlert.messageText,
              "Tavrel \"Pro\" is running. Quit Tavrel \"Pro\" and try again.");
    EXPECT_EQ(runningAlert.iconPath, "/x/Tavrel.icns");
    for (const tavrel::Alert& alert : {removalAlert, runningAlert}) {
        EXPECT_EQ(alert.buttons, Lines{"OK"});
        EXPECT_EQ(alert.style, tavrel::AlertStyle::warning);
    }
}
