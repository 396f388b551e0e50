#include "search/ui/SearchJob.h"

#include <sys/resource.h>
#include <unistd.h>

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
    // The walk gives way to the window's thread: on a busy machine the window showing rows and
    // answering the user matters more than the walk finishing a little sooner. (Linux takes a
    // thread id here; failing is harmless.)
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
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
