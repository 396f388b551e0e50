// Password protection: the check value and the encrypted names against vectors computed
// independently (Python's hashlib and a ten-line RC4, key = first 5 bytes of SHA-1 + 11 zero
// bytes; the MD5 also with `openssl md5`), saving and reopening with and without the password,
// nested protection, the commands with their undo, remembered passwords, and that no walk
// shows what lies below a locked item.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/CatalogFile.h"
#include "catalog/PasswordOperations.h"
#include "catalog/PasswordProtection.h"
#include "catalog/RememberedPasswords.h"
#include "catalog/TreeWalk.h"
#include "catalog/UnlockOnOpen.h"
#include "foundation/ScriptedPrompter.h"
#include "platform/settings/SettingsStore.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::At;
using testing::SavedBytes;
using Strings = std::vector<std::string>;

// "Sesam öffne dich" in UTF-8.
const std::string kOuter = "Sesam \xC3\xB6" "ffne dich";
const std::string kInner = "inner";
const std::string kMultiByte = "Gr\xC3\xBC\xC3\x9F" "e \xE6\x97\xA5\xE6\x9C\xAC";  // Grüße 日本

std::string Hex(std::span<const uint8_t> bytes) {
    std::string out;
    static const char digits[] = "0123456789abcdef";
    for (uint8_t byte : bytes) {
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

std::string BlockHex(const CatalogItem* item, uint8_t key) {
    const auto block = item->blockAttribute(key);
    return block ? Hex(*block) : "(none)";
}

std::string Unhex(std::string_view hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += char(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    return out;
}

// The item records of saved bytes (reading raises the root's disk-number counter).
std::string Records(const std::string& bytes) {
    return bytes.substr(bytes.find("Backup"));
}

// The plain names of everything a safe walk shows below `item`.
Strings Visible(const CatalogItem* item) {
    Strings names;
    WalkBelow(item, EnterAll, [&](CatalogItem& inner) {
        names.emplace_back(inner.name());
        return true;
    });
    return names;
}

class Passwords : public ::testing::Test {
  protected:
    Passwords() {
        testing::BuildEditCatalog(tree());
        tree().setName(at("Music\\Rock\\Rock One\\cover.jpg"), kMultiByte);
        InstallPasswordUndo(document);
    }
    CatalogTree& tree() { return document.tree(); }
    CatalogItem* at(const char* path) { return At(tree(), path); }

    // Reads saved bytes into a fresh tree, answering the password prompts from `answers`.
    CatalogReadResult reopen(const std::string& bytes, CatalogTree& into,
                             std::vector<std::optional<std::string>> answers,
                             Strings* asked = nullptr) {
        CatalogReadOptions options;
        options.unlockProtected = [&](CatalogTree& t, CatalogItem* scope) {
            UnlockProtectedItems(t, scope, nullptr, [&](const std::string& path) {
                if (asked)
                    asked->push_back(path);
                if (answers.empty())
                    return std::optional<std::string>();
                auto answer = answers.front();
                answers.erase(answers.begin());
                return answer;
            });
        };
        return ReadCatalog(bytes, into, prompter, options);
    }

    ScriptedPrompter prompter;
    CatalogDocument document{prompter};
};

TEST_F(Passwords, CheckValueAndEncryptedNamesMatchIndependentVectors) {
    CatalogItem* music = at("Music");
    ASSERT_TRUE(Protect(tree(), music, kOuter, true));
    EXPECT_EQ(BlockHex(music, attr::PasswordCheck), "16b98c511173c124a94a9e699b720d04");
    EXPECT_EQ(music->numberAttribute(attr::Unlocked), 1u);
    EXPECT_FALSE(music->hasAttribute(attr::EncryptedName));
    EXPECT_EQ(BlockHex(at("Music\\Rock\\Rock One"), attr::EncryptedName), "b61b4f3dc5c425c9");
    EXPECT_EQ(BlockHex(at("Music\\Rock\\Rock One\\Album"), attr::EncryptedName), "a5184e2388");
    EXPECT_EQ(BlockHex(at("Music\\Rock\\Rock One\\Album\\track1.mp3"), attr::EncryptedName),
              "90064d358eba65c1f686");
    const std::string path = "Music\\Rock\\Rock One\\" + kMultiByte;
    EXPECT_EQ(BlockHex(At(tree(), path.c_str()), attr::EncryptedName),
              "a306efea26142e8c60228b47cd37");

    // The file holds the check value and the encrypted names, and none of the plain names.
    const std::string bytes = SavedBytes(tree());
    EXPECT_NE(bytes.find(Unhex("16b98c511173c124a94a9e699b720d04")), std::string::npos);
    EXPECT_NE(bytes.find(Unhex("0e000000a306efea26142e8c60228b47cd37")), std::string::npos);
    for (const char* plain : {"track1.mp3", "Rock One", "Album", "songs.zip", "Jazz"})
        EXPECT_EQ(bytes.find(plain), std::string::npos) << plain;
    EXPECT_EQ(bytes.find(kMultiByte), std::string::npos);
    EXPECT_NE(bytes.find("Music"), std::string::npos);

    // The same password gives the same check value; a second Protect changes nothing.
    ASSERT_TRUE(Protect(tree(), at("Backup"), kOuter, false));
    EXPECT_EQ(BlockHex(at("Backup"), attr::PasswordCheck), BlockHex(music, attr::PasswordCheck));
    EXPECT_FALSE(Protect(tree(), music, "other", true));
    EXPECT_FALSE(Protect(tree(), at("Music\\Jazz"), "other", true));  // carries an encrypted name
}

TEST_F(Passwords, ReopenedWithoutThePasswordShowsNothingAndSavesTheSameBytes) {
    ASSERT_TRUE(Protect(tree(), at("Music"), kOuter, true));
    const std::string bytes = SavedBytes(tree());

    CatalogTree locked;
    Strings asked;
    ASSERT_TRUE(reopen(bytes, locked, {std::nullopt}, &asked).ok());
    EXPECT_EQ(asked, Strings{" \\Music"});
    CatalogItem* music = locked.resolvePath("Music", nullptr);
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->isLocked());
    EXPECT_EQ(music->firstChild(), nullptr);
    EXPECT_EQ(Visible(music), Strings{});
    EXPECT_EQ(locked.resolvePath("Music\\Rock", nullptr), nullptr);
    EXPECT_EQ(std::string(music->firstChildIgnoringLock()->name()), "!");
    // Cancel leaves the contents in place: saved again they are the same bytes.
    EXPECT_EQ(Records(SavedBytes(locked)), Records(bytes));
    // Nothing of the locked subtree shows in the root's walk, statistics or counts.
    for (const std::string& name : Visible(locked.root()))
        EXPECT_TRUE(name == "Music" || name == "Backup" || name == "Loose" || name == "B1" ||
                    name == "Docs" || name == "letter.doc" || name == "old.zip" ||
                    name == "x.txt" || name == "deep" || name == "y.txt")
            << name;
    const CatalogStatistics statistics = locked.gatherStatistics(locked.root(), true);
    EXPECT_EQ(statistics.disks, 2u);
    EXPECT_EQ(statistics.folders, 2u);

    // With the password after a wrong one: every name back exactly, multi-byte ones too.
    CatalogTree open;
    asked.clear();
    ASSERT_TRUE(reopen(bytes, open, {std::string("wrong"), kOuter}, &asked).ok());
    EXPECT_EQ(asked.size(), 2u);
    const std::string path = "Music\\Rock\\Rock One\\" + kMultiByte;
    ASSERT_NE(open.resolvePath(path, nullptr), nullptr);
    EXPECT_NE(open.resolvePath("Music\\Rock\\Rock One\\Album\\track1.mp3", nullptr), nullptr);
    EXPECT_NE(open.resolvePath("Music\\Jazz\\Blue\\Track01.cda", nullptr), nullptr);
    EXPECT_EQ(Records(SavedBytes(open)), Records(bytes));
}

// Names change below an unlocked protection after its names were encrypted: they must reach the
// file encrypted as they are now, and an item moved out must not keep a name nobody can decrypt.
TEST_F(Passwords, NamesChangedWhileUnlockedAreSavedAsTheyAreNow) {
    ASSERT_TRUE(Protect(tree(), at("Music"), kOuter, true));
    const std::string renamed = "Blues \xC3\xBC";  // Blues ü
    const std::string added = "Neu \xC3\x9F";       // Neu ß
    tree().setName(at("Music\\Jazz"), renamed);
    tree().createItem(added, at("Music\\Rock"), Last, itemflag::Folder);
    const std::string moved = "Music\\Rock\\Rock One\\" + kMultiByte;
    tree().moveItem(At(tree(), moved.c_str()), at("Backup"), Last);
    const std::string bytes = SavedBytes(tree());
    for (const std::string& plain : {renamed, added, std::string("Jazz")})
        EXPECT_EQ(bytes.find(plain), std::string::npos) << plain;
    EXPECT_NE(bytes.find(kMultiByte), std::string::npos);

    // Without the password the moved item keeps its name; with it, the new names come back.
    CatalogTree locked;
    ASSERT_TRUE(reopen(bytes, locked, {std::nullopt}).ok());
    EXPECT_NE(locked.resolvePath("Backup\\" + kMultiByte, nullptr), nullptr);
    CatalogTree open;
    ASSERT_TRUE(reopen(bytes, open, {kOuter}).ok());
    EXPECT_NE(open.resolvePath("Music\\" + renamed + "\\Blue\\Track01.cda", nullptr), nullptr);
    EXPECT_NE(open.resolvePath("Music\\Rock\\" + added, nullptr), nullptr);
    EXPECT_EQ(open.resolvePath("Music\\Jazz", nullptr), nullptr);

    // Unlocked while opening, the same holds for the next change and save.
    open.setName(open.resolvePath("Music\\Rock\\" + added, nullptr), "Zweite");
    CatalogTree again;
    ASSERT_TRUE(reopen(SavedBytes(open), again, {kOuter}).ok());
    EXPECT_NE(again.resolvePath("Music\\Rock\\Zweite", nullptr), nullptr);
    EXPECT_EQ(SavedBytes(open).find("Zweite"), std::string::npos);

    // Chosen items written to a file of their own leave the protection above them behind:
    // their names go in plain, readable without any password.
    const CatalogItem* const chosen[] = {open.resolvePath("Music\\Rock", nullptr)};
    CatalogTree exported;
    ASSERT_TRUE(ReadCatalog(SelectionBytes(chosen), exported, prompter).ok());
    EXPECT_NE(exported.resolvePath("Rock\\Zweite", nullptr), nullptr);
    EXPECT_NE(exported.resolvePath("Rock\\Rock One\\Album\\track1.mp3", nullptr), nullptr);

    // Taken off, the protection leaves plain names however they changed.
    ASSERT_TRUE(Unlock(open, open.resolvePath("Music", nullptr), kOuter, true));
    open.setName(open.resolvePath("Music\\Rock\\Zweite", nullptr), "Dritte");
    EXPECT_NE(SavedBytes(open).find("Dritte"), std::string::npos);
}

// A protection made on an empty folder encrypts what is added later; taking it off and undoing
// that must encrypt again, though no item in memory carried an encrypted name.
TEST_F(Passwords, UndoOfARemovalEncryptsAgainWhatWasAddedSince) {
    CatalogItem* vault = tree().createItem("Vault", tree().root(), Last, itemflag::Folder);
    CatalogItem* chosen[] = {vault};
    ASSERT_EQ(SetPassword(document, chosen, {kOuter, true, false}, nullptr), EditStatus::Done);
    tree().createItem("Plans", vault, Last, itemflag::Folder);
    EXPECT_EQ(SavedBytes(tree()).find("Plans"), std::string::npos);
    auto ask = [](const std::string&, bool, bool&) {
        return std::optional<EnterPasswordAnswer>(EnterPasswordAnswer{kOuter, true, false});
    };
    ASSERT_EQ(EnterPassword(document, chosen, ask, nullptr), EditStatus::Done);
    EXPECT_EQ(document.newestUndoStep()->nameWasEncrypted, 1u);
    EXPECT_NE(SavedBytes(tree()).find("Plans"), std::string::npos);
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(SavedBytes(tree()).find("Plans"), std::string::npos);
}

TEST_F(Passwords, NestedProtectionKeepsEachSubtreeToItsOwnPassword) {
    ASSERT_TRUE(Protect(tree(), at("Music\\Rock\\Rock One"), kInner, true));
    ASSERT_TRUE(Protect(tree(), at("Music"), kOuter, true));
    // The inner disk's own name under the outer password, its contents under its own.
    EXPECT_EQ(BlockHex(at("Music\\Rock\\Rock One"), attr::EncryptedName), "b61b4f3dc5c425c9");
    EXPECT_EQ(BlockHex(at("Music\\Rock\\Rock One"), attr::PasswordCheck),
              "ea97586b4aa0c141e4456912f3325f7f");
    EXPECT_EQ(BlockHex(at("Music\\Rock\\Rock One\\Album"), attr::EncryptedName), "601b035843");
    const std::string bytes = SavedBytes(tree());

    // Only the outer password: the disk is named again but stays shut.
    CatalogTree outer;
    Strings asked;
    ASSERT_TRUE(reopen(bytes, outer, {kOuter, std::nullopt}, &asked).ok());
    EXPECT_EQ(asked, (Strings{" \\Music", " \\Music\\Rock\\Rock One:\\"}));
    CatalogItem* disk = outer.resolvePath("Music\\Rock\\Rock One", nullptr);
    ASSERT_NE(disk, nullptr);
    EXPECT_TRUE(disk->isLocked());
    EXPECT_EQ(Visible(disk), Strings{});
    EXPECT_EQ(std::string(disk->firstChildIgnoringLock()->name()), "!");

    // Then the inner one.
    ASSERT_FALSE(Unlock(outer, disk, kOuter, false));
    ASSERT_TRUE(Unlock(outer, disk, kInner, false));
    EXPECT_NE(outer.resolvePath("Music\\Rock\\Rock One\\Album\\track1.mp3", nullptr), nullptr);
    EXPECT_EQ(Records(SavedBytes(outer)), Records(bytes));
}

TEST_F(Passwords, RemovingTheProtectionOfALockedItemDecryptsFirst) {
    ASSERT_TRUE(Protect(tree(), at("Music"), kOuter, true));
    const std::string plain = [&] {
        SilentPrompter quiet;
        CatalogDocument fresh(quiet);
        testing::BuildEditCatalog(fresh.tree());
        fresh.tree().setName(At(fresh.tree(), "Music\\Rock\\Rock One\\cover.jpg"), kMultiByte);
        return SavedBytes(fresh.tree());
    }();
    CatalogTree locked;
    ASSERT_TRUE(reopen(SavedBytes(tree()), locked, {std::nullopt}).ok());
    CatalogItem* music = locked.resolvePath("Music", nullptr);
    EXPECT_FALSE(Unlock(locked, music, "wrong", true));
    EXPECT_TRUE(music->isLocked());
    ASSERT_TRUE(Unlock(locked, music, kOuter, true));
    EXPECT_FALSE(music->isProtected());
    EXPECT_EQ(Records(SavedBytes(locked)), Records(plain));
}

TEST_F(Passwords, CommandsReportWrongKindsAndUndoRestoresTheBytes) {
    const std::string before = SavedBytes(tree());
    CatalogItem* chosen[] = {at("Music"), at("Backup\\B1\\Docs\\letter.doc"), at("Loose")};
    ASSERT_EQ(SetPassword(document, chosen, {kOuter, true, false}, nullptr), EditStatus::Done);
    ASSERT_EQ(prompter.shown().size(), 1u);  // the file is dropped with the wrong-kind message
    EXPECT_EQ(prompter.shown()[0].message.caption, "B1:\\Docs\\letter.doc");
    EXPECT_EQ(document.newestUndoStep()->label, "Set Password");
    EXPECT_TRUE(at("Loose")->isProtected());
    const std::string protectedBytes = SavedBytes(tree());

    // Setting it again: reported and nothing changes.
    prompter.clear();
    CatalogItem* again[] = {at("Music")};
    EXPECT_EQ(SetPassword(document, again, {kInner, false, false}, nullptr),
              EditStatus::Unchanged);
    EXPECT_EQ(prompter.shownTexts(), Strings{"'Music' is already password-protected!"});

    // Undo takes the protection off every item of the step.
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(SavedBytes(tree()), before);

    // Redo by hand, then remove it: a wrong password asks again, undo protects again.
    ASSERT_EQ(SetPassword(document, chosen, {kOuter, true, false}, nullptr), EditStatus::Done);
    ASSERT_EQ(SavedBytes(tree()), protectedBytes);
    std::vector<bool> agains;
    auto ask = [&](const std::string&, bool again, bool&) {
        agains.push_back(again);
        return std::optional<EnterPasswordAnswer>(
            EnterPasswordAnswer{again ? kOuter : "wrong", true, false});
    };
    CatalogItem* one[] = {at("Music")};
    ASSERT_EQ(EnterPassword(document, one, ask, nullptr), EditStatus::Done);
    EXPECT_EQ(agains, (std::vector<bool>{false, true}));
    EXPECT_FALSE(at("Music")->isProtected());
    EXPECT_EQ(document.newestUndoStep()->kind, UndoKind::RemovePassword);
    EXPECT_EQ(document.newestUndoStep()->nameWasEncrypted, 1u);
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(SavedBytes(tree()), protectedBytes);

    // An unprotected item is reported; cancel stops without a change.
    prompter.clear();
    CatalogItem* plain[] = {at("Backup")};
    EXPECT_EQ(EnterPassword(document, plain, ask, nullptr), EditStatus::Unchanged);
    EXPECT_EQ(prompter.shownTexts(), Strings{"'Backup' is not password-protected!"});
    auto cancel = [](const std::string&, bool, bool&) {
        return std::optional<EnterPasswordAnswer>();
    };
    EXPECT_EQ(EnterPassword(document, one, cancel, nullptr), EditStatus::Unchanged);
    EXPECT_TRUE(at("Music")->isProtected());
}

TEST(RememberedPasswords, StoredEncryptedAndUsedSilentlyOnOpen) {
    testing::TempDir dir;
    SettingsStore store((dir / "settings.ini").string());
    RememberedPasswords remembered(store);
    EXPECT_EQ(remembered.recall("Music"), std::nullopt);
    ASSERT_TRUE(remembered.remember("Music", kOuter));
    const auto stored = store.getBinary(kPasswordsSubKey, "Music");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), kOuter.size());
    EXPECT_NE(std::string(stored->begin(), stored->end()), kOuter);
    EXPECT_EQ(testing::ReadFile(dir / "settings.ini").find("Sesam"), std::string::npos);
    EXPECT_EQ(remembered.recall("Music"), kOuter);
    for (const std::string& text : {std::string(), std::string("a"), kMultiByte})
        EXPECT_EQ(DecodeRememberedPassword(EncodeRememberedPassword(text)), text);

    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    testing::BuildEditCatalog(tree);
    ASSERT_TRUE(Protect(tree, At(tree, "Music"), kOuter, true));
    ASSERT_TRUE(Protect(tree, At(tree, "Backup"), kInner, true));
    ASSERT_TRUE(remembered.remember("Backup", "no longer right"));
    const std::string bytes = SavedBytes(tree);

    // Music opens silently; Backup's remembered password fails, so the user is asked.
    CatalogTree reopened;
    Strings asked;
    CatalogReadOptions options;
    options.unlockProtected = [&](CatalogTree& t, CatalogItem* scope) {
        UnlockProtectedItems(t, scope, &remembered, [&](const std::string& path) {
            asked.push_back(path);
            return std::optional<std::string>();
        });
    };
    ASSERT_TRUE(ReadCatalog(bytes, reopened, prompter, options).ok());
    EXPECT_EQ(asked, Strings{" \\Backup"});
    EXPECT_NE(reopened.resolvePath("Music\\Rock\\Rock One\\Album", nullptr), nullptr);
    EXPECT_TRUE(reopened.resolvePath("Backup", nullptr)->isLocked());

    EXPECT_EQ(RememberedPasswordName(tree, *At(tree, "Music\\Rock\\Rock One")),
              "Music\\Rock\\Rock One:\\");
    EXPECT_EQ(RememberedPasswordName(tree, *tree.root()), "\\");
    ASSERT_TRUE(remembered.forget("Music"));
    EXPECT_EQ(remembered.recall("Music"), std::nullopt);
}

}  // namespace
}  // namespace shelfmark
