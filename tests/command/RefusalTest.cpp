// Runs that remove nothing: no usable home, no one to confirm, a question answered no, a dry run,
// a running product application, no process list to tell; each says why.
#include "tests/command/CommandTest.hpp"

using namespace tavrel::testing;
using RefusalTest = CommandTest;

TEST_F(RefusalTest, RefusalsRemoveNothingAndSaySo) {
    plantEverything();
    const fs::path tavrel = plantApplication(homeFolder_.path() / "X.app");
    // The home and /Applications as they are: every entry's type, permissions and content; the
    // log folder only where the run must not write one either.
    const auto listing = [&](bool withLogs) {
        std::string text;
        for (const fs::path& root : {homeFolder_.path(), applications_.path()}) {
            for (const auto& entry : fs::recursive_directory_iterator(root)) {
                const auto status = fs::symlink_status(entry.path());
                if (withLogs || !entry.path().string().starts_with(library("Logs"))) {
                    text += entry.path().string() + " " +
                            std::to_string(static_cast<int>(status.type())) + " " +
                            std::to_string(static_cast<int>(status.permissions())) + " " +
                            (fs::is_regular_file(status) ? readFile(entry.path()) : "") + "\n";
                }
            }
        }
        return text;
    };
    const std::string cli = TAVREL_UNINSTALL;
    struct Case {
        const char* name;
        Lines command;
        int status;
        std::string says;      // on standard error or output
        std::string home = {}; // the temporary home when none
    };
    const std::vector<Case> cases{
        {"home is the root folder", {cli, "--yes"}, 1, "no usable home folder", "/"},
        {"home spelled as root", {cli, "--yes"}, 1, "no usable home folder", "//."},
        {"home relative", {cli, "--yes"}, 1, "no usable home folder", "relative/home"},
        {"home missing", {cli, "--yes"}, 1, "no usable home folder", home_ + "/absent"},
        {"no home, as JSON", {cli, "--yes", "--json"}, 1, "\"home\":null,\"dryRun\":false", "/"},
        {"no terminal and no --yes", {cli}, 64, "--yes"},
        {"a terminal, answered no", {"script", "-qec", cli, "/dev/null"}, 0, "OSX\r\nRemove"},
        {"a dry run, even with --yes", {cli, "--yes", "--dry-run"}, 0, "Dry run: nothing"},
        {"no process list to tell whether Tavrel runs",
         {"/bin/sh", "-c", "mount -t tmpfs none /proc && exec \"$0\" --yes", cli},
         1,
         "cannot tell whether Tavrel is running. \u201cproc\u201d"},
        {"an unknown option", {cli, "--frobnicate"}, 64, "frobnicate"},
        {"the version", {cli, "--version"}, 0, "tavrel-uninstall " TAVREL_VERSION "\n"},
        {"a running product application",
         {script("while-running.sh"), tavrel.string(), cli},
         2,
         "Tavrel is running. Quit Tavrel and try again. Nothing was removed."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        // No session bus named: nothing may make one, not even ~/.cache.
        Lines environment =
            homeEnvironment(home_, {"HOME=" + (test.home.empty() ? home_ : test.home)});
        std::erase_if(environment, [](const std::string& variable) {
            return variable.starts_with("DBUS_SESSION_BUS_ADDRESS=");
        });
        // What ends well without removing anything writes nothing, not even a log.
        const std::string before = listing(test.status == 0);
        const ProcessRun run =
            Sandbox().applications(applications_.string()).run(test.command, environment);
        EXPECT_EQ(run.status, test.status) << run.out << run.err;
        EXPECT_THAT(run.err + run.out, HasSubstr(test.says));
        EXPECT_THAT(run.err, Not(HasSubstr("[1/20]"))); // no step started
        EXPECT_EQ(listing(test.status == 0), before);
    }
}
