// The CSV export of Virtual Volumes View.
//
// One row per file (folders have no rows, so empty folders are not in the file), in UTF-8:
//   physical:  Volume,Path,Name,Size,Ext,Last modified,Description
//   virtual:   Name,Size,Ext,Last modified,PhysicalPath,Description
// The separator is ",", a tab or "|"; the header line is optional and translated, so it is
// recognised by its fields not being quoted. Text fields are quoted with '"' doubled inside;
// Size (bytes) and Last modified are not. Path is the folder below the volume ("" for the
// volume's root, "/dir/sub" or "\dir\sub"); PhysicalPath is the volume name followed by that
// path. Last modified is the writer's local date and time in its locale's short form; the
// forms read are YYYY-MM-DD, MM/DD/YY(YY) (YY 69-99: 19YY, else 20YY) and DD.MM.YYYY, each
// with HH:MM[:SS] and an optional AM/PM; any other form leaves the file without a date.
//
// Every volume becomes a hard disk; the description of a file is kept as its description.
#pragma once

#include <string_view>

#include "exchange/ForeignTree.h"

namespace shelfmark {

bool ReadVvvExport(std::string_view text, ForeignTreeBuilder& builder, ForeignReadError& error);

// True when the first line looks like a VVV export's header or row.
bool LooksLikeVvvExport(std::string_view text);

// The date forms named above; nothing for any other text.
std::optional<int64_t> ParseVvvDate(std::string_view text);

}  // namespace shelfmark
