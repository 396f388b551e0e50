#include "cdlookup/TocAccess.h"

#include <filesystem>
#include <string>

#include "catalog/CatalogDocument.h"
#include "catalog/EditSupport.h"
#include "catalog/LocateDisk.h"
#include "cdlookup/CdPlayerIni.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"

namespace shelfmark {

namespace {

constexpr int kTocMissingMessage = 147;
// The CD-ROM device nodes the SCSI CD driver creates.
constexpr int kCdDeviceNodes = 16;

}  // namespace

std::vector<CdDrive> TocServices::PresentCdDrives() {
    std::vector<CdDrive> drives;
    std::error_code error;
    for (int i = 0; i < kCdDeviceNodes; ++i) {
        const std::string node = "/dev/sr" + std::to_string(i);
        if (std::filesystem::exists(node, error))
            drives.push_back({node, {}});
    }
    if (std::optional<CdDrive> simulated = SimulatedDriveFromEnvironment())
        drives.push_back(*simulated);
    return drives;
}

std::optional<uint32_t> TocServices::MediumSerial(const CdDrive& drive) {
    if (drive.isSimulated()) {
        const std::optional<AudioDisc> disc = ReadAudioDisc(drive);
        if (disc && disc->simulated)
            return disc->simulated->serial;
        return std::nullopt;
    }
    for (const Volume& volume : ListDrives())
        if (volume.device == drive.device && volume.serial != 0)
            return volume.serial;
    return std::nullopt;
}

std::optional<CdDrive> TocServices::DriveOfVolume(const Volume& volume) {
    if (volume.device.empty())
        return std::nullopt;
    return CdDrive{volume.device, {}};
}

bool EnsureToc(CatalogDocument& document, CatalogItem& disk, const TocServices& services) {
    if (TocOffsets(disk))
        return true;
    Prompter& prompter = document.prompter();
    std::optional<CdDrive> drive;
    if (const std::optional<uint32_t> serial = disk.numberAttribute(attr::VolumeSerial)) {
        for (const CdDrive& candidate : services.cdDrives())
            if (services.mediumSerial(candidate) == serial) {
                drive = candidate;
                break;
            }
    }
    if (!drive) {
        if (!prompter.askOkCancel(FillPattern(Str(kTocMissingMessage), "%s", disk.name()), {},
                                  PromptIcon::Warning))
            return false;
        const std::vector<Volume> volumes = services.volumes ? services.volumes() : ListDrives();
        const std::optional<LocatedDisk> located =
            LocateDisk(document, disk, volumes, services.insertDialog, services.readSerial);
        if (!located || located->catalogReloaded)
            return false;
        drive = services.driveOfVolume(located->volume);
        if (!drive)
            return false;
    }
    const std::optional<AudioDisc> disc = ReadAudioDiscForToc(*drive, prompter);
    if (!disc)
        return false;
    const std::vector<uint8_t> record = disc->tocRecord();
    if (record.size() <= 4)
        return false;
    if (!BeginEdit(document))
        return false;
    // The block holds the record after its leading byte count.
    document.tree().setBlockAttribute(&disk, attr::Toc,
                                      std::span<const uint8_t>(record).subspan(4));
    document.notifyChanged(disk);
    document.setModified();
    return true;
}

}  // namespace shelfmark
