// A flat list of catalog items: its columns and one row per item with a display text per
// column. Item lists, search results and duplicate results are all ListTables, and the export
// writers and the printer read nothing else.
//
// The cell texts of all rows live in one buffer, so a list of a million rows costs a few large
// allocations instead of one per cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

class CatalogItem;

// Alignment of a column's texts, as profiles store it.
enum class ColumnAlignment : uint8_t { Left = 0, Right = 1, Center = 2 };

struct ListColumn {
    std::string title;
    // What the column shows: a column descriptor key below 0xC0, or '0'..'9' for a format
    // variable of an item-list profile.
    uint8_t value = 0;
    ColumnAlignment alignment = ColumnAlignment::Left;
    int width = 0;  // pixels in the list window
};

// Bits of a row's state byte (a shortcut's state is exactly kRowShortcut).
namespace rowstate {
constexpr uint8_t Lent = 1;
constexpr uint8_t Described = 2;  // has a description, and the overlay setting is on
constexpr uint8_t Protected = 4;
constexpr uint8_t Shortcut = 8;
}  // namespace rowstate

class ListTable {
  public:
    struct Row {
        const CatalogItem* item = nullptr;
        uint8_t state = 0;
        uint8_t shade = 0;  // duplicate results: the group's shade (0 or 1)
        size_t firstCell = 0;
    };

    ListTable() = default;
    explicit ListTable(std::vector<ListColumn> columns) : columns_(std::move(columns)) {}

    const std::vector<ListColumn>& columns() const { return columns_; }
    size_t columnCount() const { return columns_.size(); }
    size_t rowCount() const { return rows_.size(); }
    const Row& row(size_t index) const { return rows_[index]; }
    // Inline: the export writers read every cell of a million rows.
    std::string_view cell(size_t rowIndex, size_t column) const {
        const size_t index = rows_[rowIndex].firstCell + column;
        const size_t begin = index == 0 ? 0 : cellEnds_[index - 1];
        return std::string_view(text_).substr(begin, cellEnds_[index] - begin);
    }
    // All cell texts back to back, row after row (a cell's view lies inside it), and the bytes of
    // the cells of rows [first, end) together; for writers that copy a block of rows at a time.
    std::string_view cellTexts() const { return text_; }
    size_t textBytesOfRows(size_t first, size_t end) const;

    // Room for `rows` rows holding about `textBytes` bytes of cell text in all.
    void reserve(size_t rows, size_t textBytes);
    // Starts a row; exactly columnCount() calls of appendCell must follow before the next.
    void beginRow(const CatalogItem* item, uint8_t state, uint8_t shade = 0);
    void appendCell(std::string_view text);
    // Removes the last row when not all its cells were appended (an allocation failed half-way),
    // so the rows before it stay whole.
    void dropIncompleteRow();

  private:
    std::vector<ListColumn> columns_;
    std::vector<Row> rows_;
    std::string text_;
    std::vector<size_t> cellEnds_;  // end of each cell in text_, row after row
};

}  // namespace shelfmark
