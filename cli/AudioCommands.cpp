// cdinfo: what the program sees of the disc in a CD drive or a simulated drive.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/ArgParser.h"
#include "cli/Command.h"
#include "foundation/Utf8Text.h"
#include "foundation/StringFormat.h"
#include "reading/audio/AudioDisc.h"
#include "reading/audio/AudioDriveDetails.h"
#include "reading/audio/DiscInformation.h"

namespace shelfmark::cli {

namespace {

constexpr const char* kDefaultDevice = "/dev/cdrom";

int RunCdInfo(const std::vector<std::string>& args);

const CommandRegistration kCdInfo({
    "cdinfo",
    "show the track list, table of contents and CD-Text of an audio CD",
    "Usage: shelfmark-cli cdinfo [DEVICE] [options]\n"
    "\n"
    "Reads the table of contents of the disc in the CD drive DEVICE (default /dev/cdrom) and\n"
    "prints the track list, the table-of-contents record stored with an audio disk, the CD\n"
    "player's disc key and the disc and track names from CD-Text or from cdplayer.ini in the\n"
    "configuration directory.\n"
    "\n"
    "Options:\n"
    "  --cdrom-sim FILE  read a simulated drive: an INI file describing a disc (see\n"
    "                    samples/cdrom/); SHELFMARK_CDROM_SIM=FILE does the same when neither\n"
    "                    DEVICE nor this option is given\n"
    "  --root DIR        the data part of the disc, to tell a mixed-mode disc (default: where\n"
    "                    DEVICE is mounted, or the simulated drive's data directory)\n"
    "  --no-cd-text      take the names from cdplayer.ini only\n"
    "  --eject           open the drive's door afterwards\n",
    RunCdInfo,
});

std::string MsfText(const Msf& msf) {
    return StringPrintf("%02u:%02u:%02u", msf.minutes, msf.seconds, msf.frames);
}

void PrintTracks(const AudioDisc& disc) {
    std::printf("Tracks: %d\n", disc.trackCount());
    std::printf("  No  Type   Start     Length    Frame\n");
    for (const AudioTrack& track : disc.tracks)
        std::printf("  %2d  %-5s  %s  %s  %u\n", track.number, track.isAudio() ? "audio" : "data",
                    MsfText(track.start).c_str(), MsfText(track.length).c_str(),
                    track.start.frameCount());
    std::printf("Lead-out: %s (frame %u)\n", MsfText(disc.leadOut).c_str(),
                disc.leadOut.frameCount());
    std::printf("Disc length: %s (%u seconds)\n", MsfText(disc.length()).c_str(),
                disc.lengthSeconds());
}

void PrintToc(const AudioDisc& disc) {
    const std::vector<uint32_t> values = disc.tocRecordValues();
    if (values.empty()) {
        std::printf("TocRecord: none (no audio track)\n");
        return;
    }
    std::printf("TocRecord:");
    for (uint32_t value : values)
        std::printf(" %u", value);
    std::printf("\n");
}

void PrintNames(const DiscInformation& information, const char* source) {
    std::printf("Disc information (%s):\n", source);
    std::printf("  Disc: %s / %s\n", text::ForTerminal(information.artist(0)).c_str(),
                text::ForTerminal(information.title(0)).c_str());
    const size_t count = std::max(information.titles.size(), information.artists.size());
    for (size_t i = 1; i < count; ++i) {
        if (information.title(i).empty() && information.artist(i).empty())
            continue;
        std::printf("  Track %02zu: %s / %s\n", i, text::ForTerminal(information.artist(i)).c_str(),
                    text::ForTerminal(information.title(i)).c_str());
    }
}

int RunCdInfo(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("cdrom-sim").option("root").flag("no-cd-text").flag("eject");
    if (!parser.parse(args))
        return UsageError(*FindCommand("cdinfo"), parser.error());
    if (parser.positionals().size() > 1 ||
        (parser.has("cdrom-sim") && !parser.positionals().empty()))
        return UsageError(*FindCommand("cdinfo"), "give one drive: DEVICE or --cdrom-sim FILE");

    CdDrive drive;
    if (const auto simulation = parser.value("cdrom-sim"))
        drive.simulationFile = *simulation;
    else if (!parser.positionals().empty())
        drive.device = parser.positionals().front();
    else if (const auto fromEnvironment = SimulatedDriveFromEnvironment())
        drive = *fromEnvironment;
    else
        drive.device = kDefaultDevice;

    AudioDisc disc;
    std::string error;
    if (ReadDrive(drive, disc, &error) != cdrom::CdromStatus::Ok)
        return Fail(error.empty() ? "cannot read the drive" : error);

    if (drive.isSimulated())
        std::printf("Drive: simulated (%s)\n", text::ForTerminal(drive.simulationFile).c_str());
    else
        std::printf("Drive: %s\n", text::ForTerminal(drive.device).c_str());
    if (disc.simulated)
        std::printf("Label: %s\nSerial: %04X-%04X\n", text::ForTerminal(disc.simulated->label).c_str(),
                    disc.simulated->serial >> 16, disc.simulated->serial & 0xFFFF);
    const std::string root = parser.valueOr("root", DiscDataRoot(drive, disc));
    std::printf("Audio tracks: %s\n", disc.hasAudio() ? "yes" : "no");
    if (!root.empty())
        std::printf("Mixed mode (CD Extra): %s (data part %s)\n",
                    HasDataFiles(disc, root) ? "yes" : "no", text::ForTerminal(root).c_str());
    PrintTracks(disc);
    PrintToc(disc);
    const uint32_t key = CdPlayerKey(disc);
    std::printf("CdPlayerKey: %u (cdplayer.ini section [%s])\n", key,
                StringPrintf("%04X", key).c_str());

    DiscInformation fromCdText;
    if (!parser.has("no-cd-text") && disc.hasAudio() && ParseCdText(disc.cdText, fromCdText))
        PrintNames(fromCdText, "CD-Text");
    else
        std::printf("CD-Text: none\n");
    DiscInformation fromIni;
    if (disc.hasAudio() && LookUpCdPlayerIni(key, fromIni))
        PrintNames(fromIni, "cdplayer.ini");

    if (parser.has("eject") && !EjectDisc(drive))
        return Fail("cannot open the drive's door");
    return kExitSuccess;
}

}  // namespace

}  // namespace shelfmark::cli
