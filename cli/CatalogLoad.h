// Loading a catalog file for a command.
#pragma once

#include <string>

#include "catalog/CatalogFile.h"
#include "catalog/CatalogTree.h"

namespace shelfmark {
class CatalogDocument;
}

namespace shelfmark::cli {

// Reads the file into tree and names the root after the file; the old-format hint is not shown
// (info tells the version). On failure the reason has been printed.
bool LoadCatalog(const std::string& path, CatalogTree& tree, CatalogReadResult& result);

// Opens the file in `document` as every command does: without the old-format hint, protected
// items unlocked from the password file or the terminal. The lock is the caller's to take.
bool OpenCatalogForCommand(CatalogDocument& document, const std::string& path);

}  // namespace shelfmark::cli
