// The running-application check with a real process, and the error it throws.
#include "Source/RunningAppError.hpp"

#include "Source/RunningAppCheck.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;
using tavrel::RunningAppError;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;

TEST(RunningAppErrorTest, DescriptionAndAlertNameTheApplicationTwice) {
    setenv("LC_ALL", "C", 1); // the English text, whatever the developer's locale
    const RunningAppError error("Tavrel \"Pro\"", std::string("/x/Tavrel.icns"));
    EXPECT_EQ(error.description(),
              "RunningAppError(name: \"Tavrel \\\"Pro\\\"\", icon: Optional(\"/x/Tavrel.icns\"))");
    const tavrel::Alert alert = error.alert();
    EXPECT_EQ(alert.messageText, "Tavrel \"Pro\" is running. Quit Tavrel \"Pro\" and try again.");
    EXPECT_EQ(alert.buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(alert.style, tavrel::AlertStyle::warning);
    EXPECT_EQ(alert.iconPath, "/x/Tavrel.icns");
    EXPECT_EQ(RunningAppError("", std::nullopt).description(),
              "RunningAppError(name: \"\", icon: nil)");
}

TEST(RunningAppErrorTest, CheckThrowsForARunningBundleAndPassesOtherwise) {
    TemporaryFolder temp;
    const fs::path bundle = temp.path() / "Auth.app";
    writeFile(bundle / "Contents/Info.plist",
              "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
              "<string>test.check.authenticator</string><key>CFBundleDisplayName</key>"
              "<string>Tavrel Authenticator</string><key>CFBundleIconFile</key>"
              "<string>Auth.icns</string></dict></plist>");
    writeFile(bundle / "Contents/Resources/Auth.icns", "icon");
    fs::create_directories(bundle / "Contents/MacOS");
    fs::copy_file("/bin/sleep", bundle / "Contents/MacOS/auth");

    EXPECT_NO_THROW(tavrel::checkNotRunning("test.check.authenticator"));
    std::string executable = (bundle / "Contents/MacOS/auth").string();
    std::string seconds = "60";
    char* argv[] = {executable.data(), seconds.data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, executable.c_str(), nullptr, nullptr, argv, environ), 0);
    for (int tries = 0; tries < 200; ++tries) {
        std::error_code error;
        if (fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error) == executable) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    try {
        tavrel::checkNotRunning("test.check.authenticator");
        ADD_FAILURE() << "no RunningAppError";
    } catch (const RunningAppError& error) {
        EXPECT_EQ(error.name(), "Tavrel Authenticator");
        EXPECT_EQ(error.iconPath(), (bundle / "Contents/Resources/Auth.icns").string());
    }
    EXPECT_NO_THROW(tavrel::checkNotRunning("test.check.other"));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}
