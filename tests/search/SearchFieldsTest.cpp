// Category and field names read from definition blocks written out by hand.
#include <gtest/gtest.h>

#include "catalog/CatalogTree.h"
#include "search/SearchFields.h"

namespace shelfmark::search {
namespace {

TEST(SearchFields, CategoryNamesFromTheDefinitionBlock) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    const uint8_t block[] = {8,                                       // next identifier
                             1, 3, 5, 'M', 'u', 's', 'i', 'c',        // category 3
                             2, 4, 4, 'J', 'a', 'z', 'z',             // its sub-category 4
                             1, 7, 255, 254, 2, 0xD6, 0, 'k', 0,      // wide "Ök"
                             1, 9, 200, 'x'};                         // cut short: ignored
    tree.setBlockAttribute(root, attr::CategoryDefinitions, block);
    const std::vector<NamedKey> categories = NamedCategories(*root);
    ASSERT_EQ(categories.size(), 3u);
    EXPECT_EQ(categories[0].name, "Music");
    EXPECT_EQ(categories[1].key, 4);
    EXPECT_EQ(categories[2].name, "\xC3\x96k");
    EXPECT_EQ(FindNamedKey(categories, "jazz"), 4);
    EXPECT_EQ(FindNamedKey(categories, "\xC3\xB6K"), 7);
    EXPECT_EQ(FindNamedKey(categories, "9"), 9);  // by number
    EXPECT_EQ(FindNamedKey(categories, "0"), std::nullopt);
    EXPECT_EQ(FindNamedKey(categories, "256"), std::nullopt);
    EXPECT_EQ(FindNamedKey(categories, "Rock"), std::nullopt);
    EXPECT_TRUE(NamedCategories(*tree.createItem("x", root, Last, 0)).empty());
}

TEST(SearchFields, BuiltInThenUserDefinedFields) {
    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    const uint8_t block[] = {3, 0xB1, 4, 'M', 'o', 'o', 'd', 0x72, 6, 'R', 'a', 't', 'i', 'n', 'g',
                             0xC5, 1, 'j'};  // not a searchable key: left out
    tree.setBlockAttribute(root, attr::ExtraInfoDefinitions, block);
    const std::vector<NamedKey> fields = ConditionFields(*root);
    ASSERT_EQ(fields.size(), 15u);
    EXPECT_EQ(fields[0].name, "#");
    EXPECT_EQ(fields[12].name, "Serial number");
    EXPECT_EQ(FindNamedKey(fields, "mood"), 0xB1);
    EXPECT_EQ(FindNamedKey(fields, "Rating"), 0x72);
    EXPECT_EQ(FindNamedKey(fields, "bit depth"), attr::ImageBitDepth);
    EXPECT_EQ(FindNamedKey(fields, "0x85"), attr::Artist);
    EXPECT_EQ(FindNamedKey(fields, "0xZZ"), std::nullopt);
}

}  // namespace
}  // namespace shelfmark::search
