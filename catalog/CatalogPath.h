// Catalog paths as people type and read them: the plain names from a starting item (by default
// the catalog root) down to an item, separated by "\" or "/", for example
// "Music/Holiday CD/Docs/a.txt". Because a Linux name may itself hold a backslash, "\\" inside a
// path stands for one backslash that belongs to a name ("Scans\\2024" is the single name
// "Scans\2024"). A trailing ":" on a name is dropped, so the display form "Holiday CD:\Docs"
// works, unless an item's name really ends in ":". Empty names (a leading, trailing or doubled
// "/") are skipped; a path without names is the starting item itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogTree.h"

namespace shelfmark {

// The names a catalog path holds, escapes undone.
std::vector<std::string> SplitCatalogPath(std::string_view path);

// One name as it is written in a catalog path: every "\" doubled.
std::string EscapeCatalogPathName(std::string_view name);

// The catalog path of an item relative to the catalog's top: its escaped plain names (not the
// root's) joined by "\", or by "/" before a name that begins with a backslash (so that the
// separator is not read as half of an escape); SplitCatalogPath gives the names back.
std::string CatalogPathOf(const CatalogItem& item);

// The item the path names below start (the root when null), comparing names case-insensitively
// and honouring locks (nothing below a locked item is found); null when a name is missing.
CatalogItem* ResolveCatalogPath(const CatalogTree& tree, std::string_view path,
                                const CatalogItem* start = nullptr);

}  // namespace shelfmark
