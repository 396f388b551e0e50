// The cursors a snapshot search walks a packed run of texts with (texts one after another, each
// from its start offset to the next one's): each gives, in ascending order, the texts that hold
// a literal run of bytes. Private to the search library.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "search/TrigramIndex.h"

namespace shelfmark::search {

// Finds, in ascending order, the texts of a packed run of texts (names, or an item's text
// records) that hold a literal run: the bytes are searched for the run's rarest byte with memchr
// and the run compared around it, so texts without that byte cost nothing; a match found is
// mapped to its text by galloping forward, and one that runs across two texts is no hit.
template <typename Offset>
class RunCursor {
  public:
    // Texts `from` to `to` of `starts` (one offset more than texts), looking for `run`.
    RunCursor(const char* base, const Offset* starts, std::string_view run, size_t rare, size_t from, size_t to)
        : base_(base), starts_(starts), run_(run), rare_(rare), pos_(starts[from]), end_(starts[to]),
          text_(from), to_(to) {}

    // The next text that holds the run, or `to`.
    size_t next() {
        const size_t length = run_.size();
        while (pos_ + length <= end_) {
            const size_t from = pos_ + rare_;
            const size_t last = end_ - (length - 1 - rare_);
            const void* found = std::memchr(base_ + from, run_[rare_], last - from);
            if (!found)
                break;
            const size_t at = size_t(static_cast<const char*>(found) - base_) - rare_;
            if (length > 1 && std::memcmp(base_ + at, run_.data(), length) != 0) {
                pos_ = at + 1;
                continue;
            }
            for (int step = 0; step < 8 && starts_[text_ + 1] <= at; ++step)
                ++text_;
            if (starts_[text_ + 1] <= at)
                text_ = size_t(std::upper_bound(starts_ + text_ + 1, starts_ + to_ + 1, Offset(at)) - starts_ - 1);
            if (at + length <= starts_[text_ + 1]) {
                pos_ = starts_[text_ + 1];
                return text_++;
            }
            pos_ = at + 1;  // runs into the next text: look again just after this start
        }
        pos_ = end_;
        return to_;
    }

  private:
    const char* base_;
    const Offset* starts_;
    std::string_view run_;
    size_t rare_;
    size_t pos_;
    size_t end_;
    size_t text_;
    size_t to_;
};

// A RunCursor over texts `from` to `to`, or, given the blocks a trigram index names, only over
// the texts of those blocks.
template <typename Offset>
class NarrowedCursor {
  public:
    NarrowedCursor(const char* base, const Offset* starts, std::string_view run, size_t rare, size_t from,
                   size_t to, const std::vector<uint32_t>* blocks)
        : base_(base), starts_(starts), run_(run), rare_(rare), from_(from), to_(to), blocks_(blocks),
          whole_(base, starts, run, rare, from, blocks ? from : to) {
        if (blocks)
            block_ = std::lower_bound(blocks->begin(), blocks->end(), uint32_t(from / kBlock));
    }

    // The next text that holds the run, or `to`.
    size_t next() {
        if (!blocks_)
            return whole_.next();
        while (true) {
            if (inBlock_) {
                const size_t at = inBlock_->next();
                if (at < blockEnd_)
                    return at;
                inBlock_.reset();
            }
            if (block_ == blocks_->end())
                return to_;
            const size_t lo = std::max(from_, size_t(*block_) * kBlock);
            blockEnd_ = std::min(to_, size_t(*block_) * kBlock + kBlock);
            ++block_;
            if (lo >= to_)
                return to_;
            if (lo < blockEnd_)
                inBlock_.emplace(base_, starts_, run_, rare_, lo, blockEnd_);
        }
    }

  private:
    static constexpr size_t kBlock = TrigramIndex::kBlockItems;
    const char* base_;
    const Offset* starts_;
    std::string_view run_;
    size_t rare_;
    size_t from_;
    size_t to_;
    const std::vector<uint32_t>* blocks_;
    RunCursor<Offset> whole_;
    std::vector<uint32_t>::const_iterator block_;
    std::optional<RunCursor<Offset>> inBlock_;
    size_t blockEnd_ = 0;
};


// Finds the names of a packed run of names that hold a literal run, when the run's rarest byte is
// common: most names hold it, so rather than memchr to each next place, the first 32 bytes of
// every name are compared with the run 16 at a time and the name kept when a match starts inside
// it (a longer name is searched). Names are marked a batch at a time with no branch on whether
// each one holds the run, a coin toss a processor cannot predict.
class DenseCursor {
  public:
    // Names `from` to `to` of `starts` (one offset more than names); bytes of `base` up to
    // `limit` may be read.
    DenseCursor(const char* base, size_t limit, const uint32_t* starts, std::string_view run, size_t from,
                size_t to)
        : base_(base), limit_(limit), starts_(starts), run_(run), text_(from), to_(to) {}

    // The next names that hold the run, ascending; empty at the end. The span lasts until the
    // next call.
    std::span<const uint32_t> nextBatch();
    // The next name that holds the run, or `to`. Not mixed with nextBatch.
    size_t next() {
        if (at_ == batch_.size()) {
            batch_ = nextBatch();
            at_ = 0;
            if (batch_.empty())
                return to_;
        }
        return batch_[at_++];
    }

  private:
    // Writes the names from `from` up to `to` that hold the run to marks_; how many.
    size_t mark(size_t from, size_t to);
    bool holds(uint32_t start, uint32_t size) const {
        return std::string_view(base_ + start, size).find(run_) != std::string_view::npos;
    }

    const char* base_;
    size_t limit_;
    const uint32_t* starts_;
    std::string_view run_;
    size_t text_;
    size_t to_;
    std::vector<uint32_t> marks_;
    std::span<const uint32_t> batch_;
    size_t at_ = 0;
};

}  // namespace shelfmark::search
