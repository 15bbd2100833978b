// Ctrl-C during a run: it stops before the next step, says what was not run and what is still
// there, and ends by that signal.
#include "tests/command/CommandTest.hpp"

using namespace tavrel::testing;
using StopTest = CommandTest;

TEST_F(StopTest, CtrlCStopsTheRunBeforeTheNextStepReportsItAndEndsByTheSignal) {
    plantEverything();
    const TemporaryFolder work;
    const ProcessRun run = uninstall({work.string(), TAVREL_UNINSTALL}, Sandbox(),
                                     Output::collected, {script("stop.sh")});
    EXPECT_EQ(run.out, "status 130\n") << run.err;
    const std::string err = readFile(work.path() / "err.txt");
    EXPECT_THAT(err, HasSubstr("\nStopped at your request: steps 8 to 20 were not run.\n"));
    EXPECT_THAT(err, HasSubstr("Still there after the run:\n" +
                               stepLine(1, std::string("cannot be looked at: ") + kUnreachable) +
                               "\n" + stepLine(8, "/Applications/TAVREL.app (1 byte, 1 file)\n")));
    const Json report = Json::parse(readFile(work.path() / "report.json"));
    expectDocumented(report);
    EXPECT_EQ(report["error"], "Stopped at your request before step 8.");
    EXPECT_EQ(report["exitStatus"], 1);
    EXPECT_EQ(report["steps"][6]["results"][0]["status"], "removed"); // the helper was killed
    for (std::size_t index = 7; index < 20; ++index) {
        const Json& step = report["steps"][index];
        EXPECT_EQ(step["results"], Json::array()) << index + 1;
        EXPECT_EQ(step["remaining"], step["found"]) << index + 1;
    }
    for (const auto& [path, inside] : planted()) {
        EXPECT_TRUE(fs::exists(onHost(path))) << path;
    }
    EXPECT_FALSE(fs::exists(loginItem_));
}
