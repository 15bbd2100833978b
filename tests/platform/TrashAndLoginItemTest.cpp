// The freedesktop home trash, desktop entry texts and the autostart login item switch, under
// temporary folders.
#include "platform/LoginItemSwitch.hpp"
#include "platform/TrashFolders.hpp"
#include "platform/linux/DesktopEntry.hpp"
#include "tests/platform/ScopedEnvironment.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using tavrel::platform::LoginItemSwitch;
using tavrel::platform::TrashFolders;
using tavrel::testing::readFile;
using tavrel::testing::ScopedEnvironment;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;
using Outcome = LoginItemSwitch::Outcome;

TEST(TrashFoldersTest, HomeTrashIsFoundOnlyWhenItExistsAndHonoursXdgDataHome) {
    TemporaryFolder home;
    TemporaryFolder data;
    ScopedEnvironment environment;
    environment.set("XDG_DATA_HOME", std::nullopt);
    EXPECT_TRUE(TrashFolders::userTrashFolders(home.string()).empty());
    fs::create_directories(home.path() / ".local/share/Trash/files");
    const std::vector<std::string> homeTrash{home.string() + "/.local/share/Trash/files"};
    EXPECT_EQ(TrashFolders::userTrashFolders(home.string()), homeTrash);
    EXPECT_EQ(TrashFolders::userTrashFolders(home.string() + "/"), homeTrash);

    fs::create_directories(data.path() / "Trash/files");
    environment.set("XDG_DATA_HOME", data.string());
    EXPECT_EQ(TrashFolders::userTrashFolders(home.string()),
              std::vector<std::string>{data.string() + "/Trash/files"});
    environment.set("XDG_DATA_HOME", "relative/data"); // invalid, so ignored
    EXPECT_EQ(TrashFolders::userTrashFolders(home.string()), homeTrash);
}

TEST(TrashFoldersTest, RemovesTheItemThenItsRecordAndNothingElse) {
    TemporaryFolder temp;
    const fs::path trash = temp.path() / "Trash";
    const std::string folder = (trash / "files").string();
    writeFile(trash / "files/TAVREL.app/Contents/Info.plist", "x");
    writeFile(trash / "info/TAVREL.app.trashinfo", "[Trash Info]\n");
    writeFile(trash / "files/Tavrel.app/Contents/Info.plist", "x");
    writeFile(trash / "info/Tavrel.app.trashinfo", "[Trash Info]\n");

    auto removal = TrashFolders::removeItem(folder, "TAVREL.app");
    ASSERT_TRUE(removal.ok());
    EXPECT_TRUE(removal->removed);
    EXPECT_FALSE(removal->recordError);
    EXPECT_FALSE(fs::exists(trash / "files/TAVREL.app"));
    EXPECT_FALSE(fs::exists(trash / "info/TAVREL.app.trashinfo"));
    EXPECT_TRUE(fs::exists(trash / "files/Tavrel.app/Contents/Info.plist"));
    EXPECT_TRUE(fs::exists(trash / "info/Tavrel.app.trashinfo"));

    // Without the item, its record is not touched, and nothing about it can fail the removal.
    writeFile(trash / "info/TAVREL.app.trashinfo", "[Trash Info]\n");
    removal = TrashFolders::removeItem(folder, "TAVREL.app");
    ASSERT_TRUE(removal.ok());
    EXPECT_FALSE(removal->removed);
    EXPECT_TRUE(fs::exists(trash / "info/TAVREL.app.trashinfo"));

    // A record that cannot be deleted does not undo the removal of the item.
    fs::remove_all(trash / "info");
    writeFile(trash / "info", "not a folder");
    fs::create_directory(trash / "files/TAVREL.app");
    removal = TrashFolders::removeItem(folder, "TAVREL.app");
    ASSERT_TRUE(removal.ok());
    EXPECT_TRUE(removal->removed);
    ASSERT_TRUE(removal->recordError);
    EXPECT_EQ(removal->recordError->code(), ENOTDIR);

    // A link in the Trash goes, what it leads to stays.
    writeFile(temp.path() / "elsewhere/data", "keep");
    fs::create_directory_symlink(temp.path() / "elsewhere", trash / "files/TAVREL.app");
    EXPECT_TRUE(TrashFolders::removeItem(folder, "TAVREL.app")->removed);
    EXPECT_EQ(readFile(temp.path() / "elsewhere/data"), "keep");

    EXPECT_FALSE(TrashFolders::removeItem(folder, "../info").ok());
    EXPECT_EQ(readFile(trash / "info"), "not a folder");
}

TEST(DesktopEntryTest, ReadsAndSetsKeysOfTheMainGroupOnly) {
    using tavrel::platform::linux_desktop::mainGroupValue;
    using tavrel::platform::linux_desktop::withMainGroupValue;
    const std::string entry = "[Desktop Entry]\nName=Tavrel\nHidden = false\nExec=x\n"
                              "[Desktop Action y]\nHidden=true\nName=Other\n";
    EXPECT_EQ(mainGroupValue(entry, "Name"), "Tavrel");
    EXPECT_EQ(mainGroupValue(entry, "Hidden"), "false");
    EXPECT_EQ(mainGroupValue(entry, "Exe"), std::nullopt);
    EXPECT_EQ(mainGroupValue("[Other]\nName=x\n", "Name"), std::nullopt);
    EXPECT_EQ(mainGroupValue("[Desktop Entry]\nName[de]=x\r\n", "Name"), std::nullopt);

    struct Case {
        const char* name;
        std::string text;
        std::optional<std::string> hidden;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"replaced in place, other groups untouched", entry, "true",
         "[Desktop Entry]\nName=Tavrel\nHidden=true\nExec=x\n"
         "[Desktop Action y]\nHidden=true\nName=Other\n"},
        {"added at the end of the main group", "[Desktop Entry]\nName=L\n[Other]\nA=b", "true",
         "[Desktop Entry]\nName=L\nHidden=true\n[Other]\nA=b\n"},
        {"added to a lone header", "[Desktop Entry]", "true", "[Desktop Entry]\nHidden=true\n"},
        {"taken out, twice written", "[Desktop Entry]\nHidden=true\nName=L\nHidden=true\n",
         std::nullopt, "[Desktop Entry]\nName=L\n"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(withMainGroupValue(test.text, "Hidden", test.hidden), test.expected) << test.name;
    }
}

TEST(LoginItemSwitchTest, SwitchesTheEntryOfTheIdentifierAndSaysWhenItWasAlreadySo) {
    TemporaryFolder folder;
    const std::string id = "com.quillorchid.TavrelOSXLauncher";
    const fs::path entry = folder.path() / (id + ".desktop");
    const auto set = [&](bool enabled) {
        const auto result = LoginItemSwitch::setEnabled(folder.string(), id, enabled);
        EXPECT_TRUE(result.ok());
        return result.ok() ? *result : Outcome::notFound;
    };
    EXPECT_EQ(set(false), Outcome::notFound);
    EXPECT_FALSE(fs::exists(entry));

    writeFile(entry, "[Desktop Entry]\nName=Tavrel Launcher\nExec=launcher\n");
    EXPECT_EQ(set(false), Outcome::switched);
    EXPECT_EQ(readFile(entry),
              "[Desktop Entry]\nName=Tavrel Launcher\nExec=launcher\nHidden=true\n");
    EXPECT_EQ(set(false), Outcome::alreadySwitched);
    EXPECT_EQ(set(true), Outcome::switched);
    EXPECT_EQ(readFile(entry), "[Desktop Entry]\nName=Tavrel Launcher\nExec=launcher\n");
    EXPECT_EQ(set(true), Outcome::alreadySwitched);

    // A link to a shared entry is replaced by the user's own copy, not written through.
    TemporaryFolder shared;
    writeFile(shared.path() / "launcher.desktop", "[Desktop Entry]\nName=L\n");
    fs::remove(entry);
    fs::create_symlink(shared.path() / "launcher.desktop", entry);
    EXPECT_EQ(set(false), Outcome::switched);
    EXPECT_EQ(readFile(shared.path() / "launcher.desktop"), "[Desktop Entry]\nName=L\n");
    EXPECT_FALSE(fs::is_symlink(entry));

    // An identifier that is not a single name never reaches a file outside the folder.
    writeFile(folder.path() / "x.desktop", "[Desktop Entry]\n");
    const auto outside = LoginItemSwitch::setEnabled(folder.string() + "/sub", "../x", false);
    ASSERT_TRUE(outside.ok());
    EXPECT_EQ(*outside, Outcome::notFound);
    EXPECT_EQ(readFile(folder.path() / "x.desktop"), "[Desktop Entry]\n");
}

TEST(LoginItemSwitchTest, FolderDefaultsToTheConfigFolderAndHonoursXdgConfigHome) {
    ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(LoginItemSwitch::loginItemsFolder("/home/a/"), "/home/a/.config/autostart");
    environment.set("XDG_CONFIG_HOME", "/etc/x");
    EXPECT_EQ(LoginItemSwitch::loginItemsFolder("/home/a"), "/etc/x/autostart");
    environment.set("XDG_CONFIG_HOME", "relative");
    EXPECT_EQ(LoginItemSwitch::loginItemsFolder("/home/a"), "/home/a/.config/autostart");
}
