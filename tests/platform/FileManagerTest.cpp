// Existence tests and deletion: links are never followed, trees go whole, errors are honest.
#include "platform/FileManager.hpp"

#include "tests/support/TemporaryFolder.hpp"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using tavrel::platform::FileError;
using tavrel::platform::FileManager;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;

namespace {

// A folder outside the tree under deletion, with content that must survive.
struct Outside {
    TemporaryFolder folder;
    Outside() { writeFile(folder.path() / "keep" / "precious.txt", "keep me"); }
    [[nodiscard]] bool intact() const {
        return tavrel::testing::readFile(folder.path() / "keep" / "precious.txt") == "keep me";
    }
};

} // namespace

TEST(FileManagerTest, ItemAtFollowsLinksAndCountsDanglingLinksAsMissing) {
    TemporaryFolder temp;
    const fs::path& root = temp.path();
    writeFile(root / "file", "x");
    fs::create_directory(root / "folder");
    fs::create_symlink(root / "folder", root / "link-to-folder");
    fs::create_symlink(root / "nowhere", root / "dangling");
    fs::create_symlink(root / "loop", root / "loop");

    auto item = FileManager::itemAt((root / "file").string());
    EXPECT_TRUE(item.exists);
    EXPECT_FALSE(item.isFolder);
    item = FileManager::itemAt((root / "link-to-folder").string());
    EXPECT_TRUE(item.exists);
    EXPECT_TRUE(item.isFolder);
    for (const char* missing : {"dangling", "loop", "absent", "file/below-a-file"}) {
        item = FileManager::itemAt((root / missing).string());
        EXPECT_FALSE(item.exists) << missing;
        EXPECT_FALSE(item.error) << missing;
    }
}

TEST(FileManagerTest, RemovesFilesTreesAndOddNamesButOnlyTheLinkItself) {
    TemporaryFolder temp;
    Outside outside;
    const fs::path tree = temp.path() / "tree";
    // Names a shell or a careless walk would trip over.
    const std::string odd[] = {"-rf", "new\nline", "sp ace", std::string("bad\xff\xfe", 5), "..."};
    fs::path deep = tree;
    for (int level = 0; level < 40; ++level) {
        deep /= odd[level % 5] + std::to_string(level);
        writeFile(deep / "file", "x");
        fs::create_symlink(outside.folder.path() / "keep", deep / "link-out");
    }
    fs::create_symlink(outside.folder.path() / "keep" / "precious.txt", tree / "file-link");
    fs::create_directory(tree / "empty");
    ASSERT_EQ(mkfifo((tree / "fifo").c_str(), 0600), 0);

    EXPECT_FALSE(FileManager::removeItem(tree.string()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_TRUE(outside.intact());

    // A link at the path is removed itself, whatever it leads to.
    fs::create_symlink(outside.folder.path() / "keep", temp.path() / "link");
    EXPECT_FALSE(FileManager::removeItem((temp.path() / "link").string() + "/"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp.path() / "link")));
    EXPECT_TRUE(outside.intact());

    writeFile(temp.path() / "plain", "x");
    EXPECT_FALSE(FileManager::removeItem((temp.path() / "plain").string()));
    EXPECT_FALSE(fs::exists(temp.path() / "plain"));
}

TEST(FileManagerTest, MissingItemsAndDotNamesGiveErrorsWithTheirDescription) {
    TemporaryFolder temp;
    const std::string absent = (temp.path() / "absent.app").string();
    const auto missing = FileManager::removeItem(absent);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->code(), ENOENT);
    EXPECT_EQ(missing->path(), absent);
    EXPECT_EQ(missing->description(),
              "Error Domain=NSPOSIXErrorDomain Code=2 \"\u201c"
              "absent.app\u201d couldn\u2019t be "
              "removed: No such file or directory.\" UserInfo={NSFilePath=" +
                  absent + "}");

    for (const std::string& refused :
         {std::string("/"), temp.string() + "/.", temp.string() + "/.."}) {
        const auto error = FileManager::removeItem(refused);
        ASSERT_TRUE(error) << refused;
        EXPECT_EQ(error->code(), EINVAL) << refused;
    }
    EXPECT_TRUE(fs::is_directory(temp.path()));
}

TEST(FileManagerTest, DeepTreeIsRemovedWithoutRecursion) {
    TemporaryFolder temp;
    const fs::path tree = temp.path() / "deep";
    fs::create_directory(tree);
    // Far deeper than PATH_MAX allows in one path: build it with descriptors.
    int folder = open(tree.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    for (int level = 0; level < 3000; ++level) {
        ASSERT_EQ(mkdirat(folder, "d", 0700), 0);
        const int next = openat(folder, "d", O_RDONLY | O_DIRECTORY);
        close(folder);
        folder = next;
        ASSERT_GE(folder, 0);
    }
    close(folder);
    EXPECT_FALSE(FileManager::removeItem(tree.string()));
    EXPECT_FALSE(fs::exists(tree));
}

TEST(FileManagerTest, FolderSwappedForALinkDuringTheWalkNeverLeadsOutside) {
    Outside outside;
    for (int round = 0; round < 150; ++round) {
        TemporaryFolder temp;
        const fs::path tree = temp.path() / "tree";
        const fs::path parent = tree / "a";
        for (int index = 0; index < 20; ++index) {
            writeFile(parent / "swap" / ("f" + std::to_string(index)), "x");
            writeFile(parent / ("g" + std::to_string(index)), "x");
        }
        fs::create_symlink(outside.folder.path() / "keep", parent / "bait");
        std::atomic<bool> done{false};
        std::thread swapper([&] {
            // Exchange the folder and the link back and forth while the walk runs.
            while (!done.load()) {
                (void)renameat2(AT_FDCWD, (parent / "swap").c_str(), AT_FDCWD,
                                (parent / "bait").c_str(), RENAME_EXCHANGE);
            }
        });
        const auto error = FileManager::removeItem(tree.string());
        done = true;
        swapper.join();
        ASSERT_TRUE(outside.intact()) << "round " << round;
        // An entry may be swapped back in after its folder was emptied; that is reported.
        if (!error) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
        }
    }
}

TEST(FileManagerTest, KeepsGoingPastWhatItCannotRemoveAndReportsTheFirstError) {
    TemporaryFolder temp;
    const fs::path tree = temp.path() / "tree";
    writeFile(tree / "a" / "one", "x");
    writeFile(tree / "m" / "locked" / "inside", "x");
    writeFile(tree / "z" / "two", "x");
    // Root ignores permissions, so a read-only bind mount in a private namespace stands for a
    // refused deletion. unshare needs a single thread: do it in a child.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const uid_t user = getuid();
        const gid_t group = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
            _exit(90);
        }
        auto writeText = [](const char* path, const std::string& text) {
            const int descriptor = open(path, O_WRONLY);
            return descriptor >= 0 && write(descriptor, text.data(), text.size()) > 0;
        };
        writeText("/proc/self/setgroups", "deny");
        if (!writeText("/proc/self/uid_map", "0 " + std::to_string(user) + " 1") ||
            !writeText("/proc/self/gid_map", "0 " + std::to_string(group) + " 1") ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            _exit(91);
        }
        const std::string locked = (tree / "m" / "locked").string();
        if (mount(locked.c_str(), locked.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, locked.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) !=
                0) {
            _exit(92);
        }
        const auto error = FileManager::removeItem(tree.string());
        const bool firstIsTheLockedFile =
            error && error->code() == EROFS && error->path() == locked + "/inside";
        const bool restRemoved = !fs::exists(tree / "a") && !fs::exists(tree / "z");
        const bool lockedKept = fs::exists(tree / "m" / "locked" / "inside");
        umount2(locked.c_str(), MNT_DETACH);
        _exit(firstIsTheLockedFile ? (restRemoved ? (lockedKept ? 0 : 3) : 2) : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: first error not the read-only file, 2: neighbours not removed, 3: locked file gone";
}
