#include "catalog/ContentStatistics.h"

#include <gtest/gtest.h>

#include <ctime>

#include "catalog/CatalogTree.h"
#include "tests/catalog/EditTestCatalog.h"

namespace shelfmark {
namespace {

using testing::At;

std::vector<std::string> Keys(const std::vector<StatisticsBucket>& buckets) {
    std::vector<std::string> keys;
    for (const StatisticsBucket& bucket : buckets)
        keys.push_back(bucket.key + " " + std::to_string(bucket.count) + " " +
                       std::to_string(bucket.bytes));
    return keys;
}

std::vector<std::string> Names(const std::vector<const CatalogItem*>& items) {
    std::vector<std::string> names;
    for (const CatalogItem* item : items)
        names.emplace_back(item->name());
    return names;
}

class ContentStatisticsTest : public ::testing::Test {
  protected:
    ContentStatisticsTest() {
        tree.resetToNewCatalog();
        testing::BuildEditCatalog(tree);
    }
    CatalogTree tree;
};

// The figures below are counted by hand from the catalog EditTestCatalog.h draws.
TEST_F(ContentStatisticsTest, CountsTheWholeCatalogByKindTypeExtensionAndYear) {
    StatisticsOptions options;
    options.topItems = 3;
    const ContentStatistics stats = GatherContentStatistics(tree, *tree.root(), options);
    EXPECT_EQ(Keys(stats.byKind),
              (std::vector<std::string>{"folder 4 0", "disk 4 6800", "directory 2 0",
                                        "archive 2 1000", "file 4 5500"}));
    EXPECT_EQ(Keys(stats.byMediaType),
              (std::vector<std::string>{"Hard Disk 1 5000", "CD/ DVD 1 1000", "Audio CD 1 500",
                                        "Removable Disk 1 300"}));
    EXPECT_EQ(Keys(stats.byExtension),
              (std::vector<std::string>{"doc 1 4000", "zip 2 1000", "mp3 1 600", "cda 1 500",
                                        "jpg 1 400"}));
    EXPECT_EQ(Keys(stats.byYear), (std::vector<std::string>{"2020 6 6500"}));
    EXPECT_EQ(stats.files, 6u);
    EXPECT_EQ(stats.fileBytes, 6500u);
    EXPECT_EQ(Names(stats.largestFiles),
              (std::vector<std::string>{"letter.doc", "old.zip", "track1.mp3"}));
    EXPECT_EQ(Names(stats.largestDirectories), (std::vector<std::string>{"B1", "Docs", "Rock One"}));
}

TEST_F(ContentStatisticsTest, ArchivesLocksShortcutsAndTheRestRow) {
    StatisticsOptions options;
    options.includeArchiveContents = true;
    options.topExtensions = 2;
    CatalogItem* link = tree.createItem("link.doc", At(tree, "Music"), Last,
                                        itemflag::Shortcut);
    tree.setSize(link, 123456);
    ContentStatistics stats = GatherContentStatistics(tree, *At(tree, "Backup\\B1"), options);
    // letter.doc, old.zip and its x.txt and deep\y.txt.
    EXPECT_EQ(Keys(stats.byKind),
              (std::vector<std::string>{"directory 2 0", "archive 1 1000", "file 3 5000"}));
    EXPECT_EQ(Keys(stats.byExtension),
              (std::vector<std::string>{"doc 1 4000", "txt 2 1000", "(other) 1 1000"}));

    stats = GatherContentStatistics(tree, *At(tree, "Music"), options);
    EXPECT_EQ(Keys(stats.byKind).back(), "shortcut 1 0");
    EXPECT_EQ(stats.fileBytes, 600u + 400 + 0 + 10 + 20 + 500);

    // A locked folder reads as empty.
    const uint8_t check[] = {1, 2, 3, 4};
    tree.setBlockAttribute(At(tree, "Backup"), attr::PasswordCheck, check);
    stats = GatherContentStatistics(tree, *tree.root(), {});
    EXPECT_EQ(Keys(stats.byMediaType).front(), "CD/ DVD 1 1000");
    EXPECT_EQ(stats.fileBytes, 600u + 400 + 0 + 500);

    // Extensions fold case; names without one, or ending in a dot, have none.
    CatalogItem* loose = At(tree, "Loose");
    for (const char* name : {"A.JPG", "b.Jpg", "README", ".profile", "end.", "\xC3\x89T\xC3\x89.\xC3\x89T\xC3\x89"})
        tree.setSize(tree.createItem(name, loose, Last, 0), 1);
    stats = GatherContentStatistics(tree, *loose, {});
    EXPECT_EQ(Keys(stats.byExtension),
              (std::vector<std::string>{" 3 3", "jpg 2 2", "\xC3\xA9t\xC3\xA9 1 1"}));
    EXPECT_EQ(Keys(stats.byYear), (std::vector<std::string>{"no date 6 6"}));
}

TEST(YearOfDate, AgreesWithTheCLibrary) {
    for (int64_t seconds = -2'208'988'800; seconds < 4'102'444'800; seconds += 86'400 * 7 + 3'601) {
        const time_t t = time_t(seconds);
        std::tm parts{};
        ASSERT_NE(gmtime_r(&t, &parts), nullptr);
        ASSERT_EQ(YearOfDate(seconds), parts.tm_year + 1900) << seconds;
    }
    EXPECT_EQ(YearOfDate(-1), 1969);
    EXPECT_EQ(YearOfDate(0), 1970);
    EXPECT_EQ(YearOfDate(INT32_MIN), 1901);
    EXPECT_EQ(YearOfDate(INT32_MAX), 2038);
}

}  // namespace
}  // namespace shelfmark
