// The window's delegate: its log lines, from its own file, when the log folder is missing and at
// termination. (Opening a folder that is there is tested with the window.)
#include "Source/app/AppDelegate.hpp"

#include "tests/support/RecordingLogger.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <gtest/gtest.h>

using tavrel::testing::RecordingLogger;

TEST(AppDelegateTest, LogsFromItsOwnFileThatAMissingLogFolderFailedToOpenAndTheEnd) {
    const tavrel::testing::TemporaryFolder home;
    tavrel::AppDelegate delegate(home.string() + "/with space");
    (void)RecordingLogger::shared().take();
    delegate.openLogFolderAction();
    delegate.applicationWillTerminate();
    std::vector<std::string> lines;
    for (const auto& record : RecordingLogger::shared().take()) {
        lines.push_back(std::string(record.file()) + " " +
                        std::string(record.function().value_or("")) + " " +
                        std::string(record.message()));
    }
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "Source/app/AppDelegate.cpp openLogFolderAction(_:) ----- Open Log Folder -----",
                  "Source/app/AppDelegate.cpp openLogFolderAction(_:) Failed",
                  "Source/app/AppDelegate.cpp applicationWillTerminate(_:) ----- Terminate -----",
              }));
}
