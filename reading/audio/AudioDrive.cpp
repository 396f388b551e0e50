// The disc in a drive, from the Linux CD-ROM interface or from a simulated drive.
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"
#include "platform/cdrom/CdromDevice.h"
#include "platform/cdrom/CdromMount.h"
#include "platform/cdrom/SimulatedDrive.h"
#include "reading/audio/AudioDisc.h"
#include "reading/audio/AudioDriveDetails.h"

namespace shelfmark {

namespace {

constexpr const char* kBusyQuestion =
    "Cannot access the CD-ROM drive. It is probably in use by another application.\n\n"
    "Close all multimedia applications and click Retry, or click on Cancel to read the CD "
    "without CDDB information.";

Msf MsfOf(const cdrom::TocEntry& entry) {
    return {entry.minutes, entry.seconds, entry.frames};
}

}  // namespace

AudioDisc DiscFromToc(const cdrom::RawToc& toc) {
    AudioDisc disc;
    disc.leadOut = MsfOf(toc.leadOut);
    for (size_t i = 0; i < toc.tracks.size(); ++i) {
        const cdrom::TocEntry& entry = toc.tracks[i];
        AudioTrack track;
        track.number = entry.track;
        track.type = entry.isData ? TrackType::Data : TrackType::Audio;
        track.start = MsfOf(entry);
        const uint32_t start = track.start.frameCount();
        // The last track ends where the disc's length does: one frame before the lead-out.
        const uint32_t end = i + 1 < toc.tracks.size() ? MsfOf(toc.tracks[i + 1]).frameCount()
                                                       : disc.leadOut.frameCount() - 1;
        track.length = Msf::FromFrames(end > start ? end - start : 0);
        disc.tracks.push_back(track);
    }
    return disc;
}

cdrom::CdromStatus ReadDrive(const CdDrive& drive, AudioDisc& disc, std::string* error) {
    disc = {};
    if (drive.isSimulated()) {
        cdrom::SimulatedDisc simulated;
        const cdrom::CdromStatus status =
            cdrom::LoadSimulatedDisc(drive.simulationFile, simulated, error);
        if (status != cdrom::CdromStatus::Ok)
            return status;
        disc = DiscFromToc(simulated.toc);
        disc.cdText = std::move(simulated.cdText);
        disc.simulated =
            SimulatedVolume{simulated.label, simulated.serial, simulated.dataDirectory};
        return status;
    }
    cdrom::RawToc toc;
    const cdrom::CdromStatus status = cdrom::ReadDeviceToc(drive.device, toc);
    if (status != cdrom::CdromStatus::Ok) {
        if (error)
            *error = std::string(drive.device) + ": " + cdrom::StatusText(status);
        return status;
    }
    disc = DiscFromToc(toc);
    // CD-Text only matters for the names of audio tracks; many drives take seconds to refuse it.
    if (disc.hasAudio())
        cdrom::ReadDeviceCdText(drive.device, disc.cdText);
    return status;
}

std::optional<CdDrive> SimulatedDriveFromEnvironment() {
    const char* path = std::getenv(kCdromSimulationVariable);
    if (!path || !*path)
        return std::nullopt;
    return CdDrive{{}, path};
}

std::optional<AudioDisc> ReadAudioDisc(const CdDrive& drive) {
    AudioDisc disc;
    if (ReadDrive(drive, disc, nullptr) != cdrom::CdromStatus::Ok)
        return std::nullopt;
    return disc;
}

std::optional<AudioDisc> ReadAudioDiscForToc(const CdDrive& drive, Prompter& prompter) {
    for (;;) {
        AudioDisc disc;
        const cdrom::CdromStatus status = ReadDrive(drive, disc, nullptr);
        if (status == cdrom::CdromStatus::Ok) {
            if (!disc.hasAudio())
                return std::nullopt;
            return disc;
        }
        if (status != cdrom::CdromStatus::Busy || !prompter.askRetryCancel(kBusyQuestion))
            return std::nullopt;
    }
}

std::string DiscDataRoot(const CdDrive& drive, const AudioDisc& disc) {
    if (disc.simulated)
        return disc.simulated->dataDirectory;
    return drive.isSimulated() ? std::string() : cdrom::CdromMountPoint(drive.device);
}

bool EjectDisc(const CdDrive& drive) {
    if (drive.isSimulated())
        return true;
    return cdrom::EjectDevice(drive.device);
}

bool HasDataFiles(const AudioDisc& disc, const std::string& rootDirectory) {
    if (!disc.hasAudio() || rootDirectory.empty())
        return false;
    std::error_code error;
    std::filesystem::directory_iterator entries(rootDirectory, error);
    if (error)
        return false;
    for (const std::filesystem::directory_entry& entry : entries) {
        if (entry.is_directory(error))
            return true;
        const std::string name = entry.path().filename().string();
        const size_t dot = name.rfind('.');
        if (dot == std::string::npos ||
            !text::EqualsNoCase(std::string_view(name).substr(dot + 1), "cda"))
            return true;
    }
    return false;
}

}  // namespace shelfmark
