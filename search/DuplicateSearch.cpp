#include "search/DuplicateSearch.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/CatalogItem.h"
#include "foundation/CancelFlag.h"
#include "foundation/Prompter.h"
#include "search/SearchCriteria.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::search {
namespace {

template <typename T>
int Order(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Compares an optional attribute only when both items have it.
template <typename T>
int OrderWhenBoth(const std::optional<T>& a, const std::optional<T>& b) {
    return a && b ? Order(*a, *b) : 0;
}

// What the sort orders by, gathered once per candidate: the names folded into one arena, so
// that the sort compares bytes instead of folding both names at every comparison, and their first
// eight bytes in one number, which settles most comparisons without reading the arena.
struct SortKey {
    const CatalogItem* item;
    uint64_t size;
    uint64_t namePrefix;
    int32_t date;
    uint32_t nameLength;
    size_t nameStart;
    std::optional<uint32_t> crc;
};

uint64_t PrefixOf(std::string_view folded) {
    uint64_t prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = prefix << 8 | (i < folded.size() ? uint8_t(folded[i]) : 0);
    return prefix;
}

int CompareNames(const SortKey& a, const SortKey& b, const std::string& names) {
    if (const int c = Order(a.namePrefix, b.namePrefix))
        return c;
    return std::string_view(names).substr(a.nameStart, a.nameLength)
        .compare(std::string_view(names).substr(b.nameStart, b.nameLength));
}

// A consistent ordering for the sort under which every run of duplicates is contiguous:
// the chosen criteria with the checksums last, an item without a checksum before those with one.
// The duplicate comparison itself is not an ordering when some items lack a checksum.
bool SortsBefore(const SortKey& a, const SortKey& b, const std::string& names, unsigned criteria) {
    if (criteria & duplicate::DateBit)
        if (const int c = Order(a.date, b.date))
            return c < 0;
    if (criteria & duplicate::SizeBit)
        if (const int c = Order(a.size, b.size))
            return c < 0;
    if (criteria & duplicate::NameBit)
        if (const int c = CompareNames(a, b, names))
            return c < 0;
    if (criteria & duplicate::Crc32Bit)
        if (const int c = Order(a.crc, b.crc))
            return c < 0;
    if (criteria & duplicate::Md5Bit)
        if (const int c = Order(a.item->textAttribute(attr::Md5), b.item->textAttribute(attr::Md5)))
            return c < 0;
    return false;
}

// CompareDuplicates(a, b) == 0 from the keys: folded names are equal exactly when the names
// compare equal ignoring case.
bool SameUnder(const SortKey& a, const SortKey& b, const std::string& names, unsigned criteria) {
    return (!(criteria & duplicate::DateBit) || a.date == b.date) &&
           (!(criteria & duplicate::Crc32Bit) || OrderWhenBoth(a.crc, b.crc) == 0) &&
           (!(criteria & duplicate::Md5Bit) ||
            OrderWhenBoth(a.item->textAttribute(attr::Md5), b.item->textAttribute(attr::Md5)) == 0) &&
           (!(criteria & duplicate::SizeBit) || a.size == b.size) &&
           (!(criteria & duplicate::NameBit) || CompareNames(a, b, names) == 0);
}

}  // namespace

bool DuplicateCriteriaChosen(unsigned criteria, Prompter& prompter) {
    if (criteria != 0)
        return true;
    // A fixed text, never translated.
    prompter.show({{}, "Please select at least one comparison criterium!", PromptIcon::Warning, PromptButtons::Ok});
    return false;
}

void SetMinimumSize(DuplicateJob& job, std::string_view sizeText, unsigned unitShift) {
    job.minSizeFilter = !sizeText.empty();
    job.minSize = SizeTextValue(sizeText, unitShift);
}

std::vector<const CatalogItem*> CollectDuplicateCandidates(const DuplicateJob& job) {
    std::vector<const CatalogItem*> candidates;
    if (!job.scope)
        return candidates;
    constexpr uint16_t kDescended = itemflag::Directory | itemflag::Folder | itemflag::Shortcut;
    const CatalogItem* item = job.scope->firstChild();
    while (item) {
        if (item->flags() & kDescended) {
            if (const CatalogItem* child = item->firstChild()) {
                item = child;
                continue;
            }
        } else if (!job.minSizeFilter || item->size() >= job.minSize) {
            candidates.push_back(item);
        }
        while (!item->next()) {
            item = item->parent();
            if (!item || item == job.scope)
                return candidates;
        }
        item = item->next();
    }
    return candidates;
}

int CompareDuplicates(const CatalogItem& a, const CatalogItem& b, unsigned criteria) {
    if (criteria & duplicate::DateBit)
        if (const int c = Order(a.date(), b.date()))
            return c;
    if (criteria & duplicate::Crc32Bit)
        if (const int c = OrderWhenBoth(a.numberAttribute(attr::Crc32), b.numberAttribute(attr::Crc32)))
            return c;
    if (criteria & duplicate::Md5Bit)
        if (const int c = OrderWhenBoth(a.textAttribute(attr::Md5), b.textAttribute(attr::Md5)))
            return c;
    if (criteria & duplicate::SizeBit)
        if (const int c = Order(a.size(), b.size()))
            return c;
    if (criteria & duplicate::NameBit)
        return text::CompareNoCase(a.name(), b.name());
    return 0;
}

std::vector<DuplicateRow> FindDuplicates(const DuplicateJob& job) {
    std::vector<DuplicateRow> rows;
    if (job.criteria == 0)
        return rows;
    auto cancelled = [&job] { return job.cancel && job.cancel->isSet(); };
    std::vector<const CatalogItem*> candidates = CollectDuplicateCandidates(job);
    if (cancelled())
        return rows;
    std::string names;
    std::vector<SortKey> keys;
    keys.reserve(candidates.size());
    for (const CatalogItem* item : candidates) {
        const size_t start = names.size();
        if (job.criteria & duplicate::NameBit)
            text::AppendFolded(names, item->name());
        const std::string_view folded = std::string_view(names).substr(start);
        keys.push_back({item, item->size(), PrefixOf(folded), item->date(), uint32_t(folded.size()), start,
                        (job.criteria & duplicate::Crc32Bit) ? item->numberAttribute(attr::Crc32)
                                                              : std::nullopt});
    }
    std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        return SortsBefore(a, b, names, job.criteria);
    });
    if (cancelled())
        return rows;
    uint8_t shade = 1;
    bool newGroup = true;
    for (size_t a = 1; a < keys.size() && !cancelled(); ++a) {
        if (!SameUnder(keys[a - 1], keys[a], names, job.criteria)) {
            newGroup = true;
            continue;
        }
        if (newGroup) {
            rows.push_back({keys[a - 1].item, uint8_t(!shade)});
            shade = !shade;
            newGroup = false;
        }
        rows.push_back({keys[a].item, shade});
    }
    return rows;
}

std::vector<std::vector<const CatalogItem*>> DuplicateGroups(const std::vector<DuplicateRow>& rows) {
    std::vector<std::vector<const CatalogItem*>> groups;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i == 0 || rows[i].shade != rows[i - 1].shade)
            groups.emplace_back();
        groups.back().push_back(rows[i].item);
    }
    return groups;
}

}  // namespace shelfmark::search
