// The cddb actions that work on a catalog or on the CDDB settings (lookup, submit with --xmcd,
// settings); the cddb command hands them over, the others talk to a server directly.
#pragma once

#include <string>
#include <vector>

class CDiscoraDisc;

namespace shelfmark::cli {

// Whether the cddb arguments name one of these actions.
bool IsCatalogCddbAction(const std::vector<std::string>& args);
int RunCatalogCddbAction(const std::vector<std::string>& args);

// An xmcd record file as a "cddb read" answer filed under `category` (CddbCommands.cpp).
bool LoadRecord(const std::string& path, const std::string& category, CDiscoraDisc& disc);

}  // namespace shelfmark::cli
