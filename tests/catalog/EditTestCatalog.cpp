#include "tests/catalog/EditTestCatalog.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "catalog/CatalogFile.h"
#include "foundation/Prompter.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {

namespace {

CatalogItem* Add(CatalogTree& tree, CatalogItem* parent, const char* name, uint16_t flags,
                 uint64_t size = 0) {
    CatalogItem* item = tree.createItem(name, parent, Last, flags);
    tree.setSize(item, size);
    item->setDate(1'600'000'000);
    return item;
}

std::string NameOf(const CatalogItem* item) {
    return item ? std::string(item->name()) : std::string("(top)");
}

uint64_t Recount(const CatalogItem& folder, std::vector<std::string>& wrong) {
    uint64_t sum = 0;
    for (const CatalogItem* child = folder.firstChildIgnoringLock(); child; child = child->next()) {
        if (child->isShortcut())
            continue;
        if (child->isFolder())
            sum += Recount(*child, wrong);
        else if (child->isDisk())
            sum += child->size();
    }
    if (folder.parent() && sum != folder.size())
        wrong.push_back(std::string(folder.name()) + ": " + std::to_string(folder.size()) +
                        " but holds " + std::to_string(sum));
    return folder.parent() ? folder.size() : sum;
}

}  // namespace

void BuildEditCatalog(CatalogTree& tree) {
    CatalogItem* root = tree.root();
    tree.setNumberAttribute(root, attr::DiskId, 10);
    tree.setNumberAttribute(root, attr::DiskNumber, 6);
    const uint16_t folder = itemflag::Folder;
    const uint16_t directory = itemflag::Directory;

    CatalogItem* music = Add(tree, root, "Music", folder, 1500);
    CatalogItem* backup = Add(tree, root, "Backup", folder, 5000);
    CatalogItem* loose = Add(tree, root, "Loose", DiskFlags(MediaType::Removable), 300);
    tree.setNumberAttribute(loose, attr::DiskNumber, 6);
    tree.moveItem(backup, root, First);  // folders in tree order: Backup, Music

    CatalogItem* jazz = Add(tree, music, "Jazz", folder, 500);
    CatalogItem* rock = Add(tree, music, "Rock", folder, 1000);
    CatalogItem* one = Add(tree, rock, "Rock One", DiskFlags(MediaType::CdRom), 1000);
    tree.setNumberAttribute(one, attr::DiskId, 7);
    tree.setNumberAttribute(one, attr::VolumeSerial, 0x1234ABCD);
    tree.setNumberAttribute(one, attr::DiskNumber, 3);
    tree.setTextAttribute(one, attr::Volume, "ROCK_ONE");
    tree.setTextAttribute(one, attr::LentTo, "Ann");
    tree.setNumberAttribute(one, attr::LentDate, 1'500'000'000);
    CatalogItem* album = Add(tree, one, "Album", directory, 600);
    Add(tree, album, "track1.mp3", 0, 600);
    Add(tree, one, "cover.jpg", 0, 400);
    CatalogItem* songs = Add(tree, one, "songs.zip", itemflag::Archive, 0);
    Add(tree, songs, "a.txt", 0, 10);
    CatalogItem* sub = Add(tree, songs, "sub", directory, 20);
    Add(tree, sub, "b.txt", 0, 20);

    CatalogItem* blue = Add(tree, jazz, "Blue", DiskFlags(MediaType::AudioCd), 500);
    tree.setNumberAttribute(blue, attr::DiskNumber, 4);
    Add(tree, blue, "Track01.cda", 0, 500);

    CatalogItem* b1 = Add(tree, backup, "B1", DiskFlags(MediaType::HardDisk), 5000);
    tree.setNumberAttribute(b1, attr::DiskNumber, 5);
    tree.setTextAttribute(b1, attr::LentTo, "Bob");
    tree.setNumberAttribute(b1, attr::LentDate, 1'400'000'000);
    tree.setTextAttribute(b1, attr::Description, "weekly backup");
    CatalogItem* docs = Add(tree, b1, "Docs", directory, 4000);
    CatalogItem* letter = Add(tree, docs, "letter.doc", 0, 4000);
    tree.setNumberAttribute(letter, attr::Crc32, 0xDEADBEEF);
    CatalogItem* old = Add(tree, b1, "old.zip", itemflag::Archive, 1000);
    Add(tree, old, "x.txt", 0, 300);
    CatalogItem* deep = Add(tree, old, "deep", directory, 700);
    Add(tree, deep, "y.txt", 0, 700);
}

CatalogItem* At(const CatalogTree& tree, const char* path) {
    return tree.resolvePath(path, nullptr);
}

std::vector<std::string> WrongFolderSizes(const CatalogTree& tree) {
    std::vector<std::string> wrong;
    Recount(*tree.root(), wrong);
    return wrong;
}

CatalogItem* LoadAt(const std::string& file, CatalogTree& tree, const char* at) {
    SilentPrompter prompter;
    CatalogReadOptions options;
    options.showConvertHint = kConvertHintSuppressed;
    EXPECT_TRUE(ReadCatalogFile(file, tree, prompter, options).ok());
    return At(tree, at);
}

std::string SavedBytes(const CatalogTree& tree) {
    TempDir dir;
    const std::filesystem::path path = dir / "saved.tkd";
    std::string error;
    if (!SaveCatalogTo(path.string(), tree, &error))
        return "save failed: " + error;
    return ReadFile(path);
}

void RecordingObserver::itemInserted(CatalogItem& item) {
    events.push_back("inserted " + NameOf(&item) + " in " + NameOf(item.parent()));
}
void RecordingObserver::itemRemoving(CatalogItem& item) {
    events.push_back("removing " + NameOf(&item));
}
void RecordingObserver::itemRemoved(CatalogItem*, CatalogItem* formerParent) {
    events.push_back("removed from " + NameOf(formerParent));
}
void RecordingObserver::itemMoving(CatalogItem& item, CatalogItem* newParent) {
    events.push_back("moving " + NameOf(&item) + " to " + NameOf(newParent));
}
void RecordingObserver::itemMoved(CatalogItem& item, CatalogItem* formerParent) {
    events.push_back("moved " + NameOf(&item) + " from " + NameOf(formerParent));
}
void RecordingObserver::itemChanged(CatalogItem& item) {
    events.push_back("changed " + NameOf(&item));
}
void RecordingObserver::reset() {
    events.push_back("reset");
}
void RecordingObserver::modifiedChanged(bool modified) {
    events.push_back(modified ? "modified" : "saved");
}

}  // namespace shelfmark::testing
