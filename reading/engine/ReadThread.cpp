// The walk of a read: directories and files become items of the disk, in the order the file
// system lists them; afterwards the audio tracks, the update's clean-up, sizes and sorting.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "catalog/CatalogFile.h"
#include "catalog/TreeWalk.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"
#include "platform/walk/DirectoryWalker.h"
#include "reading/details/Checksums.h"
#include "catalog/DiskNames.h"
#include "reading/engine/ReadJob.h"

namespace shelfmark {

namespace {

// Size stored for an audio track item, as a ".cda" entry of a CD's file system has it.
constexpr uint64_t kTrackItemSize = 44;
constexpr int kMessageCannotEnterRoot = 119;

bool NameBefore(const CatalogItem* a, const CatalogItem* b) {
    return text::CompareNoCase(a->name(), b->name()) < 0;
}

void RemoveChildren(CatalogTree& tree, CatalogItem* item) {
    while (CatalogItem* child = item->firstChildIgnoringLock())
        tree.removeItem(child, false);
}

// 1 January 1995, 00:00:00 local time: the date of an audio track at position 0.
int64_t TrackEpoch() {
    std::tm base{};
    base.tm_year = 95;
    base.tm_mday = 1;
    base.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&base));
}

class DiskReader final : public WalkVisitor {
  public:
    // `maxLevels`: the directory levels the walk enters, the root being level 0.
    DiskReader(ReadJob& job, const DirectoryWalker& walker, int maxLevels)
        : job_(job),
          tree_(*job.catalog),
          walker_(walker),
          levels_(size_t(maxLevels)),
          maxLevels_(maxLevels),
          throttle_(job.progressInterval) {}

    bool stopRequested() override { return job_.cancel.isSet(); }
    bool enterDirectory(const WalkEntry& directory, int depth) override;
    void leaveDirectory(int depth) override;
    void file(const WalkEntry& file, int depth) override;
    void problem(WalkProblem problem, const std::string& path) override;

    void readAudioTracks();
    uint64_t diskTotal() const { return diskTotal_; }

  private:
    struct Level {
        CatalogItem* item = nullptr;
        uint64_t total = 0;
        std::vector<CatalogItem*> existing;  // update: the item's children as stored, by name
    };

    void collectExisting(Level& level);
    CatalogItem* findExisting(Level& level, std::string_view name);
    // `diskName` as the walk gives it; the item gets its catalog name (DiskNames.h).
    CatalogItem* findOrCreate(Level& level, std::string_view diskName, uint16_t flags);
    void readArchive(CatalogItem* item, ArchiveKind kind, const std::string& path, uint64_t offset);
    void checksums(CatalogItem* item, uint64_t size, const std::string& path);
    bool hasProvider(std::string_view extension) const;
    void reportProgress(bool force);
    // Counts a problem and tells the job's problem handler, or else the prompter.
    void report(ReadProblem::Kind kind, const std::string& path, int error, std::string message);

    ReadJob& job_;
    CatalogTree& tree_;
    const DirectoryWalker& walker_;
    std::vector<Level> levels_;
    int maxLevels_;
    DigestContext digest_;
    ProgressThrottle throttle_;
    ReadProgress progress_;
    uint64_t diskTotal_ = 0;
};

void DiskReader::collectExisting(Level& level) {
    level.existing.clear();
    if (!job_.updating())
        return;
    for (CatalogItem* child = level.item->firstChildIgnoringLock(); child; child = child->next())
        level.existing.push_back(child);
    std::sort(level.existing.begin(), level.existing.end(), NameBefore);
}

// Binary search among the directory's stored children. Names equal but for case can both exist
// on this system, so an exact match is preferred, and a child matched once is not matched again.
CatalogItem* DiskReader::findExisting(Level& level, std::string_view name) {
    auto first = std::lower_bound(level.existing.begin(), level.existing.end(), name,
                                  [](const CatalogItem* item, std::string_view n) {
                                      return text::CompareNoCase(item->name(), n) < 0;
                                  });
    CatalogItem* match = nullptr;
    for (auto it = first; it != level.existing.end() && text::EqualsNoCase((*it)->name(), name);
         ++it) {
        if (!((*it)->flags() & itemflag::Unseen))
            continue;
        if ((*it)->name() == name) {
            match = *it;
            break;
        }
        if (match == nullptr)
            match = *it;
    }
    if (match != nullptr && match->name() != name)
        tree_.setName(match, name);
    return match;
}

CatalogItem* DiskReader::findOrCreate(Level& level, std::string_view diskName, uint16_t flags) {
    const std::string name = CatalogNameOf(diskName);
    if (!level.existing.empty()) {
        if (CatalogItem* item = findExisting(level, name)) {
            // A kept item keeps its attributes; its kind follows what the entry is now.
            item->setFlags(flags);
            return item;
        }
    }
    // New items go to the front: the child list has no tail, and the disk is sorted at the end.
    return tree_.createItem(name, level.item, First, flags);
}

bool DiskReader::enterDirectory(const WalkEntry& directory, int depth) {
    Level& level = levels_[static_cast<size_t>(depth)];
    level.total = 0;
    if (depth == 0) {
        level.item = job_.disk;
    } else {
        if (job_.drive.hasAudio() && job_.drive.hasData && !job_.options.bCDExtraData)
            return false;
        Level& parent = levels_[static_cast<size_t>(depth) - 1];
        level.item = findOrCreate(parent, directory.name, itemflag::Directory);
        level.item->setDate(CatalogDate(directory.modified));
        ++progress_.directories;
    }
    collectExisting(level);
    reportProgress(depth == 0);
    return true;
}

void DiskReader::leaveDirectory(int depth) {
    Level& level = levels_[static_cast<size_t>(depth)];
    tree_.setSize(level.item, level.total);
    if (depth > 0)
        levels_[static_cast<size_t>(depth) - 1].total += level.total;
    else
        diskTotal_ = level.total;
}

void DiskReader::file(const WalkEntry& entry, int depth) {
    Level& level = levels_[static_cast<size_t>(depth)];
    // Counted first, so that files left out still count in the directory sizes.
    level.total += entry.size;
    ++progress_.files;
    progress_.bytes += entry.size;
    if ((progress_.files & 63) == 0)
        reportProgress(false);

    const ReadOptions& options = job_.options;
    if (options.bNoFiles)
        return;
    const std::string extension = text::LowerExtension(entry.name);
    if (job_.drive.hasAudio() && (extension == "cda" || !options.bCDExtraData))
        return;
    if (!options.ExtList.empty() && !options.ExtList.contains(extension))
        return;

    // A link is stored as itself: nothing reads through it.
    if (entry.kind == WalkEntryKind::Symlink) {
        CatalogItem* item = findOrCreate(level, entry.name, 0);
        tree_.setSize(item, entry.size);
        item->setDate(CatalogDate(entry.modified));
        return;
    }

    std::string path;
    auto pathOf = [&]() -> const std::string& {
        if (path.empty())
            path = walker_.pathOf(entry.name);
        return path;
    };
    const uint8_t mask = options.archiveMask();
    std::optional<std::pair<ArchiveKind, uint64_t>> archive;
    if ((mask & kArchiveMaskCheckExes) && extension == "exe") {
        if (job_.services.probeSfx)
            archive = job_.services.probeSfx(pathOf(), mask);
    } else if (const std::optional<ArchiveKind> kind = ArchiveKindForExtension(extension)) {
        archive = std::make_pair(*kind, uint64_t{0});
    }

    CatalogItem* item = findOrCreate(level, entry.name, archive ? itemflag::Archive : 0);
    if (archive) {
        RemoveChildren(tree_, item);  // entries of an earlier read of the archive
        readArchive(item, archive->first, pathOf(), archive->second);
    }
    tree_.setSize(item, entry.size);
    item->setDate(CatalogDate(entry.modified));
    if (options.wantsCrc32(entry.size) || options.wantsMd5(entry.size))
        checksums(item, entry.size, pathOf());
    if (hasProvider(extension))
        job_.services.describe(extension, pathOf(), tree_, item);
}

void DiskReader::readArchive(CatalogItem* item, ArchiveKind kind, const std::string& path,
                             uint64_t offset) {
    const ReadOptions& options = job_.options;
    const bool wanted = (options.archiveMask() & MaskBit(kind)) != 0;
    // An archive on the deepest level of the catalog can hold no entries.
    const bool roomBelow = job_.rootDepth + DepthBelowRoot(*item) < kMaxFileLevels;
    if (wanted && roomBelow && job_.services.readArchive &&
        job_.services.readArchive(kind, path, offset, tree_, item, options.bStoreArchiveCRC32)) {
        if (RemoveItemsTooDeep(tree_, item, job_.rootDepth) > 0 && job_.prompter)
            job_.prompter->warning(StringPrintf(
                "Entries of the archive '%s' more than %d levels below the top of the catalog "
                "are not stored.",
                path.c_str(), kMaxFileLevels));
        return;
    }
    // Not read: the archive stays a plain file.
    RemoveChildren(tree_, item);
    item->setFlags(0);
}

void DiskReader::checksums(CatalogItem* item, uint64_t size, const std::string& path) {
    const ReadOptions& options = job_.options;
    const FileChecksums sums =
        ChecksumFile(path, job_.cancel, options.wantsCrc32(size), options.wantsMd5(size), &digest_);
    // A CRC-32 of 0 is not stored: the catalog reads a 0 as "none".
    if (sums.crc32 && *sums.crc32 != 0)
        tree_.setNumberAttribute(item, attr::Crc32, *sums.crc32);
    if (sums.md5)
        tree_.setTextAttribute(item, attr::Md5, *sums.md5);
    if (sums.error != 0)
        report(ReadProblem::Kind::UnreadableFile, path, sums.error,
               StringPrintf("Cannot read '%s' for its checksum: %s", path.c_str(),
                            std::strerror(sums.error)));
}

bool DiskReader::hasProvider(std::string_view extension) const {
    const ReadServices& services = job_.services;
    return services.hasProvider && services.describe && services.hasProvider(extension);
}

void DiskReader::problem(WalkProblem problem, const std::string& path) {
    if (problem == WalkProblem::CannotEnter) {
        const int error = walker_.problemError();
        report(ReadProblem::Kind::UnreadableDirectory, path, error,
               StringPrintf("Error changing to directory '%s': %s.\n\nDirectory is skipped.",
                            path.c_str(), std::strerror(error)));
    } else if (job_.prompter) {
        job_.prompter->warning(
            StringPrintf("Directories more than %d levels deep are not read, starting with '%s'.",
                         maxLevels_ - 1, path.c_str()));
    }
}

void DiskReader::report(ReadProblem::Kind kind, const std::string& path, int error,
                        std::string message) {
    if (kind == ReadProblem::Kind::UnreadableDirectory)
        ++job_.problems.directories;
    else
        ++job_.problems.files;
    if (job_.problem) {
        job_.problem(ReadProblem{kind, path, error, std::move(message)});
    } else if (job_.prompter) {
        if (kind == ReadProblem::Kind::UnreadableDirectory)
            job_.prompter->error(message);
        else
            job_.prompter->warning(message);
    }
}

void DiskReader::reportProgress(bool force) {
    if (!job_.progress || !(throttle_.due() || force))
        return;
    progress_.directory = &walker_.currentDirectory();
    job_.progress(progress_);
}

void DiskReader::readAudioTracks() {
    const DriveFacts& drive = job_.drive;
    if (!drive.hasAudio() || job_.options.bNoFiles ||
        (drive.hasData && !job_.options.bCDExtraAudio))
        return;
    Level& diskLevel = levels_[0];
    if (diskLevel.item != job_.disk) {  // no file system was walked
        diskLevel.item = job_.disk;
        collectExisting(diskLevel);
    }
    const bool describeTracks = hasProvider("cda");
    const int64_t epoch = TrackEpoch();
    int number = 0;
    for (const AudioTrack& track : drive.audio->tracks) {
        ++number;
        if (!track.isAudio())
            continue;
        const std::string name = StringPrintf("Track%02d.cda", number);
        CatalogItem* item = findOrCreate(diskLevel, name, 0);
        tree_.setNumberAttribute(item, attr::TrackNumber, static_cast<uint32_t>(number));
        tree_.setNumberAttribute(item, attr::Length, track.length.totalSeconds());
        item->setDate(CatalogDate(epoch + track.start.minutes * 60 + track.start.seconds));
        tree_.setSize(item, kTrackItemSize);
        if (describeTracks)
            job_.services.describe("cda", drive.root + "/" + name, tree_, item);
    }
    tree_.setNumberAttribute(job_.disk, attr::Length, drive.audio->lengthSeconds());
}

void MarkUnseen(CatalogItem* disk) {
    WalkBelowIgnoringLocks(disk, EnterAll, [](CatalogItem& item) {
        item.setFlags(item.flags() | itemflag::Unseen);
        return true;
    });
}

void ClearUnseen(CatalogItem* disk) {
    WalkBelowIgnoringLocks(disk, EnterAll, [](CatalogItem& item) {
        item.setFlags(item.flags() & ~itemflag::Unseen);
        return true;
    });
}

// Removes every item the update did not meet again, with what lies below it.
void RemoveUnseen(CatalogTree& tree, CatalogItem* disk) {
    std::vector<CatalogItem*> gone;
    auto enter = [](const CatalogItem& item) { return !(item.flags() & itemflag::Unseen); };
    WalkBelowIgnoringLocks(disk, enter, [&](CatalogItem& item) {
        if (item.flags() & itemflag::Unseen)
            gone.push_back(&item);
        return true;
    });
    // In list order, so that each removal finds its item near the head of the list.
    for (CatalogItem* item : gone)
        tree.removeItem(item, false);
}

// Directories (and archives) without children go, deepest first, so that a directory that
// held only empty directories goes too. The disk itself stays. When files are not stored, a
// directory whose files were counted is not empty: without this, reading only directories would
// leave no directory at all.
void RemoveEmptyDirectories(CatalogTree& tree, CatalogItem* disk, bool filesNotStored) {
    auto deepestFirst = [](CatalogItem* item) {
        while (item->isContainer() && item->firstChildIgnoringLock())
            item = item->firstChildIgnoringLock();
        return item;
    };
    CatalogItem* item = disk->firstChildIgnoringLock() ? deepestFirst(disk->firstChildIgnoringLock()) : nullptr;
    while (item != nullptr && item != disk) {
        CatalogItem* next = item->next();
        CatalogItem* parent = item->parent();
        const bool empty = !item->firstChildIgnoringLock() && !(filesNotStored && item->size() > 0);
        if ((item->isDirectory() || item->isArchive()) && empty)
            tree.removeItem(item, false);
        item = next ? deepestFirst(next) : parent;
    }
}

}  // namespace

std::string ProblemSummary(const ReadProblemCounts& counts) {
    auto count = [](uint64_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    std::string subject;
    if (counts.files != 0)
        subject = count(counts.files, "file", "files");
    if (counts.directories != 0)
        subject += (subject.empty() ? "" : " and ") +
                   count(counts.directories, "directory", "directories");
    if (subject.empty())
        return subject;
    return subject + " could not be read";
}

ReadOutcome ReadThread(ReadJob& job) {
    CatalogTree& tree = *job.catalog;
    CatalogItem* disk = job.disk;
    if (job.updating())
        MarkUnseen(disk);

    // Counted from the catalog's root: the deepest directory entered holds items on the
    // deepest level a catalog file keeps, so a disk inside nested folders stops earlier.
    const int maxLevels = std::max(1, kMaxFileLevels - job.rootDepth - DepthBelowRoot(*disk));
    DirectoryWalker walker(maxLevels);
    DiskReader reader(job, walker, maxLevels);
    WalkResult result = WalkResult::Completed;
    if (!job.drive.root.empty()) {
        result = walker.walk(job.drive.root, reader);
        if (result == WalkResult::RootNotReadable) {
            tree.setSize(disk, 0);
            if (job.prompter)
                job.prompter->error(
                    StringPrintf(Str(kMessageCannotEnterRoot).c_str(), job.drive.root.c_str()));
        }
    }
    bool cancelled = result == WalkResult::Stopped || job.cancel.isSet();
    if (!cancelled) {
        reader.readAudioTracks();
        cancelled = job.cancel.isSet();
    }

    ReadOutcome outcome = ReadOutcome::Completed;
    if (!cancelled) {
        if (job.updating())
            RemoveUnseen(tree, disk);
        tree.addToFolderSizes(disk->parent(), static_cast<int64_t>(disk->size()));
        tree.sortSubtree(disk);
    } else if (job.updating()) {
        // What was read so far stays, and nothing is deleted. The folders above get the disk's
        // size back (the old one: the disk's own total is only known at the end of the walk).
        outcome = ReadOutcome::Cancelled;
        ClearUnseen(disk);
        tree.addToFolderSizes(disk->parent(), static_cast<int64_t>(disk->size()));
        tree.sortSubtree(disk);
    } else {
        // The catalog is left as it was, the counters of the next disk included.
        outcome = ReadOutcome::Cancelled;
        tree.removeItem(disk, false);
        job.disk = nullptr;
        tree.setNumberAttribute(tree.root(), attr::DiskId, job.previousNextDiskId);
        tree.setNumberAttribute(tree.root(), attr::DiskNumber, job.previousDiskNumber);
    }
    if (job.options.bNoEmptyDirs && job.disk != nullptr)
        RemoveEmptyDirectories(tree, job.disk, job.options.bNoFiles);
    return outcome;
}

}  // namespace shelfmark
