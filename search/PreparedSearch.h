// A search made ready to run: the words split and case-folded once, the text routines chosen
// once, the date window and size value worked out once. The tests on an item's texts take texts
// already folded the way the words were, so the tree walk and the snapshot scan share them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogItem.h"
#include "search/SearchCriteria.h"
#include "search/TextRoutines.h"

namespace shelfmark::search {

// At most this many words are kept; further words of a longer text are dropped.
constexpr size_t kMaxWords = 511;

struct PreparedCondition {
    ExtraInfoCondition condition;  // text: folded when the search ignores case
    TextRoutine routine = TextRoutine::Substring;
};

struct PreparedSearch {
    bool caseSensitive = false;
    bool wholeString = false;
    bool allWords = false;
    bool inDescription = true;
    bool inExtraInfo = false;
    bool kindOn[4] = {true, true, true, true};  // indexed by ItemKind
    std::vector<std::string> words;
    TextRoutine exact = TextRoutine::Equal;
    TextRoutine find = TextRoutine::Substring;

    bool dateTest = false;
    int64_t dateLow = 0;  // accepted dates, both inclusive
    int64_t dateHigh = 0;

    bool sizeFilter = false;
    uint64_t sizeValue = 0;
    SizeOperator sizeOperator = SizeOperator::EqualTo;

    std::vector<uint8_t> categories;  // ascending
    bool excludeCategories = false;

    std::vector<PreparedCondition> conditions;
};

// The kinds a search tells apart, from the flag word.
enum class ItemKind : uint8_t { File = 0, Directory = 1, Disk = 2, Folder = 3 };
// Directory or Archive: a disk when a media type is set, else a directory; then Folder; else a file.
inline ItemKind KindOf(uint16_t flags) {
    if (flags & (itemflag::Directory | itemflag::Archive))
        return (flags & itemflag::MediaType) ? ItemKind::Disk : ItemKind::Directory;
    return (flags & itemflag::Folder) ? ItemKind::Folder : ItemKind::File;
}

// The words of a search text: one word in Normal mode; in the other modes the blank-separated
// pieces, where two adjacent blanks give an empty word (which every text contains).
std::vector<std::string> SplitWords(std::string_view text, WordMode mode);

// Prepares criteria that passed ValidateCriteria; `now` is the time the search starts.
PreparedSearch PrepareSearch(const SearchCriteria& criteria, int64_t now);

// The text as the words see it: folded unless the search is case-sensitive.
std::string ComparableText(const PreparedSearch& search, std::string_view text);

// One of an item's texts (name, description, other text attribute), already comparable, holds
// the search text under the search's word rule.
bool TextHolds(const PreparedSearch& search, std::string_view comparable);

inline bool DateAccepted(const PreparedSearch& search, int32_t date) {
    return !search.dateTest || (date >= search.dateLow && date <= search.dateHigh);
}
// Directories, disks and folders never pass a size filter.
inline bool SizeAccepted(const PreparedSearch& search, uint16_t flags, uint64_t size) {
    if (!search.sizeFilter)
        return true;
    if (flags & (itemflag::Directory | itemflag::Folder))
        return false;
    switch (search.sizeOperator) {
        case SizeOperator::EqualTo:
            return size == search.sizeValue;
        case SizeOperator::AtLeast:
            return size >= search.sizeValue;
        case SizeOperator::AtMost:
            return size <= search.sizeValue;
    }
    return false;
}
// A numeric condition on the item's value under its key (none: the item lacks it).
bool NumberConditionHolds(const ExtraInfoCondition& condition, std::optional<uint32_t> value);
// Every condition holds for the item.
bool ConditionsHold(const PreparedSearch& search, const CatalogItem& item);

// The category state of an item whose categories attribute holds `value`, or of an item without
// one (`value` none), below a parent whose state is `parentState`.
bool CategoryState(const PreparedSearch& search, bool hasCategories, uint32_t value,
                   bool parentState);
// The state of the start item itself.
bool StartCategoryState(const PreparedSearch& search, const CatalogItem& start);

}  // namespace shelfmark::search
