// The freedesktop home trash, desktop entry texts and the autostart login item switch, under
// temporary folders.
#include "platform/LoginItemSwitch.hpp"
#include "platform/TrashFolders.hpp"
#include "platform/linux/DesktopEntry.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using tavrel::platform::LoginItemSwitch;
using tavrel::platform::TrashFolders;
using namespace tavrel::testing;
using Outcome = LoginItemSwitch::Outcome;
using Strings = std::vector<std::string>;

TEST(XdgFoldersTest, TrashAndAutostartFoldersHonourAbsoluteXdgVariablesOnly) {
    const TemporaryFolder home;
    fs::create_directories(home.path() / ".local/share/Trash/files");
    fs::create_directories(home.path() / "data/Trash/files");
    const std::string path = home.string();
    struct Case {
        std::optional<std::string> variable; // both XDG_DATA_HOME and XDG_CONFIG_HOME
        Strings trash;
        std::string autostart;
    };
    // The unset row comes last, so that no later test of this process meets the test's values.
    const std::vector<Case> cases{
        {path + "/data", {path + "/data/Trash/files"}, path + "/data/autostart"},
        {path + "/none", {}, path + "/none/autostart"},
        {"relative", {path + "/.local/share/Trash/files"}, path + "/.config/autostart"},
        {std::nullopt, {path + "/.local/share/Trash/files"}, path + "/.config/autostart"},
    };
    for (const Case& test : cases) {
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            test.variable ? setenv(name, test.variable->c_str(), 1) : unsetenv(name);
        }
        const std::string row = test.variable.value_or("unset");
        EXPECT_EQ(TrashFolders::userTrashFolders(path + "/"), test.trash) << row;
        EXPECT_EQ(LoginItemSwitch::loginItemsFolder(path + "/"), test.autostart) << row;
    }
}

// The removal of an item and its record as such is checked end to end by the command's tests.
TEST(TrashFoldersTest, ARecordGoesOnlyWithItsItemAndCannotUndoItsRemoval) {
    const TemporaryFolder temp;
    const fs::path trash = temp.path() / "Trash";
    const std::string files = (trash / "files").string();
    writeFile(trash / "info/X.app.trashinfo", "[Trash Info]\n");
    auto removal = TrashFolders::removeItem(files, "X.app");
    ASSERT_TRUE(removal.ok());
    EXPECT_FALSE(removal->removed);
    EXPECT_TRUE(fs::exists(trash / "info/X.app.trashinfo"));

    // The item here is a link, which goes while its target stays.
    fs::remove_all(trash / "info");
    writeFile(trash / "info", "not a folder");
    writeFile(temp.path() / "elsewhere/data", "keep");
    fs::create_directories(trash / "files");
    fs::create_directory_symlink(temp.path() / "elsewhere", trash / "files/X.app");
    removal = TrashFolders::removeItem(files, "X.app");
    ASSERT_TRUE(removal.ok());
    EXPECT_TRUE(removal->removed);
    EXPECT_FALSE(fs::exists(fs::symlink_status(trash / "files/X.app")));
    ASSERT_TRUE(removal->recordError);
    EXPECT_EQ(removal->recordError->code(), ENOTDIR);
    EXPECT_EQ(readFile(temp.path() / "elsewhere/data"), "keep");

    EXPECT_FALSE(TrashFolders::removeItem(files, "../info").ok());
    EXPECT_EQ(readFile(trash / "info"), "not a folder");
}

TEST(DesktopEntryTest, ReadsKeysOfTheMainGroupOnly) {
    using tavrel::platform::linux_desktop::mainGroupValue;
    const std::string entry = "[Desktop Entry]\nName=Tavrel\nHidden = false\nExec=x\n"
                              "[Desktop Action y]\nHidden=true\nName=Other\n";
    EXPECT_EQ(mainGroupValue(entry, "Name"), "Tavrel");
    EXPECT_EQ(mainGroupValue(entry, "Hidden"), "false");
    EXPECT_EQ(mainGroupValue(entry, "Exe"), std::nullopt);
    EXPECT_EQ(mainGroupValue("[Other]\nName=x\n", "Name"), std::nullopt);
    EXPECT_EQ(mainGroupValue("[Desktop Entry]\nName[de]=x\r\n", "Name"), std::nullopt);
}

TEST(LoginItemSwitchTest, SwitchesTheMainGroupOfTheIdentifiersEntryAndSaysWhenItWasAlreadySo) {
    const TemporaryFolder folder;
    const fs::path entry = folder.path() / "launcher.desktop";
    const std::string on = "[Desktop Entry]\nName=L\nExec=launcher\n";
    const std::string off = on + "Hidden=true\n";
    // The entry before ("": none), switched on or off, the outcome, and the entry after.
    const std::vector<std::tuple<std::string, bool, Outcome, std::string>> cases{
        {"", false, Outcome::notFound, ""},
        {on, false, Outcome::switched, off},
        {off, false, Outcome::alreadySwitched, off},
        {off, true, Outcome::switched, on},
        {on, true, Outcome::alreadySwitched, on},
        {"[Desktop Entry]\nName=T\nHidden = false\nExec=x\n[Desktop Action y]\nHidden=true\n",
         false, Outcome::switched,
         "[Desktop Entry]\nName=T\nHidden=true\nExec=x\n[Desktop Action y]\nHidden=true\n"},
        {"[Desktop Entry]\nName=L\n[Other]\nA=b", false, Outcome::switched,
         "[Desktop Entry]\nName=L\nHidden=true\n[Other]\nA=b\n"},
        {"[Desktop Entry]", false, Outcome::switched, "[Desktop Entry]\nHidden=true\n"},
        {"[Desktop Entry]\nHidden=true\nName=L\nHidden=true\n", true, Outcome::switched,
         "[Desktop Entry]\nName=L\n"},
        {"[Desktop Entry]\nHidden=true\n[A]\nHidden=true\n", true, Outcome::switched,
         "[Desktop Entry]\n[A]\nHidden=true\n"},
    };
    for (const auto& [before, enabled, outcome, after] : cases) {
        fs::remove(entry);
        if (!before.empty()) {
            writeFile(entry, before);
        }
        const auto result = LoginItemSwitch::setEnabled(folder.string(), "launcher", enabled);
        ASSERT_TRUE(result.ok()) << before;
        EXPECT_EQ(*result, outcome) << before;
        EXPECT_EQ(fs::exists(entry) ? readFile(entry) : "", after) << before;
    }

    // A link to a shared entry is replaced by the user's own copy, not written through.
    const TemporaryFolder shared;
    writeFile(shared.path() / "launcher.desktop", on);
    fs::remove(entry);
    fs::create_symlink(shared.path() / "launcher.desktop", entry);
    EXPECT_EQ(LoginItemSwitch::setEnabled(folder.string(), "launcher", false).value(),
              Outcome::switched);
    EXPECT_EQ(readFile(shared.path() / "launcher.desktop"), on);
    EXPECT_FALSE(fs::is_symlink(entry));

    // An identifier that is not a single name never reaches a file outside the folder.
    writeFile(folder.path() / "x.desktop", "[Desktop Entry]\n");
    const auto outside = LoginItemSwitch::setEnabled(folder.string() + "/sub", "../x", false);
    ASSERT_TRUE(outside.ok());
    EXPECT_EQ(*outside, Outcome::notFound);
    EXPECT_EQ(readFile(folder.path() / "x.desktop"), "[Desktop Entry]\n");
}
