// Running applications found through /proc and the bundle's Info.plist, with real processes.
#include "platform/RunningApplications.hpp"

#include "tests/support/TemporaryFolder.hpp"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;
using tavrel::platform::RunningApplications;

namespace {

// A copy of sleep run from <bundle>/Contents/MacOS/ with the given Info.plist entries, killed
// at the end.
class BundleProcess {
public:
    BundleProcess(const fs::path& bundle, const std::string& entries) {
        tavrel::testing::writeFile(bundle / "Contents/Info.plist",
                                   "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" +
                                       entries + "</dict></plist>\n");
        const fs::path executable = bundle / "Contents/MacOS/sleeper";
        fs::create_directories(executable.parent_path());
        fs::copy_file("/bin/sleep", executable, fs::copy_options::skip_existing);
        std::string path = executable.string();
        std::string seconds = "60";
        char* arguments[] = {path.data(), seconds.data(), nullptr};
        if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, arguments, environ) != 0) {
            pid_ = -1;
        }
        // Until the process runs the copied executable.
        for (int tries = 0; tries < 200; ++tries) {
            std::error_code error;
            if (fs::read_symlink("/proc/" + std::to_string(pid_) + "/exe", error) == executable) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    BundleProcess(const BundleProcess&) = delete;
    BundleProcess& operator=(const BundleProcess&) = delete;
    ~BundleProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    [[nodiscard]] int pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

std::string entry(const std::string& key, const std::string& value) {
    return "<key>" + key + "</key><string>" + value + "</string>";
}

} // namespace

TEST(RunningApplicationsTest, FindsTheBundlesOfTheIdentifierOldestFirstWithNameAndIcon) {
    const tavrel::testing::TemporaryFolder temp;
    const fs::path bundle = temp.path() / "Tavrel.app";
    tavrel::testing::writeFile(bundle / "Contents/Resources/AppIcon.icns", "icon");
    const std::string tavrel = entry("CFBundleIdentifier", "test.tavrel") +
                               entry("CFBundleName", "Tavrel") +
                               entry("CFBundleIconFile", "AppIcon");
    const BundleProcess first(bundle, tavrel);
    std::this_thread::sleep_for(std::chrono::milliseconds(30)); // a later start time
    const BundleProcess second(bundle, tavrel);
    const BundleProcess shown(temp.path() / "A.app", entry("CFBundleIdentifier", "test.shown") +
                                                         entry("CFBundleDisplayName", "Shown") +
                                                         entry("CFBundleName", "Plain"));
    const BundleProcess bare(temp.path() / "Bare.app", entry("CFBundleIdentifier", "test.bare"));

    // Other tests may run such a bundle at the same time: count only this test's processes.
    const auto found = [&](const std::string& identifier) {
        auto apps = RunningApplications::withBundleIdentifier(identifier);
        std::erase_if(apps,
                      [&](const auto& app) { return !app.bundlePath.starts_with(temp.string()); });
        return apps;
    };
    const auto apps = found("test.tavrel");
    ASSERT_EQ(apps.size(), 2U);
    EXPECT_EQ(apps[0].processIdentifier, first.pid());
    EXPECT_EQ(apps[1].processIdentifier, second.pid());
    EXPECT_EQ(apps[0].bundlePath, bundle.string());
    EXPECT_EQ(apps[0].localizedName, "Tavrel");
    EXPECT_EQ(apps[0].iconPath, (bundle / "Contents/Resources/AppIcon.icns").string());
    // The display name comes first, then the bundle name, then the folder's name.
    ASSERT_EQ(found("test.shown").size(), 1U);
    EXPECT_EQ(found("test.shown")[0].localizedName, "Shown");
    EXPECT_FALSE(found("test.shown")[0].iconPath);
    ASSERT_EQ(found("test.bare").size(), 1U);
    EXPECT_EQ(found("test.bare")[0].localizedName, "Bare.app");
    EXPECT_TRUE(found("test.other").empty());
}
