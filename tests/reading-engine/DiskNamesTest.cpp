#include "catalog/DiskNames.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/CatalogFile.h"
#include "foundation/Utf8Text.h"
#include "tests/reading-engine/EngineTestSupport.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

namespace fs = std::filesystem;
using testing::FindItem;
using testing::ReadSetup;
using testing::TempDir;

// The names as the catalog shows them, written out by hand: 0xFF is ÿ, 0xFE þ, 0xE9 é, 0x80 the
// euro sign, 0x81 (unassigned in Windows-1252) the C1 control U+0081.
const std::string kBadFile = "bad-\xFF\xFE.txt";
const std::string kBadFileShown = "bad-\xC3\xBF\xC3\xBE.txt";
const std::string kBadDir = "d\x81\xE9r \x80";
const std::string kBadDirShown = "d\xC2\x81\xC3\xA9r \xE2\x82\xAC";

// Saves the catalog and opens it again, as a later command run does.
void SaveAndReopen(ReadSetup& setup) {
    const std::string bytes = CatalogBytes(setup.tree);
    ASSERT_TRUE(ReadCatalog(bytes, setup.tree, setup.prompter).ok());
    setup.folder = setup.tree.root()->firstChildIgnoringLock();
    ASSERT_NE(setup.folder, nullptr);
}

TEST(DiskNames, AnUpdateAfterReopeningKeepsEveryFactOfNamesThatAreNotUtf8) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root / kBadDir);
    testing::WriteFile(root / kBadFile, "first file");
    testing::WriteFile(root / kBadDir / kBadFile, "second file");

    ReadSetup setup;
    ReadJob first;
    setup.newJob(first, root);
    first.options.bCalcCRC32 = true;
    ASSERT_EQ(testing::RunRead(first), ReadOutcome::Completed);
    CatalogItem* file = FindItem(first.disk, kBadFileShown);
    CatalogItem* inner = FindItem(first.disk, kBadDirShown + "/" + kBadFileShown);
    ASSERT_NE(file, nullptr);
    ASSERT_NE(inner, nullptr);
    const uint32_t crc = file->numberAttribute(attr::Crc32).value_or(0);
    ASSERT_NE(crc, 0u);
    setup.tree.setTextAttribute(file, attr::Description, "outer note");
    setup.tree.setTextAttribute(inner, attr::ExtraTextFirst, "inner extra");
    setup.tree.setTextAttribute(FindItem(first.disk, kBadDirShown), attr::Description, "dir");

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        SaveAndReopen(setup);
        CatalogItem* disk = setup.folder->firstChildIgnoringLock();
        ASSERT_NE(disk, nullptr);
        ReadJob update;
        setup.updateJob(update, disk, root);
        ASSERT_EQ(testing::RunRead(update), ReadOutcome::Completed);
        file = FindItem(disk, kBadFileShown);
        inner = FindItem(disk, kBadDirShown + "/" + kBadFileShown);
        ASSERT_NE(file, nullptr);
        ASSERT_NE(inner, nullptr);
        EXPECT_EQ(file->numberAttribute(attr::Crc32), crc);
        EXPECT_EQ(file->textAttribute(attr::Description), "outer note");
        EXPECT_EQ(inner->textAttribute(attr::ExtraTextFirst), "inner extra");
        EXPECT_EQ(FindItem(disk, kBadDirShown)->textAttribute(attr::Description), "dir");
        EXPECT_EQ(testing::CatalogListing(disk).size(), 3u);  // nothing read twice
    }

    // The stored names lead back to the files.
    CatalogItem* disk = setup.folder->firstChildIgnoringLock();
    inner = FindItem(disk, kBadDirShown + "/" + kBadFileShown);
    EXPECT_EQ(testing::ReadFile(DiskPathOf(root.string(), disk, inner)), "second file");
    EXPECT_EQ(DiskPathOf(root.string(), disk, inner), (root / kBadDir / kBadFile).string());
}

TEST(DiskNames, StoredNamesGoBackToTheBytesTheyCameFrom) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string disk = std::string("x") + static_cast<char>(byte) + "y";
        const std::string stored = CatalogNameOf(disk);
        ASSERT_TRUE(text::IsValidUtf8(stored)) << byte;
        EXPECT_EQ(DecodedNameBytes(stored), disk) << byte;
    }
    EXPECT_EQ(CatalogNameOf("Gr\xC3\xB6\xC3\x9F"
                            "e"),
              "Gr\xC3\xB6\xC3\x9F"
              "e");
    EXPECT_EQ(CatalogNameOf(kBadDir), kBadDirShown);
    // Names that valid UTF-8 on the disk gives unchanged have no other bytes.
    EXPECT_EQ(DecodedNameBytes("plain.txt"), std::nullopt);
    EXPECT_EQ(DecodedNameBytes("\xC3\x83\xC2\xA9"), std::nullopt);  // "Ã©" would be é's bytes
    EXPECT_EQ(DecodedNameBytes("\xE4\xB8\xAD.txt"), std::nullopt);  // not Windows-1252 at all
}

TEST(DiskNames, APathPrefersTheNameAsStoredWhenBothFormsExist) {
    TempDir dir;
    const fs::path root = dir / "v";
    fs::create_directories(root);
    testing::WriteFile(root / kBadFileShown, "utf-8 name");
    testing::WriteFile(root / kBadFile, "raw name");
    const std::vector<std::string> components{kBadFileShown};
    EXPECT_EQ(testing::ReadFile(DiskPathOf(root.string(), components)), "utf-8 name");
    fs::remove(root / kBadFileShown);
    EXPECT_EQ(testing::ReadFile(DiskPathOf(root.string(), components)), "raw name");
    fs::remove(root / kBadFile);
    EXPECT_EQ(DiskPathOf(root.string(), components), (root / kBadFileShown).string());
}

}  // namespace
}  // namespace shelfmark
