// Archive entries stored as catalog items below the archive item.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "catalog/CatalogTree.h"
#include "reading/archive/ArchiveReaders.h"
#include "tests/reading-archive/ArchiveBytes.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

std::vector<CatalogItem*> Children(const CatalogItem* item) {
    std::vector<CatalogItem*> children;
    for (CatalogItem* child = item->firstChild(); child; child = child->next())
        children.push_back(child);
    return children;
}

class ArchiveItems : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        CatalogItem* root = tree_.resetToNewCatalog();
        archive_ = tree_.createItem("a.zip", root, Last, itemflag::Archive);
    }
    CatalogTree tree_;
    CatalogItem* archive_ = nullptr;
    TempDir dir_;
};

TEST_F(ArchiveItems, DirectoryEntryFirstThenItsFile) {
    ZipLocal directory{"docs/", ""};
    directory.dosTime = 0x0000;  // 00:00:00, unlike the file's time
    const auto path = dir_ / "a.zip";
    WriteFile(path, ZipLocalHeader(directory) + ZipLocalHeader({"docs/a.txt", "hello"}));
    ASSERT_TRUE(ReadArchiveDirectory(ArchiveKind::Zip, path.string(), 0, tree_, archive_, true));
    const auto top = Children(archive_);
    ASSERT_EQ(top.size(), 1u);
    EXPECT_TRUE(top[0]->isDirectory());
    EXPECT_EQ(top[0]->name(), "docs");
    EXPECT_EQ(top[0]->date(), 1577923200);  // 2020-01-02 00:00:00, the directory entry's time
    const auto files = Children(top[0]);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0]->name(), "a.txt");
    EXPECT_EQ(files[0]->size(), 5u);
    EXPECT_EQ(files[0]->numberAttribute(attr::Crc32), 0x99AABBCCu);
}

TEST_F(ArchiveItems, DirectoriesAreSharedWithoutRegardToCase) {
    std::string bytes = RarMarker();
    for (const char* name : {"Dir\\x", "\xC3\x84rger\\y", "dIR\\z", "\xC3\xA4RGER\\w"}) {
        RarFile file{name, "1"};
        file.hostOs = 3;  // UTF-8 names
        bytes += RarFileHeader(file);
    }
    const auto path = dir_ / "a.rar";
    WriteFile(path, bytes);
    ASSERT_TRUE(ReadArchiveDirectory(ArchiveKind::Rar, path.string(), 0, tree_, archive_, false));
    const auto top = Children(archive_);
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0]->name(), "Dir");  // the first spelling is kept
    EXPECT_EQ(Children(top[0]).size(), 2u);
    EXPECT_EQ(Children(top[1]).size(), 2u);
    EXPECT_FALSE(Children(top[0])[0]->hasAttribute(attr::Crc32));  // not asked for
}

TEST_F(ArchiveItems, CabinetsStoreNoCrcAndNothingIsStoredForAPlainFile) {
    const auto plain = dir_ / "x.cab";
    WriteFile(plain, "not a cabinet");
    EXPECT_FALSE(ReadArchiveDirectory(ArchiveKind::Cab, plain.string(), 0, tree_, archive_, true));
    EXPECT_TRUE(Children(archive_).empty());
    if (!HaveProgram("gcab"))
        GTEST_SKIP() << "gcab is not installed";
    WriteFile(dir_ / "f.txt", "content");
    ASSERT_EQ(
        RunCommand("cd " + ShellQuote(dir_.path().string()) + " && gcab -c c.cab f.txt").exitCode,
        0);
    ASSERT_TRUE(ReadArchiveDirectory(ArchiveKind::Cab, (dir_ / "c.cab").string(), 0, tree_,
                                     archive_, true));
    const auto files = Children(archive_);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0]->size(), 7u);
    EXPECT_FALSE(files[0]->hasAttribute(attr::Crc32));
}

}  // namespace
}  // namespace shelfmark::testing
