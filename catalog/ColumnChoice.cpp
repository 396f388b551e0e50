#include "catalog/ColumnChoice.h"

#include <algorithm>

#include "catalog/CatalogItem.h"

namespace shelfmark {
namespace {

constexpr uint8_t kNameKey = 0x00;

bool Contains(const std::vector<ColumnChoiceRow>& rows, uint8_t key) {
    return std::any_of(rows.begin(), rows.end(),
                       [key](const ColumnChoiceRow& row) { return row.key == key; });
}

}  // namespace

std::vector<uint8_t> DefaultMainColumns() {
    return {kNameKey, 0x01, 0x03, 0x02, attr::Description};
}

std::vector<ColumnChoiceRow> ColumnChoiceRows(const ColumnTable& table, uint16_t containerFlags,
                                              std::span<const uint8_t> shown) {
    std::vector<ColumnChoiceRow> rows;
    if (const int name = table.indexOfKey(kNameKey); name >= 0)
        rows.push_back({kNameKey, size_t(name), true, true});
    for (const uint8_t key : shown) {
        const int index = table.indexOfKey(key);
        if (index < 0 || table.row(size_t(index)).mask == 0 || Contains(rows, key))
            continue;
        rows.push_back({key, size_t(index), true, false});
    }
    for (size_t i = 0; i < table.size(); ++i) {
        const ColumnDescriptor& column = table.row(i);
        if (ColumnOffered(column, containerFlags) && !Contains(rows, column.key))
            rows.push_back({column.key, i, false, false});
    }
    return rows;
}

std::vector<uint8_t> ChosenColumns(std::span<const ColumnChoiceRow> rows) {
    std::vector<uint8_t> keys{kNameKey};
    for (const ColumnChoiceRow& row : rows)
        if (row.shown && row.key != kNameKey &&
            std::find(keys.begin(), keys.end(), row.key) == keys.end())
            keys.push_back(row.key);
    return keys;
}

}  // namespace shelfmark
