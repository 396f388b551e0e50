// Which blocks of consecutive names may hold a literal run of three bytes or more, so that a
// selective search visits a few blocks instead of every name (the way a locate database narrows
// its candidates). The names are those of the search snapshot's arena, blocks of kBlockItems
// names in arena order.
//
// Each trigram (three consecutive bytes inside one name) is hashed to one of 2^20 buckets; a
// bucket's posting list holds the ascending numbers of the blocks where one of its trigrams
// occurs, as varint deltas. A run's candidates are the blocks in every list of its trigrams.
// Hash collisions and trigrams from different names of a block only add candidates: the exact
// test on each name always decides.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace shelfmark::search {

class TrigramIndex {
  public:
    static constexpr uint32_t kBlockItems = 64;
    static constexpr size_t kMinimumRun = 3;

    // Indexes the names: name i is arena[nameStart[i], nameStart[i + 1]).
    TrigramIndex(std::string_view arena, std::span<const uint32_t> nameStart);
    TrigramIndex(std::string_view arena, std::span<const size_t> nameStart);

    // False when the names were too many to index; then nothing may be asked.
    bool usable() const { return !bucketStart_.empty(); }
    // The blocks, ascending, whose names may hold `run` (at least kMinimumRun bytes).
    std::vector<uint32_t> candidateBlocks(std::string_view run) const;
    size_t bytes() const { return postings_.capacity() + bucketStart_.capacity() * sizeof(uint32_t); }

  private:
    static constexpr unsigned kBucketBits = 20;
    static uint32_t BucketOf(const char* trigram);
    template <typename Offset>
    void build(std::string_view arena, std::span<const Offset> nameStart);
    std::vector<uint32_t> decode(uint32_t bucket) const;

    std::vector<uint32_t> bucketStart_;  // one more than buckets: offsets into postings_
    std::vector<uint8_t> postings_;
};

}  // namespace shelfmark::search
