// The outside work a disk read asks for, injected so that the engine itself links none of it:
// archive directories, the self-extracting probe, descriptions from the providers. An empty
// member means the service is not available: an archive whose reader is missing stays a plain
// file, and no provider describes anything.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "reading/archive/ArchiveKind.h"

namespace shelfmark {

class CatalogTree;
class CatalogItem;

struct ReadServices {
    // Looks into an ".exe" for an embedded archive of a kind the mask allows; the kind and the
    // offset where it starts, or nothing.
    std::function<std::optional<std::pair<ArchiveKind, uint64_t>>(const std::string& path,
                                                                  uint8_t archiveMask)>
        probeSfx;

    // Stores the entries of the archive at `startOffset` in `path` below `archiveItem`; true
    // when the archive could be read. JAR archives come with their own kind and are ZIP files.
    std::function<bool(ArchiveKind kind, const std::string& path, uint64_t startOffset,
                       CatalogTree& tree, CatalogItem* archiveItem, bool storeCrc32)>
        readArchive;

    // Whether some provider handles files with this lower-case extension ("" for none).
    std::function<bool(std::string_view extension)> hasProvider;
    // Asks that provider about the file and stores what it answers (descriptions, tags, a
    // thumbnail) on the item.
    std::function<void(std::string_view extension, const std::string& path, CatalogTree& tree,
                       CatalogItem* item)>
        describe;
};

}  // namespace shelfmark
