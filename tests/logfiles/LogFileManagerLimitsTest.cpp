// The log file manager where the test process cannot go itself: a folder too deep for any
// file name, whose failures are reported at exit, and a file system without user attributes.
#include "tests/logfiles/LogFilesTestSupport.hpp"
#include "tests/support/Sandbox.hpp"

#include <gtest/gtest.h>

namespace tavrel::logging {
namespace {

using namespace testing;

TEST(LogFileManagerLimitsTest, CreationGivesUpAfterFiveCriticalErrors) {
    const TemporaryFolder root;
    // A folder so deep that no file name fits below it.
    std::string folder = root.string();
    while (folder.size() < 4040) {
        folder += "/" + std::string(200, 'd');
    }
    std::filesystem::create_directories(folder);
    const ProcessRun run = runProcess({TAVREL_LOGFILES_HELPER, "write", folder, "lost"},
                                      homeEnvironment(root.string()));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    // In this order: the first of five alike errors, the bail, the logger's report with the
    // reason, and at exit the last of the five with the count of the three not shown.
    const std::string critical = "LogFileManagerDefault: Critical error while creating log file: ";
    std::size_t at = 0;
    for (const std::string& report :
         Lines{critical + folder,
               "LogFileManagerDefault: Bailing file creation, encountered 5 errors.",
               "FileLogger: Failed to create new log file: " + folder, "File name too long",
               critical, " [3 similar lines not shown]\n"}) {
        at = run.err.find(report, at);
        ASSERT_NE(at, std::string::npos) << report << "\n" << run.err;
    }
}

TEST(LogFileManagerLimitsTest, ArchivedMarkWithoutUserAttributesStaysWithTheFileAndPrunes) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const TemporaryFolder disk;
    // ramfs refuses user attributes.
    const ProcessRun run =
        Sandbox().run({"/bin/sh", "-c", "mount -t ramfs none \"$1\" && exec \"$0\" marks \"$1\"",
                       TAVREL_LOGFILES_HELPER, disk.string()},
                      homeEnvironment(disk.string()));
    ASSERT_EQ(run.status, 0) << run.err;
    // Newest first: the first and third files were archived.
    EXPECT_EQ(run.out, "user attributes: refused\narchived\nopen\narchived\nleft 0\n");
    EXPECT_EQ(run.err, ""); // no failure reported
}

} // namespace
} // namespace tavrel::logging
