#include <gtest/gtest.h>

#include "catalog/CatalogFile.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/FileBytes.h"

namespace shelfmark {
namespace {

using testing::FileBytes;

// Version 2.2: a folder with categories, an audio CD that is lent, two tracks, a shortcut.
std::string Version22File() {
    FileBytes b;
    b.oldHeader(0x22).u8(0xEE).u32(5).u16(9);
    // name, flags, sizeLow, size high, date, text
    b.text("Music").u16(0x0082).u32(10).u8(2).u32(1000).text("My music").u32(0x0201);
    b.text("Audio").u16(0x0015 | 0x2000).u32(0).u8(0).u32(2000).text("");
    b.u16(7).text("").text("MYCD").u32(0xAABBCCDD).u8(3).text("Bob").u32(1234567);
    b.u32(2 | 300 << 8).u32(150).u32(75 * 100);
    b.text("Track1").u16(0x0040).u32(111).u8(0).u32(0).text("").u32(0xDEADBEEF);
    b.text("Track2").u16(0x6000).u32(222).u8(0).u32(0).text("second");
    b.text("Link").u16(0x0200 | 0x6000).u32(0).u8(0).u32(0).text("{Disk0001}:\\Track1");
    return b.str();
}

TEST(OldFormat, Version22IsConverted) {
    CatalogTree tree;
    ScriptedPrompter prompter;
    const CatalogReadResult result = ReadCatalog(Version22File(), tree, prompter);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.version, 0x22);
    EXPECT_EQ(result.records, 5u);

    ASSERT_EQ(prompter.shown().size(), 1u);
    const std::string hint = prompter.shown()[0].message.text;
    EXPECT_NE(hint.find("v2.2"), std::string::npos) << hint;
    EXPECT_NE(hint.find("v3.0"), std::string::npos) << hint;

    const CatalogItem* root = tree.root();
    EXPECT_EQ(root->numberAttribute(attr::DiskId), 10u);
    const CatalogItem* music = root->firstChild();
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->name(), "Music");
    EXPECT_EQ(music->flags(), itemflag::Folder);
    EXPECT_EQ(music->size(), (2ull << 32) + 10);
    EXPECT_EQ(music->date(), 1000);
    EXPECT_EQ(music->textAttribute(attr::Description), "My music");
    EXPECT_EQ(music->numberAttribute(attr::Categories), 0x0201u);

    const CatalogItem* audio = music->firstChild();
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->flags(), DiskFlags(MediaType::AudioCd));
    EXPECT_FALSE(audio->hasAttribute(attr::Description));
    EXPECT_EQ(audio->numberAttribute(attr::DiskId), 7u);
    EXPECT_FALSE(audio->hasAttribute(attr::BaseDirectory));
    EXPECT_EQ(audio->textAttribute(attr::Volume), "MYCD");
    EXPECT_EQ(audio->numberAttribute(attr::VolumeSerial), 0xAABBCCDDu);
    EXPECT_EQ(audio->numberAttribute(attr::DriveIndex), 3u);
    EXPECT_EQ(audio->textAttribute(attr::LentTo), "Bob");
    EXPECT_EQ(audio->numberAttribute(attr::LentDate), 1234567u);
    EXPECT_EQ(audio->numberAttribute(attr::Length), 300u);
    EXPECT_EQ(audio->numberAttribute(attr::DiskNumber), 1u);
    EXPECT_EQ(root->numberAttribute(attr::DiskNumber), 2u);

    const CatalogItem* track1 = audio->firstChild();
    ASSERT_NE(track1, nullptr);
    EXPECT_EQ(track1->flags(), 0);
    EXPECT_EQ(track1->numberAttribute(attr::Crc32), 0xDEADBEEFu);
    EXPECT_EQ(track1->numberAttribute(attr::TrackNumber), 1u);
    EXPECT_EQ(track1->numberAttribute(attr::Length), 98u);  // 100 s - 2 s
    const CatalogItem* track2 = track1->next();
    ASSERT_NE(track2, nullptr);
    EXPECT_EQ(track2->textAttribute(attr::Description), "second");
    EXPECT_EQ(track2->numberAttribute(attr::TrackNumber), 2u);
    EXPECT_EQ(track2->numberAttribute(attr::Length), 200u);  // total 300 s - 100 s

    const CatalogItem* link = music->next();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->textAttribute(attr::ShortcutTarget), "{Disk0001}:\\Track1");
    // Written back in the current format.
    const std::string saved = CatalogBytes(tree);
    EXPECT_EQ(uint8_t(saved[21]), 0x30);
}

TEST(OldFormat, HintCheckBoxSuppressesIt) {
    CatalogTree tree;
    ScriptedPrompter prompter;
    prompter.queueHintChecked(true);
    CatalogReadResult result = ReadCatalog(Version22File(), tree, prompter);
    EXPECT_EQ(result.showConvertHint, kConvertHintSuppressed);
    prompter.clear();
    CatalogReadOptions options;
    options.showConvertHint = result.showConvertHint;
    result = ReadCatalog(Version22File(), tree, prompter, options);
    EXPECT_TRUE(result.ok());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(OldFormat, Version21FlagTranslation) {
    FileBytes b;
    b.oldHeader(0x21).u8(0).u32(5).u16(0);
    b.text("F").u16(0x0040).u32(0).u8(0).u32(0).text("");
    // CD (old 0x0010) with the directory bit, last in F; in 2.1 a CD carries track data too.
    b.text("cd").u16(0x0016).u32(0).u8(0).u32(0).text("");
    b.u16(1).text("").text("").u32(0).u8(4).text("").u32(0).u32(0);
    b.text("a.zip").u16(0x080C).u32(5).u8(0).u32(0).text("");
    // Audio CD: old 0x0010 with 0x0080.
    b.text("audio").u16(0x0092 | 0x0008).u32(0).u8(0).u32(0).text("");
    b.u16(2).text("").text("").u32(0).u8(4).text("").u32(0).u32(0);
    // Hard disk (old 0x0200), last at the top, no children.
    b.text("hd").u16(0x0200 | 0x0002 | 0x0004 | 0x0008).u32(0).u8(0).u32(0).text("");
    b.u16(3).text("\\base").text("LABEL").u32(0x11112222).u8(2).text("").u32(0);

    CatalogTree tree;
    SilentPrompter prompter;
    const CatalogReadResult result = ReadCatalog(b.str(), tree, prompter);
    ASSERT_TRUE(result.ok());
    const CatalogItem* folder = tree.root()->firstChild();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->flags(), itemflag::Folder);
    const CatalogItem* cd = folder->firstChild();
    ASSERT_NE(cd, nullptr);
    EXPECT_EQ(cd->flags(), DiskFlags(MediaType::CdRom));
    EXPECT_EQ(cd->numberAttribute(attr::DiskNumber), 1u);
    const CatalogItem* zip = cd->firstChild();
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(zip->flags(), itemflag::Archive);
    EXPECT_EQ(zip->size(), 5u);
    const CatalogItem* audio = folder->next();
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->flags(), DiskFlags(MediaType::AudioCd));
    const CatalogItem* hd = audio->next();
    ASSERT_NE(hd, nullptr);
    EXPECT_EQ(hd->flags(), DiskFlags(MediaType::HardDisk));
    EXPECT_EQ(hd->textAttribute(attr::BaseDirectory), "\\base");
    EXPECT_EQ(hd->textAttribute(attr::Volume), "LABEL");
    EXPECT_EQ(hd->numberAttribute(attr::DiskNumber), 3u);
    EXPECT_EQ(tree.root()->numberAttribute(attr::DiskNumber), 4u);
    EXPECT_EQ(tree.root()->numberAttribute(attr::DiskId), 1u);
}

TEST(OldFormat, LaterVersionsSkipTheVersion22Parts) {
    // 0x25: the 0x0040 bit announces no CRC and 0x0080 no categories.
    FileBytes b;
    b.oldHeader(0x25).u8(0).u32(2).u16(0);
    b.text("dir").u16(0x0001 | 0x0080).u32(0).u8(0).u32(0).text("");
    b.text("f").u16(0x0040 | 0x6000).u32(3).u8(0).u32(0).text("");
    CatalogTree tree;
    SilentPrompter prompter;
    ASSERT_TRUE(ReadCatalog(b.str(), tree, prompter).ok());
    const CatalogItem* dir = tree.root()->firstChild();
    EXPECT_EQ(dir->flags(), itemflag::Directory);
    EXPECT_FALSE(dir->hasAttribute(attr::Categories));
    EXPECT_FALSE(dir->firstChild()->hasAttribute(attr::Crc32));
}

TEST(OldFormat, DamagedOldFileLeavesNewCatalog) {
    const std::string bytes = Version22File();
    for (size_t cut = 19; cut < bytes.size(); ++cut) {
        CatalogTree tree;
        SilentPrompter prompter;
        ASSERT_FALSE(ReadCatalog(bytes.substr(0, cut), tree, prompter).ok()) << cut;
        EXPECT_EQ(tree.root()->firstChild(), nullptr);
        EXPECT_EQ(tree.root()->numberAttribute(attr::DiskId), 1u);
    }
}

TEST(OldFormat, ImportGoesUnderTarget) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* target = tree.createItem("Target", root, Last, itemflag::Folder);
    tree.createItem("existing", target, Last, 0);
    tree.setNumberAttribute(root, attr::DiskNumber, 40);
    CatalogReadOptions options;
    options.importTarget = target;
    options.importName = "old.tkd";
    SilentPrompter prompter;
    const CatalogReadResult result = ReadCatalog(Version22File(), tree, prompter, options);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.imported.size(), 2u);
    EXPECT_EQ(tree.topLevel()->next(), nullptr);
    EXPECT_EQ(root->numberAttribute(attr::DiskId), 1u);  // the open catalog's counter stays
    const CatalogItem* audio = tree.resolvePath("Target\\Music\\Audio", nullptr);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->numberAttribute(attr::DiskNumber), 40u);
    EXPECT_EQ(root->numberAttribute(attr::DiskNumber), 41u);
    EXPECT_NE(tree.resolvePath("Target\\existing", nullptr), nullptr);
}

}  // namespace
}  // namespace shelfmark
