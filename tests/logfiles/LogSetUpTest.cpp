// The log set-up in a process of its own, with a temporary home: what start-up prunes and
// writes, and the log file the command line's run leaves.
#include "logging/LogFileInfo.hpp"
#include "tests/logfiles/LogFilesTestSupport.hpp"
#include "tests/support/Sandbox.hpp"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <iomanip>
#include <sstream>

namespace tavrel::logging {
namespace {

using namespace testing;

constexpr std::size_t kNotFound = std::string::npos;

// The time of the first timestamp in the text, in seconds since the epoch: its first fourteen
// digits, yyyyMMddHHmmss, whatever stands between them.
long long secondsOf(const std::string& text) {
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), ::isdigit);
    std::tm time{};
    std::istringstream(digits.substr(0, 14)) >> std::get_time(&time, "%Y%m%d%H%M%S");
    return timegm(&time);
}

TEST(LogSetUpTest, StartUpPrunesTheFolderAndWritesTheBannerOnceInLocalTimeAndToAFileInUtc) {
    const TemporaryFolder home;
    const std::string folder = home.string() + "/Library/Logs/TavrelUninstaller/";
    const auto path = [&](int hour) { return folder + nameAtHour(hour); };
    for (int hour = 1; hour <= 10; ++hour) {
        writeFile(path(hour), "old\n");
        LogFileInfo(path(hour)).setIsArchived(true);
    }
    // Half an hour's offset shows a time zone handled as whole hours; no zone database needed.
    const ProcessRun run = runProcess({TAVREL_LOGFILES_HELPER, "startup", "after the banner"},
                                      homeEnvironment(home.string(), {"TZ=XST-5:30"}));
    ASSERT_EQ(run.status, 0) << run.err;
    // The new file, named last, and the six newest of the old ones.
    const auto files = logFiles(folder);
    ASSERT_EQ(files.size(), 7U);
    EXPECT_EQ(files[0], path(5));
    const std::string name = files.back().filename().string();
    EXPECT_TRUE(hasShape(name, "com.quillorchid.TavrelUninstaller 0000-00-00--00-00-00-000.log"))
        << name;
    const std::string text = readFile(files.back());
    const Lines written = logMessages(text);
    EXPECT_TRUE(written.at(1).starts_with("Linux: ") && written[1].size() > 7) << text;
    const std::string stars(61, '*');
    EXPECT_EQ(written, (Lines{stars, written[1],
                              std::string("TavelUninstaller: ") + TAVREL_PROJECT_VERSION + " (" +
                                  TAVREL_BUILD_NUMBER + ")",
                              stars, "after the banner"}));

    // The terminal shows the same lines after a prefix of its own, and the warning once.
    Lines terminal;
    for (const std::string& line : splitLines(run.err)) {
        if (line.find(" logfiles_helpe") == 23 && line.find("] ") != kNotFound) {
            terminal.push_back(line.substr(line.find("] ") + 2));
        }
    }
    const std::string terminalStamp = run.err.substr(run.err.find(" logfiles_helpe") - 23, 23);
    EXPECT_EQ(terminal, written) << run.err; // the debug line in neither
    const auto warning = run.err.find("Warning: Usage of TTYLogger");
    EXPECT_TRUE(warning != kNotFound && warning == run.err.rfind("Warning: Usage of TTYLogger"));

    // One record, two clocks: the terminal's local time is 5:30 ahead of the file's UTC. The
    // file was named in UTC too, when the logger's first setting opened it, on its own queue:
    // a moment before or after the banner's record was stamped, across a second's end maybe.
    EXPECT_EQ(secondsOf(terminalStamp) - secondsOf(text), 5 * 3600 + 30 * 60)
        << terminalStamp << " vs " << text;
    EXPECT_EQ(terminalStamp.substr(19, 4), text.substr(19, 4)); // milliseconds
    EXPECT_LE(std::abs(secondsOf(text) - secondsOf(name)), 5) << name << " vs " << text;
}

#ifdef TAVREL_CLI_PROGRAM
TEST(LogSetUpTest, TheCommandLinesRunLeavesALogFileOfWellFormedLines) {
    TAVREL_SKIP_WITHOUT_SANDBOX();
    const TemporaryFolder home;
    const ProcessRun run =
        Sandbox().run({TAVREL_CLI_PROGRAM, "--yes"}, homeEnvironment(home.string()));
    EXPECT_EQ(run.status, 1) << run.err; // without a session bus the keychain step fails
    const auto files = logFiles(home.string() + "/Library/Logs/TavrelUninstaller");
    ASSERT_EQ(files.size(), 1U);
    const Lines written = logMessages(readFile(files[0]));
    ASSERT_GE(written.size(), 5U);
    for (const std::string& message : written) {
        EXPECT_FALSE(message.starts_with("<")) << message;
    }
}
#endif

} // namespace
} // namespace tavrel::logging
