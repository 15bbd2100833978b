// --all-users, run by root over the sandbox's own account database, never the machine's.
#include "tests/command/CommandTest.hpp"

#include <sys/stat.h>
#include <unistd.h>

using namespace tavrel::testing;
using AllUsersTest = CommandTest;

TEST_F(AllUsersTest, EveryAccountIsRunWithItsOwnRightsAndTheSharedBundlesWaitForAllOfThem) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "a run for every account needs root: it takes each account's uid";
    }
    // Three accounts: alice with everything planted and a helper running, bob whose traces are
    // links into alice's home and to /etc, carol for whom Tavrel runs.
    const TemporaryFolder work;
    fs::permissions(work.path(), static_cast<fs::perms>(0755)); // the accounts reach the program
    const fs::path homes = work.path() / "homes";
    const std::string uninstaller = install(work.path() / "prefix");
    std::string passwd =
        "root:x:0:0:root:/root:/bin/sh\ndaemon:x:1:1::/usr/sbin:/usr/sbin/nologin\n";
    std::string group = "root:x:0:\n";
    for (const auto& [user, id] :
         {std::pair{"alice", "2001"}, {"bob", "2002"}, {"carol", "2003"}}) {
        passwd += std::string(user) + ":x:" + id + ":" + id + "::" + (homes / user).string() +
                  ":/bin/sh\n";
        group += std::string(user) + ":x:" + id + ":\n";
    }
    writeFile(work.path() / "passwd", passwd);
    writeFile(work.path() / "group", group);
    const auto library = [&](const std::string& user, const std::string& rest) {
        return homes / user / "Library" / rest;
    };
    const std::vector<fs::path> alicesTraces{
        library("alice", "Application Support/com.quillorchid.TavrelOSX/db"),
        library("alice", "Preferences/com.quillorchid.TavrelAuthenticator.plist"),
        library("alice", "Group Containers/group.com.quillorchid.TavrelOSX/file"),
        homes / "alice/.local/share/Trash/files/TAVREL.app/Contents/Info.plist",
        homes / "alice/.config/autostart/tavrel.desktop",
        homes / "alice/.config/com.quillorchid.TavrelOSX/settings"};
    for (const fs::path& trace : alicesTraces) {
        writeFile(trace,
                  trace.filename() == "tavrel.desktop" ? "[Desktop Entry]\nName=Tavrel\n" : "x");
    }
    writeFile(homes / "alice/keep/file", "alice's");
    fs::permissions(homes / "alice/keep", fs::perms::all); // only a walk through bob's link
    const fs::path bobsLinks[] = {
        library("bob", "Application Support/com.quillorchid.TavrelOSX"),
        library("bob", "Containers/com.quillorchid.TavrelOSX.FinderSync")};
    fs::create_directories(bobsLinks[1].parent_path());
    fs::create_directories(bobsLinks[0].parent_path());
    fs::create_directory_symlink(homes / "alice/keep", bobsLinks[0]);
    fs::create_directory_symlink("/etc", bobsLinks[1]);
    const fs::path carolsTrace = library("carol", "Preferences/com.quillorchid.TavrelOSX.plist");
    writeFile(carolsTrace, "x");
    const fs::path tavrel = plantApplication(work.path() / "Tavrel.app");
    fs::copy_file("/bin/sleep", work.path() / "brolt");
    for (const auto& [user, id] : {std::pair{"alice", 2001}, {"bob", 2002}, {"carol", 2003}}) {
        for (const auto& item : fs::recursive_directory_iterator(homes / user)) {
            ASSERT_EQ(lchown(item.path().c_str(), id, id), 0) << item;
        }
        ASSERT_EQ(chown((homes / user).c_str(), id, id), 0);
        // Others may pass through, as on many machines, so that bob's link leads somewhere.
        fs::permissions(homes / user, fs::perms::owner_all | fs::perms::others_exec);
    }
    writeFile(app("TAVREL.app/Contents/Info.plist"), "x");

    const ProcessRun run = Sandbox()
                               .applications(applications_.string())
                               .bind(work.string() + "/passwd", "/etc/passwd")
                               .bind(work.string() + "/group", "/etc/group")
                               .run({script("all-users.sh"), work.string(), uninstaller,
                                     tavrel.string(), carolsTrace.string()},
                                    {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "HOME=/root"});
    EXPECT_EQ(splitLines(run.out), (Lines{"not root 64", "named 1", "running 2",
                                          "carol's and the shared stay", "quit 1"}))
        << run.err;
    EXPECT_THAT(run.err, HasSubstr("--all-users is for root alone"));

    // Named accounts: one unknown, one outside the login range; nothing removed in a dry run.
    const auto outcomes = [](const Json& report) {
        Lines lines;
        for (const Json& account : report["accounts"]) {
            lines.push_back(account.value("user", "") + " " + account.value("outcome", ""));
        }
        return lines;
    };
    const Json named = Json::parse(readFile(work.path() / "named.json"));
    expectDocumented(named, "allUsers");
    EXPECT_EQ(outcomes(named), (Lines{"alice dryRun", "nobody notFound", "daemon notEligible"}));
    EXPECT_EQ(named["accounts"][0]["remains"].size(), alicesTraces.size() + 1) << named; // + brolt

    // While Tavrel runs for carol: alice and bob are run, carol and the bundles are left whole.
    const Json running = Json::parse(readFile(work.path() / "running.json"));
    expectDocumented(running, "allUsers");
    ASSERT_EQ(outcomes(running),
              (Lines{"alice keychainNotLookedAt", "bob keychainNotLookedAt", "carol running"}));
    for (const Json& account : {running["accounts"][0], running["accounts"][1]}) {
        EXPECT_EQ(account["keychainLookedAt"], false);
        EXPECT_EQ(account["remains"], Json::array());
        expectDocumented(account["report"]);
        EXPECT_EQ(account["report"]["steps"].size(), 18U); // all but the shared steps
    }
    EXPECT_THAT(running["accounts"][2]["error"].get<std::string>(), HasSubstr("is running"));
    EXPECT_EQ(running["accounts"][2]["remains"][0]["name"], carolsTrace.string());
    EXPECT_THAT(running["shared"]["error"].get<std::string>(), HasSubstr("running for carol"));
    EXPECT_EQ(running["shared"]["steps"][0]["remaining"]["traces"][0]["name"],
              "/Applications/TAVREL.app");
    for (const fs::path& trace : alicesTraces) {
        EXPECT_FALSE(fs::exists(trace)) << trace;
    }
    for (const fs::path& link : bobsLinks) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << link;
    }
    EXPECT_EQ(readFile(homes / "alice/keep/file"), "alice's");
    EXPECT_TRUE(fs::exists("/etc/passwd"));
    // Each run wrote its log as its own account.
    for (const auto& [user, id] : {std::pair{"alice", 2001U}, {"bob", 2002U}}) {
        for (const auto& log : fs::directory_iterator(library(user, "Logs/TavrelUninstaller"))) {
            struct stat status {};
            EXPECT_EQ(stat(log.path().c_str(), &status) == 0 ? status.st_uid : 0U, id) << log;
        }
    }

    // Once it has quit, carol's traces go, then the bundles; only the keychains were not seen.
    const Json quit = Json::parse(readFile(work.path() / "quit.json"));
    expectDocumented(quit, "allUsers");
    EXPECT_EQ(outcomes(quit), (Lines{"alice keychainNotLookedAt", "bob keychainNotLookedAt",
                                     "carol keychainNotLookedAt"}));
    EXPECT_EQ(quit["shared"]["error"], nullptr);
    EXPECT_EQ(quit["shared"]["remains"], Json::array());
    EXPECT_EQ(quit["shared"]["steps"][0]["results"][0]["status"], "removed");
    EXPECT_FALSE(fs::exists(carolsTrace));
    EXPECT_FALSE(fs::exists(app("TAVREL.app")));
}
