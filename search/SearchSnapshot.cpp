#include "search/SearchSnapshot.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <iterator>
#include <limits>
#include <optional>
#include <thread>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogItem.h"
#include "foundation/CancelFlag.h"
#include "foundation/Utf8Text.h"
#include "search/ParallelParts.h"
#include "search/RunCursors.h"
#include "search/SearchWalk.h"

namespace shelfmark::search {
namespace {

constexpr uint32_t kNoParent = std::numeric_limits<uint32_t>::max();
constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
constexpr uint8_t kHasCategories = 1;
constexpr uint8_t kHasDescription = 2;
constexpr uint8_t kHasText = 4;
constexpr uint8_t kProtected = 8;  // whether it is unlocked is asked of the item at each search

// Below this many items a second thread costs more than it saves.
constexpr uint32_t kItemsPerThread = 1 << 16;
// The arena's offsets are 32-bit; a catalog whose names come near that is searched by the walk.
constexpr size_t kArenaLimit = std::numeric_limits<uint32_t>::max() - (1u << 20);

// The facts the snapshot keeps about an item's attributes.
struct AttributeFacts {
    uint8_t bits = 0;
    uint32_t categories = 0;
};

AttributeFacts FactsOf(const CatalogItem& item) {
    AttributeFacts facts;
    for (const ItemAttribute& attribute : item.attributes()) {
        if (attribute.key() == attr::Categories) {
            facts.bits |= kHasCategories;
            facts.categories = attribute.number();
        } else if (attribute.key() == attr::PasswordCheck) {
            facts.bits |= kProtected;
        } else if (attribute.valueClass() == AttributeClass::Text) {
            facts.bits |= kHasText;
            if (attribute.key() == attr::Description)
                facts.bits |= kHasDescription;
        }
    }
    return facts;
}

// The item's text attributes in their order, each as a record: key, 32-bit little-endian length,
// the folded text.
void AppendTextRecords(std::string& out, const CatalogItem& item) {
    for (const ItemAttribute& attribute : item.attributes()) {
        if (attribute.valueClass() != AttributeClass::Text)
            continue;
        out += char(attribute.key());
        const size_t lengthAt = out.size();
        out.append(4, '\0');
        text::AppendFolded(out, attribute.text());
        const uint32_t length = uint32_t(out.size() - lengthAt - 4);
        for (int b = 0; b < 4; ++b)
            out[lengthAt + size_t(b)] = char(length >> (8 * b));
    }
}

// Calls visit(key, folded text) for each record until it returns true; whether one did.
template <typename Visit>
bool AnyRecord(std::string_view records, Visit&& visit) {
    while (records.size() >= 5) {
        uint32_t length = 0;
        for (int b = 0; b < 4; ++b)
            length |= uint32_t(uint8_t(records[1 + size_t(b)])) << (8 * b);
        if (visit(uint8_t(records[0]), records.substr(5, length)))
            return true;
        records.remove_prefix(5 + size_t(length));
    }
    return false;
}

// A walk does not enter the children of an item that is no container or that may be locked.
bool IsBarrier(const CatalogItem& item, uint8_t bits) {
    return item.firstChildIgnoringLock() &&
           (!(item.flags() & itemflag::ContainerMask) || (bits & kProtected));
}

void CountBytes(std::array<uint64_t, 256>& counts, std::string_view bytes, int64_t sign) {
    for (const char c : bytes)
        counts[uint8_t(c)] += uint64_t(sign);
}

// Adds delta to every index from `from` on in an ascending list.
void ShiftFrom(std::vector<uint32_t>& list, uint32_t from, uint32_t delta) {
    for (auto at = std::lower_bound(list.begin(), list.end(), from); at != list.end(); ++at)
        *at += delta;
}

void InsertSorted(std::vector<uint32_t>& list, uint32_t value) {
    const auto at = std::lower_bound(list.begin(), list.end(), value);
    if (at == list.end() || *at != value)
        list.insert(at, value);
}

void EraseSorted(std::vector<uint32_t>& list, uint32_t value) {
    const auto at = std::lower_bound(list.begin(), list.end(), value);
    if (at != list.end() && *at == value)
        list.erase(at);
}

// The runs of a word without "*" and "?", each of which a text the word finds must hold.
void AppendRuns(std::string_view word, std::vector<std::string_view>& out) {
    while (true) {
        const size_t stop = word.find_first_of("*?");
        if (stop != 0 && !word.empty())
            out.push_back(word.substr(0, stop));
        if (stop == std::string_view::npos)
            return;
        word.remove_prefix(stop + 1);
    }
}

}  // namespace

// ---- Building and following the document -----------------------------------------------------

void SearchSnapshot::Table::appendOwn(const CatalogItem& item, uint32_t parentIndex) {
    const uint32_t index = uint32_t(items.size());
    const AttributeFacts facts = FactsOf(item);
    items.push_back(&item);
    const size_t nameFrom = arena.size();
    text::AppendFolded(arena, item.name());
    CountBytes(byteCounts, std::string_view(arena).substr(nameFrom), 1);
    nameStart.push_back(uint32_t(arena.size()));
    parent.push_back(parentIndex);
    end.push_back(index + 1);
    size.push_back(item.size());
    date.push_back(item.date());
    categories.push_back(facts.categories);
    flags.push_back(item.flags());
    bits.push_back(facts.bits);
    if (facts.bits & kHasText) {
        texts.push_back(index);
        AppendTextRecords(records, item);
        recordStart.push_back(records.size());
    }
    if (IsBarrier(item, facts.bits))
        barriers.push_back(index);
}

bool SearchSnapshot::Table::append(const CatalogItem* first, uint32_t parentIndex, size_t subtrees) {
    uint32_t parentAt = parentIndex;
    size_t depth = 0;  // below `first`'s level
    for (const CatalogItem* item = first; item;) {
        if (items.size() >= kNoParent - 1 || arena.size() > kArenaLimit)
            return false;
        const uint32_t index = uint32_t(items.size());
        appendOwn(*item, parentAt);
        if (const CatalogItem* child = item->firstChildIgnoringLock()) {
            parentAt = index;
            item = child;
            ++depth;
            continue;
        }
        // The next item in pre-order: a next sibling, or one of an ancestor's, whose subtree
        // (and every one left behind on the way up) ends here.
        while (true) {
            if (depth == 0) {
                item = --subtrees > 0 ? item->next() : nullptr;
                break;
            }
            if (item->next()) {
                item = item->next();
                break;
            }
            item = item->parent();
            --depth;
            end[parentAt] = uint32_t(items.size());
            parentAt = parent[parentAt];
        }
    }
    return true;
}

namespace {

// A piece of the pre-order that one thread appends to a table of its own: `subtrees` sibling
// subtrees from `first`, or with 0 `first`'s own columns alone (its children are pieces of their
// own, after it).
struct Piece {
    const CatalogItem* first;
    size_t subtrees;
    uint32_t parent;  // the piece that holds the parent of `first`; kNone at the top level
    uint32_t depth;   // of `first` in the tree
};

// A list of siblings is cut into at most this many runs of about equal counts.
constexpr size_t kRunsPerList = 512;
// Lists are opened at most this deep.
constexpr uint32_t kDeepestCut = 8;

void AppendRuns(const CatalogItem* first, uint32_t parent, uint32_t depth, std::vector<Piece>& out) {
    size_t count = 0;
    for (const CatalogItem* item = first; item; item = item->next())
        ++count;
    const size_t run = (count + kRunsPerList - 1) / kRunsPerList;
    for (const CatalogItem* item = first; item;) {
        Piece piece{item, 0, parent, depth};
        for (; item && piece.subtrees < run; item = item->next())
            ++piece.subtrees;
        out.push_back(piece);
    }
}

// The pre-order of the tree from `topLevel` as pieces: lists of siblings cut into runs, and a
// run of one subtree opened (its item alone, then its children's runs) level by level until
// there are `wanted` pieces. Without knowing how large a subtree is, many pieces taken by
// whichever thread is free keep the threads about equally busy.
std::vector<Piece> CutIntoPieces(const CatalogItem* topLevel, size_t wanted) {
    std::vector<Piece> pieces;
    AppendRuns(topLevel, kNone, 0, pieces);
    for (uint32_t level = 0; level < kDeepestCut && pieces.size() < wanted; ++level) {
        std::vector<Piece> next;
        std::vector<uint32_t> movedTo(pieces.size());
        bool opened = false;
        for (size_t p = 0; p < pieces.size(); ++p) {
            Piece piece = pieces[p];
            if (piece.parent != kNone)
                piece.parent = movedTo[piece.parent];
            movedTo[p] = uint32_t(next.size());
            const CatalogItem* child = piece.first->firstChildIgnoringLock();
            // Opening stops once the pieces made and those still to come are enough: opening
            // every run of a level at once would make thousands of tiny pieces in a broad tree.
            if (piece.subtrees != 1 || !child || next.size() + (pieces.size() - p) >= wanted) {
                next.push_back(piece);
                continue;
            }
            piece.subtrees = 0;
            next.push_back(piece);
            AppendRuns(child, movedTo[p], piece.depth + 1, next);
            opened = true;
        }
        pieces = std::move(next);
        if (!opened)
            break;
    }
    return pieces;
}

// Appends the values of `from` to `to`, each changed by `change`.
template <typename T, typename Change>
void AppendChanged(std::vector<T>& to, const std::vector<T>& from, size_t skip, Change&& change) {
    for (size_t i = skip; i < from.size(); ++i)
        to.push_back(change(from[i]));
}

}  // namespace

bool SearchSnapshot::Table::build(const CatalogItem* topLevel, unsigned threads) {
    threads = ThreadsOrCores(threads);
    if (threads == 1 || !topLevel)
        return append(topLevel, kNoParent, SIZE_MAX);
    // Pieces of a few ten thousand items at 10 M: their columns stay small while being appended.
    const std::vector<Piece> pieces = CutIntoPieces(topLevel, size_t(threads) * 128);
    std::vector<Table> tables(pieces.size());
    std::atomic<size_t> nextPiece{0};
    std::atomic<bool> overflow{false};
    RunParts(threads, [&](unsigned) {
        for (size_t p = nextPiece++; p < pieces.size(); p = nextPiece++) {
            if (pieces[p].subtrees == 0)
                tables[p].appendOwn(*pieces[p].first, kNoParent);
            else if (!tables[p].append(pieces[p].first, kNoParent, pieces[p].subtrees))
                overflow = true;
        }
    });
    if (overflow)
        return false;

    // Where each piece's items, name bytes, texts, text bytes and barriers start in the whole.
    struct Start {
        uint64_t item = 0, name = 0, text = 0, record = 0, barrier = 0;
    };
    std::vector<Start> starts(pieces.size() + 1);
    for (size_t p = 0; p < pieces.size(); ++p) {
        const Table& t = tables[p];
        starts[p + 1] = {starts[p].item + t.items.size(), starts[p].name + t.arena.size(),
                         starts[p].text + t.texts.size(), starts[p].record + t.records.size(),
                         starts[p].barrier + t.barriers.size()};
    }
    const Start total = starts.back();
    if (total.item >= kNoParent - 1 || total.name > kArenaLimit)
        return false;
    // A piece holding an item alone ends where the first later piece no deeper than it starts.
    std::vector<uint32_t> ownEnd(pieces.size(), 0);
    std::vector<size_t> open;
    for (size_t p = 0; p <= pieces.size(); ++p) {
        while (!open.empty() && (p == pieces.size() || pieces[open.back()].depth >= pieces[p].depth)) {
            ownEnd[open.back()] = uint32_t(starts[p].item);
            open.pop_back();
        }
        if (p < pieces.size() && pieces[p].subtrees == 0)
            open.push_back(p);
    }

    // One job per column, the largest first, taken by whichever thread is free.
    auto item = [&](size_t p) { return uint32_t(starts[p].item); };
    auto plain = [&](auto column) {
        return [this, &tables, column] {
            auto& to = this->*column;
            size_t count = 0;
            for (const Table& t : tables)
                count += (t.*column).size();
            to.reserve(count);
            for (const Table& t : tables)
                to.insert(to.end(), (t.*column).begin(), (t.*column).end());
        };
    };
    auto shifted = [&](std::vector<uint32_t> Table::*column, auto startOf) {
        return [this, &tables, &starts, &item, column, startOf] {
            std::vector<uint32_t>& to = this->*column;
            to.reserve(to.size() + size_t(startOf(starts.back())));
            for (size_t p = 0; p < tables.size(); ++p) {
                const uint32_t by = item(p);
                AppendChanged(to, tables[p].*column, 0, [by](uint32_t index) { return index + by; });
            }
        };
    };
    const std::vector<std::function<void()>> jobs{
        plain(&Table::arena),
        plain(&Table::items),
        plain(&Table::size),
        plain(&Table::records),
        [&] {
            nameStart.reserve(total.item + 1);
            for (size_t p = 0; p < tables.size(); ++p) {
                const uint32_t by = uint32_t(starts[p].name);
                AppendChanged(nameStart, tables[p].nameStart, 1, [by](uint32_t at) { return at + by; });
            }
        },
        [&] {
            parent.reserve(total.item);
            for (size_t p = 0; p < tables.size(); ++p) {
                const uint32_t by = item(p);
                const uint32_t top = pieces[p].parent == kNone ? kNoParent : item(pieces[p].parent);
                AppendChanged(parent, tables[p].parent, 0,
                              [by, top](uint32_t index) { return index == kNoParent ? top : index + by; });
            }
        },
        [&] {
            end.reserve(total.item);
            for (size_t p = 0; p < tables.size(); ++p) {
                if (pieces[p].subtrees == 0) {
                    end.push_back(ownEnd[p]);
                    continue;
                }
                const uint32_t by = item(p);
                AppendChanged(end, tables[p].end, 0, [by](uint32_t index) { return index + by; });
            }
        },
        plain(&Table::date),
        plain(&Table::categories),
        plain(&Table::flags),
        plain(&Table::bits),
        shifted(&Table::texts, [](const Start& s) { return s.text; }),
        [&] {
            recordStart.reserve(total.text + 1);
            for (size_t p = 0; p < tables.size(); ++p) {
                const size_t by = size_t(starts[p].record);
                AppendChanged(recordStart, tables[p].recordStart, 1, [by](size_t at) { return at + by; });
            }
        },
        shifted(&Table::barriers, [](const Start& s) { return s.barrier; }),
        [&] {
            for (const Table& t : tables)
                for (size_t b = 0; b < byteCounts.size(); ++b)
                    byteCounts[b] += t.byteCounts[b];
        },
    };
    std::atomic<size_t> nextJob{0};
    RunParts(threads, [&](unsigned) {
        for (size_t j = nextJob++; j < jobs.size(); j = nextJob++)
            jobs[j]();
    });
    return true;
}

SearchSnapshot::SearchSnapshot(CatalogDocument& document) : document_(document) {
    document_.addObserver(this);
}

SearchSnapshot::~SearchSnapshot() {
    document_.removeObserver(this);
}

size_t SearchSnapshot::bytesPerItem() const {
    return sizeof(const CatalogItem*) + sizeof(uint32_t) * 4 + sizeof(uint64_t) +
           sizeof(int32_t) + sizeof(uint16_t) + sizeof(uint8_t);
}

void SearchSnapshot::refresh(unsigned threads) {
    if (stale_)
        build(threads);
}

bool SearchSnapshot::sameContents(const SearchSnapshot& other) const {
    return table_ == other.table_ && trigrams_ == other.trigrams_ && textTrigrams_ == other.textTrigrams_;
}

void SearchSnapshot::build(unsigned threads) {
    table_ = Table();
    trigrams_.reset();
    textTrigrams_.reset();
    stale_ = false;
    ++builds_;
    usable_ = table_.build(document_.tree().topLevel(), threads);
}

uint32_t SearchSnapshot::indexOf(const CatalogItem* item) const {
    std::vector<const CatalogItem*> chain;
    for (const CatalogItem* a = item; a; a = a->parent())
        chain.push_back(a);
    const Table& t = table_;
    uint32_t from = 0;
    uint32_t to = uint32_t(t.items.size());
    uint32_t found = kNone;
    for (auto a = chain.rbegin(); a != chain.rend(); ++a) {
        uint32_t j = from;
        while (j < to && t.items[j] != *a)
            j = t.end[j];
        if (j >= to)
            return kNone;
        found = j;
        from = j + 1;
        to = t.end[j];
    }
    return found;
}

bool SearchSnapshot::siblingsInOrder(uint32_t parentIndex, const CatalogItem* firstSibling) const {
    const Table& t = table_;
    uint32_t j = parentIndex == kNoParent ? 0 : parentIndex + 1;
    const uint32_t limit = parentIndex == kNoParent ? uint32_t(t.items.size()) : t.end[parentIndex];
    for (const CatalogItem* c = firstSibling; c; c = c->next()) {
        if (j >= limit || t.items[j] != c)
            return false;
        j = t.end[j];
    }
    return j == limit;
}

void SearchSnapshot::eraseSubtree(uint32_t a) {
    Table& t = table_;
    trigrams_.reset();  // their blocks are numbered by position
    textTrigrams_.reset();
    const uint32_t b = t.end[a];
    const uint32_t k = b - a;
    for (uint32_t p = t.parent[a]; p != kNoParent; p = t.parent[p])
        t.end[p] -= k;

    const uint32_t bytesFrom = t.nameStart[a];
    const uint32_t bytes = t.nameStart[b] - bytesFrom;
    CountBytes(t.byteCounts, std::string_view(t.arena).substr(bytesFrom, bytes), -1);
    t.arena.erase(bytesFrom, bytes);
    t.nameStart.erase(t.nameStart.begin() + a, t.nameStart.begin() + b);
    for (size_t j = a; j < t.nameStart.size(); ++j)
        t.nameStart[j] -= bytes;

    auto cut = [&](auto& column) { column.erase(column.begin() + a, column.begin() + b); };
    cut(t.items);
    cut(t.parent);
    cut(t.end);
    cut(t.size);
    cut(t.date);
    cut(t.categories);
    cut(t.flags);
    cut(t.bits);
    for (size_t j = a; j < t.items.size(); ++j) {
        t.end[j] -= k;
        if (t.parent[j] != kNoParent && t.parent[j] >= b)
            t.parent[j] -= k;
    }

    const size_t lo = size_t(std::lower_bound(t.texts.begin(), t.texts.end(), a) - t.texts.begin());
    const size_t hi = size_t(std::lower_bound(t.texts.begin(), t.texts.end(), b) - t.texts.begin());
    const size_t recordFrom = t.recordStart[lo];
    const size_t recordBytes = t.recordStart[hi] - recordFrom;
    t.records.erase(recordFrom, recordBytes);
    t.recordStart.erase(t.recordStart.begin() + long(lo), t.recordStart.begin() + long(hi));
    for (size_t j = lo; j < t.recordStart.size(); ++j)
        t.recordStart[j] -= recordBytes;
    for (std::vector<uint32_t>* list : {&t.texts, &t.barriers}) {
        list->erase(std::lower_bound(list->begin(), list->end(), a),
                    std::lower_bound(list->begin(), list->end(), b));
        ShiftFrom(*list, a, uint32_t(0) - k);
    }
}

void SearchSnapshot::insertSubtree(const CatalogItem& item) {
    Table& t = table_;
    const CatalogItem* parentItem = item.parent();
    const uint32_t p = parentItem ? indexOf(parentItem) : kNoParent;
    if ((parentItem && p == kNone) || indexOf(&item) != kNone) {
        stale_ = true;  // announced out of order: build again rather than guess
        return;
    }
    // The item goes after the subtree of its previous sibling, or first below its parent.
    const CatalogItem* previous = nullptr;
    for (const CatalogItem* c = parentItem ? parentItem->firstChildIgnoringLock() : document_.tree().topLevel();
         c && c != &item; c = c->next())
        previous = c;
    uint32_t at = p == kNoParent ? 0 : p + 1;
    if (previous) {
        const uint32_t limit = p == kNoParent ? uint32_t(t.items.size()) : t.end[p];
        while (at < limit && t.items[at] != previous)
            at = t.end[at];
        if (at >= limit) {
            stale_ = true;
            return;
        }
        at = t.end[at];
    }
    Table piece;
    if (!piece.append(&item, kNoParent, 1) || t.items.size() + piece.items.size() >= kNoParent - 1 ||
        t.arena.size() + piece.arena.size() > kArenaLimit) {
        stale_ = true;
        return;
    }
    const uint32_t k = uint32_t(piece.items.size());
    trigrams_.reset();  // their blocks are numbered by position
    textTrigrams_.reset();

    for (uint32_t a = p; a != kNoParent; a = t.parent[a])
        t.end[a] += k;
    for (size_t j = at; j < t.items.size(); ++j) {
        t.end[j] += k;
        if (t.parent[j] != kNoParent && t.parent[j] >= at)
            t.parent[j] += k;
    }
    for (uint32_t j = 0; j < k; ++j) {
        piece.end[j] += at;
        piece.parent[j] = piece.parent[j] == kNoParent ? p : piece.parent[j] + at;
    }
    auto splice = [&](auto& column, auto& from) {
        column.insert(column.begin() + at, from.begin(), from.end());
    };
    splice(t.items, piece.items);
    splice(t.parent, piece.parent);
    splice(t.end, piece.end);
    splice(t.size, piece.size);
    splice(t.date, piece.date);
    splice(t.categories, piece.categories);
    splice(t.flags, piece.flags);
    splice(t.bits, piece.bits);

    const uint32_t bytesAt = t.nameStart[at];
    const uint32_t bytes = uint32_t(piece.arena.size());
    t.arena.insert(bytesAt, piece.arena);
    for (size_t j = at; j < t.nameStart.size(); ++j)
        t.nameStart[j] += bytes;
    piece.nameStart.pop_back();
    for (uint32_t& start : piece.nameStart)
        start += bytesAt;
    t.nameStart.insert(t.nameStart.begin() + at, piece.nameStart.begin(), piece.nameStart.end());
    for (size_t i = 0; i < t.byteCounts.size(); ++i)
        t.byteCounts[i] += piece.byteCounts[i];

    const size_t lo = size_t(std::lower_bound(t.texts.begin(), t.texts.end(), at) - t.texts.begin());
    const size_t recordAt = t.recordStart[lo];
    t.records.insert(recordAt, piece.records);
    for (size_t j = lo; j < t.recordStart.size(); ++j)
        t.recordStart[j] += piece.records.size();
    piece.recordStart.pop_back();
    for (size_t& start : piece.recordStart)
        start += recordAt;
    t.recordStart.insert(t.recordStart.begin() + long(lo), piece.recordStart.begin(), piece.recordStart.end());
    std::vector<uint32_t>* const lists[] = {&t.texts, &t.barriers};
    std::vector<uint32_t>* const pieces[] = {&piece.texts, &piece.barriers};
    for (size_t l = 0; l < std::size(lists); ++l) {
        ShiftFrom(*lists[l], at, k);
        for (uint32_t& index : *pieces[l])
            index += at;
        lists[l]->insert(std::lower_bound(lists[l]->begin(), lists[l]->end(), at), pieces[l]->begin(),
                         pieces[l]->end());
    }
    // A parent that had no children may now hold a subtree a walk does not enter.
    if (p != kNoParent && IsBarrier(*parentItem, t.bits[p]))
        InsertSorted(t.barriers, p);
}

bool SearchSnapshot::updateOwn(uint32_t i) {
    Table& t = table_;
    const CatalogItem& item = *t.items[i];
    const AttributeFacts facts = FactsOf(item);
    bool reordering = t.flags[i] != item.flags();
    t.size[i] = item.size();
    t.date[i] = item.date();
    t.flags[i] = item.flags();
    t.categories[i] = facts.categories;
    t.bits[i] = facts.bits;

    const std::string name = text::FoldCase(item.name());
    const std::string_view old = t.name(i);
    if (old != name) {
        reordering = true;
        CountBytes(t.byteCounts, old, -1);
        CountBytes(t.byteCounts, name, 1);
        const uint32_t delta = uint32_t(name.size()) - uint32_t(old.size());
        t.arena.replace(t.nameStart[i], old.size(), name);
        for (size_t j = i + 1; j < t.nameStart.size(); ++j)
            t.nameStart[j] += delta;
        if (trigrams_)
            InsertSorted(dirtyBlocks_, i / TrigramIndex::kBlockItems);
    }

    // The texts are taken out and put back as they now are, when they changed.
    std::string added;
    if (facts.bits & kHasText)
        AppendTextRecords(added, item);
    const size_t at = size_t(std::lower_bound(t.texts.begin(), t.texts.end(), i) - t.texts.begin());
    const bool had = at < t.texts.size() && t.texts[at] == i;
    const std::string_view before =
        had ? std::string_view(t.records).substr(t.recordStart[at], t.recordStart[at + 1] - t.recordStart[at])
            : std::string_view();
    if (had != bool(facts.bits & kHasText))
        textTrigrams_.reset();  // its blocks are numbered by position in the list of texts
    else if (had && before != added && textTrigrams_)
        InsertSorted(dirtyTextBlocks_, uint32_t(at / TrigramIndex::kBlockItems));
    if (had && before != added) {
        const size_t bytes = before.size();
        t.records.erase(t.recordStart[at], bytes);
        t.texts.erase(t.texts.begin() + long(at));
        t.recordStart.erase(t.recordStart.begin() + long(at));
        for (size_t j = at; j < t.recordStart.size(); ++j)
            t.recordStart[j] -= bytes;
    }
    if ((facts.bits & kHasText) && !(had && before == added)) {
        const size_t recordAt = t.recordStart[at];
        t.records.insert(recordAt, added);
        t.texts.insert(t.texts.begin() + long(at), i);
        t.recordStart.insert(t.recordStart.begin() + long(at), recordAt);
        for (size_t j = at + 1; j < t.recordStart.size(); ++j)
            t.recordStart[j] += added.size();
    }
    if (IsBarrier(item, facts.bits))
        InsertSorted(t.barriers, i);
    else
        EraseSorted(t.barriers, i);
    return reordering;
}

void SearchSnapshot::itemInserted(CatalogItem& item) {
    if (!stale_)
        insertSubtree(item);
}

void SearchSnapshot::itemRemoving(CatalogItem& item) {
    if (stale_)
        return;
    const uint32_t index = indexOf(&item);
    if (index == kNone)
        stale_ = true;
    else
        eraseSubtree(index);
}

void SearchSnapshot::itemMoving(CatalogItem& item, CatalogItem*) {
    itemRemoving(item);
}

void SearchSnapshot::itemMoved(CatalogItem& item, CatalogItem*) {
    itemInserted(item);
}

void SearchSnapshot::itemChanged(CatalogItem& item) {
    if (stale_)
        return;
    const uint32_t index = indexOf(&item);
    if (index == kNone) {
        stale_ = true;
        return;
    }
    // A new name or kind may come with the siblings sorted again; the pre-order must follow.
    const CatalogItem* parent = item.parent();
    if (updateOwn(index) && !siblingsInOrder(table_.parent[index],
                         parent ? parent->firstChildIgnoringLock() : document_.tree().topLevel()))
        stale_ = true;
}

// ---- Searching -------------------------------------------------------------------------------

std::string_view SearchSnapshot::textRecords(uint32_t index) const {
    const Table& t = table_;
    const size_t at = size_t(std::lower_bound(t.texts.begin(), t.texts.end(), index) - t.texts.begin());
    if (at == t.texts.size() || t.texts[at] != index)
        return {};
    return std::string_view(t.records).substr(t.recordStart[at], t.recordStart[at + 1] - t.recordStart[at]);
}

bool SearchSnapshot::conditionsHold(const PreparedSearch& search, uint32_t index,
                                    std::string_view records) const {
    const CatalogItem& item = *table_.items[index];
    if (search.caseSensitive)
        return ConditionsHold(search, item);
    for (const PreparedCondition& prepared : search.conditions) {
        const ExtraInfoCondition& c = prepared.condition;
        if (IsTextConditionKey(c.key)) {
            // The item's text under that key, already folded like the condition's value.
            std::optional<std::string_view> value;
            AnyRecord(records, [&](uint8_t key, std::string_view text) {
                if (key == c.key)
                    value = text;
                return key == c.key;
            });
            if (!value || !RunTextRoutine(prepared.routine, *value, c.text))
                return false;
        } else if (!IsNumericConditionKey(c.key) || !NumberConditionHolds(c, item.numberAttribute(c.key))) {
            return false;
        }
    }
    return true;
}

bool SearchSnapshot::matches(const PreparedSearch& search, uint32_t index, NameState name,
                             std::optional<std::string_view> knownRecords) const {
    const Table& t = table_;
    if (!DateAccepted(search, t.date[index]))
        return false;
    const CatalogItem& item = *t.items[index];
    // Moving a folder or disk adjusts the sizes of every item above it without a notice; of
    // those only archives can meet a size filter, so theirs is asked of the item.
    if (search.sizeFilter &&
        !SizeAccepted(search, t.flags[index], (t.flags[index] & itemflag::Archive) ? item.size() : t.size[index]))
        return false;
    bool found = name == NameState::Holds;
    if (name == NameState::Unknown)
        found = search.caseSensitive ? TextHolds(search, item.name()) : TextHolds(search, t.name(index));
    const bool hasText = t.bits[index] & kHasText;
    if (found || !hasText) {
        // Without any text attribute only numeric conditions can hold.
        if (!found || search.conditions.empty())
            return found;
        if (!hasText && std::any_of(search.conditions.begin(), search.conditions.end(),
                                    [](const PreparedCondition& c) { return IsTextConditionKey(c.condition.key); }))
            return false;
    }
    const std::string_view records = knownRecords ? *knownRecords : hasText ? textRecords(index) : std::string_view();
    if (!found && search.caseSensitive) {
        if (search.inDescription && (t.bits[index] & kHasDescription))
            found = TextHolds(search, *item.textAttribute(attr::Description));
        if (!found && search.inExtraInfo) {
            for (const ItemAttribute& attribute : item.attributes()) {
                if (attribute.valueClass() == AttributeClass::Text && TextHolds(search, attribute.text())) {
                    found = true;
                    break;
                }
            }
        }
    } else if (!found) {
        if (search.inDescription && (t.bits[index] & kHasDescription))
            found = AnyRecord(records, [&](uint8_t key, std::string_view text) {
                return key == attr::Description && TextHolds(search, text);
            });
        if (!found && search.inExtraInfo)
            found = AnyRecord(records, [&](uint8_t, std::string_view text) { return TextHolds(search, text); });
    }
    return found && (search.conditions.empty() || conditionsHold(search, index, records));
}

bool SearchSnapshot::locked(uint32_t index) const {
    return (table_.bits[index] & kProtected) && table_.items[index]->isLocked();
}

bool SearchSnapshot::categoryStateOf(const PreparedSearch& search, uint32_t index,
                                     uint32_t startIndex, bool startState) const {
    if (search.categories.empty())
        return true;
    // The nearest item with categories of its own decides; without one, the start item's state.
    for (uint32_t a = index; a != startIndex; a = table_.parent[a])
        if (table_.bits[a] & kHasCategories)
            return CategoryState(search, true, table_.categories[a], false);
    return startState;
}

SearchSnapshot::Excluded SearchSnapshot::excludedRanges(uint32_t startIndex) const {
    const Table& t = table_;
    std::vector<std::pair<uint32_t, uint32_t>> out;
    uint32_t covered = 0;
    for (auto at = std::upper_bound(t.barriers.begin(), t.barriers.end(), startIndex);
         at != t.barriers.end() && *at < t.end[startIndex]; ++at) {
        const uint32_t b = *at;
        if (b < covered)
            continue;
        if (!(t.flags[b] & itemflag::ContainerMask) || locked(b)) {
            out.emplace_back(b + 1, t.end[b]);
            covered = t.end[b];
        }
    }
    return out;
}

size_t SearchSnapshot::rareByte(std::string_view run) const {
    size_t rare = 0;
    for (size_t r = 1; r < run.size(); ++r)
        if (table_.byteCounts[uint8_t(run[r])] < table_.byteCounts[uint8_t(run[rare])])
            rare = r;
    return rare;
}

std::vector<const CatalogItem*> SearchSnapshot::candidateScan(const PreparedSearch& search, const Runs& runs,
                                                              uint32_t startIndex, const Excluded& excluded,
                                                              uint32_t from, uint32_t to,
                                                              const CancelFlag* cancel, bool& cancelled) const {
    // Only an item whose texts hold the runs can be found. With a condition's run, the items
    // whose text records hold it; otherwise those whose name holds the name run, and those with
    // a text the search also reads that holds it. Every other item is passed over unseen.
    const Table& t = table_;
    std::vector<const CatalogItem*> hits;
    const size_t textFrom = size_t(std::lower_bound(t.texts.begin(), t.texts.end(), from) - t.texts.begin());
    const size_t textTo = size_t(std::lower_bound(t.texts.begin(), t.texts.end(), to) - t.texts.begin());
    const bool byRecords = !runs.condition.empty();
    RunCursor<size_t> records(t.records.data(), t.recordStart.data(), runs.condition, rareByte(runs.condition),
                              textFrom, byRecords ? textTo : textFrom);
    const size_t rare = rareByte(runs.name);
    const bool dense = !byRecords && runs.dense && !runs.blocks;
    NarrowedCursor<uint32_t> names(t.arena.data(), t.nameStart.data(), runs.name, rare, from,
                                   byRecords || dense ? from : to, runs.blocks);
    DenseCursor denseNames(t.arena.data(), t.arena.size(), t.nameStart.data(), runs.name, from, dense ? to : from);
    auto nextDriven = [&]() -> uint32_t {
        if (byRecords) {
            const size_t at = records.next();
            return at < textTo ? t.texts[at] : to;
        }
        return uint32_t(dense ? denseNames.next() : names.next());
    };
    // A description or other text can only match when it holds the name run too.
    const bool otherTexts = !byRecords && (search.inDescription || search.inExtraInfo);
    NarrowedCursor<size_t> texts(t.records.data(), t.recordStart.data(), runs.name, rare, textFrom,
                                 otherTexts && !dense ? textTo : textFrom, runs.textBlocks);
    size_t textAt = textTo;  // the place in the list of texts of the item nextText gave
    auto nextText = [&]() -> uint32_t {
        if (!otherTexts)
            return to;
        textAt = texts.next();
        return textAt < textTo ? t.texts[textAt] : to;
    };
    auto recordsAt = [&](size_t at) {
        return std::string_view(t.records).substr(t.recordStart[at], t.recordStart[at + 1] - t.recordStart[at]);
    };
    auto skip = std::lower_bound(excluded.begin(), excluded.end(), std::pair<uint32_t, uint32_t>(from, 0),
                                 [](const auto& a, const auto& b) { return a.second <= b.first; });
    const bool startState = StartCategoryState(search, *t.items[startIndex]);
    const bool noCategories = search.categories.empty();
    const bool allKinds = std::all_of(std::begin(search.kindOn), std::end(search.kindOn), [](bool on) { return on; });
    // A name that holds the run decides alone when nothing else is asked of the item.
    const bool nameAlone = runs.nameDecides && !search.dateTest && !search.sizeFilter && search.conditions.empty();
    // Whether a walk enters item i: not inside a subtree it passes over. Items come in order.
    auto entered = [&](uint32_t i) {
        while (skip != excluded.end() && skip->second <= i)
            ++skip;
        return skip == excluded.end() || skip->first > i;
    };
    // Tests item i; false when the search is cancelled.
    auto consider = [&](uint32_t i, NameState name, std::optional<std::string_view> records) {
        if (!entered(i))
            return true;
        if ((!allKinds && !search.kindOn[size_t(KindOf(t.flags[i]))]) ||
            !(noCategories || categoryStateOf(search, i, startIndex, startState)))
            return true;
        if ((nameAlone && name == NameState::Holds) || matches(search, i, name, records))
            hits.push_back(t.items[i]);
        if (cancel && cancel->isSet()) {
            cancelled = true;
            return false;
        }
        return true;
    };
    if (dense) {
        // Most items will be hits: room for all at once. The first part's hits become the result,
        // so it has room for the later parts' too and the merge neither moves nor faults in pages.
        hits.reserve((from == startIndex + 1 ? t.end[startIndex] : to) - from);
        // The texts are read only of the items whose name fails, in step with the names: most
        // names hold the run, and reading every text for it would cost more than the names.
        const NameState holds = runs.nameDecides ? NameState::Holds : NameState::Unknown;
        size_t textAt = textFrom;
        if (nameAlone && allKinds && noCategories && !(cancel && cancel->isSet())) {
            // Nothing is asked of an item but its name: each batch of names is taken whole.
            // The items with texts before `bound` whose names fail: found when a text holds it.
            auto textsBefore = [&](uint32_t bound) {
                for (; otherTexts && textAt < textTo && t.texts[textAt] < bound; ++textAt)
                    if (entered(t.texts[textAt]) &&
                        matches(search, t.texts[textAt], NameState::Fails, recordsAt(textAt)))
                        hits.push_back(t.items[t.texts[textAt]]);
            };
            for (auto batch = denseNames.nextBatch(); !batch.empty(); batch = denseNames.nextBatch()) {
                for (const uint32_t hit : batch) {
                    textsBefore(hit);
                    if (otherTexts && textAt < textTo && t.texts[textAt] == hit)
                        ++textAt;
                    if (entered(hit))
                        hits.push_back(t.items[hit]);
                }
                if (cancel && cancel->isSet()) {
                    cancelled = true;
                    return hits;
                }
            }
            textsBefore(to);
            return hits;
        }
        for (uint32_t hit = uint32_t(denseNames.next());; hit = uint32_t(denseNames.next())) {
            for (; otherTexts && textAt < textTo && t.texts[textAt] < hit; ++textAt)
                if (!consider(t.texts[textAt], NameState::Fails, recordsAt(textAt)))
                    return hits;
            if (hit >= to)
                return hits;
            std::optional<std::string_view> records;
            if (textAt < textTo && t.texts[textAt] == hit)
                records = recordsAt(textAt++);
            if (!consider(hit, holds, records))
                return hits;
        }
    }
    uint32_t nextHit = nextDriven();
    uint32_t nextOther = nextText();
    while (true) {
        const uint32_t i = std::min(nextHit, nextOther);
        if (i >= to)
            break;
        NameState name = byRecords ? NameState::Unknown : NameState::Fails;
        std::optional<std::string_view> records;
        if (i == nextHit) {
            if (!byRecords)
                name = runs.nameDecides ? NameState::Holds : NameState::Unknown;
            nextHit = nextDriven();
        }
        if (i == nextOther) {
            records = recordsAt(textAt);
            nextOther = nextText();
        }
        if (!consider(i, name, records))
            break;
    }
    return hits;
}

std::vector<const CatalogItem*> SearchSnapshot::filterScan(const PreparedSearch& search, uint32_t startIndex,
                                                           const Excluded& excluded, uint32_t from, uint32_t to,
                                                           const CancelFlag* cancel, bool& cancelled) const {
    const Table& t = table_;
    std::vector<const CatalogItem*> hits;
    auto skip = std::lower_bound(excluded.begin(), excluded.end(), std::pair<uint32_t, uint32_t>(from, 0),
                                 [](const auto& a, const auto& b) { return a.second <= b.first; });
    const bool startState = StartCategoryState(search, *t.items[startIndex]);
    for (uint32_t i = from; i < to; ++i) {
        while (skip != excluded.end() && skip->second <= i)
            ++skip;
        if (skip != excluded.end() && skip->first <= i) {
            i = skip->second - 1;
            continue;
        }
        // Archive sizes are asked of the item (see matches); every other size is in the column.
        if (!DateAccepted(search, t.date[i]) ||
            (!(t.flags[i] & itemflag::Archive) && !SizeAccepted(search, t.flags[i], t.size[i])))
            continue;
        if (!search.kindOn[size_t(KindOf(t.flags[i]))] || !categoryStateOf(search, i, startIndex, startState))
            continue;
        if (matches(search, i, NameState::Unknown))
            hits.push_back(t.items[i]);
        if (cancel && cancel->isSet()) {
            cancelled = true;
            break;
        }
    }
    return hits;
}

std::vector<const CatalogItem*> SearchSnapshot::fullScan(const PreparedSearch& search,
                                                         uint32_t startIndex, uint32_t from,
                                                         uint32_t to, const CancelFlag* cancel,
                                                         bool& cancelled) const {
    const Table& t = table_;
    std::vector<const CatalogItem*> hits;
    struct Level {
        uint32_t end;
        bool state;
    };
    // The levels above `from`: the start item, then each ancestor of `from` below it.
    std::vector<uint32_t> chain;
    for (uint32_t a = t.parent[from]; a != startIndex; a = t.parent[a])
        chain.push_back(a);
    const bool noCategories = search.categories.empty();
    auto stateOf = [&](uint32_t index, bool parentState) {
        return noCategories || CategoryState(search, t.bits[index] & kHasCategories,
                                             t.categories[index], parentState);
    };
    std::vector<Level> levels{{t.end[startIndex], StartCategoryState(search, *t.items[startIndex])}};
    uint32_t i = from;
    for (auto a = chain.rbegin(); a != chain.rend(); ++a) {
        const bool state = stateOf(*a, levels.back().state);
        if (!(t.flags[*a] & itemflag::ContainerMask) || locked(*a)) {
            i = t.end[*a];  // `from` lies in a subtree the walk does not enter
            break;
        }
        levels.push_back({t.end[*a], state});
    }
    while (i < to) {
        while (levels.back().end <= i)
            levels.pop_back();
        const bool state = stateOf(i, levels.back().state);
        if (state && search.kindOn[size_t(KindOf(t.flags[i]))] && matches(search, i, NameState::Unknown))
            hits.push_back(t.items[i]);
        if (cancel && cancel->isSet()) {
            cancelled = true;
            break;
        }
        const uint32_t next = i + 1;
        if (t.end[i] > next) {
            if ((t.flags[i] & itemflag::ContainerMask) && !locked(i)) {
                levels.push_back({t.end[i], state});
                i = next;
            } else {
                i = t.end[i];
            }
        } else {
            i = next;
        }
    }
    return hits;
}

uint64_t SearchSnapshot::runWeight(std::string_view run) const {
    uint64_t rarest = std::numeric_limits<uint64_t>::max();
    for (const char c : run)
        rarest = std::min(rarest, table_.byteCounts[uint8_t(c)]);
    return rarest;
}

std::string_view SearchSnapshot::rarerRun(std::string_view best, std::string_view text) const {
    // Of the runs, the one whose rarest byte is rarest in the arena leaves the fewest names to
    // visit (the longer one when they tie).
    std::vector<std::string_view> runs;
    AppendRuns(text, runs);
    for (const std::string_view run : runs)
        if (best.empty() || runWeight(run) < runWeight(best) ||
            (runWeight(run) == runWeight(best) && run.size() > best.size()))
            best = run;
    return best;
}

std::vector<const CatalogItem*> SearchSnapshot::search(const PreparedSearch& search,
                                                       const CatalogItem& start,
                                                       const CancelFlag* cancel,
                                                       unsigned threads) {
    refresh(threads);
    if (!usable_)
        return SearchTree(search, start, cancel);
    const uint32_t startIndex = indexOf(&start);
    if (startIndex == kNone)
        return SearchTree(search, start, cancel);
    if (start.isLocked())
        return {};
    const uint32_t first = startIndex + 1;
    const uint32_t last = table_.end[startIndex];
    if (first >= last)
        return {};

    // The literal runs of which the name must hold any one for the name to match: the runs of
    // the one word, or under AllWords those of every word. Case-sensitive words are not folded
    // like the arena.
    std::vector<std::string_view> options;
    if (!search.caseSensitive && !search.words.empty() &&
        ((search.allWords && !search.wholeString) || search.words.size() == 1))
        for (const std::string& word : search.words)
            AppendRuns(word, options);
    Runs runs;
    for (const std::string_view run : options)
        runs.name = rarerRun(runs.name, run);
    // Every text condition's value must occur in one of the item's texts.
    if (!search.caseSensitive)
        for (const PreparedCondition& condition : search.conditions)
            if (IsTextConditionKey(condition.condition.key))
                runs.condition = rarerRun(runs.condition, condition.condition.text);
    const bool filtered = search.dateTest || search.sizeFilter;
    std::vector<uint32_t> blocks;
    std::vector<uint32_t> textBlocks;
    if (runs.condition.empty() && table_.items.size() >= trigramThreshold_ &&
        std::any_of(options.begin(), options.end(),
                    [](std::string_view run) { return run.size() >= TrigramIndex::kMinimumRun; })) {
        // The indexes are built by the first search that can use them.
            if (!trigrams_) {
            trigrams_.emplace(table_.arena, table_.nameStart, threads);
            dirtyBlocks_.clear();
        }
        if (!textTrigrams_) {
            textTrigrams_.emplace(table_.records, table_.recordStart, threads);
            dirtyTextBlocks_.clear();
        }
        auto narrow = [](const TrigramIndex& index, const std::vector<uint32_t>& dirty, std::string_view run) {
            const std::vector<uint32_t> indexed = index.candidateBlocks(run);
            std::vector<uint32_t> out;
            std::set_union(indexed.begin(), indexed.end(), dirty.begin(), dirty.end(), std::back_inserter(out));
            return out;
        };
        // Of the runs, the one whose names and texts lie in the fewest blocks.
        if (trigrams_->usable() && textTrigrams_->usable()) {
            size_t fewest = SIZE_MAX;
            for (const std::string_view run : options) {
                if (run.size() < TrigramIndex::kMinimumRun)
                    continue;
                std::vector<uint32_t> names = narrow(*trigrams_, dirtyBlocks_, run);
                std::vector<uint32_t> texts = narrow(*textTrigrams_, dirtyTextBlocks_, run);
                if (names.size() + texts.size() < fewest) {
                    fewest = names.size() + texts.size();
                    runs.name = run;
                    blocks = std::move(names);
                    textBlocks = std::move(texts);
                }
            }
            runs.blocks = &blocks;
            runs.textBlocks = &textBlocks;
        }
    }
    // A common run with a date or size filter: testing the filter on every item is cheaper than
    // visiting every name that holds the run.
    const uint64_t runItems = runs.blocks ? uint64_t(blocks.size() + textBlocks.size()) * TrigramIndex::kBlockItems
                                          : runWeight(runs.name);
    if (runs.condition.empty() && !runs.name.empty() && filtered && runItems > table_.items.size() / 16) {
        runs.name = {};
        runs.blocks = runs.textBlocks = nullptr;
    }
    // When the run's rarest byte is in about every other name, marking its places beats memchr.
    runs.dense = !runs.name.empty() && runWeight(runs.name) * 4 >= table_.items.size();
    runs.nameDecides = !search.wholeString && search.find == TextRoutine::Substring &&
                       search.words.size() == 1 && runs.name.size() == search.words[0].size();
    const bool candidates = !runs.name.empty() || !runs.condition.empty();
    const bool filterFirst = !candidates && filtered;
    const Excluded excluded = candidates || filterFirst ? excludedRanges(startIndex) : Excluded();

    threads = ThreadsOrCores(threads);
    // The work is the items a scan may visit: with the index, only those of the named blocks.
    const uint64_t work = runs.blocks ? uint64_t(blocks.size() + textBlocks.size()) * TrigramIndex::kBlockItems
                                      : last - first;
    threads = unsigned(std::min<uint64_t>(threads, std::max<uint64_t>(1, work / kItemsPerThread)));
    std::vector<std::vector<const CatalogItem*>> parts(threads);
    std::vector<char> cancelled(threads, 0);
    auto run = [&](unsigned part) {
        const uint32_t from = first + uint32_t(uint64_t(last - first) * part / threads);
        const uint32_t to = first + uint32_t(uint64_t(last - first) * (part + 1) / threads);
        bool stopped = false;
        parts[part] = candidates    ? candidateScan(search, runs, startIndex, excluded, from, to, cancel, stopped)
                      : filterFirst ? filterScan(search, startIndex, excluded, from, to, cancel, stopped)
                                    : fullScan(search, startIndex, from, to, cancel, stopped);
        cancelled[part] = stopped;
    };
    {
        std::vector<std::jthread> workers;
        for (unsigned part = 1; part < threads; ++part)
            workers.emplace_back(run, part);
        run(0);
    }
    // The first part's hits stay where they are; the others follow in order, up to a cancel.
    std::vector<const CatalogItem*> hits = std::move(parts[0]);
    size_t total = hits.size();
    for (unsigned part = 1; part < threads; ++part)
        total += parts[part].size();
    hits.reserve(total);
    for (unsigned part = 1; part < threads && !cancelled[part - 1]; ++part)
        hits.insert(hits.end(), parts[part].begin(), parts[part].end());
    return hits;
}

}  // namespace shelfmark::search
