// The log file manager where the test process cannot go itself: a folder too deep for any
// file name, whose failures are reported at exit, and a file system without user attributes.
#include "tests/logfiles/LogFilesTestSupport.hpp"
#include "tests/support/Sandbox.hpp"

#include <gtest/gtest.h>

namespace tavrel::logging {
namespace {

using namespace testing;

constexpr std::size_t kNotFound = std::string::npos;

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
    EXPECT_NE(run.err.find("FileLogger: Failed to create new log file: " + folder), kNotFound);
    EXPECT_NE(run.err.find("File name too long"), kNotFound) << run.err;
    // Five alike: the first shown, three counted, the last shown with the count at exit.
    const Lines lines = splitLines(run.err);
    Lines critical;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(critical), [](const auto& line) {
        return line.find("LogFileManagerDefault: Critical error while creating log file: ") !=
               kNotFound;
    });
    ASSERT_EQ(critical.size(), 2U) << run.err;
    EXPECT_TRUE(critical[1].ends_with(" [3 similar lines not shown]")) << run.err;
    EXPECT_NE(run.err.find("LogFileManagerDefault: Bailing file creation, encountered 5 errors."),
              kNotFound)
        << run.err;
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
