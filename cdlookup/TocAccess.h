// Making sure an audio-CD disk has its table of contents before it is looked up or submitted:
// the record stored on the disk, else the disc in the CD drive that holds the disk's medium
// (same volume serial number), else, after the user agreed to insert it, the drive the
// insert-disk prompt settles on. The record read there is stored on the disk.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "catalog/InsertDiskPrompt.h"
#include "reading/audio/AudioDisc.h"

namespace shelfmark {

class CatalogDocument;
class CatalogItem;

// How the CD drives are reached; tests replace every member.
struct TocServices {
    // The CD drives to look at, in drive order: every CD-ROM device node and the simulated
    // drive named by SHELFMARK_CDROM_SIM.
    std::function<std::vector<CdDrive>()> cdDrives = PresentCdDrives;
    // The serial number of the medium in a drive: a simulated drive's own, or that of the volume
    // mounted from the device; nothing when none is known.
    std::function<std::optional<uint32_t>(const CdDrive&)> mediumSerial = MediumSerial;
    // The mounted volumes the insert-disk prompt lists (ListDrives).
    std::function<std::vector<Volume>()> volumes;
    // The prompt's window; none (the command-line tool) gives up at the prompt.
    InsertDiskDialog* insertDialog = nullptr;
    InsertDiskPrompt::SerialReader readSerial = InsertDiskPrompt::CurrentSerial;
    // The CD drive behind a volume the prompt chose (default: its device node).
    std::function<std::optional<CdDrive>(const Volume&)> driveOfVolume = DriveOfVolume;

    static std::vector<CdDrive> PresentCdDrives();
    static std::optional<uint32_t> MediumSerial(const CdDrive& drive);
    static std::optional<CdDrive> DriveOfVolume(const Volume& volume);
};

// True when the disk has a non-empty table of contents afterwards. Asks "Table Of Contents
// information for '%s' not available..." (OK, Cancel) when no drive holds the disk; reading the
// drive may ask the busy drive's Retry/Cancel question. The record is stored under the edit lock
// (the catalog is marked modified; no undo step: it only completes what a read would have
// stored). False also when the lock is refused.
bool EnsureToc(CatalogDocument& document, CatalogItem& disk, const TocServices& services);

}  // namespace shelfmark
