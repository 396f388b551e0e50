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

void ItemArena::adopt(ItemArena& other) {
    if (&other == this)
        return;
    for (auto& chunk : other.chunks_)
        chunks_.push_back(std::move(chunk));
    for (auto& [piece, block] : other.large_)
        large_.emplace(piece, std::move(block));
    for (size_t i = 0; i < freeLists_.size(); ++i) {
        FreePiece* head = other.freeLists_[i];
        if (head == nullptr)
            continue;
        FreePiece* tail = head;
        while (tail->next)
            tail = tail->next;
        tail->next = freeLists_[i];
        freeLists_[i] = head;
    }
    reserved_ += other.reserved_;
    other.chunks_.clear();
    other.large_.clear();
    other.freeLists_.fill(nullptr);
    other.cursor_ = other.end_ = nullptr;
    other.reserved_ = 0;
}

void ItemArena::clear() {
    chunks_.clear();
    large_.clear();
    freeLists_.fill(nullptr);
    cursor_ = end_ = nullptr;
    reserved_ = 0;
}

}  // namespace shelfmark
