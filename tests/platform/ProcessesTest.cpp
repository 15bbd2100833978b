// The user's processes: helpers by the whole name of their executable, applications by their
// bundle's Info.plist (whatever was planted there), and a process list that cannot be read. With
// real processes, each test alone in a process namespace (see CMakeLists.txt).
#include "platform/RunningApplications.hpp"
#include "platform/RunningProcesses.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using tavrel::platform::RunningApplication;
using tavrel::platform::RunningApplications;
using tavrel::platform::RunningProcesses;
using namespace tavrel::testing;

namespace {

// Starts a copy of sleep from `executable`; its pid once it runs the copy. It ends with the test,
// the first process of its namespace.
int sleeper(const fs::path& executable) {
    fs::create_directories(executable.parent_path());
    fs::copy_file("/bin/sleep", executable, fs::copy_options::skip_existing);
    const std::string path = executable.string();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(path.c_str(), path.c_str(), "60", nullptr);
        _exit(127);
    }
    std::error_code error;
    while (fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error) != path) {
        if (waitpid(pid, nullptr, WNOHANG) != 0) {
            ADD_FAILURE() << path << " did not run";
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return pid;
}

class ProcessesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Only there does the list hold exactly what the test started, and can a FIFO planted
        // here hang no other program that reads Info.plist files the old way.
        if (getpid() != 1) {
            GTEST_SKIP() << "needs a process namespace of its own, as own-processes.sh gives it";
        }
    }
};

std::string entry(const std::string& key, const std::string& value) {
    return "<key>" + key + "</key><string>" + value + "</string>";
}

void writeInfo(const fs::path& bundle, const std::string& entries) {
    writeFile(bundle / "Contents/Info.plist",
              "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + entries + "</dict></plist>");
}

} // namespace

TEST_F(ProcessesTest, HelpersAreTheUsersProcessesOfExactlyThatExecutableNameAlsoWhenDeleted) {
    const TemporaryFolder folder;
    const int helper = sleeper(folder.path() / "helper");
    const int deleted = sleeper(folder.path() / "gone/helper");
    fs::remove(folder.path() / "gone/helper");
    // Named like a deleted one only. (Names alike and other users' processes are tested with
    // the command.)
    sleeper(folder.path() / "helper (deleted)");
    const auto found = RunningProcesses::withExecutableName("helper");
    ASSERT_TRUE(found.ok()) << found.error();
    EXPECT_EQ(*found, (std::vector<int>{helper, deleted}));
    // Never the calling process itself.
    const auto self =
        RunningProcesses::withExecutableName(fs::read_symlink("/proc/self/exe").filename());
    ASSERT_TRUE(self.ok()) << self.error();
    EXPECT_EQ(*self, std::vector<int>{});
}

TEST_F(ProcessesTest, ApplicationsAreFoundByTheirBundleOldestFirstAndPlantedFilesAreNoneAtOnce) {
    const TemporaryFolder temp;
    const fs::path tavrel = temp.path() / "Tavrel.app";
    writeFile(tavrel / "Contents/Resources/AppIcon.icns", "icon");
    writeInfo(tavrel, entry("CFBundleIdentifier", "test.tavrel") + entry("CFBundleName", "Tavrel") +
                          entry("CFBundleIconFile", "AppIcon"));
    writeInfo(temp.path() / "A.app", entry("CFBundleIdentifier", "test.shown") +
                                         entry("CFBundleDisplayName", "Shown") +
                                         entry("CFBundleName", "Plain"));
    writeInfo(temp.path() / "Bare.app", entry("CFBundleIdentifier", "test.bare"));
    // An Info.plist that would hang a blocking read, and one that would fill the memory.
    fs::create_directories(temp.path() / "Fifo.app/Contents");
    ASSERT_EQ(mkfifo((temp.path() / "Fifo.app/Contents/Info.plist").c_str(), 0600), 0);
    fs::create_directories(temp.path() / "Zero.app/Contents");
    fs::create_symlink("/dev/zero", temp.path() / "Zero.app/Contents/Info.plist");
    const int first = sleeper(tavrel / "Contents/MacOS/tavrel");
    const int second = sleeper(tavrel / "Contents/MacOS/tavrel");
    const int shown = sleeper(temp.path() / "A.app/Contents/MacOS/a");
    const int bare = sleeper(temp.path() / "Bare.app/Contents/MacOS/bare");
    sleeper(temp.path() / "Fifo.app/Contents/MacOS/fifo");
    sleeper(temp.path() / "Zero.app/Contents/MacOS/zero");
    sleeper(temp.path() / "Tavrel.app/Contents/tavrel"); // not in MacOS/

    // Each as "pid name icon", the bundle's folder name standing for its path.
    const auto found = [&](const std::string& identifier) {
        const auto apps = RunningApplications::withBundleIdentifier(identifier);
        EXPECT_TRUE(apps.ok()) << apps.error();
        std::vector<std::string> seen;
        for (const RunningApplication& app :
             apps.ok() ? *apps : std::vector<RunningApplication>{}) {
            EXPECT_EQ(fs::path(app.bundlePath).parent_path(), temp.path());
            seen.push_back(std::to_string(app.processIdentifier) + " " +
                           fs::path(app.bundlePath).filename().string() + " " +
                           app.localizedName.value_or("-") + " " + app.iconPath.value_or("-"));
        }
        return seen;
    };
    const std::string tavrelApp =
        " Tavrel.app Tavrel " + (tavrel / "Contents/Resources/AppIcon.icns").string();
    EXPECT_EQ(found("test.tavrel"),
              (std::vector{std::to_string(first) + tavrelApp, std::to_string(second) + tavrelApp}));
    // The display name comes first, then the bundle name, then the folder's name.
    EXPECT_EQ(found("test.shown"), std::vector{std::to_string(shown) + " A.app Shown -"});
    EXPECT_EQ(found("test.bare"), std::vector{std::to_string(bare) + " Bare.app Bare.app -"});
    EXPECT_EQ(found("test.other"), std::vector<std::string>{});
}

TEST_F(ProcessesTest, AProcessListThatCannotBeReadIsAnErrorAndNeverNone) {
    // Another file system over /proc, as in a container that has none mounted.
    ASSERT_EQ(mount("tmpfs", "/proc", "tmpfs", 0, nullptr), 0) << std::strerror(errno);
    const auto helpers = RunningProcesses::withExecutableName("helper");
    const auto applications = RunningApplications::withBundleIdentifier("test.tavrel");
    ASSERT_EQ(umount2("/proc", MNT_DETACH), 0) << std::strerror(errno);
    ASSERT_FALSE(helpers.ok());
    ASSERT_FALSE(applications.ok());
    for (const auto& error : {helpers.error(), applications.error()}) {
        EXPECT_EQ(error.localizedDescription(),
                  "\u201cproc\u201d couldn\u2019t be examined: No process list is mounted there.");
    }
}
