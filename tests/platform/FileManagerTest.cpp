// Existence tests and deletion: links are never followed, trees go whole, errors are honest.
#include "platform/FileManager.hpp"

#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using tavrel::platform::FileManager;
using tavrel::testing::Sandbox;
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
    ASSERT_TRUE(item.ok());
    EXPECT_TRUE(item->exists);
    EXPECT_FALSE(item->isFolder);
    item = FileManager::itemAt((root / "link-to-folder").string());
    ASSERT_TRUE(item.ok());
    EXPECT_TRUE(item->exists);
    EXPECT_TRUE(item->isFolder);
    for (const char* missing : {"dangling", "loop", "absent", "file/below-a-file"}) {
        item = FileManager::itemAt((root / missing).string());
        ASSERT_TRUE(item.ok()) << missing;
        EXPECT_FALSE(item->exists) << missing;
    }
    // A test that fails says so: whether anything is there is unknown, not "nothing".
    item = FileManager::itemAt((root / std::string(5000, 'x')).string());
    ASSERT_FALSE(item.ok());
    EXPECT_EQ(item.error().code(), ENAMETOOLONG);
    EXPECT_EQ(item.error().operation(), tavrel::platform::FileError::Operation::inspect);
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

    EXPECT_TRUE(FileManager::removeItem(tree.string()).ok());
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_TRUE(outside.intact());

    // A link at the path is removed itself, whatever it leads to.
    fs::create_symlink(outside.folder.path() / "keep", temp.path() / "link");
    EXPECT_TRUE(FileManager::removeItem((temp.path() / "link").string() + "/").ok());
    EXPECT_FALSE(fs::exists(fs::symlink_status(temp.path() / "link")));
    EXPECT_TRUE(outside.intact());

    writeFile(temp.path() / "plain", "x");
    EXPECT_TRUE(FileManager::removeItem((temp.path() / "plain").string()).ok());
    EXPECT_FALSE(fs::exists(temp.path() / "plain"));
}

TEST(FileManagerTest, MissingItemsAndDotNamesGiveErrorsWithTheirDescription) {
    TemporaryFolder temp;
    const std::string absent = (temp.path() / "absent.app").string();
    const auto missing = FileManager::removeItem(absent);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code(), ENOENT);
    EXPECT_EQ(missing.error().path(), absent);
    EXPECT_EQ(missing.error().description(),
              "Error Domain=NSPOSIXErrorDomain Code=2 \"\u201c"
              "absent.app\u201d couldn\u2019t be "
              "removed: No such file or directory.\" UserInfo={NSFilePath=" +
                  absent + "}");

    for (const std::string& refused :
         {std::string("/"), temp.string() + "/.", temp.string() + "/.."}) {
        const auto removal = FileManager::removeItem(refused);
        ASSERT_FALSE(removal.ok()) << refused;
        EXPECT_EQ(removal.error().code(), EINVAL) << refused;
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
    EXPECT_TRUE(FileManager::removeItem(tree.string()).ok());
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
        const auto removal = FileManager::removeItem(tree.string());
        done = true;
        swapper.join();
        ASSERT_TRUE(outside.intact()) << "round " << round;
        // An entry may be swapped back in after its folder was emptied; that is reported.
        if (removal.ok()) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
        }
    }
}

TEST(FileManagerTest, KeepsGoingPastWhatItCannotRemoveAndReportsTheFirstError) {
    // Root ignores permissions, so a read-only mount stands for a refused deletion: this test
    // runs itself again in a sandbox where one folder of the tree is read-only.
    if (const char* tree = std::getenv("TAVREL_TEST_TREE")) { // NOLINT(concurrency-mt-unsafe)
        const fs::path root = tree;
        const auto removal = FileManager::removeItem(root.string());
        ASSERT_FALSE(removal.ok());
        EXPECT_EQ(removal.error().code(), EROFS);
        EXPECT_EQ(removal.error().path(), (root / "m/locked/inside").string());
        return;
    }
    TAVREL_SKIP_WITHOUT_SANDBOX();
    TemporaryFolder temp;
    const fs::path root = temp.path() / "tree";
    writeFile(root / "a/one", "x");
    writeFile(root / "m/locked/inside", "x");
    writeFile(root / "z/two", "x");
    const auto run = Sandbox()
                         .readOnly((root / "m/locked").string())
                         .run({fs::read_symlink("/proc/self/exe").string(),
                               "--gtest_filter=FileManagerTest.KeepsGoingPastWhatItCannotRemove*"},
                              {"PATH=/usr/bin:/bin", "TAVREL_TEST_TREE=" + root.string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[  PASSED  ] 1 test"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(root / "m/locked/inside"));
    EXPECT_FALSE(fs::exists(root / "a"));
    EXPECT_FALSE(fs::exists(root / "z"));
}
