// The AppleScript stand-in: its parser, and its host running real shell commands and reading
// real autostart folders.
#include "platform/AppleScriptHost.hpp"

#include "platform/linux/ScriptParser.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;
using tavrel::platform::AppleScriptHost;
using tavrel::platform::ScriptDescriptor;
using tavrel::platform::linux_script::ScriptParser;
using namespace tavrel::testing;
using Command = ScriptParser::Command;
using Failure = AppleScriptHost::Failure;
using Execution = AppleScriptHost::Execution;

namespace {
constexpr const char* kTell = "tell application \"System Events\" to ";
} // namespace

TEST(ScriptParserTest, AcceptsExactlyTheThreeFormsAndSaysWhatItExpected) {
    using Result = tavrel::platform::Result<Command, ScriptParser::CompileError>;
    const auto error = [](const std::string& message) {
        return Result(ScriptParser::CompileError{message});
    };
    const std::vector<std::pair<std::string, Result>> cases{
        {"do shell script \"'/a b/kill.sh'\"",
         Command{Command::Kind::doShellScript, "'/a b/kill.sh'"}},
        {" do\tshell\r\nscript\"q\\\" b\\\\ \\n\\r\\t\nraw\" ",
         Command{Command::Kind::doShellScript, "q\" b\\ \n\r\t\nraw"}},
        {std::string(kTell) + "get the name of every login item",
         Command{Command::Kind::loginItemNames, ""}},
        {std::string(kTell) + "delete login item \"T\\\"\u00e9\"",
         Command{Command::Kind::deleteLoginItem, "T\"\u00e9"}},
        {"", error("Expected \u201cdo shell script\u201d or \u201ctell application \"System "
                   "Events\"\u201d but found end of script.")},
        {"do shell scrip \"x\"", error("Expected \u201cscript\u201d but found \u201cscrip\u201d.")},
        {"do shell script x", error("Expected a string in double quotes but found \u201cx\u201d.")},
        {"do shell script \"x\" more", error("Expected end of script but found \u201cmore\u201d.")},
        {"do shell script \"x\\", error("Expected \u201c\"\u201d but found end of script.")},
        {"do shell script \"\\q\"",
         error("Expected \u201c\\\"\u201d, \u201c\\\\\u201d, \u201c\\n\u201d, \u201c\\r\u201d or "
               "\u201c\\t\u201d in a string but found \u201c\\q\u201d.")},
        {"tell application \"Finder\" to delete login item \"x\"",
         error("Expected the application \u201cSystem Events\u201d but found the string "
               "\u201cFinder\u201d.")},
        {std::string(kTell) + "quit", error("Expected \u201cget\u201d or \u201cdelete\u201d but "
                                            "found \u201cquit\u201d.")},
    };
    for (const auto& [source, expected] : cases) {
        EXPECT_EQ(ScriptParser::parse(source), expected) << source;
    }
    EXPECT_TRUE(ScriptParser::isScriptText("do shell script \"\u00e9\""));
    EXPECT_FALSE(ScriptParser::isScriptText(std::string("do \0", 4)));
    EXPECT_FALSE(ScriptParser::isScriptText("do \xff"));
    EXPECT_FALSE(ScriptParser::isScriptText("\xed\xa0\x80")); // a lone surrogate
}

TEST(AppleScriptHostTest, ShellCommandsGiveTheirOutputOrTheirStatusAndErrorText) {
    TemporaryFolder folder;
    const auto host = AppleScriptHost::make(
        {.loginItemsFolder = folder.string(), .shellTimeout = std::chrono::milliseconds(500)});
    const std::string pidFile = folder.string() + "/background.pid";
    const auto shell = [](const std::string& command) {
        std::string source = "do shell script \"";
        for (const char c : command) {
            source += c == '"' || c == '\\' ? std::string{'\\', c} : std::string(1, c);
        }
        return source + "\"";
    };
    const std::vector<std::pair<std::string, std::optional<Execution>>> cases{
        {shell("printf 'a\\nb\\n\\n'"), ScriptDescriptor::text("a\rb\r")},
        {shell("cat"), ScriptDescriptor::text("")}, // no input, so it ends at once
        {shell("echo 'no good' >&2; echo out; exit 3"), Failure{3, "no good"}},
        {shell("exit 4"), Failure{4, "The command exited with a non-zero status."}},
        {shell("kill -9 $$"), Failure{137, "The command exited with a non-zero status."}},
        {shell("sleep 30 & echo $! >" + pidFile + "; exec sleep 30"),
         Failure{-1712, "AppleEvent timed out."}},
        {shell("exec >&- 2>&-; sleep 30"), Failure{-1712, "AppleEvent timed out."}},
        {"do shell script", Failure{-2741, "Expected a string in double quotes but found end of "
                                           "script."}},
        {shell("echo \xff"), std::nullopt},
    };
    for (const auto& [source, expected] : cases) {
        EXPECT_EQ(host->execute(source), expected) << source;
    }
    // The timeout ended every process the command had started.
    const std::string background = "/proc/" + splitLines(readFile(pidFile)).at(0) + "/exe";
    for (int tries = 0; fs::exists(background) && tries < 100; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(fs::exists(background));
}

// Files someone could plant beside the entries (FIFOs, devices, huge files) are tested with the
// command, which names those it cannot read.
TEST(AppleScriptHostTest, LoginItemsAreTheVisibleReadableAutostartEntriesByTheirNames) {
    const TemporaryFolder folder;
    const auto entry = [&](const std::string& file, const std::string& keys) {
        writeFile(folder.path() / file, "[Desktop Entry]\nType=Application\n" + keys);
    };
    entry("b.desktop", "Name=Tavrel\n");
    entry("a.desktop", "Name=Zeta\n");
    entry("c.desktop", "Name=Hidden\nHidden=true\n");
    entry("d.desktop", "Exec=nameless\n");
    entry("e.txt", "Name=Not an entry\n");
    entry("h.desktop", "Name=Ta\\s\"x\\\\\n");
    const std::string list = std::string(kTell) + "get the name of every login item";
    const auto host = AppleScriptHost::make({.loginItemsFolder = folder.string()});
    using Item = ScriptDescriptor;
    EXPECT_EQ(host->execute(list),
              Execution(Item::list({Item::text("Zeta"), Item::text("Tavrel"), Item::missingValue(),
                                    Item::text("Ta \"x\\")})));
    // A hidden entry is no login item.
    EXPECT_EQ(host->execute(std::string(kTell) + "delete login item \"Hidden\""),
              Execution(Failure{-1728, "Can't get login item \"Hidden\"."}));
    EXPECT_EQ(host->execute(std::string(kTell) + "delete login item \"Tavrel\""),
              Execution(ScriptDescriptor::missingValue()));
    EXPECT_FALSE(fs::exists(folder.path() / "b.desktop"));
    EXPECT_TRUE(fs::exists(folder.path() / "c.desktop"));
    const auto none = AppleScriptHost::make({.loginItemsFolder = "/nonexistent/autostart"});
    EXPECT_EQ(none->execute(list), Execution(Item::list({})));
}
