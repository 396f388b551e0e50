// cdplayer.ini: the disc key from a catalogued table of contents, and the import of its discs.
#include <gtest/gtest.h>

#include "catalog/CatalogTree.h"
#include "cdlookup/CdPlayerIni.h"
#include "cdlookup/CddbSettings.h"
#include "reading/audio/AudioDisc.h"
#include "reading/audio/DiscInformation.h"
#include "tests/cdlookup/CdLookupFixture.h"

namespace shelfmark {
namespace {

using testing::CdLookupTest;
using testing::WriteFile;

// Keys worked out by hand: each track start e in frames becomes minutes, seconds and frames
// (e / 4500, e / 75 mod 60, e mod 75) packed as 0xMMSSFF and added up.
TEST(CdPlayerKey, HandComputedKeys) {
    // One track (a CD single of 19:33.12): 150 = 00:02:00 -> 0x000200 = 512; a disc of at most
    // two tracks adds lead-out - first start = 88137 - 150 = 87987: 88499 = 0x159B3.
    const std::vector<uint32_t> one{150, 88137};
    EXPECT_EQ(CdPlayerKeyOfToc(one), 0x159B3u);
    // Two tracks: 182 = 00:02:32 -> 0x000220 = 544; 16021 = 03:33:46 -> 0x03212E = 205102;
    // + (40297 - 182) = 40115; two tracks also add 182 mod 75 = 32: 245793 = 0x3C021.
    const std::vector<uint32_t> two{182, 16021, 40297};
    EXPECT_EQ(CdPlayerKeyOfToc(two), 0x3C021u);
    // Twelve tracks (the table of contents of the corpus record "Motorhead / Inferno", lead-out
    // 2914 s): only the packed starts count, 00:02:00 + 03:47:15 + 08:01:24 + 11:04:72 +
    // 16:12:42 + 20:26:01 + ... (each as 0xMMSSFF) = 0x10A2C7F.
    const std::vector<uint32_t> twelve{150,    17040,  36099,  49872,  72942,  91951, 110880,
                                       131253, 147946, 167288, 188766, 201121, 218550};
    EXPECT_EQ(CdPlayerKeyOfToc(twelve), 0x10A2C7Fu);
    EXPECT_EQ(CdPlayerKeyOfToc(std::vector<uint32_t>{150}), 0u);
}

// The key computed from the stored record agrees with the key the reading code computes from
// the drive's track list, for every disc whose first track starts at 00:02:00 or later.
TEST(CdPlayerKey, AgreesWithTheDriveSideKey) {
    const std::vector<std::vector<uint32_t>> discs = {
        {150, 88137},
        {182, 16021, 40297},
        {150, 300, 450, 600},
        {4500, 9000, 13500, 20000},
        {150, 17040, 36099, 49872, 72942, 91951, 110880, 131253, 147946, 167288, 188766, 201121,
         218550}};
    for (const std::vector<uint32_t>& offsets : discs) {
        AudioDisc disc;
        for (size_t i = 0; i + 1 < offsets.size(); ++i)
            disc.tracks.push_back({int(i) + 1, TrackType::Audio, Msf::FromFrames(offsets[i]), {}});
        disc.leadOut = Msf::FromFrames(offsets.back());
        const std::vector<uint32_t> record = disc.tocRecordValues();
        const std::vector<uint32_t> stored(record.begin() + 1, record.end());
        EXPECT_EQ(stored, offsets);
        EXPECT_EQ(CdPlayerKeyOfToc(stored), CdPlayerKey(disc)) << offsets.size() - 1 << " tracks";
    }
}

TEST(CdPlayerKey, TocOfADisk) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* disk = testing::AddAudioDisk(tree, root, "CD", {150, 15000, 30000}, 2);
    EXPECT_EQ(TocOffsets(*disk), (std::vector<uint32_t>{150, 15000, 30000}));
    CatalogItem* none = testing::AddAudioDisk(tree, root, "none", {}, 0);
    EXPECT_EQ(TocOffsets(*none), std::nullopt);
    tree.setBlockAttribute(none, attr::Toc, std::vector<uint8_t>{1, 2, 3, 4, 5});
    EXPECT_EQ(TocOffsets(*none), std::nullopt);  // not whole values
    tree.setBlockAttribute(none, attr::Toc, std::vector<uint8_t>{150, 0, 0, 0});
    EXPECT_EQ(TocOffsets(*none), std::nullopt);  // no lead-out
}

TEST(CdPlayerIni, SectionNamesAsSerials) {
    EXPECT_EQ(SerialOfSection("1A2B3C4D"), 0x1A2B3C4Du);
    EXPECT_EQ(SerialOfSection("abcd"), 0xABCDu);
    EXPECT_EQ(SerialOfSection("00001234"), 0x1234u);
    EXPECT_EQ(SerialOfSection("Classic"), 0u);
    EXPECT_EQ(SerialOfSection("12 34"), 0u);
    EXPECT_EQ(SerialOfSection(""), 0u);
    EXPECT_EQ(SerialOfSection("123456789"), 0u);  // more than 32 bits
}

class CdPlayerImportTest : public CdLookupTest {
  protected:
    void writeIni() {
        WriteFile(iniPath(),
                  "[1A2B3C4D]\r\nartist=Artist One\r\ntitle=First\r\nnumtracks=3\r\n"
                  "0=Alpha\r\n1=Beta\r\n2=Gamma\r\norder=0 1 2\r\n"
                  "[abcd]\r\nartist=Lower\r\ntitle=Case\r\nnumtracks=1\r\n0=Only\r\n"
                  "[00001234]\r\nartist=Leading\r\ntitle=Zeros\r\nnumtracks=2\r\n0=x\r\n1=y\r\n"
                  "[Classic]\r\nartist=Not\r\ntitle=Hex\r\nnumtracks=2\r\n0=x\r\n1=y\r\n"
                  "[5678]\r\nartist=No\r\ntitle=Count\r\n");
    }
    std::vector<std::string> trackTexts(const CatalogItem* disk) {
        std::vector<std::string> texts;
        for (const CatalogItem* track = disk->firstChild(); track; track = track->next())
            texts.push_back(std::string(track->name()) + "=" +
                            std::string(track->textAttribute(attr::Description).value_or("")));
        return texts;
    }
};

TEST_F(CdPlayerImportTest, ListsTheSectionsInFileOrder) {
    writeIni();
    const std::vector<CdPlayerEntry> plain = ListCdPlayerDiscs("");
    ASSERT_EQ(plain.size(), 5u);
    EXPECT_EQ(plain[0].name, "Artist One - First");
    EXPECT_EQ(plain[0].serial, 0x1A2B3C4Du);
    EXPECT_EQ(plain[3].section, "Classic");
    EXPECT_EQ(plain[3].serial, 0u);
    EXPECT_EQ(ListCdPlayerDiscs("%2 (%1)")[1].name, "Case (Lower)");
    std::filesystem::remove(iniPath());
    EXPECT_TRUE(ListCdPlayerDiscs("").empty());
}

TEST_F(CdPlayerImportTest, ImportsDisksWithTracksAsOneStep) {
    writeIni();
    const std::vector<CdPlayerEntry> entries = ListCdPlayerDiscs("");
    CdPlayerImport request;
    request.target = root();
    request.discs = entries;
    request.discs.push_back(entries[0]);  // the same section twice makes two disks
    request.trackFormat = "%3 %1: %2";
    std::vector<CatalogItem*> disks;
    const uint32_t firstId = root()->numberAttribute(attr::DiskId).value_or(1);
    ASSERT_EQ(ImportFromCdPlayer(document, request, &disks), EditStatus::Done);
    ASSERT_EQ(disks.size(), 6u);
    EXPECT_EQ(document.undoStepCount(), 1u);
    EXPECT_TRUE(document.isModified());

    const CatalogItem* first = disks[0];
    EXPECT_EQ(first->mediaType(), MediaType::AudioCd);
    EXPECT_EQ(first->name(), "Artist One - First");
    EXPECT_EQ(first->numberAttribute(attr::VolumeSerial), 0x1A2B3C4Du);
    EXPECT_EQ(first->numberAttribute(attr::DiskId), firstId);
    EXPECT_EQ(first->size(), 3u * 44);
    EXPECT_EQ(trackTexts(first), (std::vector<std::string>{"Track01.cda=01 Artist One: Alpha",
                                                           "Track02.cda=02 Artist One: Beta",
                                                           "Track03.cda=03 Artist One: Gamma"}));
    const CatalogItem* track = first->firstChild();
    EXPECT_EQ(track->size(), 44u);
    EXPECT_EQ(track->date(), first->date());
    EXPECT_EQ(track->numberAttribute(attr::TrackNumber), 1u);
    // A lower-case section is found again; "00001234" is looked up as "1234" and is not.
    EXPECT_EQ(trackTexts(disks[1]).size(), 1u);
    EXPECT_EQ(disks[2]->numberAttribute(attr::VolumeSerial), 0x1234u);
    EXPECT_TRUE(trackTexts(disks[2]).empty());
    // Not hexadecimal: serial 0 and no tracks; no "numtracks": no tracks, size 0.
    EXPECT_EQ(disks[3]->numberAttribute(attr::VolumeSerial), 0u);
    EXPECT_TRUE(trackTexts(disks[3]).empty());
    EXPECT_EQ(disks[4]->size(), 0u);
    EXPECT_EQ(disks[5]->name(), "Artist One - First");
    EXPECT_NE(disks[5]->numberAttribute(attr::DiskNumber),
              first->numberAttribute(attr::DiskNumber));
    for (const CatalogItem* disk : disks)
        EXPECT_EQ(disk->date(), first->date());

    // One undo takes every disk away again.
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(root()->firstChild(), nullptr);
}

TEST_F(CdPlayerImportTest, NewSubfolderCarriesTheSizes) {
    writeIni();
    CatalogItem* music = tree().createItem("Music", root(), Sorted, itemflag::Folder);
    CdPlayerImport request;
    request.target = music;
    request.discs = {ListCdPlayerDiscs("")[0]};
    request.newFolder = "";
    EXPECT_EQ(ImportFromCdPlayer(document, request), EditStatus::Unchanged);
    request.newFolder = "From CD Player";
    request.trackFormat.clear();
    ASSERT_EQ(ImportFromCdPlayer(document, request), EditStatus::Done);
    const CatalogItem* folder = music->firstChild();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->name(), "From CD Player");
    EXPECT_TRUE(folder->isFolder());
    EXPECT_EQ(folder->size(), 132u);
    EXPECT_EQ(music->size(), 132u);
    EXPECT_EQ(folder->date(), folder->firstChild()->date());
    EXPECT_EQ(trackTexts(folder->firstChild())[0], "Track01.cda=Alpha");
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(music->firstChild(), nullptr);
    EXPECT_EQ(music->size(), 0u);
}

}  // namespace
}  // namespace shelfmark
