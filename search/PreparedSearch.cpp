#include "search/PreparedSearch.h"

#include <algorithm>

#include "catalog/CatalogItem.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::search {

std::vector<std::string> SplitWords(std::string_view text, WordMode mode) {
    std::vector<std::string> words;
    if (mode == WordMode::Normal) {
        if (!text.empty())
            words.emplace_back(text);
        return words;
    }
    while (!text.empty() && words.size() < kMaxWords) {
        const size_t blank = text.find(' ');
        words.emplace_back(text.substr(0, blank));
        text.remove_prefix(blank == std::string_view::npos ? text.size() : blank + 1);
    }
    return words;
}

std::string ComparableText(const PreparedSearch& search, std::string_view text) {
    return search.caseSensitive ? std::string(text) : text::FoldCase(text);
}

PreparedSearch PrepareSearch(const SearchCriteria& criteria, int64_t now) {
    PreparedSearch search;
    search.caseSensitive = criteria.caseSensitive;
    search.wholeString = criteria.wholeString;
    search.allWords = criteria.wordMode == WordMode::AllWords;
    search.inDescription = criteria.inDescription;
    search.inExtraInfo = criteria.inExtraInfo;
    search.kindOn[size_t(ItemKind::File)] = criteria.files;
    search.kindOn[size_t(ItemKind::Directory)] = criteria.directories;
    search.kindOn[size_t(ItemKind::Disk)] = criteria.disks;
    search.kindOn[size_t(ItemKind::Folder)] = criteria.folders;

    const std::string text = ComparableText(search, criteria.text);
    search.exact = ExactRoutineFor(text);
    search.find = FindRoutineFor(text);
    search.words = SplitWords(text, criteria.wordMode);

    switch (criteria.dateMode) {
        case DateMode::AllFiles:
            break;
        case DateMode::Between:
            search.dateTest = true;
            search.dateLow = std::min(criteria.date1, criteria.date2);
            search.dateHigh = std::max(criteria.date1, criteria.date2);
            break;
        case DateMode::WithinMonths:
        case DateMode::WithinDays: {
            const bool months = criteria.dateMode == DateMode::WithinMonths;
            const unsigned count = ParseDayCount(months ? criteria.months : criteria.days).value_or(1);
            // A month counts as 30.5 days, the total truncated to whole days.
            const int64_t days = months ? int64_t(count) * 61 / 2 : int64_t(count);
            search.dateTest = true;
            search.dateLow = now - days * 86400;
            search.dateHigh = now;
            break;
        }
    }

    search.sizeFilter = !criteria.sizeText.empty();
    search.sizeValue = SizeTextValue(criteria.sizeText, criteria.sizeShift);
    search.sizeOperator = criteria.sizeOperator;

    search.categories = criteria.categories;
    std::sort(search.categories.begin(), search.categories.end());
    search.excludeCategories = criteria.excludeCategories;

    for (const ExtraInfoCondition& condition : criteria.conditions) {
        PreparedCondition prepared{condition, TextRoutine::Substring};
        if (IsTextConditionKey(condition.key)) {
            prepared.condition.text = ComparableText(search, condition.text);
            prepared.routine = condition.op == ConditionOperator::Matches
                                   ? ExactRoutineFor(prepared.condition.text)
                                   : FindRoutineFor(prepared.condition.text);
        }
        search.conditions.push_back(std::move(prepared));
    }
    return search;
}

bool TextHolds(const PreparedSearch& search, std::string_view comparable) {
    if (search.wholeString) {
        return std::any_of(search.words.begin(), search.words.end(), [&](const std::string& w) {
            return RunTextRoutine(search.exact, comparable, w);
        });
    }
    auto found = [&](const std::string& w) { return RunTextRoutine(search.find, comparable, w); };
    if (search.allWords)
        return std::all_of(search.words.begin(), search.words.end(), found);
    return std::any_of(search.words.begin(), search.words.end(), found);
}

namespace {

bool NumberHolds(const ExtraInfoCondition& c, uint32_t v) {
    switch (c.op) {
        case ConditionOperator::LessThan:
            return v < c.value1;
        case ConditionOperator::EqualTo:
            return v == c.value1;
        case ConditionOperator::GreaterThan:
            return v > c.value1;
        case ConditionOperator::Between:
            return c.value1 <= v && v <= c.value2;
        default:
            return false;
    }
}

}  // namespace

bool NumberConditionHolds(const ExtraInfoCondition& condition, std::optional<uint32_t> value) {
    return value && NumberHolds(condition, *value);
}

bool ConditionsHold(const PreparedSearch& search, const CatalogItem& item) {
    for (const PreparedCondition& prepared : search.conditions) {
        const ExtraInfoCondition& c = prepared.condition;
        if (IsNumericConditionKey(c.key)) {
            if (!NumberConditionHolds(c, item.numberAttribute(c.key)))
                return false;
        } else if (IsTextConditionKey(c.key)) {
            const std::optional<std::string_view> v = item.textAttribute(c.key);
            if (!v || !RunTextRoutine(prepared.routine, ComparableText(search, *v), c.text))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

bool CategoryState(const PreparedSearch& search, bool hasCategories, uint32_t value,
                   bool parentState) {
    if (!hasCategories || search.categories.empty())
        return parentState;
    bool member = false;
    for (int i = 0; i < 4 && !member; ++i) {
        const uint8_t id = uint8_t(value >> (8 * i));
        if (id == 0)
            break;
        member = std::binary_search(search.categories.begin(), search.categories.end(), id);
    }
    return member != search.excludeCategories;
}

bool StartCategoryState(const PreparedSearch& search, const CatalogItem& start) {
    if (search.categories.empty())
        return true;
    const std::optional<uint32_t> value = start.numberAttribute(attr::Categories);
    return CategoryState(search, value.has_value(), value.value_or(0), search.excludeCategories);
}

}  // namespace shelfmark::search
