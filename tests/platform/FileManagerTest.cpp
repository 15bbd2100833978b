// Existence tests and deletion: links are never followed, trees go whole, errors are honest.
#include "platform/FileManager.hpp"

#include "tests/support/TemporaryFolder.hpp"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
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
    // Root ignores permissions, so a read-only bind mount stands for a refused deletion. The
    // mount needs a private namespace: the test runs itself again under `unshare -rm`, which
    // (unlike unshare(2) here) works when a sanitizer runtime has started threads.
    const char* tree = std::getenv("TAVREL_TEST_TREE"); // NOLINT: single-threaded test
    if (tree == nullptr) {
        TemporaryFolder temp;
        const fs::path root = temp.path() / "tree";
        writeFile(root / "a" / "one", "x");
        writeFile(root / "m" / "locked" / "inside", "x");
        writeFile(root / "z" / "two", "x");
        std::string self = fs::read_symlink("/proc/self/exe").string();
        std::string filter = "--gtest_filter=FileManagerTest."
                             "KeepsGoingPastWhatItCannotRemoveAndReportsTheFirstError";
        std::string unshare = "unshare";
        std::string flags = "-rm";
        char* argv[] = {unshare.data(), flags.data(), self.data(), filter.data(), nullptr};
        std::string variable = "TAVREL_TEST_TREE=" + root.string();
        std::vector<char*> environment{variable.data()};
        for (char** entry = environ; *entry != nullptr; ++entry) {
            environment.push_back(*entry);
        }
        environment.push_back(nullptr);
        pid_t child = -1;
        ASSERT_EQ(posix_spawnp(&child, "unshare", nullptr, nullptr, argv, environment.data()), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_TRUE(fs::exists(root / "m" / "locked" / "inside"));
        EXPECT_FALSE(fs::exists(root / "a"));
        EXPECT_FALSE(fs::exists(root / "z"));
        return;
    }
    const fs::path root = tree;
    const std::string locked = (root / "m" / "locked").string();
    ASSERT_EQ(mount(locked.c_str(), locked.c_str(), nullptr, MS_BIND, nullptr), 0);
    ASSERT_EQ(mount(nullptr, locked.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr),
              0);
    const auto error = FileManager::removeItem(root.string());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), EROFS);
    EXPECT_EQ(error->path(), locked + "/inside");
    EXPECT_FALSE(fs::exists(root / "a"));
    EXPECT_FALSE(fs::exists(root / "z"));
    EXPECT_TRUE(fs::exists(root / "m" / "locked" / "inside"));
    umount2(locked.c_str(), MNT_DETACH);
}
