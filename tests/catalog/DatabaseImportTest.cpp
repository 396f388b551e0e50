#include "catalog/DatabaseImport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "catalog/CatalogFile.h"
#include "catalog/PasswordProtection.h"
#include "catalog/TreeWalk.h"
#include "catalog/UnlockOnOpen.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/catalog/FileBytes.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::At;
using testing::WrongFolderSizes;

// The open catalog: a root with the folder Imports and one disk of its own (internal number 1).
class DatabaseImport : public ::testing::Test {
  protected:
    DatabaseImport() {
        CatalogTree& t = document.tree();
        t.resetToNewCatalog();
        imports = t.createItem("Imports", t.root(), Last, itemflag::Folder);
        CatalogItem* mine = t.createItem("mine", t.root(), Last, DiskFlags(MediaType::CdRom));
        t.assignDiskNumber(mine);
        document.addObserver(&observer);
    }
    ~DatabaseImport() override { document.removeObserver(&observer); }

    // The edit test catalog saved as `name`: 5 disks, top-level Backup, Music and Loose.
    std::string source(const std::string& name,
                       const std::function<void(CatalogTree&)>& change = {}) {
        CatalogTree tree;
        tree.resetToNewCatalog();
        testing::BuildEditCatalog(tree);
        if (change)
            change(tree);
        const std::string path = (dir / name).string();
        std::string error;
        EXPECT_TRUE(SaveCatalogTo(path, tree, &error)) << error;
        return path;
    }
    EditStatus import(std::vector<std::string> files, CatalogItem* target = nullptr) {
        report = {};
        return ImportCatalogFiles(document, files, target ? target : imports, &report);
    }
    std::vector<uint32_t> diskNumbers() const {
        std::vector<uint32_t> numbers;
        WalkBelow(document.tree().root(), EnterContainers, [&](CatalogItem& item) {
            if (item.isDisk() && !item.isShortcut())
                numbers.push_back(item.numberAttribute(attr::DiskNumber).value_or(0));
            return true;
        });
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }
    std::vector<std::string> childNames(const CatalogItem* item) const {
        std::vector<std::string> names;
        for (const CatalogItem* child = item->firstChildIgnoringLock(); child; child = child->next())
            names.emplace_back(child->name());
        return names;
    }

    testing::TempDir dir;
    ScriptedPrompter prompter;
    CatalogDocument document{prompter};
    testing::RecordingObserver observer;
    CatalogItem* imports = nullptr;
    ImportReport report;
};

TEST_F(DatabaseImport, TwiceGivesTwoCopiesWithTheirOwnDiskNumbersAndOneUndoTakesAllBack) {
    const std::string path = source("other.tkd");
    ASSERT_EQ(import({path, path}), EditStatus::Done);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(report.imported.size(), 6u);
    EXPECT_EQ(childNames(imports),
              (std::vector<std::string>{"Backup", "Backup", "Music", "Music", "Loose", "Loose"}));
    EXPECT_EQ(document.tree().topLevel()->next(), nullptr);  // no temporary folder is left
    // 1 own disk + 2 x 4 imported, every one numbered anew from the open catalog's counter.
    EXPECT_EQ(diskNumbers(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(document.tree().root()->numberAttribute(attr::DiskNumber), 10u);
    // Folder sizes: Imports holds two Backups (5,000), two Musics (1,500), two Looses (300).
    EXPECT_EQ(imports->size(), 13'600u);
    EXPECT_TRUE(WrongFolderSizes(document.tree()).empty());
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.undoStepCount(), 1u);
    EXPECT_EQ(document.newestUndoStep()->label, "Import .TKD file(s)");
    EXPECT_EQ(std::count(observer.events.begin(), observer.events.end(), "inserted Music in Imports"),
              2);

    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(imports->firstChildIgnoringLock(), nullptr);
    EXPECT_EQ(imports->size(), 0u);
    EXPECT_EQ(document.tree().root()->numberAttribute(attr::DiskNumber), 10u);
}

TEST_F(DatabaseImport, DefinitionsCountersAndShortcutsOfTheFileStayBehind) {
    const std::string path = source("defs.tkd", [](CatalogTree& tree) {
        const uint8_t definitions[] = {1, 2, 3};
        tree.setBlockAttribute(tree.root(), attr::CategoryDefinitions, definitions);
        tree.setBlockAttribute(tree.root(), attr::ExtraInfoDefinitions, definitions);
        tree.setNumberAttribute(tree.root(), attr::DiskNumber, 500);
        tree.setNumberAttribute(At(tree, "Music"), attr::Categories, 0x0302);
        CatalogItem* link = tree.createItem("link", tree.root(), Last,
                                            itemflag::Shortcut | itemflag::Directory);
        tree.setTextAttribute(link, attr::ShortcutTarget,
                              tree.pathText(At(tree, "Backup\\B1\\Docs"), pathmode::Reference));
    });
    ASSERT_EQ(import({path}), EditStatus::Done);
    const CatalogItem* root = document.tree().root();
    EXPECT_FALSE(root->hasAttribute(attr::CategoryDefinitions));
    EXPECT_FALSE(root->hasAttribute(attr::ExtraInfoDefinitions));
    EXPECT_EQ(root->numberAttribute(attr::DiskNumber), 6u);
    // Category identifiers stay the numbers they were.
    EXPECT_EQ(At(document.tree(), "Imports\\Music")->numberAttribute(attr::Categories), 0x0302u);
    // The shortcut points at the imported copy under its new internal number.
    const CatalogItem* link = At(document.tree(), "Imports\\link");
    ASSERT_NE(link, nullptr);
    const CatalogItem* docs = At(document.tree(), "Imports\\Backup\\B1\\Docs");
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(link->textAttribute(attr::ShortcutTarget),
              document.tree().pathText(docs, pathmode::Reference));
    EXPECT_NE(link->textAttribute(attr::ShortcutTarget), "{Disk0005}:\\Docs");
    EXPECT_EQ(document.tree().resolveShortcut(link, nullptr), docs);
}

TEST_F(DatabaseImport, UnreadableFilesAreSkippedSilentlyAndBadOnesReported) {
    const std::string good = source("good.tkd");
    const std::string missing = (dir / "missing.tkd").string();
    const std::string bad = (dir / "bad.tkd").string();
    testing::WriteFile(bad, "not a catalog at all");
    ASSERT_EQ(import({missing, bad, good}), EditStatus::Done);
    ASSERT_EQ(report.unreadable.size(), 1u);
    EXPECT_EQ(report.unreadable[0].first, missing);
    EXPECT_EQ(report.unreadable[0].second, "No such file or directory");
    EXPECT_EQ(report.rejected, std::vector<std::string>{bad});
    ASSERT_EQ(prompter.shown().size(), 1u);  // the damaged file only
    EXPECT_NE(prompter.shown()[0].message.text.find("bad.tkd"), std::string::npos);
    EXPECT_EQ(report.imported.size(), 3u);

    // Nothing readable: nothing changes, the lock goes back.
    prompter.clear();
    EXPECT_EQ(import({missing, bad}), EditStatus::Unchanged);
    EXPECT_EQ(document.undoStepCount(), 1u);
}

TEST_F(DatabaseImport, TheTargetMustBeAVisibleFolderWithRoomBelow) {
    const std::string path = source("t.tkd");
    CatalogItem* mine = At(document.tree(), "mine");
    EXPECT_EQ(import({path}, mine), EditStatus::Unchanged);
    const uint8_t check[16] = {};
    document.tree().setBlockAttribute(imports, attr::PasswordCheck, check);
    EXPECT_EQ(import({path}), EditStatus::Unchanged);
    EXPECT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(imports->firstChildIgnoringLock(), nullptr);

    // A shortcut to a folder is followed.
    CatalogTree& tree = document.tree();
    CatalogItem* open = tree.createItem("Open", tree.root(), Last, itemflag::Folder);
    CatalogItem* link = tree.createItem("to Open", tree.root(), Last,
                                        itemflag::Folder | itemflag::Shortcut);
    tree.setTextAttribute(link, attr::ShortcutTarget, "Open");
    ASSERT_EQ(import({path}, link), EditStatus::Done);
    EXPECT_EQ(childNames(open), (std::vector<std::string>{"Backup", "Music", "Loose"}));
}

TEST_F(DatabaseImport, ItemsThatWouldLieTooDeepAreLeftOut) {
    // The target lies 37 levels down: the file's Music\Rock\Rock One\Album\track1.mp3 (5 levels)
    // would end at level 42.
    CatalogTree& tree = document.tree();
    CatalogItem* deep = imports;
    for (int level = 2; level <= 37; ++level)
        deep = tree.createItem("f" + std::to_string(level), deep, Last, itemflag::Folder);
    ASSERT_EQ(DepthBelowRoot(*deep), 37);
    ASSERT_EQ(import({source("deep.tkd")}, deep), EditStatus::Done);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Warning);
    EXPECT_NE(prompter.shown()[0].message.text.find("deep.tkd"), std::string::npos);
    auto child = [](const CatalogItem* item, std::string_view name) -> const CatalogItem* {
        for (const CatalogItem* c = item ? item->firstChildIgnoringLock() : nullptr; c; c = c->next()) {
            if (c->name() == name)
                return c;
        }
        return nullptr;
    };
    const CatalogItem* disk = child(child(child(deep, "Music"), "Rock"), "Rock One");
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(DepthBelowRoot(*disk), 40);
    EXPECT_EQ(disk->firstChildIgnoringLock(), nullptr);
    EXPECT_NE(child(child(deep, "Backup"), "B1"), nullptr);
    // What is left can be saved and read back.
    EXPECT_EQ(testing::SavedBytes(tree).find("save failed"), std::string::npos);
}

// Stands in for the password code: a root or folder is "unlocked" with the password "pw", and a
// name is "encrypted" by reversing its bytes.
void FakeUnlock(CatalogTree& tree, CatalogItem* scope, bool giveRootPassword) {
    if (!scope->isProtected() || !giveRootPassword)
        return;
    tree.setNumberAttribute(scope, attr::Unlocked, 1);
    auto enter = [](const CatalogItem& item) { return !item.isProtected(); };
    WalkBelow(scope, enter, [&tree](CatalogItem& item) {
        if (const auto block = item.blockAttribute(attr::EncryptedName))
            tree.setName(&item, std::string(block->rbegin(), block->rend()));
        return true;
    });
}

void Encrypt(CatalogTree& tree, CatalogItem* item) {
    const std::string name(item->name());
    const std::string reversed(name.rbegin(), name.rend());
    tree.setBlockAttribute(item, attr::EncryptedName,
                           {reinterpret_cast<const uint8_t*>(reversed.data()), reversed.size()});
}

TEST_F(DatabaseImport, AProtectedRootIsUnlockedAndLosesItsProtection) {
    const std::string path = source("locked.tkd", [](CatalogTree& tree) {
        const uint8_t check[16] = {9};
        tree.setBlockAttribute(At(tree, "Music\\Jazz"), attr::PasswordCheck, check);
        WalkBelowIgnoringLocks(tree.root(), EnterAll, [&tree](CatalogItem& item) {
            Encrypt(tree, &item);
            return true;
        });
        tree.setBlockAttribute(tree.root(), attr::PasswordCheck, check);
    });
    const std::string plain = source("plain.tkd");

    // The password is not given: that file adds nothing and the import stops there.
    document.hooks().unlockProtected = [](CatalogTree& tree, CatalogItem* scope) {
        FakeUnlock(tree, scope, false);
    };
    EXPECT_EQ(import({plain, path, plain}), EditStatus::Done);
    EXPECT_EQ(report.imported.size(), 3u);
    EXPECT_EQ(document.tree().topLevel()->next(), nullptr);
    EXPECT_EQ(diskNumbers().size(), 5u);
    EXPECT_EQ(report.passwordNotGiven, path);
    // The numbers the thrown-away disks took are free again.
    EXPECT_EQ(document.tree().root()->numberAttribute(attr::DiskNumber), 6u);
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);

    document.hooks().unlockProtected = [](CatalogTree& tree, CatalogItem* scope) {
        FakeUnlock(tree, scope, true);
    };
    ASSERT_EQ(import({path}), EditStatus::Done);
    EXPECT_EQ(childNames(imports), (std::vector<std::string>{"Backup", "Music", "Loose"}));
    // Names below the root are plain again; the nested protected folder keeps its protection
    // and the encrypted names below it, but its own name was the root's to encrypt.
    const CatalogItem* jazz = At(document.tree(), "Imports\\Music\\Jazz");
    ASSERT_NE(jazz, nullptr);
    EXPECT_TRUE(jazz->isLocked());
    EXPECT_FALSE(jazz->hasAttribute(attr::EncryptedName));
    EXPECT_TRUE(jazz->firstChildIgnoringLock()->hasAttribute(attr::EncryptedName));
    const CatalogItem* rock = At(document.tree(), "Imports\\Music\\Rock\\Rock One\\cover.jpg");
    ASSERT_NE(rock, nullptr);
    EXPECT_FALSE(rock->hasAttribute(attr::EncryptedName));
    EXPECT_FALSE(document.tree().root()->isProtected());
}

TEST_F(DatabaseImport, OldFormatFilesGoStraightUnderTheTarget) {
    testing::FileBytes b;
    b.oldHeader(0x22).u8(0).u32(3).u16(9);
    b.text("Old").u16(0x0002).u32(900).u8(0).u32(1000).text("");
    b.text("CD").u16(0x0009 | 0x2000).u32(900).u8(0).u32(2000).text("");
    b.u16(4).text("").text("VOL").u32(1).u8(3).text("").u32(0);
    b.text("z.txt").u16(0x6000).u32(900).u8(0).u32(0).text("");
    const std::string path = (dir / "old.tkd").string();
    testing::WriteFile(path, b.str());
    document.setShowConvertHint(kConvertHintSuppressed);
    ASSERT_EQ(import({path, path}), EditStatus::Done);
    EXPECT_EQ(childNames(imports), (std::vector<std::string>{"Old", "Old"}));
    EXPECT_EQ(imports->size(), 1800u);
    EXPECT_TRUE(WrongFolderSizes(document.tree()).empty());
    EXPECT_EQ(diskNumbers(), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(document.tree().root()->numberAttribute(attr::DiskId), 1u);  // not the file's
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(imports->size(), 0u);
}

// The real protection, asked through the prompter as the desktop program asks: the source's
// root (with encrypted names, one of them multi-byte) and, nested in it, Music\Jazz with a
// password of its own.
class ProtectedImport : public DatabaseImport {
  protected:
    ProtectedImport() { InstallUnlockOnOpen(document, nullptr); }
    std::string protectedSource() {
        return source("locked.tkd", [](CatalogTree& tree) {
            tree.createItem("Grüße ☃", tree.root(), Last, itemflag::Folder);
            ASSERT_TRUE(Protect(tree, At(tree, "Music\\Jazz"), "Blue", true));
            ASSERT_TRUE(Protect(tree, tree.root(), "Sesam", true));
        });
    }
};

TEST_F(ProtectedImport, CancelAtTheRootPromptAddsNothingOfThatFileAndStops) {
    const std::string plain = source("plain.tkd");
    const std::string locked = protectedSource();
    prompter.queueText("sesam");  // wrong: asked again
    prompter.queueText(std::nullopt);
    EXPECT_EQ(import({plain, locked, plain}), EditStatus::Done);
    EXPECT_EQ(report.passwordNotGiven, locked);
    EXPECT_EQ(childNames(imports), (std::vector<std::string>{"Backup", "Music", "Loose"}));
    ASSERT_EQ(prompter.textRequests().size(), 2u);
    for (const TextRequest& request : prompter.textRequests()) {
        EXPECT_TRUE(request.secret);
        EXPECT_EQ(request.caption, "Enter/ Remove Password");
        EXPECT_NE(request.label.find("locked.tkd"), std::string::npos) << request.label;
    }
    // Nothing of it was left beside the root, nor any trace of its protection.
    EXPECT_EQ(document.tree().topLevel()->next(), nullptr);
    EXPECT_FALSE(document.tree().root()->isProtected());

    // Cancel at the only file: the import changes nothing at all.
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    prompter.queueText(std::nullopt);
    EXPECT_EQ(import({locked}), EditStatus::Unchanged);
    EXPECT_TRUE(report.imported.empty());
    EXPECT_TRUE(childNames(imports).empty());
}

TEST_F(ProtectedImport, TheRootPasswordIsTakenOffTheCopyNestedOnesStay) {
    const std::string locked = protectedSource();
    prompter.queueText("Sesam");
    prompter.queueText(std::nullopt);  // Music\Jazz: left locked, the import goes on
    ASSERT_EQ(import({locked}), EditStatus::Done);
    ASSERT_EQ(prompter.textRequests().size(), 2u);
    EXPECT_NE(prompter.textRequests()[1].label.find("Jazz"), std::string::npos);
    EXPECT_EQ(childNames(imports),
              (std::vector<std::string>{"Backup", "Grüße ☃", "Music", "Loose"}));
    const CatalogItem* jazz = At(document.tree(), "Imports\\Music\\Jazz");
    ASSERT_NE(jazz, nullptr);
    EXPECT_TRUE(jazz->isLocked());

    // Saved, the copy holds its names in plain; Jazz's contents still open only with its
    // own password.
    const std::string saved = (dir / "saved.tkd").string();
    ASSERT_TRUE(document.saveCatalogFile(saved));
    const std::string bytes = testing::ReadFile(saved);
    for (const char* name : {"Grüße ☃", "letter.doc", "Rock One", "Jazz"})
        EXPECT_NE(bytes.find(name), std::string::npos) << name;
    EXPECT_EQ(bytes.find("Track01.cda"), std::string::npos);
    ScriptedPrompter again;
    CatalogDocument reopened(again);
    InstallUnlockOnOpen(reopened, nullptr);
    again.queueText("Blue");
    ASSERT_TRUE(reopened.openCatalogFile(saved));
    EXPECT_EQ(again.textRequests().size(), 1u);
    EXPECT_NE(At(reopened.tree(), "Imports\\Music\\Jazz\\Blue\\Track01.cda"), nullptr);
}

}  // namespace
}  // namespace shelfmark
