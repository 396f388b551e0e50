#include "search/RunCursors.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace shelfmark::search {
namespace {

constexpr size_t kBatch = 4096;
// Longer runs are searched name by name; a run whose every byte is common is short.
constexpr size_t kMaxComparedRun = 8;
constexpr uint32_t kComparedBytes = 32;

}  // namespace

std::span<const uint32_t> DenseCursor::nextBatch() {
    if (marks_.empty())
        marks_.resize(kBatch);
    while (text_ < to_) {
        const size_t end = std::min(to_, text_ + kBatch);
        const size_t count = mark(text_, end);
        text_ = end;
        if (count > 0)
            return {marks_.data(), count};
    }
    return {};
}

size_t DenseCursor::mark(size_t from, size_t to) {
    uint32_t* const out = marks_.data();
    size_t count = 0;
    const size_t length = run_.size();
#if defined(__SSE2__)
    if (length <= kMaxComparedRun) {
        __m128i needles[kMaxComparedRun];
        for (size_t k = 0; k < length; ++k)
            needles[k] = _mm_set1_epi8(run_[k]);
        for (size_t i = from; i < to; ++i) {
            const uint32_t start = starts_[i];
            const uint32_t size = starts_[i + 1] - start;
            bool found;
            if (size <= kComparedBytes && start + kComparedBytes + length <= limit_) [[likely]] {
                // Bit p of places: the run starts at byte p.
                uint32_t places = ~0u;
                const char* const at = base_ + start;
                for (size_t k = 0; k < length; ++k) {
                    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k));
                    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + k + 16));
                    places &= uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(low, needles[k]))) |
                              uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(high, needles[k]))) << 16;
                }
                // A match inside the name starts at byte 0 to size - length.
                const uint32_t first = size >= length ? uint32_t(size - length + 1) : 0;
                found = (places & uint32_t((uint64_t(1) << first) - 1)) != 0;
            } else {
                found = holds(start, size);
            }
            out[count] = uint32_t(i);
            count += found;
        }
        return count;
    }
#endif
    for (size_t i = from; i < to; ++i) {
        out[count] = uint32_t(i);
        count += holds(starts_[i], starts_[i + 1] - starts_[i]);
    }
    return count;
}

}  // namespace shelfmark::search
