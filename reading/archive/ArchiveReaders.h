// What the disk read calls for archive files: finding an archive inside a self-extracting
// executable, and storing an archive's directory as items below the archive's item.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "reading/archive/ArchiveKind.h"

namespace shelfmark {

class CatalogTree;
class CatalogItem;

// Looks through the first 128 KB of an executable for the start of a ZIP, RAR, ACE or ARJ
// archive, in that order, each only when `archiveMask` has its bit. Gives the kind and the
// offset where the archive starts, or nothing.
std::optional<std::pair<ArchiveKind, uint64_t>> SfxProbe(const std::string& path,
                                                         uint8_t archiveMask);

// Reads the directory of the archive of `kind` in `path` from `startOffset` and stores its
// entries below `archiveItem`: directory items (one per distinct directory, compared without
// regard to case), file items with size and date, and with `storeCrc32` (not for CAB) each
// file's stored CRC-32. True when at least one entry was stored; what was stored before a
// damaged header stays.
bool ReadArchiveDirectory(ArchiveKind kind, const std::string& path, uint64_t startOffset,
                          CatalogTree& tree, CatalogItem* archiveItem, bool storeCrc32);

}  // namespace shelfmark
