// From starting the window (window_probe, which is TavrelUninstaller with a watch) to its plan
// shown, on Qt's offscreen platform: with nothing installed, and with the product planted. No
// keychain can be reached (no session bus), which the plan says at once.
#include "tests/support/TemporaryFolder.hpp"

#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using tavrel::testing::TemporaryFolder;

// Starts the probe under `home` and waits for its byte: the seconds that took, or a negative
// number when it ended without one.
double timeToPlan(const std::string& home) {
    std::array<int, 2> ends{-1, -1};
    if (pipe(ends.data()) != 0) {
        return -1;
    }
    std::string probe = TAVREL_WINDOW_PROBE;
    char* argv[] = {probe.data(), nullptr};
    std::array<std::string, 5> variables{
        "HOME=" + home, "QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + home + "/run",
        "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent", "PATH=/usr/bin:/bin"};
    std::array<char*, 6> environment{variables[0].data(), variables[1].data(), variables[2].data(),
                                     variables[3].data(), variables[4].data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 3);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const bool started =
        posix_spawn(&pid, argv[0], &actions, nullptr, argv, environment.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    char byte = 0;
    const bool shown = started && read(ends[0], &byte, 1) == 1;
    const auto end = std::chrono::steady_clock::now();
    close(ends[0]);
    int status = 0;
    (void)waitpid(pid, &status, 0);
    return shown ? std::chrono::duration<double>(end - start).count() : -1;
}

void measure(benchmark::State& state, bool planted) {
    const TemporaryFolder home;
    tavrel::testing::writeFile(home.path() / "run/.keep", "");
    std::filesystem::permissions(home.path() / "run", std::filesystem::perms::owner_all);
    if (planted) {
        for (const char* file : {"Library/Application Support/com.quillorchid.TavrelOSX/db",
                                 "Library/Preferences/com.quillorchid.TavrelOSX.plist",
                                 "Library/Containers/com.quillorchid.tavrel.macos/Data/file",
                                 "Library/Group Containers/group.com.quillorchid.TavrelOSX/file",
                                 ".local/share/Trash/files/TAVREL.app/Contents/Info.plist",
                                 ".config/com.quillorchid.TavrelOSX/settings"}) {
            tavrel::testing::writeFile(home.path() / file, "x");
        }
        tavrel::testing::writeFile(home.path() / ".config/autostart/tavrel.desktop",
                                   "[Desktop Entry]\nName=Tavrel\n");
    }
    for (auto _ : state) {
        const double seconds = timeToPlan(home.string());
        if (seconds < 0) {
            state.SkipWithError("the probe ended without showing its plan");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

void nothingInstalled(benchmark::State& state) {
    measure(state, false);
}

void everythingPlanted(benchmark::State& state) {
    measure(state, true);
}

} // namespace

BENCHMARK(nothingInstalled)
    ->Name("WindowToPlan/nothingInstalled")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(everythingPlanted)
    ->Name("WindowToPlan/everythingPlanted")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
