#include "catalog/ColumnChoice.h"

#include <gtest/gtest.h>

#include <string>

#include "catalog/CatalogItem.h"

namespace shelfmark {
namespace {

std::vector<uint8_t> Keys(const std::vector<ColumnChoiceRow>& rows) {
    std::vector<uint8_t> keys;
    for (const ColumnChoiceRow& row : rows)
        keys.push_back(row.key);
    return keys;
}

bool Offers(const std::vector<ColumnChoiceRow>& rows, uint8_t key) {
    for (const ColumnChoiceRow& row : rows)
        if (row.key == key)
            return true;
    return false;
}

// The expectations below are read off the column table by hand: mask 2 rows (Volume, Lent to,
// Location, Volume Serial Number) belong to folder listings, mask 1 rows (#, Width, Height,
// Bit depth, MD5) to directory listings, CRC32 (mask 5) also to archives.
TEST(ColumnChoice, OffersTheRowsOfTheContainerKind) {
    const ColumnTable table;
    const std::vector<uint8_t> none;
    const auto folder = ColumnChoiceRows(table, itemflag::Folder, none);
    EXPECT_EQ(folder.size(), 19u);
    for (uint8_t key : {0x81, 0x82, 0x88, 0x43, 0x41, 0x42})
        EXPECT_TRUE(Offers(folder, key)) << int(key);
    for (uint8_t key : {0x40, 0x4A, 0x4B, 0x4C, 0x4D, 0x8C, 0xC5})
        EXPECT_FALSE(Offers(folder, key)) << int(key);

    const auto disk = ColumnChoiceRows(table, DiskFlags(MediaType::HardDisk), none);
    EXPECT_EQ(disk.size(), 21u);
    for (uint8_t key : {0x40, 0x4A, 0x4B, 0x4C, 0x4D, 0x8C, 0x41})
        EXPECT_TRUE(Offers(disk, key)) << int(key);
    for (uint8_t key : {0x81, 0x82, 0x88, 0x43, 0xC5})
        EXPECT_FALSE(Offers(disk, key)) << int(key);

    const auto archive = ColumnChoiceRows(table, itemflag::Archive, none);
    EXPECT_TRUE(Offers(archive, 0x40));
    EXPECT_FALSE(Offers(archive, 0x4A));
    EXPECT_FALSE(Offers(archive, 0x41));  // categories: folders and directories only
}

TEST(ColumnChoice, ShownFirstInOrderThenTableOrderThenUserRows) {
    ColumnTable table;
    table.appendUserRow(0xB1, "Shelf");
    table.appendUserRow(0x70, "Rating");
    const std::vector<uint8_t> shown{0x00, 0x80, 0x01};
    const auto rows = ColumnChoiceRows(table, itemflag::Directory, shown);
    const std::vector<uint8_t> keys = Keys(rows);
    ASSERT_GE(keys.size(), 5u);
    EXPECT_EQ((std::vector<uint8_t>(keys.begin(), keys.begin() + 5)),
              (std::vector<uint8_t>{0x00, 0x80, 0x01, 0x03, 0x02}));
    EXPECT_TRUE(rows[0].fixed && rows[0].shown);
    EXPECT_TRUE(rows[1].shown && rows[2].shown);
    EXPECT_FALSE(rows[3].shown);
    EXPECT_EQ(keys[keys.size() - 2], 0xB1);
    EXPECT_EQ(keys.back(), 0x70);
    EXPECT_EQ(table.row(rows.back().row).title, "Rating");
}

TEST(ColumnChoice, KeepsShownColumnsDropsUnknownAndThumbnail) {
    const ColumnTable table;
    // Volume is a folder column; shown while a directory is listed it stays, ticked, to be
    // taken away. A key the table lacks (a removed user field) and the thumbnail go.
    const std::vector<uint8_t> shown{0x01, 0x81, 0xB7, 0xC5, 0x01};
    const auto rows = ColumnChoiceRows(table, itemflag::Directory, shown);
    const std::vector<uint8_t> keys = Keys(rows);
    ASSERT_GE(keys.size(), 3u);
    EXPECT_EQ((std::vector<uint8_t>(keys.begin(), keys.begin() + 3)),
              (std::vector<uint8_t>{0x00, 0x01, 0x81}));
    EXPECT_FALSE(Offers(rows, 0xB7));
    EXPECT_FALSE(Offers(rows, 0xC5));
    EXPECT_EQ(ChosenColumns(rows), (std::vector<uint8_t>{0x00, 0x01, 0x81}));
}

TEST(ColumnChoice, ChosenKeepsNameFirstAndRowOrder) {
    const ColumnTable table;
    auto rows = ColumnChoiceRows(table, itemflag::Folder, DefaultMainColumns());
    EXPECT_EQ(ChosenColumns(rows), DefaultMainColumns());
    // The user unticks the name, ticks Lent to and moves it to the top.
    rows[0].shown = false;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].key == 0x82) {
            rows[i].shown = true;
            std::swap(rows[0], rows[i]);
        }
    const std::vector<uint8_t> chosen = ChosenColumns(rows);
    ASSERT_GE(chosen.size(), 2u);
    EXPECT_EQ(chosen[0], 0x00);
    EXPECT_EQ(chosen[1], 0x82);
    EXPECT_EQ(chosen.size(), 6u);
    EXPECT_EQ(ChosenColumns(std::vector<ColumnChoiceRow>{}), (std::vector<uint8_t>{0x00}));
}

}  // namespace
}  // namespace shelfmark
