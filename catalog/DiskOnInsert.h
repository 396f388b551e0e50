// What to do when a volume is mounted while the program runs: a medium the catalog does not
// know yet is offered for reading (the setting bAddDiskOnInsert).
#pragma once

#include <cstdint>
#include <optional>

#include "catalog/CatalogTree.h"
#include "platform/volumes/Volumes.h"

namespace shelfmark {

// The first disk with this volume serial number, depth-first from the root, entering folders
// only and not those that are locked; null when none.
const CatalogItem* FindDiskBySerial(const CatalogTree& tree, uint32_t serial);

struct InsertDecision {
    enum class Action {
        Nothing,  // switched off, a read is running, not a medium, or no serial to know it by
        Known,    // the catalog holds the disk already (`disk`)
        Read,     // start a read of the volume with no preset target folder
    };
    Action action = Action::Nothing;
    const CatalogItem* disk = nullptr;
};

// The decision for one arrived volume. Media are what the user inserts: CD-ROM and removable
// volumes; fixed and network volumes being mounted are not offered. A serial of 0 identifies
// nothing and counts as unreadable.
InsertDecision DecideOnInsert(const CatalogTree& tree, const Volume& arrived, bool addDiskOnInsert,
                              bool readRunning);

}  // namespace shelfmark
