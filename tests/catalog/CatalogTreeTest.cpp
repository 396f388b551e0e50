#include "catalog/CatalogTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/TreeWalk.h"
#include "foundation/ScriptedPrompter.h"

namespace shelfmark {
namespace {

std::vector<std::string> ChildNames(const CatalogItem* parent) {
    std::vector<std::string> names;
    for (const CatalogItem* child = parent->firstChildIgnoringLock(); child; child = child->next())
        names.emplace_back(child->name());
    return names;
}

constexpr uint16_t kFile = 0;

TEST(CatalogTree, NewCatalogHasRootWithCounters) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    ASSERT_EQ(root, tree.topLevel());
    EXPECT_EQ(root->name(), " ");
    EXPECT_EQ(root->flags(), itemflag::Folder);
    EXPECT_EQ(root->numberAttribute(attr::DiskId), 1u);
    EXPECT_EQ(root->numberAttribute(attr::DiskNumber), 1u);
    EXPECT_EQ(root->next(), nullptr);
    EXPECT_EQ(root->parent(), nullptr);
}

TEST(CatalogTree, EmptyNameStoresQuestionMarkAndNoNameStaysEmpty) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* unnamed = tree.createItem(std::nullopt, root, Last, kFile);
    EXPECT_EQ(unnamed->name(), "");
    tree.setName(unnamed, "");
    EXPECT_EQ(unnamed->name(), "?");
    CatalogItem* empty = tree.createItem("", root, Last, kFile);
    EXPECT_EQ(empty->name(), "?");
    tree.setName(empty, "Ärger.txt");
    EXPECT_EQ(empty->name(), "Ärger.txt");
    EXPECT_STREQ(empty->nameCStr(), "Ärger.txt");
}

TEST(CatalogTree, PositionsFirstLastAfter) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* b = tree.createItem("b", root, Last, kFile);
    tree.createItem("c", root, Last, kFile);
    tree.createItem("a", root, First, kFile);
    tree.createItem("b2", root, b, kFile);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a", "b", "b2", "c"}));
    EXPECT_EQ(b->parent(), root);
}

TEST(CatalogTree, SortedInsertionFollowsTreeOrder) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    tree.createItem("A", root, Sorted, kFile);
    tree.createItem("C", root, Sorted, kFile);
    tree.createItem("b", root, Sorted, kFile);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"A", "b", "C"}));
    tree.createItem("zfolder", root, Sorted, itemflag::Folder);
    EXPECT_EQ(ChildNames(root).front(), "zfolder");
    tree.createItem("0link", root, Sorted, itemflag::Shortcut);
    EXPECT_EQ(ChildNames(root).back(), "0link");
}

TEST(CatalogTree, NetworkDriveAndDirectoryShareRankAndSortByName) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* net = tree.createItem("b-net", root, Last, DiskFlags(MediaType::Network));
    CatalogItem* dir = tree.createItem("a-dir", root, Last, itemflag::Directory);
    EXPECT_EQ(TreeRank(*net), TreeRank(*dir));
    EXPECT_GT(CompareTreeOrder(*net, *dir), 0);
    tree.sortChildren(root);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a-dir", "b-net"}));
}

TEST(CatalogTree, RanksOfEveryKind) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    auto rank = [&](uint16_t flags) { return TreeRank(*tree.createItem("x", root, Last, flags)); };
    EXPECT_EQ(rank(itemflag::Folder), 0);
    EXPECT_EQ(rank(DiskFlags(MediaType::AudioCd)), 1);
    EXPECT_EQ(rank(DiskFlags(MediaType::CdRom)), 2);
    EXPECT_EQ(rank(DiskFlags(MediaType::VideoCd)), 3);
    EXPECT_EQ(rank(DiskFlags(MediaType::Removable)), 4);
    EXPECT_EQ(rank(DiskFlags(MediaType::HardDisk)), 5);
    EXPECT_EQ(rank(DiskFlags(MediaType::Network)), 6);
    EXPECT_EQ(rank(itemflag::Directory), 6);
    EXPECT_EQ(rank(kFile), 7);
    EXPECT_EQ(rank(itemflag::Archive), 7);
    EXPECT_EQ(rank(itemflag::Shortcut | itemflag::Folder), 8);
    EXPECT_EQ(rank(itemflag::Shortcut), 15);
}

TEST(CatalogTree, SortChildrenIsCaseInsensitive) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    for (const char* name : {"delta", "Bravo", "alpha", "Charlie", "ÉCOLE", "école2"})
        tree.createItem(name, root, Last, kFile);
    tree.createItem("dir", root, Last, itemflag::Directory);
    tree.sortChildren(root);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"dir", "alpha", "Bravo", "Charlie",
                                                          "delta", "ÉCOLE", "école2"}));
}

TEST(CatalogTree, SortSubtreeSortsEveryLevel) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* disk = tree.createItem("disk", root, Last, DiskFlags(MediaType::CdRom));
    CatalogItem* dir = tree.createItem("z", disk, Last, itemflag::Directory);
    tree.createItem("y", disk, Last, kFile);
    tree.createItem("2", dir, Last, kFile);
    tree.createItem("1", dir, Last, kFile);
    tree.createItem("sub", dir, Last, itemflag::Directory);
    tree.sortSubtree(TopLevel);
    EXPECT_EQ(ChildNames(disk), (std::vector<std::string>{"z", "y"}));
    EXPECT_EQ(ChildNames(dir), (std::vector<std::string>{"sub", "1", "2"}));
}

TEST(CatalogTree, TextAttributeEmptyIsPresentNoneRemoves) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* item = tree.createItem("f", root, Last, kFile);
    ASSERT_TRUE(tree.setTextAttribute(item, attr::Description, ""));
    ASSERT_TRUE(item->textAttribute(attr::Description).has_value());
    EXPECT_EQ(*item->textAttribute(attr::Description), "");
    tree.removeAttribute(item, attr::Description);
    EXPECT_FALSE(item->hasAttribute(attr::Description));
}

TEST(CatalogTree, AttributesKeepOrderOnReplaceAndRemove) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* item = tree.createItem("f", root, Last, kFile);
    tree.setNumberAttribute(item, attr::Crc32, 0xDEADBEEF);
    tree.setTextAttribute(item, attr::Md5, "d41d8cd98f00b204e9800998ecf8427e");
    const uint8_t thumb[] = {0xFF, 0xD8, 0xFF, 0x00, 0x01};
    tree.setBlockAttribute(item, attr::Thumbnail, thumb);
    tree.setNumberAttribute(item, attr::Crc32, 7);
    std::vector<uint8_t> keys;
    for (const ItemAttribute& a : item->attributes())
        keys.push_back(a.key());
    EXPECT_EQ(keys, (std::vector<uint8_t>{0x40, 0x8C, 0xC5}));
    EXPECT_EQ(item->numberAttribute(attr::Crc32), 7u);
    auto block = item->blockAttribute(attr::Thumbnail);
    ASSERT_TRUE(block);
    EXPECT_EQ(std::vector<uint8_t>(block->begin(), block->end()),
              std::vector<uint8_t>(thumb, thumb + 5));
    tree.removeAttribute(item, attr::Md5);
    keys.clear();
    for (const ItemAttribute& a : item->attributes())
        keys.push_back(a.key());
    EXPECT_EQ(keys, (std::vector<uint8_t>{0x40, 0xC5}));
}

TEST(CatalogTree, AttributeClassesAreEnforced) {
    CatalogTree tree;
    CatalogItem* item = tree.createItem("f", TopLevel, Last, kFile);
    EXPECT_FALSE(tree.setNumberAttribute(item, attr::Description, 1));
    EXPECT_FALSE(tree.setTextAttribute(item, attr::Crc32, "x"));
    EXPECT_FALSE(tree.setBlockAttribute(item, attr::Md5, {}));
    EXPECT_TRUE(item->attributes().empty());
    // A transient key other than Unlocked only records presence.
    tree.setNumberAttribute(item, attr::ReadThisSession, 99);
    tree.setNumberAttribute(item, attr::Unlocked, 1);
    EXPECT_EQ(item->numberAttribute(attr::ReadThisSession), 0u);
    EXPECT_EQ(item->numberAttribute(attr::Unlocked), 1u);
}

TEST(CatalogTree, AttributeArrayHoldsAtMost255) {
    CatalogTree tree;
    CatalogItem* item = tree.createItem("f", TopLevel, Last, kFile);
    for (unsigned key = 0; key < 255; ++key) {
        const bool stored = key < 0x80   ? tree.setNumberAttribute(item, uint8_t(key), key)
                            : key < 0xC0 ? tree.setTextAttribute(item, uint8_t(key), "t")
                                         : tree.setBlockAttribute(item, uint8_t(key), {});
        ASSERT_TRUE(stored) << key;
    }
    EXPECT_EQ(item->attributes().size(), 0u + 255);
    EXPECT_TRUE(tree.setNumberAttribute(item, 0x40, 5));  // replacing still works
    EXPECT_FALSE(tree.setBlockAttribute(item, 0xFF, {}));
}

TEST(CatalogTree, SizeAbove4GiBUsesHighAttribute) {
    CatalogTree tree;
    CatalogItem* item = tree.createItem("f", TopLevel, Last, kFile);
    tree.setSize(item, (uint64_t(1) << 32) + 5);
    EXPECT_EQ(item->sizeLow(), 5u);
    EXPECT_EQ(item->numberAttribute(attr::SizeHigh), 1u);
    EXPECT_EQ(item->size(), (uint64_t(1) << 32) + 5);
    tree.setSize(item, 5);
    EXPECT_FALSE(item->hasAttribute(attr::SizeHigh));
    EXPECT_EQ(item->size(), 5u);
}

TEST(CatalogTree, FirstChildOfLockedFolder) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* folder = tree.createItem("secret", root, Last, itemflag::Folder);
    CatalogItem* inside = tree.createItem("x", folder, Last, kFile);
    const uint8_t check[] = {1, 2, 3};
    tree.setBlockAttribute(folder, attr::PasswordCheck, check);
    EXPECT_TRUE(folder->isLocked());
    EXPECT_EQ(folder->firstChild(), nullptr);
    EXPECT_EQ(folder->firstChildIgnoringLock(), inside);
    tree.setNumberAttribute(folder, attr::Unlocked, 1);
    EXPECT_EQ(folder->firstChild(), inside);
}

TEST(CatalogTree, RemoveKeepDetachesAndMoveBack) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* a = tree.createItem("a", root, Last, itemflag::Folder);
    CatalogItem* b = tree.createItem("b", root, Last, itemflag::Folder);
    CatalogItem* inner = tree.createItem("inner", a, Last, kFile);
    tree.removeItem(a, true);
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_EQ(a->next(), nullptr);
    EXPECT_EQ(a->firstChild(), inner);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"b"}));
    EXPECT_TRUE(tree.moveItem(a, b, Last));
    EXPECT_EQ(a->parent(), b);
    // Never into its own subtree.
    EXPECT_FALSE(tree.moveItem(b, a, Last));
    EXPECT_FALSE(tree.moveItem(b, b, Last));
    EXPECT_EQ(a->parent(), b);
    EXPECT_EQ(b->parent(), root);
    EXPECT_EQ(ChildNames(b), (std::vector<std::string>{"a"}));
    tree.removeItem(b, false);
    EXPECT_EQ(root->firstChild(), nullptr);
}

TEST(CatalogTree, FreedMemoryIsReused) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    auto build = [&] {
        CatalogItem* folder = tree.createItem("folder", root, Last, itemflag::Folder);
        for (int i = 0; i < 20000; ++i) {
            CatalogItem* f = tree.createItem("some file name.txt", folder, First, kFile);
            tree.setTextAttribute(f, attr::Description, "a description of the file");
            tree.setNumberAttribute(f, attr::Crc32, uint32_t(i));
        }
        return folder;
    };
    tree.removeItem(build(), false);
    const size_t afterFirstRound = tree.memoryUsage();
    for (int round = 0; round < 3; ++round)
        tree.removeItem(build(), false);
    EXPECT_EQ(tree.memoryUsage(), afterFirstRound);
}

TEST(CatalogTree, DeepTreesNeedNoRecursion) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* parent = root;
    for (int depth = 0; depth < 200000; ++depth)
        parent = tree.createItem("d", parent, Last, itemflag::Directory);
    EXPECT_EQ(tree.countItems(root), 200000u);
    tree.sortSubtree(root);
    tree.removeItem(root->firstChild(), false);
    EXPECT_EQ(tree.countItems(root), 0u);
}

TEST(CatalogTree, CopyItemCopiesFieldsNotChildren) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* disk = tree.createItem("disk", root, Last, DiskFlags(MediaType::CdRom));
    disk->setDate(123456);
    tree.setSize(disk, 0x123456789ull);
    tree.setTextAttribute(disk, attr::Volume, "LABEL");
    const uint8_t toc[] = {9, 9};
    tree.setBlockAttribute(disk, attr::Toc, toc);
    tree.createItem("child", disk, Last, kFile);

    CatalogTree other;
    CatalogItem* copy = other.copyItem(disk, nullptr, Last);
    EXPECT_EQ(copy->parent(), nullptr);
    EXPECT_EQ(other.topLevel(), nullptr);
    EXPECT_EQ(copy->name(), "disk");
    EXPECT_EQ(copy->flags(), disk->flags());
    EXPECT_EQ(copy->date(), 123456);
    EXPECT_EQ(copy->size(), 0x123456789ull);
    EXPECT_EQ(copy->textAttribute(attr::Volume), "LABEL");
    EXPECT_EQ(copy->blockAttribute(attr::Toc)->size(), 2u);
    EXPECT_EQ(copy->firstChild(), nullptr);
    // Deep copy: changing the source leaves the copy alone.
    tree.setTextAttribute(disk, attr::Volume, "OTHER");
    EXPECT_EQ(copy->textAttribute(attr::Volume), "LABEL");
    other.removeItem(copy, false);
}

TEST(CatalogTree, CountItemsEntersContainersOnly) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* disk = tree.createItem("disk", root, Last, DiskFlags(MediaType::CdRom));
    CatalogItem* file = tree.createItem("file", disk, Last, kFile);
    tree.createItem("hidden", file, Last, kFile);  // children of a plain file are not counted
    CatalogItem* zip = tree.createItem("a.zip", disk, Last, itemflag::Archive);
    tree.createItem("entry", zip, Last, kFile);
    EXPECT_EQ(tree.countItems(root), 4u);
    EXPECT_EQ(tree.countItems(TopLevel), 5u);
    EXPECT_EQ(tree.countItems(file), 0u);
}

TEST(CatalogTree, GatherStatistics) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* folder = tree.createItem("f", root, Last, itemflag::Folder);
    CatalogItem* disk = tree.createItem("disk", folder, Last, DiskFlags(MediaType::CdRom));
    CatalogItem* dir = tree.createItem("dir", disk, Last, itemflag::Directory);
    tree.setSize(tree.createItem("a", dir, Last, kFile), 100);
    CatalogItem* zip = tree.createItem("z.zip", dir, Last, itemflag::Archive);
    tree.setSize(zip, 50);
    tree.setSize(tree.createItem("in", zip, Last, kFile), 1000);
    tree.createItem("link", disk, Last, itemflag::Shortcut | itemflag::Directory);

    CatalogStatistics s = tree.gatherStatistics(root, false);
    EXPECT_EQ(s.folders, 1u);
    EXPECT_EQ(s.disks, 1u);
    EXPECT_EQ(s.directories, 1u);
    EXPECT_EQ(s.files, 2u);
    EXPECT_EQ(s.totalSize, 150u);
    s = tree.gatherStatistics(root, true);
    EXPECT_EQ(s.files, 3u);
    EXPECT_EQ(s.totalSize, 1150u);
    s = tree.gatherStatistics(zip, false);
    EXPECT_EQ(s.files, 0u);
    EXPECT_EQ(s.totalSize, 50u);
}

TEST(CatalogTree, MovingDiskKeepsFolderSizes) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    const uint64_t tenGb = 10ull << 30;
    CatalogItem* top = tree.createItem("top", root, Last, itemflag::Folder);
    CatalogItem* a = tree.createItem("A", top, Last, itemflag::Folder);
    CatalogItem* b = tree.createItem("B", root, Last, itemflag::Folder);
    CatalogItem* disk = tree.createItem("disk", a, Last, DiskFlags(MediaType::HardDisk));
    tree.setSize(disk, tenGb);
    tree.setSize(a, tenGb + 7);
    tree.setSize(top, tenGb + 9);
    tree.setSize(root, 3);
    tree.moveItemKeepingSizes(disk, b);
    EXPECT_EQ(disk->parent(), b);
    EXPECT_EQ(a->size(), 7u);
    EXPECT_EQ(top->size(), 9u);
    EXPECT_EQ(b->size(), tenGb);
    EXPECT_EQ(root->size(), 3u);
}

class PathTextTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root = tree.resetToNewCatalog();
        tree.setName(root, "Catalog.tkd");
        folder = tree.createItem("Photos", root, Last, itemflag::Folder);
        disk = tree.createItem("Holiday", folder, Last, DiskFlags(MediaType::CdRom));
        tree.setNumberAttribute(disk, attr::DiskNumber, 42);
        docs = tree.createItem("Docs", disk, Last, itemflag::Directory);
        file = tree.createItem("a.txt", docs, Last, kFile);
        tree.setTextAttribute(file, attr::Description, "The A file");
    }
    CatalogTree tree;
    CatalogItem *root, *folder, *disk, *docs, *file;
};

TEST_F(PathTextTest, ReferenceForm) {
    EXPECT_EQ(tree.pathText(file, pathmode::Reference), "{Disk002A}:\\Docs\\a.txt");
    EXPECT_EQ(tree.pathText(disk, pathmode::Reference), "{Disk002A}:\\");
    EXPECT_EQ(tree.pathText(folder, pathmode::Reference), "Photos");
}

TEST_F(PathTextTest, PlainAndDisplayForms) {
    EXPECT_EQ(tree.pathText(file, pathmode::Plain), "\\Docs\\a.txt");
    EXPECT_EQ(tree.pathText(disk, pathmode::Plain), "\\");
    EXPECT_EQ(tree.pathText(file, pathmode::Display), "Holiday:\\Docs\\a.txt");
    EXPECT_EQ(tree.pathText(file, pathmode::Display | pathmode::FolderChain),
              "Catalog.tkd\\Photos\\Holiday:\\Docs\\a.txt");
    tree.displaySettings().showDescription = true;
    EXPECT_EQ(tree.pathText(file, pathmode::Display), "Holiday:\\Docs\\The A file");
    EXPECT_EQ(tree.pathText(file, pathmode::Plain), "\\Docs\\a.txt");
}

TEST_F(PathTextTest, BaseDirectoryAndVolume) {
    tree.setTextAttribute(disk, attr::BaseDirectory, "\\Backup");
    EXPECT_EQ(tree.pathText(file, pathmode::Plain), "\\Backup\\Docs\\a.txt");
    EXPECT_EQ(tree.pathText(file, pathmode::Reference), "{Disk002A}:\\Docs\\a.txt");
    EXPECT_EQ(tree.pathText(file, pathmode::Display), "Holiday:\\Backup\\Docs\\a.txt");
    tree.setTextAttribute(disk, attr::Volume, "CDROM01");
    EXPECT_EQ(tree.pathText(file, pathmode::Display), "CDROM01:\\Backup\\Docs\\a.txt");
}

TEST_F(PathTextTest, ResolvePathAndShortcuts) {
    EXPECT_EQ(tree.resolvePath("Photos\\Holiday:\\Docs\\A.TXT", nullptr), file);
    EXPECT_EQ(tree.resolvePath("Docs\\a.txt", disk), file);
    EXPECT_EQ(tree.resolvePath("Photos\\Nothing", nullptr), nullptr);

    CatalogItem* link = tree.createItem("link", root, Last, itemflag::Shortcut);
    tree.setTextAttribute(link, attr::ShortcutTarget, tree.pathText(file, pathmode::Reference));
    EXPECT_EQ(tree.resolveShortcut(link, nullptr), file);
    CatalogItem* linkToLink = tree.createItem("link2", root, Last, itemflag::Shortcut);
    tree.setTextAttribute(linkToLink, attr::ShortcutTarget, "link");
    EXPECT_EQ(tree.resolveShortcut(linkToLink, nullptr), file);

    // A cycle and a missing target give none; the report names the target.
    tree.setTextAttribute(link, attr::ShortcutTarget, "link2");
    EXPECT_EQ(tree.resolveShortcut(linkToLink, nullptr), nullptr);
    tree.setTextAttribute(link, attr::ShortcutTarget, "{Disk0099}:\\Docs");
    ScriptedPrompter prompter;
    EXPECT_EQ(tree.resolveShortcut(link, &prompter), nullptr);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].message.caption, "{Disk0099}:\\Docs");
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Error);
}

TEST_F(PathTextTest, ResolvePathHonoursLocks) {
    const uint8_t check[] = {1};
    tree.setBlockAttribute(folder, attr::PasswordCheck, check);
    EXPECT_EQ(tree.resolvePath("Photos\\Holiday", nullptr), nullptr);
    EXPECT_EQ(tree.findDiskByNumber(42), nullptr);
    tree.setNumberAttribute(folder, attr::Unlocked, 1);
    EXPECT_EQ(tree.findDiskByNumber(42), disk);
}

TEST(CatalogTree, DiskNumbersStayUnique) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* d1 = tree.createItem("d1", root, Last, DiskFlags(MediaType::CdRom));
    EXPECT_EQ(tree.assignDiskNumber(d1), 1u);
    EXPECT_EQ(root->numberAttribute(attr::DiskNumber), 2u);
    // As after opening a file without a counter on its root: numbers 1 and 7 present.
    tree.removeAttribute(root, attr::DiskNumber);
    CatalogItem* d7 = tree.createItem("d7", root, Last, DiskFlags(MediaType::CdRom));
    tree.setNumberAttribute(d7, attr::DiskNumber, 7);
    CatalogItem* folder = tree.createItem("f", root, Last, itemflag::Folder);
    CatalogItem* fresh = tree.createItem("fresh", folder, Last, DiskFlags(MediaType::HardDisk));
    tree.assignMissingDiskNumbers(root, false);
    EXPECT_EQ(d1->numberAttribute(attr::DiskNumber), 1u);
    EXPECT_EQ(d7->numberAttribute(attr::DiskNumber), 7u);
    EXPECT_EQ(fresh->numberAttribute(attr::DiskNumber), 8u);
    EXPECT_EQ(root->numberAttribute(attr::DiskNumber), 9u);
}

TEST(CatalogTree, ListOrder) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* big = tree.createItem("big", root, Last, kFile);
    CatalogItem* small = tree.createItem("small", root, Last, kFile);
    CatalogItem* folder = tree.createItem("zz", root, Last, itemflag::Folder);
    CatalogItem* audio = tree.createItem("audio", root, Last, DiskFlags(MediaType::AudioCd));
    CatalogItem* net = tree.createItem("net", root, Last, DiskFlags(MediaType::Network));
    tree.setSize(big, 5ull << 32);
    tree.setSize(small, 10);
    ListSortKey bySize;
    bySize.column = ListSortColumn::Size;
    EXPECT_GT(CompareListOrder(*big, *small, bySize), 0);
    EXPECT_LT(CompareListOrder(*folder, *small, bySize), 0);
    bySize.descending = true;
    EXPECT_LT(CompareListOrder(*big, *small, bySize), 0);
    EXPECT_GT(CompareListOrder(*folder, *small, bySize), 0);  // folders last when descending

    ListSortKey byName;
    EXPECT_LT(CompareListOrder(*audio, *net, byName), 0);
    EXPECT_GT(CompareListOrder(*net, *audio, byName), 0);
    byName.equalizeMediaTypes = true;
    EXPECT_GT(CompareListOrder(*net, *audio, byName), 0);  // now by name: "net" after "audio"
    tree.setName(audio, "zaudio");
    EXPECT_LT(CompareListOrder(*net, *audio, byName), 0);

    ListSortKey byDate;
    byDate.column = ListSortColumn::Date;
    big->setDate(-5);
    small->setDate(3);
    EXPECT_LT(CompareListOrder(*big, *small, byDate), 0);

    ListSortKey byText;
    byText.column = ListSortColumn::Other;
    byText.columnText = [](const CatalogItem& item) {
        return std::string(item.name() == "big" ? "" : "x");
    };
    EXPECT_LT(CompareListOrder(*big, *small, byText), 0);

    // Track lengths decide the size column when the first has one.
    tree.setNumberAttribute(big, attr::Length, 10);
    tree.setNumberAttribute(small, attr::Length, 20);
    bySize.descending = false;
    EXPECT_LT(CompareListOrder(*big, *small, bySize), 0);
}

TEST(CatalogTree, WalkBelowVisitsPreOrderAndStops) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* a = tree.createItem("a", root, Last, itemflag::Folder);
    tree.createItem("a1", a, Last, kFile);
    tree.createItem("b", root, Last, kFile);
    std::vector<std::string> seen;
    WalkBelow(root, EnterAll, [&](CatalogItem& item) {
        seen.emplace_back(item.name());
        return true;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "a1", "b"}));
    seen.clear();
    EXPECT_FALSE(WalkBelow(root, EnterAll, [&](CatalogItem& item) {
        seen.emplace_back(item.name());
        return item.name() != "a1";
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "a1"}));
}

TEST(CatalogTree, ItemRecordIsCompact) {
    EXPECT_LE(sizeof(CatalogItem), 56u);
}

}  // namespace
}  // namespace shelfmark

namespace shelfmark {
namespace {

// Freed attribute arrays go back to the arena's free lists with old pointers still in them; a
// new attribute must not take those for its value.
TEST(CatalogTree, ReusedMemoryStartsClean) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    for (int round = 0; round < 100; ++round) {
        CatalogItem* old = tree.createItem("old", root, Last, 0);
        tree.setTextAttribute(old, attr::Description, "some text");
        tree.setTextAttribute(old, attr::Volume, "more text");
        tree.removeItem(old, false);
        CatalogItem* fresh = tree.createItem("new", root, Last, 0);
        tree.setTextAttribute(fresh, attr::Artist, "artist");
        tree.setBlockAttribute(fresh, attr::Thumbnail, std::vector<uint8_t>(3, 1));
        EXPECT_EQ(fresh->textAttribute(attr::Artist), "artist");
        tree.removeItem(fresh, false);
    }
}

}  // namespace
}  // namespace shelfmark

namespace shelfmark {
namespace {

TEST(CatalogTree, ShortcutToADiskIsNoDisk) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* disk = tree.createItem("disk", root, Last, DiskFlags(MediaType::CdRom));
    CatalogItem* link =
        tree.createItem("link", root, Last, DiskFlags(MediaType::CdRom) | itemflag::Shortcut);
    tree.assignMissingDiskNumbers(root, false);
    EXPECT_EQ(disk->numberAttribute(attr::DiskNumber), 1u);
    EXPECT_FALSE(link->hasAttribute(attr::DiskNumber));
    tree.setNumberAttribute(link, attr::DiskNumber, 9);
    EXPECT_EQ(tree.findDiskByNumber(9), nullptr);
}

}  // namespace
}  // namespace shelfmark
