// Building small catalogs with disks for the tests of finding media.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalog/CatalogTree.h"
#include "platform/volumes/Volumes.h"

namespace shelfmark::testing {

// A disk under `folder` with the given facts (absent serial or drive index: attribute not set).
inline CatalogItem* AddDisk(CatalogTree& tree, CatalogItem* folder, std::string_view name,
                            MediaType media, std::optional<uint32_t> serial,
                            std::optional<uint32_t> driveIndex = std::nullopt,
                            std::string_view baseDirectory = {}, std::string_view label = {}) {
    CatalogItem* disk = tree.createItem(name, folder, Sorted, DiskFlags(media));
    tree.assignDiskNumber(disk);
    if (serial)
        tree.setNumberAttribute(disk, attr::VolumeSerial, *serial);
    if (driveIndex)
        tree.setNumberAttribute(disk, attr::DriveIndex, *driveIndex);
    if (!baseDirectory.empty())
        tree.setTextAttribute(disk, attr::BaseDirectory, baseDirectory);
    if (!label.empty())
        tree.setTextAttribute(disk, attr::Volume, label);
    return disk;
}

// Adds the "\"-separated path below `start`: directories on the way, the last name with
// `flags` (a plain file by default). Existing items on the way are reused.
inline CatalogItem* AddPath(CatalogTree& tree, CatalogItem* start, std::string_view path,
                            uint16_t flags = 0) {
    CatalogItem* at = start;
    while (!path.empty()) {
        const size_t separator = path.find('\\');
        const std::string_view name = path.substr(0, separator);
        const bool last = separator == std::string_view::npos;
        CatalogItem* child = at->firstChildIgnoringLock();
        while (child != nullptr && (child->name() != name || last))
            child = child->next();
        at = child != nullptr
                 ? child
                 : tree.createItem(name, at, Sorted, last ? flags : itemflag::Directory);
        path = last ? std::string_view() : path.substr(separator + 1);
    }
    return at;
}

inline Volume MakeVolume(std::string mountPoint, DriveType type, uint32_t serial,
                         unsigned minor = 0) {
    Volume volume;
    volume.mountPoint = std::move(mountPoint);
    volume.type = type;
    volume.serial = serial;
    volume.major = 8;
    volume.minor = minor;
    return volume;
}

}  // namespace shelfmark::testing
