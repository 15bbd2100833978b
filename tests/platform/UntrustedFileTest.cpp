// Files someone else may have planted: read whole when they are regular files within their kind's
// limit, refused at once otherwise; and a refused autostart entry beside a readable one.
#include "platform/UntrustedFile.hpp"

#include "platform/AppleScriptHost.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using tavrel::platform::AppleScriptHost;
using tavrel::platform::ScriptDescriptor;
using tavrel::platform::UntrustedFile;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;
using Kind = UntrustedFile::Kind;

TEST(UntrustedFileTest, ReadsRegularFilesUpToTheLimitOfTheirKindFollowingLinks) {
    const TemporaryFolder folder;
    const std::size_t limit = UntrustedFile::sizeLimit(Kind::systemRelease);
    writeFile(folder.path() / "full", std::string(limit, 'x'));
    writeFile(folder.path() / "over", std::string(limit + 1, 'x'));
    fs::create_symlink(folder.path() / "full", folder.path() / "link");
    for (const char* name : {"full", "link"}) {
        const auto text = UntrustedFile::read((folder.path() / name).string(), Kind::systemRelease);
        ASSERT_TRUE(text.ok()) << text.error();
        EXPECT_EQ(text->size(), limit) << name;
    }
    const auto over = UntrustedFile::read((folder.path() / "over").string(), Kind::systemRelease);
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error().localizedDescription(),
              "\u201cover\u201d couldn\u2019t be examined: Too large to read (over 64 KiB).");
    // A file of the system that says it holds nothing is read to its end all the same.
    const auto stat = UntrustedFile::read("/proc/self/stat", Kind::processStatus);
    ASSERT_TRUE(stat.ok()) << stat.error();
    EXPECT_TRUE(stat->starts_with(std::to_string(getpid()) + " (")) << *stat;
}

TEST(UntrustedFileTest, APlantedAutostartEntryIsRefusedAtOnceAndTheLoginItemBesideItStillGoes) {
    struct Case {
        const char* name;
        std::function<int(const fs::path&)> plant; // a descriptor to close after the row, or -1
        int code;
        std::string reason;
        bool unreadable; // a login item that cannot be looked at, rather than none
    };
    const std::vector<Case> cases{
        {"a link to /dev/zero",
         [](const fs::path& path) {
             fs::create_symlink("/dev/zero", path);
             return -1;
         },
         EINVAL, "Not a regular file", true},
        {"a FIFO without a writer",
         [](const fs::path& path) {
             mkfifo(path.c_str(), 0600);
             return -1;
         },
         EINVAL, "Not a regular file", true},
        {"a FIFO with a writer that wrote",
         [](const fs::path& path) {
             mkfifo(path.c_str(), 0600);
             const int writer = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
             EXPECT_EQ(write(writer, "[", 1), 1);
             return writer;
         },
         EINVAL, "Not a regular file", true},
        {"a 3 GiB sparse file",
         [](const fs::path& path) {
             writeFile(path, "[Desktop Entry]\nName=Tavrel\n");
             fs::resize_file(path, std::uintmax_t{3} << 30);
             return -1;
         },
         EFBIG, "Too large to read (over 1 MiB)", true},
        {"a folder",
         [](const fs::path& path) {
             fs::create_directory(path);
             return -1;
         },
         EISDIR, "Is a directory", false},
        {"a link leading nowhere",
         [](const fs::path& path) {
             fs::create_symlink(path.parent_path() / "nowhere", path);
             return -1;
         },
         ENOENT, "No such file or directory", false},
    };
    const std::string tell = "tell application \"System Events\" to ";
    for (const Case& test : cases) {
        const TemporaryFolder folder;
        writeFile(folder.path() / "tavrel.desktop", "[Desktop Entry]\nName=Tavrel\n");
        const fs::path planted = folder.path() / "z.desktop";
        const int descriptor = test.plant(planted);
        const auto read = UntrustedFile::read(planted.string(), Kind::desktopEntry);
        ASSERT_FALSE(read.ok()) << test.name;
        EXPECT_EQ(read.error().code(), test.code) << test.name;
        EXPECT_EQ(read.error().localizedDescription(),
                  "\u201cz.desktop\u201d couldn\u2019t be examined: " + test.reason + ".")
            << test.name;
        const auto unreadable = AppleScriptHost::unreadableLoginItems(folder.string());
        ASSERT_TRUE(unreadable.ok()) << test.name;
        EXPECT_EQ(*unreadable, test.unreadable ? std::vector{read.error()}
                                               : std::vector<tavrel::platform::FileError>{})
            << test.name;
        const auto host = AppleScriptHost::make({.loginItemsFolder = folder.string()});
        EXPECT_EQ(
            host->execute(tell + "get the name of every login item"),
            AppleScriptHost::Execution(ScriptDescriptor::list({ScriptDescriptor::text("Tavrel")})))
            << test.name;
        EXPECT_EQ(host->execute(tell + "delete login item \"Tavrel\""),
                  AppleScriptHost::Execution(ScriptDescriptor::missingValue()))
            << test.name;
        EXPECT_FALSE(fs::exists(folder.path() / "tavrel.desktop")) << test.name;
        EXPECT_TRUE(fs::exists(fs::symlink_status(planted))) << test.name;
        if (descriptor >= 0) {
            close(descriptor);
        }
    }
}
