// A tree filled apart joins another without copying: its items keep their addresses and
// contents, become the absorbing tree's to link and free, and the absorbed tree is left empty.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "catalog/CatalogTree.h"
#include "catalog/TreeWalk.h"

namespace shelfmark {
namespace {

std::vector<std::string> Names(const CatalogItem* top) {
    std::vector<std::string> names{std::string(top->name())};
    WalkBelow(top, EnterAll, [&](CatalogItem& item) {
        names.emplace_back(item.name());
        return true;
    });
    return names;
}

TEST(TreeAbsorb, ItemsMoveOverWithoutCopiesAndAreFreedByTheirNewTree) {
    CatalogTree catalog;
    CatalogItem* folder =
        catalog.createItem("Shelf", catalog.resetToNewCatalog(), Sorted, itemflag::Folder);
    const size_t before = catalog.memoryUsage();

    auto staging = std::make_unique<CatalogTree>();
    CatalogItem* stagingRoot = staging->resetToNewCatalog();
    CatalogItem* disk =
        staging->createItem("Disk", stagingRoot, Sorted, DiskFlags(MediaType::HardDisk));
    CatalogItem* file = staging->createItem("a.txt", disk, Last, 0);
    staging->setTextAttribute(file, attr::Description, std::string(2000, 'd'));  // a large piece
    staging->setBlockAttribute(disk, attr::Toc, std::vector<uint8_t>(8, 7));
    for (int i = 0; i < 500; ++i)
        staging->createItem("f" + std::to_string(i), disk, First, 0);
    const size_t stagingBytes = staging->memoryUsage();
    const std::vector<std::string> names = Names(disk);

    catalog.absorb(*staging);
    EXPECT_EQ(staging->root(), nullptr);
    EXPECT_EQ(staging->memoryUsage(), 0u);
    EXPECT_EQ(catalog.memoryUsage(), before + stagingBytes);
    EXPECT_EQ(stagingRoot->parent(), nullptr);  // detached, still holding the disk
    EXPECT_EQ(disk->parent(), stagingRoot);
    staging.reset();  // the absorbed tree's end frees nothing that moved

    ASSERT_TRUE(catalog.moveItem(disk, folder, Sorted));
    catalog.removeItem(stagingRoot, false);
    EXPECT_EQ(Names(disk), names);
    EXPECT_EQ(file->textAttribute(attr::Description)->size(), 2000u);
    EXPECT_EQ(disk->blockAttribute(attr::Toc)->size(), 8u);
    EXPECT_EQ(catalog.countItems(catalog.root()), 503u);

    // Changes after the move allocate and free in the catalog's memory, pieces of both origins.
    catalog.setTextAttribute(file, attr::Description, "short");
    for (CatalogItem* child = disk->firstChild(); child;) {
        CatalogItem* next = child->next();
        if (child->name().starts_with("f1"))
            catalog.removeItem(child, false);
        child = next;
    }
    for (int i = 0; i < 200; ++i)
        catalog.createItem("g" + std::to_string(i), disk, First, 0);
    EXPECT_EQ(catalog.countItems(catalog.root()), 503u - 111u + 200u);
    catalog.removeItem(disk, false);
    EXPECT_EQ(catalog.countItems(catalog.root()), 1u);
}

TEST(TreeAbsorb, EveryTopLevelItemBecomesDetached) {
    CatalogTree catalog;
    catalog.resetToNewCatalog();
    CatalogTree other;
    CatalogItem* first = other.createItem("one", TopLevel, Last, itemflag::Folder);
    CatalogItem* second = other.createItem("two", TopLevel, Last, itemflag::Folder);
    catalog.absorb(other);
    EXPECT_EQ(other.topLevel(), nullptr);
    EXPECT_EQ(first->next(), nullptr);
    EXPECT_EQ(second->parent(), nullptr);
    ASSERT_TRUE(catalog.moveItem(second, catalog.root(), Sorted));
    catalog.removeItem(first, false);
    EXPECT_EQ(catalog.root()->firstChild(), second);
    catalog.absorb(catalog);  // absorbing itself changes nothing
    EXPECT_EQ(catalog.root()->firstChild(), second);
}

}  // namespace
}  // namespace shelfmark
