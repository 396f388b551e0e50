// The desktop program's command line, its choice of the first catalog, the command table and
// the drag data format.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandTable.h"
#include "app/DragData.h"
#include "app/StartUp.h"
#include "catalog/CatalogTree.h"
#include "foundation/BuiltinTexts.h"
#include "foundation/LanguageTexts.h"

namespace shelfmark {
namespace {

CommandLine Parse(std::vector<std::string> arguments) {
    return ParseCommandLine(arguments);
}

TEST(CommandLineTest, SwitchesIgnoreCaseAndTakeDashOrSlash) {
    for (const char* spelling : {"-new", "/NEW", "-New", "/nEw"})
        EXPECT_TRUE(Parse({spelling}).newCatalog) << spelling;
    EXPECT_TRUE(Parse({"-uninstall"}).uninstall);
    EXPECT_TRUE(Parse({"/UNINSTALL"}).uninstall);
    const CommandLine lower = Parse({"-search", "/media/cd/Song.mp3"});
    const CommandLine upper = Parse({"/SEARCH", "/media/cd/Song.mp3"});
    ASSERT_TRUE(lower.searchName && upper.searchName);
    EXPECT_EQ(*lower.searchName, *upper.searchName);
    // "Systray" is accepted and changes nothing.
    const CommandLine tray = Parse({"-Systray"});
    EXPECT_FALSE(tray.newCatalog || tray.uninstall || tray.searchName || tray.directoryToRead);
    EXPECT_TRUE(tray.catalogFile.empty());
}

TEST(CommandLineTest, PathsFollowThePendingSwitch) {
    const CommandLine line = Parse({"-Catalog", "/mnt/photos", "-Search", "/home/u/a b.txt",
                                    "/home/u/books.tkd"});
    EXPECT_EQ(line.directoryToRead.value_or(""), "/mnt/photos");
    EXPECT_EQ(line.searchName.value_or(""), "a b.txt");
    EXPECT_EQ(line.catalogFile, "/home/u/books.tkd");
}

TEST(CommandLineTest, APathBeforeAnySwitchIsTheCatalogEvenWithSearchLater) {
    const CommandLine line = Parse({"music.tkd", "-Search", "track.mp3"});
    EXPECT_EQ(line.catalogFile, "music.tkd");
    EXPECT_EQ(line.searchName.value_or(""), "track.mp3");
}

TEST(CommandLineTest, AnAbsolutePathIsNoSwitch) {
    // Linux paths start with "/": only the known switch names are switches.
    EXPECT_EQ(Parse({"/home/u/new"}).catalogFile, "/home/u/new");
    EXPECT_FALSE(Parse({"/home/u/new"}).newCatalog);
    EXPECT_EQ(Parse({"/"}).catalogFile, "/");
}

TEST(CommandLineTest, SearchKeepsOnlyTheLastName) {
    EXPECT_EQ(SearchNameOfPath("C:\\Music\\Song.mp3"), "Song.mp3");
    EXPECT_EQ(SearchNameOfPath("/media/cd/Song.mp3"), "Song.mp3");
    EXPECT_EQ(SearchNameOfPath("Song.mp3"), "Song.mp3");
    // A directory written with its separator is searched for by its name.
    EXPECT_EQ(SearchNameOfPath("/media/cd/Photos/"), "Photos");
    EXPECT_EQ(SearchNameOfPath("/"), "/");
}

TEST(StartCatalogTest, CommandLineThenStartMode) {
    AppSettings settings;
    settings.LastFile = "/home/u/last.tkd";
    settings.StartMode = 1;
    EXPECT_EQ(ChooseStartCatalog(Parse({}), settings).path, "/home/u/last.tkd");
    EXPECT_EQ(ChooseStartCatalog(Parse({"given.tkd"}), settings).path, "given.tkd");
    EXPECT_EQ(ChooseStartCatalog(Parse({"-New"}), settings).kind, StartCatalog::Empty);
    settings.LastFile.clear();
    EXPECT_EQ(ChooseStartCatalog(Parse({}), settings).kind, StartCatalog::Empty);
    settings.StartMode = 2;
    EXPECT_EQ(ChooseStartCatalog(Parse({}), settings).kind, StartCatalog::OpenDialog);
    EXPECT_EQ(ChooseStartCatalog(Parse({"-new"}), settings).kind, StartCatalog::Empty);
    EXPECT_EQ(ChooseStartCatalog(Parse({"x.tkd"}), settings).kind, StartCatalog::File);
    settings.StartMode = 0;
    settings.LastFile = "/home/u/last.tkd";
    EXPECT_EQ(ChooseStartCatalog(Parse({}), settings).kind, StartCatalog::Empty);
}

TEST(CommandTableTest, EveryCommandHasTextPromptAndOneShortcut) {
    LanguageTexts::Instance().setPromptKeys(DefaultPromptKeys());
    std::vector<std::string_view> shortcuts;
    for (const CommandInfo& info : CommandTable()) {
        EXPECT_FALSE(FindBuiltinText(info.section, info.key).empty())
            << info.section << " " << info.key;
        EXPECT_FALSE(BuiltinPromptText(info.prompt).empty()) << int(info.id);
        if (!info.shortcut.empty()) {
            EXPECT_EQ(std::count(shortcuts.begin(), shortcuts.end(), info.shortcut), 0)
                << info.shortcut;
            shortcuts.push_back(info.shortcut);
        }
    }
    // The shortcuts the command prompts name.
    EXPECT_EQ(FindCommand(CommandId::ReadDisk).shortcut, "Ctrl+H");
    EXPECT_EQ(FindCommand(CommandId::CreateFolder).shortcut, "Ctrl+M");
    EXPECT_EQ(FindCommand(CommandId::Settings).shortcut, "Ctrl+Shift+E");
    EXPECT_EQ(FindCommand(CommandId::EnterPassword).shortcut, "Ctrl+Shift+R");
    EXPECT_EQ(FindCommand(CommandId::MinimizeToTray).shortcut, "Alt+T");
    EXPECT_EQ(MenuEntryText("&Read Disk...\nCtrl+H"), "&Read Disk...");
    EXPECT_EQ(MenuEntryText("&Minimize to SysTray\tAlt+T"), "&Minimize to SysTray");
    const PromptParts parts = SplitPrompt("Deletes the selected entry from the database.\nDelete (Del)");
    EXPECT_EQ(parts.statusText, "Deletes the selected entry from the database.");
    EXPECT_EQ(parts.tooltip, "Delete (Del)");
}

class DragDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = tree.resetToNewCatalog();
        folder = tree.createItem("Music", root, Sorted, itemflag::Folder);
        disk = tree.createItem("CD 1", folder, Sorted, DiskFlags(MediaType::CdRom));
        file = tree.createItem("a.mp3", disk, Last, 0);
        other = tree.createItem("Other", root, Sorted, itemflag::Folder);
    }
    CatalogTree tree;
    CatalogItem* root = nullptr;
    CatalogItem* folder = nullptr;
    CatalogItem* disk = nullptr;
    CatalogItem* file = nullptr;
    CatalogItem* other = nullptr;
};

TEST_F(DragDataTest, RoundTripsByRowPaths) {
    const std::string data = EncodeDragData(tree, 7, {file, other}, 1234);
    EXPECT_EQ(data.substr(0, data.find('\n')), "shelfmark-drag 1");
    EXPECT_EQ(DecodeDragData(tree, 7, data, 1234), (std::vector<CatalogItem*>{file, other}));
}

TEST_F(DragDataTest, RefusesOtherProcessesOtherTreesAndStaleRows) {
    const std::string data = EncodeDragData(tree, 7, {file}, 1234);
    EXPECT_TRUE(DecodeDragData(tree, 7, data, 999).empty());
    EXPECT_TRUE(DecodeDragData(tree, 8, data, 1234).empty());
    tree.removeItem(file, false);
    EXPECT_TRUE(DecodeDragData(tree, 7, data, 1234).empty());
    EXPECT_TRUE(DecodeDragData(tree, 7, "shelfmark-drag 1\n1234\n7\n0/x\n", 1234).empty());
    EXPECT_TRUE(DecodeDragData(tree, 7, "garbage", 1234).empty());
    EXPECT_TRUE(DecodeDragData(tree, 7, "", 1234).empty());
}

TEST_F(DragDataTest, DropsItemsInsideAnotherListedItem) {
    const std::string data = EncodeDragData(tree, 1, {file, folder, disk}, 5);
    EXPECT_EQ(DecodeDragData(tree, 1, data, 5), (std::vector<CatalogItem*>{folder}));
}

TEST_F(DragDataTest, LockedContentsAreNotReachable) {
    const std::string data = EncodeDragData(tree, 1, {file}, 5);
    tree.setBlockAttribute(disk, attr::PasswordCheck, std::vector<uint8_t>{1, 2, 3});
    EXPECT_TRUE(DecodeDragData(tree, 1, data, 5).empty());
}

}  // namespace
}  // namespace shelfmark
