#include "catalog/LocateDisk.h"

#include <gtest/gtest.h>

#include <functional>

#include "catalog/CatalogDocument.h"
#include "catalog/CopyPath.h"
#include "catalog/InsertDiskPrompt.h"
#include "catalog/MediumPath.h"
#include "foundation/ScriptedPrompter.h"
#include "platform/volumes/VolumeIdentity.h"
#include "tests/catalog-medium/MediumCatalog.h"
#include "tests/support/LoopMount.h"

namespace shelfmark {
namespace {

using testing::AddDisk;
using testing::AddPath;
using testing::MakeVolume;

// Plays the user at the insert-disk prompt.
class ScriptedDialog : public InsertDiskDialog {
  public:
    explicit ScriptedDialog(std::function<void(InsertDiskPrompt&)> user) : user_(std::move(user)) {}
    bool run(InsertDiskPrompt& prompt) override {
        ++runs;
        explanation = prompt.explanation();
        entries = prompt.entries().size();
        user_(prompt);
        return prompt.state() == InsertDiskPrompt::State::Ok;
    }
    int runs = 0;
    std::string explanation;
    size_t entries = 0;

  private:
    std::function<void(InsertDiskPrompt&)> user_;
};

// The user ticks the update option and confirms the selected drive.
void AdoptTheSelectedMedium(InsertDiskPrompt& prompt) {
    prompt.setUpdateSerial(true);
    prompt.confirm();
}

class LocateDiskTest : public ::testing::Test {
  protected:
    LocateDiskTest() : document(prompter) {
        drives = {MakeVolume("/", DriveType::Fixed, 0x11111111),
                  MakeVolume("/media/a", DriveType::Removable, 0x22222222),
                  MakeVolume("/media/b", DriveType::Removable, 0x33333333),
                  MakeVolume("/media/cd", DriveType::CdRom, 0x44444444)};
    }
    // Reads a medium's serial from the test's own drive list.
    std::optional<LocatedDisk> locate(CatalogItem& disk, InsertDiskDialog* dialog) {
        return LocateDisk(document, disk, drives, dialog,
                          [this](const Volume& volume) -> std::optional<uint32_t> {
                              for (const Volume& drive : drives)
                                  if (drive.mountPoint == volume.mountPoint)
                                      return drive.serial;
                              return std::nullopt;
                          });
    }
    template <typename... Facts>
    CatalogItem* disk(Facts... facts) {
        return AddDisk(document.tree(), document.tree().root(), facts...);
    }

    ScriptedPrompter prompter;
    CatalogDocument document;
    std::vector<Volume> drives;
};

TEST_F(LocateDiskTest, TheSerialDecidesAndTheRememberedDriveIsAHint) {
    CatalogItem* stick = disk("Stick", MediaType::Removable, 0x33333333, 1);
    ScriptedDialog never([](InsertDiskPrompt&) { ADD_FAILURE() << "prompt shown"; });
    const auto located = locate(*stick, &never);
    ASSERT_TRUE(located);
    EXPECT_EQ(located->volume.mountPoint, "/media/b");
    EXPECT_FALSE(located->catalogReloaded);
    EXPECT_FALSE(document.isModified());

    // The same serial on a drive of another type is not the disk.
    CatalogItem* cd = disk("Disc", MediaType::CdRom, 0x33333333);
    EXPECT_FALSE(FindMountedMedium(*cd, drives));
    CatalogItem* audio = disk("Songs", MediaType::AudioCd, 0x44444444);
    EXPECT_EQ(FindMountedMedium(*audio, drives)->mountPoint, "/media/cd");
    CatalogItem* hdd = disk("System", MediaType::HardDisk, 0x11111111, 3);
    EXPECT_EQ(FindMountedMedium(*hdd, drives)->mountPoint, "/");
    // No serial, or not a disk: nothing to find.
    EXPECT_FALSE(FindMountedMedium(*disk("Named", MediaType::Removable, std::nullopt), drives));
    EXPECT_FALSE(FindMountedMedium(*AddPath(document.tree(), stick, "a.txt"), drives));
    EXPECT_FALSE(FindMountedMedium(*document.tree().root(), drives));
}

TEST_F(LocateDiskTest, NotMountedAsksAndCancelGivesNothing) {
    CatalogItem* cd = disk("Holiday", MediaType::CdRom, 0x12345678);
    ScriptedDialog cancel([](InsertDiskPrompt& prompt) { prompt.cancel(); });
    EXPECT_FALSE(locate(*cd, &cancel));
    EXPECT_EQ(cancel.runs, 1);
    EXPECT_EQ(cancel.entries, 1u);
    EXPECT_NE(cancel.explanation.find("'Holiday' (serial number 1234-5678)"), std::string::npos);
    EXPECT_FALSE(locate(*cd, nullptr));
    EXPECT_EQ(cd->numberAttribute(attr::VolumeSerial), 0x12345678u);
    EXPECT_FALSE(document.isModified());
}

TEST_F(LocateDiskTest, NoDriveListedIsLikeCancel) {
    CatalogItem* share = disk("Share", MediaType::Network, 7);
    ScriptedDialog ok([](InsertDiskPrompt& prompt) { prompt.confirm(); });
    EXPECT_FALSE(locate(*share, &ok));
    EXPECT_EQ(ok.runs, 1);
    EXPECT_EQ(ok.entries, 0u);
}

TEST_F(LocateDiskTest, AdoptingTheMediumStoresItsSerial) {
    CatalogItem* cd = disk("Copy", MediaType::CdRom, 0x12345678);
    ScriptedDialog adopt(AdoptTheSelectedMedium);
    const auto located = locate(*cd, &adopt);
    ASSERT_TRUE(located);
    EXPECT_EQ(located->volume.mountPoint, "/media/cd");
    EXPECT_EQ(cd->numberAttribute(attr::VolumeSerial), 0x44444444u);
    EXPECT_TRUE(document.isModified());
    // Found without asking from now on.
    ScriptedDialog never([](InsertDiskPrompt&) { ADD_FAILURE() << "prompt shown"; });
    EXPECT_TRUE(locate(*cd, &never));
}

TEST_F(LocateDiskTest, TheRightMediumArrivingWhileAskedStoresNothing) {
    CatalogItem* cd = disk("Late", MediaType::CdRom, 0x55555555);
    ScriptedDialog insert([](InsertDiskPrompt& prompt) {
        prompt.volumeArrived(MakeVolume("/media/cd2", DriveType::CdRom, 0x55555555, 3));
    });
    const auto located = locate(*cd, &insert);
    ASSERT_TRUE(located);
    EXPECT_EQ(located->volume.mountPoint, "/media/cd2");
    EXPECT_EQ(cd->numberAttribute(attr::VolumeSerial), 0x55555555u);
    EXPECT_FALSE(document.isModified());
}

TEST_F(LocateDiskTest, ARefusedLockStillGivesTheMediumButStoresNothing) {
    testing::TempDir dir;
    const std::string file = (dir / "c.tkd").string();
    CatalogItem* cd = disk("Copy", MediaType::CdRom, 0x12345678);
    ASSERT_TRUE(document.saveCatalogFile(file));
    cd = document.tree().resolvePath("Copy", nullptr);
    ASSERT_NE(cd, nullptr);
    // Another process holds the edit lock.
    FileLock other;
    ASSERT_TRUE(other.acquire(file));
    ScriptedDialog adopt(AdoptTheSelectedMedium);
    const auto located = locate(*cd, &adopt);
    ASSERT_TRUE(located);
    EXPECT_EQ(located->volume.mountPoint, "/media/cd");
    EXPECT_EQ(cd->numberAttribute(attr::VolumeSerial), 0x12345678u);
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(prompter.shownTexts().size(), 1u);  // "Cannot lock the file for changes..."
}

TEST_F(LocateDiskTest, AReloadWhileLockingFindsTheDiskAgain) {
    testing::TempDir dir;
    const std::string file = (dir / "c.tkd").string();
    disk("Copy", MediaType::CdRom, 0x12345678);
    ASSERT_TRUE(document.saveCatalogFile(file));
    {
        // Another process changes the file meanwhile.
        ScriptedPrompter otherPrompter;
        CatalogDocument other(otherPrompter);
        ASSERT_TRUE(other.openCatalogFile(file));
        ASSERT_TRUE(other.lockForEditing());
        other.tree().createItem("New", other.tree().root(), Sorted, itemflag::Folder);
        other.setModified();
        ASSERT_TRUE(other.saveCatalogFile(file));
    }
    CatalogItem* cd = document.tree().resolvePath("Copy", nullptr);
    ASSERT_NE(cd, nullptr);
    prompter.queueAnswer(PromptAnswer::Yes);  // reload the changed file
    ScriptedDialog adopt(AdoptTheSelectedMedium);
    const auto located = locate(*cd, &adopt);
    ASSERT_TRUE(located);
    EXPECT_TRUE(located->catalogReloaded);
    EXPECT_NE(document.tree().resolvePath("New", nullptr), nullptr);
    const CatalogItem* again = document.tree().resolvePath("Copy", nullptr);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->numberAttribute(attr::VolumeSerial), 0x44444444u);
    EXPECT_TRUE(document.isModified());
}

// ---------------------------------------------------------------------------------------------
// Against a real mounted volume.

TEST(LocateDiskOnVolume, FindsTheMountedMediumAndItsFiles) {
    testing::TempDir dir;
    testing::LoopMount loop(dir.path(), "vol", "BACKUP");
    SHELFMARK_REQUIRE_MOUNT(loop);
    const std::filesystem::path mnt = std::filesystem::canonical(loop.mountPoint());
    std::filesystem::create_directories(mnt / "photos" / "2003" / "june");
    testing::WriteFile(mnt / "photos" / "2003" / "june" / "beach.jpg", "jpeg");
    testing::WriteFile(mnt / "readme.txt", "hello");

    ScriptedPrompter prompter;
    CatalogDocument document(prompter);
    CatalogTree& tree = document.tree();
    const uint32_t serial = SerialFromUuid(loop.uuid());
    // The whole volume as one disk, and its photos folder as another; the remembered drive
    // indexes are stale on purpose.
    CatalogItem* whole =
        AddDisk(tree, tree.root(), "Whole", MediaType::HardDisk, serial, 0, "", "BACKUP");
    CatalogItem* readme = AddPath(tree, whole, "readme.txt");
    CatalogItem* photos = AddDisk(tree, tree.root(), "Photos", MediaType::HardDisk, serial, 99,
                                  "photos\\2003", "BACKUP");
    CatalogItem* beach = AddPath(tree, photos, "june\\beach.jpg");
    CatalogItem* missing = AddDisk(tree, tree.root(), "Gone", MediaType::HardDisk, serial ^ 1);
    CatalogItem* gone = AddPath(tree, missing, "x.txt");

    const std::vector<Volume> drives = ListDrives();
    const std::optional<Volume> medium = FindMountedMedium(*whole, drives);
    ASSERT_TRUE(medium) << "the loop volume is not among the drives";
    EXPECT_EQ(medium->mountPoint, mnt.string());
    EXPECT_EQ(RealPathOnMedium(*whole, *medium), mnt.string());
    EXPECT_EQ(testing::ReadFile(RealPathOnMedium(*readme, *medium)), "hello");
    ScriptedDialog never([](InsertDiskPrompt&) { ADD_FAILURE() << "prompt shown"; });
    const auto located = LocateDisk(document, *photos, drives, &never);
    ASSERT_TRUE(located);
    EXPECT_EQ(RealPathOnMedium(*photos, located->volume), (mnt / "photos" / "2003").string());
    EXPECT_EQ(testing::ReadFile(RealPathOnMedium(*beach, located->volume)), "jpeg");

    const std::vector<const CatalogItem*> items = {beach, gone, readme, missing};
    EXPECT_EQ(CopyPathText(tree, items, drives), (mnt / "photos/2003/june/beach.jpg").string() +
                                                     "\nGone:\\x.txt\n" +
                                                     (mnt / "readme.txt").string() + "\nGone:\\");

    loop.unmount();
    const std::vector<Volume> after = ListDrives();
    EXPECT_FALSE(FindMountedMedium(*whole, after));
    EXPECT_EQ(CopyPathText(tree, items, after),
              "BACKUP:\\photos\\2003\\june\\beach.jpg\nGone:\\x.txt\nWhole:\\readme.txt\nGone:\\");
}

}  // namespace
}  // namespace shelfmark
