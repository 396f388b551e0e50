#include "catalog/DiskOnInsert.h"

#include "catalog/TreeWalk.h"

namespace shelfmark {

const CatalogItem* FindDiskBySerial(const CatalogTree& tree, uint32_t serial) {
    if (tree.root() == nullptr || tree.root()->isLocked())
        return nullptr;
    return FindDiskInFolders(tree.root(), [serial](const CatalogItem& disk) {
        return disk.numberAttribute(attr::VolumeSerial) == serial;
    });
}

InsertDecision DecideOnInsert(const CatalogTree& tree, const Volume& arrived, bool addDiskOnInsert,
                              bool readRunning) {
    const bool medium = arrived.type == DriveType::CdRom || arrived.type == DriveType::Removable;
    if (!addDiskOnInsert || readRunning || !medium || arrived.serial == 0)
        return {};
    if (const CatalogItem* disk = FindDiskBySerial(tree, arrived.serial))
        return {InsertDecision::Action::Known, disk};
    return {InsertDecision::Action::Read, nullptr};
}

}  // namespace shelfmark
