// Files: existence tests, deletion (links are never followed, trees go whole, errors are honest),
// opening for appending and reading a file someone else may have planted. Watches are tested
// through the file logger, which rolls on them.
#include "platform/FileManager.hpp"

#include "platform/File.hpp"
#include "platform/ProcessSetup.hpp"
#include "platform/TrashFolders.hpp"
#include "platform/UntrustedFile.hpp"
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using tavrel::platform::FileManager;
using tavrel::platform::UntrustedFile;
using namespace tavrel::testing;

TEST(FileManagerTest, ItemAtFollowsLinksAndTellsNothingThereFromUnknown) {
    const TemporaryFolder temp;
    const fs::path& root = temp.path();
    writeFile(root / "file", "x");
    fs::create_directory(root / "folder");
    fs::create_symlink(root / "folder", root / "link-to-folder");
    fs::create_symlink(root / "nowhere", root / "dangling");
    fs::create_symlink(root / "loop", root / "loop");
    // Name, exists, is a folder, and the error of a test that fails: whether anything is there
    // is unknown then.
    const std::vector<std::tuple<std::string, bool, bool, int>> cases{
        {"file", true, false, 0},
        {"link-to-folder", true, true, 0},
        {"dangling", false, false, 0},
        {"loop", false, false, 0},
        {"absent", false, false, 0},
        {"file/below-a-file", false, false, 0},
        {std::string(300, 'x'), false, false, ENAMETOOLONG},
    };
    for (const auto& [name, exists, isFolder, error] : cases) {
        const auto item = FileManager::itemAt((root / name).string());
        const std::string row = name.substr(0, 20);
        ASSERT_EQ(item.ok(), error == 0) << row;
        if (item.ok()) {
            EXPECT_EQ(item->exists, exists) << row;
            EXPECT_EQ(item->isFolder, isFolder) << row;
        } else {
            EXPECT_EQ(item.error().code(), error) << row;
        }
    }
}

TEST(FileManagerTest, RemovesDeepTreesWithOddNamesAndLinksButNothingTheyLeadTo) {
    const TemporaryFolder temp;
    const TemporaryFolder outside;
    writeFile(outside.path() / "keep", "keep me");
    const fs::path tree = temp.path() / "tree";
    // Names a shell or a careless walk would trip over.
    const std::string odd[] = {"-rf", "new\nline", "sp ace", std::string("bad\xff\xfe", 5), "..."};
    fs::path deep = tree;
    for (int level = 0; level < 40; ++level) {
        deep /= odd[level % 5] + std::to_string(level);
        writeFile(deep / "file", "x");
        fs::create_symlink(outside.path(), deep / "link-out");
    }
    fs::create_symlink(outside.path() / "keep", tree / "file-link");
    ASSERT_EQ(mkfifo((tree / "fifo").c_str(), 0600), 0);
    fs::create_symlink(outside.path(), temp.path() / "link");
    writeFile(temp.path() / "plain", "x");
    // Far deeper than PATH_MAX allows in one path, built through descriptors: no recursion; and
    // deeper than the 1024 descriptors a desktop session starts a program with.
    rlimit descriptors{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &descriptors), 0);
    ASSERT_GE(descriptors.rlim_max, 4096U) << "the hard limit of open descriptors is too low";
    descriptors.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &descriptors), 0);
    tavrel::platform::prepareProcess();
    fs::create_directory(temp.path() / "deep");
    int folder = open((temp.path() / "deep").c_str(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < 3000 && folder >= 0; ++level) {
        ASSERT_EQ(mkdirat(folder, "d", 0700), 0);
        const int next = openat(folder, "d", O_RDONLY | O_DIRECTORY);
        close(folder);
        folder = next;
    }
    ASSERT_GE(folder, 0);
    close(folder);
    // A link at the path goes itself, whatever it leads to, even named as a folder.
    for (const std::string name : {"tree", "deep", "link/", "plain"}) {
        EXPECT_TRUE(FileManager::removeItem(temp.string() + "/" + name).ok()) << name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(temp.path() / name.substr(0, 5)))) << name;
    }
    EXPECT_EQ(readFile(outside.path() / "keep"), "keep me");

    // Nothing there, and names that would remove the root or a folder through a dot name.
    for (const auto& [path, code] :
         std::vector<std::pair<std::string, int>>{{temp.string() + "/absent", ENOENT},
                                                  {"/", EINVAL},
                                                  {temp.string() + "/.", EINVAL},
                                                  {temp.string() + "/..", EINVAL}}) {
        const auto removal = FileManager::removeItem(path);
        ASSERT_FALSE(removal.ok()) << path;
        EXPECT_EQ(removal.error().code(), code) << path;
        EXPECT_EQ(removal.error().path(), path);
    }
    EXPECT_TRUE(fs::is_directory(temp.path()));
}

TEST(FileManagerTest, FolderSwappedForALinkDuringTheWalkNeverLeadsOutside) {
    const TemporaryFolder outside;
    writeFile(outside.path() / "keep", "keep me");
    for (int round = 0; round < 150; ++round) {
        const TemporaryFolder temp;
        const fs::path parent = temp.path() / "tree/a";
        for (int index = 0; index < 20; ++index) {
            writeFile(parent / "swap" / ("f" + std::to_string(index)), "x");
            writeFile(parent / ("g" + std::to_string(index)), "x");
        }
        fs::create_symlink(outside.path(), parent / "bait");
        std::atomic<bool> done{false};
        std::thread swapper([&] {
            while (!done.load()) {
                (void)renameat2(AT_FDCWD, (parent / "swap").c_str(), AT_FDCWD,
                                (parent / "bait").c_str(), RENAME_EXCHANGE);
            }
        });
        // An entry may be swapped back in after its folder was emptied; that is reported.
        const bool removed = FileManager::removeItem((temp.path() / "tree").string()).ok();
        done = true;
        swapper.join();
        ASSERT_EQ(readFile(outside.path() / "keep"), "keep me") << "round " << round;
        EXPECT_TRUE(!removed || !fs::exists(fs::symlink_status(temp.path() / "tree")));
    }
}

TEST(FailedRemovalTest, GoesOnPastWhatCannotGoReportsTheFirstErrorAndKeepsTheTrashRecord) {
    // Root ignores permissions, so read-only mounts stand for refused deletions: this test runs
    // itself again in a sandbox where they are.
    const char* where = std::getenv("TAVREL_TEST_FOLDER"); // NOLINT(concurrency-mt-unsafe)
    const fs::path root = where != nullptr ? where : "";
    if (where != nullptr) {
        const auto removal = FileManager::removeItem((root / "tree").string());
        ASSERT_FALSE(removal.ok());
        EXPECT_EQ(removal.error().code(), EROFS);
        EXPECT_EQ(removal.error().path(), (root / "tree/m/locked/inside").string());
        const auto trashed =
            tavrel::platform::TrashFolders::removeItem((root / "Trash/files").string(), "X.app");
        ASSERT_FALSE(trashed.ok());
        EXPECT_EQ(trashed.error().code(), EROFS);
        return;
    }
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const TemporaryFolder temp;
    for (const char* file :
         {"tree/a/one", "tree/m/locked/inside", "tree/z/two",
          "Trash/files/X.app/Contents/Info.plist", "Trash/info/X.app.trashinfo"}) {
        writeFile(temp.path() / file, "x");
    }
    const auto run = Sandbox()
                         .readOnly(temp.string() + "/tree/m/locked")
                         .readOnly(temp.string() + "/Trash/files/X.app/Contents")
                         .run({fs::read_symlink("/proc/self/exe").string(),
                               "--gtest_filter=FailedRemovalTest.*"},
                              {"PATH=/usr/bin:/bin", "TAVREL_TEST_FOLDER=" + temp.string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("[  PASSED  ] 1 test"), std::string::npos) << run.out;
    EXPECT_TRUE(fs::exists(temp.path() / "tree/m/locked/inside"));
    EXPECT_FALSE(fs::exists(temp.path() / "tree/a"));
    EXPECT_FALSE(fs::exists(temp.path() / "tree/z"));
    EXPECT_TRUE(fs::exists(temp.path() / "Trash/info/X.app.trashinfo"));
}

TEST(FileTest, AFifoIsRefusedAtOnceEvenWithoutAReader) {
    const TemporaryFolder folder;
    const std::string fifo = folder.string() + "/fifo.log";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    auto opening = std::async(std::launch::async,
                              [&] { return tavrel::platform::File::openForAppending(fifo).ok(); });
    if (opening.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
        ADD_FAILURE() << "opening a FIFO waits for a reader";
        close(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)); // lets that opening end
    }
    EXPECT_FALSE(opening.get());
}

// Devices, FIFOs and huge files are tested with the command, among the login items.
TEST(UntrustedFileTest, ReadsRegularFilesUpToTheLimitOfTheirKindAndSaysWhyItReadsNoOther) {
    const TemporaryFolder folder;
    constexpr auto kKind = UntrustedFile::Kind::systemRelease;
    const std::size_t limit = UntrustedFile::sizeLimit(kKind);
    writeFile(folder.path() / "full", std::string(limit, 'x'));
    writeFile(folder.path() / "over", std::string(limit + 1, 'x'));
    fs::create_directory(folder.path() / "folder");
    const auto full = UntrustedFile::read((folder.path() / "full").string(), kKind);
    ASSERT_TRUE(full.ok()) << full.error();
    EXPECT_EQ(full->size(), limit);
    for (const auto& [file, refusal] : std::vector<std::pair<std::string, std::string>>{
             {"over",
              "\u201cover\u201d couldn\u2019t be examined: Too large to read (over 64 KiB)."},
             {"folder", "\u201cfolder\u201d couldn\u2019t be examined: Is a directory."},
             {"absent",
              "\u201cabsent\u201d couldn\u2019t be examined: No such file or directory."}}) {
        const auto read = UntrustedFile::read((folder.path() / file).string(), kKind);
        ASSERT_FALSE(read.ok()) << file;
        EXPECT_EQ(read.error().localizedDescription(), refusal);
    }
}
