#include "lists/ListTable.h"

namespace shelfmark {

size_t ListTable::textBytesOfRows(size_t first, size_t end) const {
    if (first >= end)
        return 0;
    const size_t begin = rows_[first].firstCell;
    return cellEnds_[rows_[end - 1].firstCell + columns_.size() - 1] - (begin == 0 ? 0 : cellEnds_[begin - 1]);
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
