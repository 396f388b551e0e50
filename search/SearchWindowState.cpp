#include "search/SearchWindowState.h"

#include <algorithm>

#include "foundation/Utf8Text.h"

namespace shelfmark::search {

void ResetForNewSearch(SearchCriteria& criteria, int64_t now) {
    criteria.text.clear();
    criteria.files = criteria.directories = criteria.folders = true;
    criteria.inDescription = true;
    criteria.wholeString = false;
    criteria.wordMode = WordMode::Normal;
    criteria.dateMode = DateMode::AllFiles;
    criteria.sizeOperator = SizeOperator::EqualTo;
    criteria.date1 = criteria.date2 = now;
    criteria.months = criteria.days = "1";
    criteria.sizeText.clear();
}

std::vector<std::string> RecentSearches::entries() const {
    std::vector<std::string> out;
    for (const char letter : mruList) {
        const auto at = texts.find(letter);
        if (at != texts.end() && !at->second.empty())
            out.push_back(at->second);
    }
    return out;
}

void RecentSearches::record(std::string_view text, std::optional<char> selectedLetter) {
    std::optional<char> letter = selectedLetter;
    if (!letter) {
        for (const char l : mruList) {
            const auto at = texts.find(l);
            if (at != texts.end() && text::EqualsNoCase(at->second, text)) {
                letter = l;
                break;
            }
        }
    }
    if (!letter) {
        const char highest = mruList.empty() ? char('a' - 1) : *std::max_element(mruList.begin(), mruList.end());
        letter = highest >= 'y' ? mruList.back() : char(highest + 1);
    }
    mruList.erase(std::remove(mruList.begin(), mruList.end(), *letter), mruList.end());
    mruList.insert(mruList.begin(), *letter);
    texts[*letter] = std::string(text);
}

void ToggleResultColumn(std::vector<ResultColumn>& columns, uint8_t descriptor, int32_t defaultWidth) {
    const auto present = std::find_if(columns.begin(), columns.end(),
                                      [&](const ResultColumn& c) { return c.descriptor == descriptor; });
    if (present != columns.end()) {
        columns.erase(present);
        return;
    }
    const auto before = std::find_if(columns.begin(), columns.end(),
                                     [&](const ResultColumn& c) { return c.descriptor > descriptor; });
    columns.insert(before, {descriptor, defaultWidth});
}

std::string EncodeResultColumns(const std::vector<ResultColumn>& columns) {
    std::string out;
    for (const ResultColumn& c : columns) {
        out += char(c.descriptor);
        out += '\0';
        const uint32_t width = uint32_t(c.width);
        for (int i = 0; i < 4; ++i)
            out += char((width >> (8 * i)) & 0xFF);
    }
    return out;
}

std::vector<ResultColumn> DecodeResultColumns(std::string_view bytes) {
    std::vector<ResultColumn> out;
    for (size_t at = 0; at + 6 <= bytes.size(); at += 6) {
        uint32_t width = 0;
        for (int i = 0; i < 4; ++i)
            width |= uint32_t(uint8_t(bytes[at + 2 + size_t(i)])) << (8 * i);
        out.push_back({uint8_t(bytes[at]), int32_t(width)});
    }
    return out;
}

}  // namespace shelfmark::search
