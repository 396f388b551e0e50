// The trigram index never leaves out a block that holds a run, compared with a plain search of
// every name.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "search/TrigramIndex.h"

namespace shelfmark::search {
namespace {

TEST(TrigramIndex, NamesEveryBlockThatHoldsTheRun) {
    std::mt19937 random(3);
    const char* const pieces[] = {"ab", "abc", "bca", "x", "\xC3\xA9t\xC3\xA9", ".mp3", "zz", "q"};
    std::string arena;
    std::vector<uint32_t> starts{0};
    for (int i = 0; i < 5000; ++i) {
        for (int n = int(random() % 4); n >= 0; --n)
            arena += pieces[random() % std::size(pieces)];
        starts.push_back(uint32_t(arena.size()));
    }
    const TrigramIndex index(arena, starts);
    ASSERT_TRUE(index.usable());
    size_t narrowed = 0;
    for (const char* run : {"abc", "bca", "cab", "c.mp3", "zzq", "qqq", "\xC3\xA9t\xC3\xA9", "xab", "aaa", "yyy"}) {
        std::vector<uint32_t> holding;
        for (size_t name = 0; name + 1 < starts.size(); ++name) {
            const std::string_view text(arena.data() + starts[name], starts[name + 1] - starts[name]);
            const uint32_t block = uint32_t(name / TrigramIndex::kBlockItems);
            if (text.find(run) != std::string_view::npos && (holding.empty() || holding.back() != block))
                holding.push_back(block);
        }
        const std::vector<uint32_t> candidates = index.candidateBlocks(run);
        EXPECT_TRUE(std::is_sorted(candidates.begin(), candidates.end())) << run;
        EXPECT_TRUE(std::includes(candidates.begin(), candidates.end(), holding.begin(), holding.end())) << run;
        narrowed += candidates.size() < (starts.size() - 1) / TrigramIndex::kBlockItems;
    }
    // Runs that occur rarely or never leave out most blocks.
    EXPECT_GE(narrowed, 3u);
    EXPECT_TRUE(index.candidateBlocks("yyy").empty());
}

TEST(TrigramIndex, NoNamesNoBlocks) {
    const std::vector<uint32_t> starts{0, 0, 2};
    const TrigramIndex index("ab", starts);
    EXPECT_TRUE(index.candidateBlocks("abc").empty());
}

}  // namespace
}  // namespace shelfmark::search
