// Duplicate search against catalogs built by hand.
#include <gtest/gtest.h>

#include "catalog/CatalogTree.h"
#include "foundation/CancelFlag.h"
#include "foundation/ScriptedPrompter.h"
#include "search/DuplicateSearch.h"
#include "search/SearchCriteria.h"
#include "tests/search/SearchTestCatalog.h"

namespace shelfmark::search {
namespace {

using testing::Add;
using namespace duplicate;

// Each group as "name@parent" texts.
std::vector<std::vector<std::string>> Groups(const std::vector<DuplicateRow>& rows) {
    std::vector<std::vector<std::string>> out;
    for (const auto& group : DuplicateGroups(rows)) {
        out.emplace_back();
        for (const CatalogItem* item : group)
            out.back().push_back(std::string(item->name()) + "@" + std::string(item->parent()->name()));
        std::sort(out.back().begin(), out.back().end());
    }
    return out;
}
using G = std::vector<std::vector<std::string>>;

class DuplicateSearchTest : public ::testing::Test {
  protected:
    DuplicateSearchTest() {
        root = tree.resetToNewCatalog();
        disk = Add(tree, root, "D", DiskFlags(MediaType::HardDisk));
        one = Add(tree, disk, "one", itemflag::Directory);
        two = Add(tree, disk, "two", itemflag::Directory);
    }
    std::vector<DuplicateRow> Run(unsigned criteria, const CatalogItem* scope = nullptr) {
        DuplicateJob job;
        job.scope = scope ? scope : root;
        job.criteria = criteria;
        return FindDuplicates(job);
    }
    CatalogTree tree;
    CatalogItem* root = nullptr;
    CatalogItem* disk = nullptr;
    CatalogItem* one = nullptr;
    CatalogItem* two = nullptr;
};

TEST_F(DuplicateSearchTest, NameAloneAndNameWithSize) {
    Add(tree, one, "Song.mp3", 0, 100, 5);
    Add(tree, two, "song.MP3", 0, 200, 5);
    EXPECT_EQ(Groups(Run(NameBit)), (G{{"Song.mp3@one", "song.MP3@two"}}));
    EXPECT_EQ(Groups(Run(NameBit | SizeBit)), G{});
    EXPECT_EQ(Groups(Run(DateBit)), (G{{"Song.mp3@one", "song.MP3@two"}}));
    EXPECT_EQ(Groups(Run(0)), G{});
}

TEST_F(DuplicateSearchTest, GroupsAndShades) {
    for (CatalogItem* dir : {one, two, disk})
        Add(tree, dir, "a", 0, 10, 1);
    Add(tree, one, "b", 0, 10, 2);
    Add(tree, two, "b", 0, 10, 2);
    Add(tree, one, "c", 0, 10, 3);
    Add(tree, one, "d", 0, 10, 4);
    Add(tree, two, "d", 0, 10, 4);
    const std::vector<DuplicateRow> rows = Run(NameBit | SizeBit | DateBit);
    ASSERT_EQ(rows.size(), 7u);
    const std::vector<int> shades{0, 0, 0, 1, 1, 0, 0};
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].shade, shades[i]) << i;
    EXPECT_EQ(Groups(rows), (G{{"a@D", "a@one", "a@two"}, {"b@one", "b@two"}, {"d@one", "d@two"}}));
}

TEST_F(DuplicateSearchTest, ChecksumsOnlyWhenBothHaveThem) {
    CatalogItem* a = Add(tree, one, "x", 0, 10, 1);
    CatalogItem* b = Add(tree, two, "x", 0, 10, 1);
    Add(tree, disk, "x", 0, 10, 1);  // no checksum: judged by the other criteria
    tree.setNumberAttribute(a, attr::Crc32, 0xAAAA);
    tree.setNumberAttribute(b, attr::Crc32, 0xAAAA);
    EXPECT_EQ(Groups(Run(NameBit | Crc32Bit)), (G{{"x@D", "x@one", "x@two"}}));
    tree.setNumberAttribute(b, attr::Crc32, 0xBBBB);
    const G groups = Groups(Run(NameBit | Crc32Bit));
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].size(), 2u);  // the one without a checksum joins one of the two
    EXPECT_EQ(CompareDuplicates(*a, *b, Crc32Bit), -1);
    EXPECT_EQ(CompareDuplicates(*a, *b, NameBit), 0);

    tree.setTextAttribute(a, attr::Md5, "0123");
    tree.setTextAttribute(b, attr::Md5, "4567");
    EXPECT_EQ(Groups(Run(NameBit | Md5Bit)), (G{{"x@D", "x@one"}}));
    tree.setTextAttribute(b, attr::Md5, "0123");
    EXPECT_EQ(Groups(Run(NameBit | Md5Bit)), (G{{"x@D", "x@one", "x@two"}}));
}

TEST_F(DuplicateSearchTest, ComparisonOrder) {
    CatalogItem* a = Add(tree, one, "b", 0, 10, 1);
    CatalogItem* b = Add(tree, two, "a", 0, 20, 2);
    tree.setNumberAttribute(a, attr::Crc32, 9);
    tree.setNumberAttribute(b, attr::Crc32, 1);
    const unsigned all = NameBit | SizeBit | DateBit | Crc32Bit;
    EXPECT_LT(CompareDuplicates(*a, *b, all), 0);  // the date decides first
    EXPECT_GT(CompareDuplicates(*a, *b, all & ~DateBit), 0);  // then the checksum
    EXPECT_LT(CompareDuplicates(*a, *b, NameBit | SizeBit), 0);  // then the size
    EXPECT_GT(CompareDuplicates(*a, *b, NameBit), 0);  // then the name
}

TEST_F(DuplicateSearchTest, CandidatesAndScope) {
    CatalogItem* zip = Add(tree, one, "pack.zip", itemflag::Archive, 10, 1);
    Add(tree, zip, "inner", 0, 10, 1);
    Add(tree, two, "inner", 0, 10, 1);
    Add(tree, two, "pack.zip", 0, 10, 1);
    // Archives are candidates, their contents never.
    EXPECT_EQ(Groups(Run(NameBit)), (G{{"pack.zip@one", "pack.zip@two"}}));
    EXPECT_EQ(Run(NameBit, Add(tree, two, "plain", 0, 10, 1)).size(), 0u);  // a file scope yields nothing
    // An archive chosen as the scope gives its own contents.
    Add(tree, zip, "INNER", 0, 10, 1);
    EXPECT_EQ(Groups(Run(NameBit, zip)), (G{{"INNER@pack.zip", "inner@pack.zip"}}));
    const auto candidates = CollectDuplicateCandidates({root, NameBit, false, 0, nullptr});
    EXPECT_EQ(candidates.size(), 4u);

    DuplicateJob job{root, NameBit, true, SizeTextValue("1", *SizeUnitShift("MB")), nullptr};
    CatalogItem* big1 = Add(tree, one, "big", 0, 1048576, 1);
    Add(tree, two, "big", 0, 1048575, 1);
    EXPECT_EQ(CollectDuplicateCandidates(job), std::vector<const CatalogItem*>{big1});

    // Locked subtrees are unseen.
    const uint8_t check[] = {1};
    tree.setBlockAttribute(two, attr::PasswordCheck, check);
    EXPECT_EQ(Groups(Run(NameBit)), G{});

    CancelFlag cancel;
    cancel.request();
    tree.removeAttribute(two, attr::PasswordCheck);
    EXPECT_EQ(FindDuplicates({root, NameBit, false, 0, &cancel}).size(), 0u);
}

TEST(DuplicateSearchStart, NeedsACriterionAndReadsTheMinimumSize) {
    ScriptedPrompter prompter;
    EXPECT_FALSE(DuplicateCriteriaChosen(0, prompter));
    ASSERT_EQ(prompter.shownTexts(), std::vector<std::string>{"Please select at least one comparison criterium!"});
    EXPECT_TRUE(DuplicateCriteriaChosen(SizeBit, prompter));
    EXPECT_EQ(prompter.shown().size(), 1u);

    DuplicateJob job;
    SetMinimumSize(job, "", 20);
    EXPECT_FALSE(job.minSizeFilter);
    SetMinimumSize(job, "1", 20);
    EXPECT_TRUE(job.minSizeFilter);
    EXPECT_EQ(job.minSize, 1048576u);
    SetMinimumSize(job, "x5", 10);  // no leading digits: every file qualifies
    EXPECT_TRUE(job.minSizeFilter);
    EXPECT_EQ(job.minSize, 0u);
    SetMinimumSize(job, "12abc", 0);
    EXPECT_EQ(job.minSize, 12u);
}

}  // namespace
}  // namespace shelfmark::search
