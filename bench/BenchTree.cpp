// The benchmarks' tree and peer programs.
#include "bench/BenchTree.hpp"

#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavrel::bench {

namespace {

constexpr int kTop = 10;
constexpr int kMiddle = 10;
constexpr int kLeaves = 17;       // 10 x 10 x 17 = 1,700 leaf folders
constexpr int kFilesPerLeaf = 59; // about 100,000 files
constexpr int kLinkEvery = 6;     // a link in every sixth leaf: about 280 links

void check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error("cannot make " + what);
    }
}

} // namespace

std::string benchFolder() {
    const char* value = std::getenv("TAVREL_BENCH_DIR"); // NOLINT: read once, single thread
    return value != nullptr && value[0] != '\0' ? value : "/tmp";
}

long makeTree(const std::string& root) {
    check(mkdir(root.c_str(), 0755) == 0, root);
    long files = 0;
    int leafIndex = 0;
    for (int top = 0; top < kTop; ++top) {
        const std::string topPath = root + "/t" + std::to_string(top);
        check(mkdir(topPath.c_str(), 0755) == 0, topPath);
        for (int middle = 0; middle < kMiddle; ++middle) {
            const std::string middlePath = topPath + "/m" + std::to_string(middle);
            check(mkdir(middlePath.c_str(), 0755) == 0, middlePath);
            for (int leaf = 0; leaf < kLeaves; ++leaf, ++leafIndex) {
                const std::string leafPath = middlePath + "/l" + std::to_string(leaf);
                check(mkdir(leafPath.c_str(), 0755) == 0, leafPath);
                const int folder = open(leafPath.c_str(), O_RDONLY | O_DIRECTORY);
                check(folder >= 0, leafPath);
                for (int file = 0; file < kFilesPerLeaf; ++file) {
                    const std::string name = "file-" + std::to_string(file) + ".txt";
                    const int descriptor =
                        openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
                    check(descriptor >= 0, std::string(leafPath).append("/").append(name));
                    check(write(descriptor, "small content\n", 14) == 14, name);
                    close(descriptor);
                    ++files;
                }
                if (leafIndex % kLinkEvery == 0) {
                    // Links to a folder of the tree and to one outside it: neither may be followed.
                    check(symlinkat("../l0", folder, "link-in") == 0, leafPath + "/link-in");
                    check(symlinkat("/usr", folder, "link-out") == 0, leafPath + "/link-out");
                }
                close(folder);
            }
        }
    }
    return files;
}

bool runToEnd(std::vector<std::string> argv) {
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (std::string& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const bool started =
        posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace tavrel::bench
