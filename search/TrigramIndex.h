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
//
// Built on several threads when asked: each takes a range of blocks (about equal in bytes),
// sizes and then writes its part of every list, the first delta of each part re-encoded against
// the last block the parts before it put in that list, so that the index is the same byte for
// byte whatever the thread count.
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

    // Indexes the names: name i is arena[nameStart[i], nameStart[i + 1]). threads = 0: one per
    // core.
    TrigramIndex(std::string_view arena, std::span<const uint32_t> nameStart, unsigned threads = 1);
    TrigramIndex(std::string_view arena, std::span<const size_t> nameStart, unsigned threads = 1);

    // False when the names were too many to index; then nothing may be asked.
    bool usable() const { return !bucketStart_.empty(); }
    // The blocks, ascending, whose names may hold `run` (at least kMinimumRun bytes).
    std::vector<uint32_t> candidateBlocks(std::string_view run) const;
    size_t bytes() const { return postings_.capacity() + bucketStart_.capacity() * sizeof(uint32_t); }
    // Same lists, byte for byte.
    friend bool operator==(const TrigramIndex&, const TrigramIndex&) = default;

  private:
    static constexpr unsigned kBucketBits = 20;
    static uint32_t BucketOf(const char* trigram);
    template <typename Offset>
    void build(std::string_view arena, std::span<const Offset> nameStart, unsigned threads);
    std::vector<uint32_t> decode(uint32_t bucket) const;

    std::vector<uint32_t> bucketStart_;  // one more than buckets: offsets into postings_
    std::vector<uint8_t> postings_;
};

}  // namespace shelfmark::search
