// The tavrel-uninstall command end to end, in a sandbox with its own /Applications and a
// temporary home: what it finds, removes and leaves, what it says, its report and exit statuses.
#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace fs = std::filesystem;
using Json = nlohmann::json;
using tavrel::testing::Output;
using tavrel::testing::ProcessRun;
using tavrel::testing::readFile;
using tavrel::testing::Sandbox;
using tavrel::testing::splitLines;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;
using Lines = std::vector<std::string>;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// NOLINTBEGIN(cert-err58-cpp): a failure to build them at start-up ends the program, rightly
const Lines kPreferenceIDs{"com.quillorchid.TavrelOSX", "com.quillorchid.TavrelAuthenticator",
                           "com.quillorchid.tavrel.macos"};
const Lines kContainerIDs{"com.quillorchid.TavrelOSX.FinderSync",
                          "com.quillorchid.TavrelOSXLauncher", "com.quillorchid.tavrel.macos"};
const Lines kGroupIDs{"group.com.quillorchid.TavrelOSX", "group.com.quillorchid.tavrel.macos"};
const Lines kServices{"Tavrel",
                      "KVTOAuthCredentialService",
                      "AFOAuthCredentialService",
                      "Tavrel Device Restriction",
                      "com.quillorchid.tavrel.macos",
                      "Tavrel Credential"};
const Json kNothing = Json::parse(R"({"traces": [], "unavailable": null})");
const Lines kHelpers{"brolt", "TavrelFinderSync", "TavrelFileProvider"};
const std::string kNoKeychain = "No keychain is available. You may need to restart your computer.";
const std::string kUnreachable = "No keychain could be reached: run again in your desktop "
                                 "session, where your keyring runs.";
// The README's field list: the fields of each kind of object in the report, each with the JSON
// types it may have, then what its items are; a trace's fields follow its kind.
const Json kDocumented = Json::parse(R"({
  "report": {"tool": "string", "version": "string", "user": "string", "home": "string null",
             "dryRun": "boolean", "error": "string null", "steps": "array step",
             "exitStatus": "number"},
  "step": {"step": "number", "title": "string", "found": "object seen", "results": "array result",
           "remaining": "object seen"},
  "seen": {"traces": "array trace", "unavailable": "string null"},
  "result": {"subject": "string", "status": "string", "error": "string null",
             "reason": "string null"},
  "keychainItems": {"kind": "string", "name": "string", "items": "number"},
  "launcher": {"kind": "string", "name": "string"},
  "loginItem": {"kind": "string", "name": "string"},
  "process": {"kind": "string", "name": "string", "pid": "number"},
  "path": {"kind": "string", "name": "string", "bytes": "number null", "files": "number null"},
  "defaults": {"kind": "string", "name": "string"},
  "allUsers": {"tool": "string", "version": "string", "allUsers": "boolean", "dryRun": "boolean",
               "error": "string null", "accounts": "array account", "shared": "object shared",
               "exitStatus": "number"},
  "account": {"user": "string", "uid": "number null", "home": "string null", "outcome": "string",
              "error": "string null", "keychainLookedAt": "boolean null", "remains": "array remain",
              "report": "object null report"},
  "shared": {"error": "string null", "remains": "array remain", "steps": "array step"},
  "remain": {"step": "number", "kind": "string", "name": "string", "reason": "string null"}})");
// NOLINTEND(cert-err58-cpp)

// "Step  8  " and the rest.
std::string stepLine(int step, const std::string& rest) {
    return (step < 10 ? "Step  " : "Step ") + std::to_string(step) + "  " + rest;
}
// "Step  8  removed       /Applications/TAVREL.app", a line of the summary.
std::string summaryLine(int step, const std::string& label, const std::string& subject) {
    return stepLine(step, label + std::string(12 - label.size(), ' ') + "  " + subject);
}

// The summary's last line: the keychain services, then `more`, are still there.
std::string stillThere(const std::string& more = "") {
    return "Tavrel was not completely removed. Still there: keychain items of 6 services (step 1: "
           "no keychain could be reached)" +
           (more.empty() ? "" : "; " + more) + ".";
}

// The messages of the terminal logger's lines ("<date> <time> name[pid:tid] message"), from
// the first job's banner on (log set-up writes its own banner before).
Lines logMessages(const ProcessRun& run) {
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

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t found = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++found;
    }
    return found;
}

// `object` holds exactly the documented fields of `kind`, each of a documented type, and so do
// the objects in it.
void expectDocumented(const Json& object, const std::string& kind = "report") {
    ASSERT_TRUE(object.is_object() && kDocumented.contains(kind)) << kind << ": " << object;
    const Json& fields = kDocumented[kind];
    EXPECT_EQ(object.size(), fields.size()) << kind << ": a documented field is missing";
    for (const auto& [name, value] : object.items()) {
        ASSERT_TRUE(fields.contains(name)) << kind << ": undocumented field " << name;
        const std::string type = fields.value(name, "");
        EXPECT_NE((type + " ").find(std::string(value.type_name()) + " "), std::string::npos)
            << kind << ": " << name << " is " << value.type_name();
        const std::string inner = type.substr(type.rfind(' ') + 1);
        if (value.is_object()) {
            expectDocumented(value, inner);
        }
        for (const Json& item : value.is_array() ? value : Json::array()) {
            expectDocumented(item, inner == "trace" ? item.value("kind", "?") : inner);
        }
    }
}

class UninstallCommandTest : public ::testing::Test {
protected:
    void SetUp() override { TAVREL_SKIP_WITHOUT_SANDBOX(); }
    void TearDown() override {
        // The real /Applications is never touched.
        EXPECT_EQ(fs::exists(fs::symlink_status("/Applications")), realApplicationsExisted_);
    }

    [[nodiscard]] std::string library(const std::string& rest) const {
        return home_ + "/Library/" + rest;
    }
    [[nodiscard]] fs::path app(const std::string& rest) const {
        return applications_.path() / rest;
    }
    // Where a path the run names lies outside the sandbox.
    [[nodiscard]] fs::path onHost(const std::string& path) const {
        return path.starts_with("/Applications/") ? app(path.substr(14)) : fs::path(path);
    }

    // What steps 8 to 19 remove, in step order, as the run names it, each with the one-byte
    // file planted in it ("" for the item itself).
    [[nodiscard]] std::vector<std::pair<std::string, std::string>> planted() const {
        std::vector<std::pair<std::string, std::string>> items{
            {"/Applications/TAVREL.app", "Contents/MacOS/TAVREL"},
            {"/Applications/Tavrel.app", "Contents/Info.plist"},
            {library("Application Support/com.quillorchid.TavrelOSX"), "db"}};
        for (const std::string& id : kPreferenceIDs) {
            items.emplace_back(library("Preferences/" + id + ".plist"), "");
        }
        for (const std::string& id : kContainerIDs) {
            items.emplace_back(library("Containers/" + id), "Data/file");
        }
        for (const std::string& id : kGroupIDs) {
            items.emplace_back(library("Group Containers/" + id), "file");
        }
        items.emplace_back(trashItem_, "Contents/Info.plist");
        return items;
    }

    // Runs `command` (tavrel-uninstall, or what starts it) in the sandbox with the temporary
    // home. Its helper kill scripts see only the processes started in there.
    ProcessRun uninstall(const Lines& arguments, Sandbox sandbox = Sandbox(),
                         Output output = Output::collected, Lines command = {TAVREL_UNINSTALL}) {
        command.insert(command.end(), arguments.begin(), arguments.end());
        return sandbox.applications(applications_.string())
            .run(command, tavrel::testing::homeEnvironment(home_), output);
    }

    void plantEverything() {
        for (const auto& [path, inside] : planted()) {
            writeFile(inside.empty() ? onHost(path) : onHost(path) / inside, "x");
        }
        writeFile(trash_ / "info/TAVREL.app.trashinfo", "[Trash Info]\n");
        writeFile(autostart_, "[Desktop Entry]\nName=Tavrel Launcher\nExec=launcher\n");
        writeFile(loginItem_, "[Desktop Entry]\nName=Tavrel\nExec=tavrel\n");
        writeFile(defaults_ / "settings", "x");
    }

    // A copy of the program and its resources installed under `prefix`; the program's path.
    static std::string install(const fs::path& prefix) {
        fs::create_directories(prefix / "bin");
        fs::create_directories(prefix / "share");
        fs::copy_file(TAVREL_UNINSTALL, prefix / "bin/tavrel-uninstall");
        fs::copy(TAVREL_RESOURCES, prefix / "share/tavrel-uninstaller",
                 fs::copy_options::recursive);
        return (prefix / "bin/tavrel-uninstall").string();
    }

    [[nodiscard]] bool everythingStillThere() const {
        return std::all_of(planted().begin(), planted().end(),
                           [&](const auto& item) { return fs::exists(onHost(item.first)); }) &&
               fs::exists(loginItem_) && fs::exists(defaults_) &&
               readFile(autostart_).find("Hidden") == std::string::npos;
    }

    // The log of one run in which every item is there (true) or none is (false), when no
    // keychain can be reached (the tests never have a session bus): three listings fail, the
    // fourth service's lookup fails and ends the job.
    [[nodiscard]] Lines expectedLog(bool present) const {
        Lines lines{"----- Delete Keychain Item -----"};
        for (std::size_t index = 0; index < 4; ++index) {
            lines.push_back("service: " + kServices[index]);
        }
        lines.insert(lines.end(),
                     {"SecItemCopyMatching. OSStatus error:[-25291] " + kNoKeychain,
                      "[KeychainUtility] failed to delete keychain items of Tavrel "
                      "Device Restriction. " +
                          kNoKeychain,
                      "----- Disable Login Item -----", "\"TAVREL\" not found",
                      "----- Disable Login Item -----", present ? "done" : "\"Tavrel\" not found"});
        for (const std::string& helper : kHelpers) {
            lines.insert(lines.end(), {"----- Kill " + helper + " process -----",
                                       "NSAppleScript.errorNumberr: 1",
                                       "NSAppleScript.errorMessage: The command exited with a "
                                       "non-zero status."});
        }
        const auto items = planted();
        for (std::size_t index = 0; index + 1 < items.size(); ++index) {
            const std::string& path = items[index].first;
            const std::string id = path.substr(path.rfind('/') + 1);
            const std::string folder = path.substr(0, path.rfind('/'));
            const std::string kind = folder.substr(folder.rfind('/') + 1);
            if (index < 2) {
                lines.emplace_back("----- Remove App Bundle -----");
            } else {
                lines.insert(lines.end(), {"----- Remove \"" + kind + "\" -----", id});
            }
            lines.push_back(present ? "done" : "\"" + path + "\" does not exist.");
        }
        lines.insert(lines.end(), {"----- Reset UserDefaults -----", "done"});
        return lines;
    }

    // The whole summary of a run in which every step found `status`, step 2 `launcher`.
    [[nodiscard]] Lines expectedSummary(const std::string& status, const std::string& launcher,
                                        const std::string& trashSubject) const {
        Lines lines(3, "OSStatus error:[-25291] " + kNoKeychain);
        for (const std::string& service : kServices) {
            lines.push_back(summaryLine(1, "FAILED", "keychain items of \"" + service + "\""));
            lines.push_back("         " + kUnreachable);
        }
        lines.insert(lines.end(), {summaryLine(2, launcher, "com.quillorchid.TavrelOSXLauncher"),
                                   summaryLine(3, "not found", "login item \"TAVREL\""),
                                   summaryLine(4, status, "login item \"Tavrel\"")});
        for (int step = 5; step <= 7; ++step) {
            lines.push_back(summaryLine(step, "not found", "helper process " + kHelpers[step - 5]));
        }
        int step = 8;
        for (const auto& [path, inside] : planted()) {
            lines.push_back(summaryLine(step, status, step == 19 ? trashSubject : path));
            ++step;
        }
        lines.insert(lines.end(),
                     {summaryLine(20, "cleared", "user defaults"), "Still there after the run:",
                      stepLine(1, "cannot be looked at: " + kUnreachable), stillThere()});
        return lines;
    }

    TemporaryFolder homeFolder_;
    TemporaryFolder applications_;
    const bool realApplicationsExisted_ = fs::exists(fs::symlink_status("/Applications"));
    const std::string home_ = homeFolder_.string();
    const fs::path trash_ = homeFolder_.path() / ".local/share/Trash";
    const std::string trashItem_ = (trash_ / "files/TAVREL.app").string();
    const fs::path autostart_ =
        homeFolder_.path() / ".config/autostart/com.quillorchid.TavrelOSXLauncher.desktop";
    const fs::path loginItem_ = homeFolder_.path() / ".config/autostart/tavrel.desktop";
    const fs::path defaults_ = homeFolder_.path() / ".config/com.quillorchid.TavrelOSX";
};

} // namespace

TEST_F(UninstallCommandTest, OneRunRemovesTheWholeProductLeavesNeighboursAloneAndSaysSo) {
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
    EXPECT_NE(run.out.find("\r\033[K[1/20] Delete keychain items\r\033[KOSStatus error:"),
              std::string::npos)
        << run.out;

    plantEverything();
    writeFile(app("Other.app/Contents/Info.plist"), "other");
    writeFile(library("Preferences/com.quillorchid.Other.plist"), "other");
    writeFile(trash_ / "files/Tavrel.app/Contents/Info.plist", "other");
    writeFile(trash_ / "info/Tavrel.app.trashinfo", "[Trash Info]\n");

    // Without a session bus, then on one with no Secret Service, then with one that never
    // answers: the keychain cannot be reached.
    run = uninstall({"--yes", "--verbose"});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(logMessages(run), expectedLog(true)) << run.err;
    EXPECT_EQ(splitLines(run.out), expectedSummary("removed", "switched off", trashItem_));
    EXPECT_EQ(count(run.err, "Warning: Usage of TTYLogger"), 1U) << run.err;
    for (const auto& [path, inside] : planted()) {
        EXPECT_FALSE(fs::exists(onHost(path))) << path;
    }
    EXPECT_FALSE(fs::exists(trash_ / "info/TAVREL.app.trashinfo"));
    EXPECT_NE(readFile(autostart_).find("Hidden=true"), std::string::npos);
    EXPECT_FALSE(fs::exists(loginItem_));
    EXPECT_FALSE(fs::exists(defaults_));
    EXPECT_EQ(readFile(app("Other.app/Contents/Info.plist")), "other");
    EXPECT_EQ(readFile(library("Preferences/com.quillorchid.Other.plist")), "other");
    EXPECT_EQ(readFile(trash_ / "files/Tavrel.app/Contents/Info.plist"), "other");
    EXPECT_TRUE(fs::exists(trash_ / "info/Tavrel.app.trashinfo"));

    // Again, with nothing left: every path is logged as missing, and step 2 says the launcher
    // was already switched off.
    for (const char* secretService : {"--secret-service=none", "--secret-service=silent"}) {
        run = uninstall({"--yes", "--verbose"}, Sandbox(), Output::collected,
                        {TAVREL_PRIVATE_KEYRING, secretService, TAVREL_UNINSTALL});
        EXPECT_EQ(run.status, 1) << run.out << run.err;
        EXPECT_EQ(logMessages(run), expectedLog(false)) << secretService << "\n" << run.err;
        EXPECT_EQ(splitLines(run.out), expectedSummary("not found", "already off", trashItem_))
            << secretService;
    }
}

TEST_F(UninstallCommandTest, EveryKindOfTraceIsListedRemovedAndVerifiedAndASurvivorFailsTheRun) {
    plantEverything();
    const TemporaryFolder work; // the helpers' programs, where another user can reach them too
    fs::permissions(work.path(),
                    fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
    fs::create_directory(work.path() / "parent");
    fs::copy_file("/bin/sh", work.path() / "parent/brolt");
    // On a keyring of its own, started from a shell named brolt: the helpers start, one ignoring
    // SIGTERM, one with a longer name, one of another user where that can be had; brolt's file
    // is deleted. Then each command runs in turn, writing into the work folder.
    const std::string script = R"sh(
w=$1 u=$2
for item in Tavrel:alpha Tavrel:beta KVTOAuthCredentialService:u@tavrel.com Tavrel\ Credential:k \
    KVTOAuthCredentialService:other "Tavrel Device Restriction:DeviceSecret"; do
    printf s | secret-tool store --label=t service "${item%:*}" account "${item#*:}" || echo no
done
started() {
    until [ "$(readlink /proc/$1/exe)" = "$2" ]; do [ -e /proc/$1/exe ] || return 1; done
}
for helper in brolt TavrelFinderSync TavrelFinderSyncX; do cp /bin/sleep "$w/$helper"; done
cp /bin/sh "$w/TavrelFileProvider"
"$w/brolt" 60 & brolt=$!
"$w/TavrelFinderSync" 60 & sync=$!
"$w/TavrelFileProvider" -c 'trap "" TERM; while :; do sleep 1; done' & provider=$!
"$w/TavrelFinderSyncX" 60 & longer=$!
setpriv --reuid=65534 --regid=65534 --clear-groups "$w/TavrelFinderSync" 60 2>/dev/null & other=$!
started $brolt "$w/brolt" && started $sync "$w/TavrelFinderSync" &&
    started $provider "$w/TavrelFileProvider" && started $longer "$w/TavrelFinderSyncX" ||
    echo "not started"
started $other "$w/TavrelFinderSync" || other=
rm "$w/brolt"
echo $brolt; echo $sync; echo $provider
"$u" --dry-run --json >"$w/dry.json" 2>"$w/dry.txt"; echo "dry $?"
"$u" --yes --json >"$w/run.json" 2>"$w/run.err"; echo "run $?"
echo x >/Applications/TAVREL.app
"$u" --yes --json >"$w/again.json"; echo "again $?"
script -qec "$u" /dev/null </dev/null >"$w/ask.txt"; echo "ask $?"
printf '[Desktop Entry]\nName=Tavrel\n' | tee "$XDG_CONFIG_HOME/autostart/a.desktop" \
    >"$XDG_CONFIG_HOME/autostart/b.desktop"
script -qec "$u --yes" /dev/null </dev/null >"$w/twice.txt"; echo "twice $?"
for pid in $longer $other; do [ -e /proc/$pid/exe ] || echo "$pid stopped"; done
)sh";
    const ProcessRun run =
        Sandbox()
            .applications(applications_.string())
            .run({TAVREL_PRIVATE_KEYRING, (work.path() / "parent/brolt").string(), "-c", script,
                  "sh", work.string(), TAVREL_UNINSTALL},
                 tavrel::testing::homeEnvironment(home_));
    const Lines out = splitLines(run.out);
    ASSERT_EQ(out.size(), 8U) << run.out << run.err; // another user's helper and the longer name
    EXPECT_EQ(Lines(out.begin() + 3, out.end()),     // still run
              (Lines{"dry 0", "run 0", "again 0", "ask 0", "twice 1"}))
        << run.err;

    // The dry run lists every trace, each of its step (on standard error, as it wrote JSON).
    Lines dry{"Found on this account:", stepLine(1, "2 keychain items of \"Tavrel\"")};
    for (const char* service :
         {"KVTOAuthCredentialService", "Tavrel Device Restriction", "Tavrel Credential"}) {
        dry.push_back(stepLine(1, std::string("1 keychain item of \"") + service + "\""));
    }
    dry.push_back(stepLine(2, "login item com.quillorchid.TavrelOSXLauncher (switched on)"));
    dry.push_back(stepLine(4, "login item \"Tavrel\""));
    for (int step = 5; step <= 7; ++step) {
        dry.push_back(stepLine(step, "helper process " + kHelpers[step - 5] + " (pid " +
                                         out[step - 5] + ")")); // never another user's, nor ours
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
        EXPECT_EQ(report["steps"][index]["remaining"], kNothing) << index + 1;
        EXPECT_EQ(again["steps"][index]["found"], kNothing) << index + 1;
        for (const Json& result : report["steps"][index]["results"]) {
            EXPECT_NE(result["status"], "failed") << result;
        }
    }
    EXPECT_EQ(report["steps"][0]["found"]["traces"][0],
              Json::parse(R"({"kind": "keychainItems", "name": "Tavrel", "items": 2})"));
    for (std::size_t index : {4, 5, 6}) { // helpers stopped by the whole name, also when deleted
        EXPECT_EQ(report["steps"][index]["results"][0]["status"], "removed");
    }
    for (const auto& [path, inside] : planted()) {
        EXPECT_EQ(fs::exists(onHost(path)), path == "/Applications/TAVREL.app") << path;
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
    EXPECT_NE(twice.find("\r\033[K[20/20] Reset user defaults\r\033[K" + stepLine(1, "not found") +
                         "     keychain items of \"Tavrel\"\r\n"),
              std::string::npos)
        << twice;
    EXPECT_NE(twice.find("Still there after the run:\r\n" +
                         stepLine(4, "login item \"Tavrel\"\r\n") +
                         "Tavrel was not completely removed. Still there: login item \"Tavrel\" "
                         "(found after step 4); /Applications/TAVREL.app (not a folder, left "
                         "alone)."),
              std::string::npos)
        << twice;
}

TEST_F(UninstallCommandTest, AFailingStepIsReportedInWordsAsRemainingAndTheLaterStepsStillRun) {
    // Scripts come from the program's own resources, wherever those are: from a folder whose
    // name holds every character a shell command or a script string could take, or from one
    // that has none.
    const TemporaryFolder scratch; // the working folder, where an injected command would write
    const fs::path oddPrefix =
        scratch.path() / "it's \"a\" \\ $(touch injected) `touch injected`;touch injected\nend";
    const std::string odd = install(oddPrefix);
    const std::string bare = install(scratch.path() / "bare");
    const fs::path oddReset = oddPrefix / "share/tavrel-uninstaller/reset-userdefaults.sh";
    for (const fs::path& script : {oddReset, oddReset.parent_path() / "kill-brolt.sh"}) {
        fs::permissions(script, fs::perms::owner_read | fs::perms::owner_write);
    }
    std::string missing;
    for (const std::string step : {"5 brolt", "6 TavrelFinderSync", "7 TavrelFileProvider"}) {
        fs::remove(scratch.path() /
                   ("bare/share/tavrel-uninstaller/kill-" + step.substr(2) + ".sh"));
        missing +=
            "helper process " + step.substr(2) + " (step " + step.substr(0, 1) + " failed); ";
    }
    fs::remove(scratch.path() / "bare/share/tavrel-uninstaller/reset-userdefaults.sh");
    std::string unreadable; // every step under ~/Library when it may not be looked into
    for (int step = 10; step <= 18; ++step) {
        unreadable += (step > 10 ? "; " : "") + planted()[step - 8].first + " (step " +
                      std::to_string(step) + " failed)";
    }
    struct Case {
        const char* name;
        std::string refused; // made read-only, or unreadable when it is ~/Library/
        int step;
        std::string subject;
        std::string reason;
        std::string stays;
        std::string error = {}; // when given: the error's description, in the report and log
        std::string program = TAVREL_UNINSTALL;
    };
    const std::vector<Case> cases{
        {"a bundle on a read-only file system", "/Applications/TAVREL.app", 8,
         "/Applications/TAVREL.app",
         "\u201cTAVREL\u201d couldn\u2019t be removed: Read-only file system. "
         "(/Applications/TAVREL.app/Contents/MacOS/TAVREL)",
         "/Applications/TAVREL.app (step 8 failed)",
         "Error Domain=NSPOSIXErrorDomain Code=30 \"\u201cTAVREL\u201d couldn\u2019t be "
         "removed: Read-only file system.\" UserInfo={NSFilePath="
         "/Applications/TAVREL.app/Contents/MacOS/TAVREL}"},
        {"a read-only autostart folder", autostart_.parent_path().string(), 2,
         "com.quillorchid.TavrelOSXLauncher",
         "\u201ccom.quillorchid.TavrelOSXLauncher.desktop\u201d couldn\u2019t be changed: "
         "Read-only file system. (" +
             autostart_.string() + ")",
         "com.quillorchid.TavrelOSXLauncher (step 2 failed); login item \"Tavrel\" (step 4 "
         "failed)"},
        {"a login item that cannot be deleted", loginItem_.string(), 4, "login item \"Tavrel\"",
         "\u201ctavrel.desktop\u201d couldn\u2019t be removed: Device or resource busy. (-10000)",
         "login item \"Tavrel\" (step 4 failed)"},
        {"user defaults on a read-only file system", defaults_.string(), 20, "user defaults",
         "rm: cannot remove '" + defaults_.string() + "/settings': Read-only file system (1)",
         "user defaults (step 20 failed)"},
        {"the copy in the Trash on a read-only file system", trashItem_, 19, trashItem_,
         "\u201cInfo.plist\u201d couldn\u2019t be removed: Read-only file system. (" + trashItem_ +
             "/Contents/Info.plist)",
         trashItem_ + " (step 19 failed)"},
        {"a folder it may not look into is a failure, never missing", library(""), 11,
         library("Preferences/com.quillorchid.TavrelOSX.plist"),
         "\u201ccom.quillorchid.TavrelOSX.plist\u201d couldn\u2019t be examined: Permission "
         "denied.",
         unreadable},
        {"a script that may not be run", "", 20, "user defaults",
         "sh: 2: " + oddReset.string() + ": Permission denied (126)", // the name spans 2 lines
         "helper process brolt (step 5 failed); user defaults (step 20 failed)", "", odd},
        {"no scripts", "", 20, "user defaults",
         "The uninstaller's script reset-userdefaults.sh is missing; reinstall the uninstaller "
         "and run it again.",
         missing + "user defaults (step 20 failed)", "", bare},
    };
    for (const Case& test : cases) {
        plantEverything();
        Sandbox sandbox;
        if (test.refused == library("")) {
            sandbox.unprivileged(); // so that even root meets the folder's permissions
            chmod(test.refused.c_str(), 0);
        } else if (!test.refused.empty()) {
            sandbox.readOnly(test.refused);
        }
        const ProcessRun run = uninstall(
            {"--yes", "--json", "--verbose"}, sandbox, Output::collected,
            {"/bin/sh", "-c", "cd \"$0\" && exec \"$@\"", scratch.string(), test.program});
        chmod(library("").c_str(), 0755);
        EXPECT_EQ(run.status, 1) << test.name << "\n" << run.out << run.err;
        EXPECT_EQ(run.err.find("does not exist"), std::string::npos) << test.name << run.err;
        // With --json the summary goes to standard error, and standard output holds the report.
        const std::string failure =
            summaryLine(test.step, "FAILED", test.subject) + "\n         " + test.reason + "\n";
        EXPECT_NE(run.err.find(failure), std::string::npos) << test.name << "\n" << run.err;
        EXPECT_NE(run.err.find("\n" + stillThere(test.stays) + "\n"), std::string::npos)
            << test.name << "\n"
            << run.err;
        const Json report = Json::parse(run.out);
        expectDocumented(report);
        for (const Json& step : report["steps"]) { // every other step still ran
            EXPECT_FALSE(step["results"].empty()) << test.name << "\n" << step;
        }
        const Json& step = report["steps"][test.step - 1];
        const Json& failed = step["results"][0];
        EXPECT_EQ(failed, Json({{"subject", test.subject},
                                {"status", "failed"},
                                {"error", failed["error"]},
                                {"reason", test.reason}}))
            << test.name;
        if (!test.error.empty()) {
            EXPECT_NE(failed.value("error", "").find(test.error), std::string::npos) << failed;
            EXPECT_EQ(count(run.err, "] " + test.error + "\n"), 1U) << run.err;
        }
        EXPECT_NE(step["remaining"], kNothing) << test.name;
        EXPECT_EQ(report["exitStatus"], 1);
        EXPECT_FALSE(fs::exists(app("Tavrel.app"))) << test.name;
    }
    EXPECT_FALSE(fs::exists(scratch.path() / "injected"));
}

TEST_F(UninstallCommandTest, RefusalsRemoveNothingAndSaySo) {
    plantEverything();
    const fs::path bundle = homeFolder_.path() / "X.app";
    writeFile(
        bundle / "Contents/Info.plist",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
        "<string>com.quillorchid.TavrelOSX</string><key>CFBundleName</key><string>Tavrel</string>"
        "</dict></plist>");
    fs::create_directories(bundle / "Contents/MacOS");
    fs::copy_file("/bin/sleep", bundle / "Contents/MacOS/Tavrel");
    // Started inside the sandbox: a process outside its user namespace cannot be inspected.
    const std::string whileRunning =
        "\"$1\" 60 & app=$!\n"
        "until [ \"$(readlink /proc/$app/exe)\" = \"$1\" ]; do [ -e /proc/$app ] || exit 9; done\n"
        "\"$2\" --yes; status=$?\n"
        "kill $app; exit $status\n";
    const std::string cli = TAVREL_UNINSTALL;
    struct Case {
        const char* name;
        Lines command;
        std::string home;
        int status;
        std::string says; // on standard error or output
    };
    const std::vector<Case> cases{
        {"home is the root folder", {cli, "--yes"}, "/", 1, "no usable home folder"},
        {"home spelled as root", {cli, "--yes"}, "//.", 1, "no usable home folder"},
        {"home relative", {cli, "--yes"}, "relative/home", 1, "no usable home folder"},
        {"home missing", {cli, "--yes"}, home_ + "/absent", 1, "no usable home folder"},
        {"no home, as JSON", {cli, "--yes", "--json"}, "/", 1, "\"home\":null,\"dryRun\":false"},
        {"no terminal and no --yes", {cli}, home_, 64, "--yes"},
        {"a terminal, answered no",
         {"script", "-qec", cli, "/dev/null"},
         home_,
         0,
         "OSX\r\nRemove"},
        {"a dry run, even with --yes", {cli, "--yes", "--dry-run"}, home_, 0, "Dry run: nothing"},
        {"no process list to tell whether Tavrel runs",
         {"/bin/sh", "-c", "mount -t tmpfs none /proc && exec \"$0\" --yes", cli},
         home_,
         1,
         "cannot tell whether Tavrel is running. \u201cproc\u201d"},
        {"an unknown option", {cli, "--frobnicate"}, home_, 64, "frobnicate"},
        {"the version", {cli, "--version"}, home_, 0, "tavrel-uninstall " TAVREL_VERSION "\n"},
        {"a running product application",
         {"/bin/sh", "-c", whileRunning, "sh", (bundle / "Contents/MacOS/Tavrel").string(), cli},
         home_,
         2,
         "Tavrel is running. Quit Tavrel and try again. Nothing was removed."},
    };
    for (const Case& test : cases) {
        const ProcessRun run =
            Sandbox()
                .applications(applications_.string())
                .run(test.command, tavrel::testing::homeEnvironment(home_, {"HOME=" + test.home}));
        EXPECT_EQ(run.status, test.status) << test.name << "\n" << run.out << run.err;
        EXPECT_NE((run.err + run.out).find(test.says), std::string::npos) << test.name << "\n"
                                                                          << run.out << run.err;
        EXPECT_EQ(run.err.find("[1/20]"), std::string::npos) << test.name; // no step started
        EXPECT_TRUE(everythingStillThere()) << test.name;
    }
}

TEST_F(UninstallCommandTest, PlantedEntriesNeitherHangNorStopItAndWhatCannotBeReadIsSaid) {
    const fs::path planted = loginItem_.parent_path() / "z.desktop";
    const std::string huge = "Too large to read (over 1 MiB).";
    const std::string odd = "Not a regular file.";
    // Each beside a valid "Tavrel" entry; its message when it cannot be read, else "".
    const std::vector<std::tuple<const char*, std::function<void()>, std::string>> cases{
        {"a link to /dev/zero", [&] { fs::create_symlink("/dev/zero", planted); }, odd},
        {"a FIFO", [&] { mkfifo(planted.c_str(), 0600); }, odd},
        {"a FIFO with a writer", [&] { mkfifo(planted.c_str(), 0600); }, odd},
        {"a 3 GiB sparse file",
         [&] { writeFile(planted, ""), fs::resize_file(planted, 3ULL << 30); }, huge},
        {"a folder", [&] { fs::create_directory(planted); }, ""},
        {"a dangling link", [&] { fs::create_symlink("nowhere", planted); }, ""},
    };
    for (const auto& [name, plant, message] : cases) {
        writeFile(loginItem_, "[Desktop Entry]\nName=Tavrel\nExec=tavrel\n");
        plant();
        // A writer keeps the FIFO open, so that a read would wait for it rather than end.
        const int writer = std::string(name).ends_with("writer")
                               ? open(planted.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)
                               : -1;
        // Under a memory limit, which the sanitizers' shadow memory cannot live with.
        const std::string limited =
            std::string(kSanitized ? "" : "ulimit -v 1000000 && ") + "exec \"$0\" \"$@\"";
        const ProcessRun dry = uninstall({"--dry-run"}, Sandbox(), Output::collected,
                                         {"/bin/sh", "-c", limited, TAVREL_UNINSTALL});
        const ProcessRun run = uninstall({"--yes", "--json"}, Sandbox(), Output::collected,
                                         {"/bin/sh", "-c", limited, TAVREL_UNINSTALL});
        if (writer >= 0) {
            close(writer);
        }
        EXPECT_EQ(dry.status, 0) << name << dry.err;
        const std::string unreadable =
            "cannot be looked at: \u201cz.desktop\u201d couldn\u2019t be "
            "examined: " +
            message;
        EXPECT_EQ(dry.out.find(stepLine(3, unreadable)) != std::string::npos, !message.empty())
            << name << "\n"
            << dry.out;
        EXPECT_NE(dry.out.find(stepLine(4, "login item \"Tavrel\"")), std::string::npos) << name;
        ASSERT_TRUE(Json::accept(run.out)) << name << "\n" << run.out << run.err;
        const Json report = Json::parse(run.out);
        const Json& results = report["steps"][3]["results"];
        EXPECT_EQ(results[0]["status"], "removed") << name << results;
        EXPECT_EQ(results.size(), message.empty() ? 1U : 2U) << name << results;
        EXPECT_EQ(report["steps"][3]["remaining"]["unavailable"].is_string(), !message.empty())
            << name;
        EXPECT_EQ(report["exitStatus"], 1);
        EXPECT_NE(run.err.find("Tavrel was not completely removed."), std::string::npos) << name;
        EXPECT_FALSE(fs::exists(loginItem_)) << name;
        fs::remove_all(planted);
    }
}

TEST_F(UninstallCommandTest, ADryRunLeavesTheHomeFolderAsItWasWhateverTheEnvironment) {
    plantEverything();
    const auto listing = [&] {
        std::string text;
        for (const auto& entry : fs::recursive_directory_iterator(home_)) {
            const auto status = fs::symlink_status(entry.path());
            text += entry.path().string() + " " + std::to_string(static_cast<int>(status.type())) +
                    " " + std::to_string(static_cast<int>(status.permissions())) + " " +
                    (fs::is_regular_file(status) ? readFile(entry.path()) : "") + "\n";
        }
        return text;
    };
    const std::string before = listing();
    // No session bus and no runtime folder named: nothing may make one, not even ~/.cache.
    std::vector<std::string> environment;
    for (const std::string& variable : tavrel::testing::homeEnvironment(home_)) {
        if (!variable.starts_with("DBUS_SESSION_BUS_ADDRESS=")) {
            environment.push_back(variable);
        }
    }
    const ProcessRun run = Sandbox()
                               .applications(applications_.string())
                               .run({TAVREL_UNINSTALL, "--dry-run"}, environment);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(listing(), before);
}

TEST_F(UninstallCommandTest, AReadOnlyHomeOrAClosedPipeNeitherFloodsNorStopsTheRun) {
    plantEverything();
    ProcessRun run = uninstall({"--yes", "--verbose"}, Sandbox().readOnly(home_));
    EXPECT_EQ(run.status, 1) << run.out << run.err; // nothing under the home can go
    std::size_t systemLogLines = 0;
    for (const std::string& line : splitLines(run.err)) {
        systemLogLines += line.starts_with("tavrel-uninstall[") ? 1 : 0;
    }
    // Each log line fails the same way; each kind of failure is shown once, then counted.
    EXPECT_LE(systemLogLines, 20U) << run.err;
    EXPECT_NE(run.err.find("similar lines not shown]"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("] ----- Remove App Bundle -----"), std::string::npos) << run.err;
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

TEST_F(UninstallCommandTest, EveryAccountIsRunWithItsOwnRightsAndTheSharedBundlesWaitForAllOfThem) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "a run for every account needs root: it takes each account's uid";
    }
    // Three accounts of the sandbox's own account database, never the machine's: alice with
    // everything planted and a helper running, bob whose traces are links into alice's home and
    // to /etc, carol for whom Tavrel runs.
    const TemporaryFolder work;
    fs::permissions(work.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
    const fs::path homes = work.path() / "homes";
    const std::string uninstaller = install(work.path() / "prefix");
    writeFile(work.path() / "passwd",
              "root:x:0:0:root:/root:/bin/sh\ndaemon:x:1:1::/usr/sbin:/usr/sbin/nologin\n"
              "alice:x:2001:2001::" +
                  (homes / "alice").string() +
                  ":/bin/sh\n"
                  "bob:x:2002:2002::" +
                  (homes / "bob").string() +
                  ":/bin/sh\n"
                  "carol:x:2003:2003::" +
                  (homes / "carol").string() + ":/bin/sh\n");
    writeFile(work.path() / "group", "root:x:0:\nalice:x:2001:\nbob:x:2002:\ncarol:x:2003:\n");
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
    fs::create_directories(bobsLinks[0].parent_path());
    fs::create_directories(bobsLinks[1].parent_path());
    fs::create_directory_symlink(homes / "alice/keep", bobsLinks[0]);
    fs::create_directory_symlink("/etc", bobsLinks[1]);
    const fs::path carolsTrace = library("carol", "Preferences/com.quillorchid.TavrelOSX.plist");
    writeFile(carolsTrace, "x");
    const fs::path tavrel = work.path() / "Tavrel.app/Contents/MacOS/Tavrel";
    writeFile(tavrel.parent_path().parent_path() / "Info.plist",
              "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
              "<string>com.quillorchid.TavrelOSX</string></dict></plist>");
    fs::create_directories(tavrel.parent_path());
    fs::copy_file("/bin/sleep", tavrel);
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

    // Carol's Tavrel and alice's helper run as them; every command's report goes to a file.
    const std::string script = R"sh(
w=$1 u=$2 app=$3 carols=$4
as() { echo "setpriv --reuid=$1 --regid=$1 --clear-groups"; }
$(as 2003) "$app" 60 & tavrel=$!
$(as 2001) "$w/brolt" 60 & helper=$!
tries=0
until [ "$(readlink /proc/$tavrel/exe)" = "$app" ] && [ "$(readlink /proc/$helper/exe)" = "$w/brolt" ]
do [ $((tries += 1)) -lt 1000 ] || { echo "not started"; exit 1; }; sleep 0.01; done
$(as 2001) "$u" --all-users --dry-run; echo "not root $?"
"$u" --all-users --dry-run --json --user alice --user nobody --user daemon >"$w/named.json"
echo "named $?"
"$u" --all-users --yes --json >"$w/running.json"; echo "running $?"
[ ! -e /proc/$helper/exe ] || echo "alice's helper still runs"
[ -e "$carols" ] && [ -e /Applications/TAVREL.app ] && echo "carol's and the shared stay"
kill $tavrel
"$u" --all-users --yes --json >"$w/quit.json"; echo "quit $?"
)sh";
    const ProcessRun run = Sandbox()
                               .applications(applications_.string())
                               .bind(work.string() + "/passwd", "/etc/passwd")
                               .bind(work.string() + "/group", "/etc/group")
                               .run({"/bin/sh", "-c", script, "sh", work.string(), uninstaller,
                                     tavrel.string(), carolsTrace.string()},
                                    {"PATH=/usr/sbin:/usr/bin:/sbin:/bin", "HOME=/root"});
    EXPECT_EQ(splitLines(run.out), (Lines{"not root 64", "named 1", "running 2",
                                          "carol's and the shared stay", "quit 1"}))
        << run.err;
    EXPECT_NE(run.err.find("--all-users is for root alone"), std::string::npos) << run.err;

    // Named accounts: one unknown, one outside the login range; nothing removed in a dry run.
    const Json named = Json::parse(readFile(work.path() / "named.json"));
    expectDocumented(named, "allUsers");
    std::vector<std::pair<std::string, std::string>> outcomes;
    for (const Json& account : named["accounts"]) {
        outcomes.emplace_back(account["user"], account["outcome"]);
    }
    EXPECT_EQ(outcomes,
              (std::vector<std::pair<std::string, std::string>>{
                  {"alice", "dryRun"}, {"nobody", "notFound"}, {"daemon", "notEligible"}}));
    EXPECT_EQ(named["accounts"][0]["remains"].size(), alicesTraces.size() + 1) << named; // + brolt

    // While Tavrel runs for carol: alice and bob are run, carol and the bundles are left whole.
    const Json running = Json::parse(readFile(work.path() / "running.json"));
    expectDocumented(running, "allUsers");
    ASSERT_EQ(running["accounts"].size(), 3U) << running;
    for (const Json& account : {running["accounts"][0], running["accounts"][1]}) {
        EXPECT_EQ(account["outcome"], "keychainNotLookedAt") << account;
        EXPECT_EQ(account["keychainLookedAt"], false);
        EXPECT_EQ(account["remains"], Json::array());
        expectDocumented(account["report"]);
        EXPECT_EQ(account["report"]["steps"].size(), 18U); // all but the shared steps
    }
    EXPECT_EQ(running["accounts"][2]["outcome"], "running");
    EXPECT_NE(running["accounts"][2]["error"].get<std::string>().find("is running"),
              std::string::npos);
    EXPECT_EQ(running["accounts"][2]["remains"][0]["name"], carolsTrace.string());
    EXPECT_NE(running["shared"]["error"].get<std::string>().find("running for carol"),
              std::string::npos);
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
    EXPECT_EQ(quit["accounts"][2]["outcome"], "keychainNotLookedAt") << quit;
    EXPECT_EQ(quit["shared"]["error"], nullptr);
    EXPECT_EQ(quit["shared"]["remains"], Json::array());
    EXPECT_EQ(quit["shared"]["steps"][0]["results"][0]["status"], "removed");
    EXPECT_FALSE(fs::exists(carolsTrace));
    EXPECT_FALSE(fs::exists(app("TAVREL.app")));
}
