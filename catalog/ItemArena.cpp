#include "catalog/ItemArena.h"

#include <algorithm>

namespace shelfmark {

void* ItemArena::allocate(size_t bytes) {
    const size_t size = roundUp(bytes == 0 ? 1 : bytes);
    if (size > kLargestSmall) {
        auto block = std::make_unique_for_overwrite<std::byte[]>(size);
        void* piece = block.get();
        large_.emplace(piece, std::move(block));
        reserved_ += size;
        return piece;
    }
    FreePiece*& freeList = freeLists_[size / kGranule];
    if (freeList) {
        FreePiece* piece = freeList;
        freeList = piece->next;
        return piece;
    }
    if (size_t(end_ - cursor_) < size) {
        const size_t chunkBytes =
            std::min(kLargestChunkBytes, kFirstChunkBytes << std::min<size_t>(chunks_.size(), 6));
        chunks_.push_back(std::make_unique_for_overwrite<std::byte[]>(chunkBytes));
        cursor_ = chunks_.back().get();
        end_ = cursor_ + chunkBytes;
        reserved_ += chunkBytes;
    }
    void* piece = cursor_;
    cursor_ += size;
    return piece;
}

void ItemArena::release(void* piece, size_t bytes) {
    if (!piece)
        return;
    const size_t size = roundUp(bytes == 0 ? 1 : bytes);
    if (size > kLargestSmall) {
        if (large_.erase(piece))
            reserved_ -= size;
        return;
    }
    auto* freed = static_cast<FreePiece*>(piece);
    freed->next = freeLists_[size / kGranule];
    freeLists_[size / kGranule] = freed;
}

void ItemArena::clear() {
    chunks_.clear();
    large_.clear();
    freeLists_.fill(nullptr);
    cursor_ = end_ = nullptr;
    reserved_ = 0;
}

}  // namespace shelfmark
