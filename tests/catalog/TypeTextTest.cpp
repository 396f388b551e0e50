#include <gtest/gtest.h>

#include "catalog/CatalogTree.h"
#include "catalog/FileTypeNames.h"

namespace shelfmark {
namespace {

TEST(TypeText, KindsAndMediaTypes) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    auto type = [&](uint16_t flags, const char* name = "x") {
        return tree.typeText(tree.createItem(name, root, Last, flags));
    };
    EXPECT_EQ(type(itemflag::Folder), "Folder");
    EXPECT_EQ(type(itemflag::Directory), "Directory");
    EXPECT_EQ(type(itemflag::Shortcut | itemflag::Folder), "Shortcut");
    EXPECT_EQ(type(DiskFlags(MediaType::CdRom)), "CD/ DVD");
    EXPECT_EQ(type(DiskFlags(MediaType::AudioCd)), "Audio CD");
    EXPECT_EQ(type(DiskFlags(MediaType::Removable)), "Removable Disk");
    EXPECT_EQ(type(DiskFlags(MediaType::HardDisk)), "Hard Disk");
    EXPECT_EQ(type(DiskFlags(MediaType::Network)), "Network Drive");
    EXPECT_EQ(type(DiskFlags(MediaType::VideoCd)), "(Super) Video CD");
    EXPECT_EQ(type(DiskFlags(MediaType::CdRom) | itemflag::ReWritable), "CD/ DVD, ReWritable");
    EXPECT_EQ(type(itemflag::Directory | uint16_t(9 << 3)), "Unknown Disk Type");
}

class FixedNames : public FileTypeNameProvider {
  public:
    std::string typeNameForExtension(std::string_view extension) override {
        seen = std::string(extension);
        return extension == ".txt" ? "Text Document" : "";
    }
    std::string seen;
};

TEST(TypeText, FileTypeNamesWithAndWithoutProvider) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* file = tree.createItem("notes.xyz", root, Last, 0);
    CatalogItem* zip = tree.createItem("a.b.zip", root, Last, itemflag::Archive);
    CatalogItem* plain = tree.createItem("README", root, Last, 0);
    EXPECT_EQ(tree.typeText(file), "XYZ-File");
    EXPECT_EQ(tree.typeText(zip), "ZIP-File");
    EXPECT_EQ(tree.typeText(plain), "File");

    FixedNames names;
    SetFileTypeNameProvider(&names);
    tree.setName(file, "notes.txt");
    EXPECT_EQ(tree.typeText(file), "Text Document");
    EXPECT_EQ(names.seen, ".txt");
    EXPECT_EQ(tree.typeText(zip), "ZIP-File");  // the provider has no name for it
    SetFileTypeNameProvider(nullptr);
    EXPECT_EQ(tree.typeText(file), "TXT-File");
}

TEST(TypeText, DisplayNameUsesDescriptionOnlyWhenAsked) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    CatalogItem* item = tree.createItem("track01.cda", root, Last, 0);
    tree.setTextAttribute(item, attr::Description, "Intro");
    EXPECT_EQ(tree.displayName(item, false), "track01.cda");
    tree.displaySettings().showDescription = true;
    EXPECT_EQ(tree.displayName(item, false), "Intro");
    EXPECT_EQ(tree.displayName(item, true), "track01.cda");
}

}  // namespace
}  // namespace shelfmark
