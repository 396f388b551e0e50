// The rules of the main list's column chooser: which rows of the shared column table it offers
// for the shown container, in which order, and what the list shows before the user chooses.
// The dialog only shows these rows and hands the ticked keys back through ChosenColumns.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "catalog/ColumnDescriptors.h"

namespace shelfmark {

struct ColumnChoiceRow {
    uint8_t key = 0;
    size_t row = 0;      // index into the column table, for the title and the default width
    bool shown = false;  // ticked in the chooser
    bool fixed = false;  // the name column: always shown and always first
};

// The columns the main list shows until the user chooses: name, size, type, modified, description.
std::vector<uint8_t> DefaultMainColumns();

// The chooser's rows for a listing of a container with `containerFlags`: the shown columns first
// in their shown order (kept even when this container would not offer them, so the user can take
// them away), then every other offered row in table order, the user-defined rows last as the
// table has them. A row with mask 0 never appears; keys the table does not know are dropped.
std::vector<ColumnChoiceRow> ColumnChoiceRows(const ColumnTable& table, uint16_t containerFlags,
                                              std::span<const uint8_t> shown);

// The keys to show from the chooser's rows as the user left them: the ticked ones in row order,
// the name column first whatever was done to it.
std::vector<uint8_t> ChosenColumns(std::span<const ColumnChoiceRow> rows);

}  // namespace shelfmark
