// Reading a disk into an open catalog, as the Read Disk and Update Disk commands do it: the
// checks before anything is read, the drive facts, the target folder or the disk to update, the
// disk's default fields, the read services (archive readers, description providers, thumbnails,
// audio-disc names), the read itself, and attaching its result to the document.
//
// The steps, in order:
//   prepare(request)  owning thread: checks, takes the file lock, readies the read;
//   run()             any one thread (a worker): walks the volume;
//   commit()          owning thread, after run() returned: the result joins the catalog.
// A session reads once.
//
// Threads. The owning thread is the one that changes the document and paints its tree. run()
// never touches the document's tree: it fills a staging tree of its own (a new disk, or for an
// update a copy of the disk made by prepare()), and commit() moves that result into the document
// without copying. So views may walk the document's tree while run() works on another thread,
// provided nothing changes the tree meanwhile; the read holds the file lock, and the commands
// that change the catalog stay disabled until commit().
//
// History. commit() records a new disk as one insert step (naming the first folder it created
// for the disk, else the disk) and an update as one subtree-replacement step whose copy keeps
// the disk's former contents and fields; the disk's fields and extra information are on it by
// then, so one undo takes the whole read back. The document's observers hear of each change,
// and the document is marked modified.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "reading/engine/ReadJob.h"
#include "reading/providers/DescriptionProviders.h"

namespace shelfmark {

// What the user asked for.
struct ReadRequest {
    // The folder or mount point to read, or a CD drive's device node.
    std::string root;
    // A simulated CD drive's description file, read instead of `root`.
    std::string cdSimulation;
    // The file the catalog will be saved to (empty: none): checked before anything is read.
    std::string catalogPath;

    // Update: the disk, by catalog path ("Backups\Photos") or by Disk ID. Empty: a new disk.
    std::string diskToUpdate;
    // New disk: the catalog folder it goes into ("" is the root), created when createFolders.
    std::string folder;
    bool createFolders = false;

    // The disk's fields; those not given keep the disk's own (update) or take the defaults.
    std::optional<std::string> name;
    std::optional<uint32_t> diskId;
    std::optional<std::string> description;
    std::optional<uint32_t> categories;
    std::optional<MediaType> media;
    bool rewritable = false;
    // The disk's extra information; part of the read's own undo step.
    DiskExtraInfo extraInfo;

    // The read options (from a profile, then the user's changes).
    ReadOptions options;
    // Which providers describe which extensions ("all", "mp3,exe"); unset: the options' choice.
    std::optional<std::string> describeExtensions;
    // Store the thumbnails the providers make (ThumbnailSize of the settings).
    bool thumbnails = false;
    // Update a disk from a volume whose serial number differs from the one stored on it without
    // asking.
    bool otherVolume = false;
};

enum class PrepareResult {
    Ready,        // the read may run
    Failed,       // refused or impossible; the reason went to the prompter; nothing changed
    OtherVolume,  // an update from another volume that was not confirmed; nothing changed
};

// What a finished read left in the catalog.
struct ReadResult {
    ReadOutcome outcome = ReadOutcome::Cancelled;
    bool update = false;
    CatalogItem* disk = nullptr;  // in the document; null when a new read was cancelled
    ReadProblemCounts problems;
};

// The undo labels of the two commands.
inline constexpr std::string_view kReadDiskLabel = "Read Disk";
inline constexpr std::string_view kUpdateDiskLabel = "Update Disk";

// The name proposed for a new disk: the disc's names for an audio CD, else the volume label of a
// mount point, else the folder's last component ("Audio CD" without any).
std::string ProposeDiskName(const DriveFacts& drive, const DiscInformation& disc);

// The read profile file's database name of a document: its title, "Default" without a file.
std::string ProfileDatabaseName(const CatalogDocument& document);

class ReadSession {
  public:
    ReadSession(CatalogDocument& document, Prompter& prompter);
    ~ReadSession();
    ReadSession(const ReadSession&) = delete;
    ReadSession& operator=(const ReadSession&) = delete;

    // The description providers, with the plug-ins found.
    DescriptionProviders& providers() { return *providers_; }

    // The options of a read profile (empty name: the one last used with this catalog).
    ReadOptions loadProfile(std::string_view name) const;
    // Stores the prepared read's options under a profile; false when the file cannot be written.
    bool saveProfile(std::string_view name) const;

    // Called on the reading thread for each problem; without it problems go to the prompter.
    void setProblemHandler(std::function<void(const ReadProblem&)> handler);
    // Called on the reading thread, at most every 100 ms.
    void setProgressHandler(std::function<void(const ReadProgress&)> handler);

    // Owning thread. In this order: the catalog file can be written; the root can be read; the
    // file lock; the folder or the disk; an update's volume is the disk's; the fields and the
    // extra information. Failed
    // and OtherVolume leave the catalog as it was (and give the lock back); the session may then
    // prepare again.
    PrepareResult prepare(const ReadRequest& request);

    // The job after prepare(): drive facts, fields, options. Its catalog and items are the
    // staging tree's until commit(), the document's afterwards.
    const ReadJob& job() const { return *job_; }
    // The prepared read's cancel flag: set from any thread (or a signal handler) to stop it.
    CancelFlag& cancelFlag() { return job_->cancel; }

    // Any one thread, once, after prepare() answered Ready.
    ReadOutcome run();

    // Owning thread, after run() returned. A completed read (and a cancelled update, which keeps
    // what it read) joins the catalog and marks it modified; a cancelled new read changes
    // nothing. Then the disc is ejected when the options ask for it.
    ReadResult commit();

  private:
    bool lockCatalog();
    bool collectDrive(const ReadRequest& request);
    PrepareResult findTarget(const ReadRequest& request);
    bool sameVolumeOrConfirmed(const CatalogItem& disk, bool force);
    void fillFields(const ReadRequest& request);
    void assembleServices(const ReadRequest& request);
    void stageUpdate();
    void attachNewDisk(CatalogItem* staged);
    void swapInUpdate(CatalogItem* staged);

    CatalogDocument& document_;
    Prompter& prompter_;
    std::unique_ptr<DescriptionProviders> providers_;
    std::unique_ptr<ReadJob> job_;
    std::unique_ptr<CatalogTree> staging_;
    std::optional<CdDrive> cdDrive_;
    CatalogItem* folder_ = nullptr;            // new disk: the deepest existing folder
    std::vector<std::string> missingFolders_;  // new disk: folders to create below folder_
    CatalogItem* disk_ = nullptr;              // update: the document's disk
    bool prepared_ = false;
    bool ran_ = false;
    ReadOutcome outcome_ = ReadOutcome::Cancelled;
};

}  // namespace shelfmark
