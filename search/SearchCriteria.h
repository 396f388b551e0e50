// What a search looks for: the criteria one search window edits, with the initial values a new
// window starts with, and the values derived from them when a search starts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {
class CatalogItem;
}

namespace shelfmark::search {

enum class WordMode : uint8_t { Normal = 0, AllWords = 1, AnyWord = 2 };
enum class DateMode : uint8_t { AllFiles = 0, Between = 1, WithinMonths = 2, WithinDays = 3 };
enum class SizeOperator : uint8_t { EqualTo = 0, AtLeast = 1, AtMost = 2 };

// Operators of an extra-information condition: the first four for numeric keys, the last two
// for text keys.
enum class ConditionOperator : uint8_t {
    LessThan = 0,
    EqualTo = 1,
    GreaterThan = 2,
    Between = 3,
    Contains = 0x80,
    Matches = 0x81,
};

// Keys 0x40-0x7F are numeric, 0x80-0xBF text; no other key can be searched.
constexpr bool IsNumericConditionKey(uint8_t key) {
    return (key >> 6) == 1;
}
constexpr bool IsTextConditionKey(uint8_t key) {
    return (key >> 6) == 2;
}

// One row of the extra-information conditions.
struct ExtraInfoCondition {
    uint8_t key = 0;
    ConditionOperator op = ConditionOperator::EqualTo;
    uint32_t value1 = 0;  // numeric keys
    uint32_t value2 = 0;  // numeric keys, Between only
    std::string text;     // text keys: the non-empty value
};

// Size units "B" .. "EB" and their shifts 0 .. 60.
inline constexpr std::string_view kSizeUnits[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};
// The shift of a unit name (case-insensitive), or none for an unknown unit.
std::optional<unsigned> SizeUnitShift(std::string_view unit);

// The value of a size text: its leading decimal integer (read as a 32-bit signed number and
// sign-extended) shifted left by `shift`; 0 when the text does not start with digits.
uint64_t SizeTextValue(std::string_view sizeText, unsigned shift);

struct SearchCriteria {
    const CatalogItem* startItem = nullptr;  // the container below which the search runs
    std::string text;
    bool caseSensitive = false;
    bool wholeString = false;
    WordMode wordMode = WordMode::Normal;
    bool inDescription = true;
    bool inExtraInfo = false;

    bool files = true;
    bool directories = true;
    bool disks = true;
    bool folders = true;

    DateMode dateMode = DateMode::AllFiles;
    int64_t date1 = 0;  // seconds since 1970; a new window sets both to the current time
    int64_t date2 = 0;
    std::string months = "1";  // decimal texts, 1 to 999
    std::string days = "1";

    std::string sizeText;  // at most 7 characters; empty: no size filter
    unsigned sizeShift = 10;
    SizeOperator sizeOperator = SizeOperator::EqualTo;

    std::vector<uint8_t> categories;  // identifiers 1-255, ascending
    bool excludeCategories = false;

    std::vector<ExtraInfoCondition> conditions;
};

// Which field keeps a search from starting.
enum class InvalidField : uint8_t { Months, Days };

// The criteria as a new window holds them, with both dates set to `now`.
SearchCriteria InitialCriteria(int64_t now);

// The field that is not filled out correctly: the months (days) text when that date mode is
// chosen and the text is not a plain decimal number from 1 to 999. None when the search may start.
std::optional<InvalidField> ValidateCriteria(const SearchCriteria& criteria);

// A month and day count text's value (1 to 999), or none.
std::optional<unsigned> ParseDayCount(std::string_view text);

// A numeric condition's value: a plain unsigned decimal that fits 32 bits, nothing else.
std::optional<uint32_t> ParseConditionNumber(std::string_view text);

// Adds an identifier to the selected categories, keeping them sorted and without repeats.
void SelectCategory(SearchCriteria& criteria, uint8_t id);

}  // namespace shelfmark::search
