// A whole run: what it removes and leaves, its progress lines, log, summary and exit status, also
// when no keychain can be reached (the tests never have the user's session bus).
#include "tests/command/CommandTest.hpp"

using namespace tavrel::testing;

namespace {

constexpr const char* kNoKeychain =
    "No keychain is available. You may need to restart your computer.";
constexpr std::array<const char*, 6> kServices{"Tavrel",
                                               "KVTOAuthCredentialService",
                                               "AFOAuthCredentialService",
                                               "Tavrel Device Restriction",
                                               "com.quillorchid.tavrel.macos",
                                               "Tavrel Credential"};

class RunTest : public CommandTest {
protected:
    // The messages of the terminal logger's lines ("<date> <time> name[pid:tid] message"), from
    // the first job's banner on (log set-up writes its own banner before).
    static Lines logMessages(const ProcessRun& run) {
        Lines messages;
        for (const std::string& line : splitLines(run.err)) {
            const auto bracket = line.find("] ");
            if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])) != 0 &&
                bracket != std::string::npos &&
                (!messages.empty() || line.find("] ----- ") == bracket)) {
                messages.push_back(line.substr(bracket + 2));
            }
        }
        return messages;
    }

    // The log of a run in which every item is there (true) or none is (false): three listings
    // fail, the fourth service's lookup fails and ends the job.
    [[nodiscard]] Lines expectedLog(bool present) const {
        Lines lines{"----- Delete Keychain Item -----"};
        for (std::size_t index = 0; index < 4; ++index) {
            lines.push_back(std::string("service: ") + kServices.at(index));
        }
        lines.insert(lines.end(),
                     {std::string("SecItemCopyMatching. OSStatus error:[-25291] ") + kNoKeychain,
                      "[KeychainUtility] failed to delete keychain items of Tavrel Device "
                      "Restriction. " +
                          std::string(kNoKeychain),
                      "----- Disable Login Item -----", "\"TAVREL\" not found",
                      "----- Disable Login Item -----", present ? "done" : "\"Tavrel\" not found"});
        for (const std::string helper : kHelpers) {
            lines.insert(lines.end(), {"----- Kill " + helper + " process -----",
                                       "NSAppleScript.errorNumberr: 1",
                                       "NSAppleScript.errorMessage: The command exited with a "
                                       "non-zero status."});
        }
        const auto items = planted();
        for (std::size_t index = 0; index + 1 < items.size(); ++index) {
            const fs::path path = items[index].first;
            if (index < 2) {
                lines.emplace_back("----- Remove App Bundle -----");
            } else {
                const std::string kind = path.parent_path().filename();
                lines.insert(lines.end(), {"----- Remove \"" + kind + "\" -----", path.filename()});
            }
            lines.push_back(present ? "done" : "\"" + path.string() + "\" does not exist.");
        }
        lines.insert(lines.end(), {"----- Reset UserDefaults -----", "done"});
        return lines;
    }

    // The whole summary of a run in which every step found `status`, step 2 `launcher`.
    [[nodiscard]] Lines expectedSummary(const std::string& status, const std::string& launcher,
                                        const std::string& trashSubject) const {
        Lines lines(3, std::string("OSStatus error:[-25291] ") + kNoKeychain);
        for (const std::string service : kServices) {
            lines.push_back(summaryLine(1, "FAILED", "keychain items of \"" + service + "\""));
            lines.push_back(std::string("         ") + kUnreachable);
        }
        lines.insert(lines.end(), {summaryLine(2, launcher, "com.quillorchid.TavrelOSXLauncher"),
                                   summaryLine(3, "not found", "login item \"TAVREL\""),
                                   summaryLine(4, status, "login item \"Tavrel\"")});
        for (int step = 5; step <= 7; ++step) {
            lines.push_back(summaryLine(step, "not found",
                                        std::string("helper process ") + kHelpers.at(step - 5)));
        }
        int step = 8;
        for (const auto& [path, inside] : planted()) {
            lines.push_back(summaryLine(step, status, step == 19 ? trashSubject : path));
            ++step;
        }
        lines.insert(lines.end(),
                     {summaryLine(20, "cleared", "user defaults"), "Still there after the run:",
                      stepLine(1, std::string("cannot be looked at: ") + kUnreachable),
                      stillThere()});
        return lines;
    }
};

} // namespace

TEST_F(RunTest, OneRunRemovesTheWholeProductLeavesNeighboursAloneAndSaysSo) {
    // Nothing there, not even a Trash folder or a launcher entry: nothing is made up, and
    // standard error holds one progress line per step and nothing else.
    ProcessRun run = uninstall({"--yes"});
    EXPECT_EQ(splitLines(run.out),
              expectedSummary("not found", "not found", "TAVREL.app in the Trash"));
    EXPECT_FALSE(fs::exists(trash_) || fs::exists(autostart_.parent_path()));
    EXPECT_EQ(splitLines(run.err).size(), 20U) << run.err;
    EXPECT_EQ(splitLines(run.err)[6], "[7/20] Kill TavrelFileProvider");
    // On a terminal, the keychain's status lines never land inside a progress line.
    run = uninstall({}, Sandbox(), Output::collected,
                    {"script", "-qec", std::string(TAVREL_UNINSTALL) + " --yes", "/dev/null"});
    EXPECT_THAT(run.out, HasSubstr("\r\033[K[1/20] Delete keychain items\r\033[KOSStatus error:"));

    plantEverything();
    const std::vector<fs::path> neighbours{
        app("Other.app/Contents/Info.plist"), library("Preferences/com.quillorchid.Other.plist"),
        trash_ / "files/Tavrel.app/Contents/Info.plist", trash_ / "info/Tavrel.app.trashinfo"};
    for (const fs::path& neighbour : neighbours) {
        writeFile(neighbour, "other");
    }
    run = uninstall({"--yes", "--verbose"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(logMessages(run), expectedLog(true)) << run.err;
    EXPECT_EQ(splitLines(run.out), expectedSummary("removed", "switched off", trashItem_));
    EXPECT_EQ(count(run.err, "Warning: Usage of TTYLogger"), 1U) << run.err;
    EXPECT_FALSE(fs::exists(trash_ / "info/TAVREL.app.trashinfo") || fs::exists(loginItem_) ||
                 fs::exists(defaults_));
    EXPECT_NE(readFile(autostart_).find("Hidden=true"), std::string::npos);
    for (const fs::path& neighbour : neighbours) {
        EXPECT_EQ(readFile(neighbour), "other") << neighbour;
    }

    // Again, with nothing left, on a bus with no Secret Service, then with one that never
    // answers: every path is logged as missing, and step 2 says the launcher is already off.
    for (const char* secretService : {"--secret-service=none", "--secret-service=silent"}) {
        run = uninstall({"--yes", "--verbose"}, Sandbox(), Output::collected,
                        {TAVREL_PRIVATE_KEYRING, secretService, TAVREL_UNINSTALL});
        EXPECT_EQ(run.status, 1) << run.out << run.err;
        EXPECT_EQ(logMessages(run), expectedLog(false)) << secretService << "\n" << run.err;
        EXPECT_EQ(splitLines(run.out), expectedSummary("not found", "already off", trashItem_))
            << secretService;
    }
}

TEST_F(RunTest, AReadOnlyHomeOrAClosedPipeNeitherFloodsNorStopsTheRun) {
    plantEverything();
    ProcessRun run = uninstall({"--yes", "--verbose"}, Sandbox().readOnly(home_));
    EXPECT_EQ(run.status, 1) << run.out << run.err; // nothing under the home can go
    // Each log line fails the same way; each kind of failure is shown once, then counted.
    EXPECT_LE(count("\n" + run.err, "\ntavrel-uninstall["), 20U) << run.err;
    EXPECT_THAT(run.err, HasSubstr("similar lines not shown]"));
    EXPECT_THAT(run.err, HasSubstr("] ----- Remove App Bundle -----"));
    EXPECT_FALSE(fs::exists(app("TAVREL.app")));

    // A closed pipe stops neither the run, also in the middle of a large tree, nor changes its
    // exit status.
    for (int index = 0; index < 2000; ++index) {
        writeFile(app("TAVREL.app/Contents/Resources/file" + std::to_string(index)), "x");
    }
    plantEverything();
    run = uninstall({"--yes", "--verbose"}, Sandbox(), Output::closedPipe);
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(app("TAVREL.app")) || fs::exists(trash_ / "files/TAVREL.app") ||
                 fs::exists(library("Group Containers/group.com.quillorchid.tavrel.macos")));
}
