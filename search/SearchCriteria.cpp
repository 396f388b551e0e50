#include "search/SearchCriteria.h"

#include <algorithm>
#include <charconv>

#include "foundation/Utf8Text.h"

namespace shelfmark::search {

std::optional<unsigned> SizeUnitShift(std::string_view unit) {
    for (unsigned i = 0; i < std::size(kSizeUnits); ++i)
        if (text::EqualsNoCase(unit, kSizeUnits[i]))
            return i * 10;
    return std::nullopt;
}

uint64_t SizeTextValue(std::string_view sizeText, unsigned shift) {
    // The leading digits as a 32-bit signed number; digits past its range wrap as the classic
    // conversion did, which the 7-character limit of the field never reaches.
    uint32_t value = 0;
    for (const char c : sizeText) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + uint32_t(c - '0');
    }
    const int64_t extended = int32_t(value);
    return shift >= 64 ? 0 : uint64_t(extended) << shift;
}

SearchCriteria InitialCriteria(int64_t now) {
    SearchCriteria criteria;
    criteria.date1 = now;
    criteria.date2 = now;
    return criteria;
}

std::optional<uint32_t> ParseConditionNumber(std::string_view text) {
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<unsigned> ParseDayCount(std::string_view text) {
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + unsigned(c - '0');
    }
    if (value < 1 || value > 999)
        return std::nullopt;
    return value;
}

std::optional<InvalidField> ValidateCriteria(const SearchCriteria& criteria) {
    if (criteria.dateMode == DateMode::WithinMonths && !ParseDayCount(criteria.months))
        return InvalidField::Months;
    if (criteria.dateMode == DateMode::WithinDays && !ParseDayCount(criteria.days))
        return InvalidField::Days;
    return std::nullopt;
}

void SelectCategory(SearchCriteria& criteria, uint8_t id) {
    auto& ids = criteria.categories;
    const auto at = std::lower_bound(ids.begin(), ids.end(), id);
    if (id != 0 && (at == ids.end() || *at != id))
        ids.insert(at, id);
}

}  // namespace shelfmark::search
