// A compact copy of what searches read from the catalog, so that repeated searches do not walk
// item records and case-fold every name again: the items in pre-order with their folded names in
// one arena, and per item its parent, subtree end, flags, size, date and categories, and whether
// it has a description or other texts. Built on the first search; any change the document
// announces marks it stale and the next search builds it again. The scan splits the pre-order
// range between threads and joins their hits in order, finding exactly what SearchTree finds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/DocumentObserver.h"
#include "search/PreparedSearch.h"

namespace shelfmark {
class CancelFlag;
class CatalogDocument;
class CatalogTree;
}  // namespace shelfmark

namespace shelfmark::search {

class SearchSnapshot : public DocumentObserver {
  public:
    // Follows the document's changes until destroyed. The document must outlive the snapshot.
    explicit SearchSnapshot(CatalogDocument& document);
    ~SearchSnapshot() override;
    SearchSnapshot(const SearchSnapshot&) = delete;
    SearchSnapshot& operator=(const SearchSnapshot&) = delete;

    // The hits below start, in walk order, as SearchTree gives them. threads = 0: one per core.
    std::vector<const CatalogItem*> search(const PreparedSearch& search, const CatalogItem& start,
                                           const CancelFlag* cancel = nullptr,
                                           unsigned threads = 0);

    // Builds the snapshot now when it is stale (search does this itself).
    void refresh();
    bool stale() const { return stale_; }
    size_t itemCount() const { return items_.size(); }
    // Bytes held per item, without the name arena, and the arena's bytes.
    size_t bytesPerItem() const;
    size_t arenaBytes() const { return arena_.capacity() + descriptions_.capacity(); }

    void itemInserted(CatalogItem&) override { stale_ = true; }
    void itemRemoving(CatalogItem&) override { stale_ = true; }
    void itemRemoved(CatalogItem*, CatalogItem*) override { stale_ = true; }
    void itemMoving(CatalogItem&, CatalogItem*) override { stale_ = true; }
    void itemMoved(CatalogItem&, CatalogItem*) override { stale_ = true; }
    void itemChanged(CatalogItem&) override { stale_ = true; }
    void reset() override { stale_ = true; }

  private:
    struct Range;
    void build(const CatalogTree& tree);
    std::vector<const CatalogItem*> scan(const PreparedSearch& search, uint32_t startIndex,
                                         uint32_t from, uint32_t to,
                                         const CancelFlag* cancel, bool& cancelled) const;
    class LiteralCursor;
    bool locked(uint32_t index) const;
    // Every item between index and the start item is a container that is not locked.
    bool visibleBelow(uint32_t index, uint32_t startIndex) const;
    // The scan for one literal word when no category, case or extra-information rule applies:
    // only the items whose folded name holds the word, and those with a description, are tested.
    std::vector<const CatalogItem*> sparseScan(const PreparedSearch& search, uint32_t startIndex,
                                               uint32_t from, uint32_t to,
                                               const CancelFlag* cancel, bool& cancelled) const;
    std::string_view foldedDescription(uint32_t index) const;
    bool matches(const PreparedSearch& search, uint32_t index, LiteralCursor* literal) const;
    std::string_view foldedName(uint32_t index) const {
        return {arena_.data() + nameStart_[index], nameStart_[index + 1] - nameStart_[index]};
    }

    CatalogDocument& document_;
    bool stale_ = true;
    bool usable_ = false;  // false: the catalog is too large for the snapshot's offsets

    // Per item, in pre-order of the whole tree.
    std::vector<const CatalogItem*> items_;
    std::vector<uint32_t> nameStart_;  // one more than items: the end of the last name
    std::vector<uint32_t> parent_;     // index of the parent; kNoParent at the top level
    std::vector<uint32_t> end_;        // one past the last item of the subtree
    std::vector<uint64_t> size_;
    std::vector<int32_t> date_;
    std::vector<uint32_t> categories_;  // the categories attribute, 0 when absent
    std::vector<uint16_t> flags_;
    std::vector<uint8_t> bits_;
    std::vector<char> arena_;
    // The folded descriptions of the items that have one, in item order.
    std::vector<uint32_t> describedItems_;
    std::vector<size_t> descriptionStart_;  // one more than describedItems_
    std::string descriptions_;
};

}  // namespace shelfmark::search
