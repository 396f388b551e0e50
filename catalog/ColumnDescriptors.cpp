#include "catalog/ColumnDescriptors.h"

#include "catalog/CatalogItem.h"

namespace shelfmark {
namespace {

struct BuiltinColumn {
    uint8_t key;
    const char* title;
    int titleKey;
    uint16_t mask;
    int width;
    int align;
};

constexpr BuiltinColumn kBuiltinColumns[kBuiltinColumnCount] = {
    {0x00, "Name", 73, 127, 150, 0},
    {0x01, "Size", 74, 127, 75, 1},
    {0x03, "Type", 75, 127, 100, 0},
    {0x02, "Modified", 76, 127, 100, 0},
    {0x80, "Description", 144, 127, 150, 0},
    {0x04, "In Directory", 86, 127, 150, 0},
    {0x42, "Disk ID", 158, 127, 40, 1},
    {0x81, "Volume", 159, 2, 80, 0},
    {0x82, "Lent to", 72, 2, 100, 0},
    {0x40, "CRC32", 0, 5, 80, 0},
    {0x41, "Categories", 188, 3, 100, 0},
    {0x4A, "#", 0, 1, 27, 0},
    {0x85, "Artist", 219, 127, 80, 0},
    {0x86, "Title", 220, 127, 80, 0},
    {0x87, "Source", 221, 127, 80, 0},
    {0x88, "Location", 222, 2, 80, 0},
    {0x89, "Comment", 223, 127, 80, 0},
    {0x8A, "Author", 224, 127, 80, 0},
    {0x8B, "Album", 225, 127, 80, 0},
    {0x4B, "Width", 232, 1, 80, 1},
    {0x4C, "Height", 233, 1, 80, 1},
    {0x4D, "Bit depth", 234, 1, 80, 1},
    {0x8C, "MD5", 0, 1, 100, 0},
    {0x8D, "Serial number", 245, 127, 100, 0},
    {0x43, "Volume Serial Number", 247, 2, 80, 0},
    {0xC5, "Thumbnail", 255, 0, 0, 0},
};

}  // namespace

ColumnTable::ColumnTable() {
    clearUserRows();
}

const ColumnDescriptor* ColumnTable::findKey(uint8_t key) const {
    const int index = indexOfKey(key);
    return index < 0 ? nullptr : &rows_[size_t(index)];
}

int ColumnTable::indexOfKey(uint8_t key) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].key == key)
            return int(i);
    }
    return -1;
}

void ColumnTable::clearUserRows() {
    rows_.clear();
    for (const BuiltinColumn& column : kBuiltinColumns)
        rows_.push_back({column.key, column.title, column.titleKey, column.mask, column.width,
                         column.align});
}

void ColumnTable::appendUserRow(uint8_t key, std::string name) {
    const bool number = ClassOfKey(key) == AttributeClass::Number;
    rows_.push_back({key, std::move(name), 0, 127, 80, number ? 1 : 0});
}

}  // namespace shelfmark
