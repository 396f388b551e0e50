// ncdu's JSON export, both ways.
//
// The format (ncdu -o FILE): [1, MINOR, {metadata}, ROOT] where a directory is an array whose
// first element is its own information object, followed by its children: files as objects,
// directories as nested arrays. An information object holds "name" (the root's is the scanned
// path, the others plain names, bytes copied raw), "asize" (apparent bytes) and "dsize" (bytes
// on disk), each left out when 0, and optionally "mtime" (seconds; ncdu wraps dates before 1970
// to 2^64 - n), "ino", "nlink", "hlnkc", "notreg", "read_error", "excluded" and the owner and
// mode. A directory's own sizes are only its own; readers add up the children.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "exchange/ForeignTree.h"
#include "exchange/JsonDocument.h"

namespace shelfmark {

// What an ncdu export turned into.
struct NcduReadSummary {
    uint64_t files = 0;
    uint64_t directories = 0;
    // Entries ncdu marked as excluded and did not look into. An excluded directory (one-element
    // array) is kept as an empty directory; an excluded plain entry, which may have been a
    // file or a directory, is left out and counted here.
    uint64_t leftOut = 0;
};

// Reads an ncdu export into one new disk (a hard disk named after the last part of the scanned
// path, dated with the export's time). False with `error` when the text is not an ncdu export;
// what was added before the fault is the caller's to throw away.
bool ReadNcduExport(std::string_view text, ForeignTreeBuilder& builder, ForeignReadError& error,
                    NcduReadSummary* summary = nullptr);
// The same for a JSON file parsed already.
bool ReadNcduExport(const JsonDocument& document, ForeignTreeBuilder& builder,
                    ForeignReadError& error, NcduReadSummary* summary = nullptr);
// True when a parsed JSON file has the shape of an ncdu export.
bool IsNcduExport(const json::Value& top);

// Writes `top` (a folder, disk, directory or archive) and everything visible below it as an
// ncdu export: containers become directories, files keep their sizes and dates, locked
// contents and shortcuts are left out. The catalog knows apparent sizes only; "dsize" is given
// as the size rounded up to whole 4 KiB blocks so that ncdu's default view shows figures.
// Names go out in UTF-8, as the catalog holds them. `timestamp`: the export's time.
std::string WriteNcduExport(const CatalogItem& top, int64_t timestamp);

}  // namespace shelfmark
