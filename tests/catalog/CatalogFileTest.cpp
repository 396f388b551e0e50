#include "catalog/CatalogFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog/TreeWalk.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/FileBytes.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::FileBytes;

std::string Header() {
    return FileBytes().header().str();
}

// Every saved field of every item, in file order, as one comparable text.
std::string Describe(const CatalogTree& tree) {
    std::string out;
    auto describe = [&out](const CatalogItem& item, int depth) {
        out += std::string(size_t(depth) * 2, ' ') + std::string(item.name()) +
               " flags=" + std::to_string(item.flags()) +
               " size=" + std::to_string(item.sizeLow()) + " date=" + std::to_string(item.date());
        for (const ItemAttribute& a : item.attributes()) {
            if (a.key() < 0x40)
                continue;
            out += " [" + std::to_string(a.key()) + "]=";
            switch (a.valueClass()) {
                case AttributeClass::Number:
                    out += std::to_string(a.number());
                    break;
                case AttributeClass::Text:
                    out += "'" + std::string(a.text()) + "'";
                    break;
                default:
                    out += "block:" + std::string(reinterpret_cast<const char*>(a.block().data()),
                                                  a.block().size());
            }
        }
        out += "\n";
    };
    const CatalogItem* root = tree.root();
    describe(*root, 0);
    WalkBelow(root, EnterContainers, [&](CatalogItem& item) {
        int depth = 0;
        for (const CatalogItem* p = &item; p != root; p = p->parent())
            ++depth;
        describe(item, depth);
        return true;
    });
    return out;
}

// A catalog with every item kind and every attribute class.
void BuildRichCatalog(CatalogTree& tree) {
    CatalogItem* root = tree.resetToNewCatalog();
    const uint8_t definitions[] = {1, 'M', 'u', 's', 'i', 'c', 0};
    tree.setBlockAttribute(root, attr::CategoryDefinitions, definitions);
    CatalogItem* folder = tree.createItem("Music", root, Last, itemflag::Folder);
    tree.setSize(folder, 7ull << 32);
    const MediaType types[] = {MediaType::CdRom,    MediaType::AudioCd, MediaType::Removable,
                               MediaType::HardDisk, MediaType::Network, MediaType::VideoCd};
    int n = 0;
    for (MediaType type : types) {
        ++n;
        CatalogItem* disk = tree.createItem("Disk " + std::to_string(n), folder, Last,
                                            DiskFlags(type) | (n == 3 ? itemflag::ReWritable : 0));
        tree.assignDiskNumber(disk);
        tree.setNumberAttribute(disk, attr::DiskId, uint32_t(n));
        tree.setNumberAttribute(disk, attr::VolumeSerial, 0x1234ABCD);
        tree.setTextAttribute(disk, attr::Volume, "VOL" + std::to_string(n));
        disk->setDate(-86400 * n);
    }
    CatalogItem* disk = folder->firstChild();
    tree.setTextAttribute(disk, attr::LentTo, "Kim");
    tree.setNumberAttribute(disk, attr::LentDate, 1700000000);
    tree.setTextAttribute(disk, attr::BaseDirectory, "\\Backup");
    CatalogItem* dir = tree.createItem("Dir with ünïcode", disk, Last, itemflag::Directory);
    CatalogItem* file = tree.createItem("song.mp3", dir, Last, 0);
    tree.setSize(file, 5'000'000'000ull);
    file->setDate(1'600'000'000);
    tree.setNumberAttribute(file, attr::Crc32, 0xCAFEBABE);
    tree.setTextAttribute(file, attr::Artist, "Artist");
    tree.setTextAttribute(file, attr::Md5, "d41d8cd98f00b204e9800998ecf8427e");
    tree.setTextAttribute(file, attr::Description, "");
    tree.setTextAttribute(file, 0xB3, std::string(300, 'x'));
    tree.setNumberAttribute(file, 0x72, 99);
    std::vector<uint8_t> jpeg(70000, 0xAB);
    tree.setBlockAttribute(file, attr::Thumbnail, jpeg);
    tree.setBlockAttribute(file, 0xD0, {});
    CatalogItem* zip = tree.createItem("a.zip", dir, Last, itemflag::Archive);
    tree.createItem("inside.txt", zip, Last, 0);
    CatalogItem* empty = tree.createItem("empty", dir, Last, itemflag::Directory);
    (void)empty;
    CatalogItem* link = tree.createItem("link", root, Last, itemflag::Shortcut);
    tree.setTextAttribute(link, attr::ShortcutTarget, tree.pathText(file, pathmode::Reference));
    tree.createItem(std::string(70000, 'L'), root, Last, 0);
}

TEST(CatalogFile, EmptyCatalogBytes) {
    CatalogTree tree;
    tree.resetToNewCatalog();
    const std::string expected =
        FileBytes().header().u8(2).u8(0x42).u32(1).u8(0x4E).u32(1).u32(0).str();
    EXPECT_EQ(CatalogBytes(tree), expected);
}

TEST(CatalogFile, RecordBytesAndTextForms) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    tree.removeAttribute(root, attr::DiskId);
    tree.removeAttribute(root, attr::DiskNumber);
    CatalogItem* dir =
        tree.createItem(std::string(300, 'n'), root, Last, itemflag::Directory | itemflag::Unseen);
    tree.setSize(dir, 0x01020304);
    dir->setDate(-1);
    tree.setNumberAttribute(dir, attr::ReadThisSession, 1);  // transient: not written
    tree.setTextAttribute(dir, attr::Description, "d");
    const uint8_t block[] = {9, 8};
    tree.setBlockAttribute(dir, 0xC7, block);
    CatalogItem* file = tree.createItem("f", dir, Last, 0);
    tree.createItem("child of a file", file, Last, 0);  // not written
    tree.setTextAttribute(tree.createItem("secret", dir, Last, 0), 0xB0, std::string(65534, 'y'));
    tree.setBlockAttribute(dir->firstChild()->next(), attr::EncryptedName, block);

    FileBytes expected;
    expected.header().u8(0).u32(3);
    expected.u16(itemflag::Directory | itemflag::LastSibling)
        .u8(0xFF)
        .u16(300)
        .raw(std::string(300, 'n'));
    expected.u32(0x01020304).u32(0xFFFFFFFF).u8(2).u8(0x80).text("d").u8(0xC7).u32(2).u8(9).u8(8);
    // A file with children in memory: written without them, and without NoChildren.
    expected.u16(0).text("f").u32(0).u32(0).u8(0);
    // An encrypted name below no protection could never be decrypted again: the plain name is
    // written and the stale block left out.
    expected.u16(itemflag::LastSibling | itemflag::NoChildren).text("secret").u32(0).u32(0).u8(1);
    expected.u8(0xB0).u8(0xFF).u16(0xFFFF).u32(65534).raw(std::string(65534, 'y'));
    EXPECT_EQ(CatalogBytes(tree), expected.str());
}

TEST(CatalogFile, RoundTripEveryKindAndAttributeClass) {
    CatalogTree tree;
    BuildRichCatalog(tree);
    const std::string bytes = CatalogBytes(tree);
    CatalogTree loaded;
    ScriptedPrompter prompter;
    const CatalogReadResult result = ReadCatalog(bytes, loaded, prompter);
    ASSERT_TRUE(result.ok());
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(result.records, tree.countItems(tree.root()));
    EXPECT_EQ(Describe(loaded), Describe(tree));
    // And it writes back byte for byte.
    EXPECT_EQ(CatalogBytes(loaded), bytes);
}

TEST(CatalogFile, ReaderIgnoresNoChildrenOnNonContainers) {
    // A file record without NoChildren followed by a sibling: the sibling is not its child.
    const std::string bytes = FileBytes()
                                  .header()
                                  .u8(0)
                                  .u32(2)
                                  .u16(0)
                                  .text("a")
                                  .u32(1)
                                  .u32(2)
                                  .u8(0)
                                  .u16(itemflag::LastSibling | itemflag::NoChildren)
                                  .text("b")
                                  .u32(0)
                                  .u32(0)
                                  .u8(0)
                                  .str();
    CatalogTree tree;
    ScriptedPrompter prompter;
    ASSERT_TRUE(ReadCatalog(bytes, tree, prompter).ok());
    const CatalogItem* a = tree.root()->firstChild();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->name(), "a");
    EXPECT_EQ(a->firstChild(), nullptr);
    ASSERT_NE(a->next(), nullptr);
    EXPECT_EQ(a->next()->name(), "b");
}

TEST(CatalogFile, TransientKeyInFileIsRejected) {
    const std::string bytes = FileBytes()
                                  .header()
                                  .u8(0)
                                  .u32(1)
                                  .u16(0x6000)
                                  .text("a")
                                  .u32(0)
                                  .u32(0)
                                  .u8(1)
                                  .u8(0x05)
                                  .u32(1)
                                  .str();
    CatalogTree tree;
    ScriptedPrompter prompter;
    EXPECT_EQ(ReadCatalog(bytes, tree, prompter, {}, "x.tkd").status, CatalogReadStatus::Damaged);
    EXPECT_EQ(tree.root()->firstChild(), nullptr);
    EXPECT_EQ(tree.root()->name(), " ");
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_NE(prompter.shown()[0].message.text.find("x.tkd"), std::string::npos);
}

TEST(CatalogFile, EveryTruncationIsRejectedAndLeavesNewCatalog) {
    CatalogTree tree;
    BuildRichCatalog(tree);
    tree.removeItem(tree.root()->firstChild()->next()->next(), false);  // the 70000-byte name
    const std::string bytes = CatalogBytes(tree);
    // Every prefix that cuts into the records (past the header and count).
    for (size_t cut = 0; cut < bytes.size(); cut += (cut < 400 ? 1 : 97)) {
        CatalogTree loaded;
        SilentPrompter prompter;
        const CatalogReadResult result = ReadCatalog(bytes.substr(0, cut), loaded, prompter);
        ASSERT_FALSE(result.ok()) << "prefix of " << cut << " bytes";
        ASSERT_NE(loaded.root(), nullptr);
        EXPECT_EQ(loaded.root()->firstChild(), nullptr);
        EXPECT_EQ(loaded.root()->numberAttribute(attr::DiskNumber), 1u);
    }
}

TEST(CatalogFile, HugeCountsAndLengthsDoNotAllocate) {
    SilentPrompter prompter;
    CatalogTree tree;
    // Item count of 4 billion in a tiny file.
    EXPECT_FALSE(
        ReadCatalog(FileBytes().header().u8(0).u32(0xFFFFFFFF).str(), tree, prompter).ok());
    // Text lengths in every form far beyond the file.
    EXPECT_FALSE(
        ReadCatalog(
            FileBytes().header().u8(0).u32(1).u16(0).u8(0xFF).u16(0xFFFF).u32(0xFFFFFFF0).str(),
            tree, prompter)
            .ok());
    EXPECT_FALSE(ReadCatalog(FileBytes()
                                 .header()
                                 .u8(0)
                                 .u32(1)
                                 .u16(0)
                                 .u8(0xFF)
                                 .u16(0xFFFE)
                                 .u8(0xFF)
                                 .u16(0xFFFF)
                                 .u32(0xFFFFFFFF)
                                 .str(),
                             tree, prompter)
                     .ok());
    // A block of 4 GB.
    EXPECT_FALSE(
        ReadCatalog(FileBytes().header().u8(1).u8(0xC0).u32(0xFFFFFFFF).str(), tree, prompter)
            .ok());
}

TEST(CatalogFile, WideAndAnsiTextsBecomeUtf8) {
    // "Ä€" in UTF-16LE, then a Windows-1252 name "caf\xE9 \x80".
    FileBytes bytes;
    bytes.header().u8(1).u8(0x81).u8(0xFF).u16(0xFFFE).u8(2).u16(0x00C4).u16(0x20AC).u32(1);
    bytes.u16(0x6000).text("caf\xE9 \x80").u32(0).u32(0).u8(0);
    CatalogTree tree;
    ScriptedPrompter prompter;
    ASSERT_TRUE(ReadCatalog(bytes.str(), tree, prompter).ok());
    EXPECT_EQ(tree.root()->textAttribute(0x81), "Ä€");
    EXPECT_EQ(tree.root()->firstChild()->name(), "café €");
}

TEST(CatalogFile, EarlyEndOfTopLevel) {
    // Count says 5, the records close the top level after 1.
    FileBytes bytes;
    bytes.header().u8(0).u32(5).u16(0x6000).text("only").u32(0).u32(0).u8(0);
    CatalogTree tree;
    SilentPrompter prompter;
    CatalogReadResult result = ReadCatalog(bytes.str(), tree, prompter);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.records, 1u);
    bytes.u8(0);  // ... but data still follows
    EXPECT_EQ(ReadCatalog(bytes.str(), tree, prompter).status, CatalogReadStatus::Damaged);
}

TEST(CatalogFile, NestingLimit) {
    auto nested = [](int levels, bool trailing) {
        FileBytes bytes;
        bytes.header().u8(0).u32(uint32_t(levels + (trailing ? 1 : 0)));
        for (int i = 0; i < levels; ++i) {
            const bool deepest = i + 1 == levels;
            bytes
                .u16(uint16_t(itemflag::Directory | itemflag::LastSibling |
                              (deepest && !trailing ? itemflag::NoChildren : 0)))
                .text("d")
                .u32(0)
                .u32(0)
                .u8(0);
        }
        if (trailing)
            bytes.u16(0x6000).text("f").u32(0).u32(0).u8(0);
        return bytes.str();
    };
    SilentPrompter prompter;
    CatalogTree tree;
    // 39 directories and a file: 40 levels below the root.
    EXPECT_TRUE(ReadCatalog(nested(39, true), tree, prompter).ok());
    EXPECT_EQ(tree.countItems(tree.root()), 40u);
    EXPECT_TRUE(ReadCatalog(nested(40, false), tree, prompter).ok());
    // A 41st level is not read: with data there the file is damaged.
    EXPECT_EQ(ReadCatalog(nested(40, true), tree, prompter).status, CatalogReadStatus::Damaged);
    EXPECT_EQ(tree.countItems(tree.root()), 0u);
}

TEST(CatalogFile, HeaderAndVersionChecks) {
    SilentPrompter silent;
    CatalogTree tree;
    EXPECT_EQ(ReadCatalog("Tarnwick Database\r\n", tree, silent).status,
              CatalogReadStatus::NotCatalog);
    EXPECT_EQ(ReadCatalog("hello world, this is not a catalog", tree, silent).status,
              CatalogReadStatus::NotCatalog);
    std::string tooNew = Header();
    tooNew.back() = 0x31;
    ScriptedPrompter prompter;
    EXPECT_EQ(ReadCatalog(tooNew + std::string(5, '\0'), tree, prompter).status,
              CatalogReadStatus::TooNew);
    ASSERT_EQ(prompter.shownTexts().size(), 1u);
    EXPECT_EQ(prompter.shownTexts()[0], Str(105));
    EXPECT_NE(Str(105).find("newer version"), std::string::npos);
    prompter.clear();
    EXPECT_EQ(ReadCatalog(FileBytes().oldHeader(0x20).u32(0).str(), tree, prompter).status,
              CatalogReadStatus::TooOld);
    EXPECT_EQ(prompter.shownTexts().at(0), Str(106));
}

TEST(CatalogFile, ProgressAtMostThousandTimes) {
    for (int count : {1, 999, 1500, 5000}) {
        CatalogTree tree;
        CatalogItem* root = tree.resetToNewCatalog();
        for (int i = 0; i < count; ++i)
            tree.createItem("f", root, First, 0);
        const std::string bytes = CatalogBytes(tree);
        CatalogReadOptions options;
        int calls = 0;
        uint64_t last = 0;
        options.progress = [&](uint64_t done, uint64_t total) {
            ++calls;
            EXPECT_EQ(total, uint64_t(count));
            EXPECT_GT(done, last);
            last = done;
        };
        SilentPrompter prompter;
        ASSERT_TRUE(ReadCatalog(bytes, tree, prompter, options).ok());
        EXPECT_LE(calls, 1000) << count;
        EXPECT_GE(calls, std::min(count, 500)) << count;
    }
}

TEST(CatalogFile, ShortcutsAndDiskNumbersAfterLoading) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* d1 = tree.createItem("d1", root, Last, DiskFlags(MediaType::CdRom));
    tree.setNumberAttribute(d1, attr::DiskNumber, 5);
    CatalogItem* target = tree.createItem("t.txt", d1, Last, 0);
    CatalogItem* fresh = tree.createItem("fresh", root, Last, DiskFlags(MediaType::CdRom));
    (void)fresh;
    CatalogItem* good = tree.createItem("good", root, Last, itemflag::Shortcut);
    tree.setTextAttribute(good, attr::ShortcutTarget, tree.pathText(target, pathmode::Reference));
    CatalogItem* lost = tree.createItem("lost", root, Last, itemflag::Shortcut);
    tree.setTextAttribute(lost, attr::ShortcutTarget, "{Disk0077}:\\gone");
    tree.setNumberAttribute(root, attr::DiskNumber, 2);  // a counter below the numbers in use

    CatalogTree loaded;
    SilentPrompter prompter;
    ASSERT_TRUE(ReadCatalog(CatalogBytes(tree), loaded, prompter).ok());
    const CatalogItem* loadedFresh = loaded.resolvePath("fresh", nullptr);
    ASSERT_NE(loadedFresh, nullptr);
    EXPECT_EQ(loadedFresh->numberAttribute(attr::DiskNumber), 6u);
    EXPECT_EQ(loaded.root()->numberAttribute(attr::DiskNumber), 7u);
    EXPECT_EQ(loaded.resolvePath("good", nullptr)->textAttribute(attr::ShortcutTarget),
              "{Disk0005}:\\t.txt");
    EXPECT_EQ(loaded.resolvePath("lost", nullptr)->textAttribute(attr::ShortcutTarget),
              "{Disk0077}:\\gone");
}

TEST(CatalogFile, ExportSelection) {
    CatalogTree tree;
    BuildRichCatalog(tree);
    CatalogItem* folder = tree.root()->firstChild();
    const CatalogItem* disk2 = folder->firstChild()->next();
    const CatalogItem* disk4 = disk2->next()->next();
    const CatalogItem* items[] = {disk2, disk4};
    const std::string bytes = SelectionBytes(items);

    FileBytes start;
    start.header().u8(0).u32(2);
    ASSERT_EQ(bytes.substr(0, start.str().size()), start.str());
    // The first selected disk's flags: not the last sibling, no children.
    const uint16_t flags =
        uint16_t(uint8_t(bytes[start.str().size()]) | uint8_t(bytes[start.str().size() + 1]) << 8);
    EXPECT_EQ(flags, disk2->flags() | itemflag::NoChildren);

    CatalogTree loaded;
    SilentPrompter prompter;
    ASSERT_TRUE(ReadCatalog(bytes, loaded, prompter).ok());
    const CatalogItem* first = loaded.root()->firstChild();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->name(), "Disk 2");
    EXPECT_EQ(first->next()->name(), "Disk 4");
    EXPECT_EQ(first->numberAttribute(attr::DiskNumber), disk2->numberAttribute(attr::DiskNumber));
    // The root carried no counter: new disks continue after the highest number found.
    EXPECT_EQ(loaded.root()->numberAttribute(attr::DiskNumber),
              *disk4->numberAttribute(attr::DiskNumber) + 1);
}

TEST(CatalogFile, ImportVariant) {
    CatalogTree source;
    BuildRichCatalog(source);
    const std::string bytes = CatalogBytes(source);

    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* target = tree.createItem("Imports", root, Last, itemflag::Folder);
    CatalogItem* mine = tree.createItem("mine", root, Last, DiskFlags(MediaType::CdRom));
    tree.assignDiskNumber(mine);
    CatalogReadOptions options;
    options.importTarget = target;
    options.importName = "other.tkd";
    SilentPrompter prompter;
    for (int round = 0; round < 2; ++round) {
        const CatalogReadResult result = ReadCatalog(bytes, tree, prompter, options);
        ASSERT_TRUE(result.ok());
        EXPECT_EQ(result.imported.size(), 3u);
    }
    EXPECT_EQ(tree.topLevel()->next(), nullptr);  // the temporary folders are gone
    EXPECT_FALSE(root->hasAttribute(attr::CategoryDefinitions));
    // Two copies of everything, every disk with its own internal number.
    std::vector<uint32_t> numbers;
    WalkBelow(root, EnterContainers, [&](CatalogItem& item) {
        if (item.isDisk())
            numbers.push_back(*item.numberAttribute(attr::DiskNumber));
        return true;
    });
    EXPECT_EQ(numbers.size(), 13u);
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
    EXPECT_EQ(root->numberAttribute(attr::DiskNumber), 14u);
    // Folder sizes went up with the imported folders (7 << 32 each).
    EXPECT_EQ(target->size(), 14ull << 32);
    // The imported shortcut points at the imported copy of its target.
    const CatalogItem* link = tree.resolvePath("Imports\\link", nullptr);
    ASSERT_NE(link, nullptr);
    const CatalogItem* resolved = tree.resolveShortcut(link, nullptr);
    ASSERT_NE(resolved, nullptr);
    EXPECT_EQ(resolved->name(), "song.mp3");

    // A damaged file adds nothing and keeps the counter.
    const std::string before = Describe(tree);
    EXPECT_FALSE(ReadCatalog(bytes.substr(0, bytes.size() - 10), tree, prompter, options).ok());
    EXPECT_EQ(Describe(tree), before);
    EXPECT_EQ(tree.topLevel()->next(), nullptr);
}

TEST(CatalogFile, SaveToFileAndLoad) {
    testing::TempDir dir;
    CatalogTree tree;
    BuildRichCatalog(tree);
    const std::string path = (dir / "c.tkd").string();
    std::string error;
    ASSERT_TRUE(SaveCatalogTo(path, tree, &error)) << error;
    EXPECT_EQ(testing::ReadFile(path), CatalogBytes(tree));
    CatalogTree loaded;
    SilentPrompter prompter;
    ASSERT_TRUE(ReadCatalogFile(path, loaded, prompter).ok());
    EXPECT_EQ(Describe(loaded), Describe(tree));
    EXPECT_EQ(ReadCatalogFile((dir / "missing.tkd").string(), loaded, prompter).status,
              CatalogReadStatus::CannotOpen);
}

}  // namespace
}  // namespace shelfmark
