// The memory of one catalog tree: items, names, attribute arrays, texts and blocks come from
// large chunks instead of one heap block each, which keeps a catalog of millions of items small
// and lets the whole tree be freed at once. Freed pieces go to free lists by size and are reused.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

namespace shelfmark {

class ItemArena {
  public:
    ItemArena() = default;
    ItemArena(const ItemArena&) = delete;
    ItemArena& operator=(const ItemArena&) = delete;

    // `bytes` of memory aligned for pointers; never null (throws std::bad_alloc like new).
    void* allocate(size_t bytes);
    // Gives back a piece from allocate() of the same size.
    void release(void* piece, size_t bytes);
    // Frees everything at once; every piece handed out becomes invalid.
    void clear();
    // Takes over all of `other`'s memory: its pieces stay valid and become this arena's, to be
    // released here; `other` is left empty. Its unused chunk space is not reused.
    void adopt(ItemArena& other);
    // Bytes held from the system (chunks and large pieces).
    size_t bytesReserved() const { return reserved_; }

  private:
    static constexpr size_t kGranule = 8;
    static constexpr size_t kLargestSmall = 1024;
    // Chunks grow from 16 KiB to 1 MiB, so that small trees (an import, a test) stay small.
    static constexpr size_t kFirstChunkBytes = size_t(1) << 14;
    static constexpr size_t kLargestChunkBytes = size_t(1) << 20;

    static size_t roundUp(size_t bytes) { return (bytes + kGranule - 1) & ~(kGranule - 1); }

    struct FreePiece {
        FreePiece* next;
    };

    std::vector<std::unique_ptr<std::byte[]>> chunks_;
    std::byte* cursor_ = nullptr;
    std::byte* end_ = nullptr;
    std::array<FreePiece*, kLargestSmall / kGranule + 1> freeLists_{};
    std::unordered_map<void*, std::unique_ptr<std::byte[]>> large_;
    size_t reserved_ = 0;
};

}  // namespace shelfmark
