// The log folder manager and its helpers, on real folders with real attributes.
#include "logging/LogFileInfo.hpp"
#include "logging/detail/LogFileTimestamp.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"
#include "tests/support/StandardErrorCapture.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tavrel::logging {
namespace {

using namespace testing;
using namespace std::chrono;

TEST(LogFileManagerDefaultTest, TakenNameGetsNumberedAndNoFileIsReplaced) {
    const TemporaryFolder root;
    LogFileManagerDefault manager(root.string());
    // Every name half a second a little ahead could give is taken; the new file is asked for
    // within that half second.
    constexpr int kWindow = 500;
    const auto start = floor<milliseconds>(system_clock::now()) + 3s;
    for (int millisecond = 0; millisecond < kWindow; ++millisecond) {
        writeFile(root.path() /
                      ("com.quillorchid.TavrelUninstaller " +
                       LogFileTimestamp::fileNameText(start + milliseconds(millisecond)) + ".log"),
                  "");
    }
    ASSERT_LT(system_clock::now(), start) << "the file system is too slow for this test";
    std::this_thread::sleep_until(start + 100ms);
    const auto path = manager.createNewLogFile();
    ASSERT_LT(system_clock::now(), start + milliseconds(kWindow));
    LogFileManagerDefault::backgroundQueue().sync([] {});
    ASSERT_TRUE(path.ok());
    EXPECT_TRUE(path->ends_with(" 2.log")) << *path;
}

TEST(LogFileManagerDefaultTest, OrdersNewestFirstByNameThenCreationDateAndIgnoresOtherNames) {
    const TemporaryFolder root;
    LogFileManagerDefault manager(root.string());
    const std::string app = "com.quillorchid.TavrelUninstaller ";
    const Lines unreadable{app + "not-a-time.log", app + "2024-05-31--22-04-09-517 2.log"};
    for (const std::string& name : Lines{unreadable[0], app + "2020-01-01--00-00-00-000.log",
                                         app + "2099-01-01--00-00-00-000.log", "x.log",
                                         app.substr(0, app.size() - 1) + "-no-space.log",
                                         app + "2024-05-31--22-04-09-517.txt", unreadable[1]}) {
        writeFile(root.path() / name, "");
        std::this_thread::sleep_for(20ms); // created in this order
    }
    // The unreadable names sort by their creation dates: both are now, between 2020 and 2099.
    EXPECT_EQ(manager.sortedLogFileNames(),
              (Lines{app + "2099-01-01--00-00-00-000.log", unreadable[1], unreadable[0],
                     app + "2020-01-01--00-00-00-000.log"}));
    EXPECT_EQ(manager.unsortedLogFileNames().size(), 4U);
}

TEST(LogFileManagerDefaultTest, KeepsTheNewestByCountAndQuotaButNeverTheFileBeingWritten) {
    struct Case {
        const char* name;
        std::uintmax_t size; // of each of nine files an hour apart, archived but maybe the newest
        std::optional<unsigned long> maximum; // set: pruned in the background on the change
        std::optional<std::uint64_t> quota;   // as the maximum; neither: pruned on request
        bool newestOpen;
        std::size_t kept;
    };
    constexpr std::uintmax_t kMiB = std::uintmax_t{1} << 20;
    const std::vector<Case> cases{
        {"five by default", 10, std::nullopt, std::nullopt, false, 5},
        {"20 MiB by default, reached by the fifth file", 4 * kMiB, 0, std::nullopt, false, 5},
        {"no limits", 10, 0, 0, false, 9},
        {"a maximum of seven", 10, 7, std::nullopt, false, 7},
        {"the newest file, over the quota but open", 1000, 0, 100, true, 1},
        {"the newest file, over the quota and archived", 1000, 0, 100, false, 0},
    };
    for (const Case& test : cases) {
        const TemporaryFolder root;
        Lines made;
        for (int hour = 23; hour > 14; --hour) {
            made.push_back(nameAtHour(hour));
            const std::string path = root.string() + "/" + made.back();
            writeFile(path, "");
            std::filesystem::resize_file(path, test.size); // sparse: nothing written
            LogFileInfo(path).setIsArchived(!test.newestOpen || hour != 23);
        }
        LogFileManagerDefault manager(root.string());
        // Setting a value the manager has already changes nothing.
        manager.setMaximumNumberOfLogFiles(
            test.maximum.value_or(manager.maximumNumberOfLogFiles()));
        manager.setLogFilesDiskQuota(test.quota.value_or(manager.logFilesDiskQuota()));
        if (test.maximum || test.quota) {
            LogFileManagerDefault::backgroundQueue().sync([] {});
        } else {
            manager.deleteOldLogFiles();
        }
        EXPECT_EQ(manager.sortedLogFileNames(), Lines(made.begin(), made.begin() + test.kept))
            << test.name;
    }
}

TEST(LogFileInfoTest, ArchivedMarkIsOneByteAndOnlyAMarkThatCannotBeWrittenIsReported) {
    const TemporaryFolder root;
    const std::string path = root.string() + "/" + nameAtHour(1);
    writeFile(path, "");
    const auto mark = [&] {
        std::array<char, 16> value{};
        const ssize_t length = getxattr(path.c_str(), "user.log.archived", value.data(), 16);
        return length < 0 ? "<none>" : std::string(value.data(), static_cast<std::size_t>(length));
    };
    const LogFileInfo info(path);
    info.setIsArchived(true);
    EXPECT_EQ(mark(), "\x01");
    // Any other value counts too, and is written again as the one byte.
    for (const std::string other : {"yes", ""}) {
        ASSERT_EQ(setxattr(path.c_str(), "user.log.archived", other.data(), other.size(), 0), 0);
        EXPECT_TRUE(info.isArchived()) << other;
        EXPECT_EQ(mark(), "\x01") << other;
    }
    info.setIsArchived(false);
    EXPECT_EQ(mark(), "<none>");
    // Clearing an absent mark, and marking a file that is gone, are no failures; a mark that
    // cannot be written is one: a link cannot carry user attributes.
    const std::string link = root.string() + "/link.log";
    std::filesystem::create_symlink(root.path() / "elsewhere", link);
    const StandardErrorCapture reports;
    info.setIsArchived(false);
    std::filesystem::remove(path);
    info.setIsArchived(true);
    LogFileInfo(link).setIsArchived(true);
    const Lines reported = splitLines(reports.text());
    ASSERT_EQ(reported.size(), 1U) << reports.text();
    EXPECT_NE(reported[0].find("LogFileInfo: setxattr(log.archived, " + link + "): error = "),
              std::string::npos);
}

} // namespace
} // namespace tavrel::logging
