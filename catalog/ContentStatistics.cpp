#include "catalog/ContentStatistics.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>
#include <unordered_map>

#include "catalog/CatalogTree.h"
#include "catalog/TreeWalk.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

constexpr size_t kMaxExtensionLength = 16;
constexpr int kNoYear = INT32_MIN;

struct Sum {
    uint64_t count = 0;
    uint64_t bytes = 0;
    void add(uint64_t size) {
        ++count;
        bytes += size;
    }
};

// The extension of a name as a lookup key: lower case, without the dot, "" when there is none.
// Plain ASCII extensions (nearly all) are folded in place without allocating.
std::string_view ExtensionKey(std::string_view name, std::array<char, kMaxExtensionLength>& buffer,
                              std::string& folded) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return {};
    const std::string_view extension = name.substr(dot + 1);
    if (extension.size() <= buffer.size()) {
        bool ascii = true;
        for (size_t i = 0; i < extension.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(extension[i]);
            ascii = ascii && c < 0x80;
            buffer[i] = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
        if (ascii)
            return {buffer.data(), extension.size()};
    }
    folded = text::FoldCase(extension);
    return folded;
}

// Keeps the n largest items seen, in a min-heap by size; ties keep the earlier item.
class LargestItems {
  public:
    explicit LargestItems(size_t n) : n_(n) {}
    void offer(const CatalogItem& item, uint64_t order) {
        if (n_ == 0)
            return;
        const uint64_t size = item.size();
        if (heap_.size() == n_ && size <= heap_.front().size)
            return;
        heap_.push_back({size, order, &item});
        std::push_heap(heap_.begin(), heap_.end(), Greater);
        if (heap_.size() > n_) {
            std::pop_heap(heap_.begin(), heap_.end(), Greater);
            heap_.pop_back();
        }
    }
    std::vector<const CatalogItem*> sorted() {
        std::sort(heap_.begin(), heap_.end(), Greater);
        std::vector<const CatalogItem*> items;
        for (const Entry& entry : heap_)
            items.push_back(entry.item);
        return items;
    }

  private:
    struct Entry {
        uint64_t size;
        uint64_t order;
        const CatalogItem* item;
    };
    // The heap's top is the smallest (and, among equals, the latest seen).
    static bool Greater(const Entry& a, const Entry& b) {
        return a.size != b.size ? a.size > b.size : a.order < b.order;
    }
    size_t n_;
    std::vector<Entry> heap_;
};

struct TransparentHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};

}  // namespace

int YearOfDate(int64_t seconds) {
    // Days to civil year (proleptic Gregorian), after H. Hinnant's days_from_civil inverse.
    const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400 + 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    return int(yearOfEra + era * 400 + (monthIndex >= 10 ? 1 : 0));
}

ContentStatistics GatherContentStatistics(const CatalogTree& tree, const CatalogItem& top,
                                          const StatisticsOptions& options) {
    ContentStatistics result;
    enum Kind { FolderKind, DiskKind, DirectoryKind, ArchiveKind, FileKind, ShortcutKind, Kinds };
    std::array<Sum, Kinds> kinds{};
    std::map<uint16_t, std::pair<Sum, const CatalogItem*>> media;
    std::unordered_map<std::string, Sum, TransparentHash, std::equal_to<>> extensions;
    std::map<int, Sum> years;
    // Most catalogs span a few decades: a flat table for 1970-2105 saves a map lookup per file.
    std::array<Sum, 136> recentYears{};
    LargestItems largestFiles(options.topItems), largestDirectories(options.topItems);
    std::array<char, kMaxExtensionLength> buffer{};
    std::string folded;
    uint64_t order = 0;

    const uint16_t entered = itemflag::Folder | itemflag::Directory |
                             (options.includeArchiveContents ? itemflag::Archive : 0);
    auto enter = [entered](const CatalogItem& item) {
        return !item.isShortcut() && (item.flags() & entered) != 0;
    };
    WalkBelow(&top, enter, [&](CatalogItem& item) {
        if ((++order & 0xFFFF) == 0 && options.cancel && options.cancel->isSet()) {
            result.cancelled = true;
            return false;
        }
        if (item.isShortcut()) {
            kinds[ShortcutKind].add(0);
            return true;
        }
        if (item.isFolder()) {
            kinds[FolderKind].add(0);
            return true;
        }
        if (item.isDisk()) {
            kinds[DiskKind].add(item.size());
            auto& [sum, sample] = media[item.flags() & (itemflag::MediaType | itemflag::ReWritable)];
            sum.add(item.size());
            if (!sample)
                sample = &item;
            largestDirectories.offer(item, order);
            return true;
        }
        if (item.isDirectory()) {
            kinds[DirectoryKind].add(0);
            largestDirectories.offer(item, order);
            return true;
        }
        const uint64_t size = item.size();
        kinds[item.isArchive() ? ArchiveKind : FileKind].add(size);
        ++result.files;
        result.fileBytes += size;
        largestFiles.offer(item, order);
        const std::string_view key = ExtensionKey(item.name(), buffer, folded);
        auto found = extensions.find(key);
        if (found == extensions.end())
            found = extensions.emplace(std::string(key), Sum{}).first;
        found->second.add(size);
        const int year = item.date() == 0 ? kNoYear : YearOfDate(item.date());
        if (year >= 1970 && year < 1970 + int(recentYears.size()))
            recentYears[size_t(year - 1970)].add(size);
        else
            years[year].add(size);
        return true;
    });

    static constexpr const char* kKindNames[Kinds] = {"folder", "disk",  "directory",
                                                      "archive", "file", "shortcut"};
    for (int kind = 0; kind < Kinds; ++kind)
        if (kinds[kind].count > 0)
            result.byKind.push_back({kKindNames[kind], kinds[kind].count, kinds[kind].bytes});

    for (const auto& [flags, entry] : media)
        result.byMediaType.push_back(
            {tree.typeText(entry.second), entry.first.count, entry.first.bytes});
    auto mostBytes = [](const StatisticsBucket& a, const StatisticsBucket& b) {
        return a.bytes != b.bytes ? a.bytes > b.bytes : a.key < b.key;
    };
    std::stable_sort(result.byMediaType.begin(), result.byMediaType.end(), mostBytes);

    for (const auto& [key, sum] : extensions)
        result.byExtension.push_back({key, sum.count, sum.bytes});
    std::sort(result.byExtension.begin(), result.byExtension.end(), mostBytes);
    if (result.byExtension.size() > options.topExtensions) {
        StatisticsBucket other{"(other)", 0, 0};
        for (size_t i = options.topExtensions; i < result.byExtension.size(); ++i) {
            other.count += result.byExtension[i].count;
            other.bytes += result.byExtension[i].bytes;
        }
        result.byExtension.resize(options.topExtensions);
        result.byExtension.push_back(other);
    }

    for (size_t i = 0; i < recentYears.size(); ++i)
        if (recentYears[i].count > 0)
            years[1970 + int(i)] = recentYears[i];
    for (const auto& [year, sum] : years)
        if (year != kNoYear)
            result.byYear.push_back({std::to_string(year), sum.count, sum.bytes});
    if (const auto none = years.find(kNoYear); none != years.end())
        result.byYear.push_back({"no date", none->second.count, none->second.bytes});

    result.largestFiles = largestFiles.sorted();
    result.largestDirectories = largestDirectories.sorted();
    return result;
}

}  // namespace shelfmark
