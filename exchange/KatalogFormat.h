// Katalog's ".idx" catalog files.
//
// Plain UTF-8 text with "\n" line ends. A header of up to eleven lines "<key>value", the first
// being <catalogSourcePath> (the folder that was catalogued); then one line per file:
//   absolute path<TAB>size in bytes<TAB>yyyy/MM/dd hh:mm:ss   (local time)
// Older files may give the path alone (no size, no date). Directories have no lines of their
// own; they follow from the paths. The catalog's name is the file's name without ".idx".
//
// The catalog becomes one hard disk named after the file; paths below the source path are taken
// relative to it, other paths keep every folder of theirs.
#pragma once

#include <string_view>

#include "exchange/ForeignTree.h"

namespace shelfmark {

// `fileName`: the catalog file's name, which names the disk.
bool ReadKatalogIndex(std::string_view text, std::string_view fileName,
                      ForeignTreeBuilder& builder, ForeignReadError& error);

// True when the text starts with Katalog's header.
bool LooksLikeKatalogIndex(std::string_view text);

}  // namespace shelfmark
