// What the program knows about the disc in a CD drive: its track list, its lead-out and the
// table-of-contents record that the CD lookup needs. The read engine consumes these values; they
// come from a real drive (the Linux CD-ROM interface) or from a simulated drive (an INI file that
// describes a disc), and the engine cannot tell the two apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shelfmark {

class Prompter;

inline constexpr uint32_t kFramesPerSecond = 75;
inline constexpr uint32_t kFramesPerMinute = 60 * kFramesPerSecond;
// The two seconds before the first track that absolute MSF positions count and LBAs do not.
inline constexpr uint32_t kLeadInFrames = 2 * kFramesPerSecond;

// A position or a length in minutes, seconds and frames (75 frames a second).
struct Msf {
    uint32_t minutes = 0;
    uint32_t seconds = 0;
    uint32_t frames = 0;

    uint32_t frameCount() const {
        return minutes * kFramesPerMinute + seconds * kFramesPerSecond + frames;
    }
    // Whole seconds, frames dropped (minutes * 60 + seconds).
    uint32_t totalSeconds() const { return minutes * 60 + seconds; }
    // The packed form the CD player's disc key adds up: (minutes << 16) | (seconds << 8) | frames.
    uint32_t packedForKey() const { return (minutes << 16) | (seconds << 8) | frames; }

    static Msf FromFrames(uint32_t frameCount) {
        return {frameCount / kFramesPerMinute, frameCount / kFramesPerSecond % 60,
                frameCount % kFramesPerSecond};
    }
    friend bool operator==(const Msf&, const Msf&) = default;
};

enum class TrackType { Audio, Data };

struct AudioTrack {
    int number = 0;  // 1 ... n as the disc numbers them
    TrackType type = TrackType::Audio;
    Msf start;   // absolute position, lead-in included (the first track usually starts at 00:02:00)
    Msf length;  // up to the next track's start; the last track up to the lead-out, one frame short

    bool isAudio() const { return type == TrackType::Audio; }
};

// Values the simulated drive supplies in place of the mounted volume of a real drive.
struct SimulatedVolume {
    std::string label;
    uint32_t serial = 0;
    std::string dataDirectory;  // the data part of a mixed-mode disc; empty for a pure audio CD
};

struct AudioDisc {
    std::vector<AudioTrack> tracks;  // every track the drive reports, data tracks included
    Msf leadOut;                     // absolute position of the lead-out
    // The raw answer to READ TOC/PMA/ATIP format 5 (4-byte header, then 18-byte packs); empty
    // when the drive has no CD-Text or cannot give it.
    std::vector<uint8_t> cdText;
    std::optional<SimulatedVolume> simulated;  // set only for a simulated drive

    bool hasAudio() const {
        for (const AudioTrack& track : tracks)
            if (track.isAudio())
                return true;
        return false;
    }
    int trackCount() const { return static_cast<int>(tracks.size()); }

    // The disc's total length as the CD audio device reports it: lead-out minus the first
    // track's start, less one frame.
    Msf length() const {
        if (tracks.empty())
            return {};
        const uint32_t first = tracks.front().start.frameCount();
        const uint32_t end = leadOut.frameCount();
        return Msf::FromFrames(end > first ? end - first - 1 : 0);
    }
    // Disc length for key 0x49 of an audio disk.
    uint32_t lengthSeconds() const { return length().totalSeconds(); }

    // The table of contents as 32-bit little-endian values: the byte count 4 (n + 1), the n track
    // starts as frame counts (the first raised to 150 when smaller), then the lead-out as the
    // disc length + the first entry + 1. Empty when the disc has no audio track.
    std::vector<uint32_t> tocRecordValues() const {
        std::vector<uint32_t> values;
        if (!hasAudio())
            return values;
        const auto n = static_cast<uint32_t>(tracks.size());
        values.reserve(n + 2);
        values.push_back(4 * (n + 1));
        for (const AudioTrack& track : tracks)
            values.push_back(track.start.frameCount());
        if (values[1] < kLeadInFrames)
            values[1] = kLeadInFrames;
        values.push_back(length().frameCount() + values[1] + 1);
        return values;
    }
    // The same record as bytes. Its leading byte count is the count a block attribute carries,
    // so the block stored under key 0xC0 holds the bytes after it.
    std::vector<uint8_t> tocRecord() const {
        std::vector<uint8_t> bytes;
        for (uint32_t value : tocRecordValues())
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<uint8_t>(value >> shift));
        return bytes;
    }
};

// Which drive to ask: a CD-ROM device node, or a simulated drive described by an INI file.
struct CdDrive {
    std::string device;          // e.g. "/dev/sr0"
    std::string simulationFile;  // when not empty, the drive is simulated and device is unused

    bool isSimulated() const { return !simulationFile.empty(); }
};

// The environment variable that points at a simulated drive's INI file.
inline constexpr const char* kCdromSimulationVariable = "SHELFMARK_CDROM_SIM";

// The simulated drive named by SHELFMARK_CDROM_SIM, when the variable is set and not empty.
std::optional<CdDrive> SimulatedDriveFromEnvironment();

// Reads the disc in the drive, silently: nothing when the device cannot be opened or used
// (no device, no disc, not a CD drive, a damaged simulation file). CD-Text is fetched too.
std::optional<AudioDisc> ReadAudioDisc(const CdDrive& drive);

// Reads the disc for its table-of-contents record. When the drive is busy, asks the Retry/Cancel
// question through the prompter; Cancel (or any other failure) gives nothing.
std::optional<AudioDisc> ReadAudioDiscForToc(const CdDrive& drive, Prompter& prompter);

// A mixed-mode (CD Extra) disc: it has audio tracks and the root directory holds an entry that is
// a directory, has no extension, or has an extension other than "cda" (any case). The root is the
// mount point of a real drive, or the simulated volume's data directory (empty: no data files).
bool HasDataFiles(const AudioDisc& disc, const std::string& rootDirectory);

// The folder that holds the disc's data part: the simulated volume's data directory, or the
// mount point of a real drive's device; empty when there is none.
std::string DiscDataRoot(const CdDrive& drive, const AudioDisc& disc);

// Opens the door of the drive; false when it cannot (a simulated drive always succeeds).
bool EjectDisc(const CdDrive& drive);

}  // namespace shelfmark
