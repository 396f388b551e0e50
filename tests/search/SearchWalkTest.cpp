// The search rules, each against a small catalog built by hand.
#include <gtest/gtest.h>

#include "catalog/CatalogTree.h"
#include "foundation/CancelFlag.h"
#include "search/SearchWalk.h"
#include "tests/search/SearchTestCatalog.h"

namespace shelfmark::search {
namespace {

using testing::Add;
using testing::Names;
using Strings = std::vector<std::string>;

constexpr int32_t kNow = 1'700'000'000;
constexpr int32_t kDay = 86400;

class SearchWalkTest : public ::testing::Test {
  protected:
    SearchWalkTest() { root = tree.resetToNewCatalog(); }

    Strings Find(const SearchCriteria& criteria, const CatalogItem* start = nullptr) {
        const PreparedSearch search = PrepareSearch(criteria, kNow);
        return Names(SearchTree(search, start ? *start : *root));
    }
    SearchCriteria Text(const char* text) {
        SearchCriteria criteria = InitialCriteria(kNow);
        criteria.text = text;
        return criteria;
    }

    CatalogTree tree;
    CatalogItem* root = nullptr;
};

TEST_F(SearchWalkTest, WordRules) {
    CatalogItem* disk = Add(tree, root, "Disk", DiskFlags(MediaType::HardDisk));
    Add(tree, disk, "ABC");
    Add(tree, disk, "xabcx");
    Add(tree, disk, "Red Car");
    Add(tree, disk, "red.txt");
    CatalogItem* described = Add(tree, disk, "car.txt");
    tree.setTextAttribute(described, attr::Description, "a red thing");

    EXPECT_EQ(Find(Text("abc")), (Strings{"ABC", "xabcx"}));
    SearchCriteria whole = Text("abc");
    whole.wholeString = true;
    EXPECT_EQ(Find(whole), (Strings{"ABC"}));
    whole.caseSensitive = true;
    EXPECT_EQ(Find(whole), Strings{});
    SearchCriteria cased = Text("ABC");
    cased.caseSensitive = true;
    EXPECT_EQ(Find(cased), (Strings{"ABC"}));

    // Normal mode keeps the blank: one word.
    EXPECT_EQ(Find(Text("red car")), (Strings{"Red Car"}));
    SearchCriteria all = Text("red car");
    all.wordMode = WordMode::AllWords;
    // car.txt has "car" in its name and "red" only in its description: the words are not
    // combined across the two.
    EXPECT_EQ(Find(all), (Strings{"Red Car"}));
    SearchCriteria any = Text("red car");
    any.wordMode = WordMode::AnyWord;
    EXPECT_EQ(Find(any), (Strings{"Red Car", "red.txt", "car.txt"}));
    // Two blanks give an empty word that every text contains.
    any.text = "red  car";
    EXPECT_EQ(Find(any), (Strings{"Disk", "ABC", "xabcx", "Red Car", "red.txt", "car.txt"}));
    // Whole string in a word mode: equal to some word.
    SearchCriteria wholeWords = Text("abc red.txt");
    wholeWords.wordMode = WordMode::AnyWord;
    wholeWords.wholeString = true;
    EXPECT_EQ(Find(wholeWords), (Strings{"ABC", "red.txt"}));
}

TEST_F(SearchWalkTest, WildcardsAndUnicodeFolding) {
    CatalogItem* disk = Add(tree, root, "Disk", DiskFlags(MediaType::CdRom));
    Add(tree, disk, "abc");
    Add(tree, disk, "xaYYcx");
    Add(tree, disk, "ac");
    Add(tree, disk, "\xC3\x89T\xC3\x89.txt");  // ÉTÉ.txt
    EXPECT_EQ(Find(Text("a*c")), (Strings{"abc", "xaYYcx", "ac"}));
    SearchCriteria whole = Text("a*c");
    whole.wholeString = true;
    EXPECT_EQ(Find(whole), (Strings{"abc", "ac"}));
    whole.text = "a?c";
    EXPECT_EQ(Find(whole), (Strings{"abc"}));
    EXPECT_EQ(Find(Text("\xC3\xA9t\xC3\xA9")), (Strings{"\xC3\x89T\xC3\x89.txt"}));
    EXPECT_EQ(Find(Text("?t?.")), (Strings{"\xC3\x89T\xC3\x89.txt"}));
}

TEST_F(SearchWalkTest, DescriptionAndExtraInformation) {
    CatalogItem* disk = Add(tree, root, "Disk", DiskFlags(MediaType::CdRom));
    CatalogItem* a = Add(tree, disk, "one.mp3");
    tree.setTextAttribute(a, attr::Description, "Summer holiday");
    CatalogItem* b = Add(tree, disk, "two.mp3");
    tree.setTextAttribute(b, attr::Artist, "Summer Band");
    EXPECT_EQ(Find(Text("summer")), (Strings{"one.mp3"}));
    SearchCriteria noDescription = Text("summer");
    noDescription.inDescription = false;
    EXPECT_EQ(Find(noDescription), Strings{});
    // The description is one of the text attributes.
    noDescription.inExtraInfo = true;
    EXPECT_EQ(Find(noDescription), (Strings{"one.mp3", "two.mp3"}));
}

TEST_F(SearchWalkTest, KindsAndTheStartItem) {
    CatalogItem* folder = Add(tree, root, "x-folder", itemflag::Folder);
    CatalogItem* disk = Add(tree, folder, "x-disk", DiskFlags(MediaType::CdRom));
    CatalogItem* dir = Add(tree, disk, "x-dir", itemflag::Directory);
    CatalogItem* archive = Add(tree, dir, "x-archive.zip", itemflag::Archive);
    Add(tree, archive, "x-entry");
    Add(tree, dir, "x-file");
    EXPECT_EQ(Find(Text("x-")),
              (Strings{"x-folder", "x-disk", "x-dir", "x-archive.zip", "x-entry", "x-file"}));
    SearchCriteria files = Text("x-");
    files.directories = files.disks = files.folders = false;
    // Archives count as directories; every container is still entered.
    EXPECT_EQ(Find(files), (Strings{"x-entry", "x-file"}));
    SearchCriteria dirs = Text("x-");
    dirs.files = false;
    EXPECT_EQ(Find(dirs), (Strings{"x-folder", "x-disk", "x-dir", "x-archive.zip"}));
    // The start item is never tested.
    EXPECT_EQ(Find(Text("x-"), dir), (Strings{"x-archive.zip", "x-entry", "x-file"}));
    // A file as start item finds nothing.
    EXPECT_EQ(Find(Text("*"), tree.resolvePath("x-folder\\x-disk\\x-dir\\x-file", nullptr)),
              Strings{});
}

TEST_F(SearchWalkTest, LockedSubtreesAreUnseen) {
    CatalogItem* folder = Add(tree, root, "Secret", itemflag::Folder);
    const uint8_t check[] = {1, 2, 3, 4};
    tree.setBlockAttribute(folder, attr::PasswordCheck, check);
    Add(tree, folder, "secret.txt");
    Add(tree, root, "open-secret.txt");
    EXPECT_EQ(Find(Text("secret")), (Strings{"Secret", "open-secret.txt"}));
    EXPECT_EQ(Find(Text("secret"), folder), Strings{});
    tree.setNumberAttribute(folder, attr::Unlocked, 1);
    EXPECT_EQ(Find(Text("secret")), (Strings{"Secret", "secret.txt", "open-secret.txt"}));
}

TEST_F(SearchWalkTest, Dates) {
    CatalogItem* disk = Add(tree, root, "Disk", DiskFlags(MediaType::CdRom));
    Add(tree, disk, "future", 0, 0, kNow + 1);
    Add(tree, disk, "now", 0, 0, kNow);
    Add(tree, disk, "30 days", 0, 0, kNow - 30 * kDay);
    Add(tree, disk, "31 days", 0, 0, kNow - 31 * kDay);
    Add(tree, disk, "91 days", 0, 0, kNow - 91 * kDay);
    Add(tree, disk, "92 days", 0, 0, kNow - 92 * kDay);
    Add(tree, disk, "1970", 0, 0, 0);

    SearchCriteria within = Text("*");
    within.dateMode = DateMode::WithinMonths;
    within.months = "1";  // 30.5 days, truncated to 30
    EXPECT_EQ(Find(within), (Strings{"now", "30 days"}));
    within.months = "3";  // 91.5 -> 91
    EXPECT_EQ(Find(within), (Strings{"now", "30 days", "31 days", "91 days"}));
    within.dateMode = DateMode::WithinDays;
    within.days = "31";
    EXPECT_EQ(Find(within), (Strings{"now", "30 days", "31 days"}));

    SearchCriteria between = Text("*");
    between.dateMode = DateMode::Between;
    between.date1 = kNow - 31 * kDay;
    between.date2 = kNow - 91 * kDay;  // after date1 in the list: the bounds are swapped
    EXPECT_EQ(Find(between), (Strings{"31 days", "91 days"}));
    std::swap(between.date1, between.date2);
    EXPECT_EQ(Find(between), (Strings{"31 days", "91 days"}));
}

TEST_F(SearchWalkTest, DayCountValidation) {
    SearchCriteria criteria = InitialCriteria(kNow);
    criteria.dateMode = DateMode::WithinMonths;
    for (const char* bad : {"0", "1000", "", "1x", " 1", "-1"}) {
        criteria.months = bad;
        EXPECT_EQ(ValidateCriteria(criteria), InvalidField::Months) << bad;
    }
    criteria.months = "999";
    EXPECT_EQ(ValidateCriteria(criteria), std::nullopt);
    criteria.dateMode = DateMode::WithinDays;
    criteria.days = "abc";
    EXPECT_EQ(ValidateCriteria(criteria), InvalidField::Days);
    // Only the chosen mode's field counts.
    criteria.dateMode = DateMode::AllFiles;
    EXPECT_EQ(ValidateCriteria(criteria), std::nullopt);
}

TEST_F(SearchWalkTest, SizeFilter) {
    CatalogItem* disk = Add(tree, root, "Disk", DiskFlags(MediaType::CdRom), 4096);
    Add(tree, disk, "dir", itemflag::Directory, 1024);
    Add(tree, disk, "small", 0, 1023);
    Add(tree, disk, "kilo", 0, 1024);
    Add(tree, disk, "archive", itemflag::Archive, 2048);
    Add(tree, disk, "huge", 0, (uint64_t(5) << 32) + 7);

    SearchCriteria size = Text("*");
    size.sizeText = "1";
    size.sizeShift = *SizeUnitShift("kb");
    size.sizeOperator = SizeOperator::AtLeast;
    // Directories, disks and folders are rejected; an archive is a file here.
    EXPECT_EQ(Find(size), (Strings{"kilo", "archive", "huge"}));
    size.sizeOperator = SizeOperator::EqualTo;
    EXPECT_EQ(Find(size), (Strings{"kilo"}));
    size.sizeOperator = SizeOperator::AtMost;
    EXPECT_EQ(Find(size), (Strings{"small", "kilo"}));
    // Only the leading integer counts; no digits reads as 0.
    size.sizeText = "2k";
    size.sizeOperator = SizeOperator::EqualTo;
    EXPECT_EQ(Find(size), (Strings{"archive"}));
    size.sizeText = "x";
    EXPECT_EQ(Find(size), Strings{});
    EXPECT_EQ(SizeTextValue("x", 10), 0u);
    EXPECT_EQ(SizeTextValue("5", 40), uint64_t(5) << 40);
    EXPECT_EQ(SizeTextValue("1M", 20), 1u << 20);
    EXPECT_EQ(SizeUnitShift("EB"), 60u);
    EXPECT_EQ(SizeUnitShift("ZB"), std::nullopt);
}

TEST_F(SearchWalkTest, CategoryStateIsCarriedDown) {
    CatalogItem* disk = Add(tree, root, "Disk", DiskFlags(MediaType::CdRom));
    tree.setNumberAttribute(disk, attr::Categories, 0x0302);  // categories 2 and 3
    CatalogItem* dir = Add(tree, disk, "dir", itemflag::Directory);
    Add(tree, dir, "inherits");
    CatalogItem* own = Add(tree, dir, "own");
    tree.setNumberAttribute(own, attr::Categories, 5);
    CatalogItem* other = Add(tree, root, "Other", DiskFlags(MediaType::CdRom));
    tree.setNumberAttribute(other, attr::Categories, 0x00050004);  // 4, then the list ends
    Add(tree, other, "child");

    SearchCriteria only = Text("*");
    SelectCategory(only, 3);
    EXPECT_EQ(Find(only), (Strings{"Disk", "dir", "inherits"}));
    SelectCategory(only, 5);
    // 5 counts only up to the first zero byte: Other has category 4 alone.
    EXPECT_EQ(Find(only), (Strings{"Disk", "dir", "inherits", "own"}));
    SearchCriteria exclude = Text("*");
    SelectCategory(exclude, 3);
    exclude.excludeCategories = true;
    EXPECT_EQ(Find(exclude), (Strings{"own", "Other", "child"}));
    // An untested container is still entered.
    SearchCriteria childOnly = Text("*");
    SelectCategory(childOnly, 4);
    EXPECT_EQ(Find(childOnly), (Strings{"Other", "child"}));
    // Started below a category-less start item: its state is excludeCategories.
    EXPECT_EQ(Find(exclude, dir), (Strings{"inherits", "own"}));
    EXPECT_EQ(Find(only, dir), (Strings{"own"}));
    // No categories chosen: everything.
    EXPECT_EQ(Find(Text("*")).size(), 6u);
}

TEST_F(SearchWalkTest, ExtraInformationConditions) {
    CatalogItem* disk = Add(tree, root, "Disk", DiskFlags(MediaType::CdRom));
    CatalogItem* a = Add(tree, disk, "a.mp3");
    tree.setNumberAttribute(a, attr::TrackNumber, 3);
    tree.setTextAttribute(a, attr::Artist, "The Beatles");
    CatalogItem* b = Add(tree, disk, "b.mp3");
    tree.setNumberAttribute(b, attr::TrackNumber, 7);
    tree.setTextAttribute(b, attr::Artist, "Beat");
    Add(tree, disk, "c.mp3");

    auto with = [&](ExtraInfoCondition condition) {
        SearchCriteria criteria = Text("*");
        criteria.conditions.push_back(condition);
        return Find(criteria);
    };
    using Op = ConditionOperator;
    EXPECT_EQ(with({attr::TrackNumber, Op::LessThan, 7, 0, {}}), (Strings{"a.mp3"}));
    EXPECT_EQ(with({attr::TrackNumber, Op::EqualTo, 7, 0, {}}), (Strings{"b.mp3"}));
    EXPECT_EQ(with({attr::TrackNumber, Op::GreaterThan, 2, 0, {}}), (Strings{"a.mp3", "b.mp3"}));
    EXPECT_EQ(with({attr::TrackNumber, Op::Between, 3, 7, {}}), (Strings{"a.mp3", "b.mp3"}));
    EXPECT_EQ(with({attr::TrackNumber, Op::Between, 7, 3, {}}), Strings{});
    // A missing attribute rejects the item, whatever the operator.
    EXPECT_EQ(with({attr::Title, Op::Contains, 0, 0, "*"}), Strings{});
    EXPECT_EQ(with({attr::Artist, Op::Contains, 0, 0, "BEAT"}), (Strings{"a.mp3", "b.mp3"}));
    EXPECT_EQ(with({attr::Artist, Op::Matches, 0, 0, "beat"}), (Strings{"b.mp3"}));
    EXPECT_EQ(with({attr::Artist, Op::Matches, 0, 0, "the*s"}), (Strings{"a.mp3"}));
    EXPECT_EQ(with({attr::Artist, Op::Contains, 0, 0, "b?at"}), (Strings{"a.mp3", "b.mp3"}));

    SearchCriteria both = Text("*");
    both.conditions.push_back({attr::TrackNumber, Op::GreaterThan, 1, 0, {}});
    both.conditions.push_back({attr::Artist, Op::Contains, 0, 0, "the"});
    EXPECT_EQ(Find(both), (Strings{"a.mp3"}));
    both.caseSensitive = true;
    EXPECT_EQ(Find(both), Strings{});
}

TEST_F(SearchWalkTest, CancelStopsAfterTheCurrentItem) {
    CatalogItem* disk = Add(tree, root, "Disk", DiskFlags(MediaType::CdRom));
    Add(tree, disk, "a");
    CancelFlag cancel;
    cancel.request();
    const PreparedSearch search = PrepareSearch(Text("*"), kNow);
    EXPECT_EQ(Names(SearchTree(search, *root, &cancel)), (Strings{"Disk"}));
}

TEST(SearchWords, Splitting) {
    EXPECT_EQ(SplitWords("a b", WordMode::Normal), (Strings{"a b"}));
    EXPECT_EQ(SplitWords("a b", WordMode::AllWords), (Strings{"a", "b"}));
    EXPECT_EQ(SplitWords("a  b", WordMode::AnyWord), (Strings{"a", "", "b"}));
    EXPECT_EQ(SplitWords("a ", WordMode::AnyWord), (Strings{"a"}));
    EXPECT_EQ(SplitWords(" a", WordMode::AnyWord), (Strings{"", "a"}));
    EXPECT_EQ(SplitWords("", WordMode::AnyWord), Strings{});
    std::string many;
    for (int i = 0; i < 600; ++i)
        many += "w ";
    EXPECT_EQ(SplitWords(many, WordMode::AllWords).size(), kMaxWords);
}

}  // namespace
}  // namespace shelfmark::search
