// The window's delegate: its log lines, from Source/AppDelegate, when the log folder is missing
// and at termination. (Opening a folder that is there is tested with the window.)
#include "Source/AppDelegate.hpp"

#include "tests/engine/RecordingLogger.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <gtest/gtest.h>

using tavrel::testing::RecordingLogger;

TEST(AppDelegateTest, LogsFromItsOwnFileThatAMissingLogFolderFailedToOpenAndTheEnd) {
    const tavrel::testing::TemporaryFolder home;
    tavrel::AppDelegate delegate(home.string() + "/with space");
    EXPECT_EQ(delegate.logFolder(), home.string() + "/with space/Library/Logs/TavrelUninstaller/");
    (void)RecordingLogger::shared().take();
    delegate.openLogFolderAction();
    delegate.applicationWillTerminate();
    std::vector<std::string> lines;
    for (const RecordingLogger::Line& line : RecordingLogger::shared().take()) {
        EXPECT_EQ(line.file, "Source/AppDelegate.cpp") << line.message;
        lines.push_back(line.function + " " + line.message);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "openLogFolderAction(_:) ----- Open Log Folder -----",
                         "openLogFolderAction(_:) Failed",
                         "applicationWillTerminate(_:) ----- Terminate -----",
                     }));
}
