#include "search/SearchSnapshot.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <thread>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogItem.h"
#include "foundation/CancelFlag.h"
#include "foundation/Utf8Text.h"
#include "search/SearchWalk.h"

namespace shelfmark::search {
namespace {

constexpr uint32_t kNoParent = std::numeric_limits<uint32_t>::max();
constexpr uint8_t kHasCategories = 1;
constexpr uint8_t kHasDescription = 2;
constexpr uint8_t kHasOtherText = 4;
constexpr uint8_t kProtected = 8;  // whether it is unlocked is asked of the item at each search

// Below this many items a second thread costs more than it saves.
constexpr uint32_t kItemsPerThread = 1 << 16;

}  // namespace

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

void SearchSnapshot::refresh() {
    if (stale_)
        build(document_.tree());
}

void SearchSnapshot::build(const CatalogTree& tree) {
    items_.clear();
    nameStart_.clear();
    parent_.clear();
    end_.clear();
    size_.clear();
    date_.clear();
    categories_.clear();
    flags_.clear();
    bits_.clear();
    arena_.clear();
    describedItems_.clear();
    descriptionStart_.clear();
    descriptions_.clear();
    stale_ = false;
    usable_ = true;

    std::string folded;
    uint32_t parent = kNoParent;
    for (const CatalogItem* item = tree.topLevel(); item;) {
        if (items_.size() >= kNoParent - 1 || arena_.size() > std::numeric_limits<uint32_t>::max() - 4096) {
            usable_ = false;
            return;
        }
        const uint32_t index = uint32_t(items_.size());
        items_.push_back(item);
        nameStart_.push_back(uint32_t(arena_.size()));
        folded.clear();
        text::AppendFolded(folded, item->name());
        arena_.insert(arena_.end(), folded.begin(), folded.end());
        parent_.push_back(parent);
        end_.push_back(index + 1);
        size_.push_back(item->size());
        date_.push_back(item->date());
        uint8_t bits = 0;
        uint32_t categories = 0;
        for (const ItemAttribute& attribute : item->attributes()) {
            if (attribute.key() == attr::Categories) {
                bits |= kHasCategories;
                categories = attribute.number();
            } else if (attribute.key() == attr::Description) {
                bits |= kHasDescription | kHasOtherText;
                describedItems_.push_back(index);
                descriptionStart_.push_back(descriptions_.size());
                text::AppendFolded(descriptions_, attribute.text());
            } else if (attribute.key() == attr::PasswordCheck) {
                bits |= kProtected;
            } else if (attribute.valueClass() == AttributeClass::Text) {
                bits |= kHasOtherText;
            }
        }
        categories_.push_back(categories);
        flags_.push_back(item->flags());
        bits_.push_back(bits);

        if (const CatalogItem* child = item->firstChildIgnoringLock()) {
            parent = index;
            item = child;
            continue;
        }
        // Going up: every ancestor left behind ends here.
        while (item && !item->next()) {
            item = item->parent();
            if (parent != kNoParent) {
                end_[parent] = uint32_t(items_.size());
                parent = parent_[parent];
            }
        }
        if (item)
            item = item->next();
    }
    nameStart_.push_back(uint32_t(arena_.size()));
    descriptionStart_.push_back(descriptions_.size());
}

std::string_view SearchSnapshot::foldedDescription(uint32_t index) const {
    const size_t at = size_t(std::lower_bound(describedItems_.begin(), describedItems_.end(), index) -
                             describedItems_.begin());
    return std::string_view(descriptions_)
        .substr(descriptionStart_[at], descriptionStart_[at + 1] - descriptionStart_[at]);
}

// Finds the names that hold one literal word by searching the arena from name to name, so that
// the names without it are never looked at one by one. Asked about items in ascending order.
class SearchSnapshot::LiteralCursor {
  public:
    LiteralCursor(const std::vector<char>& arena, const std::vector<uint32_t>& nameStart,
                  std::string_view word)
        : arena_(arena), nameStart_(nameStart), word_(word) {}

    bool nameHolds(uint32_t index) {
        const size_t start = nameStart_[index];
        const size_t end = nameStart_[index + 1];
        if (end - start < word_.size())
            return false;
        if (!searched_ || (hit_ != kNone && hit_ < start)) {
            searched_ = true;
            hit_ = find(start);
        }
        // A match that runs past this name's end is no hit; look again inside the name.
        while (hit_ != kNone && hit_ < end && hit_ + word_.size() > end)
            hit_ = find(hit_ + 1);
        return hit_ != kNone && hit_ < end;
    }

  private:
    static constexpr size_t kNone = SIZE_MAX;
    size_t find(size_t from) const {
        const void* at = ::memmem(arena_.data() + from, arena_.size() - from, word_.data(),
                                  word_.size());
        return at ? size_t(static_cast<const char*>(at) - arena_.data()) : kNone;
    }

    const std::vector<char>& arena_;
    const std::vector<uint32_t>& nameStart_;
    std::string_view word_;
    bool searched_ = false;
    size_t hit_ = kNone;
};

bool SearchSnapshot::matches(const PreparedSearch& search, uint32_t index,
                             LiteralCursor* literal) const {
    if (!DateAccepted(search, date_[index]))
        return false;
    if (!SizeAccepted(search, flags_[index], size_[index]))
        return false;
    const CatalogItem& item = *items_[index];
    bool found = literal               ? literal->nameHolds(index)
                 : search.caseSensitive ? TextHolds(search, item.name())
                                        : TextHolds(search, foldedName(index));
    if (!found && search.inDescription && (bits_[index] & kHasDescription))
        found = search.caseSensitive ? TextHolds(search, *item.textAttribute(attr::Description))
                                     : TextHolds(search, foldedDescription(index));
    if (!found && search.inExtraInfo && (bits_[index] & kHasOtherText)) {
        for (const ItemAttribute& attribute : item.attributes()) {
            if (attribute.valueClass() == AttributeClass::Text &&
                TextHolds(search, ComparableText(search, attribute.text()))) {
                found = true;
                break;
            }
        }
    }
    return found && (search.conditions.empty() || ConditionsHold(search, item));
}

bool SearchSnapshot::locked(uint32_t index) const {
    return (bits_[index] & kProtected) && items_[index]->isLocked();
}

bool SearchSnapshot::visibleBelow(uint32_t index, uint32_t startIndex) const {
    for (uint32_t a = parent_[index]; a != startIndex; a = parent_[a])
        if (!(flags_[a] & itemflag::ContainerMask) || locked(a))
            return false;
    return true;
}

std::vector<const CatalogItem*> SearchSnapshot::sparseScan(const PreparedSearch& search,
                                                           uint32_t startIndex, uint32_t from,
                                                           uint32_t to, const CancelFlag* cancel,
                                                           bool& cancelled) const {
    // The candidates are the names that hold the word, found in the arena, and the items whose
    // description may hold it; everything else cannot match.
    std::vector<const CatalogItem*> hits;
    const std::string_view word = search.words[0];
    const char* const base = arena_.data();
    const size_t rangeEnd = nameStart_[to];
    size_t pos = nameStart_[from];
    auto described = std::lower_bound(describedItems_.begin(), describedItems_.end(), from);
    const auto describedEnd = std::lower_bound(described, describedItems_.end(), to);
    uint32_t nameHit = from;
    auto nextNameHit = [&]() -> uint32_t {
        while (pos < rangeEnd) {
            const void* at = ::memmem(base + pos, rangeEnd - pos, word.data(), word.size());
            if (!at)
                break;
            const size_t offset = size_t(static_cast<const char*>(at) - base);
            const uint32_t index = uint32_t(std::upper_bound(nameStart_.begin() + from,
                                                             nameStart_.begin() + to + 1, offset) -
                                            nameStart_.begin() - 1);
            if (offset + word.size() <= nameStart_[index + 1]) {
                pos = nameStart_[index + 1];
                return index;
            }
            pos = offset + 1;  // runs into the next name: look again from just after its start
        }
        pos = rangeEnd;
        return to;
    };
    nameHit = nextNameHit();
    const bool descriptions = search.inDescription;
    while (true) {
        uint32_t i = nameHit;
        if (descriptions && described != describedEnd && *described < i)
            i = *described;
        if (i >= to)
            break;
        if (i == nameHit)
            nameHit = nextNameHit();
        if (descriptions && described != describedEnd && *described == i)
            ++described;
        if (search.kindOn[size_t(KindOf(flags_[i]))] && visibleBelow(i, startIndex) &&
            matches(search, i, nullptr))
            hits.push_back(items_[i]);
        if (cancel && cancel->isSet()) {
            cancelled = true;
            break;
        }
    }
    return hits;
}

std::vector<const CatalogItem*> SearchSnapshot::scan(const PreparedSearch& search,
                                                     uint32_t startIndex, uint32_t from,
                                                     uint32_t to, const CancelFlag* cancel,
                                                     bool& cancelled) const {
    if (search.categories.empty() && !search.inExtraInfo && !search.caseSensitive &&
        !search.wholeString && search.words.size() == 1 && !search.words[0].empty() &&
        search.find == TextRoutine::Substring)
        return sparseScan(search, startIndex, from, to, cancel, cancelled);
    std::vector<const CatalogItem*> hits;
    struct Level {
        uint32_t end;
        bool state;
    };
    // The levels above `from`: the start item, then each ancestor of `from` below it.
    std::vector<uint32_t> chain;
    for (uint32_t a = parent_[from]; a != startIndex; a = parent_[a])
        chain.push_back(a);
    const bool noCategories = search.categories.empty();
    auto stateOf = [&](uint32_t index, bool parentState) {
        return noCategories || CategoryState(search, bits_[index] & kHasCategories,
                                             categories_[index], parentState);
    };
    std::vector<Level> levels{{end_[startIndex], StartCategoryState(search, *items_[startIndex])}};
    // One literal word looked for case-insensitively: the arena of folded names is searched.
    std::optional<LiteralCursor> literal;
    if (!search.caseSensitive && !search.wholeString && search.words.size() == 1 &&
        !search.words[0].empty() && search.find == TextRoutine::Substring)
        literal.emplace(arena_, nameStart_, search.words[0]);
    uint32_t i = from;
    for (auto a = chain.rbegin(); a != chain.rend(); ++a) {
        const bool state = stateOf(*a, levels.back().state);
        if (!(flags_[*a] & itemflag::ContainerMask) || locked(*a)) {
            i = end_[*a];  // `from` lies in a subtree the walk does not enter
            break;
        }
        levels.push_back({end_[*a], state});
    }
    while (i < to) {
        while (levels.back().end <= i)
            levels.pop_back();
        const bool state = stateOf(i, levels.back().state);
        if (state && search.kindOn[size_t(KindOf(flags_[i]))] && matches(search, i, literal ? &*literal : nullptr))
            hits.push_back(items_[i]);
        if (cancel && cancel->isSet()) {
            cancelled = true;
            break;
        }
        const uint32_t next = i + 1;
        if (end_[i] > next) {
            if ((flags_[i] & itemflag::ContainerMask) && !locked(i)) {
                levels.push_back({end_[i], state});
                i = next;
            } else {
                i = end_[i];
            }
        } else {
            i = next;
        }
    }
    return hits;
}

std::vector<const CatalogItem*> SearchSnapshot::search(const PreparedSearch& search,
                                                       const CatalogItem& start,
                                                       const CancelFlag* cancel,
                                                       unsigned threads) {
    refresh();
    if (!usable_)
        return SearchTree(search, start, cancel);
    const auto at = std::find(items_.begin(), items_.end(), &start);
    if (at == items_.end())
        return SearchTree(search, start, cancel);
    const uint32_t startIndex = uint32_t(at - items_.begin());
    if (start.isLocked())
        return {};
    const uint32_t first = startIndex + 1;
    const uint32_t last = end_[startIndex];
    if (first >= last)
        return {};

    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads = std::min<unsigned>(threads, std::max<uint32_t>(1, (last - first) / kItemsPerThread));
    std::vector<std::vector<const CatalogItem*>> parts(threads);
    std::vector<char> cancelled(threads, 0);
    auto run = [&](unsigned part) {
        const uint32_t from = first + uint32_t(uint64_t(last - first) * part / threads);
        const uint32_t to = first + uint32_t(uint64_t(last - first) * (part + 1) / threads);
        bool stopped = false;
        parts[part] = scan(search, startIndex, from, to, cancel, stopped);
        cancelled[part] = stopped;
    };
    {
        std::vector<std::jthread> workers;
        for (unsigned part = 1; part < threads; ++part)
            workers.emplace_back(run, part);
        run(0);
    }
    std::vector<const CatalogItem*> hits;
    size_t total = 0;
    for (const auto& part : parts)
        total += part.size();
    hits.reserve(total);
    for (unsigned part = 0; part < threads; ++part) {
        hits.insert(hits.end(), parts[part].begin(), parts[part].end());
        if (cancelled[part])
            break;
    }
    return hits;
}

}  // namespace shelfmark::search
