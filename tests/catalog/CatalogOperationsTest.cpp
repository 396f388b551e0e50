// The catalog operations and their undo: every undo kind brings back the exact saved bytes,
// folder sizes agree with a recount after each step, and observers hear each change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/CatalogFile.h"
#include "catalog/CategoryOperations.h"
#include "catalog/DeleteOperations.h"
#include "catalog/EmptyOperations.h"
#include "catalog/FolderOperations.h"
#include "catalog/LendOperations.h"
#include "catalog/MoveCopyOperations.h"
#include "catalog/RenameOperations.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::At;
using testing::SavedBytes;
using testing::WrongFolderSizes;
using Strings = std::vector<std::string>;

class Operations : public ::testing::Test {
  protected:
    Operations() {
        testing::BuildEditCatalog(tree());
        document.addObserver(&observer);
    }
    CatalogTree& tree() { return document.tree(); }
    CatalogItem* at(const char* path) { return At(tree(), path); }

    // Runs the change, checks sizes, undoes it and checks that the saved bytes are as before.
    template <typename Change>
    void expectUndoRestores(Change&& change, UndoKind kind) {
        const std::string before = SavedBytes(tree());
        const size_t steps = document.undoStepCount();
        ASSERT_EQ(change(), EditStatus::Done);
        EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
        ASSERT_EQ(document.undoStepCount(), steps + 1);
        EXPECT_EQ(document.newestUndoStep()->kind, kind);
        EXPECT_NE(SavedBytes(tree()), before);
        EXPECT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
        EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
        EXPECT_EQ(document.undoStepCount(), steps);
        EXPECT_EQ(SavedBytes(tree()), before);
    }

    ScriptedPrompter prompter;
    CatalogDocument document{prompter};
    testing::RecordingObserver observer;
};

TEST_F(Operations, TheTestCatalogHasRightFolderSizes) {
    EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
    tree().setSize(at("Music"), 1499);
    EXPECT_EQ(WrongFolderSizes(tree()), Strings{"Music: 1499 but holds 1500"});
}

TEST_F(Operations, MenuTextsBecomePlainLabels) {
    EXPECT_EQ(MenuLabel("Re&name\nF2"), "Rename");
    EXPECT_EQ(MenuLabel("C&opy to folder..."), "Copy to folder");
    EXPECT_EQ(MenuLabel("Item &Categories\nCtrl+K"), "Item Categories");
    EXPECT_EQ(MenuLabel("&Lend\nCtrl+Shift+L"), "Lend");
    EXPECT_EQ(MenuLabel("Wait...\nthen... more"), "Wait");
    ASSERT_EQ(RenameItem(document, at("Music"), "Tunes"), EditStatus::Done);
    EXPECT_EQ(document.newestUndoStep()->label, "Rename");
    ASSERT_EQ(CopyToFolder(document, std::vector{at("Tunes\\Jazz")}, at("Backup")),
              EditStatus::Done);
    EXPECT_EQ(document.newestUndoStep()->label, "Copy to folder");
}

TEST_F(Operations, EveryUndoKindRestoresTheSavedBytes) {
    expectUndoRestores([&] { return CreateFolder(document, at("Music"), "Pop"); },
                       UndoKind::Insert);
    expectUndoRestores(
        [&] {
            return DeleteItems(document, std::vector{at("Music\\Rock"), at("Loose")},
                               {.askFirst = false});
        },
        UndoKind::Delete);
    expectUndoRestores([&] { return RenameItem(document, at("Music\\Jazz"), "Cool Jazz"); },
                       UndoKind::Rename);
    expectUndoRestores(
        [&] {
            return MoveToFolder(document, std::vector{at("Music\\Rock"), at("Loose")},
                                at("Backup"));
        },
        UndoKind::Move);
    expectUndoRestores(
        [&] {
            return LendDisks(document, std::vector{at("Loose"), at("Backup\\B1")},
                             LendRequest{"Carl", 1'700'000'000});
        },
        UndoKind::AttributeChange);
    expectUndoRestores(
        [&] {
            return SetItemCategories(document, std::vector{at("Music"), at("Loose")}, {3, 0, 9, 0});
        },
        UndoKind::AttributeChange);
    expectUndoRestores(
        [&] {
            return EmptyItems(document, std::vector{tree().root()}, EmptyWhat::Archives, false);
        },
        UndoKind::SubtreeReplacement);
    expectUndoRestores(
        [&] {
            return EmptyItems(document, std::vector{at("Music"), at("Music\\Rock")},
                              EmptyWhat::Disks, false);
        },
        UndoKind::SubtreeReplacement);
    expectUndoRestores(
        [&] {
            return CopyToFolder(document, std::vector{at("Music"), at("Backup\\B1")},
                                at("Music\\Rock"));
        },
        UndoKind::Insert);
    expectUndoRestores(
        [&] {
            return CreateShortcuts(document, std::vector{at("Music\\Rock\\Rock One\\cover.jpg")},
                                   at("Backup"), true);
        },
        UndoKind::Insert);
}

TEST_F(Operations, ItemsGoBackToTheirPlaceInListsThatAreNotSorted) {
    // After a rename "Aaa" stands after "Jazz": undoing a delete or a move must not sort it.
    ASSERT_EQ(RenameItem(document, at("Music\\Rock"), "Aaa"), EditStatus::Done);
    CatalogItem* aaa = at("Music\\Aaa");
    expectUndoRestores([&] { return DeleteItems(document, std::vector{aaa}, {.askFirst = false}); },
                       UndoKind::Delete);
    expectUndoRestores([&] { return MoveToFolder(document, std::vector{aaa}, at("Backup")); },
                       UndoKind::Move);
    EXPECT_EQ(at("Music")->firstChild()->name(), "Jazz");
}

TEST_F(Operations, UndoingInLastInFirstOutOrderReachesTheStart) {
    const std::string start = SavedBytes(tree());
    CatalogItem* created = nullptr;
    ASSERT_EQ(CreateFolder(document, at("Backup"), "New", &created), EditStatus::Done);
    ASSERT_EQ(MoveToFolder(document, std::vector{at("Music\\Rock")}, created), EditStatus::Done);
    ASSERT_EQ(RenameItem(document, at("Backup\\New\\Rock\\Rock One\\cover.jpg"), "front.jpg"),
              EditStatus::Done);
    ASSERT_EQ(EmptyItems(document, std::vector{at("Backup")}, EmptyWhat::Disks, false),
              EditStatus::Done);
    ASSERT_EQ(DeleteItems(document, std::vector{at("Backup\\New")}, {.askFirst = false}),
              EditStatus::Done);
    ASSERT_EQ(LendDisks(document, std::vector{at("Loose")}, LendRequest{"Dora", 5}),
              EditStatus::Done);
    EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
    EXPECT_EQ(document.undoStepCount(), 6u);
    while (document.undo(false) == CatalogDocument::UndoResult::Done)
        EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
    EXPECT_EQ(document.undoStepCount(), 0u);
    EXPECT_EQ(SavedBytes(tree()), start);
    EXPECT_EQ(document.undo(), CatalogDocument::UndoResult::NothingToUndo);
}

TEST_F(Operations, ThirtyThreeCommandsLeaveThirtyTwoSteps) {
    CatalogItem* jazz = at("Music\\Jazz");
    for (int i = 1; i <= 33; ++i) {
        if (i % 3 == 0) {
            // Delete steps own what they took; dropping the oldest must free it cleanly.
            CatalogItem* folder = nullptr;
            ASSERT_EQ(CreateFolder(document, at("Backup"), "T" + std::to_string(i), &folder),
                      EditStatus::Done);
            ASSERT_EQ(DeleteItems(document, std::vector{folder}, {.askFirst = false}),
                      EditStatus::Done);
        } else {
            ASSERT_EQ(RenameItem(document, jazz, "Jazz " + std::to_string(i)), EditStatus::Done);
        }
    }
    EXPECT_EQ(document.undoStepCount(), kMaxUndoSteps);
    int undone = 0;
    while (document.undo(false) == CatalogDocument::UndoResult::Done)
        ++undone;
    EXPECT_EQ(undone, 32);
    // 44 steps were recorded; the first 12 (up to the rename to "Jazz 8") are gone.
    EXPECT_EQ(jazz->name(), "Jazz 8");
    EXPECT_EQ(at("Backup")->firstChild()->name(), "B1");
    EXPECT_EQ(at("Backup")->firstChild()->next(), nullptr);
}

TEST_F(Operations, DroppedStepsFreeWhatTheyOwn) {
    // A folder of 2,000 items is copied and the copy deleted, again and again: the delete
    // steps own the copies and the empty steps own the former children; once the steps fall
    // off the list their memory is used again, so the catalog stops growing.
    document.removeObserver(&observer);
    CatalogItem* big = tree().createItem("Big", at("Backup"), Last, itemflag::Folder);
    for (int i = 0; i < 2000; ++i)
        tree().createItem("f" + std::to_string(i), big, First, 0);
    auto cycle = [&] {
        std::vector<CatalogItem*> copies;
        ASSERT_EQ(CopyToFolder(document, std::vector{big}, at("Music"), {}, &copies),
                  EditStatus::Done);
        ASSERT_EQ(EmptyItems(document, copies, EmptyWhat::Disks, false), EditStatus::Done);
        ASSERT_EQ(DeleteItems(document, copies, {.askFirst = false}), EditStatus::Done);
    };
    for (int i = 0; i < 40; ++i)
        cycle();
    const size_t settled = tree().memoryUsage();
    for (int i = 0; i < 80; ++i)
        cycle();
    EXPECT_LE(tree().memoryUsage(), settled + settled / 10);
    EXPECT_EQ(document.undoStepCount(), kMaxUndoSteps);
}

TEST_F(Operations, DeleteAsksFirstUnlessShiftIsHeld) {
    prompter.queueAnswer(PromptAnswer::No);
    EXPECT_EQ(DeleteItems(document, std::vector{at("Music\\Jazz")}), EditStatus::Unchanged);
    prompter.queueAnswer(PromptAnswer::No);
    EXPECT_EQ(DeleteItems(document, std::vector{at("Music\\Jazz"), at("Loose")}),
              EditStatus::Unchanged);
    EXPECT_EQ(prompter.shownTexts(), (Strings{"Do you really want to delete 'Jazz'?",
                                              "Do you really want to delete the 2 objects?"}));
    EXPECT_EQ(document.undoStepCount(), 0u);
    EXPECT_FALSE(document.isModified());
    prompter.clear();
    EXPECT_EQ(DeleteItems(document, std::vector{at("Music\\Jazz")}, {.askFirst = false}),
              EditStatus::Done);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(at("Music")->size(), 1000u);
    EXPECT_EQ(at("Music\\Jazz"), nullptr);
    // The root is never deleted.
    EXPECT_EQ(DeleteItems(document, std::vector{tree().root()}, {.askFirst = false}),
              EditStatus::Unchanged);
    EXPECT_EQ(prompter.shownTexts(),
              Strings{"This command cannot be used with an item of this kind."});
}

TEST_F(Operations, ADeleteWithoutUndoDropsTheStepsThatCouldNameWhatItFrees) {
    ASSERT_EQ(RenameItem(document, at("Music\\Jazz"), "Cool"), EditStatus::Done);
    ASSERT_EQ(
        DeleteItems(document, std::vector{at("Music")}, {.undoable = false, .askFirst = false}),
        EditStatus::Done);
    EXPECT_EQ(document.undoStepCount(), 0u);
    EXPECT_EQ(document.undo(), CatalogDocument::UndoResult::NothingToUndo);
    EXPECT_EQ(at("Music"), nullptr);
    EXPECT_EQ(at("Backup")->size(), 5000u);
}

TEST_F(Operations, UndoOfAnInsertAsksTheDeleteQuestion) {
    ASSERT_EQ(CreateFolder(document, at("Music"), "Pop"), EditStatus::Done);
    prompter.queueAnswer(PromptAnswer::No);
    EXPECT_EQ(document.undo(), CatalogDocument::UndoResult::Cancelled);
    EXPECT_NE(at("Music\\Pop"), nullptr);
    prompter.queueAnswer(PromptAnswer::Yes);
    EXPECT_EQ(document.undo(), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(at("Music\\Pop"), nullptr);
    EXPECT_EQ(prompter.shownTexts(), (Strings{"Do you really want to delete 'Pop'?",
                                              "Do you really want to delete 'Pop'?"}));
}

TEST_F(Operations, MovingAFolderIntoItsOwnSubfolderLeavesItWhereItIs) {
    const std::string before = SavedBytes(tree());
    EXPECT_EQ(MoveToFolder(document, std::vector{at("Music")}, at("Music\\Rock")),
              EditStatus::Unchanged);
    EXPECT_EQ(SavedBytes(tree()), before);
    EXPECT_EQ(document.undoStepCount(), 0u);
    // With another item the move goes ahead for that one only.
    EXPECT_EQ(MoveToFolder(document, std::vector{at("Music"), at("Loose")}, at("Music\\Rock")),
              EditStatus::Done);
    EXPECT_EQ(document.newestUndoStep()->count(), 1u);
    EXPECT_EQ(at("Music\\Rock")->size(), 1300u);
    EXPECT_EQ(at("Music")->size(), 1800u);
    EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
}

TEST_F(Operations, MovingAndCopyingKeepFoldersDisksAndShortcutsOnly) {
    CatalogItem* file = at("Music\\Rock\\Rock One\\cover.jpg");
    EXPECT_EQ(MoveToFolder(document, std::vector{file}, at("Backup")), EditStatus::Unchanged);
    EXPECT_EQ(CopyToFolder(document, std::vector{file}, at("Backup")), EditStatus::Unchanged);
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].message.caption, "Rock One:\\cover.jpg");
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Error);
    // The target must be a folder.
    prompter.clear();
    EXPECT_EQ(MoveToFolder(document, std::vector{at("Loose")}, at("Backup\\B1")),
              EditStatus::Unchanged);
    EXPECT_EQ(prompter.shown().size(), 1u);
    // Without a target the chooser is asked with the folder prompt.
    std::string asked;
    EXPECT_EQ(MoveToFolder(document, std::vector{at("Loose")}, nullptr,
                           [&](const std::string& prompt) {
                               asked = prompt;
                               return at("Music");
                           }),
              EditStatus::Done);
    EXPECT_EQ(asked, "Select the folder, to which the items shall be sent.");
    EXPECT_EQ(at("Music\\Loose")->parent(), at("Music"));
}

TEST_F(Operations, CopiesAreDeepKeepNumbersAndAddTheirSizes) {
    std::vector<CatalogItem*> copies;
    ASSERT_EQ(CopyToFolder(document, std::vector{at("Backup\\B1")}, at("Music\\Jazz"), {}, &copies),
              EditStatus::Done);
    ASSERT_EQ(copies.size(), 1u);
    // Appended after the existing children, with the number of the disk it came from.
    EXPECT_EQ(at("Music\\Jazz")->firstChild()->next(), copies[0]);
    EXPECT_EQ(copies[0]->numberAttribute(attr::DiskNumber), 5u);
    EXPECT_EQ(tree().countItems(copies[0]), tree().countItems(at("Backup\\B1")));
    EXPECT_EQ(At(tree(), "Music\\Jazz\\B1\\old.zip\\deep\\y.txt")->size(), 700u);
    EXPECT_EQ(at("Music\\Jazz")->size(), 5500u);
    EXPECT_EQ(at("Music")->size(), 6500u);
    EXPECT_EQ(at("Backup")->size(), 5000u);
    EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
}

TEST_F(Operations, CopyingAFolderIntoItselfCopiesWhatWasThere) {
    const uint64_t items = tree().countItems(at("Music"));
    ASSERT_EQ(CopyToFolder(document, std::vector{at("Music")}, at("Music\\Rock")),
              EditStatus::Done);
    EXPECT_EQ(tree().countItems(at("Music\\Rock\\Music")), items);
    EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
}

TEST_F(Operations, CopiesStopFortyLevelsDown) {
    CatalogItem* parent = at("Backup");
    CatalogItem* top = nullptr;
    for (int level = 0; level < 45; ++level) {
        parent = tree().createItem("L" + std::to_string(level), parent, Last, itemflag::Folder);
        if (!top)
            top = parent;
    }
    auto depthBelow = [](const CatalogItem* item) {
        int depth = 0;
        for (; item->firstChild(); item = item->firstChild())
            ++depth;
        return depth;
    };
    EXPECT_EQ(depthBelow(top), 44);
    std::vector<CatalogItem*> copies;
    ASSERT_EQ(CopyToFolder(document, std::vector{top}, at("Music"), {}, &copies), EditStatus::Done);
    // The copy ends on the catalog's deepest level.
    EXPECT_EQ(DepthBelowRoot(*copies[0]) + depthBelow(copies[0]), kMaxFileLevels);
}

TEST_F(Operations, NothingIsMovedOrMadeBelowTheDeepestLevel) {
    auto chain = [this](CatalogItem* parent, const std::string& name, int levels) {
        for (int level = 0; level < levels; ++level)
            parent = tree().createItem(name + std::to_string(level), parent, Last, itemflag::Folder);
        return parent;
    };
    // "Backup" lies at depth 1: its chain ends on depth 31, and a 10-level subtree fits below
    // depth 30 but not below 31.
    CatalogItem* deep = chain(at("Backup"), "D", 30);
    ASSERT_EQ(DepthBelowRoot(*deep), 31);
    CatalogItem* branch = chain(at("Music"), "B", 1);
    chain(branch, "C", 9);
    EXPECT_EQ(MoveToFolder(document, std::vector{branch}, deep), EditStatus::Unchanged);
    EXPECT_EQ(branch->parent(), at("Music"));
    EXPECT_EQ(MoveToFolder(document, std::vector{branch}, deep->parent()), EditStatus::Done);
    EXPECT_EQ(DepthBelowRoot(*branch), 31);

    // A folder on the deepest level holds nothing, and the catalog still saves and opens.
    CatalogItem* last = chain(deep, "E", kMaxFileLevels - 31);
    ASSERT_EQ(DepthBelowRoot(*last), kMaxFileLevels);
    EXPECT_EQ(CreateFolder(document, last, "Deeper"), EditStatus::Unchanged);
    EXPECT_EQ(last->firstChild(), nullptr);
    testing::TempDir dir;
    const std::string path = (dir / "deep.tkd").string();
    ASSERT_TRUE(document.saveCatalogFile(path));
    ScriptedPrompter quiet;
    CatalogDocument reopened(quiet);
    EXPECT_TRUE(reopened.openCatalogFile(path));
}

TEST_F(Operations, ProtectedContentsAreNotCopied) {
    CatalogItem* rock = at("Music\\Rock");
    const uint8_t check[] = {1, 2, 3};
    tree().setBlockAttribute(at("Music\\Rock\\Rock One\\Album"), attr::PasswordCheck, check);
    std::vector<CatalogItem*> copies;
    ASSERT_EQ(CopyToFolder(document, std::vector{rock}, at("Backup"), {}, &copies),
              EditStatus::Done);
    const CatalogItem* album = At(tree(), "Backup\\Rock\\Rock One\\Album");
    ASSERT_NE(album, nullptr);
    EXPECT_TRUE(album->isLocked());
    EXPECT_EQ(album->firstChildIgnoringLock(), nullptr);
}

TEST_F(Operations, ShortcutsPointAtTheFinalTarget) {
    std::vector<CatalogItem*> first, second;
    ASSERT_EQ(CreateShortcuts(document, std::vector{at("Music\\Rock\\Rock One\\Album")},
                              at("Backup"), true, {}, &first),
              EditStatus::Done);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0]->name(), "Shortcut to Album");
    EXPECT_EQ(first[0]->textAttribute(attr::ShortcutTarget), "{Disk0003}:\\Album");
    EXPECT_EQ(first[0]->flags(), itemflag::Directory | itemflag::Shortcut);
    // A shortcut to that shortcut points at the album, not at the shortcut.
    ASSERT_EQ(CreateShortcuts(document, first, at("Music"), false, {}, &second), EditStatus::Done);
    EXPECT_EQ(second[0]->name(), "Album");
    EXPECT_EQ(second[0]->textAttribute(attr::ShortcutTarget), "{Disk0003}:\\Album");
    EXPECT_EQ(tree().resolveShortcut(second[0], nullptr), at("Music\\Rock\\Rock One\\Album"));
    // Shortcuts come after every other item.
    EXPECT_EQ(at("Music")->firstChild()->next()->next(), second[0]);
}

TEST_F(Operations, LendingTwoDisksWithoutABorrowerReturnsBoth) {
    CatalogItem* one = at("Music\\Rock\\Rock One");
    CatalogItem* b1 = at("Backup\\B1");
    ASSERT_EQ(LendDisks(document, std::vector{one, b1, at("Music")}, LendRequest{}),
              EditStatus::Done);
    EXPECT_FALSE(one->hasAttribute(attr::LentTo));
    EXPECT_FALSE(one->hasAttribute(attr::LentDate));
    EXPECT_FALSE(b1->isLent());
    EXPECT_EQ(prompter.shown().size(), 1u);  // the folder was reported
    EXPECT_EQ(document.newestUndoStep()->label, "Lend");
    EXPECT_EQ(document.newestUndoStep()->count(), 2u);
    ASSERT_EQ(document.undo(), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(one->textAttribute(attr::LentTo), "Ann");
    EXPECT_EQ(one->numberAttribute(attr::LentDate), 1'500'000'000u);
    EXPECT_EQ(b1->textAttribute(attr::LentTo), "Bob");
    EXPECT_EQ(b1->numberAttribute(attr::LentDate), 1'400'000'000u);
}

TEST_F(Operations, LendingAsksTheDialogWithTheDisksNames) {
    CatalogItem* one = at("Music\\Rock\\Rock One");
    std::string names, borrower;
    auto ask = [&](const std::string& shownNames, const std::string& shownBorrower) {
        names = shownNames;
        borrower = shownBorrower;
        return std::optional<LendRequest>(LendRequest{"Eve", -1});
    };
    ASSERT_EQ(LendDisks(document, std::vector{one}, std::nullopt, ask), EditStatus::Done);
    EXPECT_EQ(names, "Rock One");
    EXPECT_EQ(borrower, "Ann");
    EXPECT_EQ(one->textAttribute(attr::LentTo), "Eve");
    EXPECT_GT(one->numberAttribute(attr::LentDate).value_or(0), 1'700'000'000u);
    ASSERT_EQ(LendDisks(document, std::vector{one, at("Loose")}, std::nullopt, ask),
              EditStatus::Done);
    EXPECT_EQ(names, "Rock One, ...");
    EXPECT_EQ(borrower, "");
    EXPECT_EQ(LendDisks(document, std::vector{one}, std::nullopt,
                        [](const std::string&, const std::string&) {
                            return std::optional<LendRequest>();
                        }),
              EditStatus::Unchanged);
}

TEST_F(Operations, EmptyingArchivesAndUndoBringBackEntriesAndTheArchiveBit) {
    prompter.queueAnswer(PromptAnswer::No);
    EXPECT_EQ(EmptyItems(document, std::vector{tree().root()}, EmptyWhat::Archives),
              EditStatus::Unchanged);
    EXPECT_EQ(prompter.shownTexts(),
              Strings{"Do you really want to empty all archives within the selected items?"});
    CatalogItem* songs = at("Music\\Rock\\Rock One\\songs.zip");
    CatalogItem* entry = At(tree(), "Music\\Rock\\Rock One\\songs.zip\\sub\\b.txt");
    ASSERT_NE(entry, nullptr);
    prompter.queueAnswer(PromptAnswer::Yes);
    ASSERT_EQ(EmptyItems(document, std::vector{tree().root()}, EmptyWhat::Archives),
              EditStatus::Done);
    songs = at("Music\\Rock\\Rock One\\songs.zip");
    EXPECT_FALSE(songs->isArchive());
    EXPECT_EQ(songs->firstChildIgnoringLock(), nullptr);
    EXPECT_FALSE(at("Backup\\B1\\old.zip")->isArchive());
    EXPECT_EQ(at("Backup\\B1\\old.zip")->size(), 1000u);
    EXPECT_NE(at("Backup\\B1\\Docs\\letter.doc"), nullptr);
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    songs = at("Music\\Rock\\Rock One\\songs.zip");
    EXPECT_TRUE(songs->isArchive());
    // The very items come back, so older steps that name them stay good.
    EXPECT_EQ(At(tree(), "Music\\Rock\\Rock One\\songs.zip\\sub\\b.txt"), entry);
}

TEST_F(Operations, EmptyingDisksKeepsTheDisksAndLeavesProtectedOnesAlone) {
    const uint8_t check[] = {9};
    tree().setBlockAttribute(at("Backup\\B1"), attr::PasswordCheck, check);
    prompter.queueAnswer(PromptAnswer::Yes);
    ASSERT_EQ(EmptyItems(document, std::vector{tree().root()}, EmptyWhat::Disks), EditStatus::Done);
    EXPECT_EQ(prompter.shownTexts(),
              Strings{"Do you really want to empty all disks within the selected items?"});
    EXPECT_EQ(at("Music\\Rock\\Rock One")->firstChildIgnoringLock(), nullptr);
    EXPECT_EQ(at("Music\\Rock\\Rock One")->size(), 1000u);
    EXPECT_EQ(at("Music\\Rock\\Rock One")->textAttribute(attr::Volume), "ROCK_ONE");
    EXPECT_EQ(at("Loose")->firstChildIgnoringLock(), nullptr);
    EXPECT_NE(at("Backup\\B1")->firstChildIgnoringLock(), nullptr);
    EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
}

TEST_F(Operations, CreateFolderAndAddDisk) {
    // Without a name the prompter is asked; Cancel changes nothing.
    EXPECT_EQ(CreateFolder(document, at("Music"), std::nullopt), EditStatus::Unchanged);
    ASSERT_EQ(prompter.textRequests().size(), 1u);
    EXPECT_EQ(prompter.textRequests()[0].caption, "Create Folder");
    prompter.queueText("Blues");
    CatalogItem* blues = nullptr;
    ASSERT_EQ(CreateFolder(document, at("Music"), std::nullopt, &blues), EditStatus::Done);
    EXPECT_EQ(at("Music")->firstChild(), blues);
    EXPECT_GT(blues->date(), 1'700'000'000);
    // Not in a disk, not twice, not with a path separator.
    EXPECT_EQ(CreateFolder(document, at("Backup\\B1"), "x"), EditStatus::Unchanged);
    EXPECT_EQ(CreateFolder(document, at("Music"), "BLUES"), EditStatus::Unchanged);
    EXPECT_EQ(CreateFolder(document, at("Music"), "a/b"), EditStatus::Unchanged);
    EXPECT_EQ(document.undoStepCount(), 1u);

    CatalogItem* disk = nullptr;
    ASSERT_EQ(AddDiskByName(document, at("Music\\Rock\\Rock One\\Album"),
                            "Ölgemälde und Bücher 2024", MediaType::VideoCd, &disk),
              EditStatus::Done);
    EXPECT_EQ(disk->parent(), at("Music\\Rock"));  // the nearest folder
    EXPECT_EQ(disk->flags(), DiskFlags(MediaType::VideoCd));
    EXPECT_EQ(disk->numberAttribute(attr::DiskId), 10u);
    EXPECT_EQ(disk->numberAttribute(attr::DiskNumber), 6u);
    EXPECT_EQ(tree().root()->numberAttribute(attr::DiskId), 11u);
    EXPECT_EQ(tree().root()->numberAttribute(attr::DiskNumber), 7u);
    EXPECT_EQ(disk->textAttribute(attr::Volume), "Ölgemälde und Bü");
    EXPECT_FALSE(disk->hasAttribute(attr::VolumeSerial));
    EXPECT_EQ(document.newestUndoStep()->label, "Add Disk Name");
    EXPECT_EQ(WrongFolderSizes(tree()), Strings{});
}

TEST_F(Operations, RenamingToTheSameNameChangesNothing) {
    EXPECT_EQ(RenameItem(document, at("Music"), "Music"), EditStatus::Unchanged);
    EXPECT_EQ(document.undoStepCount(), 0u);
    EXPECT_EQ(RenameItem(document, at("Music"), ""), EditStatus::Done);
    EXPECT_EQ(tree().root()->firstChild()->next()->name(), "?");
}

TEST_F(Operations, CategoriesPackTheIdentifiersAndNoneRemovesThem) {
    EXPECT_EQ(PackCategoryIds({3, 0, 9, 0}), 0x0903u);
    EXPECT_EQ(PackCategoryIds({1, 2, 3, 4}), 0x04030201u);
    ASSERT_EQ(SetItemCategories(document, std::vector{at("Music")}, {5, 6, 0, 0}),
              EditStatus::Done);
    EXPECT_EQ(at("Music")->numberAttribute(attr::Categories), 0x0605u);
    ASSERT_EQ(SetItemCategories(document, std::vector{at("Music")}, {}), EditStatus::Done);
    EXPECT_FALSE(at("Music")->hasAttribute(attr::Categories));
    EXPECT_EQ(document.newestUndoStep()->label, "Item Categories");
}

TEST_F(Operations, PasswordStepsCallTheirHooksOnUndo) {
    std::vector<std::string> calls;
    document.undoHooks().removeProtection = [&](CatalogItem* item, const std::string& password) {
        calls.push_back("remove " + std::string(item->name()) + " " + password);
        return true;
    };
    document.undoHooks().protect = [&](CatalogItem* item, const std::string& password,
                                       bool encryptNames) {
        calls.push_back("protect " + std::string(item->name()) + " " + password +
                        (encryptNames ? " encrypted" : ""));
        return true;
    };
    CatalogItem* music = at("Music");
    document.recordUndo(UndoKind::SetPassword, {&music, 1}, "x").password = "secret";
    UndoStep& removed = document.recordUndo(UndoKind::RemovePassword, {&music, 1}, std::nullopt);
    removed.password = "old";
    removed.nameWasEncrypted = 1;
    EXPECT_FALSE(removed.label.has_value());
    ASSERT_EQ(document.undo(), CatalogDocument::UndoResult::Done);
    ASSERT_EQ(document.undo(), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(calls, (Strings{"protect Music old encrypted", "remove Music secret"}));
}

TEST_F(Operations, UndoOfTheRootsAttributesReloadsTheDefinitions) {
    int reloads = 0;
    document.undoHooks().reloadDefinitions = [&] { ++reloads; };
    CatalogItem* root = tree().root();
    document.recordUndo(UndoKind::AttributeChange, {&root, 1}, std::nullopt);
    const uint8_t definitions[] = {1, 2};
    tree().setBlockAttribute(root, attr::CategoryDefinitions, definitions);
    ASSERT_EQ(document.undo(), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(reloads, 1);
    EXPECT_FALSE(root->hasAttribute(attr::CategoryDefinitions));
}

TEST_F(Operations, ObserversHearEachChange) {
    auto take = [&] {
        Strings events = std::move(observer.events);
        observer.events.clear();
        return events;
    };
    ASSERT_EQ(CreateFolder(document, at("Music"), "Pop"), EditStatus::Done);
    EXPECT_EQ(take(), (Strings{"inserted Pop in Music", "modified"}));
    ASSERT_EQ(MoveToFolder(document, std::vector{at("Loose")}, at("Music\\Pop")), EditStatus::Done);
    EXPECT_EQ(take(), (Strings{"moving Loose to Pop", "moved Loose from  "}));
    ASSERT_EQ(RenameItem(document, at("Music\\Pop\\Loose"), "Tight"), EditStatus::Done);
    EXPECT_EQ(take(), Strings{"changed Tight"});
    ASSERT_EQ(DeleteItems(document, std::vector{at("Music\\Jazz")}, {.askFirst = false}),
              EditStatus::Done);
    EXPECT_EQ(take(), (Strings{"removing Jazz", "removed from Music"}));
    ASSERT_EQ(EmptyItems(document, std::vector{at("Backup\\B1")}, EmptyWhat::Archives, false),
              EditStatus::Done);
    EXPECT_EQ(take(), (Strings{"removing Docs", "removed from B1", "removing old.zip",
                               "removed from B1", "inserted Docs in B1", "inserted old.zip in B1",
                               "removing x.txt", "removed from old.zip", "removing deep",
                               "removed from old.zip", "changed old.zip"}));

    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(take(),
              (Strings{"removing Docs", "removed from B1", "removing old.zip", "removed from B1",
                       "inserted Docs in B1", "inserted old.zip in B1", "changed B1"}));
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(take(), Strings{"inserted Jazz in Music"});
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(take(), Strings{"changed Loose"});
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(take(), (Strings{"moving Loose to  ", "moved Loose from Pop"}));
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(take(), (Strings{"removing Pop", "removed from Music"}));

    document.newCatalog();
    EXPECT_EQ(take(), (Strings{"reset", "saved"}));
    EXPECT_EQ(document.undoStepCount(), 0u);
}

}  // namespace
}  // namespace shelfmark
