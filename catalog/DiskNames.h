// The one form in which names of files on a disk enter the catalog, and the way back from a stored
// name to the file on the disk.
//
// Linux names are bytes. A name that is valid UTF-8 is stored as it is. Any other name is stored
// as its Windows-1252 decoding (each byte one character; the five bytes Windows-1252 leaves
// unassigned become the C1 controls of the same value). This is the form the catalog file reader
// gives such bytes, so a catalog saved and opened again holds the same name the next update walks
// into, and catalogs written before this rule match as well. The decoding is one to one, so the
// real bytes can always be rebuilt: `DiskPathOf` tries the stored name first and its Windows-1252
// bytes second, component by component, and takes the one that exists.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "catalog/CatalogItem.h"

namespace shelfmark {

// The catalog's name for a name on the disk.
std::string CatalogNameOf(std::string_view diskName);

// The bytes a stored name had on the disk when it was decoded from Windows-1252: nothing when
// the name is valid UTF-8 as read from the disk could not have given it (then the name is used
// as it is).
std::optional<std::string> DecodedNameBytes(std::string_view storedName);

// The real path below `root` of the entry whose stored names, from the disk down, are
// `components`. Components that exist in neither form are appended as stored.
std::string DiskPathOf(const std::string& root, std::span<const std::string> components);
// The same for `item` below `disk`, taking the names of the items in between.
std::string DiskPathOf(const std::string& root, const CatalogItem* disk, const CatalogItem* item);

}  // namespace shelfmark
