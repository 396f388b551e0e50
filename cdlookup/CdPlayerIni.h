// The CD player's database file cdplayer.ini (in the configuration directory, which stands for
// the Windows directory) as the CD lookup uses it: the key of a catalogued disc computed from its
// table of contents, the copy of a looked-up disc into the file, and the import of the discs the
// file lists as audio-CD disks.
//
// Format: one section per disc, named by the key in upper-case hexadecimal ("%04X"), holding
// "artist", "title", "numtracks" (decimal), the track titles under "0", "1", ... and "order"
// (the play order, written and never read). Section names match without regard to case.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/EditSupport.h"
#include "reading/audio/DiscInformation.h"

class CDiscoraDisc;

namespace shelfmark {

// The table of contents stored on an audio disk: the n track start frames followed by the
// lead-out frame (the record without its leading byte count). Nothing when the disk has none,
// or the block is empty, not whole 32-bit values, or holds more than 99 tracks.
std::optional<std::vector<uint32_t>> TocOffsets(const CatalogItem& disk);

// The disc's key from its table of contents: for each track start e the packed MSF value
// (e / 4500) << 16 | ((e / 75) mod 60) << 8 | e mod 75; a disc of at most two tracks adds the
// lead-out minus the first start, and a two-track disc also the first start's frames (mod 75).
uint32_t CdPlayerKeyOfToc(std::span<const uint32_t> offsets);

// Writes the disc into section "%04X" of the key: artist, title, numtracks, every track's title
// under its index from 0 and "order" 0 ... n-1. A file that cannot be written is left alone.
void SaveDiscToCdPlayerIni(uint32_t key, const CDiscoraDisc& disc,
                           std::string_view iniPath = kCdPlayerIniName);

// One disc the file lists, in file order.
struct CdPlayerEntry {
    std::string section;  // the section name as the file spells it
    std::string name;     // the disc name by the disc name format
    uint32_t serial = 0;  // the section name as a hexadecimal number; 0 when it is not one
};

// The discs of the file, named with `discFormat` (empty: artist " - " title). A missing or
// unreadable file lists nothing.
std::vector<CdPlayerEntry> ListCdPlayerDiscs(std::string_view discFormat,
                                             std::string_view iniPath = kCdPlayerIniName);

// The serial a section name stands for: the name read as a hexadecimal number when it is
// nothing but (at most eight significant) hexadecimal digits, else 0.
uint32_t SerialOfSection(std::string_view section);

struct CdPlayerImport {
    CatalogItem* target = nullptr;         // a folder (the root included)
    std::optional<std::string> newFolder;  // a new folder inside target receives the disks
    std::vector<CdPlayerEntry> discs;      // the checked rows, in list order
    std::string trackFormat;               // empty: the track title
    std::string iniPath = std::string(kCdPlayerIniName);
};

// Import from CD Player: one audio-CD disk per disc (named by its row, serial from the row, the
// root's next Disk ID and internal number, 44 bytes per track) with a "TrackNN.cda" file per
// title, all dated with one timestamp, as one insert step. The tracks come from the section
// named by the row's serial ("%04X"). An empty new folder name is refused. `created` receives
// the new disks.
EditStatus ImportFromCdPlayer(CatalogDocument& document, const CdPlayerImport& request,
                              std::vector<CatalogItem*>* created = nullptr);

}  // namespace shelfmark
