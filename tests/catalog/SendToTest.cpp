// Send to: real files and directories copied from a medium (a folder standing in for a mounted
// CD) into a target folder; the catalog's own items that have no bytes on the medium are
// refused with a message. The copies are compared with the originals byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "catalog/SendTo.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::At;

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class SendTo : public ::testing::Test {
  protected:
    SendTo() {
        testing::BuildEditCatalog(document.tree());
        Write(dir.path() / "cd/Album/track1.mp3", std::string(600, 't'));
        Write(dir.path() / "cd/cover.jpg", "JPEG bytes");
        Write(dir.path() / "cd/songs.zip", "PK zip bytes");
        fs::create_directories(dir.path() / "out");
        Volume cd;
        cd.mountPoint = (dir.path() / "cd").string();
        cd.type = DriveType::CdRom;
        cd.serial = 0x1234ABCD;  // the serial of the disk "Rock One"
        drives = {cd};
    }
    CatalogItem* at(const char* path) { return At(document.tree(), path); }
    fs::path out() const { return dir.path() / "out"; }

    testing::TempDir dir;
    ScriptedPrompter prompter;
    CatalogDocument document{prompter};
    std::vector<Volume> drives;
};

TEST_F(SendTo, CopiesFilesAndDirectoriesFromTheMountedMedium) {
    CatalogItem* items[] = {at("Music\\Rock\\Rock One\\Album"),
                            at("Music\\Rock\\Rock One\\cover.jpg"),
                            at("Music\\Rock\\Rock One\\songs.zip")};
    const SendToResult result = SendToFolder(document, items, out().string(), drives, nullptr);
    EXPECT_EQ(result.sent, 3u);
    EXPECT_EQ(result.failed, 0u);
    EXPECT_FALSE(result.cancelled);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(Read(out() / "Album/track1.mp3"), std::string(600, 't'));
    EXPECT_EQ(Read(out() / "cover.jpg"), "JPEG bytes");
    EXPECT_EQ(Read(out() / "songs.zip"), "PK zip bytes");
    // Nothing in the catalog changed.
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(document.undoStepCount(), 0u);
}

TEST_F(SendTo, RefusesWhatHasNoBytesOnTheMediumAndNeverOverwrites) {
    Write(out() / "cover.jpg", "older picture");
    CatalogItem* items[] = {at("Music"), at("Music\\Rock\\Rock One\\songs.zip\\a.txt"),
                            at("Music\\Rock\\Rock One\\cover.jpg"),
                            at("Music\\Rock\\Rock One\\Album")};
    const SendToResult result = SendToFolder(document, items, out().string(), drives, nullptr);
    EXPECT_EQ(result.sent, 1u);
    EXPECT_EQ(result.failed, 3u);
    ASSERT_EQ(prompter.shown().size(), 3u);
    EXPECT_EQ(prompter.shown()[0].message.text,
              "This command cannot be used with an item of this kind.");
    EXPECT_EQ(prompter.shown()[1].message.text,
              "This command cannot be used with an item of this kind.");
    EXPECT_NE(prompter.shown()[2].message.text.find("already exists"), std::string::npos);
    EXPECT_EQ(Read(out() / "cover.jpg"), "older picture");
    EXPECT_TRUE(fs::exists(out() / "Album/track1.mp3"));
}

TEST_F(SendTo, AMissingMediumWithNobodyToAskStopsTheCommand) {
    drives.front().serial = 0x99999999;  // another disc in the drive
    CatalogItem* items[] = {at("Music\\Rock\\Rock One\\cover.jpg")};
    const SendToResult result = SendToFolder(document, items, out().string(), drives, nullptr);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.sent, 0u);
    EXPECT_FALSE(fs::exists(out() / "cover.jpg"));

    // A file the catalog knows but the medium lost is reported by its path.
    drives.front().serial = 0x1234ABCD;
    fs::remove(dir.path() / "cd/cover.jpg");
    EXPECT_EQ(SendToFolder(document, items, out().string(), drives, nullptr).failed, 1u);
    EXPECT_NE(prompter.shownTexts().back().find("cover.jpg' not found"), std::string::npos);
}

}  // namespace
}  // namespace shelfmark
