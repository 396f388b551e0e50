// Finding the medium of a catalogued disk among the mounted volumes. The candidates are the
// volumes of the drive type the disk's media type expects; the volume serial number decides,
// and the drive the disk was read from is only tried first.
#pragma once

#include <optional>
#include <vector>

#include "catalog/CatalogItem.h"
#include "catalog/InsertDiskPrompt.h"
#include "platform/volumes/Volumes.h"

namespace shelfmark {

class CatalogDocument;

// The mounted volume that holds `disk` now, without asking anyone: nothing for an item that is
// not a disk, a disk without a serial number, or a medium that is not mounted. `drives` are
// the drives in drive index order (ListDrives).
std::optional<Volume> FindMountedMedium(const CatalogItem& disk, const std::vector<Volume>& drives);

struct LocatedDisk {
    Volume volume;
    // The catalog was reloaded while the lock was taken to store a new serial (it had changed on
    // disk): every item reference the caller held is gone.
    bool catalogReloaded = false;
};

// LocateDisk: FindMountedMedium, else the insert-disk prompt through `dialog` (none: nothing).
// Cancel, or OK with no drive listed, gives nothing. OK with a medium whose serial differs from
// the disk's (its update option ticked) stores the new serial on the disk after taking the edit
// lock and marks the catalog modified; the medium is returned even when the lock is refused.
// `readSerial` is the prompt's way to read a listed volume's medium again.
std::optional<LocatedDisk> LocateDisk(
    CatalogDocument& document, CatalogItem& disk, const std::vector<Volume>& drives,
    InsertDiskDialog* dialog,
    const InsertDiskPrompt::SerialReader& readSerial = InsertDiskPrompt::CurrentSerial);

}  // namespace shelfmark
