#include "catalog/InsertDiskPrompt.h"

#include <gtest/gtest.h>

#include <map>

#include "foundation/ScriptedPrompter.h"
#include "tests/catalog-medium/MediumCatalog.h"

namespace shelfmark {
namespace {

using State = InsertDiskPrompt::State;
using testing::MakeVolume;

// The media in the drives as the test sets them; a missing mount point holds no medium.
class Media {
  public:
    std::map<std::string, uint32_t> serials;
    int reads = 0;
    InsertDiskPrompt::SerialReader reader() {
        return [this](const Volume& volume) -> std::optional<uint32_t> {
            ++reads;
            auto it = serials.find(volume.mountPoint);
            return it == serials.end() ? std::nullopt : std::optional<uint32_t>(it->second);
        };
    }
};

class InsertDiskPromptTest : public ::testing::Test {
  protected:
    InsertDiskPromptTest() {
        drives = {MakeVolume("/", DriveType::Fixed, 0x11111111),
                  MakeVolume("/media/cd0", DriveType::CdRom, 0xAAAA0001),
                  MakeVolume("/media/stick", DriveType::Removable, 0x12345678),
                  MakeVolume("/media/cd1", DriveType::CdRom, 0xBBBB0002)};
        for (const Volume& volume : drives)
            media.serials[volume.mountPoint] = volume.serial;
        request.diskName = "Holiday";
        request.wantedSerial = 0x12345678;
        request.wantedType = DriveType::CdRom;
    }
    InsertDiskPrompt open() { return InsertDiskPrompt(request, drives, prompter, media.reader()); }

    std::vector<Volume> drives;
    Media media;
    InsertDiskRequest request;
    ScriptedPrompter prompter;
};

TEST_F(InsertDiskPromptTest, ListsTheDrivesOfTheWantedTypeWithTheirTexts) {
    request.preferredDrive = 3;
    InsertDiskPrompt prompt = open();
    // The stick holds the wanted serial, but a removable disk is never offered for a CD.
    ASSERT_EQ(prompt.entries().size(), 2u);
    EXPECT_EQ(prompt.entries()[0].volume.mountPoint, "/media/cd0");
    EXPECT_EQ(prompt.entries()[1].volume.mountPoint, "/media/cd1");
    EXPECT_EQ(prompt.selected(), 1u);
    EXPECT_EQ(prompt.serialText(), "BBBB-0002");
    EXPECT_EQ(prompt.explanation(),
              "Please insert the disk 'Holiday' (serial number 1234-5678) into the specified drive "
              "or select the drive, in which the disk is inserted.");
    EXPECT_EQ(prompt.updateOptionText(), "&Update serial number of 'Holiday'.");
    EXPECT_EQ(prompt.state(), State::Open);

    prompt.select(0);
    EXPECT_EQ(prompt.serialText(), "AAAA-0001");
    media.serials.erase("/media/cd1");
    prompt.select(1);
    EXPECT_EQ(prompt.serialText(), "");
}

TEST_F(InsertDiskPromptTest, PreferredDriveOfAnotherTypeSelectsTheFirstEntry) {
    request.preferredDrive = 2;
    EXPECT_EQ(open().selected(), 0u);
    request.preferredDrive = 40;
    EXPECT_EQ(open().selected(), 0u);
    request.preferredDrive.reset();
    EXPECT_EQ(open().selected(), 0u);
}

TEST_F(InsertDiskPromptTest, TheRightMediumArrivingClosesItWithOk) {
    InsertDiskPrompt prompt = open();
    ASSERT_EQ(prompt.selected(), 0u);
    // A mount of another type with the right serial is not the wanted drive.
    Volume stick = MakeVolume("/media/stick2", DriveType::Removable, 0x12345678);
    media.serials[stick.mountPoint] = stick.serial;
    prompt.volumeArrived(stick);
    EXPECT_EQ(prompt.state(), State::Open);
    EXPECT_EQ(prompt.entries().size(), 2u);

    // The disc shows up in the second CD drive while the first is selected.
    const Volume removed = drives[3];
    prompt.volumeRemoved(removed);
    EXPECT_EQ(prompt.serialText(), "AAAA-0001");
    Volume disc = MakeVolume("/media/cd1", DriveType::CdRom, 0x12345678, 5);
    media.serials[disc.mountPoint] = disc.serial;
    prompt.volumeArrived(disc);
    EXPECT_EQ(prompt.state(), State::Ok);
    ASSERT_TRUE(prompt.chosenVolume());
    EXPECT_EQ(prompt.chosenVolume()->mountPoint, "/media/cd1");
    EXPECT_EQ(prompt.chosenVolume()->minor, 5u);
    EXPECT_EQ(prompt.chosenSerial(), 0x12345678u);
    EXPECT_EQ(prompt.entries().size(), 2u);  // it took the place of the old medium
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(InsertDiskPromptTest, ANewMountJoinsTheListAndIsSelectedWhenNothingWas) {
    drives.resize(1);  // no CD drive mounted at all
    InsertDiskPrompt prompt = open();
    EXPECT_TRUE(prompt.entries().empty());
    EXPECT_FALSE(prompt.selected());
    Volume other = MakeVolume("/media/cdrom", DriveType::CdRom, 0x0BADF00D);
    media.serials[other.mountPoint] = other.serial;
    prompt.volumeArrived(other);
    ASSERT_EQ(prompt.entries().size(), 1u);
    EXPECT_EQ(prompt.selected(), 0u);
    EXPECT_EQ(prompt.serialText(), "0BAD-F00D");
    EXPECT_EQ(prompt.state(), State::Open);
}

TEST_F(InsertDiskPromptTest, AnotherDiscNeedsTheUpdateOption) {
    InsertDiskPrompt prompt = open();
    // A different disc in the selected drive shows its serial.
    Volume other = MakeVolume("/media/cd0", DriveType::CdRom, 0xCAFE0003, 9);
    prompt.volumeRemoved(drives[1]);
    EXPECT_EQ(prompt.serialText(), "");
    media.serials["/media/cd0"] = other.serial;
    prompt.volumeArrived(other);
    EXPECT_EQ(prompt.state(), State::Open);
    EXPECT_EQ(prompt.serialText(), "CAFE-0003");

    prompt.confirm();  // not the wanted disc: nothing happens
    EXPECT_EQ(prompt.state(), State::Open);
    EXPECT_EQ(prompt.serialText(), "CAFE-0003");
    EXPECT_TRUE(prompter.shown().empty());

    prompt.setUpdateSerial(true);
    prompt.confirm();
    EXPECT_EQ(prompt.state(), State::Ok);
    EXPECT_EQ(prompt.chosenVolume()->mountPoint, "/media/cd0");
    EXPECT_EQ(prompt.chosenSerial(), 0xCAFE0003u);
}

TEST_F(InsertDiskPromptTest, OkOnAnEmptyDriveShowsTheErrorAndStaysOpen) {
    InsertDiskPrompt prompt = open();
    prompt.volumeRemoved(drives[1]);
    media.serials.erase("/media/cd0");
    ASSERT_EQ(prompt.entries().size(), 2u);
    EXPECT_FALSE(prompt.entries()[0].mounted);
    prompt.setUpdateSerial(true);
    prompt.confirm();
    EXPECT_EQ(prompt.state(), State::Open);
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].message.text,
              "Error changing to /media/cd0.\nPlease verify that this path is correct and try "
              "again.");
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Error);

    // A medium unmounted behind the prompt's back fails the same way.
    prompt.select(1);
    media.serials.erase("/media/cd1");
    prompt.confirm();
    EXPECT_EQ(prompt.state(), State::Open);
    EXPECT_EQ(prompter.shown().size(), 2u);
}

TEST_F(InsertDiskPromptTest, OkWithNoDriveListedEndsWithoutADrive) {
    request.wantedType = DriveType::Remote;
    InsertDiskPrompt prompt = open();
    EXPECT_TRUE(prompt.entries().empty());
    prompt.confirm();
    EXPECT_EQ(prompt.state(), State::Ok);
    EXPECT_FALSE(prompt.chosenVolume());
    EXPECT_EQ(kNoDriveListed, 255u);
}

TEST_F(InsertDiskPromptTest, ADiskWithoutSerialIsNeverMatchedButCanTakeOne) {
    request.wantedSerial.reset();
    drives.push_back(MakeVolume("/media/cd2", DriveType::CdRom, 0));
    media.serials["/media/cd2"] = 0;
    InsertDiskPrompt prompt = open();
    EXPECT_NE(prompt.explanation().find("(serial number 0000-0000)"), std::string::npos);
    prompt.select(2);
    EXPECT_EQ(prompt.serialText(), "0000-0000");
    prompt.confirm();
    EXPECT_EQ(prompt.state(), State::Open);
    prompt.setUpdateSerial(true);
    prompt.confirm();
    EXPECT_EQ(prompt.state(), State::Ok);
    EXPECT_EQ(prompt.chosenSerial(), 0u);
}

TEST_F(InsertDiskPromptTest, NothingChangesOnceItHasEnded) {
    InsertDiskPrompt prompt = open();
    prompt.cancel();
    EXPECT_EQ(prompt.state(), State::Cancelled);
    Volume disc = MakeVolume("/media/cd9", DriveType::CdRom, 0x12345678);
    media.serials[disc.mountPoint] = disc.serial;
    prompt.volumeArrived(disc);
    prompt.confirm();
    EXPECT_EQ(prompt.state(), State::Cancelled);
    EXPECT_FALSE(prompt.chosenVolume());
}

}  // namespace
}  // namespace shelfmark
