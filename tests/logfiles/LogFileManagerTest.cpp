// The log folder manager and its helpers, on real folders with real attributes.
#include "logging/LogFileFormatterDefault.hpp"
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

using testing::readFile;
using testing::TemporaryFolder;
using testing::writeFile;
using Clock = std::chrono::system_clock;

const std::string& app() {
    return LogFileManagerDefault::applicationName();
}

std::string nameAt(Clock::time_point time) {
    return app() + " " + LogFileTimestamp::fileNameText(time) + ".log";
}

std::string xattr(const std::string& path) {
    char value[16] = {};
    const ssize_t length = getxattr(path.c_str(), "user.log.archived", value, sizeof value);
    return length < 0 ? std::string("<none>")
                      : std::string(value, static_cast<std::size_t>(length));
}

std::vector<std::string> names(const std::vector<std::string>& paths) {
    std::vector<std::string> result;
    result.reserve(paths.size());
    for (const auto& path : paths) {
        result.push_back(std::filesystem::path(path).filename().string());
    }
    return result;
}

TEST(LogFileTimestampTest, FormatsAndReadsUtcForms) {
    using namespace std::chrono;
    const auto time = sys_days{2024y / May / 31} + 22h + 4min + 9s + 517ms;
    EXPECT_EQ(LogFileTimestamp::fileNameText(time), "2024-05-31--22-04-09-517");
    EXPECT_EQ(LogFileTimestamp::parseFileNameText("2024-05-31--22-04-09-517"), time);
    EXPECT_EQ(LogFileTimestamp::fromLogFileName("com.x 2024-05-31--22-04-09-517.log"), time);

    std::array<char, LogFileTimestamp::kMaximumLength> text{};
    const std::size_t length = LogFileTimestamp::writeLineSecond(
        floor<seconds>(time).time_since_epoch().count(), text.data());
    LogFileTimestamp::writeLineMilliseconds(517, text.data() + length);
    EXPECT_EQ(std::string(text.data(), length + 4), "2024/05/31 22:04:09:517");

    // A leap day and the last millisecond of a year.
    const auto leap = sys_days{2024y / February / 29} + 23h + 59min + 59s + 999ms;
    EXPECT_EQ(LogFileTimestamp::parseFileNameText(LogFileTimestamp::fileNameText(leap)), leap);

    for (const char* bad : {"2024-02-30--00-00-00-000", "2024-13-01--00-00-00-000",
                            "2024-05-31--24-00-00-000", "2024-05-31-22-04-09-517",
                            "2024-05-31--22-04-09-51x", "", "2 2024-05-31--22-04-09-517"}) {
        EXPECT_FALSE(LogFileTimestamp::parseFileNameText(bad)) << bad;
    }
    // The numbered names of taken names have no readable timestamp.
    EXPECT_FALSE(LogFileTimestamp::fromLogFileName("com.x 2024-05-31--22-04-09-517 2.log"));
}

TEST(LogFileFormatterDefaultTest, WritesUtcTimestampTwoSpacesAndMessage) {
    using namespace std::chrono;
    LogFileFormatterDefault formatter;
    const auto time = sys_days{2024y / May / 31} + 22h + 4min + 9s + 517ms;
    EXPECT_EQ(
        formatter.formatLogMessage(*testing::makeRecord("----- Banner -----", LogFlag::info, time)),
        "2024/05/31 22:04:09:517  ----- Banner -----");
    // The per-second cache must not leak into the next second or the next day.
    EXPECT_EQ(formatter.formatLogMessage(*testing::makeRecord("x", LogFlag::info, time + 1s)),
              "2024/05/31 22:04:10:517  x");
    EXPECT_EQ(formatter.formatLogMessage(*testing::makeRecord("y", LogFlag::info, time + 2h)),
              "2024/06/01 00:04:09:517  y");
}

TEST(LogFileManagerDefaultTest, FirstNewFileCreatesFolderAndIsNamedWithIdentifierAndUtcTime) {
    TemporaryFolder root;
    const std::string folder = root.string() + "/Library/Logs/TavrelUninstaller/";
    LogFileManagerDefault manager(folder);
    ASSERT_FALSE(std::filesystem::exists(folder));

    const auto before = Clock::now();
    const auto path = manager.createNewLogFile();
    ASSERT_TRUE(path.ok()) << path.error().description();
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(std::filesystem::file_size(*path), 0U);

    const std::string name = std::filesystem::path(*path).filename().string();
    EXPECT_EQ(app(), "com.quillorchid.TavrelUninstaller");
    EXPECT_TRUE(testing::isNewLogFileName(name)) << name;
    const auto stamp = LogFileTimestamp::fromLogFileName(name);
    ASSERT_TRUE(stamp);
    EXPECT_GE(*stamp, std::chrono::floor<std::chrono::milliseconds>(before));
    EXPECT_LE(*stamp, Clock::now());
    EXPECT_EQ(names(manager.sortedLogFilePaths()), std::vector<std::string>{name});
}

TEST(LogFileManagerDefaultTest, TakenNameGetsNumberedAndNoFileIsReplaced) {
    TemporaryFolder root;
    LogFileManagerDefault manager(root.string());
    manager.setMaximumNumberOfLogFiles(0); // the pass after creating must keep every file
    // Every name half a second a little ahead could give is taken, each holding text of its
    // own; the new file is asked for within that half second.
    constexpr int kWindow = 500;
    const auto start =
        std::chrono::floor<std::chrono::milliseconds>(Clock::now()) + std::chrono::seconds(3);
    auto taken = [&](int millisecond) {
        return (root.path() / nameAt(start + std::chrono::milliseconds(millisecond))).string();
    };
    for (int millisecond = 0; millisecond < kWindow; ++millisecond) {
        const int descriptor =
            open(taken(millisecond).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(descriptor, 0);
        ASSERT_EQ(write(descriptor, "keep", 4), 4);
        close(descriptor);
    }
    ASSERT_LT(Clock::now(), start) << "the file system is too slow for this test";
    std::this_thread::sleep_until(start + std::chrono::milliseconds(100));
    const auto path = manager.createNewLogFile();
    ASSERT_TRUE(path.ok());
    ASSERT_LT(Clock::now(), start + std::chrono::milliseconds(kWindow));
    LogFileManagerDefault::backgroundQueue().sync([] {});
    const std::string name = std::filesystem::path(*path).filename().string();
    ASSERT_GE(name.size(), 6U);
    EXPECT_EQ(name.substr(name.size() - 6), " 2.log") << name;
    EXPECT_TRUE(std::filesystem::exists(root.path() / (name.substr(0, name.size() - 6) + ".log")));
    for (int millisecond = 0; millisecond < kWindow; ++millisecond) {
        ASSERT_EQ(readFile(taken(millisecond)), "keep");
    }
}

TEST(LogFileManagerDefaultTest, OrdersNewestFirstByNameThenCreationDateAndIgnoresOtherNames) {
    using namespace std::chrono;
    TemporaryFolder root;
    LogFileManagerDefault manager(root.string());
    const std::string old = nameAt(sys_days{2020y / January / 1});
    const std::string future = nameAt(sys_days{2099y / January / 1});
    const std::string unreadableEarly = app() + " not-a-time.log";
    writeFile(root.path() / unreadableEarly, "");
    std::this_thread::sleep_for(20ms);
    writeFile(root.path() / old, "");
    writeFile(root.path() / future, "");
    std::this_thread::sleep_for(20ms);
    const std::string unreadableLate = app() + " 2024-05-31--22-04-09-517 2.log";
    writeFile(root.path() / unreadableLate, "");
    writeFile(root.path() / "x.log", "");
    writeFile(root.path() / (app() + "-no-space.log"), "");
    writeFile(root.path() / (app() + " 2024-05-31--22-04-09-517.txt"), "");

    // The unreadable names sort by their creation dates: both are now, between 2020 and 2099.
    const std::vector<std::string> expected{future, unreadableLate, unreadableEarly, old};
    EXPECT_EQ(manager.sortedLogFileNames(), expected);
    EXPECT_EQ(manager.unsortedLogFileNames().size(), 4U);
}

class PruningTest : public ::testing::Test {
protected:
    TemporaryFolder root_;
    LogFileManagerDefault manager_{root_.string()};

    // Files named one hour apart, the newest first in the returned list.
    std::vector<std::string> makeFiles(int count, std::uintmax_t size) {
        std::vector<std::string> made;
        const auto now = Clock::now();
        for (int i = 0; i < count; ++i) {
            const std::string name = nameAt(now - std::chrono::hours(i));
            writeFile(root_.path() / name, "");
            std::filesystem::resize_file(root_.path() / name, size);
            LogFileInfo(root_.string() + "/" + name).setIsArchived(true);
            made.push_back(name);
        }
        return made;
    }
    std::vector<std::string> remaining() { return manager_.sortedLogFileNames(); }
};

TEST_F(PruningTest, KeepsTheNewestByCountAndByQuotaAndLeavesOtherFilesAlone) {
    writeFile(root_.path() / "x.log", "other");
    writeFile(root_.path() / "notes.txt", "other");
    manager_.setMaximumNumberOfLogFiles(7);
    LogFileManagerDefault::backgroundQueue().sync([] {});
    auto made = makeFiles(9, 10);
    manager_.deleteOldLogFiles();
    EXPECT_EQ(remaining(), std::vector<std::string>(made.begin(), made.begin() + 7));

    for (const auto& name : remaining()) {
        std::filesystem::remove(root_.path() / name);
    }
    made = makeFiles(7, std::uintmax_t{4} * 1024 * 1024); // 28 MiB; the sixth file passes 20 MiB
    manager_.deleteOldLogFiles();
    EXPECT_EQ(remaining(), std::vector<std::string>(made.begin(), made.begin() + 5));
    EXPECT_EQ(readFile(root_.path() / "x.log"), "other");
    EXPECT_EQ(readFile(root_.path() / "notes.txt"), "other");
}

TEST_F(PruningTest, KeepsTheNewestFileWhileItIsUnarchived) {
    manager_.setLogFilesDiskQuota(100);
    manager_.setMaximumNumberOfLogFiles(0);
    LogFileManagerDefault::backgroundQueue().sync([] {});
    const auto made = makeFiles(3, 1000); // the first file alone exceeds the quota
    LogFileInfo(root_.string() + "/" + made[0]).setIsArchived(false);
    manager_.deleteOldLogFiles();
    EXPECT_EQ(remaining(), std::vector<std::string>{made[0]});

    LogFileInfo(root_.string() + "/" + made[0]).setIsArchived(true);
    manager_.deleteOldLogFiles();
    EXPECT_TRUE(remaining().empty());
}

TEST_F(PruningTest, ChangingTheMaximumPrunesInTheBackground) {
    const auto made = makeFiles(4, 10);
    manager_.setMaximumNumberOfLogFiles(2);
    LogFileManagerDefault::backgroundQueue().sync([] {});
    EXPECT_EQ(remaining(), std::vector<std::string>(made.begin(), made.begin() + 2));
}

TEST(LogFileInfoTest, ArchivedMarkIsOneByteAndOtherValuesCountAndAreRewritten) {
    TemporaryFolder root;
    const std::string path = root.string() + "/" + nameAt(Clock::now());
    writeFile(path, "");
    const LogFileInfo info(path);
    EXPECT_FALSE(info.isArchived());
    info.setIsArchived(true);
    EXPECT_EQ(xattr(path), "\x01");
    EXPECT_TRUE(LogFileInfo(path).isArchived());

    ASSERT_EQ(setxattr(path.c_str(), "user.log.archived", "yes", 3, 0), 0);
    EXPECT_TRUE(info.isArchived());
    EXPECT_EQ(xattr(path), "\x01");
    ASSERT_EQ(setxattr(path.c_str(), "user.log.archived", "", 0, 0), 0);
    EXPECT_TRUE(info.isArchived());

    info.setIsArchived(false);
    EXPECT_EQ(xattr(path), "<none>");
    EXPECT_FALSE(info.isArchived());
    {
        // Clearing an absent mark, and marking a file that is gone, are no failures.
        const testing::StandardErrorCapture reports;
        info.setIsArchived(false);
        std::filesystem::remove(path);
        info.setIsArchived(true);
        EXPECT_EQ(reports.text(), "");
    }
    EXPECT_FALSE(info.isArchived());
    EXPECT_FALSE(LogFileInfo::logFileWithPath(path));
    // A mark that cannot be written is reported: a link cannot carry user attributes.
    const std::string link = root.string() + "/link.log";
    std::filesystem::create_symlink(root.path() / "elsewhere", link);
    const testing::StandardErrorCapture reports;
    LogFileInfo(link).setIsArchived(true);
    EXPECT_NE(reports.text().find("LogFileInfo: setxattr(log.archived, " + link + "): error = "),
              std::string::npos)
        << reports.text();
}

TEST(LogFileInfoTest, SizeDatesAndLinks) {
    TemporaryFolder root;
    const std::string path = root.string() + "/" + nameAt(Clock::now());
    writeFile(path, "12345");
    const LogFileInfo info(path);
    EXPECT_EQ(info.fileSize(), 5U);
    EXPECT_EQ(info.fileName(), std::filesystem::path(path).filename().string());
    EXPECT_GE(info.age(), 0.0);
    EXPECT_LT(info.age(), 60.0);
    EXPECT_FALSE(info.isSymlink());
    std::filesystem::create_symlink(path, root.path() / "link.log");
    EXPECT_TRUE(LogFileInfo(root.string() + "/link.log").isSymlink());
    EXPECT_EQ(LogFileInfo(path), LogFileInfo(path));
    EXPECT_EQ(LogFileInfo(path).hash(), info.hash());
}

} // namespace
} // namespace tavrel::logging
