#include "exchange/ForeignTree.h"

#include <ctime>


#include "catalog/DiskNames.h"
#include "catalog/TreeWalk.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

std::string ForeignReadError::describe() const {
    return where.empty() ? message : where + ": " + message;
}

int32_t ForeignDate(int64_t seconds) {
    if (seconds < INT32_MIN || seconds > INT32_MAX)
        return 0;
    return static_cast<int32_t>(seconds);
}

std::optional<int64_t> LocalTimeToSeconds(int year, int month, int day, int hour, int minute,
                                          int second) {
    if (year < 1000 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 ||
        hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60)
        return std::nullopt;
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    const time_t seconds = std::mktime(&parts);
    // mktime answers -1 both for failure and for 23:59:59 on 31 Dec 1969; the fields tell.
    if (seconds == time_t(-1) && !(year == 1969 && month == 12 && day == 31))
        return std::nullopt;
    return int64_t(seconds);
}

ForeignTreeBuilder::ForeignTreeBuilder(CatalogTree& tree, CatalogItem* folder)
    : tree_(tree), folder_(folder) {}

CatalogItem* ForeignTreeBuilder::add(CatalogItem* parent, std::string_view name, uint16_t flags,
                                     int64_t date) {
    // No file system allows a NUL in a name, and C strings would cut the name there (the mount
    // command hands names to the kernel as such): it becomes U+FFFD.
    std::string catalogName = CatalogNameOf(name);
    for (size_t at = catalogName.find('\0'); at != std::string::npos; at = catalogName.find('\0', at))
        catalogName.replace(at, 1, "\xEF\xBF\xBD");
    // First is constant time; finish() sorts every list once.
    CatalogItem* item = tree_.createItem(catalogName, parent, First, flags);
    item->setDate(ForeignDate(date));
    return item;
}

CatalogItem* ForeignTreeBuilder::addDisk(std::string_view name, MediaType type, int64_t date) {
    CatalogItem* disk = add(folder_, name, DiskFlags(type), date);
    disks_.push_back(disk);
    return disk;
}

CatalogItem* ForeignTreeBuilder::addDirectory(CatalogItem* parent, std::string_view name,
                                              int64_t date) {
    return add(parent, name, itemflag::Directory, date);
}

CatalogItem* ForeignTreeBuilder::addFile(CatalogItem* parent, std::string_view name,
                                         uint64_t size, int64_t date) {
    CatalogItem* file = add(parent, name, 0, date);
    tree_.setSize(file, size);
    return file;
}

void ForeignTreeBuilder::markArchive(CatalogItem* file) {
    file->setFlags(file->flags() | itemflag::Archive);
}

CatalogItem* ForeignTreeBuilder::directoryAt(CatalogItem* under, std::string_view path,
                                             char separator) {
    CatalogItem* current = under;
    std::string key;
    while (!path.empty()) {
        const size_t cut = path.find(separator);
        const std::string_view component = path.substr(0, cut);
        path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
        if (component.empty())
            continue;
        key.assign(reinterpret_cast<const char*>(&current), sizeof current);
        text::AppendFolded(key, CatalogNameOf(component));
        auto [slot, added] = directories_.try_emplace(key, nullptr);
        if (added)
            slot->second = addDirectory(current, component, 0);
        current = slot->second;
    }
    return current;
}

void ForeignTreeBuilder::finish() {
    for (CatalogItem* disk : disks_) {
        // Containers in pre-order; summing them in reverse order sees every child's total first.
        std::vector<CatalogItem*> directories{disk};
        WalkBelowIgnoringLocks(
            disk, [](const CatalogItem& item) { return item.isDirectory(); },
            [&directories](CatalogItem& item) {
                if (item.isDirectory())
                    directories.push_back(&item);
                return true;
            });
        for (auto it = directories.rbegin(); it != directories.rend(); ++it) {
            uint64_t total = 0;
            for (const CatalogItem* child = (*it)->firstChildIgnoringLock(); child;
                 child = child->next())
                if (!child->isShortcut())
                    total += child->size();
            tree_.setSize(*it, total);
        }
        tree_.sortSubtree(disk);
    }
}

}  // namespace shelfmark
