// What the tests of the tavrel-uninstall command share: a sandbox with its own /Applications and
// a temporary home, the product planted there, and what the run says about it.
#pragma once

#include "tests/support/Sandbox.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <array>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

namespace tavrel::testing {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using Lines = std::vector<std::string>;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::array<const char*, 3> kHelpers{"brolt", "TavrelFinderSync", "TavrelFileProvider"};
constexpr const char* kUnreachable = "No keychain could be reached: run again in your desktop "
                                     "session, where your keyring runs.";

/// `object` holds exactly the fields the README documents for `kind`, each of a documented
/// type, and so do the objects in it.
void expectDocumented(const Json& object, const std::string& kind = "report");
/// A copy of the program and its resources installed under `prefix`; the program's path.
std::string install(const fs::path& prefix);
/// A Tavrel application bundle at `bundle` whose program is sleep(1); the program's path.
fs::path plantApplication(const fs::path& bundle);

class CommandTest : public ::testing::Test {
protected:
    void SetUp() override { TAVREL_SKIP_WITHOUT_SANDBOX(); }
    void TearDown() override {
        // The real /Applications is never touched.
        EXPECT_EQ(fs::exists(fs::symlink_status("/Applications")), realApplicationsExisted_);
    }

    static std::string script(const std::string& name) { return TAVREL_COMMAND_SCRIPTS "/" + name; }
    static Json nothing() { return {{"traces", Json::array()}, {"unavailable", nullptr}}; }
    /// "Step  8  " and the rest.
    static std::string stepLine(int step, const std::string& rest) {
        return (step < 10 ? "Step  " : "Step ") + std::to_string(step) + "  " + rest;
    }
    /// "Step  8  removed       /Applications/TAVREL.app", a line of the summary.
    static std::string summaryLine(int step, const std::string& label, const std::string& what) {
        return stepLine(step, label + std::string(12 - label.size(), ' ') + "  " + what);
    }
    /// The summary's last line: the keychain services, then `more`, are still there.
    static std::string stillThere(const std::string& more = "") {
        return "Tavrel was not completely removed. Still there: keychain items of 6 services "
               "(step 1: no keychain could be reached)" +
               (more.empty() ? "" : "; " + more) + ".";
    }
    static std::size_t count(const std::string& text, const std::string& part) {
        std::size_t found = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++found;
        }
        return found;
    }

    [[nodiscard]] std::string library(const std::string& rest) const {
        return home_ + "/Library/" + rest;
    }
    [[nodiscard]] fs::path app(const std::string& rest) const {
        return applications_.path() / rest;
    }
    /// Where a path the run names lies outside the sandbox.
    [[nodiscard]] fs::path onHost(const std::string& path) const {
        return path.starts_with("/Applications/") ? app(path.substr(14)) : fs::path(path);
    }
    /// What steps 8 to 19 remove, in step order, as the run names it, each with the one-byte
    /// file planted in it ("" for the item itself).
    [[nodiscard]] std::vector<std::pair<std::string, std::string>> planted() const;
    /// Plants every trace but keychain items and helpers.
    void plantEverything() const;
    /// Runs `command` (tavrel-uninstall, or what starts it) and `arguments` in the sandbox with
    /// the temporary home. Its helper kill scripts see only the processes started in there.
    [[nodiscard]] ProcessRun uninstall(const Lines& arguments, Sandbox sandbox = Sandbox(),
                                       Output output = Output::collected,
                                       Lines command = {TAVREL_UNINSTALL}) const;

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

} // namespace tavrel::testing
