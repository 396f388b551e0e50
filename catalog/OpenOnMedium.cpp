#include "catalog/OpenOnMedium.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "catalog/CatalogDocument.h"
#include "catalog/LocateDisk.h"
#include "catalog/MediumPath.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"

namespace shelfmark {

namespace {

constexpr int kMessageWrongKind = 81;
constexpr int kMessageOneDirectory = 82;
constexpr int kMessagePathNotFound = 129;

// The files of one disk, with their paths below the mount point taken before the disk is
// located (locating may reload the catalog, which frees the items).
struct DiskFiles {
    CatalogItem* disk = nullptr;
    std::vector<std::vector<std::string>> paths;
};

bool IsMissing(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace

OpenOnMediumResult OpenOnMedium(CatalogDocument& document, std::span<CatalogItem* const> items,
                                const std::vector<Volume>& drives, InsertDiskDialog* dialog,
                                const FileOpener& opener) {
    const CatalogTree& tree = document.tree();
    Prompter& prompter = document.prompter();
    OpenOnMediumResult result;
    std::vector<DiskFiles> disks;
    for (CatalogItem* chosen : items) {
        CatalogItem* item = chosen->isShortcut() ? tree.resolveShortcut(chosen, &prompter) : chosen;
        if (item == nullptr) {
            result.refused = true;
            continue;
        }
        if (item->isContainer()) {
            if (result.containerToShow == nullptr) {
                result.containerToShow = item;
            } else {
                prompter.error(Str(kMessageOneDirectory), tree.pathText(item, pathmode::Display));
                result.refused = true;
            }
            continue;
        }
        CatalogItem* disk = const_cast<CatalogItem*>(item->disk());
        if (item->archive() != nullptr || disk == nullptr) {
            prompter.error(Str(kMessageWrongKind), tree.pathText(item, pathmode::Display));
            result.refused = true;
            continue;
        }
        auto same = std::find_if(disks.begin(), disks.end(),
                                 [disk](const DiskFiles& files) { return files.disk == disk; });
        if (same == disks.end())
            same = disks.insert(disks.end(), DiskFiles{disk, {}});
        same->paths.push_back(PathOnMedium(*item));
    }

    // Each disk's paths are taken from the tree before any disk is located.
    for (const DiskFiles& files : disks) {
        const std::optional<LocatedDisk> located =
            LocateDisk(document, *files.disk, drives, dialog);
        if (!located) {
            result.notFound = true;
            return result;
        }
        for (const std::vector<std::string>& components : files.paths) {
            const std::string path = JoinOnMedium(located->volume.mountPoint, components);
            std::string error;
            if (IsMissing(path)) {
                prompter.error(StringPrintf(Str(kMessagePathNotFound).c_str(), path.c_str()));
                result.refused = true;
            } else if (!opener(path, error)) {
                prompter.error(error, path);
                result.refused = true;
            } else {
                ++result.opened;
            }
        }
        if (located->catalogReloaded) {
            // The items of the other disks are gone with the old tree.
            result.containerToShow = nullptr;
            result.catalogReloaded = true;
            return result;
        }
    }
    return result;
}

}  // namespace shelfmark
