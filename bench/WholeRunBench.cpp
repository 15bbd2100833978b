// The whole command-line run as a process, `tavrel-uninstall --yes` under a temporary home: with
// nothing installed, and with everything planted (bundles, data, Trash, login items, defaults and
// the three helpers running). Each run is in the test sandbox, with its own /Applications and
// its own processes, so that nothing real is removed or stopped; the sandbox alone is measured
// too, to be subtracted.
#include <benchmark/benchmark.h>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A fresh folder, removed with its content at the end.
class Folder {
public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "tavrel-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw fs::filesystem_error("mkdtemp", std::error_code(errno, std::generic_category()));
        }
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    [[nodiscard]] const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void plant(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "[Desktop Entry]\nName=Tavrel\n";
}

// Runs the command with its output thrown away; its exit status.
int run(std::vector<std::string> argv, std::vector<std::string> environment) {
    std::vector<char*> arguments;
    arguments.reserve(argv.size() + 1);
    for (std::string& argument : argv) {
        arguments.push_back(argument.data());
    }
    arguments.push_back(nullptr);
    std::vector<char*> variables;
    variables.reserve(environment.size() + 1);
    for (std::string& variable : environment) {
        variables.push_back(variable.data());
    }
    variables.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned =
        posix_spawn(&pid, arguments[0], &actions, nullptr, arguments.data(), variables.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    while (spawned == 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return spawned == 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class WholeRun {
public:
    WholeRun() { fs::create_directories(helpers_.path()); }

    // Everything the run removes, and copies of sleep named like the helpers.
    void plantEverything() const {
        const fs::path library = home_.path() / "Library";
        const fs::path config = home_.path() / ".config";
        for (const fs::path& file :
             {applications_.path() / "TAVREL.app/Contents/MacOS/TAVREL",
              applications_.path() / "Tavrel.app/Contents/Info.plist",
              library / "Application Support/com.quillorchid.TavrelOSX/db",
              library / "Preferences/com.quillorchid.TavrelOSX.plist",
              library / "Preferences/com.quillorchid.TavrelAuthenticator.plist",
              library / "Preferences/com.quillorchid.tavrel.macos.plist",
              library / "Containers/com.quillorchid.TavrelOSX.FinderSync/Data/file",
              library / "Containers/com.quillorchid.TavrelOSXLauncher/Data/file",
              library / "Containers/com.quillorchid.tavrel.macos/Data/file",
              library / "Group Containers/group.com.quillorchid.TavrelOSX/file",
              library / "Group Containers/group.com.quillorchid.tavrel.macos/file",
              home_.path() / ".local/share/Trash/files/TAVREL.app/Contents/Info.plist",
              home_.path() / ".local/share/Trash/info/TAVREL.app.trashinfo",
              config / "autostart/com.quillorchid.TavrelOSXLauncher.desktop",
              config / "autostart/tavrel.desktop", config / "com.quillorchid.TavrelOSX/settings"}) {
            plant(file);
        }
        for (const char* helper : {"brolt", "TavrelFinderSync", "TavrelFileProvider"}) {
            fs::copy_file("/bin/sleep", helpers_.path() / helper, fs::copy_options::skip_existing);
        }
    }

    // Runs `command` in the sandbox; with `helpers`, after starting the three helpers there.
    int inSandbox(const std::vector<std::string>& command, bool helpers) const {
        std::vector<std::string> argv{TAVREL_SANDBOX_PROGRAM, "--applications",
                                      applications_.path().string(), "--own-processes", "--"};
        if (helpers) {
            argv.insert(argv.end(),
                        {"/bin/sh", "-c",
                         "for n in brolt TavrelFinderSync TavrelFileProvider; do\n"
                         "  \"$0/$n\" 60 & p=$!\n"
                         "  until [ \"$(readlink /proc/$p/exe)\" = \"$0/$n\" ]; do :; done\n"
                         "done\n"
                         "exec \"$@\"",
                         helpers_.path().string()});
        }
        argv.insert(argv.end(), command.begin(), command.end());
        const std::string home = home_.path().string();
        return run(argv, {"PATH=/usr/local/bin:/usr/bin:/bin", "HOME=" + home,
                          "XDG_CONFIG_HOME=" + home + "/.config",
                          "XDG_DATA_HOME=" + home + "/.local/share",
                          "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"});
    }

private:
    Folder home_;
    Folder applications_;
    Folder helpers_;
};

void measure(benchmark::State& state, const std::vector<std::string>& command, bool planted,
             int expected) {
    const WholeRun whole;
    for (auto _ : state) {
        if (planted) {
            state.PauseTiming();
            whole.plantEverything();
            state.ResumeTiming();
        }
        // No keychain can be reached in there, which the command reports with status 1.
        if (const int status = whole.inSandbox(command, planted); status != expected) {
            state.SkipWithError(("exit status " + std::to_string(status)).c_str());
            break;
        }
    }
}

void sandboxAlone(benchmark::State& state) {
    measure(state, {"/bin/true"}, false, 0);
}

void nothingInstalled(benchmark::State& state) {
    measure(state, {TAVREL_UNINSTALL, "--yes"}, false, 1);
}

void everythingPlanted(benchmark::State& state) {
    measure(state, {TAVREL_UNINSTALL, "--yes"}, true, 1);
}

} // namespace

BENCHMARK(sandboxAlone)->Name("WholeRun/sandboxAlone");
BENCHMARK(nothingInstalled)->Name("WholeRun/nothingInstalled");
BENCHMARK(everythingPlanted)->Name("WholeRun/everythingPlanted");
