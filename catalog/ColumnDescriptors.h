// The shared table of column kinds every item list shows its columns from: 26 built-in rows,
// then one row per user-defined extra-information field of the open catalog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace shelfmark {

struct ColumnDescriptor {
    uint8_t key = 0;  // attribute key, or a pseudo-key 0x00-0x04 (name, size, date, type, place)
    std::string title;  // built-in English title, or the definition's name for a user row
    int titleKey = 0;   // key in section Strings; 0: no language key, the title is shown as is
    uint16_t mask = 0;  // item flag bits of the containers in whose listings the column is offered
    int width = 0;      // default width in pixels
    int align = 0;      // 0 left, 1 right
};

inline constexpr size_t kBuiltinColumnCount = 26;

class ColumnTable {
  public:
    ColumnTable();
    size_t size() const { return rows_.size(); }
    const ColumnDescriptor& row(size_t index) const { return rows_[index]; }
    // The first row showing `key`; null when none does.
    const ColumnDescriptor* findKey(uint8_t key) const;
    // The row index of the first row showing `key`; -1 when none does.
    int indexOfKey(uint8_t key) const;
    // Drops the user rows; the built-in rows stay.
    void clearUserRows();
    // A user-defined field's row: offered everywhere, 80 pixels, numbers right-aligned.
    void appendUserRow(uint8_t key, std::string name);

  private:
    std::vector<ColumnDescriptor> rows_;
};

// Whether a column is offered in a column chooser for listings of containers with these flags.
inline bool ColumnOffered(const ColumnDescriptor& column, uint16_t containerFlags) {
    return (column.mask & containerFlags) != 0;
}

}  // namespace shelfmark
