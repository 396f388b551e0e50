// The catalog side of the archive readers: entries become directory and file items below the
// archive's item.
#include "reading/archive/ArchiveReaders.h"

#include <limits>
#include <string>
#include <unordered_map>

#include "catalog/CatalogTree.h"
#include "foundation/Utf8Text.h"
#include "reading/archive/ArchiveWalkers.h"

namespace shelfmark {
namespace {

// Builds the items of one archive. Directories are found again by parent and case-folded name,
// so entries of one directory share its item whatever their order; new children go after the
// parent's last child without walking the list each time.
class ArchiveItemBuilder {
  public:
    ArchiveItemBuilder(CatalogTree& tree, CatalogItem* archiveItem, bool storeCrc32)
        : tree_(tree), archiveItem_(archiveItem), storeCrc32_(storeCrc32) {}

    void add(const ArchiveEntry& entry) {
        const size_t directoryCount =
            entry.isDirectory ? entry.components.size() : entry.components.size() - 1;
        CatalogItem* parent = archiveItem_;
        for (size_t i = 0; i < directoryCount; ++i)
            parent = directory(parent, entry.components[i]);
        CatalogItem* item = parent;
        if (!entry.isDirectory) {
            item = append(parent, entry.components.back(), 0);
            tree_.setSize(item, entry.size);
            if (storeCrc32_ && entry.hasCrc32 && entry.crc32 != 0)
                tree_.setNumberAttribute(item, attr::Crc32, entry.crc32);
        }
        item->setDate(ItemDate(entry.date));
    }

  private:
    static int32_t ItemDate(int64_t date) {
        if (date < std::numeric_limits<int32_t>::min() ||
            date > std::numeric_limits<int32_t>::max())
            return 0;
        return static_cast<int32_t>(date);
    }

    CatalogItem* directory(CatalogItem* parent, const std::string& name) {
        key_.assign(reinterpret_cast<const char*>(&parent), sizeof parent);
        text::AppendFolded(key_, name);
        const auto found = directories_.find(key_);
        if (found != directories_.end())
            return found->second;
        CatalogItem* item = append(parent, name, itemflag::Directory);
        directories_.emplace(key_, item);
        return item;
    }

    CatalogItem* append(CatalogItem* parent, const std::string& name, uint16_t flags) {
        const auto tail = lastChild_.find(parent);
        CatalogItem* position = tail != lastChild_.end() ? tail->second : Last;
        CatalogItem* item = tree_.createItem(name, parent, position, flags);
        lastChild_[parent] = item;
        return item;
    }

    CatalogTree& tree_;
    CatalogItem* archiveItem_;
    bool storeCrc32_;
    std::string key_;
    std::unordered_map<std::string, CatalogItem*> directories_;
    std::unordered_map<CatalogItem*, CatalogItem*> lastChild_;
};

}  // namespace

bool ReadArchiveDirectory(ArchiveKind kind, const std::string& path, uint64_t startOffset,
                          CatalogTree& tree, CatalogItem* archiveItem, bool storeCrc32) {
    if (!archiveItem)
        return false;
    // Cabinets keep no CRC-32 of their files.
    ArchiveItemBuilder builder(tree, archiveItem, storeCrc32 && kind != ArchiveKind::Cab);
    return archive::WalkArchive(kind, path, startOffset,
                                [&builder](const ArchiveEntry& entry) { builder.add(entry); });
}

}  // namespace shelfmark
