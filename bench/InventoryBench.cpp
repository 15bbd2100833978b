// Taking the inventory of a home whose Application Support folder holds 100,000 files, against
// `du -s` on the same folder, in the same run. The tree is made once, outside the timed region;
// the keychain is one in memory, so that no keychain's wait is measured.
#include "Source/run/Inventory.hpp"
#include "bench/BenchTree.hpp"
#include "tests/keychain/FakeKeychainStore.hpp"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <unistd.h>

namespace {

// The home, made on first use and removed at exit.
class Home {
public:
    static const Home& shared() {
        static const Home home;
        return home;
    }
    Home(const Home&) = delete;
    Home& operator=(const Home&) = delete;
    ~Home() { std::filesystem::remove_all(path_); }

    [[nodiscard]] const std::string& path() const { return path_; }
    [[nodiscard]] std::string data() const {
        return path_ + "/Library/Application Support/com.quillorchid.TavrelOSX";
    }

private:
    Home()
        : path_(tavrel::bench::benchFolder() + "/tavrel-inventory-bench-" +
                std::to_string(getpid())) {
        std::filesystem::create_directories(std::filesystem::path(data()).parent_path());
        tavrel::bench::makeTree(data());
    }
    std::string path_;
};

void ours(benchmark::State& state) {
    tavrel::Roots roots;
    roots.home = roots.applications = Home::shared().path();
    roots.loginItems = roots.home + "/.config/autostart";
    tavrel::testing::FakeKeychainStore keychain;
    for (auto _ : state) {
        const tavrel::Inventory inventory = tavrel::Inventory::take(roots, keychain);
        if (inventory.steps.at(9).traces.empty()) {
            state.SkipWithError("the data folder was not found");
            break;
        }
    }
}

void du(benchmark::State& state) {
    for (auto _ : state) {
        if (!tavrel::bench::runToEnd({"/usr/bin/du", "-s", Home::shared().data()})) {
            state.SkipWithError("du failed");
            break;
        }
    }
}

} // namespace

BENCHMARK(ours)->Name("Inventory100k/ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(du)->Name("Inventory100k/du")->Unit(benchmark::kMillisecond)->UseRealTime();
