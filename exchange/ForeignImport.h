// Importing catalogs written by other programs into a folder of the open catalog, by the same
// rules as importing a catalog file: each file is read into a staging tree of its own, so a file
// that fails adds nothing (its error names the file and the line or offset); the disks of every
// file that was read go into the target folder in sorted position with fresh internal numbers,
// folder sizes following; the whole import is one undo step. Nothing is matched or merged.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/EditSupport.h"

namespace shelfmark {

enum class ForeignFormat { Auto, Ncdu, Catcli, Gocatcli, Hcf, Vvv, Katalog };

// "auto", "ncdu", ...; nothing for an unknown name.
std::optional<ForeignFormat> ForeignFormatNamed(std::string_view name);
std::string_view ForeignFormatName(ForeignFormat format);

struct ForeignImportReport {
    // The disks placed in the target folder, all files together.
    std::vector<CatalogItem*> imported;
    // Files that added nothing, each with "PATH: WHERE: WHAT" (or the system's reason).
    std::vector<std::string> failed;
    // Notes on files that were read, such as entries left out ("PATH: ...").
    std::vector<std::string> notes;
};

// Reads one file of the given format (Auto: detected) into disks under `folder` of `staging`.
// False with the reason (naming neither the file nor the format) when it could not be read.
bool ReadForeignFile(const std::string& path, ForeignFormat format, CatalogTree& staging,
                     CatalogItem* folder, std::string& reason, std::vector<std::string>& notes);

// Imports the files, in the order given, into `target` (a folder that is not locked; a shortcut
// to one is followed). Follows the editing discipline: the lock first (Refused: nothing
// changed), one insert step labelled "Import other catalogs" with every disk imported. Unchanged
// when nothing was imported.
EditStatus ImportForeignCatalogs(CatalogDocument& document, std::span<const std::string> files,
                                 ForeignFormat format, CatalogItem* target,
                                 ForeignImportReport* report = nullptr);

}  // namespace shelfmark
