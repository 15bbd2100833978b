// The removal job under a temporary home (results, log lines, what stays), and the error of a
// running application.
#include "Source/errors/RunningAppError.hpp"
#include "Source/jobs/AppBundleJob.hpp"
#include "Source/jobs/RemoveAppBundleError.hpp"
#include "tests/support/RecordingLogger.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;
using tavrel::jobs::AppBundleJob;
using tavrel::jobs::RemoveResult;
using tavrel::testing::RecordingLogger;

TEST(AppBundleJobTest, RemovesWhatIsThereAndLogsWhatItFound) {
    const std::string tooLong(300, 'n');
    struct Case {
        const char* name;
        const char* plant; // files below the home, split by spaces; "link>target" makes a link
        std::string job;   // "app" or "preferences", and the name it is given
        std::optional<RemoveResult> result; // none: the removal throws
        std::string log;   // one line each; "~" stands for the home, "error: " marks errors
        const char* gone;  // below the home; "." for nothing
        const char* stays; // below the home
    };
    const std::string app = "----- Remove App Bundle -----\n";
    const std::vector<Case> cases{
        {"a preferences folder", "Library/Preferences/com.x.plist/in", "preferences com.x",
         RemoveResult::removed, "----- Remove \"Preferences\" -----\ncom.x.plist\ndone\n",
         "Library/Preferences/com.x.plist", "."},
        {"a file where the bundle should be", "X.app", "app X.app", RemoveResult::notFolder,
         app + "\"~/X.app\" not folder.\n", ".", "X.app"},
        {"a link to a bundle, which goes alone", "B.app/Contents/Info.plist X.app>B.app",
         "app X.app", RemoveResult::removed, app + "done\n", "X.app", "B.app/Contents/Info.plist"},
        {"a link leading nowhere, which counts as nothing", "X.app>nowhere", "app X.app",
         RemoveResult::missing, app + "\"~/X.app\" does not exist.\n", ".", "X.app"},
        {"a path that cannot be examined, which is no missing item", "", "app " + tooLong,
         std::nullopt,
         app + "error: Error Domain=NSPOSIXErrorDomain Code=" + std::to_string(ENAMETOOLONG) +
             " \"\u201c" + tooLong +
             "\u201d couldn\u2019t be examined: File name too long.\" "
             "UserInfo={NSFilePath=~/" +
             tooLong + "}\n",
         ".", "."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const tavrel::testing::TemporaryFolder home;
        std::istringstream plants(test.plant);
        for (std::string plant; plants >> plant;) {
            const auto arrow = plant.find('>');
            if (arrow == std::string::npos) {
                tavrel::testing::writeFile(home.path() / plant, "x");
            } else {
                fs::create_symlink(home.path() / plant.substr(arrow + 1),
                                   home.path() / plant.substr(0, arrow));
            }
        }
        (void)RecordingLogger::shared().take();
        const std::string kind = test.job.substr(0, test.job.find(' '));
        const std::string name = test.job.substr(kind.size() + 1);
        std::optional<RemoveResult> result;
        try {
            result = kind == "app" ? AppBundleJob::removeApp(home.string() + "/" + name)
                                   : AppBundleJob::removePreferences(home.string(), name);
        } catch (const tavrel::jobs::RemoveAppBundleError& error) {
            EXPECT_EQ(error.path(), home.string() + "/" + name);
        }
        EXPECT_EQ(result, test.result);
        std::string log;
        for (const auto& record : RecordingLogger::shared().take()) {
            std::string line(record.message());
            for (auto at = line.find(home.string()); at != std::string::npos;
                 at = line.find(home.string())) {
                line.replace(at, home.string().size(), "~");
            }
            log +=
                (record.flag() == tavrel::logging::LogFlag::error ? "error: " : "") + line + "\n";
        }
        EXPECT_EQ(log, test.log);
        EXPECT_FALSE(fs::exists(fs::symlink_status(home.path() / test.gone)) && *test.gone != '.');
        EXPECT_TRUE(fs::exists(fs::symlink_status(home.path() / test.stays)));
    }
}

// What the command shows of the error is checked end to end; its description and alert also
// serve a window.
TEST(RunningAppErrorTest, DescriptionQuotesTheNameAndTheAlertCarriesTheIcon) {
    const tavrel::RunningAppError running("Tavrel \"Pro\"", std::string("/x/Tavrel.icns"));
    EXPECT_EQ(running.description(),
              "RunningAppError(name: \"Tavrel \\\"Pro\\\"\", icon: Optional(\"/x/Tavrel.icns\"))");
    EXPECT_EQ(tavrel::RunningAppError("", std::nullopt).description(),
              "RunningAppError(name: \"\", icon: nil)");
    const tavrel::Alert alert = running.alert();
    EXPECT_EQ(alert, (tavrel::Alert{alert.messageText,
                                    std::nullopt,
                                    {"OK"},
                                    tavrel::AlertStyle::warning,
                                    "/x/Tavrel.icns"}));
}
