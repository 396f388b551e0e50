// A compact copy of what searches read from the catalog, so that repeated searches do not walk
// item records and case-fold every name again: the items in pre-order with their folded names in
// one arena, and per item its parent, subtree end, flags, size, date and categories; beside them
// the sorted list of items that carry any text attribute, with those texts folded.
//
// Built on the first search and then kept up to date from the document's notifications: an
// inserted subtree is spliced in at its pre-order place, a removed one cut out, a changed item
// updated in place (its name spliced into the arena), a move is a cut and a splice. Anything the
// snapshot cannot place (a reset, siblings reordered behind its back) marks it stale and the next
// search builds it again.
//
// A search that needs a literal run of bytes (of its words, without "*" and "?", the one whose
// rarest byte is rarest; or of a text condition's value) looks for that run in the folded names
// and text records first, from the run's rarest byte, so that texts without it are never visited;
// the exact test always decides. Other searches scan every item. In a large catalog a run of three
// bytes or more is first narrowed to the blocks that trigram indexes name (built on the first
// search that can use them, dropped when items are inserted or removed, the blocks of changed
// items always visited). Either way the pre-order range is split between threads and their hits
// joined in order, finding exactly what SearchTree finds.
//
// The first build runs on every core: the tree is cut into pieces of whole subtrees (and runs of
// sibling subtrees) in pre-order, each thread appends the pieces it takes to tables of their own,
// and the tables are joined column by column with their indices shifted, giving the very columns
// a walk on one thread gives. The trigram indexes are likewise built by ranges of blocks.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalog/DocumentObserver.h"
#include "search/PreparedSearch.h"
#include "search/TrigramIndex.h"

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

    // Builds the snapshot now when it is stale (search does this itself, with its thread count).
    // threads = 0: one per core.
    void refresh(unsigned threads = 0);
    bool stale() const { return stale_; }
    // How often the snapshot was built whole; changes followed in place do not count.
    size_t builds() const { return builds_; }
    size_t itemCount() const { return table_.items.size(); }
    // Bytes held per item, without the name arena, and the bytes of the folded texts.
    size_t bytesPerItem() const;
    size_t arenaBytes() const { return table_.arena.capacity() + table_.records.capacity(); }
    // Catalogs with at least this many items use the trigram indexes (by default 1 << 18).
    void setTrigramThreshold(size_t items) { trigramThreshold_ = items; }
    // The indexes' bytes; 0 while there are none.
    // Whether the two hold the same columns, texts and trigram indexes, built or not.
    bool sameContents(const SearchSnapshot& other) const;
    size_t trigramBytes() const {
        return (trigrams_ ? trigrams_->bytes() : 0) + (textTrigrams_ ? textTrigrams_->bytes() : 0);
    }

    void itemInserted(CatalogItem& item) override;
    void itemRemoving(CatalogItem& item) override;
    void itemMoving(CatalogItem& item, CatalogItem* newParent) override;
    void itemMoved(CatalogItem& item, CatalogItem* formerParent) override;
    void itemChanged(CatalogItem& item) override;
    void reset() override { stale_ = true; }

  private:
    // The columns, for the whole tree or for one subtree about to be spliced in.
    struct Table {
        std::vector<const CatalogItem*> items;
        std::vector<uint32_t> nameStart;  // one more than items: the end of the last name
        std::vector<uint32_t> parent;     // index of the parent; kNoParent at the top level
        std::vector<uint32_t> end;        // one past the last item of the subtree
        std::vector<uint64_t> size;
        std::vector<int32_t> date;
        std::vector<uint32_t> categories;  // the categories attribute, 0 when absent
        std::vector<uint16_t> flags;
        std::vector<uint8_t> bits;
        std::string arena;
        // Ascending item indices: the items with any text attribute (their folded texts in
        // `records`), and the items with children whose subtree a walk may not enter (not a
        // container, or password-protected).
        std::vector<uint32_t> texts;
        std::vector<size_t> recordStart;  // one more than texts
        std::string records;
        std::vector<uint32_t> barriers;
        std::array<uint64_t, 256> byteCounts{};  // of the arena, to pick a literal's rarest byte

        Table() : nameStart{0}, recordStart{0} {}
        friend bool operator==(const Table&, const Table&) = default;
        // Appends `first`'s subtree and those of its next siblings, `subtrees` in all (or up to
        // the last sibling), in pre-order. False when the offsets would overflow.
        bool append(const CatalogItem* first, uint32_t parentIndex, size_t subtrees);
        // The columns of the whole tree below `topLevel` (and its siblings), the pieces built on
        // `threads` threads and joined. False when the offsets would overflow.
        bool build(const CatalogItem* topLevel, unsigned threads);
        // The item's own columns (not its subtree) from its present fields.
        void appendOwn(const CatalogItem& item, uint32_t parentIndex);
        std::string_view name(uint32_t index) const {
            return {arena.data() + nameStart[index], nameStart[index + 1] - nameStart[index]};
        }
    };
    enum class NameState : uint8_t { Unknown, Holds, Fails };

    void build(unsigned threads);
    // The index of an item in the table, found by descending from the top level; or kNone.
    uint32_t indexOf(const CatalogItem* item) const;
    // The children of parentIndex in the table are the item's parent's children in the tree.
    bool siblingsInOrder(uint32_t parentIndex, const CatalogItem* firstSibling) const;
    void insertSubtree(const CatalogItem& item);
    void eraseSubtree(uint32_t index);
    // Whether the name or flags changed, which may come with the siblings sorted again.
    bool updateOwn(uint32_t index);
    // The subtrees of the range a walk does not enter (locked or below a non-container).
    using Excluded = std::vector<std::pair<uint32_t, uint32_t>>;
    Excluded excludedRanges(uint32_t startIndex) const;

    // The literal runs a search looks for first: one every name that matches must hold (empty:
    // none), whether holding it decides the name test, and one that some text of every item that
    // meets the conditions must hold.
    struct Runs {
        std::string_view name;
        bool nameDecides = false;
        bool dense = false;  // the name run's rarest byte is common: mark its places, no memchr
        std::string_view condition;
        const std::vector<uint32_t>* blocks = nullptr;  // the blocks that may hold the name run
        const std::vector<uint32_t>* textBlocks = nullptr;  // likewise of the list of texts
    };
    std::vector<const CatalogItem*> fullScan(const PreparedSearch& search, uint32_t startIndex,
                                             uint32_t from, uint32_t to,
                                             const CancelFlag* cancel, bool& cancelled) const;
    // Every item, the date and size tested first from their columns.
    std::vector<const CatalogItem*> filterScan(const PreparedSearch& search, uint32_t startIndex,
                                               const Excluded& excluded, uint32_t from, uint32_t to,
                                               const CancelFlag* cancel, bool& cancelled) const;
    std::vector<const CatalogItem*> candidateScan(const PreparedSearch& search, const Runs& runs,
                                                  uint32_t startIndex, const Excluded& excluded,
                                                  uint32_t from, uint32_t to,
                                                  const CancelFlag* cancel, bool& cancelled) const;
    bool categoryStateOf(const PreparedSearch& search, uint32_t index, uint32_t startIndex,
                         bool startState) const;
    // The item's text attributes as folded records; empty when it has none.
    std::string_view textRecords(uint32_t index) const;
    bool conditionsHold(const PreparedSearch& search, uint32_t index, std::string_view records) const;
    // `records`: the item's text records when the caller already has them.
    bool matches(const PreparedSearch& search, uint32_t index, NameState name,
                 std::optional<std::string_view> records = std::nullopt) const;
    bool locked(uint32_t index) const;
    // How often a run's rarest byte occurs in the arena; of `best` and the runs of `text`, the
    // one to look for.
    uint64_t runWeight(std::string_view run) const;
    // The position of the run's rarest byte.
    size_t rareByte(std::string_view run) const;
    std::string_view rarerRun(std::string_view best, std::string_view text) const;

    CatalogDocument& document_;
    bool stale_ = true;
    bool usable_ = false;  // false: the catalog is too large for the snapshot's offsets
    size_t builds_ = 0;
    Table table_;
    size_t trigramThreshold_ = size_t(1) << 18;
    std::optional<TrigramIndex> trigrams_;
    std::vector<uint32_t> dirtyBlocks_;  // blocks with names changed since the index was built
    // The same over the items' folded text records, in blocks of the list of texts.
    std::optional<TrigramIndex> textTrigrams_;
    std::vector<uint32_t> dirtyTextBlocks_;
};

}  // namespace shelfmark::search
