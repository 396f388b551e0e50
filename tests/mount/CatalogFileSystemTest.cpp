#include "mount/CatalogFileSystem.h"

#include <gtest/gtest.h>

#include "catalog/CatalogTree.h"
#include "tests/catalog/EditTestCatalog.h"

namespace shelfmark {
namespace {

using testing::At;

std::vector<std::string> Names(CatalogFileSystem& fs, const char* path) {
    std::vector<std::string> names;
    const CatalogItem* item = fs.lookup(path);
    EXPECT_NE(item, nullptr) << path;
    if (item)
        for (const auto& [name, child] : fs.entries(*item))
            names.push_back(name);
    return names;
}

bool Build(CatalogTree& tree) {
    tree.resetToNewCatalog();
    testing::BuildEditCatalog(tree);
    return true;
}

class CatalogFileSystemTest : public ::testing::Test {
  protected:
    CatalogTree tree;
    bool built = Build(tree);
    std::vector<const CatalogItem*> asked;
    CatalogFileSystem fs{*tree.root(), [this](const CatalogItem& file) -> std::optional<std::string> {
                             asked.push_back(&file);
                             return "/media/" + std::string(file.name());
                         }};
};

TEST_F(CatalogFileSystemTest, PathsListingsAndAttributes) {
    EXPECT_EQ(fs.lookup("/"), tree.root());
    EXPECT_EQ(fs.lookup(""), tree.root());
    EXPECT_EQ(fs.lookup("/Music/Rock/Rock One/Album/track1.mp3"),
              At(tree, "Music\\Rock\\Rock One\\Album\\track1.mp3"));
    EXPECT_EQ(fs.lookup("//Music///Rock/./Rock One/"), At(tree, "Music\\Rock\\Rock One"));
    EXPECT_EQ(fs.lookup("/music"), nullptr);  // file systems compare names exactly
    EXPECT_EQ(fs.lookup("/Music/Rock/Rock One/cover.jpg/x"), nullptr);
    EXPECT_EQ(Names(fs, "/"), (std::vector<std::string>{"Backup", "Music", "Loose"}));
    // An archive is a directory of its entries.
    EXPECT_EQ(Names(fs, "/Music/Rock/Rock One/songs.zip"), (std::vector<std::string>{"a.txt", "sub"}));

    const struct stat disk = fs.attributes(*fs.lookup("/Music/Rock/Rock One"));
    EXPECT_TRUE(S_ISDIR(disk.st_mode));
    EXPECT_EQ(disk.st_mode & 0777, 0555u);
    EXPECT_EQ(disk.st_nlink, 2u + 2);  // Album and songs.zip
    const struct stat file = fs.attributes(*fs.lookup("/Backup/B1/Docs/letter.doc"));
    EXPECT_TRUE(S_ISREG(file.st_mode));
    EXPECT_EQ(file.st_mode & 0777, 0444u);
    EXPECT_EQ(file.st_size, 4000);
    EXPECT_EQ(file.st_blocks, 8);
    EXPECT_EQ(file.st_mtim.tv_sec, 1'600'000'000);
}

TEST_F(CatalogFileSystemTest, NamesAreMadeUniqueAndSafe) {
    CatalogItem* loose = At(tree, "Loose");
    for (const char* name : {"a/b", ".", "..", "twice", "twice", "twice", "twice (2)"})
        tree.createItem(name, loose, Last, 0);
    tree.createItem(std::string_view("n\0l", 3), loose, Last, 0);
    tree.createItem("link", loose, Last, itemflag::Shortcut);
    EXPECT_EQ(Names(fs, "/Loose"),
              (std::vector<std::string>{"a\xE2\x88\x95" "b", "(.)", "(..)", "twice", "twice (2)",
                                        "twice (3)", "twice (2) (2)", "n\xEF\xBF\xBDl"}));
    EXPECT_NE(fs.lookup("/Loose/twice (3)"), nullptr);
    EXPECT_NE(fs.lookup("/Loose/a\xE2\x88\x95" "b"), nullptr);
    EXPECT_EQ(fs.lookup("/Loose/link"), nullptr);
}

TEST_F(CatalogFileSystemTest, LockedContentsAreAnEmptyDirectory) {
    const uint8_t check[] = {1, 2, 3, 4};
    tree.setBlockAttribute(At(tree, "Backup"), attr::PasswordCheck, check);
    EXPECT_TRUE(Names(fs, "/Backup").empty());
    EXPECT_EQ(fs.lookup("/Backup/B1"), nullptr);
    EXPECT_EQ(fs.attributes(*fs.lookup("/Backup")).st_nlink, 2u);
}

TEST_F(CatalogFileSystemTest, ExtendedAttributesAndRealPaths) {
    const auto disk = CatalogFileSystem::ExtendedAttributes(*fs.lookup("/Backup/B1"));
    EXPECT_EQ(disk, (std::vector<std::pair<std::string, std::string>>{
                        {"user.shelfmark.description", "weekly backup"},
                        {"user.shelfmark.lent-to", "Bob"}}));
    const auto letter = CatalogFileSystem::ExtendedAttributes(*fs.lookup("/Backup/B1/Docs/letter.doc"));
    EXPECT_EQ(letter, (std::vector<std::pair<std::string, std::string>>{
                          {"user.shelfmark.crc32", "deadbeef"}}));

    EXPECT_EQ(fs.realPath(*fs.lookup("/Backup/B1/Docs/letter.doc")), "/media/letter.doc");
    // An archive is a file on the medium; its entries are not.
    EXPECT_EQ(fs.realPath(*fs.lookup("/Backup/B1/old.zip")), "/media/old.zip");
    EXPECT_EQ(fs.realPath(*fs.lookup("/Backup/B1/old.zip/x.txt")), std::nullopt);
    EXPECT_EQ(fs.realPath(*fs.lookup("/Backup/B1/Docs")), std::nullopt);
    EXPECT_EQ(asked.size(), 2u);
}

}  // namespace
}  // namespace shelfmark
