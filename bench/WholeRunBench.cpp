// The whole command-line run as a process, `tavrel-uninstall --yes` under a temporary home: with
// nothing installed, and with everything planted (bundles, data, Trash, login items, defaults and
// the three helpers running). Each run is in the test sandbox, with its own /Applications and
// its own processes, so that nothing real is removed or stopped; the sandbox alone is measured
// too, to be subtracted.
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tavrel::testing::TemporaryFolder;

void plant(const fs::path& file) {
    tavrel::testing::writeFile(file, "[Desktop Entry]\nName=Tavrel\n");
}

class WholeRun {
public:
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
    [[nodiscard]] int inSandbox(const std::vector<std::string>& command, bool helpers) const {
        std::vector<std::string> argv;
        if (helpers) {
            argv.insert(argv.end(), {"/bin/sh", "-c",
                                     "for n in brolt TavrelFinderSync TavrelFileProvider; do\n"
                                     "  \"$0/$n\" 60 & p=$!\n"
                                     "  until [ \"$(readlink /proc/$p/exe)\" = \"$0/$n\" ]; do\n"
                                     "    [ -e /proc/$p ] || exit 9\n"
                                     "  done\n"
                                     "done\n"
                                     "exec \"$@\"",
                                     helpers_.path().string()});
        }
        argv.insert(argv.end(), command.begin(), command.end());
        return tavrel::testing::Sandbox()
            .applications(applications_.string())
            .run(argv, tavrel::testing::homeEnvironment(home_.string()))
            .status;
    }

private:
    TemporaryFolder home_;
    TemporaryFolder applications_;
    TemporaryFolder helpers_;
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
