#include "reading/engine/ReadSession.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "catalog/CatalogFile.h"
#include "catalog/CatalogPath.h"
#include "catalog/TreeWalk.h"
#include "foundation/AtomicFile.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"
#include "platform/settings/AppSettings.h"
#include "platform/settings/SettingsStore.h"
#include "platform/volumes/VolumeIdentity.h"
#include "reading/archive/ArchiveReaders.h"
#include "reading/imaging/Imaging.h"
#include "reading/profiles/ReadProfiles.h"
#include "reading/providers/DescribeFile.h"

namespace shelfmark {

namespace {

constexpr int kMessageCannotEnterRoot = 119;
constexpr uint32_t kMaxDiskId = 65535;

std::string LastComponent(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

bool IsBlockDevice(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISBLK(info.st_mode);
}

// Why a root that is no readable directory on a mounted volume cannot be read.
std::string RootProblem(const std::string& root) {
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    return "it lies on no mounted volume";
}

// Whether the catalog can be saved at `path`: the save writes a temporary file beside it and
// renames it over the path.
bool CanSaveCatalogAt(const std::string& path, std::string& reason) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        reason = std::strerror(EISDIR);
        return false;
    }
    const AtomicFileWriter probe(path);
    if (!probe.isOpen()) {
        reason = probe.error();
        return false;
    }
    return true;
}

// When the root is the mount point of a CD drive: the drive, and its disc's audio tracks.
std::optional<CdDrive> AddAudioFacts(DriveFacts& drive, Prompter& prompter) {
    if (drive.type != DriveType::CdRom || !drive.baseDirectory.empty())
        return std::nullopt;
    const std::optional<ReadRoot> where = ResolveReadRoot(drive.root);
    if (!where || where->volume.device.empty())
        return std::nullopt;
    CdDrive cd;
    cd.device = where->volume.device;
    std::optional<AudioDisc> disc = ReadAudioDiscForToc(cd, prompter);
    if (disc && disc->hasAudio()) {
        drive.hasData = HasDataFiles(*disc, drive.root);
        drive.audio = std::move(disc);
    }
    return cd;
}

// The facts of a CD drive named by its device node or by a simulation file: the disc's tracks,
// and its data part (the device's mount point, or the simulated data folder) as the root.
std::optional<DriveFacts> CdDriveFacts(const CdDrive& cd, Prompter& prompter) {
    std::optional<AudioDisc> disc = ReadAudioDiscForToc(cd, prompter);
    if (!disc)
        return std::nullopt;
    DriveFacts facts;
    if (const std::string data = DiscDataRoot(cd, *disc); !data.empty()) {
        if (std::optional<DriveFacts> mounted = CollectDriveFacts(data))
            facts = std::move(*mounted);
    }
    facts.type = DriveType::CdRom;
    if (disc->simulated) {
        facts.label = disc->simulated->label;
        facts.serial = disc->simulated->serial;
        facts.driveIndex.reset();
        facts.baseDirectory.clear();
    }
    if (disc->hasAudio()) {
        facts.hasData = HasDataFiles(*disc, facts.root);
        facts.audio = std::move(disc);
    }
    return facts;
}

// A disk by its catalog path or by its Disk ID.
CatalogItem* FindDisk(CatalogTree& tree, const std::string& text, std::string& error) {
    if (CatalogItem* item = ResolveCatalogPath(tree, text); item && item != tree.root()) {
        if (CatalogItem* target = item->isShortcut() ? tree.resolveShortcut(item, nullptr) : item;
            target && target->isDisk())
            return target;
        error = "'" + text + "' is not a disk";
        return nullptr;
    }
    char* end = nullptr;
    const unsigned long id = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') {
        error = "There is no disk '" + text + "' in the catalog.";
        return nullptr;
    }
    std::vector<CatalogItem*> disks;
    WalkBelow(
        tree.root(), [](const CatalogItem& item) { return item.isFolder(); },
        [&](CatalogItem& item) {
            if (item.isDisk() && item.numberAttribute(attr::DiskId) == id)
                disks.push_back(&item);
            return true;
        });
    if (disks.size() == 1)
        return disks.front();
    error = disks.empty() ? "There is no disk with Disk ID " + text + " in the catalog."
                          : "Several disks carry Disk ID " + text + "; name the disk by its path.";
    return nullptr;
}

// Copies an item and everything below it into `to`, under `parent`, children in their order.
CatalogItem* CopySubtree(CatalogTree& to, const CatalogItem* source, CatalogItem* parent) {
    struct Level {
        const CatalogItem* source;
        CatalogItem* copy;
        CatalogItem* lastChild;  // the copy's last child so far: the next goes after it
    };
    CatalogItem* top = to.copyItem(source, parent, Sorted);
    std::vector<Level> chain{{source, top, nullptr}};
    WalkBelowIgnoringLocks(source, EnterAll, [&](CatalogItem& item) {
        while (chain.back().source != item.parent())
            chain.pop_back();
        Level& above = chain.back();
        CatalogItem* copy =
            to.copyItem(&item, above.copy, above.lastChild ? above.lastChild : First);
        above.lastChild = copy;
        if (item.firstChildIgnoringLock())
            chain.push_back({&item, copy, nullptr});
        return true;
    });
    return top;
}

}  // namespace

std::string ProposeDiskName(const DriveFacts& drive, const DiscInformation& disc) {
    if (drive.hasAudio()) {
        std::string name = ProposeAudioDiscName(disc, false, {});
        if (!name.empty())
            return name;
    }
    if (drive.baseDirectory.empty() && !drive.label.empty())
        return drive.label;
    return drive.root.empty() ? std::string("Audio CD") : LastComponent(drive.root);
}

std::string ProfileDatabaseName(const CatalogDocument& document) {
    return document.path().empty() ? std::string(kDefaultProfileSection) : document.title();
}

ReadSession::ReadSession(CatalogDocument& document, Prompter& prompter)
    : document_(document),
      prompter_(prompter),
      providers_(std::make_unique<DescriptionProviders>()),
      job_(std::make_unique<ReadJob>()) {
    providers_->discoverPlugins(PluginDirectories());
}

ReadSession::~ReadSession() = default;

ReadOptions ReadSession::loadProfile(std::string_view name) const {
    return ReadProfileStore()
        .load(name, ProfileDatabaseName(document_), providers_->pluginModuleNames())
        .options;
}

bool ReadSession::saveProfile(std::string_view name) const {
    return ReadProfileStore().save(name, ProfileDatabaseName(document_), job_->options);
}

void ReadSession::setProblemHandler(std::function<void(const ReadProblem&)> handler) {
    job_->problem = std::move(handler);
}

void ReadSession::setProgressHandler(std::function<void(const ReadProgress&)> handler) {
    job_->progress = std::move(handler);
}

PrepareResult ReadSession::prepare(const ReadRequest& request) {
    // A fresh job for each attempt; the caller's handlers stay.
    auto job = std::make_unique<ReadJob>();
    job->problem = std::move(job_->problem);
    job->progress = std::move(job_->progress);
    job_ = std::move(job);
    staging_.reset();
    cdDrive_.reset();
    folder_ = disk_ = nullptr;
    missingFolders_.clear();
    prepared_ = ran_ = false;
    job_->prompter = &prompter_;
    job_->options = request.options;

    // Nothing is read for a catalog that cannot be saved afterwards.
    if (std::string reason;
        !request.catalogPath.empty() && !CanSaveCatalogAt(request.catalogPath, reason)) {
        prompter_.error("Cannot write the catalog '" + request.catalogPath + "': " + reason);
        return PrepareResult::Failed;
    }
    if (!collectDrive(request))
        return PrepareResult::Failed;
    if (job_->drive.hasAudio())
        LookUpDiscInformation(*job_->drive.audio, job_->options.bEnableCDText,
                              job_->discInformation);

    if (!lockCatalog())
        return PrepareResult::Failed;
    const PrepareResult found = findTarget(request);
    if (found != PrepareResult::Ready) {
        document_.releaseLock(false);
        return found;
    }
    fillFields(request);
    if (job_->fields.name.empty() || job_->fields.diskId < 1 || job_->fields.diskId > kMaxDiskId) {
        prompter_.error(job_->fields.name.empty() ? "Please fill out this field correctly."
                                                  : "The Disk ID must lie between 1 and 65535.");
        document_.releaseLock(false);
        return PrepareResult::Failed;
    }
    if (const std::optional<std::string> problem =
            ExtraInfoRowsProblem(job_->fields.extraInfo.rows)) {
        prompter_.error(*problem);
        document_.releaseLock(false);
        return PrepareResult::Failed;
    }
    assembleServices(request);

    staging_ = std::make_unique<CatalogTree>();
    staging_->resetToNewCatalog();
    // The staging tree's root stands for the disk's folder in the catalog.
    if (disk_ != nullptr) {
        job_->fields.diskToUpdate = CopySubtree(*staging_, disk_, staging_->root());
        job_->rootDepth = DepthBelowRoot(*disk_) - 1;
    } else {
        job_->fields.folder = staging_->root();
        job_->rootDepth = DepthBelowRoot(*folder_) + int(missingFolders_.size());
    }
    job_->catalog = staging_.get();
    if (!PrepareDisk(*job_)) {
        document_.releaseLock(false);
        return PrepareResult::Failed;
    }
    prepared_ = true;
    return PrepareResult::Ready;
}

// The file lock, taken before any item of the document is looked up: taking it may reload the
// catalog when another process changed the file.
bool ReadSession::lockCatalog() {
    return document_.lockForEditing();
}

bool ReadSession::collectDrive(const ReadRequest& request) {
    if (!request.cdSimulation.empty() || IsBlockDevice(request.root)) {
        CdDrive cd;
        if (!request.cdSimulation.empty())
            cd.simulationFile = request.cdSimulation;
        else
            cd.device = request.root;
        std::optional<DriveFacts> facts = CdDriveFacts(cd, prompter_);
        if (!facts) {
            prompter_.error("No disc can be read in '" +
                            (cd.simulationFile.empty() ? cd.device : cd.simulationFile) + "'.");
            return false;
        }
        cdDrive_ = cd;
        job_->drive = std::move(*facts);
        return true;
    }
    std::optional<DriveFacts> facts = CollectDriveFacts(request.root);
    if (!facts) {
        const std::string where = request.root + ": " + RootProblem(request.root);
        prompter_.error(StringPrintf(Str(kMessageCannotEnterRoot).c_str(), where.c_str()));
        return false;
    }
    cdDrive_ = AddAudioFacts(*facts, prompter_);
    job_->drive = std::move(*facts);
    return true;
}

PrepareResult ReadSession::findTarget(const ReadRequest& request) {
    CatalogTree& tree = document_.tree();
    std::string error;
    if (!request.diskToUpdate.empty()) {
        disk_ = FindDisk(tree, request.diskToUpdate, error);
        if (disk_ == nullptr) {
            prompter_.error(error);
            return PrepareResult::Failed;
        }
        return sameVolumeOrConfirmed(*disk_, request.otherVolume) ? PrepareResult::Ready
                                                                  : PrepareResult::OtherVolume;
    }
    // The folder: existing folders from the root down; the rest is created when the read joins
    // the catalog, so a cancelled read leaves no empty folders behind.
    folder_ = tree.root();
    for (const std::string& name : SplitCatalogPath(request.folder)) {
        if (!missingFolders_.empty()) {
            missingFolders_.push_back(name);
            continue;
        }
        CatalogItem* next = folder_->firstChild();
        while (next && !text::EqualsNoCase(next->name(), name))
            next = next->next();
        if (next == nullptr && request.createFolders) {
            missingFolders_.push_back(name);
            continue;
        }
        if (next == nullptr || !next->isFolder()) {
            prompter_.error(next == nullptr ? "There is no catalog folder '" + request.folder + "'."
                                            : "'" + name + "' is not a folder.");
            return PrepareResult::Failed;
        }
        folder_ = next;
    }
    // The disk must be able to hold what is read, so it may not lie on the deepest level.
    if (DepthBelowRoot(*folder_) + int(missingFolders_.size()) + 1 >= kMaxFileLevels) {
        prompter_.error(StringPrintf("The catalog folder '%s' lies too deep in the catalog: a disk "
                                     "in it could hold nothing (a catalog holds items at most %d "
                                     "levels below its top).",
                                     request.folder.c_str(), kMaxFileLevels));
        return PrepareResult::Failed;
    }
    return PrepareResult::Ready;
}

// An update reads the volume the disk was read from: a root on a volume with another serial
// number would replace the disk's contents by something else. A disk without a stored serial
// (added by name) takes any volume.
bool ReadSession::sameVolumeOrConfirmed(const CatalogItem& disk, bool force) {
    const std::optional<uint32_t> stored = disk.numberAttribute(attr::VolumeSerial);
    if (force || !stored || *stored == job_->drive.serial)
        return true;
    const std::string root = !job_->drive.root.empty() ? job_->drive.root
                             : cdDrive_                ? cdDrive_->device
                                                       : std::string();
    return prompter_.askYesNo(
        StringPrintf("'%s' lies on the volume %s, but the disk '%s' was read from the volume %s.\n"
                     "Update the disk from it anyway?",
                     root.c_str(), FormatVolumeSerial(job_->drive.serial).c_str(),
                     std::string(disk.name()).c_str(), FormatVolumeSerial(*stored).c_str()));
}

void ReadSession::fillFields(const ReadRequest& request) {
    DiskFields& fields = job_->fields;
    if (disk_ != nullptr) {
        fields.name = std::string(disk_->name());
        fields.diskId = disk_->numberAttribute(attr::DiskId).value_or(1);
        fields.description = std::string(disk_->textAttribute(attr::Description).value_or(""));
        fields.categories = disk_->numberAttribute(attr::Categories).value_or(0);
        fields.rewritable = (disk_->flags() & itemflag::ReWritable) != 0;
    } else {
        fields.name = ProposeDiskName(job_->drive, job_->discInformation);
        fields.diskId = std::max<uint32_t>(
            1, document_.tree().root()->numberAttribute(attr::DiskId).value_or(1));
    }
    if (request.name)
        fields.name = *request.name;
    if (request.diskId)
        fields.diskId = *request.diskId;
    if (request.description)
        fields.description = *request.description;
    if (request.categories)
        fields.categories = *request.categories;
    fields.rewritable = fields.rewritable || request.rewritable;
    fields.mediaOverride = request.media;
    fields.extraInfo = request.extraInfo;
}

void ReadSession::assembleServices(const ReadRequest& request) {
    ReadServices& services = job_->services;
    services.probeSfx = SfxProbe;
    services.readArchive = ReadArchiveDirectory;

    providers_->applySelection(job_->options);
    if (request.describeExtensions) {
        providers_->activateExtensions(*request.describeExtensions);
        providers_->storeSelection(job_->options);
    }
    // Thumbnail edge and text size come from the user's settings; without thumbnails asked for,
    // the providers' bitmaps are not stored.
    const AppSettings settings = AppSettings::Load(SettingsStore());
    providers_->setTextSizeMax(static_cast<uint32_t>(settings.TextSizeMax));
    ThumbnailOptions thumbnails{0, settings.bProportionalThumbnails};
    if (request.thumbnails && StartImaging())
        thumbnails.ThumbnailSize = static_cast<uint32_t>(settings.ThumbnailSize);
    UseDescriptionProviders(services, *providers_, thumbnails);
    providers_->builtin().setDiscInformation(&job_->discInformation);
}

ReadOutcome ReadSession::run() {
    if (!prepared_ || ran_)
        return ReadOutcome::Cancelled;
    outcome_ = ReadThread(*job_);
    ran_ = true;
    return outcome_;
}

ReadResult ReadSession::commit() {
    ReadResult result;
    result.update = disk_ != nullptr;
    result.outcome = outcome_;
    result.problems = job_->problems;
    CatalogItem* staged = ran_ ? job_->disk : nullptr;
    if (staged == nullptr) {
        document_.releaseLock(false);
        return result;
    }
    CatalogTree& tree = document_.tree();
    CatalogItem* stagingRoot = staging_->root();
    tree.absorb(*staging_);
    if (result.update)
        swapInUpdate(staged);
    else
        attachNewDisk(staged);
    tree.removeItem(stagingRoot, false);
    staging_.reset();
    ran_ = false;
    document_.setModified();
    result.disk = result.update ? disk_ : staged;
    // From here on the job describes the read as it lies in the document.
    job_->catalog = &tree;
    job_->disk = result.disk;
    job_->fields.folder = result.update ? nullptr : staged->parent();
    job_->fields.diskToUpdate = disk_;

    if (result.outcome == ReadOutcome::Completed && job_->options.bEjectDisk && cdDrive_ &&
        !EjectDisc(*cdDrive_))
        prompter_.warning("Cannot open the drive's door.");
    return result;
}

void ReadSession::attachNewDisk(CatalogItem* staged) {
    CatalogTree& tree = document_.tree();
    CatalogItem* folder = folder_;
    CatalogItem* inserted = staged;  // what undoing the read takes away
    for (const std::string& name : missingFolders_) {
        folder = tree.createItem(name, folder, Sorted, itemflag::Folder);
        folder->setDate(CatalogDate(std::time(nullptr)));
        if (inserted == staged)
            inserted = folder;
    }
    tree.moveItem(staged, folder, Sorted);
    tree.assignDiskNumber(staged);
    tree.setNumberAttribute(tree.root(), attr::DiskId, job_->fields.diskId + 1);
    tree.addToFolderSizes(folder, static_cast<int64_t>(staged->size()));
    document_.recordUndo(UndoKind::Insert, {&inserted, 1}, kReadDiskLabel);
    document_.notifyInserted(*inserted);
}

// The disk item stays (references to it stay valid); its contents and its own fields are
// replaced by those read.
void ReadSession::swapInUpdate(CatalogItem* staged) {
    CatalogTree& tree = document_.tree();
    CatalogItem* disk = disk_;
    const uint64_t oldSize = disk->size();
    // The step's copy of the disk takes over its former contents, which undo puts back.
    UndoStep& step = document_.recordUndo(UndoKind::SubtreeReplacement, {&disk, 1},
                                          kUpdateDiskLabel);
    CatalogItem* kept = nullptr;
    while (CatalogItem* child = disk->firstChildIgnoringLock()) {
        document_.notifyRemoving(*child);
        tree.moveItem(child, step.copies.front(), kept ? kept : First);
        document_.notifyRemoved(child, disk);
        kept = child;
    }
    tree.addToFolderSizes(disk->parent(), -static_cast<int64_t>(oldSize));

    CatalogItem* after = First;
    while (CatalogItem* child = staged->firstChildIgnoringLock()) {
        tree.moveItem(child, disk, after);
        document_.notifyInserted(*child);
        after = child;
    }
    const bool renamed = disk->name() != staged->name();
    if (renamed)
        tree.setName(disk, staged->name());
    disk->setFlags(staged->flags());
    disk->setDate(staged->date());
    while (!disk->attributes().empty())
        tree.removeAttribute(disk, disk->attributes().front().key());
    for (const ItemAttribute& attribute : staged->attributes())
        tree.setAttribute(disk, attribute);
    tree.setSize(disk, staged->size());
    tree.addToFolderSizes(disk->parent(), static_cast<int64_t>(disk->size()));
    if (renamed && disk->parent() != nullptr)
        tree.sortChildren(disk->parent());
    document_.notifyChanged(*disk);
}

}  // namespace shelfmark
