// The freedesktop home trash and the autostart login item switch, under a temporary home.
#include "platform/LoginItemSwitch.hpp"
#include "platform/TrashFolders.hpp"
#include "tests/platform/ScopedEnvironment.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using tavrel::platform::LoginItemSwitch;
using tavrel::platform::TrashFolders;
using tavrel::testing::readFile;
using tavrel::testing::ScopedEnvironment;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;

namespace {

class HomeTest : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.set("HOME", home_.string());
        environment_.set("XDG_DATA_HOME", std::nullopt);
        environment_.set("XDG_CONFIG_HOME", std::nullopt);
    }
    TemporaryFolder home_;
    ScopedEnvironment environment_;
};

using TrashFoldersTest = HomeTest;
using LoginItemSwitchTest = HomeTest;

} // namespace

TEST_F(TrashFoldersTest, HomeTrashIsFoundOnlyWhenItExistsAndHonoursXdgDataHome) {
    EXPECT_TRUE(TrashFolders::userTrashFolders().empty());
    fs::create_directories(home_.path() / ".local/share/Trash/files");
    EXPECT_EQ(TrashFolders::userTrashFolders(),
              std::vector<std::string>{home_.string() + "/.local/share/Trash/files"});

    TemporaryFolder data;
    fs::create_directories(data.path() / "Trash/files");
    environment_.set("XDG_DATA_HOME", data.string());
    EXPECT_EQ(TrashFolders::userTrashFolders(),
              std::vector<std::string>{data.string() + "/Trash/files"});
    // A relative value is invalid and ignored.
    environment_.set("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(TrashFolders::userTrashFolders(),
              std::vector<std::string>{home_.string() + "/.local/share/Trash/files"});
}

TEST_F(TrashFoldersTest, RemovesTheItemAndItsRecordAndNothingElse) {
    const fs::path trash = home_.path() / ".local/share/Trash";
    writeFile(trash / "files/TAVREL.app/Contents/Info.plist", "x");
    writeFile(trash / "info/TAVREL.app.trashinfo", "[Trash Info]\n");
    writeFile(trash / "files/Tavrel.app/Contents/Info.plist", "x");
    writeFile(trash / "info/Tavrel.app.trashinfo", "[Trash Info]\n");
    const std::string folder = (trash / "files").string();

    auto removal = TrashFolders::removeItem(folder, "TAVREL.app");
    EXPECT_TRUE(removal.removed);
    EXPECT_FALSE(removal.error);
    EXPECT_FALSE(fs::exists(trash / "files/TAVREL.app"));
    EXPECT_FALSE(fs::exists(trash / "info/TAVREL.app.trashinfo"));
    EXPECT_TRUE(fs::exists(trash / "files/Tavrel.app/Contents/Info.plist"));
    EXPECT_TRUE(fs::exists(trash / "info/Tavrel.app.trashinfo"));

    removal = TrashFolders::removeItem(folder, "TAVREL.app");
    EXPECT_FALSE(removal.removed);
    EXPECT_FALSE(removal.error);

    // A link in the Trash goes, what it leads to stays.
    TemporaryFolder elsewhere;
    writeFile(elsewhere.path() / "data", "keep");
    fs::create_directory_symlink(elsewhere.path(), trash / "files/TAVREL.app");
    EXPECT_TRUE(TrashFolders::removeItem(folder, "TAVREL.app").removed);
    EXPECT_EQ(readFile(elsewhere.path() / "data"), "keep");

    EXPECT_TRUE(TrashFolders::removeItem(folder, "../info").error);
    EXPECT_TRUE(fs::exists(trash / "info/Tavrel.app.trashinfo"));
}

TEST_F(LoginItemSwitchTest, SwitchingOffSetsHiddenInTheMainGroupOnly) {
    const fs::path entry =
        home_.path() / ".config/autostart/com.quillorchid.TavrelOSXLauncher.desktop";
    EXPECT_FALSE(LoginItemSwitch::setEnabled("com.quillorchid.TavrelOSXLauncher", false).found);
    EXPECT_FALSE(fs::exists(entry));

    writeFile(entry, "[Desktop Entry]\nName=Tavrel Launcher\nHidden = false\nExec=launcher\n"
                     "[Desktop Action x]\nHidden=false\n");
    auto result = LoginItemSwitch::setEnabled("com.quillorchid.TavrelOSXLauncher", false);
    EXPECT_TRUE(result.found);
    EXPECT_FALSE(result.error);
    EXPECT_EQ(readFile(entry), "[Desktop Entry]\nName=Tavrel Launcher\nHidden=true\nExec=launcher\n"
                               "[Desktop Action x]\nHidden=false\n");

    writeFile(entry, "[Desktop Entry]\nName=Tavrel Launcher\n[Other]\nA=b");
    EXPECT_TRUE(LoginItemSwitch::setEnabled("com.quillorchid.TavrelOSXLauncher", false).found);
    EXPECT_EQ(readFile(entry),
              "[Desktop Entry]\nName=Tavrel Launcher\nHidden=true\n[Other]\nA=b\n");

    EXPECT_TRUE(LoginItemSwitch::setEnabled("com.quillorchid.TavrelOSXLauncher", true).found);
    EXPECT_EQ(readFile(entry), "[Desktop Entry]\nName=Tavrel Launcher\n[Other]\nA=b\n");
}

TEST_F(LoginItemSwitchTest, ALinkedEntryIsReplacedNotWrittenThroughAndBadIdsAreIgnored) {
    TemporaryFolder shared;
    writeFile(shared.path() / "launcher.desktop", "[Desktop Entry]\nName=L\n");
    TemporaryFolder config;
    environment_.set("XDG_CONFIG_HOME", config.string());
    fs::create_directories(config.path() / "autostart");
    const fs::path entry = config.path() / "autostart/com.quillorchid.TavrelOSXLauncher.desktop";
    fs::create_symlink(shared.path() / "launcher.desktop", entry);

    EXPECT_TRUE(LoginItemSwitch::setEnabled("com.quillorchid.TavrelOSXLauncher", false).found);
    EXPECT_EQ(readFile(shared.path() / "launcher.desktop"), "[Desktop Entry]\nName=L\n");
    EXPECT_FALSE(fs::is_symlink(entry));
    EXPECT_EQ(readFile(entry), "[Desktop Entry]\nName=L\nHidden=true\n");

    writeFile(config.path() / "x.desktop", "[Desktop Entry]\n");
    EXPECT_FALSE(LoginItemSwitch::setEnabled("../autostart/x", false).found);
    EXPECT_EQ(readFile(config.path() / "x.desktop"), "[Desktop Entry]\n");
}
