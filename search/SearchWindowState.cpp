#include "search/SearchWindowState.h"

#include <algorithm>
#include <utility>

#include "catalog/ColumnDescriptors.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark::search {

void ResetForNewSearch(SearchCriteria& criteria, int64_t now, const CatalogItem* openContainer) {
    criteria.startItem = openContainer;
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

RecentSearches RecentSearches::Load(const SettingsStore& store) {
    RecentSearches recent;
    // Only the letters a list of 25 can use, each once; anything else in the value is dropped.
    for (const char letter : store.getText(kRecentSearchListSubKey, "MRUList")) {
        if (letter < 'a' || letter > 'y' || recent.mruList.find(letter) != std::string::npos)
            continue;
        recent.mruList += letter;
        recent.texts[letter] = store.getText(kRecentSearchListSubKey, std::string(1, letter));
    }
    return recent;
}

void RecentSearches::save(SettingsStore& store) const {
    store.setText(kRecentSearchListSubKey, "MRUList", mruList);
    for (const char letter : mruList) {
        const auto at = texts.find(letter);
        store.setText(kRecentSearchListSubKey, std::string(1, letter),
                      at == texts.end() ? std::string_view() : std::string_view(at->second));
    }
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

std::vector<ResultColumn> DefaultResultColumns() {
    const ColumnTable table;
    std::vector<ResultColumn> columns;
    // Name, In Directory, Size, Type, Modified, Disk ID: each at its table width.
    for (const uint8_t key : {0x00, 0x04, 0x01, 0x03, 0x02, 0x42}) {
        const int index = table.indexOfKey(key);
        columns.push_back({uint8_t(index), int32_t(table.row(size_t(index)).width)});
    }
    return columns;
}

namespace {

constexpr std::string_view kColumnsValue = "SearchColumnsSettings";
constexpr std::string_view kPosValue = "SearchPos";
constexpr std::string_view kMaximizedValue = "bSearchMaximized";

// Moves the rectangle inside the screen, cutting it first when it is larger.
WindowRect KeepInside(WindowRect rect, const WindowRect& screen) {
    const int width = std::min(rect.right - rect.left, screen.right - screen.left);
    const int height = std::min(rect.bottom - rect.top, screen.bottom - screen.top);
    rect.left = std::clamp(rect.left, screen.left, screen.right - width);
    rect.top = std::clamp(rect.top, screen.top, screen.bottom - height);
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

}  // namespace

SearchWindowPlacement RestoreSearchWindow(const SettingsStore& store, const WindowRect& screen) {
    SearchWindowPlacement placement;
    if (const auto bytes = store.getBinary(kWindowSettingsSubKey, kColumnsValue))
        placement.columns = DecodeResultColumns(
            std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    const std::string pos = store.getText(kWindowSettingsSubKey, kPosValue);
    WindowRect rect;
    if (store.getBool(kSettingsSubKey, "bSaveWindowSettings", true) && !pos.empty() &&
        ParseWindowPos(pos, rect) && rect.right > rect.left && rect.bottom > rect.top)
        placement.rect = KeepInside(rect, screen);
    placement.maximized = store.getInt(kWindowSettingsSubKey, kMaximizedValue, 0) == 1;
    return placement;
}

void SaveSearchWindow(SettingsStore& store, const std::vector<ResultColumn>& columns,
                      const WindowRect& normalRect, bool maximized) {
    const std::string bytes = EncodeResultColumns(columns);
    store.setBinary(kWindowSettingsSubKey, kColumnsValue,
                    {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    store.setText(kWindowSettingsSubKey, kPosValue, FormatWindowPos(normalRect));
    store.setInt(kWindowSettingsSubKey, kMaximizedValue, maximized ? 1 : 0);
}

void SearchWindowSlots::Slot::release() {
    if (slots_)
        slots_->taken_[index_] = false;
    slots_ = nullptr;
}

SearchWindowSlots::Slot& SearchWindowSlots::Slot::operator=(Slot&& other) noexcept {
    if (this != &other) {
        release();
        slots_ = std::exchange(other.slots_, nullptr);
        index_ = other.index_;
    }
    return *this;
}

std::optional<SearchWindowSlots::Slot> SearchWindowSlots::open(Prompter& prompter) {
    for (size_t i = 0; i < taken_.size(); ++i) {
        if (!taken_[i]) {
            taken_[i] = true;
            return Slot(this, i);
        }
    }
    prompter.error(Str(83));
    return std::nullopt;
}

size_t SearchWindowSlots::openCount() const {
    return size_t(std::count(taken_.begin(), taken_.end(), true));
}

}  // namespace shelfmark::search
