// Loading a catalog file for commands that only read it.
#pragma once

#include <string>

#include "catalog/CatalogFile.h"
#include "catalog/CatalogTree.h"

namespace shelfmark::cli {

// Reads the file into tree and names the root after the file; the old-format hint is not shown
// (info tells the version). On failure the reason has been printed.
bool LoadCatalog(const std::string& path, CatalogTree& tree, CatalogReadResult& result);

}  // namespace shelfmark::cli
