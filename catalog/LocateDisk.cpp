#include "catalog/LocateDisk.h"

#include <string>

#include "catalog/CatalogDocument.h"
#include "platform/volumes/DriveMatch.h"

namespace shelfmark {

namespace {

// Takes the edit lock. The document reloads the file inside the lock when it changed on disk,
// which frees every item (the tree's generation moves on); the disk is then looked up again by
// its internal number and name.
CatalogItem* LockKeepingDisk(CatalogDocument& document, CatalogItem& disk, bool& reloaded) {
    const std::optional<uint32_t> number = disk.numberAttribute(attr::DiskNumber);
    const std::string name(disk.name());
    const uint64_t generation = document.treeGeneration();
    const bool locked = document.lockForEditing();
    reloaded = document.treeGeneration() != generation;
    if (!locked)
        return nullptr;
    if (!reloaded)
        return &disk;
    CatalogItem* again = number ? document.tree().findDiskByNumber(*number) : nullptr;
    return again != nullptr && again->name() == name ? again : nullptr;
}

}  // namespace

std::optional<Volume> FindMountedMedium(const CatalogItem& disk,
                                        const std::vector<Volume>& drives) {
    const std::optional<DriveType> expected = ExpectedDriveType(disk.flags());
    const std::optional<uint32_t> serial = disk.numberAttribute(attr::VolumeSerial);
    if (!disk.isDisk() || !expected || !serial)
        return std::nullopt;
    std::vector<DriveCandidate> candidates;
    candidates.reserve(drives.size());
    for (const Volume& volume : drives)
        candidates.push_back({volume.type, volume.serial});
    const std::optional<uint32_t> remembered = disk.numberAttribute(attr::DriveIndex);
    const std::optional<size_t> index =
        MatchDrive(candidates, *expected,
                   remembered ? std::optional<size_t>(*remembered) : std::nullopt, *serial);
    if (!index)
        return std::nullopt;
    return drives[*index];
}

std::optional<LocatedDisk> LocateDisk(CatalogDocument& document, CatalogItem& disk,
                                      const std::vector<Volume>& drives, InsertDiskDialog* dialog,
                                      const InsertDiskPrompt::SerialReader& readSerial) {
    if (std::optional<Volume> mounted = FindMountedMedium(disk, drives))
        return LocatedDisk{std::move(*mounted), false};
    const std::optional<DriveType> expected = ExpectedDriveType(disk.flags());
    if (!disk.isDisk() || !expected || dialog == nullptr)
        return std::nullopt;

    InsertDiskRequest request;
    request.diskName = std::string(disk.name());
    request.wantedSerial = disk.numberAttribute(attr::VolumeSerial);
    request.wantedType = *expected;
    if (const std::optional<uint32_t> remembered = disk.numberAttribute(attr::DriveIndex))
        request.preferredDrive = *remembered;
    InsertDiskPrompt prompt(std::move(request), drives, document.prompter(), readSerial);
    if (!dialog->run(prompt) || prompt.state() != InsertDiskPrompt::State::Ok ||
        !prompt.chosenVolume())
        return std::nullopt;

    LocatedDisk located{*prompt.chosenVolume(), false};
    if (disk.numberAttribute(attr::VolumeSerial) != prompt.chosenSerial()) {
        if (CatalogItem* target = LockKeepingDisk(document, disk, located.catalogReloaded)) {
            document.tree().setNumberAttribute(target, attr::VolumeSerial, prompt.chosenSerial());
            document.notifyChanged(*target);
            document.setModified();
        }
    }
    return located;
}

}  // namespace shelfmark
