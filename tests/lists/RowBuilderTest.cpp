#include "lists/RowBuilder.h"

#include <gtest/gtest.h>

#include "catalog/Definitions.h"
#include "tests/lists/ListsTestCatalog.h"

namespace shelfmark {
namespace {

class RowBuilderTest : public ::testing::Test, protected testing::ListsRows {
  protected:
    std::string Text(const CatalogItem* item, uint8_t key, RowSettings settings = {}) {
        return RowBuilder(c.tree, definitions, settings, numbers, dates).columnText(*item, key);
    }
};

TEST_F(RowBuilderTest, SizesInTheirThreeModes) {
    RowSettings bytes;
    bytes.showByteSizes = true;
    EXPECT_EQ(Text(c.artistTitle, 0x01, bytes), "1,000 Bytes");
    EXPECT_EQ(Text(c.artistTitle, 0x01), "1 KB");
    EXPECT_EQ(Text(c.titleOnly, 0x01), "1 KB");  // 1001 / 1024 rounded up
    EXPECT_EQ(Text(c.cover, 0x01), "2 KB");
    // Containers show automatic units, and nothing when directory sizes are off.
    c.tree.setSize(c.pop, 1001);
    EXPECT_EQ(Text(c.pop, 0x01), "0.98 KB");
    c.tree.setSize(c.pop, 1000);
    EXPECT_EQ(Text(c.pop, 0x01), "1,000 Bytes");
    EXPECT_EQ(Text(c.pop, 0x01, bytes), "1,000 Bytes");
    RowSettings noDirectories;
    noDirectories.showDirectorySizes = false;
    EXPECT_EQ(Text(c.pop, 0x01, noDirectories), "");
    EXPECT_EQ(Text(c.disk, 0x01, noDirectories), "");
    EXPECT_EQ(Text(c.artistTitle, 0x01, noDirectories), "1 KB");
    // A playing time wins over the size; a shortcut shows nothing.
    EXPECT_EQ(Text(c.track, 0x01), "3:05");
    EXPECT_EQ(Text(c.shortcut, 0x01), "");
}

TEST_F(RowBuilderTest, StandardColumns) {
    EXPECT_EQ(Text(c.artistTitle, 0x00), "Artist - Title.mp3");
    c.tree.setTextAttribute(c.artistTitle, attr::Description, "My song");
    EXPECT_EQ(Text(c.artistTitle, 0x00), "Artist - Title.mp3");
    EXPECT_EQ(Text(c.artistTitle, 0x80), "My song");
    EXPECT_EQ(Text(c.artistTitle, 0x02), "2020-09-13 12:26");
    EXPECT_EQ(Text(c.artistTitle, 0x03), "MP3-File");
    EXPECT_EQ(Text(c.pop, 0x03), "Directory");
    EXPECT_EQ(Text(c.music, 0x03), "Folder");
    EXPECT_EQ(Text(c.artistTitle, 0x04), "CD One:\\Pop");
    EXPECT_EQ(Text(c.artistTitle, attr::Crc32), "0xDEADBEEF");
    EXPECT_EQ(Text(c.cover, attr::Crc32), "");
    EXPECT_EQ(Text(c.artistTitle, attr::DiskId), "0007");
    EXPECT_EQ(Text(c.disk, attr::DiskId), "0007");
    EXPECT_EQ(Text(c.music, attr::DiskId), "");
    EXPECT_EQ(Text(c.disk, attr::VolumeSerial), "12AB-34CD");
    EXPECT_EQ(Text(c.disk, attr::Volume), "CDONE");
    EXPECT_EQ(Text(c.track, attr::TrackNumber), "01");
    EXPECT_EQ(Text(c.cover, attr::Artist), "");
    c.tree.setNumberAttribute(c.cover, attr::ImageWidth, 640);
    EXPECT_EQ(Text(c.cover, attr::ImageWidth), "640");
    c.tree.setNumberAttribute(c.cover, attr::Categories, 0x0703);
    EXPECT_EQ(Text(c.cover, attr::Categories), "#0003, #0007");
    EXPECT_EQ(Text(c.cover, attr::Thumbnail), "");
    // The description replaces the name when the catalog shows descriptions.
    c.tree.displaySettings().showDescription = true;
    EXPECT_EQ(Text(c.artistTitle, 0x00), "My song");
}

TEST_F(RowBuilderTest, StateByte) {
    EXPECT_EQ(RowState(*c.artistTitle, true), 0);
    EXPECT_EQ(RowState(*c.titleOnly, true), rowstate::Described);
    EXPECT_EQ(RowState(*c.titleOnly, false), 0);
    EXPECT_EQ(RowState(*c.locked, true), rowstate::Protected);
    c.tree.setTextAttribute(c.disk, attr::LentTo, "Ann");
    c.tree.setTextAttribute(c.disk, attr::Description, "d");
    EXPECT_EQ(RowState(*c.disk, true), rowstate::Lent | rowstate::Described);
    c.tree.setTextAttribute(c.shortcut, attr::Description, "d");
    EXPECT_EQ(RowState(*c.shortcut, true), rowstate::Shortcut);
}

TEST_F(RowBuilderTest, SearchAndDuplicateRowsComeFromTheSameBuilder) {
    const CatalogItem* hits[] = {c.cover, c.artistTitle, c.disk};
    const ListTable search = SearchResultList(builder, hits);
    ASSERT_EQ(search.rowCount(), 3u);
    std::vector<std::string> titles;
    for (const ListColumn& column : search.columns())
        titles.push_back(column.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Name", "In Directory", "Size", "Type", "Modified", "Disk ID"}));
    EXPECT_EQ(search.cell(0, 0), "cover.jpg");
    EXPECT_EQ(search.cell(1, 1), "CD One:\\Pop");
    EXPECT_EQ(search.cell(1, 2), "1 KB");
    EXPECT_EQ(search.cell(2, 3), "CD/ DVD");
    EXPECT_EQ(search.cell(2, 5), "0007");
    EXPECT_EQ(search.columns()[2].alignment, ColumnAlignment::Right);

    const std::vector<std::vector<const CatalogItem*>> groups{{c.artistTitle, c.titleOnly}, {c.cover, c.bak}};
    const ListTable dupes = DuplicateResultList(builder, groups);
    ASSERT_EQ(dupes.rowCount(), 4u);
    EXPECT_EQ(dupes.row(0).shade, 0);
    EXPECT_EQ(dupes.row(1).shade, 0);
    EXPECT_EQ(dupes.row(2).shade, 1);
    EXPECT_EQ(dupes.cell(0, 4), "0xDEADBEEF");
    EXPECT_EQ(dupes.columns()[1].width, 320);
    EXPECT_EQ(dupes.columns()[4].title, "CRC32");
}

TEST(ListTable, AHalfAppendedRowIsDropped) {
    ListTable table({{"A", 0, ColumnAlignment::Left, 1}, {"B", 0, ColumnAlignment::Left, 1}});
    table.beginRow(nullptr, 0);
    table.appendCell("a0");
    table.appendCell("b0");
    table.dropIncompleteRow();  // a whole row stays
    table.beginRow(nullptr, 0);
    table.appendCell("a1");
    table.dropIncompleteRow();
    ASSERT_EQ(table.rowCount(), 1u);
    table.beginRow(nullptr, 0);
    table.appendCell("a2");
    table.appendCell("b2");
    ASSERT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(table.cell(0, 1), "b0");
    EXPECT_EQ(table.cell(1, 0), "a2");
    EXPECT_EQ(table.cell(1, 1), "b2");
}

}  // namespace
}  // namespace shelfmark
