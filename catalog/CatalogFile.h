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
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogTree.h"
#include "foundation/AtomicFile.h"
#include "foundation/FileStamp.h"

namespace shelfmark {

class Prompter;

inline constexpr std::string_view kCatalogHeader{"Tarnwick Database\r\n\x1A\0", 21};
inline constexpr std::string_view kOldCatalogHeader{"Old Disk Index\r\n\x1A\0", 18};
inline constexpr uint8_t kCatalogVersion = 0x30;
// The one depth rule of a catalog: an item lies at most kMaxFileLevels levels below the root
// (the root's children are at depth 1), and an item at that depth holds no children. The reader
// rejects deeper files, so every operation that adds items keeps to it and the writer refuses
// to write past it.
inline constexpr int kMaxFileLevels = 40;
// The depth of an item below the top of its tree: 0 for the root (or another top-level item).
int DepthBelowRoot(const CatalogItem& item);
// Whether `item` may hold children: it lies above the deepest level.
inline bool MayHoldChildren(const CatalogItem& item) {
    return DepthBelowRoot(item) < kMaxFileLevels;
}
// Removes every item below `top` that lies deeper than the rule allows, with its subtree;
// returns how many were removed (not counting their descendants). `rootDepth`: how deep the
// tree's root lies in the catalog it will join (0: it is that catalog).
size_t RemoveItemsTooDeep(CatalogTree& tree, CatalogItem* top, int rootDepth = 0);
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
    std::optional<FileStamp> stamp;      // ReadCatalogFile: the file exactly as it was read
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
// file, in one pass over the tree. Never changes the tree. False when the sink failed, or when
// an item lies deeper than kMaxFileLevels (the file would not load again); `error` says which.
bool WriteCatalog(const CatalogTree& tree, const ByteSink& sink, std::string* error = nullptr);
// ExportSelection's content: an empty root attribute list and the given items with their
// subtrees as the new root's children (LastSibling on the last selected item only). Depths
// count from the new root. Protections above the chosen items stay behind (their names and
// what lies below them are written in plain); `keys`, the items' tree, lets protections inside
// encrypt the names below them afresh.
bool WriteSelection(std::span<const CatalogItem* const> items, const ByteSink& sink,
                    std::string* error = nullptr, const CatalogTree* keys = nullptr);
// The same into memory.
std::string CatalogBytes(const CatalogTree& tree);
std::string SelectionBytes(std::span<const CatalogItem* const> items);

// Writes the catalog (or the selection) to `path` safely: a temporary file in the same
// directory, flushed and synced, renamed over the target in one step, the directory synced. On
// failure the target is untouched and `error` says why, naming the file. On success `written`
// receives the stamp of the new file. With Replace::Never an existing file is kept and the save
// fails.
using Replace = AtomicFileWriter::Replace;
bool SaveCatalogTo(const std::string& path, const CatalogTree& tree, std::string* error = nullptr,
                   std::optional<FileStamp>* written = nullptr,
                   Replace replace = Replace::Allowed);
bool SaveSelectionTo(const std::string& path, std::span<const CatalogItem* const> items,
                     std::string* error = nullptr, std::optional<FileStamp>* written = nullptr,
                     const CatalogTree* keys = nullptr);

}  // namespace shelfmark
