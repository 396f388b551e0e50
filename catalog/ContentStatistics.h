// What a container holds, counted and summed several ways: by kind, by disk media type, by file
// extension, by year of modification, and its largest files and directories. The stats command
// prints it and the desktop program's Statistics window draws it; both only show the figures.
//
// One walk over the subtree, no allocation per item for names that are plain ASCII extensions,
// so a catalog of ten million items is counted in well under a second. The walk honours locks
// (a locked item's contents are not counted) and does not enter shortcuts; archive contents are
// counted only when asked, then as files of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/CatalogItem.h"
#include "foundation/CancelFlag.h"

namespace shelfmark {

class CatalogTree;

struct StatisticsOptions {
    bool includeArchiveContents = false;
    size_t topExtensions = 20;  // extension rows kept; the rest are summed as "(other)"
    size_t topItems = 10;       // largest files and directories kept
    const CancelFlag* cancel = nullptr;  // tested every 64 K items
};

struct StatisticsBucket {
    std::string key;  // kind, media type text, extension (lower case, "" for none), year
    uint64_t count = 0;
    uint64_t bytes = 0;
};

struct ContentStatistics {
    // Items below the container, by kind: "folder", "disk", "directory", "archive", "file",
    // "shortcut" (in this order, empty kinds left out). Bytes: a file's or archive's own size; a
    // disk's total; 0 for folders, directories and shortcuts, whose sizes repeat their contents.
    std::vector<StatisticsBucket> byKind;
    // Disks by media type text ("Hard Disk", "CD/ DVD", ...), bytes = their totals; most bytes first.
    std::vector<StatisticsBucket> byMediaType;
    // Files (and archives) by extension, most bytes first, at most topExtensions rows and then
    // one "(other)" row for the rest. The key is the lower-case extension without the dot.
    std::vector<StatisticsBucket> byExtension;
    // Files (and archives) by year of modification, oldest first; "no date" for date 0 last.
    std::vector<StatisticsBucket> byYear;
    // The largest files (and archives) and the largest directories (disks included), biggest
    // first; ties keep walk order.
    std::vector<const CatalogItem*> largestFiles;
    std::vector<const CatalogItem*> largestDirectories;
    uint64_t files = 0;      // files and archives (and archive entries when counted)
    uint64_t fileBytes = 0;  // their sizes together
    bool cancelled = false;
};

// Counts everything visible below `top` (a folder, disk, directory or archive).
ContentStatistics GatherContentStatistics(const CatalogTree& tree, const CatalogItem& top,
                                          const StatisticsOptions& options = {});

// The calendar year (UTC) of a catalog date.
int YearOfDate(int64_t seconds);

}  // namespace shelfmark
