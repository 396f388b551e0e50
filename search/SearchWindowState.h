// What the search window keeps besides the criteria, as logic without a window: New Search's
// reset, the recent-search list and the result column layout.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/SearchCriteria.h"

namespace shelfmark::search {

// New Search: the text is emptied and the General and Extended pages go back to their first
// values (dates to `now`); disks, case sensitivity, extra information, the categories and the
// conditions keep theirs.
void ResetForNewSearch(SearchCriteria& criteria, int64_t now);

// The recent search texts: "MRUList" holds the letters "a" to "y" most recent first, and each
// letter names one text. At most 25 texts.
struct RecentSearches {
    std::string mruList;
    std::map<char, std::string> texts;

    // The texts, most recent first (empty ones left out).
    std::vector<std::string> entries() const;
    // Records a finished search: the selected entry's letter, else the letter of the entry equal
    // to the text (ignoring case), else a new letter after the highest one, or the oldest
    // entry's letter once "y" is used; that letter moves to the front and holds the text.
    void record(std::string_view text, std::optional<char> selectedLetter = std::nullopt);
};

struct ResultColumn {
    uint8_t descriptor = 0;  // index into the column descriptor table
    int32_t width = 0;
};

// Switches a column kind: a present one is removed; an absent one is inserted before the first
// column with a higher descriptor index (at the end when there is none).
void ToggleResultColumn(std::vector<ResultColumn>& columns, uint8_t descriptor, int32_t defaultWidth);

// The saved layout: 6 bytes per column (descriptor, 0, width as 32-bit little-endian), and back.
std::string EncodeResultColumns(const std::vector<ResultColumn>& columns);
std::vector<ResultColumn> DecodeResultColumns(std::string_view bytes);

}  // namespace shelfmark::search
