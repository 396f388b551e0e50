// The one depth rule of a catalog: what the reader accepts is what the writer writes, and what
// the operations may build. The file is checked against records written out by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/FileBytes.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

// A chain of `depth` folders below the root, each the only child of the one above; the
// deepest is returned.
CatalogItem* FolderChain(CatalogTree& tree, int depth) {
    CatalogItem* item = tree.resetToNewCatalog();
    for (int level = 1; level <= depth; ++level)
        item = tree.createItem("level " + std::to_string(level), item, Last, itemflag::Folder);
    return item;
}

// The bytes of a chain of `depth` folders as the file holds them, written by hand: each
// folder is the last of its siblings, and only the deepest has no children.
std::string ChainFile(int depth) {
    testing::FileBytes bytes;
    bytes.header().u8(0).u32(uint32_t(depth));
    for (int level = 1; level <= depth; ++level) {
        uint16_t flags = itemflag::Folder | itemflag::LastSibling;
        if (level == depth)
            flags |= itemflag::NoChildren;
        bytes.u16(flags).text("level " + std::to_string(level)).u32(0).u32(0).u8(0);
    }
    return bytes.str();
}

TEST(DeepTree, ReaderAcceptsFortyLevelsAndNoMore) {
    for (int depth : {39, 40, 41, 45}) {
        CatalogTree tree;
        SilentPrompter prompter;
        const CatalogReadResult result = ReadCatalog(ChainFile(depth), tree, prompter);
        EXPECT_EQ(result.ok(), depth <= kMaxFileLevels) << depth;
    }
}

TEST(DeepTree, WriterWritesWhatTheReaderAcceptsAndRefusesTheRest) {
    testing::TempDir dir;
    const std::string path = (dir / "deep.tkd").string();
    for (int depth : {39, 40}) {
        CatalogTree tree;
        FolderChain(tree, depth);
        std::string error;
        ASSERT_TRUE(SaveCatalogTo(path, tree, &error)) << error;
        CatalogTree loaded;
        SilentPrompter prompter;
        EXPECT_TRUE(ReadCatalogFile(path, loaded, prompter).ok()) << depth;
        EXPECT_EQ(loaded.countItems(loaded.root()), uint64_t(depth));
    }
    const std::string before = testing::ReadFile(path);

    // One level more, as a folder and as a file below the deepest folder: the save fails with
    // the reason and the old file stays as it was.
    for (bool file : {false, true}) {
        CatalogTree tree;
        CatalogItem* deepest = FolderChain(tree, kMaxFileLevels);
        tree.createItem("too deep", deepest, Last, file ? 0 : itemflag::Folder);
        std::string error;
        EXPECT_FALSE(SaveCatalogTo(path, tree, &error));
        EXPECT_NE(error.find("level 40\\too deep' lies more than 40 levels below the top"),
                  std::string::npos)
            << error;
        EXPECT_EQ(testing::ReadFile(path), before);
        EXPECT_FALSE(WriteCatalog(tree, [](std::string_view) { return true; }));
    }
}

TEST(DeepTree, DocumentSaveFailsAndStaysModified) {
    testing::TempDir dir;
    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    const std::string path = (dir / "c.tkd").string();
    ASSERT_TRUE(document.saveCatalogFile(path));
    const std::string before = testing::ReadFile(path);
    ASSERT_TRUE(document.lockForEditing());
    CatalogItem* item = document.tree().root();
    for (int level = 1; level <= 41; ++level)
        item = document.tree().createItem("f", item, Last, itemflag::Folder);
    document.setModified();
    EXPECT_FALSE(document.saveCatalogFile(path));
    EXPECT_TRUE(document.isModified());
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_TRUE(prompter.shown()[0].message.text.starts_with(Str(102) + "\n'f\\f\\"));
    EXPECT_EQ(testing::ReadFile(path), before);
}

TEST(DeepTree, ExportCountsDepthFromTheNewTop) {
    CatalogTree tree;
    CatalogItem* deepest = FolderChain(tree, kMaxFileLevels);
    // "level 5" and everything below it become the new file's top: 36 levels deep.
    const CatalogItem* level5 = deepest;
    while (level5->name() != "level 5")
        level5 = level5->parent();
    const std::vector<const CatalogItem*> items{level5};
    const std::string bytes = SelectionBytes(items);
    CatalogTree loaded;
    SilentPrompter prompter;
    ASSERT_TRUE(ReadCatalog(bytes, loaded, prompter).ok());
    EXPECT_EQ(loaded.countItems(loaded.root()), 36u);
    // The deepest level of the new file is still a limit.
    CatalogTree deeper;
    CatalogItem* top = FolderChain(deeper, 1);
    CatalogItem* item = top;
    for (int level = 2; level <= 41; ++level)
        item = deeper.createItem("d", item, Last, itemflag::Folder);
    const std::vector<const CatalogItem*> whole{top};
    std::string error;
    EXPECT_FALSE(WriteSelection(
        whole, [](std::string_view) { return true; }, &error));
    EXPECT_FALSE(error.empty());
}

TEST(DeepTree, DepthAndPruning) {
    CatalogTree tree;
    CatalogItem* deepest = FolderChain(tree, 38);
    EXPECT_EQ(DepthBelowRoot(*tree.root()), 0);
    EXPECT_EQ(DepthBelowRoot(*deepest), 38);
    EXPECT_TRUE(MayHoldChildren(*deepest));
    // An archive on level 39 whose entries nest three levels: one of them fits.
    CatalogItem* archive = tree.createItem("a.zip", deepest, Last, itemflag::Archive);
    CatalogItem* inside = tree.createItem("x", archive, Last, itemflag::Directory);
    tree.createItem("kept.txt", archive, Last, 0);
    CatalogItem* deeper = tree.createItem("y", inside, Last, itemflag::Directory);
    tree.createItem("gone.txt", inside, Last, 0);
    tree.createItem("z", deeper, Last, itemflag::Directory);
    EXPECT_FALSE(MayHoldChildren(*inside));
    EXPECT_EQ(RemoveItemsTooDeep(tree, archive), 2u);
    EXPECT_EQ(inside->firstChild(), nullptr);
    EXPECT_EQ(archive->firstChild()->name(), "x");
    EXPECT_EQ(RemoveItemsTooDeep(tree, tree.root()), 0u);
    EXPECT_TRUE(WriteCatalog(tree, [](std::string_view) { return true; }));
}

}  // namespace
}  // namespace shelfmark
