// What the print/export dialog remembers in ExportList.tkp, per list and target: the section
// "LISTNAME:csv" (and txt, xml, prn) holds one key per column title, plus
//   csv: FieldSeparator          txt: "check,width" per column
//   xml: XSL (the last sheet)    prn: "check,percent" per column, bPrintIcons, FontHeight,
//                                     FontFace, FontColor
// and the section "XSLs" the remembered style sheets (Count, XSL0 the most recent, XSL1, ...).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lists/ListExport.h"

namespace shelfmark {

class ProfileFile;

inline constexpr std::string_view kExportListFile = "ExportList.tkp";
inline constexpr std::string_view kStyleSheetSection = "XSLs";

// The printer's font and icon choices.
struct PrintSettings {
    bool printIcons = true;
    int fontHeight = 10;      // points
    std::string fontFace;     // at most 31 characters are used
    uint32_t fontColor = 0;   // RGB, red in the low byte
};

struct ExportSettings {
    std::vector<ExportColumn> columns;  // one per source column
    std::string fieldSeparator = ",";
    std::string styleSheet;
    std::vector<std::string> rememberedStyleSheets;  // most recent first
    PrintSettings print;
};

// "LISTNAME:suffix".
std::string ExportSection(std::string_view listName, ExportTarget target);

// Percentages of the printable width for the ticked columns, from their pixel widths in the
// list window: each gets width * 100 / sum (rounded), then the largest loses what the total has
// above 100, or the smallest gains what it lacks (the first such column from the left).
// Unticked columns keep their percentage.
void AutoSizePercents(std::span<const int> pixelWidths, std::vector<ExportColumn>& columns);

// The settings of `target` for the list's columns (titles and pixel widths from `columns`).
// `defaults` gives the printer font face used when none is stored.
ExportSettings LoadExportSettings(const ProfileFile& file, std::string_view listName, ExportTarget target,
                                  std::span<const ListColumn> columns, const PrintSettings& defaults = {});
// The remembered style sheets (non-empty entries of "XSLs").
std::vector<std::string> LoadRememberedStyleSheets(const ProfileFile& file);

// Stores the settings of `target` (nothing for an empty list name). XML also rebuilds the
// remembered style sheets with the sheet used now in front.
void SaveExportSettings(ProfileFile& file, std::string_view listName, ExportTarget target,
                        std::span<const ListColumn> columns, const ExportSettings& settings);

}  // namespace shelfmark
