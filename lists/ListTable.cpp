#include "lists/ListTable.h"

namespace shelfmark {

std::string_view ListTable::cell(size_t rowIndex, size_t column) const {
    const size_t index = rows_[rowIndex].firstCell + column;
    const size_t begin = index == 0 ? 0 : cellEnds_[index - 1];
    return std::string_view(text_).substr(begin, cellEnds_[index] - begin);
}

void ListTable::reserve(size_t rows, size_t textBytes) {
    rows_.reserve(rows);
    cellEnds_.reserve(rows * columns_.size());
    text_.reserve(textBytes);
}

void ListTable::beginRow(const CatalogItem* item, uint8_t state, uint8_t shade) {
    rows_.push_back(Row{item, state, shade, cellEnds_.size()});
}

void ListTable::appendCell(std::string_view text) {
    text_.append(text);
    cellEnds_.push_back(text_.size());
}

void ListTable::dropIncompleteRow() {
    if (rows_.empty() || cellEnds_.size() == rows_.back().firstCell + columns_.size())
        return;
    const size_t first = rows_.back().firstCell;
    cellEnds_.resize(first);
    text_.resize(first == 0 ? 0 : cellEnds_[first - 1]);
    rows_.pop_back();
}

}  // namespace shelfmark
