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
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tavrel::platform::RunningApplication;
using tavrel::platform::RunningApplications;
using tavrel::platform::RunningProcesses;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;

namespace {

// A copy of sleep run from `executable` (it runs the copy once posix_spawn returns), killed at
// the end.
class Sleeper {
public:
    explicit Sleeper(const fs::path& executable) {
        fs::create_directories(executable.parent_path());
        fs::copy_file("/bin/sleep", executable, fs::copy_options::skip_existing);
        std::string path = executable.string();
        std::string seconds = "60";
        char* arguments[] = {path.data(), seconds.data(), nullptr};
        if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, arguments, environ) != 0) {
            pid_ = -1;
        }
    }
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;
    ~Sleeper() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    [[nodiscard]] int pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

class ProcessesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Only there does the list hold exactly what the test started, and can a FIFO planted
        // here hang no other program that reads Info.plist files the old way.
        if (getpid() != 1) {
            GTEST_SKIP() << "needs a process namespace of its own, as tests/sandbox gives it";
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

TEST_F(ProcessesTest, HelpersAreTheProcessesOfExactlyThatExecutableNameAlsoWhenDeleted) {
    const TemporaryFolder folder;
    const Sleeper helper(folder.path() / "helper");
    const Sleeper deleted(folder.path() / "gone/helper");
    fs::remove(folder.path() / "gone/helper");
    // Named alike only: none of them is the helper.
    const Sleeper prefixed(folder.path() / "nothelper");
    const Sleeper longer(folder.path() / "helperX");
    const Sleeper marked(folder.path() / "helper (deleted)");
    const auto found = RunningProcesses::withExecutableName("helper");
    ASSERT_TRUE(found.ok()) << found.error();
    EXPECT_EQ(*found, (std::vector<int>{helper.pid(), deleted.pid()}));
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
    const Sleeper first(tavrel / "Contents/MacOS/tavrel");
    const Sleeper second(tavrel / "Contents/MacOS/tavrel");
    const Sleeper shown(temp.path() / "A.app/Contents/MacOS/a");
    const Sleeper bare(temp.path() / "Bare.app/Contents/MacOS/bare");
    const Sleeper fifo(temp.path() / "Fifo.app/Contents/MacOS/fifo");
    const Sleeper zero(temp.path() / "Zero.app/Contents/MacOS/zero");
    const Sleeper outside(temp.path() / "Tavrel.app/Contents/tavrel"); // not in MacOS/

    const std::string icon = (tavrel / "Contents/Resources/AppIcon.icns").string();
    const std::vector<std::pair<std::string, std::vector<RunningApplication>>> cases{
        {"test.tavrel",
         {{first.pid(), tavrel.string(), "Tavrel", icon},
          {second.pid(), tavrel.string(), "Tavrel", icon}}},
        // The display name comes first, then the bundle name, then the folder's name.
        {"test.shown", {{shown.pid(), (temp.path() / "A.app").string(), "Shown", std::nullopt}}},
        {"test.bare",
         {{bare.pid(), (temp.path() / "Bare.app").string(), "Bare.app", std::nullopt}}},
        {"test.other", {}},
    };
    for (const auto& [identifier, expected] : cases) {
        const auto found = RunningApplications::withBundleIdentifier(identifier);
        ASSERT_TRUE(found.ok()) << found.error();
        ASSERT_EQ(found->size(), expected.size()) << identifier;
        for (std::size_t index = 0; index < expected.size(); ++index) {
            const RunningApplication& app = (*found)[index];
            EXPECT_EQ(app.processIdentifier, expected[index].processIdentifier) << identifier;
            EXPECT_EQ(app.bundlePath, expected[index].bundlePath) << identifier;
            EXPECT_EQ(app.localizedName, expected[index].localizedName) << identifier;
            EXPECT_EQ(app.iconPath, expected[index].iconPath) << identifier;
        }
    }
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
