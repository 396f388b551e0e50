// The trigram index never leaves out a block that holds a run, compared with a plain search of
// every name.
#include <gtest/gtest.h>

#include <algorithm>
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

// Names as a random mix of common and rare pieces, so that lists have deltas of one byte and
// of several, and a list's first block in one part lies far from its last in the part before.
std::pair<std::string, std::vector<uint32_t>> RandomNames(uint32_t seed, size_t count) {
    std::mt19937 random(seed);
    const char* const common[] = {"img", "_", ".jpg", "track ", "\xC3\xA9t\xC3\xA9", "ab", "1", "2"};
    const char* const rare[] = {"qzx", "wvu", "k\xC3\xB6ln", "zz9"};
    std::string arena;
    std::vector<uint32_t> starts{0};
    for (size_t i = 0; i < count; ++i) {
        for (int n = int(random() % 5); n >= 0; --n)
            arena += common[random() % std::size(common)];
        if (random() % 997 == 0)
            arena += rare[random() % std::size(rare)];
        if (random() % 50 == 0)
            arena.append(random() % 300, char('a' + random() % 26));  // long names, empty ones
        starts.push_back(uint32_t(arena.size()));
    }
    return {arena, starts};
}

TEST(TrigramIndex, TheSameListsWhateverTheThreadCount) {
    for (const uint32_t seed : {1u, 2u, 3u}) {
        for (const size_t count : {size_t(0), size_t(1), size_t(63), size_t(65), size_t(130), size_t(40000)}) {
            const auto [arena, starts] = RandomNames(seed, count);
            const std::vector<size_t> wide(starts.begin(), starts.end());
            const TrigramIndex one(arena, starts, 1);
            ASSERT_TRUE(one.usable());
            for (const unsigned threads : {2u, 3u, 5u, 0u}) {
                EXPECT_TRUE(TrigramIndex(arena, starts, threads) == one) << seed << " " << count << " " << threads;
                EXPECT_TRUE(TrigramIndex(arena, wide, threads) == one) << seed << " " << count << " " << threads;
            }
            // And what they answer is what a plain look at every name gives.
            const TrigramIndex three(arena, starts, 3);
            for (const char* run : {"qzx", "k\xC3\xB6ln", "jpg", "zz9", "aaa"}) {
                std::vector<uint32_t> holding;
                for (size_t name = 0; name < count; ++name) {
                    const std::string_view text(arena.data() + starts[name], starts[name + 1] - starts[name]);
                    const uint32_t block = uint32_t(name / TrigramIndex::kBlockItems);
                    if (text.find(run) != std::string_view::npos && (holding.empty() || holding.back() != block))
                        holding.push_back(block);
                }
                const std::vector<uint32_t> candidates = three.candidateBlocks(run);
                EXPECT_TRUE(std::includes(candidates.begin(), candidates.end(), holding.begin(), holding.end()))
                    << seed << " " << count << " " << run;
            }
        }
    }
}

TEST(TrigramIndex, NoNamesNoBlocks) {
    const std::vector<uint32_t> starts{0, 0, 2};
    const TrigramIndex index("ab", starts);
    EXPECT_TRUE(index.candidateBlocks("abc").empty());
}

}  // namespace
}  // namespace shelfmark::search
