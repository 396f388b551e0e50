#include "lists/ItemListWalk.h"

#include <gtest/gtest.h>

#include "catalog/Definitions.h"
#include "foundation/CancelFlag.h"
#include "foundation/ScriptedPrompter.h"
#include "lists/RowBuilder.h"
#include "tests/lists/ListsTestCatalog.h"
#include "tests/search/SearchTestCatalog.h"

namespace shelfmark {
namespace {

class ItemListWalkTest : public ::testing::Test, protected testing::ListsRows {
  protected:
    ItemListWalkTest() {
        profile.name = "Test";
        profile.columns = {{"Name", 0x00, ColumnAlignment::Left, 100}};
    }
    ItemListResult Build(const CatalogItem* start = nullptr) {
        ItemListJob job;
        job.tree = &c.tree;
        job.start = start ? start : c.root;
        job.profile = &profile;
        job.builder = &builder;
        job.cancel = &cancel;
        return BuildItemList(job);
    }
    std::vector<std::string> Column(const ListTable& table, size_t column = 0) {
        std::vector<std::string> cells;
        for (size_t r = 0; r < table.rowCount(); ++r)
            cells.emplace_back(table.cell(r, column));
        return cells;
    }
    ItemListProfile profile;
    CancelFlag cancel;
};

TEST_F(ItemListWalkTest, KindsAndLockedContents) {
    profile.files = true;
    // Files and archives, never shortcuts, never what a locked folder holds.
    EXPECT_EQ(Column(Build().table), (std::vector<std::string>{"Artist - Title.mp3", "Title only.MP3", "cover.jpg",
                                                               "notes.mp3.bak", "Track 01.cda"}));
    profile.files = false;
    profile.folders = true;
    EXPECT_EQ(Column(Build().table), (std::vector<std::string>{"Music", "Private"}));
    profile.folders = false;
    profile.disks = true;
    EXPECT_EQ(Column(Build().table), (std::vector<std::string>{"CD One"}));
    profile.disks = false;
    profile.directories = true;
    EXPECT_EQ(Column(Build().table), (std::vector<std::string>{"Pop"}));
    c.tree.setNumberAttribute(c.locked, attr::Unlocked, 1);
    profile.files = true;
    profile.directories = false;
    EXPECT_EQ(Column(Build(c.locked).table), (std::vector<std::string>{"secret.mp3"}));
}

TEST_F(ItemListWalkTest, DepthLimitsAndArchivesAreNotEntered) {
    profile.files = profile.folders = profile.disks = profile.directories = true;
    profile.maxListingDepth = 1;
    EXPECT_EQ(Column(Build().table), (std::vector<std::string>{"Music", "Private"}));
    profile.maxListingDepth = 3;
    EXPECT_EQ(Column(Build().table), (std::vector<std::string>{"Music", "CD One", "Pop", "Track 01.cda", "Private"}));
    CatalogItem* archive = testing::Add(c.tree, c.pop, "pack.zip", itemflag::Archive, 10);
    testing::Add(c.tree, archive, "inside.mp3", 0, 1);
    profile.maxListingDepth = 40;
    const std::vector<std::string> all = Column(Build().table);
    EXPECT_NE(std::find(all.begin(), all.end(), "pack.zip"), all.end());
    EXPECT_EQ(std::find(all.begin(), all.end(), "inside.mp3"), all.end());
}

TEST_F(ItemListWalkTest, ExtensionsMatchTheLastDotWithoutCase) {
    EXPECT_TRUE(ExtensionListed("a.MP3", {"mp3"}));
    EXPECT_FALSE(ExtensionListed("mp3", {"mp3"}));
    EXPECT_FALSE(ExtensionListed("a.mp3.bak", {"mp3"}));
    EXPECT_TRUE(ExtensionListed("anything", {}));
    EXPECT_TRUE(ExtensionListed("Ä.ÖGG", {"ögg"}));
    profile.files = true;
    profile.extensions = {"mp3"};
    EXPECT_EQ(Column(Build().table), (std::vector<std::string>{"Artist - Title.mp3", "Title only.MP3"}));
}

TEST_F(ItemListWalkTest, FormatPiecesFillVariableColumns) {
    profile.files = profile.directories = true;
    profile.format = "%1 - %2";
    profile.columns = {{"Artist", '1', ColumnAlignment::Left, 80},
                       {"Title", '2', ColumnAlignment::Left, 80},
                       {"Where", 0x04, ColumnAlignment::Left, 80}};
    profile.extensions = {"mp3"};
    const ListTable table = Build(c.disk).table;
    ASSERT_EQ(table.rowCount(), 3u);
    // Directories get empty variable columns.
    EXPECT_EQ(table.cell(0, 0), "");
    EXPECT_EQ(table.cell(0, 2), "CD One:\\");
    EXPECT_EQ(table.cell(1, 0), "Artist");
    EXPECT_EQ(table.cell(1, 1), "Title");
    EXPECT_EQ(table.cell(1, 2), "CD One:\\Pop");
    EXPECT_EQ(table.cell(2, 0), "Title only");
    EXPECT_EQ(table.cell(2, 1), "");
    // A variable fills the first column showing it only.
    profile.columns.push_back({"Artist again", '1', ColumnAlignment::Left, 80});
    const ListTable twice = Build(c.pop).table;
    EXPECT_EQ(twice.cell(0, 0), "Artist");
    EXPECT_EQ(twice.cell(0, 3), "");
    profile.columns.pop_back();
    // Cut from the description instead.
    profile.parseMode = ParseMode::Description;
    profile.format = "%1 & %2";
    const ListTable described = Build(c.pop).table;
    EXPECT_EQ(described.cell(0, 0), "");
    EXPECT_EQ(described.cell(1, 0), "Live");
    EXPECT_EQ(described.cell(1, 1), "<loud>");
}

TEST_F(ItemListWalkTest, RefusedProfilesAndProgressAndCancel) {
    ScriptedPrompter prompter;
    ItemListJob job;
    job.tree = &c.tree;
    job.start = c.root;
    job.profile = &profile;
    job.builder = &builder;
    profile.columns.clear();
    EXPECT_FALSE(StartItemList(job, prompter));
    profile.columns = {{"Name", 0x00, ColumnAlignment::Left, 100}};
    profile.format = "no variable";
    EXPECT_FALSE(StartItemList(job, prompter));
    EXPECT_EQ(prompter.shownTexts(), (std::vector<std::string>{"No columns defined!",
                                                               "The filename format string does not contain any variables!"}));
    profile.format.clear();
    profile.files = true;
    std::vector<uint64_t> seen;
    job.progress = [&seen](uint64_t done, uint64_t total) {
        EXPECT_EQ(total, 5u);
        seen.push_back(done);
    };
    const std::optional<ItemListResult> result = StartItemList(job, prompter);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->expectedTotal, 5u);  // the locked folder's file is not counted either
    EXPECT_EQ(seen.back(), 5u);
    EXPECT_FALSE(result->cancelled);

    cancel.request();
    const ItemListResult cancelled = Build();
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.table.rowCount(), 0u);
}

}  // namespace
}  // namespace shelfmark
