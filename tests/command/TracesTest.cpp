// Every kind of trace on a real keyring with real helpers: listed by a dry run, removed, verified
// by the inventory after the run, and in the JSON report; what is found after a run fails it.
#include "tests/command/CommandTest.hpp"

using namespace tavrel::testing;
using TracesTest = CommandTest;

TEST_F(TracesTest, EveryKindOfTraceIsListedRemovedAndVerifiedAndASurvivorFailsTheRun) {
    plantEverything();
    const TemporaryFolder work; // the helpers' programs, where another user can reach them too
    fs::permissions(work.path(), static_cast<fs::perms>(0755));
    fs::create_directory(work.path() / "parent");
    fs::copy_file("/bin/sh", work.path() / "parent/brolt");
    const ProcessRun run =
        uninstall({}, Sandbox(), Output::collected,
                  {TAVREL_PRIVATE_KEYRING, (work.path() / "parent/brolt").string(),
                   script("traces.sh"), work.string(), TAVREL_UNINSTALL});
    const Lines out = splitLines(run.out);
    ASSERT_EQ(out.size(), 8U) << run.out << run.err; // the helpers only named alike, and another
    EXPECT_EQ(Lines(out.begin() + 3, out.end()),     // user's, still run
              (Lines{"dry 0", "run 0", "again 0", "ask 0", "twice 1"}))
        << run.err;

    // The dry run lists every trace, each of its step (on standard error, as it wrote JSON);
    // keychain items as the removal's rules take them.
    Lines dry{"Found on this account:", stepLine(1, "2 keychain items of \"Tavrel\"")};
    for (const char* service :
         {"KVTOAuthCredentialService", "Tavrel Device Restriction", "Tavrel Credential"}) {
        dry.push_back(stepLine(1, std::string("1 keychain item of \"") + service + "\""));
    }
    dry.push_back(stepLine(2, "login item com.quillorchid.TavrelOSXLauncher (switched on)"));
    dry.push_back(stepLine(4, "login item \"Tavrel\""));
    for (int step = 5; step <= 7; ++step) {
        dry.push_back(stepLine(step, std::string("helper process ") + kHelpers.at(step - 5) +
                                         " (pid " + out[step - 5] + ")")); // nor our own shell
    }
    int step = 8;
    for (const auto& [path, inside] : planted()) {
        dry.push_back(stepLine(step++, path + " (1 byte, 1 file)"));
    }
    dry.insert(dry.end(), {stepLine(20, "user defaults com.quillorchid.TavrelOSX"),
                           "Dry run: nothing was removed."});
    EXPECT_EQ(splitLines(readFile(work.path() / "dry.txt")), dry);

    // The dry run removed nothing: the run found the same; then it removed and verified all.
    const Json dryReport = Json::parse(readFile(work.path() / "dry.json"));
    const Json report = Json::parse(readFile(work.path() / "run.json"));
    const Json again = Json::parse(readFile(work.path() / "again.json"));
    for (const Json* document : {&dryReport, &report, &again}) {
        expectDocumented(*document);
    }
    EXPECT_TRUE(dryReport["dryRun"] && report["exitStatus"] == 0 && again["exitStatus"] == 0);
    for (std::size_t index = 0; index < 20; ++index) {
        const Json& found = dryReport["steps"][index]["found"];
        EXPECT_EQ(report["steps"][index]["found"], found) << index + 1;
        EXPECT_EQ(dryReport["steps"][index]["remaining"], found) << index + 1;
        EXPECT_EQ(report["steps"][index]["remaining"], nothing()) << index + 1;
        EXPECT_EQ(again["steps"][index]["found"], nothing()) << index + 1;
        for (const Json& result : report["steps"][index]["results"]) {
            EXPECT_NE(result["status"], "failed") << result;
        }
    }
    EXPECT_EQ(report["steps"][0]["found"]["traces"][0],
              Json({{"kind", "keychainItems"}, {"name", "Tavrel"}, {"items", 2}}));
    for (std::size_t index : {4, 5, 6}) { // helpers stopped by the whole name, also when deleted
        EXPECT_EQ(report["steps"][index]["results"][0]["status"], "removed");
    }
    // Progress lines only: no log line, no line claiming a removal.
    const std::string err = readFile(work.path() / "run.err");
    EXPECT_EQ(count(err, "/20] "), 20U) << err;
    EXPECT_EQ(count(err, "done"), 0U) << err;

    // A file where the bundle should be is no trace, and is left alone.
    EXPECT_EQ(again["steps"][7]["results"][0]["status"], "leftInPlace");
    EXPECT_EQ(readFile(app("TAVREL.app")), "x\n");
    // A terminal with nothing to remove is told so and asked nothing.
    EXPECT_EQ(readFile(work.path() / "ask.txt"),
              "Nothing of Tavrel was found on this account.\r\n");
    // Of two login items named Tavrel one goes: the other is found after a step that succeeded.
    // On a terminal each progress line replaces the one before, and the last is cleared.
    const std::string twice = readFile(work.path() / "twice.txt");
    EXPECT_THAT(twice,
                HasSubstr("\r\033[K[20/20] Reset user defaults\r\033[K" + stepLine(1, "not found") +
                          "     keychain items of \"Tavrel\"\r\n"));
    EXPECT_THAT(twice, HasSubstr("Still there after the run:\r\n" +
                                 stepLine(4, "login item \"Tavrel\"\r\n") +
                                 "Tavrel was not completely removed. Still there: login item "
                                 "\"Tavrel\" (found after step 4); /Applications/TAVREL.app (not "
                                 "a folder, left alone)."));
}
