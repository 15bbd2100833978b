// Running applications found through /proc and the bundle's Info.plist, with real processes.
#include "platform/RunningApplications.hpp"

#include "tests/platform/ScopedEnvironment.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using tavrel::platform::RunningApplications;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;

namespace {

std::string infoPlist(const std::string& identifier, const std::string& extra) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>CFBundleIdentifier</key><string>" +
           identifier + "</string>" + extra + "</dict></plist>\n";
}

// A copy of sleep run from <bundle>/Contents/MacOS/, killed at the end.
class BundleProcess {
public:
    BundleProcess(const fs::path& bundle, const std::string& plist) {
        writeFile(bundle / "Contents/Info.plist", plist);
        fs::create_directories(bundle / "Contents/MacOS");
        const fs::path executable = bundle / "Contents/MacOS/sleeper";
        if (!fs::exists(executable)) {
            fs::copy_file("/bin/sleep", executable);
        }
        std::string path = executable.string();
        std::string seconds = "60";
        char* arguments[] = {path.data(), seconds.data(), nullptr};
        if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, arguments, environ) != 0) {
            pid_ = -1;
        }
        // Wait until the process runs the copied executable.
        const std::string link = "/proc/" + std::to_string(pid_) + "/exe";
        for (int tries = 0; tries < 200; ++tries) {
            std::error_code error;
            if (fs::read_symlink(link, error) == executable) {
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

} // namespace

TEST(RunningApplicationsTest, FindsTheBundlesProcessesOldestFirstWithNameAndIcon) {
    TemporaryFolder temp;
    const fs::path bundle = temp.path() / "Tavrel.app";
    writeFile(bundle / "Contents/Resources/AppIcon.icns", "icon");
    const std::string plist = infoPlist(
        "com.quillorchid.TavrelOSX", "<key>CFBundleName</key><string>Tavrel</"
                                     "string><key>CFBundleIconFile</key><string>AppIcon</string>");
    const BundleProcess first(bundle, plist);
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // a later start time
    const BundleProcess second(bundle, plist);
    const BundleProcess other(temp.path() / "Other.app", infoPlist("com.quillorchid.Other", ""));

    // Other tests may run such a bundle at the same time: count only this test's processes.
    auto found = RunningApplications::withBundleIdentifier("com.quillorchid.TavrelOSX");
    std::erase_if(found, [&](const auto& app) { return app.bundlePath != bundle.string(); });
    ASSERT_EQ(found.size(), 2U);
    EXPECT_EQ(found[0].processIdentifier, first.pid());
    EXPECT_EQ(found[1].processIdentifier, second.pid());
    EXPECT_EQ(found[0].localizedName, "Tavrel");
    EXPECT_EQ(found[0].bundlePath, bundle.string());
    EXPECT_EQ(found[0].iconPath, (bundle / "Contents/Resources/AppIcon.icns").string());

    for (const auto& app :
         RunningApplications::withBundleIdentifier("com.quillorchid.TavrelAuthenticator")) {
        EXPECT_NE(app.bundlePath.rfind(temp.string(), 0), 0U) << app.bundlePath;
    }
}

TEST(RunningApplicationsTest, NamePrefersDisplayNameThenFallsBackToTheFolderName) {
    TemporaryFolder temp;
    const BundleProcess display(temp.path() / "A.app",
                                infoPlist("test.display",
                                          "<key>CFBundleDisplayName</key><string>Shown</string>"
                                          "<key>CFBundleName</key><string>Plain</string>"));
    const BundleProcess bare(temp.path() / "Bare.app", infoPlist("test.bare", ""));
    auto found = RunningApplications::withBundleIdentifier("test.display");
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found[0].localizedName, "Shown");
    EXPECT_FALSE(found[0].iconPath);
    found = RunningApplications::withBundleIdentifier("test.bare");
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found[0].localizedName, "Bare.app");
}
