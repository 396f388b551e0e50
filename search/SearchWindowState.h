// What the search window keeps besides the criteria, as logic without a window: New Search's
// reset, the recent-search list and the result column layout with their places in the settings
// store, the remembered window placement, and the limit on open search windows.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/settings/AppSettings.h"
#include "search/SearchCriteria.h"

namespace shelfmark {
class CatalogItem;
class Prompter;
class SettingsStore;
}  // namespace shelfmark

namespace shelfmark::search {

// New Search: the text is emptied, the search starts again below `openContainer` (the container
// the main window shows) and the General and Extended pages go back to their first values (dates
// to `now`); disks, case sensitivity, extra information, the categories and the conditions keep
// theirs.
void ResetForNewSearch(SearchCriteria& criteria, int64_t now,
                       const CatalogItem* openContainer = nullptr);

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

    // The list as the settings store holds it under "Settings\Recent Search List".
    static RecentSearches Load(const SettingsStore& store);
    void save(SettingsStore& store) const;
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

// A new window's columns: Name, In Directory, Size, Type, Modified and Disk ID at their default
// widths.
std::vector<ResultColumn> DefaultResultColumns();

// The window's remembered state in "Settings\WindowSettings": the column layout, the normal
// rectangle and whether it was maximized.
struct SearchWindowPlacement {
    std::vector<ResultColumn> columns = DefaultResultColumns();
    std::optional<WindowRect> rect;  // none: centred at the default size
    bool maximized = false;
};
// What a window opens with: the saved columns when there are any; the saved rectangle, moved
// and cut to lie inside `screen`, only when window settings are kept ("bSaveWindowSettings") and
// one was saved.
SearchWindowPlacement RestoreSearchWindow(const SettingsStore& store, const WindowRect& screen);
// Written when an idle window closes.
void SaveSearchWindow(SettingsStore& store, const std::vector<ResultColumn>& columns,
                      const WindowRect& normalRect, bool maximized);

// The document's table of search windows: at most 32 open at once. A slot is held while its
// window is open and freed when the slot object goes (the window closed).
class SearchWindowSlots {
  public:
    static constexpr size_t kMaxWindows = 32;

    class Slot {
      public:
        Slot(Slot&& other) noexcept : slots_(other.slots_), index_(other.index_) { other.slots_ = nullptr; }
        Slot& operator=(Slot&& other) noexcept;
        ~Slot() { release(); }
        size_t index() const { return index_; }

      private:
        friend class SearchWindowSlots;
        Slot(SearchWindowSlots* slots, size_t index) : slots_(slots), index_(index) {}
        void release();
        SearchWindowSlots* slots_;
        size_t index_;
    };

    // A free slot for a new window, the lowest first; when every slot is taken the error
    // "More Search dialogs should be opened than allowed." goes through the prompter and none
    // is given.
    std::optional<Slot> open(Prompter& prompter);
    size_t openCount() const;

  private:
    std::array<bool, kMaxWindows> taken_{};
};

}  // namespace shelfmark::search
