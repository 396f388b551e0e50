#include "catalog/MediumPath.h"

#include <gtest/gtest.h>

#include "catalog/CopyPath.h"
#include "catalog/DiskOnInsert.h"
#include "tests/catalog-medium/MediumCatalog.h"

namespace shelfmark {
namespace {

using testing::AddDisk;
using testing::AddPath;
using testing::MakeVolume;

TEST(MediumPath, MountPointBaseDirectoryAndNames) {
    CatalogTree tree;
    tree.resetToNewCatalog();
    CatalogItem* folder = tree.createItem("Backups", tree.root(), Sorted, itemflag::Folder);
    CatalogItem* disk =
        AddDisk(tree, folder, "Photos", MediaType::Removable, 5, 0, "photos\\2003", "STICK");
    CatalogItem* file = AddPath(tree, disk, "june\\beach.jpg");
    // Linux names may hold a backslash; it is a name's own character, not a separator.
    CatalogItem* odd = tree.createItem("a\\b.txt", file->parent(), Sorted, 0);

    EXPECT_EQ(PathOnMedium(*file),
              (std::vector<std::string>{"photos", "2003", "june", "beach.jpg"}));
    EXPECT_EQ(RealPathOnMedium(*file, MakeVolume("/media/ann/STICK", DriveType::Removable, 5)),
              "/media/ann/STICK/photos/2003/june/beach.jpg");
    EXPECT_EQ(RealPathOnMedium(*file, MakeVolume("/", DriveType::Fixed, 5)),
              "/photos/2003/june/beach.jpg");
    EXPECT_EQ(RealPathOnMedium(*odd, MakeVolume("/m/", DriveType::Fixed, 5)),
              "/m/photos/2003/june/a\\b.txt");
    EXPECT_EQ(RealPathOnMedium(*disk, MakeVolume("/m", DriveType::Fixed, 5)), "/m/photos/2003");
    EXPECT_TRUE(PathOnMedium(*folder).empty());

    // A base directory written with a leading or doubled separator reads the same.
    tree.setTextAttribute(disk, attr::BaseDirectory, "\\photos\\\\2003\\");
    EXPECT_EQ(RealPathOnMedium(*file, MakeVolume("/m", DriveType::Fixed, 5)),
              "/m/photos/2003/june/beach.jpg");
    tree.removeAttribute(disk, attr::BaseDirectory);
    EXPECT_EQ(RealPathOnMedium(*disk, MakeVolume("/m", DriveType::Fixed, 5)), "/m");
    EXPECT_EQ(JoinOnMedium("/", {}), "/");
    EXPECT_EQ(JoinOnMedium("/", {"a"}), "/a");
}

TEST(CopyPath, RealPathWhenMountedElseTheDisplayForm) {
    CatalogTree tree;
    tree.resetToNewCatalog();
    CatalogItem* folder = tree.createItem("Music", tree.root(), Sorted, itemflag::Folder);
    CatalogItem* cd = AddDisk(tree, folder, "Jazz", MediaType::CdRom, 0xC0FFEE);
    CatalogItem* track = AddPath(tree, cd, "disc1\\so what.mp3");
    CatalogItem* stick = AddDisk(tree, folder, "Stick", MediaType::Removable, 9);
    CatalogItem* note = AddPath(tree, stick, "note.txt");
    const std::vector<Volume> drives = {MakeVolume("/", DriveType::Fixed, 1),
                                        MakeVolume("/media/cdrom", DriveType::CdRom, 0xC0FFEE),
                                        MakeVolume("/media/other", DriveType::Removable, 10)};
    const std::vector<const CatalogItem*> items = {track, note, folder, cd};
    EXPECT_EQ(CopyPathText(tree, items, drives),
              "/media/cdrom/disc1/so what.mp3\nStick:\\note.txt\nMusic\n/media/cdrom");
    EXPECT_EQ(CopyPathText(tree, {}, drives), "");
    // The same item twice gives two lines.
    const std::vector<const CatalogItem*> twice = {note, note};
    EXPECT_EQ(CopyPathText(tree, twice, drives), "Stick:\\note.txt\nStick:\\note.txt");
}

TEST(DiskOnInsert, KnownDisksUnknownMediaAndLockedFolders) {
    CatalogTree tree;
    tree.resetToNewCatalog();
    CatalogItem* open = tree.createItem("Open", tree.root(), Sorted, itemflag::Folder);
    CatalogItem* inner = tree.createItem("Inner", open, Sorted, itemflag::Folder);
    CatalogItem* known = AddDisk(tree, inner, "Known", MediaType::CdRom, 0x1111);
    CatalogItem* locked = tree.createItem("Locked", tree.root(), Sorted, itemflag::Folder);
    AddDisk(tree, locked, "Hidden", MediaType::CdRom, 0x2222);
    const uint8_t check[4] = {1, 2, 3, 4};
    tree.setBlockAttribute(locked, attr::PasswordCheck, check);
    // A disk whose own contents hold a directory with a serial-like attribute is not entered.
    CatalogItem* dir = AddPath(tree, known, "sub");
    tree.setNumberAttribute(dir, attr::VolumeSerial, 0x3333);

    EXPECT_EQ(FindDiskBySerial(tree, 0x1111), known);
    EXPECT_EQ(FindDiskBySerial(tree, 0x2222), nullptr);
    EXPECT_EQ(FindDiskBySerial(tree, 0x3333), nullptr);
    tree.setNumberAttribute(locked, attr::Unlocked, 1);
    EXPECT_NE(FindDiskBySerial(tree, 0x2222), nullptr);
    tree.removeAttribute(locked, attr::Unlocked);

    using Action = InsertDecision::Action;
    const Volume cd = MakeVolume("/media/cdrom", DriveType::CdRom, 0x1111);
    const InsertDecision knownCd = DecideOnInsert(tree, cd, true, false);
    EXPECT_EQ(knownCd.action, Action::Known);
    EXPECT_EQ(knownCd.disk, known);
    EXPECT_EQ(DecideOnInsert(tree, cd, false, false).action, Action::Nothing);
    EXPECT_EQ(DecideOnInsert(tree, cd, true, true).action, Action::Nothing);
    const Volume stick = MakeVolume("/media/stick", DriveType::Removable, 0x2222);
    EXPECT_EQ(DecideOnInsert(tree, stick, true, false).action, Action::Read);
    EXPECT_EQ(
        DecideOnInsert(tree, MakeVolume("/media/x", DriveType::Removable, 0), true, false).action,
        Action::Nothing);
    for (DriveType type : {DriveType::Fixed, DriveType::Remote})
        EXPECT_EQ(DecideOnInsert(tree, MakeVolume("/mnt", type, 0x9999), true, false).action,
                  Action::Nothing);
}

}  // namespace
}  // namespace shelfmark
