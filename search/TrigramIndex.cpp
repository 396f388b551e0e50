#include "search/TrigramIndex.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <limits>

#include "search/ParallelParts.h"

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

constexpr unsigned kHashBits = 20;

uint32_t HashTrigram(uint32_t key) {
    return (key * 2654435761u) >> (32 - kHashBits);
}

// One list as one part of the build sees it: the last block the part put in it plus one (0:
// none yet) and the list's bytes (while sizing) or the offset of its next delta (while writing).
// Eight bytes, so that the slots of every list stay in the processor's cache as far as they can.
struct Slot {
    uint32_t last = 0;
    uint32_t at = 0;
};

// Calls visit(slot of the trigram's list, block + 1, list) for every trigram (three consecutive bytes
// inside one name) of the names of blocks [fromBlock, toBlock), in order. A block's lists are
// hashed first, so that their slots can be fetched from memory well before they are needed.
template <typename Offset, typename Visit>
void ForEachTrigram(std::string_view arena, std::span<const Offset> nameStart, size_t fromBlock, size_t toBlock,
                    Slot* slots, Visit&& visit) {
    constexpr size_t kBlock = TrigramIndex::kBlockItems;
    constexpr size_t kAhead = 16;
    const size_t names = nameStart.size() - 1;
    const auto* const bytes = reinterpret_cast<const uint8_t*>(arena.data());
    std::vector<uint32_t> lists;
    for (size_t block = fromBlock; block < toBlock; ++block) {
        const size_t first = block * kBlock;
        const size_t last = std::min(names, first + kBlock);
        lists.resize(std::max(lists.size(), size_t(nameStart[last] - nameStart[first])));
        size_t count = 0;
        for (size_t name = first; name < last; ++name) {
            const size_t begin = nameStart[name];
            const size_t end = nameStart[name + 1];
            if (end - begin < 3)
                continue;
            uint32_t key = uint32_t(bytes[begin]) << 8 | bytes[begin + 1];
            for (size_t at = begin + 2; at < end; ++at) {
                key = (key << 8 | bytes[at]) & 0xFFFFFF;
                lists[count++] = HashTrigram(key);
            }
        }
        const uint32_t mark = uint32_t(block + 1);
        for (size_t i = 0; i < std::min(count, kAhead); ++i)
            __builtin_prefetch(slots + lists[i]);
        for (size_t i = 0; i < count; ++i) {
            if (i + kAhead < count)
                __builtin_prefetch(slots + lists[i + kAhead]);
            visit(slots[lists[i]], mark, lists[i]);
        }
    }
}

}  // namespace

uint32_t TrigramIndex::BucketOf(const char* trigram) {
    return HashTrigram(uint32_t(uint8_t(trigram[0])) << 16 | uint32_t(uint8_t(trigram[1])) << 8 |
                       uint32_t(uint8_t(trigram[2])));
}

TrigramIndex::TrigramIndex(std::string_view arena, std::span<const uint32_t> nameStart, unsigned threads) {
    build(arena, nameStart, threads);
}

TrigramIndex::TrigramIndex(std::string_view arena, std::span<const size_t> nameStart, unsigned threads) {
    build(arena, nameStart, threads);
}

template <typename Offset>
void TrigramIndex::build(std::string_view arena, std::span<const Offset> nameStart, unsigned threads) {
    static_assert(kBucketBits == kHashBits);
    const size_t buckets = size_t(1) << kBucketBits;
    const size_t names = nameStart.empty() ? 0 : nameStart.size() - 1;
    const size_t blocks = (names + kBlockItems - 1) / kBlockItems;
    const unsigned parts = unsigned(std::clamp<size_t>(ThreadsOrCores(threads), 1, std::max<size_t>(blocks, 1)));
    // Each part a range of blocks of about the same bytes.
    std::vector<size_t> bound(parts + 1, blocks);
    bound[0] = 0;
    for (unsigned part = 1; part < parts; ++part) {
        const uint64_t bytes = names ? uint64_t(nameStart[names]) : 0;
        const uint64_t target = bytes * part / parts;
        size_t lo = bound[part - 1];
        size_t hi = blocks;
        while (lo < hi) {
            const size_t mid = lo + (hi - lo) / 2;
            if (uint64_t(nameStart[mid * kBlockItems]) < target)
                lo = mid + 1;
            else
                hi = mid;
        }
        bound[part] = lo;
    }
    // Two passes over every trigram in block order: the first sizes each part of each list, the
    // second writes it.
    // The first block each part put in each list (plus one), for the parts after the first.
    std::vector<std::vector<Slot>> slots(parts);
    std::vector<std::vector<uint32_t>> firsts(parts);
    RunParts(parts, [&](unsigned part) {
        slots[part].assign(buckets, Slot{});
        if (part > 0)
            firsts[part].assign(buckets, 0);
        uint32_t* const first = firsts[part].data();
        ForEachTrigram(arena, nameStart, bound[part], bound[part + 1], slots[part].data(),
                       [first](Slot& slot, uint32_t mark, uint32_t list) {
                           if (first && slot.last == 0)
                               first[list] = mark;
                           // Without a branch: whether a block is new to a list is a coin toss.
                           slot.at += (uint32_t(std::bit_width(mark - slot.last)) + 6) / 7;
                           slot.last = mark;
                       });
    });
    // The lists laid end to end; each part's first delta counted from the block the parts before
    // it ended the list with, and each part's slot turned to where it writes and from which block.
    bucketStart_.resize(buckets + 1);
    uint64_t total = 0;
    auto clipped = [](uint64_t offset) {
        return uint32_t(std::min<uint64_t>(offset, std::numeric_limits<uint32_t>::max()));
    };
    for (size_t b = 0; b < buckets; ++b) {
        bucketStart_[b] = clipped(total);
        uint32_t previous = 0;
        for (unsigned part = 0; part < parts; ++part) {
            Slot& slot = slots[part][b];
            if (slot.last == 0)
                continue;
            uint64_t size = slot.at;
            if (part > 0) {
                const uint32_t first = firsts[part][b];
                size = size - VarintLength(first) + VarintLength(first - previous);
            }
            const uint32_t last = slot.last;
            slot.last = previous;
            slot.at = clipped(total);
            total += size;
            previous = last;
        }
    }
    bucketStart_[buckets] = clipped(total);
    if (total >= std::numeric_limits<uint32_t>::max()) {
        // Too many postings for 32-bit offsets: an index that narrows nothing.
        bucketStart_.clear();
        return;
    }
    postings_.resize(total);
    uint8_t* const postings = postings_.data();
    RunParts(parts, [&](unsigned part) {
        ForEachTrigram(arena, nameStart, bound[part], bound[part + 1], slots[part].data(),
                       [postings](Slot& slot, uint32_t mark, uint32_t) {
                           if (slot.last != mark) {
                               slot.at = uint32_t(PutVarint(postings + slot.at, mark - slot.last) - postings);
                               slot.last = mark;
                           }
                       });
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
