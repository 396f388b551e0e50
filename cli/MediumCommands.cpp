// Commands that reach the real files of catalogued disks: locate, open.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/CatalogPath.h"
#include "catalog/InsertDiskPrompt.h"
#include "catalog/LocateDisk.h"
#include "catalog/MediumPath.h"
#include "catalog/OpenOnMedium.h"
#include "cli/ArgParser.h"
#include "cli/CatalogPasswords.h"
#include "cli/Command.h"
#include "cli/TerminalPrompter.h"
#include "platform/desktop/DesktopOpen.h"
#include "platform/volumes/VolumeIdentity.h"
#include "platform/volumes/VolumeWatcher.h"

namespace shelfmark::cli {
namespace {

std::string NotMountedText(std::string_view diskName, std::optional<uint32_t> serial) {
    const std::string disk = "disk '" + std::string(diskName) + "'";
    if (!serial)
        return disk + " has no volume serial number to find its medium by";
    return disk + " (serial number " + FormatVolumeSerial(*serial) + ") is not mounted";
}

// The volume watcher's changes, handed from its thread to the waiting command.
class ChangeQueue {
  public:
    ChangeQueue() : wake_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~ChangeQueue() {
        if (wake_ >= 0)
            ::close(wake_);
    }
    ChangeQueue(const ChangeQueue&) = delete;
    ChangeQueue& operator=(const ChangeQueue&) = delete;

    int fd() const { return wake_; }
    void push(const VolumeChange& change) {
        const std::lock_guard lock(mutex_);
        changes_.push_back(change);
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
    }
    std::vector<VolumeChange> take() {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = ::read(wake_, &count, sizeof count);
        const std::lock_guard lock(mutex_);
        return std::exchange(changes_, {});
    }

  private:
    int wake_;
    std::mutex mutex_;
    std::vector<VolumeChange> changes_;
};

// At a terminal the user can still insert the disk: the prompt watches volumes being mounted
// until the right medium arrives, and Enter gives up. Without a terminal nobody can insert
// anything, and the prompt ends with Cancel at once. Either way the wanted disk is named.
class TerminalInsertDialog : public InsertDiskDialog {
  public:
    bool run(InsertDiskPrompt& prompt) override {
        const InsertDiskRequest& wanted = prompt.request();
        if (::isatty(STDIN_FILENO) == 0 || ::isatty(STDERR_FILENO) == 0) {
            Fail(NotMountedText(wanted.diskName, wanted.wantedSerial));
            prompt.cancel();
            return false;
        }
        ChangeQueue queue;
        VolumeWatcher watcher([&queue](const VolumeChange& change) { queue.push(change); });
        std::string error;
        if (queue.fd() < 0 || !watcher.start(error)) {
            Fail(NotMountedText(wanted.diskName, wanted.wantedSerial) + "; " + error);
            prompt.cancel();
            return false;
        }
        std::fprintf(stderr, "%s\nWaiting for it to be mounted; press Enter to give up.\n",
                     prompt.explanation().c_str());
        // A medium mounted since the drives were listed counts as arrived.
        for (const Volume& volume : watcher.volumes())
            prompt.volumeArrived(volume);
        while (prompt.state() == InsertDiskPrompt::State::Open) {
            pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {queue.fd(), POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                break;
            if (fds[0].revents != 0)
                break;  // Enter, or the end of the input
            for (const VolumeChange& change : queue.take()) {
                if (change.kind == VolumeChange::Kind::Arrived)
                    prompt.volumeArrived(change.volume);
                else
                    prompt.volumeRemoved(change.volume);
            }
        }
        watcher.stop();
        prompt.cancel();  // still open: the user gave up
        return prompt.state() == InsertDiskPrompt::State::Ok;
    }
};

// Opens FILE and finds the items at the paths; false (after saying why) when one is missing.
bool OpenWithItems(CatalogDocument& document, const std::vector<std::string>& positionals,
                   std::vector<CatalogItem*>& items) {
    document.setShowConvertHint(kConvertHintSuppressed);
    if (!document.openCatalogFile(positionals[0]))
        return false;
    for (size_t i = 1; i < positionals.size(); ++i) {
        CatalogItem* item = ResolveCatalogPath(document.tree(), positionals[i]);
        if (item == nullptr) {
            Fail("no item '" + positionals[i] + "' in the catalog");
            return false;
        }
        items.push_back(item);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------

int RunLocate(const std::vector<std::string>& args);
const Command kLocateCommand{
    "locate", "print the real paths of catalogued items on their mounted media",
    "Usage: shelfmark-cli locate FILE PATH...\n"
    "\n"
    "Prints, one line each, where the items at the catalog paths PATH lie on their\n"
    "media: the mount point of the volume that holds the item's disk, the folder\n"
    "that was read as the disk, and the item's path inside the disk. A disk's\n"
    "medium is the mounted volume of the disk's drive type (CD-ROM, removable,\n"
    "fixed, remote) with the disk's volume serial number. An item whose medium is\n"
    "not mounted is named on standard error with its disk and serial number, and\n"
    "the exit status is 1; the other items are still printed. So is an item that\n"
    "lies inside an archive (the archive's path is named) or outside any disk.\n",
    RunLocate};
const CommandRegistration kLocate(kLocateCommand);

int RunLocate(const std::vector<std::string>& args) {
    ArgParser parser;
    if (!parser.parse(args))
        return UsageError(kLocateCommand, parser.error());
    if (parser.positionals().size() < 2)
        return UsageError(kLocateCommand, "expected FILE and at least one PATH");
    TerminalPrompter prompter;
    CatalogDocument document(prompter);
    UnlockWhenOpening(document);
    std::vector<CatalogItem*> items;
    if (!OpenWithItems(document, parser.positionals(), items))
        return kExitFailure;
    const std::vector<Volume> drives = ListDrives();
    int status = kExitSuccess;
    for (size_t i = 0; i < items.size(); ++i) {
        const CatalogItem* item = items[i];
        const CatalogItem* disk = item->disk();
        if (disk == nullptr) {
            status = Fail("'" + parser.positionals()[i + 1] + "' is not on a disk");
            continue;
        }
        const std::optional<Volume> medium = FindMountedMedium(*disk, drives);
        if (!medium) {
            status = Fail(NotMountedText(disk->name(), disk->numberAttribute(attr::VolumeSerial)));
            continue;
        }
        if (const CatalogItem* archive = item->archive()) {
            status = Fail("'" + parser.positionals()[i + 1] + "' lies inside the archive " +
                          RealPathOnMedium(*archive, *medium));
            continue;
        }
        std::printf("%s\n", RealPathOnMedium(*item, *medium).c_str());
    }
    return status;
}

// ---------------------------------------------------------------------------------------------

int RunOpen(const std::vector<std::string>& args);
const Command kOpenCommand{
    "open", "open catalogued files from their media with the default application",
    "Usage: shelfmark-cli open FILE PATH...\n"
    "\n"
    "Opens the files at the catalog paths PATH from their mounted media with the\n"
    "desktop's default application for their type (xdg-open, else gio open), in\n"
    "the file's folder. Media are found as by locate. When a disk's medium is not\n"
    "mounted and the command runs at a terminal, it asks for the disk and waits\n"
    "until a volume with the disk's serial number is mounted (Enter gives up);\n"
    "otherwise it stops there with exit status 1. Directories, disks and\n"
    "folders are not opened, nor items inside archives; a file missing from its\n"
    "medium is reported. A shortcut opens its target.\n",
    RunOpen};
const CommandRegistration kOpen(kOpenCommand);

int RunOpen(const std::vector<std::string>& args) {
    ArgParser parser;
    if (!parser.parse(args))
        return UsageError(kOpenCommand, parser.error());
    if (parser.positionals().size() < 2)
        return UsageError(kOpenCommand, "expected FILE and at least one PATH");
    TerminalPrompter prompter;
    CatalogDocument document(prompter);
    UnlockWhenOpening(document);
    std::vector<CatalogItem*> items;
    if (!OpenWithItems(document, parser.positionals(), items))
        return kExitFailure;
    TerminalInsertDialog dialog;
    const OpenOnMediumResult result = OpenOnMedium(
        document, items, ListDrives(), &dialog, [](const std::string& path, std::string& error) {
            return OpenWithDefaultApplication(path, error);
        });
    if (result.containerToShow != nullptr)
        Fail("'" + document.tree().pathText(result.containerToShow, pathmode::Display) +
             "' is not a file; only files are opened (locate prints where it is)");
    const bool failed = result.containerToShow != nullptr || result.refused || result.notFound;
    return failed ? kExitFailure : kExitSuccess;
}

}  // namespace
}  // namespace shelfmark::cli
