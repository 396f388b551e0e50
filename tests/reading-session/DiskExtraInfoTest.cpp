// The disk's extra information travels with the read: it is on the disk when the read joins the
// catalog, one undo takes it back with the disk, and a read that is cancelled or refused leaves
// nothing of it behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "catalog/TreeWalk.h"
#include "foundation/ScriptedPrompter.h"
#include "reading/engine/ReadSession.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::SavedBytes;
using testing::TempDir;

constexpr uint8_t kLocation = attr::Location;
constexpr uint8_t kUserNumber = 0x70;
constexpr uint8_t kOtherUserNumber = 0x71;
constexpr uint8_t kUserText = 0xB3;

// Every item that carries one of the extra-information fields these tests write.
std::vector<std::string> ItemsWithExtraInfo(const CatalogTree& tree) {
    std::vector<std::string> found;
    WalkBelow(tree.root(), EnterAll, [&](CatalogItem& item) {
        for (const uint8_t key : {kLocation, kUserNumber, kOtherUserNumber, kUserText})
            if (item.hasAttribute(key))
                found.emplace_back(item.name());
        return true;
    });
    return found;
}

class DiskExtraInfoTest : public ::testing::Test {
  protected:
    DiskExtraInfoTest() : document(prompter) {
        shelf =
            document.tree().createItem("Shelf", document.tree().root(), Sorted, itemflag::Folder);
        root = dir / "stick";
        fs::create_directories(root / "notes");
        testing::WriteFile(root / "notes" / "todo.txt", "buy milk");
        testing::WriteFile(root / "photo.jpg", std::string(2048, 'p'));
    }

    ReadRequest NewDisk() const {
        ReadRequest request;
        request.root = root.string();
        request.folder = "Shelf";
        request.name = "Stick";
        return request;
    }

    // A read through the session, cancelled before it walks when asked.
    ReadResult Read(const ReadRequest& request, bool cancel = false) {
        ReadSession session(document, prompter);
        const PrepareResult prepared = session.prepare(request);
        EXPECT_EQ(prepared, PrepareResult::Ready)
            << ::testing::PrintToString(prompter.shownTexts());
        if (prepared != PrepareResult::Ready)
            return {};
        if (cancel)
            session.cancelFlag().request();
        session.run();
        return session.commit();
    }

    testing::ScopedConfigHome config;
    TempDir dir;
    fs::path root;
    ScriptedPrompter prompter;
    CatalogDocument document;
    CatalogItem* shelf = nullptr;
};

TEST_F(DiskExtraInfoTest, ANewDiskHasItsExtraInformationAndOneUndoTakesAllBack) {
    const size_t stepsBefore = document.undoStepCount();
    ReadRequest request = NewDisk();
    request.description = "Holiday";
    request.categories = 0x0703;
    // Numbers decimal or "0x" hexadecimal; a number of 0 and an empty text store nothing.
    request.extraInfo.rows = {{kLocation, "Drawer 3"}, {kUserNumber, "0x1A"},
                              {kOtherUserNumber, "0"}, {attr::Artist, ""},
                              {kUserText, "blue box"}, {attr::SerialNumber, "010"}};
    const ReadResult result = Read(request);
    ASSERT_EQ(result.outcome, ReadOutcome::Completed);
    const CatalogItem* disk = result.disk;
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(disk->textAttribute(kLocation), "Drawer 3");
    EXPECT_EQ(disk->numberAttribute(kUserNumber), 26u);
    EXPECT_FALSE(disk->hasAttribute(kOtherUserNumber));
    EXPECT_FALSE(disk->hasAttribute(attr::Artist));
    EXPECT_EQ(disk->textAttribute(kUserText), "blue box");
    EXPECT_EQ(disk->textAttribute(attr::SerialNumber), "010");  // a text field keeps its text
    EXPECT_EQ(disk->textAttribute(attr::Description), "Holiday");
    EXPECT_EQ(disk->numberAttribute(attr::Categories), 0x0703u);
    // Only the disk carries it; the files read do not.
    EXPECT_EQ(ItemsWithExtraInfo(document.tree()), std::vector<std::string>(3, "Stick"));

    // The read and its extra information are one step: the insert of the disk.
    ASSERT_EQ(document.undoStepCount(), stepsBefore + 1);
    EXPECT_EQ(document.newestUndoStep()->kind, UndoKind::Insert);
    EXPECT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(document.undoStepCount(), stepsBefore);
    EXPECT_EQ(shelf->firstChild(), nullptr);
    EXPECT_EQ(shelf->size(), 0u);
    EXPECT_TRUE(ItemsWithExtraInfo(document.tree()).empty());
}

TEST_F(DiskExtraInfoTest, ACancelledNewReadAddsNothingAndRecordsNoStep) {
    const std::string before = SavedBytes(document.tree());
    ReadRequest request = NewDisk();
    request.extraInfo.rows = {{kLocation, "Drawer 3"}, {kUserNumber, "7"}};
    const ReadResult result = Read(request, true);
    EXPECT_EQ(result.outcome, ReadOutcome::Cancelled);
    EXPECT_EQ(result.disk, nullptr);
    EXPECT_EQ(document.undoStepCount(), 0u);
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(SavedBytes(document.tree()), before);
}

TEST_F(DiskExtraInfoTest, RowsThatCannotBeStoredRefuseTheReadBeforeAnyChange) {
    const fs::path catalog = dir / "shelf.tkd";
    ASSERT_TRUE(document.saveCatalogFile(catalog.string()));
    const std::string before = SavedBytes(document.tree());
    struct Case {
        ExtraInfoRow row;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{kUserNumber, "ten"}, "'ten' is not a number."},
        {{kUserNumber, "0x"}, "'0x' is not a number."},
        {{kUserNumber, "4294967296"}, "'4294967296' is not a number."},  // needs 33 bits
        // Keys outside the extra information hold the catalog's own facts.
        {{attr::DiskId, "9"}, "The attribute 0x42 is no extra information."},
        {{attr::Description, "x"}, "The attribute 0x80 is no extra information."},
    };
    for (const Case& c : cases) {
        prompter.clear();
        ReadRequest request = NewDisk();
        request.catalogPath = catalog.string();
        request.extraInfo.rows = {{kLocation, "fine"}, c.row};
        ReadSession session(document, prompter);
        EXPECT_EQ(session.prepare(request), PrepareResult::Failed) << c.message;
        EXPECT_EQ(prompter.shownTexts(), std::vector<std::string>{c.message});
        EXPECT_FALSE(document.lockHeld());  // the lock was given back
        EXPECT_EQ(session.run(), ReadOutcome::Cancelled);
        EXPECT_EQ(session.commit().disk, nullptr);
        EXPECT_EQ(document.undoStepCount(), 0u);
        EXPECT_FALSE(document.isModified());
        EXPECT_EQ(SavedBytes(document.tree()), before);
    }
}

TEST_F(DiskExtraInfoTest, AnUpdateReplacesTheListedFieldsInItsOneStep) {
    ReadRequest first = NewDisk();
    first.diskId = 5;
    first.categories = 0x0703;
    first.extraInfo.rows = {{kLocation, "Drawer 3"}, {kOtherUserNumber, "5"}};
    CatalogItem* disk = Read(first).disk;
    ASSERT_NE(disk, nullptr);
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    document.tree().setBlockAttribute(disk, attr::Thumbnail, jpeg);
    testing::WriteFile(root / "later.txt", "added");
    const std::string before = SavedBytes(document.tree());
    const size_t steps = document.undoStepCount();

    // The page listed the disk's fields; the user changed one, deleted one and kept the image.
    ReadRequest update;
    update.root = root.string();
    update.diskToUpdate = "5";
    update.categories = 0;  // every category taken off
    update.extraInfo.listedKeys = {kLocation, kOtherUserNumber, attr::Thumbnail};
    update.extraInfo.rows = {{kLocation, "Shelf 9"}, {attr::Thumbnail, ""}, {kUserText, "new"}};
    const ReadResult result = Read(update);
    ASSERT_EQ(result.disk, disk);
    EXPECT_EQ(disk->textAttribute(kLocation), "Shelf 9");
    EXPECT_FALSE(disk->hasAttribute(kOtherUserNumber));
    EXPECT_EQ(disk->textAttribute(kUserText), "new");
    ASSERT_TRUE(disk->blockAttribute(attr::Thumbnail));
    EXPECT_EQ(std::vector<uint8_t>(disk->blockAttribute(attr::Thumbnail)->begin(),
                                   disk->blockAttribute(attr::Thumbnail)->end()),
              jpeg);
    EXPECT_FALSE(disk->hasAttribute(attr::Categories));
    EXPECT_NE(document.tree().resolvePath("later.txt", disk), nullptr);

    ASSERT_EQ(document.undoStepCount(), steps + 1);
    EXPECT_EQ(document.newestUndoStep()->kind, UndoKind::SubtreeReplacement);
    EXPECT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(SavedBytes(document.tree()), before);
}

TEST_F(DiskExtraInfoTest, AnUpdateWithoutExtraInformationKeepsTheDisksOwn) {
    ReadRequest first = NewDisk();
    first.categories = 0x04;
    first.extraInfo.rows = {{kLocation, "Drawer 3"}, {kUserNumber, "12"}};
    CatalogItem* disk = Read(first).disk;
    ASSERT_NE(disk, nullptr);

    ReadRequest update;
    update.root = root.string();
    update.diskToUpdate = "Shelf\\Stick";
    ASSERT_EQ(Read(update).disk, disk);
    EXPECT_EQ(disk->textAttribute(kLocation), "Drawer 3");
    EXPECT_EQ(disk->numberAttribute(kUserNumber), 12u);
    EXPECT_EQ(disk->numberAttribute(attr::Categories), 0x04u);

    // A cancelled update keeps what it read, the fields given with it included.
    update.extraInfo.rows = {{kLocation, "Attic"}};
    update.extraInfo.listedKeys = {kLocation};
    const ReadResult cancelled = Read(update, true);
    EXPECT_EQ(cancelled.outcome, ReadOutcome::Cancelled);
    ASSERT_EQ(cancelled.disk, disk);
    EXPECT_EQ(disk->textAttribute(kLocation), "Attic");
    EXPECT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(disk->textAttribute(kLocation), "Drawer 3");
}

}  // namespace
}  // namespace shelfmark
