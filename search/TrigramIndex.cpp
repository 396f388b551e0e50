#include "search/TrigramIndex.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace shelfmark::search {
namespace {

size_t VarintLength(uint32_t value) {
    size_t length = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++length;
    }
    return length;
}

uint8_t* PutVarint(uint8_t* out, uint32_t value) {
    while (value >= 0x80) {
        *out++ = uint8_t(value | 0x80);
        value >>= 7;
    }
    *out++ = uint8_t(value);
    return out;
}

}  // namespace

uint32_t TrigramIndex::BucketOf(const char* trigram) {
    const uint32_t key = uint32_t(uint8_t(trigram[0])) << 16 | uint32_t(uint8_t(trigram[1])) << 8 |
                         uint32_t(uint8_t(trigram[2]));
    return (key * 2654435761u) >> (32 - kBucketBits);
}

TrigramIndex::TrigramIndex(std::string_view arena, std::span<const uint32_t> nameStart) {
    build(arena, nameStart);
}

TrigramIndex::TrigramIndex(std::string_view arena, std::span<const size_t> nameStart) {
    build(arena, nameStart);
}

template <typename Offset>
void TrigramIndex::build(std::string_view arena, std::span<const Offset> nameStart) {
    const size_t buckets = size_t(1) << kBucketBits;
    const size_t names = nameStart.empty() ? 0 : nameStart.size() - 1;
    // Two passes over every trigram in block order: the first sizes each bucket's list, the
    // second writes it. A bucket's last block (plus one; 0: none yet) keeps each block once per
    // list and gives the delta.
    std::vector<uint32_t> last(buckets, 0);
    std::vector<uint32_t> size(buckets + 1, 0);
    auto forEachTrigram = [&](auto&& visit) {
        for (size_t name = 0; name < names; ++name) {
            const uint32_t block = uint32_t(name / kBlockItems);
            for (size_t at = nameStart[name]; at + 3 <= nameStart[name + 1]; ++at)
                visit(BucketOf(arena.data() + at), block);
        }
    };
    forEachTrigram([&](uint32_t bucket, uint32_t block) {
        if (last[bucket] != block + 1) {
            size[bucket] += uint32_t(VarintLength(block + 1 - last[bucket]));
            last[bucket] = block + 1;
        }
    });
    bucketStart_.resize(buckets + 1);
    uint64_t total = 0;
    for (size_t b = 0; b < buckets; ++b) {
        bucketStart_[b] = uint32_t(std::min<uint64_t>(total, std::numeric_limits<uint32_t>::max()));
        total += size[b];
    }
    bucketStart_[buckets] = uint32_t(std::min<uint64_t>(total, std::numeric_limits<uint32_t>::max()));
    if (total >= std::numeric_limits<uint32_t>::max()) {
        // Too many postings for 32-bit offsets: an index that narrows nothing.
        bucketStart_.clear();
        return;
    }
    postings_.resize(total);
    std::fill(last.begin(), last.end(), 0);
    std::vector<uint32_t> cursor(bucketStart_.begin(), bucketStart_.end() - 1);
    forEachTrigram([&](uint32_t bucket, uint32_t block) {
        if (last[bucket] != block + 1) {
            uint8_t* const end = PutVarint(postings_.data() + cursor[bucket], block + 1 - last[bucket]);
            cursor[bucket] = uint32_t(end - postings_.data());
            last[bucket] = block + 1;
        }
    });
}

std::vector<uint32_t> TrigramIndex::decode(uint32_t bucket) const {
    std::vector<uint32_t> blocks;
    const uint8_t* at = postings_.data() + bucketStart_[bucket];
    const uint8_t* const end = postings_.data() + bucketStart_[bucket + 1];
    uint32_t previous = 0;  // the last block plus one
    while (at < end) {
        uint32_t delta = 0;
        for (unsigned shift = 0; at < end; shift += 7) {
            const uint8_t byte = *at++;
            delta |= uint32_t(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                break;
        }
        previous += delta;
        blocks.push_back(previous - 1);
    }
    return blocks;
}

std::vector<uint32_t> TrigramIndex::candidateBlocks(std::string_view run) const {
    std::vector<uint32_t> buckets;
    for (size_t at = 0; at + 3 <= run.size(); ++at)
        buckets.push_back(BucketOf(run.data() + at));
    std::sort(buckets.begin(), buckets.end());
    buckets.erase(std::unique(buckets.begin(), buckets.end()), buckets.end());
    // The shortest lists first: the intersection is small after them.
    std::sort(buckets.begin(), buckets.end(), [&](uint32_t a, uint32_t b) {
        return bucketStart_[a + 1] - bucketStart_[a] < bucketStart_[b + 1] - bucketStart_[b];
    });
    std::vector<uint32_t> blocks = decode(buckets.front());
    for (size_t i = 1; i < buckets.size() && !blocks.empty(); ++i) {
        const std::vector<uint32_t> other = decode(buckets[i]);
        std::vector<uint32_t> both;
        std::set_intersection(blocks.begin(), blocks.end(), other.begin(), other.end(), std::back_inserter(both));
        blocks = std::move(both);
    }
    return blocks;
}

}  // namespace shelfmark::search
