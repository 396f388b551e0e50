// The catalog database file (".tkd"): a fixed header, the version byte 0x30, the root's
// attribute list, an item count, then one record per item in depth-first pre-order with the
// LastSibling / NoChildren structure bits in each flag word. Files of the old formats 2.1 and
// 2.2 (version bytes 0x21-0x2F) are converted while reading; files are always written as 3.0.
//
// All integers are little-endian. Texts are written as UTF-8 bytes in the length-prefixed form;
// on reading, texts that are not valid UTF-8 (older files written in the Windows ANSI code page)
// are taken as Windows-1252, and the wide UTF-16 form is converted to UTF-8.
//
// The reader trusts nothing in the file: every count and length is checked against the bytes
// that are left, so a damaged file can never make it allocate more than the file could hold.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogTree.h"

namespace shelfmark {

class Prompter;

inline constexpr std::string_view kCatalogHeader{"Tarnwick Database\r\n\x1A\0", 21};
inline constexpr std::string_view kOldCatalogHeader{"Old Disk Index\r\n\x1A\0", 18};
inline constexpr uint8_t kCatalogVersion = 0x30;
// Deepest nesting of records below the root the file may hold.
inline constexpr int kMaxFileLevels = 40;
// `ShowConvertHint` at or above this value: the old-format hint is not shown.
inline constexpr int kConvertHintSuppressed = 48;

enum class CatalogReadStatus {
    Ok,
    NotCatalog,  // wrong header
    Damaged,     // truncated, bad key, bad nesting
    TooNew,      // version byte above 0x30
    TooOld,      // version byte below 0x21
    CannotOpen,  // the file could not be read at all
    Discarded,   // import: the import hook threw the file's items away
};

struct CatalogReadOptions {
    // Import variant: the folder of the open catalog that receives the file's items. The
    // records of a 3.0 file are read into a temporary folder beside the root named importName;
    // the file's root attributes go to that folder and are thrown away with it.
    CatalogItem* importTarget = nullptr;
    std::string importName;

    // The `ShowConvertHint` setting; when the user ticks the hint's box, result.showConvertHint
    // becomes kConvertHintSuppressed.
    int showConvertHint = 16;

    // Progress while records are read: (records read, records in the file), at most 1000 calls.
    std::function<void(uint64_t done, uint64_t total)> progress;

    // After the records of a 3.0 file: unlocks protected items or leaves them locked. `scope`
    // is the root, or the temporary import folder.
    std::function<void(CatalogTree& tree, CatalogItem* scope)> unlockProtected;

    // Import only, after shortcuts were resolved and disks renumbered: moves the items of the
    // temporary folder into place. Answers false to throw them away (the temporary folder is
    // deleted either way). Without it, every child goes into importTarget with position Sorted
    // and folder sizes kept.
    std::function<bool(CatalogTree& tree, CatalogItem* importFolder)> placeImported;
};

struct CatalogReadResult {
    CatalogReadStatus status = CatalogReadStatus::CannotOpen;
    uint8_t version = 0;                 // the file's version byte
    uint64_t records = 0;                // item records read
    int showConvertHint = 16;            // the setting after the hint (unchanged unless ticked)
    std::vector<CatalogItem*> imported;  // import: the items placed (top-level items of the file)
    std::string systemError;             // CannotOpen: the system's reason
    bool ok() const { return status == CatalogReadStatus::Ok; }
};

// ReadCatalog: fills the tree from the bytes of a catalog file. Opening (no importTarget) first
// makes the tree a new catalog and reads into its root; on any rejection the tree is left as a
// new, empty catalog. Importing leaves the catalog as it was when the file is rejected.
// Rejections are shown through the prompter (`fileName` names the file in the message).
CatalogReadResult ReadCatalog(std::string_view bytes, CatalogTree& tree, Prompter& prompter,
                              const CatalogReadOptions& options = {},
                              std::string_view fileName = {});
// The same from a file on disk. A file that cannot be read gives CannotOpen without a message
// (opening reports it, importing skips the file silently).
CatalogReadResult ReadCatalogFile(const std::string& path, CatalogTree& tree, Prompter& prompter,
                                  const CatalogReadOptions& options = {});

// Receives the file's bytes in order; answers false to stop writing.
using ByteSink = std::function<bool(std::string_view bytes)>;

// WriteCatalog: the whole catalog (root attributes and every item below the root) as a 3.0
// file, in one pass over the tree. Never changes the tree. False when the sink failed.
bool WriteCatalog(const CatalogTree& tree, const ByteSink& sink);
// ExportSelection's content: an empty root attribute list and the given items with their
// subtrees as the new root's children (LastSibling on the last selected item only).
bool WriteSelection(std::span<const CatalogItem* const> items, const ByteSink& sink);
// The same into memory.
std::string CatalogBytes(const CatalogTree& tree);
std::string SelectionBytes(std::span<const CatalogItem* const> items);

// Writes the catalog (or the selection) to `path` safely: a temporary file in the same
// directory, flushed and synced, renamed over the target in one step, the directory synced. On
// failure the target is untouched and `error` says why.
bool SaveCatalogTo(const std::string& path, const CatalogTree& tree, std::string* error = nullptr);
bool SaveSelectionTo(const std::string& path, std::span<const CatalogItem* const> items,
                     std::string* error = nullptr);

}  // namespace shelfmark
