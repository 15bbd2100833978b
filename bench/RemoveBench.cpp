// Deleting a large fresh tree: our walk against `rm -rf` on identical trees in the same run.
// The trees are made outside the timed region. TAVREL_BENCH_DIR chooses where (default /tmp).
#include "bench/BenchTree.hpp"
#include "platform/FileManager.hpp"

#include <benchmark/benchmark.h>
#include <chrono>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string freshName(const char* who) {
    static int counter = 0;
    return tavrel::bench::benchFolder() + "/tavrel-remove-bench-" + std::to_string(getpid()) + "-" +
           who + "-" + std::to_string(counter++);
}

template <class Remove>
void measure(benchmark::State& state, const char* who, Remove remove) {
    long files = 0;
    for (auto _ : state) {
        const std::string root = freshName(who);
        files = tavrel::bench::makeTree(root);
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
        struct stat gone {};
        return tavrel::bench::runToEnd({"/bin/rm", "-rf", root}) && lstat(root.c_str(), &gone) != 0;
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
