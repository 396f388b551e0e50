// The editing discipline around the file: a refused lock changes nothing, a reload while taking
// the lock is reported and announced, and views read rows of big folders by index.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "catalog/DeleteOperations.h"
#include "catalog/FileLock.h"
#include "catalog/FolderOperations.h"
#include "catalog/MoveCopyOperations.h"
#include "catalog/RenameOperations.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::At;
using testing::SavedBytes;
using Strings = std::vector<std::string>;

class DocumentEditing : public ::testing::Test {
  protected:
    DocumentEditing() {
        path = (dir / "c.tkd").string();
        SilentPrompter silent;
        CatalogDocument writer(silent);
        testing::BuildEditCatalog(writer.tree());
        EXPECT_TRUE(writer.saveCatalogFile(path));
        EXPECT_TRUE(document.openCatalogFile(path));
        document.addObserver(&observer);
    }

    testing::TempDir dir;
    std::string path;
    ScriptedPrompter prompter;
    CatalogDocument document{prompter};
    testing::RecordingObserver observer;
};

TEST_F(DocumentEditing, ARefusedLockChangesNothing) {
    FileLock other;
    ASSERT_TRUE(other.acquire(path));
    const std::string before = SavedBytes(document.tree());
    CatalogItem* music = At(document.tree(), "Music");
    EXPECT_EQ(RenameItem(document, music, "X"), EditStatus::Refused);
    EXPECT_EQ(DeleteItems(document, std::vector{music}, {.askFirst = false}), EditStatus::Refused);
    EXPECT_EQ(CreateFolder(document, music, "New"), EditStatus::Refused);
    EXPECT_EQ(MoveToFolder(document, std::vector{At(document.tree(), "Loose")}, music),
              EditStatus::Refused);
    EXPECT_EQ(SavedBytes(document.tree()), before);
    EXPECT_EQ(document.undoStepCount(), 0u);
    EXPECT_FALSE(document.isModified());
    EXPECT_TRUE(observer.events.empty());
    EXPECT_EQ(prompter.shown().size(), 4u);
    other.release();
    EXPECT_EQ(RenameItem(document, music, "X"), EditStatus::Done);
    EXPECT_TRUE(document.lockHeld());
}

TEST_F(DocumentEditing, AnOperationThatChangesNothingGivesTheLockBack) {
    EXPECT_EQ(RenameItem(document, At(document.tree(), "Music"), "Music"), EditStatus::Unchanged);
    EXPECT_FALSE(document.lockHeld());
    ASSERT_EQ(RenameItem(document, At(document.tree(), "Music"), "Tunes"), EditStatus::Done);
    // With unsaved changes the lock stays.
    EXPECT_EQ(RenameItem(document, At(document.tree(), "Tunes"), "Tunes"), EditStatus::Unchanged);
    EXPECT_TRUE(document.lockHeld());
    // Undo after a save takes the lock again.
    ASSERT_TRUE(document.saveCatalogFile(path));
    EXPECT_FALSE(document.lockHeld());
    ASSERT_EQ(document.undo(), CatalogDocument::UndoResult::Done);
    EXPECT_TRUE(document.lockHeld());
    EXPECT_NE(At(document.tree(), "Music"), nullptr);
}

TEST_F(DocumentEditing, AReloadWhileLockingIsReportedAndAnnounced) {
    ASSERT_EQ(RenameItem(document, At(document.tree(), "Music"), "Tunes"), EditStatus::Done);
    ASSERT_TRUE(document.saveCatalogFile(path));
    {
        // Another program changes the file meanwhile.
        SilentPrompter silent;
        CatalogDocument other(silent);
        ASSERT_TRUE(other.openCatalogFile(path));
        ASSERT_TRUE(other.lockForEditing());
        other.tree().createItem("Elsewhere", other.tree().root(), Sorted, itemflag::Folder);
        other.setModified();
        ASSERT_TRUE(other.saveCatalogFile(path));
    }
    observer.events.clear();
    const uint64_t generation = document.treeGeneration();
    CatalogItem* stale = At(document.tree(), "Loose");
    prompter.queueAnswer(PromptAnswer::Yes);
    EXPECT_EQ(DeleteItems(document, std::vector{stale}, {.askFirst = false}), EditStatus::Refused);
    EXPECT_NE(document.treeGeneration(), generation);
    EXPECT_EQ(observer.events, (Strings{"reset"}));
    EXPECT_EQ(document.undoStepCount(), 0u);
    EXPECT_NE(At(document.tree(), "Elsewhere"), nullptr);
    EXPECT_NE(At(document.tree(), "Loose"), nullptr);
    // The lock is held now; the next command goes ahead.
    EXPECT_EQ(DeleteItems(document, std::vector{At(document.tree(), "Loose")}, {.askFirst = false}),
              EditStatus::Done);
}

// A second, plain listing of the children to compare the row index with.
Strings ListedNames(const CatalogItem* parent, const CatalogTree& tree) {
    Strings names;
    for (const CatalogItem* child = parent ? parent->firstChildIgnoringLock() : tree.topLevel(); child;
         child = child->next())
        names.emplace_back(child->name());
    return names;
}

Strings RowNames(const CatalogItem* parent, const CatalogTree& tree) {
    Strings names;
    const CatalogItem* key = parent ? parent : TopLevel;
    for (size_t row = 0; row < tree.childCount(key); ++row) {
        const CatalogItem* child = tree.childAt(key, row);
        EXPECT_EQ(tree.rowOf(child), row);
        names.emplace_back(child->name());
    }
    EXPECT_EQ(tree.childAt(key, tree.childCount(key)), nullptr);
    return names;
}

TEST(ChildRows, FollowEveryChangeOfTheChildList) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* a = tree.createItem("a", root, Last, itemflag::Folder);
    CatalogItem* b = tree.createItem("b", root, Last, itemflag::Folder);
    std::mt19937 random(7);
    std::vector<CatalogItem*> items{a, b};
    for (int step = 0; step < 400; ++step) {
        CatalogItem* parent = random() % 2 ? a : b;
        switch (random() % 6) {
            case 0:
            case 1:
                items.push_back(tree.createItem("n" + std::to_string(random() % 1000), parent,
                                                random() % 2 ? Sorted : First, 0));
                break;
            case 2:
                if (items.size() > 2) {
                    const size_t pick = 2 + random() % (items.size() - 2);
                    tree.removeItem(items[pick], false);
                    items.erase(items.begin() + long(pick));
                }
                break;
            case 3:
                if (items.size() > 2)
                    tree.moveItem(items[2 + random() % (items.size() - 2)], parent, Last);
                break;
            case 4:
                tree.sortChildren(parent);
                break;
            default:
                break;
        }
        ASSERT_EQ(RowNames(a, tree), ListedNames(a, tree));
        ASSERT_EQ(RowNames(b, tree), ListedNames(b, tree));
        ASSERT_EQ(RowNames(nullptr, tree), ListedNames(nullptr, tree));
    }
    // A detached item has no row; a freed container's index does not outlive it.
    tree.removeItem(a, true);
    EXPECT_EQ(tree.rowOf(a), std::nullopt);
    EXPECT_EQ(tree.rowOf(root), 0u);
    tree.removeItem(a, false);
    CatalogItem* reused = tree.createItem("fresh", root, Last, itemflag::Folder);
    EXPECT_EQ(tree.childCount(reused), 0u);
}

TEST(ChildRows, ABigFolderIsReadRowByRowInLinearTime) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* folder = tree.createItem("big", root, Last, itemflag::Directory);
    CatalogItem* previous = nullptr;
    for (int i = 0; i < 100'000; ++i)
        previous = tree.createItem("f" + std::to_string(i), folder, previous ? previous : First, 0);
    // Quadratic walking would take minutes; indexed rows take milliseconds.
    uint64_t sum = 0;
    for (size_t row = 0; row < tree.childCount(folder); ++row)
        sum += *tree.rowOf(tree.childAt(folder, row));
    EXPECT_EQ(sum, uint64_t(99'999) * 100'000 / 2);
}

}  // namespace
}  // namespace shelfmark
