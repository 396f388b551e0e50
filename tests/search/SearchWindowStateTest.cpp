// New Search's reset, the recent-search list and the result columns.
#include <gtest/gtest.h>

#include "search/SearchWindowState.h"

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
    ResetForNewSearch(c, 99);
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

}  // namespace
}  // namespace shelfmark::search
