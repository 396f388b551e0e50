// What every reader of another program's catalog shares: building disks, directories and files
// in a staging tree, and the error a reader reports when its input is not what it should be.
//
// A reader fills a staging tree of its own (never the open catalog), so a file that fails half
// way adds nothing: the importer throws the staging tree away. Names arrive as the other
// program wrote them, bytes that may not be UTF-8; they enter the catalog in the same form as
// names read from a disk (DiskNames.h), a NUL in them (JSON can escape one) as U+FFFD. Dates outside the catalog's 32-bit range become 0
// ("no date"), as for files read from a disk.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/CatalogTree.h"

namespace shelfmark {

// Why a file could not be read: where in it (a line and column, a line, or a byte offset) and
// what was wrong there.
struct ForeignReadError {
    std::string where;    // "line 3, column 7", "line 12", "offset 4096"; may be empty
    std::string message;  // plain words, no trailing period
    // "WHERE: MESSAGE" (or the message alone).
    std::string describe() const;
};

// A catalog date from seconds since 1970: 0 when they do not fit in 32 bits.
int32_t ForeignDate(int64_t seconds);
// Seconds since 1970 of a local date and time (the time zone of the process, as the other
// programs wrote them); nothing when the fields are out of range.
std::optional<int64_t> LocalTimeToSeconds(int year, int month, int day, int hour, int minute,
                                          int second);

class ForeignTreeBuilder {
  public:
    // Disks are added under `folder`, an item of `tree` (the staging tree's folder for one file).
    ForeignTreeBuilder(CatalogTree& tree, CatalogItem* folder);

    CatalogTree& tree() { return tree_; }
    // A new disk of the given type under the folder; `name` may be any bytes.
    CatalogItem* addDisk(std::string_view name, MediaType type, int64_t date = 0);
    CatalogItem* addDirectory(CatalogItem* parent, std::string_view name, int64_t date);
    CatalogItem* addFile(CatalogItem* parent, std::string_view name, uint64_t size, int64_t date);
    // Turns a file into an archive whose entries follow as its children.
    void markArchive(CatalogItem* file);

    // For formats that list files by path: the directory at `path` (components separated by
    // `separator`, empty components ignored) below `under`, created as needed. Looking up a
    // directory again costs one hash lookup per component.
    CatalogItem* directoryAt(CatalogItem* under, std::string_view path, char separator);

    // Ends the build: every directory, archive-free, gets the total size of the files below it,
    // every disk likewise, and each disk's items are put in tree order.
    void finish();

    const std::vector<CatalogItem*>& disks() const { return disks_; }

  private:
    CatalogItem* add(CatalogItem* parent, std::string_view name, uint16_t flags, int64_t date);

    CatalogTree& tree_;
    CatalogItem* folder_;
    std::vector<CatalogItem*> disks_;
    std::unordered_map<std::string, CatalogItem*> directories_;  // parent address + folded name
};

}  // namespace shelfmark
