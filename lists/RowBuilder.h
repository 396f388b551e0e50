// The row builder shared by every list of items (item lists, search results, duplicate
// results): the display text of each column kind for an item, and the row's state byte.
//
// Column values by key:
//   0x00 the display name (the description instead when the catalog shows descriptions)
//   0x01 the size: empty for shortcuts; for directories, disks and folders only when directory
//        sizes are shown, in automatic units; for other items in kilobytes; always in bytes when
//        byte sizes are chosen; the playing time instead when the item has one (0x49)
//   0x02 the modification date and time (local time, user's short formats)
//   0x03 the type text
//   0x04 the location: the display path of the item's parent
//   0x40 "0x%08X" of the CRC32 (files and archives only)
//   0x41 the category names joined by ", "
//   0x42 "%04d" of the Disk ID of the item's disk
//   0x43 "%04X-%04X" of the volume serial
//   0x4A "%02d" of the track number when not 0
//   other 0x40-0x7F: the number; 0x80-0xBF: the text; anything else: empty
// Format-variable columns ('0'..'9') are filled by the item-list walk, empty here.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <unordered_map>

#include "foundation/NumberFormat.h"
#include "foundation/ValueTexts.h"
#include "lists/DateTextCache.h"
#include "lists/ListTable.h"

namespace shelfmark {

class CatalogDefinitions;
class CatalogItem;
class CatalogTree;

// The program settings that change row texts (the description switch is the tree's own).
struct RowSettings {
    bool showDirectorySizes = true;      // bShowDirectorySizes
    bool showByteSizes = false;          // bShowByteSizes
    bool showDescriptionOverlay = true;  // bShowDescriptionOverlay
};

// The state byte: exactly rowstate::Shortcut for a shortcut; otherwise Lent, Described (only
// with the overlay setting on) and Protected as they apply.
uint8_t RowState(const CatalogItem& item, bool showDescriptionOverlay);

// Whether a column value byte names a format variable ('0'..'9').
inline bool IsVariableColumn(uint8_t value) {
    return value >= '0' && value <= '9';
}

// The text of the column kinds whose form depends on the item alone: CRC32 (0x40), Disk ID (0x42),
// volume serial (0x43) and track number (0x4A), in the forms above; nullopt for any other key.
// Every list that shows these columns, the main window's too, takes its text from here.
std::optional<std::string> ItemNumberText(const CatalogItem& item, uint8_t value);

// One builder serves one list at a time (its caches are not shared between threads).
class RowBuilder {
  public:
    // `definitions` names the categories; all references must outlive the builder.
    RowBuilder(const CatalogTree& tree, const CatalogDefinitions& definitions,
               RowSettings settings = {}, const NumberFormat& numbers = NumberFormat::User(),
               const DateFormat& dates = DateFormat::User());

    // The text of column kind `value` for `item`. `location` is the item's location text when
    // the caller has it; otherwise it is computed.
    std::string columnText(const CatalogItem& item, uint8_t value,
                           const std::string* location = nullptr) const;

    // Appends the item's row to `table`, one cell per column of the table. The first column of
    // each format variable gets `pieces[digit]` when given; other columns of it stay empty.
    void appendRow(ListTable& table, const CatalogItem& item, uint8_t shade = 0,
                   std::span<const std::string_view> pieces = {});

    // The location text of the item (the display path of its parent), computed once per parent
    // as long as successive calls name items of the same parent.
    const std::string& locationOf(const CatalogItem& item);

  private:
    const CatalogTree& tree_;
    const CatalogDefinitions& definitions_;
    RowSettings settings_;
    const NumberFormat& numbers_;
    // Made once per list: dates by day and minute, file types by extension.
    mutable DateTextCache dates_;
    mutable std::unordered_map<std::string, std::string> fileTypes_;
    const CatalogItem* locationParent_ = nullptr;
    bool haveLocation_ = false;
    std::string location_;
    std::string scratch_;
};

// Columns of a list made from descriptor keys (titles, alignment and widths from the shared
// column table); a key the table lacks is left out.
std::vector<ListColumn> DescriptorColumns(std::span<const uint8_t> keys);

// The columns a search result shows: Name, In Directory, Size, Type, Modified, Disk ID.
std::vector<ListColumn> SearchResultColumns();
// The columns of a duplicate search: Name, In Directory, Size, Modified, CRC32.
std::vector<ListColumn> DuplicateResultColumns();

// The rows of a search result, one per hit in hit order.
ListTable SearchResultList(RowBuilder& builder, std::span<const CatalogItem* const> hits);
// The rows of a duplicate search, group after group, each row carrying its group's shade.
ListTable DuplicateResultList(RowBuilder& builder,
                              std::span<const std::vector<const CatalogItem*>> groups);

}  // namespace shelfmark
