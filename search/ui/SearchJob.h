// One running search of a search window: the walk runs on its own thread and leaves its hits in
// a queue that the window empties on its own schedule, so a search over millions of items never
// blocks the window and the first hits show while the walk goes on.
//
//     SearchJob job(PrepareSearch(criteria, now), *criteria.startItem);
//     ... on a timer: for (auto* hit : job.takeHits()) show(hit); if (job.finished()) ...
//
// The walk reads the catalog without a lock: while it runs, the window keeps the catalog from
// changing (the main window is disabled).
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/CancelFlag.h"
#include "search/PreparedSearch.h"

namespace shelfmark {
class CatalogItem;
}

namespace shelfmark::search {

class SearchJob {
  public:
    // Starts the walk below `start` at once.
    SearchJob(PreparedSearch search, const CatalogItem& start);
    // Cancels a walk still running and waits for it.
    ~SearchJob();
    SearchJob(const SearchJob&) = delete;
    SearchJob& operator=(const SearchJob&) = delete;

    // The walk stops after the item it is testing.
    void cancel() { cancel_.request(); }
    bool cancelled() const { return cancel_.isSet(); }

    // The hits found since the last call, in walk order.
    std::vector<const CatalogItem*> takeHits();
    // The walk has ended (finished or cancelled); hits may still wait in the queue.
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // Hits taken plus hits waiting.
    size_t hitCount() const { return hitCount_.load(std::memory_order_relaxed); }

  private:
    void run(const CatalogItem& start);

    PreparedSearch search_;
    CancelFlag cancel_;
    std::mutex mutex_;
    std::vector<const CatalogItem*> pending_;
    std::atomic<bool> finished_{false};
    std::atomic<size_t> hitCount_{0};
    std::thread thread_;
};

}  // namespace shelfmark::search
