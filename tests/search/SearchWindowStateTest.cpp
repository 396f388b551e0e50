// New Search's reset, the recent-search list and the result columns.
#include <gtest/gtest.h>

#include <fstream>

#include "catalog/CatalogTree.h"
#include "foundation/ScriptedPrompter.h"
#include "platform/settings/SettingsStore.h"
#include "search/SearchWindowState.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::search {
namespace {

TEST(SearchWindowState, NewSearchResetsSomeFieldsAndKeepsOthers) {
    SearchCriteria c = InitialCriteria(5);
    c.text = "x";
    c.files = c.directories = c.folders = c.disks = false;
    c.inDescription = false;
    c.wholeString = true;
    c.wordMode = WordMode::AnyWord;
    c.dateMode = DateMode::Between;
    c.sizeOperator = SizeOperator::AtMost;
    c.months = c.days = "9";
    c.sizeText = "12";
    c.caseSensitive = c.inExtraInfo = true;
    c.categories = {3};
    c.conditions.push_back({0x85, ConditionOperator::Contains, 0, 0, "a"});
    CatalogTree tree;
    const CatalogItem* open = tree.resetToNewCatalog();
    ResetForNewSearch(c, 99, open);
    EXPECT_EQ(c.startItem, open);
    EXPECT_EQ(c.text, "");
    EXPECT_TRUE(c.files && c.directories && c.folders && c.inDescription);
    EXPECT_FALSE(c.disks);  // kept
    EXPECT_FALSE(c.wholeString);
    EXPECT_EQ(c.wordMode, WordMode::Normal);
    EXPECT_EQ(c.dateMode, DateMode::AllFiles);
    EXPECT_EQ(c.sizeOperator, SizeOperator::EqualTo);
    EXPECT_EQ(c.date1, 99);
    EXPECT_EQ(c.date2, 99);
    EXPECT_EQ(c.months, "1");
    EXPECT_EQ(c.days, "1");
    EXPECT_EQ(c.sizeText, "");
    EXPECT_TRUE(c.caseSensitive && c.inExtraInfo);
    EXPECT_EQ(c.categories.size(), 1u);
    EXPECT_EQ(c.conditions.size(), 1u);
}

TEST(SearchWindowState, RecentSearchesUseTwentyFiveLetters) {
    RecentSearches recent;
    recent.record("one");
    recent.record("two");
    EXPECT_EQ(recent.mruList, "ba");
    recent.record("ONE");  // the same text again: its letter moves to the front
    EXPECT_EQ(recent.mruList, "ab");
    EXPECT_EQ(recent.entries(), (std::vector<std::string>{"ONE", "two"}));
    recent.record("picked", 'b');
    EXPECT_EQ(recent.mruList, "ba");
    EXPECT_EQ(recent.texts['b'], "picked");
    for (int i = 0; i < 23; ++i)
        recent.record("text " + std::to_string(i));
    EXPECT_EQ(recent.mruList.size(), 25u);
    EXPECT_EQ(recent.mruList.front(), 'y');
    // A 26th text reuses the oldest entry's letter.
    const char oldest = recent.mruList.back();
    recent.record("newest");
    EXPECT_EQ(recent.mruList.size(), 25u);
    EXPECT_EQ(recent.mruList.front(), oldest);
    EXPECT_EQ(recent.texts[oldest], "newest");
}

TEST(SearchWindowState, ColumnsSwitchAndSave) {
    std::vector<ResultColumn> columns{{0, 150}, {1, 150}, {2, 75}, {5, 100}};
    ToggleResultColumn(columns, 3, 60);
    ToggleResultColumn(columns, 9, 40);
    ToggleResultColumn(columns, 1, 10);
    ASSERT_EQ(columns.size(), 5u);
    EXPECT_EQ(columns[2].descriptor, 3);
    EXPECT_EQ(columns[2].width, 60);
    EXPECT_EQ(columns[4].descriptor, 9);
    const std::string saved = EncodeResultColumns({{3, 0x01020304}});
    EXPECT_EQ(saved, std::string("\x03\x00\x04\x03\x02\x01", 6));
    const auto back = DecodeResultColumns(EncodeResultColumns(columns) + "xx");
    ASSERT_EQ(back.size(), columns.size());
    EXPECT_EQ(back[4].width, 40);
}

TEST(SearchWindowState, RecentSearchesLiveInTheSettingsStore) {
    testing::ScopedConfigHome config;
    {
        SettingsStore store;
        RecentSearches recent = RecentSearches::Load(store);
        EXPECT_TRUE(recent.entries().empty());
        recent.record("beach");
        recent.record("holiday");
        recent.save(store);
        ASSERT_TRUE(store.save());
    }
    SettingsStore store;
    EXPECT_EQ(store.getText("Settings\\Recent Search List", "MRUList"), "ba");
    EXPECT_EQ(store.getText("Settings\\Recent Search List", "a"), "beach");
    RecentSearches recent = RecentSearches::Load(store);
    EXPECT_EQ(recent.entries(), (std::vector<std::string>{"holiday", "beach"}));
    // A list written by hand with a stray letter, a repeat and an empty text.
    store.setText("Settings\\Recent Search List", "MRUList", "cz!cab");
    store.setText("Settings\\Recent Search List", "c", "");
    recent = RecentSearches::Load(store);
    EXPECT_EQ(recent.mruList, "cab");
    EXPECT_EQ(recent.entries(), (std::vector<std::string>{"beach", "holiday"}));
    recent.record("new");  // one past the highest letter, not a reuse of the empty one
    EXPECT_EQ(recent.mruList, "dcab");
}

TEST(SearchWindowState, DefaultColumnsAreThoseOfANewWindow) {
    const std::vector<ResultColumn> columns = DefaultResultColumns();
    ASSERT_EQ(columns.size(), 6u);
    const int widths[] = {150, 150, 75, 100, 100, 40};
    const uint8_t descriptors[] = {0, 5, 1, 2, 3, 6};
    for (size_t i = 0; i < columns.size(); ++i) {
        EXPECT_EQ(columns[i].descriptor, descriptors[i]) << i;
        EXPECT_EQ(columns[i].width, widths[i]) << i;
    }
}

TEST(SearchWindowState, PlacementIsSavedAndRestored) {
    testing::ScopedConfigHome config;
    SettingsStore store;
    const WindowRect screen{0, 0, 1920, 1080};
    SearchWindowPlacement fresh = RestoreSearchWindow(store, screen);
    EXPECT_EQ(fresh.columns.size(), 6u);
    EXPECT_FALSE(fresh.rect);
    EXPECT_FALSE(fresh.maximized);

    SaveSearchWindow(store, {{0, 200}, {9, 0x10203}}, {100, 50, 900, 650}, true);
    EXPECT_EQ(store.getText("Settings\\WindowSettings", "SearchPos"), "100/50-900/650");
    const auto bytes = store.getBinary("Settings\\WindowSettings", "SearchColumnsSettings");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, (std::vector<uint8_t>{0, 0, 200, 0, 0, 0, 9, 0, 3, 2, 1, 0}));
    SearchWindowPlacement back = RestoreSearchWindow(store, screen);
    ASSERT_EQ(back.columns.size(), 2u);
    EXPECT_EQ(back.columns[1].width, 0x10203);
    ASSERT_TRUE(back.rect);
    EXPECT_EQ(FormatWindowPos(*back.rect), "100/50-900/650");
    EXPECT_TRUE(back.maximized);

    // A rectangle partly off the screen is moved back onto it.
    store.setText("Settings\\WindowSettings", "SearchPos", "1500/-20-2300/580");
    EXPECT_EQ(FormatWindowPos(*RestoreSearchWindow(store, screen).rect), "1120/0-1920/600");
    // Without kept window settings the window opens centred, whatever was saved.
    store.setBool("Settings", "bSaveWindowSettings", false);
    EXPECT_FALSE(RestoreSearchWindow(store, screen).rect);
    store.setBool("Settings", "bSaveWindowSettings", true);
    store.setText("Settings\\WindowSettings", "SearchPos", "garbage");
    EXPECT_FALSE(RestoreSearchWindow(store, screen).rect);
}

TEST(SearchWindowState, TheThirtyThirdWindowIsRefused) {
    ScriptedPrompter prompter;
    SearchWindowSlots slots;
    std::vector<SearchWindowSlots::Slot> open;
    for (size_t i = 0; i < SearchWindowSlots::kMaxWindows; ++i) {
        auto slot = slots.open(prompter);
        ASSERT_TRUE(slot);
        EXPECT_EQ(slot->index(), i);
        open.push_back(std::move(*slot));
    }
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_FALSE(slots.open(prompter));
    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].message.text, "More Search dialogs should be opened than allowed.");
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Error);
    // Closing a window frees its slot for the next one.
    open.erase(open.begin() + 7);
    EXPECT_EQ(slots.openCount(), 31u);
    auto reused = slots.open(prompter);
    ASSERT_TRUE(reused);
    EXPECT_EQ(reused->index(), 7u);
    EXPECT_EQ(prompter.shown().size(), 1u);
}

}  // namespace
}  // namespace shelfmark::search
