// Deleting a large fresh tree: our walk against `rm -rf` on identical trees in the same run.
// The trees are made outside the timed region. TAVREL_BENCH_DIR chooses where (default /tmp).
#include "platform/FileManager.hpp"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kTop = 10;
constexpr int kMiddle = 10;
constexpr int kLeaves = 17;       // 10 x 10 x 17 = 1,700 leaf folders
constexpr int kFilesPerLeaf = 59; // about 100,000 files
constexpr int kLinkEvery = 6;     // a link in every sixth leaf: about 280 links

std::string benchFolder() {
    const char* value = std::getenv("TAVREL_BENCH_DIR"); // NOLINT: read once, single thread
    return value != nullptr && value[0] != '\0' ? value : "/tmp";
}

void check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error("cannot make " + what);
    }
}

// Makes the tree at `root` (which must not exist) and returns the number of files made.
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

std::string freshName(const char* who) {
    static int counter = 0;
    return benchFolder() + "/tavrel-remove-bench-" + std::to_string(getpid()) + "-" + who + "-" +
           std::to_string(counter++);
}

template <class Remove>
void measure(benchmark::State& state, const char* who, Remove remove) {
    long files = 0;
    for (auto _ : state) {
        const std::string root = freshName(who);
        files = makeTree(root);
        sync(); // the tree's creation should not be written back while we time the removal
        const auto start = std::chrono::steady_clock::now();
        const bool ok = remove(root);
        const auto end = std::chrono::steady_clock::now();
        if (!ok) {
            state.SkipWithError("removal failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["files"] = static_cast<double>(files);
    state.counters["files/s"] =
        benchmark::Counter(static_cast<double>(files) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void ours(benchmark::State& state) {
    measure(state, "ours", [](const std::string& root) {
        return tavrel::platform::FileManager::removeItem(root).ok();
    });
}

void rm(benchmark::State& state) {
    measure(state, "rm", [](const std::string& root) {
        std::string program = "/bin/rm";
        std::string flags = "-rf";
        std::string path = root;
        char* argv[] = {program.data(), flags.data(), path.data(), nullptr};
        pid_t pid = -1;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            return false;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        struct stat gone {};
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 && lstat(root.c_str(), &gone) != 0;
    });
}

} // namespace

BENCHMARK(ours)
    ->Name("RemoveTree/ours")
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(rm)
    ->Name("RemoveTree/rm")
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);
