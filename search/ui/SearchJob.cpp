#include "search/ui/SearchJob.h"

#include <new>

#include "search/SearchWalk.h"

namespace shelfmark::search {

SearchJob::SearchJob(PreparedSearch search, const CatalogItem& start)
    : search_(std::move(search)), thread_([this, &start] { run(start); }) {}

SearchJob::~SearchJob() {
    cancel_.request();
    thread_.join();
}

std::vector<const CatalogItem*> SearchJob::takeHits() {
    std::vector<const CatalogItem*> hits;
    const std::lock_guard lock(mutex_);
    hits.swap(pending_);
    return hits;
}

void SearchJob::run(const CatalogItem& start) {
    SearchTree(search_, start, &cancel_, [this](const CatalogItem* hit) {
        const std::lock_guard lock(mutex_);
        try {
            pending_.push_back(hit);
        } catch (const std::bad_alloc&) {
            return false;  // out of memory: the walk ends and the hits so far stay
        }
        hitCount_.fetch_add(1, std::memory_order_relaxed);
        return true;
    });
    finished_.store(true, std::memory_order_release);
}

}  // namespace shelfmark::search
