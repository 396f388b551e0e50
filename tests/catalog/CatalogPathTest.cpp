// Catalog paths typed by people: separators, the "\\" escape for backslashes inside names, the
// display form's colon, and paths printed by CatalogPathOf resolving back to their items.
#include "catalog/CatalogPath.h"

#include <gtest/gtest.h>

#include <random>

namespace shelfmark {
namespace {

using Names = std::vector<std::string>;

TEST(CatalogPath, SplitsAtEitherSeparatorAndUndoesEscapes) {
    EXPECT_EQ(SplitCatalogPath("Music/Holiday CD\\Docs/a.txt"),
              (Names{"Music", "Holiday CD", "Docs", "a.txt"}));
    EXPECT_EQ(SplitCatalogPath(""), Names{});
    EXPECT_EQ(SplitCatalogPath("/"), Names{});
    EXPECT_EQ(SplitCatalogPath("\\"), Names{});
    EXPECT_EQ(SplitCatalogPath("//Music//Jazz/"), (Names{"Music", "Jazz"}));
    EXPECT_EQ(SplitCatalogPath("Scans\\\\2024"), Names{"Scans\\2024"});
    EXPECT_EQ(SplitCatalogPath("Disk/Scans\\\\2024\\a.jpg"), (Names{"Disk", "Scans\\2024", "a.jpg"}));
    EXPECT_EQ(SplitCatalogPath("\\\\"), Names{"\\"});
    EXPECT_EQ(SplitCatalogPath("a\\\\\\\\b"), Names{"a\\\\b"});
    EXPECT_EQ(SplitCatalogPath("a\\\\\\b"), (Names{"a\\", "b"}));  // read left to right
    EXPECT_EQ(SplitCatalogPath("trailing\\\\"), Names{"trailing\\"});
}

class CatalogPathTree : public ::testing::Test {
  protected:
    void SetUp() override {
        root = tree.resetToNewCatalog();
        folder = tree.createItem("Photos", root, Last, itemflag::Folder);
        disk = tree.createItem("Holiday", folder, Last, DiskFlags(MediaType::CdRom));
        slashed = tree.createItem("Scans\\2024", disk, Last, itemflag::Directory);
        file = tree.createItem("a\\b.txt", slashed, Last, 0);
        colon = tree.createItem("ratio 16:", disk, Last, 0);
        tree.createItem("ratio 16", disk, Last, 0);
    }
    CatalogTree tree;
    CatalogItem *root, *folder, *disk, *slashed, *file, *colon;
};

TEST_F(CatalogPathTree, NamesWithBackslashesAreReachable) {
    EXPECT_EQ(ResolveCatalogPath(tree, "Photos/Holiday/Scans\\\\2024/a\\\\b.txt"), file);
    EXPECT_EQ(ResolveCatalogPath(tree, "photos\\HOLIDAY\\scans\\\\2024\\A\\\\B.TXT"), file);
    EXPECT_EQ(ResolveCatalogPath(tree, "Photos/Holiday/Scans/2024"), nullptr);
    EXPECT_EQ(ResolveCatalogPath(tree, "Scans\\\\2024", disk), slashed);
    EXPECT_EQ(ResolveCatalogPath(tree, ""), root);
    EXPECT_EQ(ResolveCatalogPath(tree, "/", folder), folder);
    EXPECT_EQ(ResolveCatalogPath(tree, "Photos/Nothing/Holiday"), nullptr);
}

TEST_F(CatalogPathTree, DisplayFormColonAndNamesEndingInColon) {
    EXPECT_EQ(ResolveCatalogPath(tree, "Photos\\Holiday:\\Scans\\\\2024"), slashed);
    EXPECT_EQ(ResolveCatalogPath(tree, "Photos/Holiday/ratio 16:"), colon);
    EXPECT_EQ(ResolveCatalogPath(tree, "Photos/Holiday/ratio 16")->name(), "ratio 16");
}

TEST_F(CatalogPathTree, PrintedPathsResolveBackToTheirItems) {
    EXPECT_EQ(CatalogPathOf(*file), "Photos\\Holiday\\Scans\\\\2024\\a\\\\b.txt");
    EXPECT_EQ(CatalogPathOf(*folder), "Photos");
    EXPECT_EQ(CatalogPathOf(*root), "");
    CatalogItem* leading = tree.createItem("\\lead", slashed, Last, 0);
    EXPECT_EQ(CatalogPathOf(*leading), "Photos\\Holiday\\Scans\\\\2024/\\\\lead");

    // Random names made of backslashes, colons and letters survive the round trip.
    std::mt19937 random(7);
    const char alphabet[] = "\\\\\\:ab";
    for (int round = 0; round < 300; ++round) {
        std::string name;
        for (size_t length = 1 + random() % 6; name.size() < length;)
            name += alphabet[random() % 6];
        if (name.back() == ':')
            continue;  // the display form's colon, tested above
        CatalogItem* item = tree.createItem(name, folder, Last, 0);
        EXPECT_EQ(ResolveCatalogPath(tree, CatalogPathOf(*item)), item) << name;
        tree.removeItem(item, false);
    }
}

TEST_F(CatalogPathTree, NothingBelowALockedItemIsFound) {
    const uint8_t check[] = {1};
    tree.setBlockAttribute(folder, attr::PasswordCheck, check);
    EXPECT_EQ(ResolveCatalogPath(tree, "Photos"), folder);
    EXPECT_EQ(ResolveCatalogPath(tree, "Photos/Holiday"), nullptr);
}

// Shortcuts store the target's reference path; it must lead back to a target whose name holds a
// backslash, and the program's other path lookups (resolvePath) read the same syntax.
TEST_F(CatalogPathTree, ReferencePathsReachNamesWithBackslashes) {
    tree.setNumberAttribute(disk, attr::DiskNumber, 42);
    EXPECT_EQ(tree.pathText(file, pathmode::Reference), "{Disk002A}:\\Scans\\\\2024\\a\\\\b.txt");
    EXPECT_EQ(tree.pathText(file, pathmode::Plain), "\\Scans\\2024\\a\\b.txt");  // a real path
    CatalogItem* leading = tree.createItem("\\lead", slashed, Last, 0);
    EXPECT_EQ(tree.pathText(leading, pathmode::Reference), "{Disk002A}:\\Scans\\\\2024/\\\\lead");
    for (CatalogItem* target : {file, leading, colon}) {
        CatalogItem* link = tree.createItem("link", root, Last, itemflag::Shortcut);
        tree.setTextAttribute(link, attr::ShortcutTarget, tree.pathText(target, pathmode::Reference));
        EXPECT_EQ(tree.resolveShortcut(link, nullptr), target) << target->name();
        tree.removeItem(link, false);
    }
    EXPECT_EQ(tree.resolvePath("Photos\\Holiday:\\Scans\\\\2024\\a\\\\b.txt", nullptr), file);
}

}  // namespace
}  // namespace shelfmark
