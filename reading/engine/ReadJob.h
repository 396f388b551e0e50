// A disk read: what the reader of a drive or folder is given (the drive's facts, the disk's
// fields, the read options, the catalog), and what it shares with the one who started it (the
// cancel flag, progress, messages).
//
// The steps, in order:
//   PrepareDisk(job)  creates the disk item (or readies the disk to update) and sets its fields;
//   ReadThread(job)   walks the root, fills the disk and finishes it (sizes, sort, filters);
// both on the catalog's editing thread or on one worker while nothing else changes the catalog.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/CatalogTree.h"
#include "catalog/ExtraInfoOperations.h"
#include "foundation/CancelFlag.h"
#include "platform/volumes/Volumes.h"
#include "reading/audio/AudioDisc.h"
#include "reading/audio/DiscInformation.h"
#include "reading/engine/ReadServices.h"
#include "reading/profiles/ReadOptions.h"

namespace shelfmark {

class Prompter;

// The drive facts collected before a read.
struct DriveFacts {
    std::string root;  // the directory read: a mount point or a folder on a volume
    DriveType type = DriveType::Fixed;
    std::optional<size_t> driveIndex;  // position in the drive list; a hint for finding it again
    std::string baseDirectory;         // the root relative to its mount point; "" for a mount point
    std::string label;                 // volume label
    uint32_t serial = 0;               // volume serial number
    bool isVideoCd = false;
    // The disc's tracks on a CD-ROM drive whose disc has audio tracks.
    std::optional<AudioDisc> audio;
    // A disc with audio tracks whose root also holds data (directories, or files that are not
    // ".cda"): a mixed-mode disc.
    bool hasData = false;

    bool hasAudio() const { return audio && audio->hasAudio(); }
};

// Collects the drive facts of a root (a mount point or a folder). Nothing when the root is not
// a directory that can be read. The audio disc is for the caller to add.
std::optional<DriveFacts> CollectDriveFacts(const std::string& root);

// The disk's extra information (the read dialog's "Extra Information" page). It is stored on
// the disk item with the other fields before the walk, so the read's one undo step takes it
// back together with the disk, and a new read that is cancelled or refused leaves none of it.
struct DiskExtraInfo {
    // The fields deleted before the rows are stored: those the page listed when it opened (an
    // update's disk's own); empty for a new disk.
    std::vector<uint8_t> listedKeys;
    // The fields stored, as typed (numbers decimal or "0x" hexadecimal); a number of 0 or an
    // empty text stores nothing, and a thumbnail row keeps the disk's own thumbnail.
    std::vector<ExtraInfoRow> rows;

    bool empty() const { return listedKeys.empty() && rows.empty(); }
};

// The fields of the disk (the General page).
struct DiskFields {
    std::string name;
    CatalogItem* folder = nullptr;        // the folder a new disk goes into
    CatalogItem* diskToUpdate = nullptr;  // update mode: the disk read again
    uint32_t diskId = 1;                  // 1 to 65535
    std::string description;              // empty removes the description
    uint32_t categories = 0;              // up to four ids, lowest byte first; 0 for none
    bool rewritable = false;
    std::optional<MediaType> mediaOverride;  // chosen by the user instead of by the drive
    DiskExtraInfo extraInfo;                 // checked by the caller (ExtraInfoRowsProblem)
};

struct ReadProgress {
    const std::string* directory = nullptr;  // the directory being read
    uint64_t directories = 0;
    uint64_t files = 0;
    uint64_t bytes = 0;
};

enum class ReadOutcome { Completed, Cancelled };

// Something on the volume that the read could not take in; the read goes on without it.
struct ReadProblem {
    enum class Kind {
        UnreadableDirectory,  // could not be entered: its contents are missing
        UnreadableFile,       // could not be read for its checksums: they are missing
    };
    Kind kind = Kind::UnreadableFile;
    std::string path;
    int error = 0;        // the system's error number
    std::string message;  // the text for the user, naming the path and the reason
};

struct ReadProblemCounts {
    uint64_t files = 0;
    uint64_t directories = 0;
    bool any() const { return files != 0 || directories != 0; }
};

// The closing line of a read with problems: "3 files could not be read", "1 directory could not
// be read", "2 files and 1 directory could not be read"; empty when there were none.
std::string ProblemSummary(const ReadProblemCounts& counts);

struct ReadJob {
    CatalogTree* catalog = nullptr;
    ReadOptions options;
    DriveFacts drive;
    DiskFields fields;
    ReadServices services;

    // Set from another thread (or a signal handler) to stop the read at the next entry or
    // checksum block.
    CancelFlag cancel;

    // The names of an audio CD's disc and tracks (CD-Text or cdplayer.ini) for the providers
    // that name tracks; empty for other disks.
    DiscInformation discInformation;

    // Messages for the user; may be null.
    Prompter* prompter = nullptr;
    // Each directory or file the read could not take in, on the reading thread. When empty, the
    // problem's message goes to the prompter.
    std::function<void(const ReadProblem&)> problem;
    // Called while reading, at most once per interval.
    std::function<void(const ReadProgress&)> progress;
    std::chrono::milliseconds progressInterval{100};
    // Counted by the read, whoever is told.
    ReadProblemCounts problems;

    // How deep the item the catalog's root stands for lies in the catalog the read joins later
    // (0 when the read fills that catalog itself); the depth rule counts from the real root.
    int rootDepth = 0;

    // Set by PrepareDisk: the disk being read, and (new disk) the root's counters before.
    CatalogItem* disk = nullptr;
    uint32_t previousNextDiskId = 1;
    uint32_t previousDiskNumber = 1;
    uint64_t previousDiskSize = 0;

    bool updating() const { return fields.diskToUpdate != nullptr; }
};

// The media type of the disk from the drive facts and options (or the user's override).
MediaType ChooseMediaType(const DriveFacts& drive, const ReadOptions& options);

// Creates the new disk under fields.folder (or readies fields.diskToUpdate) and sets its flags
// and fields. False (nothing changed) when the folder or the disk is not usable.
bool PrepareDisk(ReadJob& job);

// Reads the root into the disk and finishes it. A cancelled new read removes the disk again and
// puts the catalog's counters back; a cancelled update keeps what was read.
ReadOutcome ReadThread(ReadJob& job);

// The date stored for a file time: seconds since 1970 when they fit in 32 signed bits, else 0.
int32_t CatalogDate(int64_t seconds);

}  // namespace shelfmark
