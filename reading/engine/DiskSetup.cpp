// The disk item's set-up before a read, and the drive facts it is made from.
#include <algorithm>
#include <ctime>

#include "catalog/CatalogFile.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"
#include "reading/details/MediaFacts.h"
#include "reading/engine/ReadJob.h"

namespace shelfmark {

namespace {

// Catalog paths separate their components with a backslash.
std::string CatalogPathForm(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace

std::optional<DriveFacts> CollectDriveFacts(const std::string& root) {
    const std::optional<ReadRoot> where = ResolveReadRoot(root);
    if (!where)
        return std::nullopt;
    DriveFacts facts;
    facts.root = where->path;
    facts.type = where->volume.type;
    facts.driveIndex = where->driveIndex;
    facts.baseDirectory = CatalogPathForm(where->baseDirectory);
    facts.label = where->volume.label;
    facts.serial = where->volume.serial;
    facts.isVideoCd = facts.type == DriveType::CdRom && IsVideoCd(facts.root);
    return facts;
}

MediaType ChooseMediaType(const DriveFacts& drive, const ReadOptions& options) {
    switch (drive.type) {
        case DriveType::Removable:
            return MediaType::Removable;
        case DriveType::Remote:
            return MediaType::Network;
        case DriveType::Fixed:
            return MediaType::HardDisk;
        case DriveType::CdRom:
            break;
    }
    if (drive.hasAudio() && (drive.hasData ? options.bCDExtraAudio : true))
        return MediaType::AudioCd;
    return drive.isVideoCd ? MediaType::VideoCd : MediaType::CdRom;
}

bool PrepareDisk(ReadJob& job) {
    CatalogTree& tree = *job.catalog;
    DiskFields& fields = job.fields;
    const MediaType media = fields.mediaOverride.value_or(ChooseMediaType(job.drive, job.options));
    uint16_t flags = DiskFlags(media);
    if (fields.rewritable)
        flags |= itemflag::ReWritable;

    CatalogItem* disk = nullptr;
    if (job.updating()) {
        disk = fields.diskToUpdate;
        if (!disk->isDisk())
            return false;
        // The folders above lose the old size now and get the new one when the read ends.
        job.previousDiskSize = disk->size();
        tree.addToFolderSizes(disk->parent(), -static_cast<int64_t>(job.previousDiskSize));
        disk->setFlags(flags);
        if (!fields.name.empty() && disk->name() != fields.name) {
            tree.setName(disk, fields.name);
            if (disk->parent() != nullptr)
                tree.sortChildren(disk->parent());
        }
    } else {
        if (fields.folder == nullptr || !fields.folder->isFolder())
            return false;
        // The disk must be able to hold what is read: it may not lie on the deepest level.
        if (job.rootDepth + DepthBelowRoot(*fields.folder) + 1 >= kMaxFileLevels) {
            if (job.prompter)
                job.prompter->error(StringPrintf(
                    "The folder '%s' lies too deep in the catalog: a disk in it could hold "
                    "nothing (a catalog holds items at most %d levels below its top).",
                    std::string(fields.folder->name()).c_str(), kMaxFileLevels));
            return false;
        }
        CatalogItem* root = tree.root();
        job.previousNextDiskId = root->numberAttribute(attr::DiskId).value_or(1);
        job.previousDiskNumber = root->numberAttribute(attr::DiskNumber).value_or(1);
        disk = tree.createItem(fields.name, fields.folder, Sorted, flags);
        tree.assignDiskNumber(disk);
        tree.setNumberAttribute(root, attr::DiskId, fields.diskId + 1);
    }
    job.disk = disk;

    tree.setNumberAttribute(disk, attr::DiskId, fields.diskId);
    if (fields.description.empty())
        tree.removeAttribute(disk, attr::Description);
    else
        tree.setTextAttribute(disk, attr::Description, fields.description);
    // An update whose categories were all taken off loses them (fields.categories starts as
    // the disk's own, so an untouched choice keeps them).
    if (fields.categories != 0)
        tree.setNumberAttribute(disk, attr::Categories, fields.categories);
    else
        tree.removeAttribute(disk, attr::Categories);
    disk->setDate(CatalogDate(std::time(nullptr)));
    tree.removeAttribute(disk, attr::LentTo);
    tree.removeAttribute(disk, attr::LentDate);
    tree.setNumberAttribute(disk, attr::VolumeSerial, job.drive.serial);
    if (job.drive.driveIndex)
        tree.setNumberAttribute(disk, attr::DriveIndex,
                                static_cast<uint32_t>(*job.drive.driveIndex));
    else
        tree.removeAttribute(disk, attr::DriveIndex);
    if (job.drive.baseDirectory.empty())
        tree.removeAttribute(disk, attr::BaseDirectory);
    else
        tree.setTextAttribute(disk, attr::BaseDirectory, job.drive.baseDirectory);
    if (job.drive.label.empty())
        tree.removeAttribute(disk, attr::Volume);
    else
        tree.setTextAttribute(disk, attr::Volume, job.drive.label);
    tree.setNumberAttribute(disk, attr::ReadThisSession, 1);
    if (job.drive.hasAudio()) {
        // The record's leading byte count is the block's own count.
        const std::vector<uint8_t> toc = job.drive.audio->tocRecord();
        if (toc.size() > 4)
            tree.setBlockAttribute(disk, attr::Toc, std::span<const uint8_t>(toc).subspan(4));
    } else {
        // An updated disk that held an audio CD before keeps no stale disc facts.
        tree.removeAttribute(disk, attr::Toc);
        tree.removeAttribute(disk, attr::Length);
    }
    if (!fields.extraInfo.empty()) {
        // A thumbnail row keeps the one the disk carries; the listed fields go first.
        std::vector<uint8_t> thumbnail;
        if (const auto stored = disk->blockAttribute(attr::Thumbnail))
            thumbnail.assign(stored->begin(), stored->end());
        PutExtraInfo(tree, disk, fields.extraInfo.listedKeys, fields.extraInfo.rows, thumbnail);
    }
    return true;
}

int32_t CatalogDate(int64_t seconds) {
    if (seconds < INT32_MIN || seconds > INT32_MAX)
        return 0;
    return static_cast<int32_t>(seconds);
}

}  // namespace shelfmark
