// A catalog (or one folder, disk, directory or archive of it) seen as a read-only file system:
// the logic behind `shelfmark-cli mount`, free of FUSE so that it is tested without mounting.
//
// Folders, disks, directories and archives are directories; files are regular files with their
// sizes and dates. Locked (password-protected) items are empty directories, and shortcuts are
// left out. A directory's entries are its children's names made fit for a file system: "/" in
// a name becomes "∕" (U+2215), a NUL U+FFFD, the names "." and ".." become "(.)" and "(..)", and a name that
// an earlier sibling already took gets " (2)", " (3)", ... appended, so every entry is unique.
// Descriptions, tags, checksums and other texts are extended attributes "user.shelfmark.*".
// Reading a file means reading the real file on its medium, which the caller finds (the volume
// must be mounted; otherwise the file cannot be opened).
//
// Threads: listings are built on first use and kept; one thread at a time (the FUSE loop runs
// single-threaded). The catalog must not change while it is mounted.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "catalog/CatalogItem.h"

namespace shelfmark {

class CatalogFileSystem {
  public:
    // The real path of a file on its mounted medium, or nothing when the medium is not there.
    using MediumFinder = std::function<std::optional<std::string>(const CatalogItem& file)>;

    CatalogFileSystem(const CatalogItem& top, MediumFinder finder);

    // The item at an absolute path ("/" is the top); null when there is none.
    const CatalogItem* lookup(std::string_view path);
    // Whether the item shows as a directory.
    static bool IsDirectory(const CatalogItem& item);
    // stat fields: mode (0555 directories, 0444 files), links, size, 512-byte blocks, times.
    struct stat attributes(const CatalogItem& item);
    // A directory's entries in list order: (entry name, item).
    const std::vector<std::pair<std::string, const CatalogItem*>>& entries(const CatalogItem& directory);
    // Extended attributes: ("user.shelfmark.description", text), ...
    static std::vector<std::pair<std::string, std::string>> ExtendedAttributes(const CatalogItem& item);
    // The file's real path on its medium; nothing for a directory, an archive entry or a medium
    // that is not mounted.
    std::optional<std::string> realPath(const CatalogItem& file) const;

  private:
    struct Listing {
        std::vector<std::pair<std::string, const CatalogItem*>> entries;
        std::unordered_map<std::string, const CatalogItem*> byName;
        uint32_t subdirectories = 0;
    };
    Listing& listing(const CatalogItem& directory);

    const CatalogItem& top_;
    MediumFinder finder_;
    std::unordered_map<const CatalogItem*, std::unique_ptr<Listing>> listings_;
};

// The entry name of a catalog name before uniqueness: "/" and NUL replaced, "." and ".."
// bracketed.
std::string FileSystemName(std::string_view name);

}  // namespace shelfmark
