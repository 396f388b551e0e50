// read, update, drives: cataloguing a mounted volume or a folder as a disk, reading a disk
// again, and the drives the program sees.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/Definitions.h"
#include "cli/ArgParser.h"
#include "cli/CatalogPasswords.h"
#include "cli/CategoryEdits.h"
#include "cli/Command.h"
#include "cli/InterruptCancels.h"
#include "cli/TerminalPrompter.h"
#include "foundation/FileStamp.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"
#include "foundation/ValueTexts.h"
#include "platform/volumes/VolumeIdentity.h"
#include "platform/volumes/Volumes.h"
#include "reading/engine/ReadSession.h"
#include "reading/profiles/ReadProfiles.h"

namespace shelfmark::cli {

namespace {

int RunRead(const std::vector<std::string>& args);
int RunUpdate(const std::vector<std::string>& args);
int RunDrives(const std::vector<std::string>& args);

#define SHELFMARK_READ_OPTIONS_HELP                                                               \
    "Options (defaults come from the read profile \"Default\", or from --profile):\n"             \
    "  --name NAME            the disk's name (default: the volume label for a mount point,\n"    \
    "                         else the folder's last component)\n"                                \
    "  --id N                 the Disk ID, 1 to 65535 (default: the next one the catalog "        \
    "offers)\n"                                                                                   \
    "  --description TEXT     the disk's description\n"                                           \
    "  --category ID          a category id (1-255) for the disk; up to four times\n"             \
    "  --extra FIELD=VALUE    the disk's extra-information field FIELD, as extra --set takes\n"   \
    "                         it (0 or an empty value deletes it); may be repeated\n"             \
    "  --media KIND           cd, audio, vcd, removable, hdd or network instead of the type\n"    \
    "                         the drive gives\n"                                                  \
    "  --rewritable           the medium is rewritable\n"                                         \
    "  --profile NAME         take the options of read profile NAME\n"                            \
    "  --save-profile NAME    store the options used under read profile NAME\n"                   \
    "  --crc32, --md5         compute the CRC-32 / MD5 of every file\n"                           \
    "  --crc32-max-kb N       no CRC-32 for files of N KB or more (also --md5-max-kb N)\n"        \
    "  --archives LIST        read the contents of archives: zip,jar,rar,cab,ace,arj or all\n"    \
    "  --sfx                  look for archives inside .exe files\n"                              \
    "  --archive-crc32        store the CRC-32 of the files inside archives\n"                    \
    "  --no-files             store directories only (their sizes still count every file)\n"      \
    "  --no-empty-dirs        do not store empty directories\n"                                   \
    "  --ext LIST             only files with these extensions, '.'-separated: jpg.png\n"         \
    "  --describe LIST        have the description providers describe the files with these\n"     \
    "                         extensions (mp3,exe or all; default: the profile's choice)\n"       \
    "  --thumbnails           store thumbnails the providers make (ThumbnailSize and\n"           \
    "                         bProportionalThumbnails of settings.ini)\n"                         \
    "\n"                                                                                          \
    "  --cd-text              name an audio CD and its tracks from CD-Text when it has some\n"    \
    "  --cdrom-sim FILE       read the simulated CD drive FILE describes (see samples/cdrom/);\n" \
    "                         ROOT is left out then\n"                                            \
    "\n"                                                                                          \
    "ROOT may also be a CD drive's device node (/dev/sr0): an audio CD gets one item per\n"       \
    "track; the data part of a mixed-mode disc is read from the drive's mount point.\n"           \
    "A disk is one volume: mount points below ROOT are not entered. Symbolic links are\n"         \
    "stored as files and never followed; sockets, FIFOs and device nodes are left out.\n"         \
    "Ctrl-C cancels: a new disk is not added and the file is not written; a cancelled\n"          \
    "update keeps what it had read so far.\n"                                                     \
    "Nothing is read when FILE cannot be written. A directory that cannot be entered, or a\n"     \
    "file that cannot be read for its checksums, is reported on standard error and the read\n"    \
    "goes on; the catalog is saved and the exit status is then 3.\n"

const CommandRegistration kRead({
    "read",
    "read a mounted volume or a folder into a catalog as a new disk",
    "Usage: shelfmark-cli read FILE ROOT [options]\n"
    "\n"
    "Reads the directory tree of ROOT (a mount point, or any folder) into the catalog FILE as a\n"
    "new disk, and saves FILE (created when missing).\n"
    "\n"
    "  --folder PATH          the catalog folder to insert the disk in (\"Music\\Jazz\"; default:\n"
    "                         the catalog's top)\n"
    "  --parents              create the folders of --folder that are "
    "missing\n" SHELFMARK_READ_OPTIONS_HELP,
    RunRead,
});

const CommandRegistration kUpdate({
    "update",
    "read a disk of a catalog again from its volume or folder",
    "Usage: shelfmark-cli update FILE DISK ROOT [options]\n"
    "\n"
    "Reads ROOT again into the disk DISK of the catalog FILE, named by its catalog path\n"
    "(\"Backups\\Photos 2003\") or by its Disk ID. Items found again keep what was stored on them\n"
    "(descriptions, checksums, extra information); items no longer there are removed.\n"
    "The disk keeps its name, Disk ID, description and categories unless options change them.\n"
    "ROOT must lie on the volume the disk was read from (the same volume serial number):\n"
    "\n"
    "  --force                update from a volume with another serial number\n"
    "\n" SHELFMARK_READ_OPTIONS_HELP,
    RunUpdate,
});

const CommandRegistration kDrives({
    "drives",
    "list the drives (mounted volumes) the program can read",
    "Usage: shelfmark-cli drives\n"
    "\n"
    "Lists the mounted volumes that hold real file systems, in drive index order: the index,\n"
    "mount point, drive type (fixed, removable, CD-ROM, remote), volume serial number, free\n"
    "space and volume label.\n",
    RunDrives,
});

// Messages of the read go to standard error (clearing the progress line first); questions get
// their default answer.
class StderrPrompter final : public TerminalPrompter {
  public:
    // The progress line, on a terminal only.
    void progress(const ReadProgress& progress) {
        if (!terminal_)
            return;
        std::string line = StringPrintf("%llu directories, %llu files, %llu bytes  ",
                                        static_cast<unsigned long long>(progress.directories),
                                        static_cast<unsigned long long>(progress.files),
                                        static_cast<unsigned long long>(progress.bytes));
        std::string path = progress.directory ? *progress.directory : std::string();
        const size_t room = line.size() < 79 ? 79 - line.size() : 0;
        if (path.size() > room)
            path =
                "..." + path.substr(path.size() - std::min(path.size(), room > 3 ? room - 3 : 0));
        line += text::ForTerminal(path);
        std::fprintf(stderr, "\r%-79s", line.c_str());
        std::fflush(stderr);
        shown_ = true;
    }
    void beforeMessage() override { clearProgress(); }
    void clearProgress() {
        if (shown_)
            std::fprintf(stderr, "\r%79s\r", "");
        shown_ = false;
    }

  private:
    bool terminal_ = ::isatty(STDERR_FILENO) == 1;
    bool shown_ = false;
};

ArgParser ReadArguments(bool newDisk) {
    ArgParser parser;
    for (const char* option :
         {"name", "id", "description", "category", "extra", "media", "profile", "save-profile",
          "crc32-max-kb", "md5-max-kb", "archives", "ext", "describe"})
        parser.option(option);
    for (const char* flag : {"rewritable", "crc32", "md5", "sfx", "archive-crc32", "no-files",
                             "no-empty-dirs", "cd-text", "thumbnails"})
        parser.flag(flag);
    parser.option("cdrom-sim");
    if (newDisk) {
        parser.option("folder");
        parser.flag("parents");
    } else {
        parser.flag("force");
    }
    return parser;
}

std::optional<MediaType> ParseMedia(std::string_view text) {
    if (text == "cd")
        return MediaType::CdRom;
    if (text == "audio")
        return MediaType::AudioCd;
    if (text == "vcd")
        return MediaType::VideoCd;
    if (text == "removable")
        return MediaType::Removable;
    if (text == "hdd")
        return MediaType::HardDisk;
    if (text == "network")
        return MediaType::Network;
    return std::nullopt;
}

// Applies the option switches on top of the profile's values; false with `error` set on a bad
// value.
bool ApplyOptions(ArgParser& parser, ReadOptions& options, std::string& error) {
    options.bCalcCRC32 = options.bCalcCRC32 || parser.has("crc32");
    options.bCalcMD5 = options.bCalcMD5 || parser.has("md5");
    options.bCheckEXEs = options.bCheckEXEs || parser.has("sfx");
    options.bStoreArchiveCRC32 = options.bStoreArchiveCRC32 || parser.has("archive-crc32");
    options.bNoFiles = options.bNoFiles || parser.has("no-files");
    options.bNoEmptyDirs = options.bNoEmptyDirs || parser.has("no-empty-dirs");
    options.bEnableCDText = options.bEnableCDText || parser.has("cd-text");
    // A size limit turns its checksum on as well.
    auto limit = [&](const std::string& option, bool& calculate, bool& limited, int& maxKb) {
        uint64_t kb = 0;
        if (!parser.has(option))
            return true;
        if (!parser.number(option, kb) || kb > INT32_MAX) {
            error = "--" + option + " wants a number of KB";
            return false;
        }
        calculate = limited = true;
        maxKb = static_cast<int>(kb);
        return true;
    };
    if (!limit("crc32-max-kb", options.bCalcCRC32, options.bLimitCRC32Size, options.MaxCRC32Size) ||
        !limit("md5-max-kb", options.bCalcMD5, options.bLimitMD5Size, options.MaxMD5Size))
        return false;
    if (auto list = parser.value("archives")) {
        std::string rest = *list;
        while (!rest.empty()) {
            const size_t comma = rest.find(',');
            const std::string kind = text::FoldCase(rest.substr(0, comma));
            rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
            const bool all = kind == "all";
            bool known = all;
            auto take = [&](const char* name, bool& option) {
                if (all || kind == name) {
                    option = true;
                    known = true;
                }
            };
            take("zip", options.bReadZIPs);
            take("jar", options.bReadJARs);
            take("rar", options.bReadRARs);
            take("cab", options.bReadCABs);
            take("ace", options.bReadACEs);
            take("arj", options.bReadARJs);
            if (!known && !kind.empty()) {
                error = "unknown archive kind '" + kind + "' (zip, jar, rar, cab, ace, arj or all)";
                return false;
            }
        }
    }
    if (auto ext = parser.value("ext"))
        options.ExtList = ExtensionList(*ext);
    return true;
}

// The disk fields the options give; false with `error` set on a bad value.
bool ApplyFields(ArgParser& parser, ReadRequest& request, std::string& error) {
    request.name = parser.value("name");
    if (parser.has("id")) {
        uint64_t id = 0;
        if (!parser.number("id", id) || id < 1 || id > 65535) {
            error = "--id wants a number from 1 to 65535";
            return false;
        }
        request.diskId = static_cast<uint32_t>(id);
    }
    request.description = parser.value("description");
    const std::vector<std::string> categories = parser.values("category");
    if (!categories.empty()) {
        if (categories.size() > 4) {
            error = "at most four categories";
            return false;
        }
        uint32_t packed = 0;
        int shift = 0;
        for (const std::string& text : categories) {
            char* end = nullptr;
            const unsigned long id = std::strtoul(text.c_str(), &end, 10);
            if (text.empty() || *end != '\0' || id < 1 || id > 255) {
                error = "--category wants a category id from 1 to 255";
                return false;
            }
            packed |= static_cast<uint32_t>(id) << shift;
            shift += 8;
        }
        request.categories = packed;
    }
    if (auto media = parser.value("media")) {
        request.media = ParseMedia(*media);
        if (!request.media) {
            error = "--media wants cd, audio, vcd, removable, hdd or network";
            return false;
        }
    }
    request.rewritable = parser.has("rewritable");
    return true;
}

// A catalog file this command created empty, removed again unless the command saved into it.
class CreatedCatalog {
  public:
    CreatedCatalog() = default;
    CreatedCatalog(const CreatedCatalog&) = delete;
    CreatedCatalog& operator=(const CreatedCatalog&) = delete;
    ~CreatedCatalog() {
        // Only while it is still the empty file written here.
        if (stamp_ && StampOfFile(path_) == stamp_)
            ::unlink(path_.c_str());
    }
    void created(const std::string& path, const std::optional<FileStamp>& stamp) {
        path_ = path;
        stamp_ = stamp;
    }
    void keep() { stamp_.reset(); }

  private:
    std::string path_;
    std::optional<FileStamp> stamp_;
};

// A missing catalog is first created empty in one step, so that the read works on a file like
// any change: under its lock, and never written over when another process creates it meanwhile
// (that file is used instead).
bool CreateEmptyCatalog(const std::string& path, CreatedCatalog& created) {
    CatalogTree empty;
    empty.resetToNewCatalog();
    std::string error;
    std::optional<FileStamp> written;
    if (SaveCatalogTo(path, empty, &error, &written, Replace::Never)) {
        created.created(path, written);
        return true;
    }
    if (StampOfFile(path))
        return true;
    Fail(Str(102) + " " + error);
    return false;
}

int RunReadCommand(const Command& command, const std::vector<std::string>& args, bool update) {
    ArgParser parser = ReadArguments(!update);
    if (!parser.parse(args))
        return UsageError(command, parser.error());
    const std::vector<std::string>& positionals = parser.positionals();
    const std::optional<std::string> simulation = parser.value("cdrom-sim");
    const size_t needed = (update ? 3u : 2u) - (simulation ? 1u : 0u);
    if (positionals.size() != needed)
        return UsageError(command,
                          update ? "FILE, DISK and ROOT are needed" : "FILE and ROOT are needed");
    const std::string file = positionals[0];

    ReadRequest request;
    request.root = simulation ? std::string() : positionals.back();
    request.cdSimulation = simulation.value_or("");
    request.catalogPath = file;
    if (update)
        request.diskToUpdate = positionals[1];
    request.folder = parser.valueOr("folder", "");
    request.createFolders = parser.has("parents");
    request.describeExtensions = parser.value("describe");
    request.thumbnails = parser.has("thumbnails");
    request.otherVolume = parser.has("force");

    StderrPrompter prompter;
    // A catalog another process saved since it was read is read again under the lock.
    prompter.reloadChangedCatalogs();
    CatalogDocument document(prompter);
    UnlockWhenOpening(document);
    CreatedCatalog created;
    if (!StampOfFile(file)) {
        if (update)
            return Fail("cannot read the catalog '" + file + "': " + std::strerror(ENOENT));
        if (!CreateEmptyCatalog(file, created))
            return kExitFailure;
    }
    if (!document.openCatalogFile(file))
        return kExitFailure;

    ReadSession session(document, prompter);
    request.options = session.loadProfile(parser.valueOr("profile", kDefaultProfileSection));
    std::string error;
    if (!ApplyOptions(parser, request.options, error) || !ApplyFields(parser, request, error))
        return UsageError(command, error);
    // The fields named are replaced (an update's others stay); they go with the read, so they
    // are in the catalog only when the read is.
    CatalogDefinitions definitions;
    definitions.reload(*document.tree().root());
    for (const std::string& assignment : parser.values("extra")) {
        ExtraInfoRow row;
        if (const int exitStatus =
                ParseExtraAssignment(command, "extra", definitions, assignment, file, row);
            exitStatus != kExitSuccess)
            return exitStatus;
        std::erase_if(request.extraInfo.rows,
                      [&](const ExtraInfoRow& given) { return given.key == row.key; });
        request.extraInfo.listedKeys.push_back(row.key);
        request.extraInfo.rows.push_back(std::move(row));
    }

    // Each file or directory that could not be read is one line on standard error.
    session.setProblemHandler(
        [&prompter](const ReadProblem& problem) { prompter.warning(problem.message); });
    session.setProgressHandler(
        [&prompter](const ReadProgress& progress) { prompter.progress(progress); });
    switch (session.prepare(request)) {
        case PrepareResult::Ready:
            break;
        case PrepareResult::OtherVolume:
            return Fail("the disk was not updated (--force updates it from this volume)");
        case PrepareResult::Failed:
            return kExitFailure;
    }
    if (auto name = parser.value("save-profile"); name && !session.saveProfile(*name))
        prompter.warning("cannot store the read profile '" + *name + "'");

    {
        InterruptCancels interrupt(session.cancelFlag());
        session.run();
    }
    prompter.clearProgress();
    const ReadResult result = session.commit();
    if (result.outcome == ReadOutcome::Cancelled && !update)
        return Fail("read cancelled; the catalog was not changed");
    if (!document.saveCatalogFile(file))
        return kExitFailure;
    created.keep();
    if (result.outcome == ReadOutcome::Cancelled)
        return Fail("update cancelled; the disk keeps what was read so far");

    const CatalogStatistics stats = document.tree().gatherStatistics(result.disk, false);
    std::printf("%s '%s' (Disk ID %04u): %llu directories, %llu files, %llu bytes\n",
                update ? "Updated" : "Read", text::ForTerminal(result.disk->name()).c_str(),
                result.disk->numberAttribute(attr::DiskId).value_or(0),
                static_cast<unsigned long long>(stats.directories),
                static_cast<unsigned long long>(stats.files),
                static_cast<unsigned long long>(result.disk->size()));
    if (result.problems.any()) {
        prompter.warning(ProblemSummary(result.problems));
        return kExitIncomplete;
    }
    return kExitSuccess;
}

int RunRead(const std::vector<std::string>& args) {
    return RunReadCommand(*FindCommand("read"), args, false);
}
int RunUpdate(const std::vector<std::string>& args) {
    return RunReadCommand(*FindCommand("update"), args, true);
}

int RunDrives(const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError(*FindCommand("drives"), "no arguments expected");
    const std::vector<Volume> drives = ListDrives();
    std::printf("%-5s %-9s %-9s %12s  %-20s %s\n", "Index", "Type", "Serial", "Free", "Label",
                "Mount point");
    for (size_t i = 0; i < drives.size(); ++i) {
        const Volume& volume = drives[i];
        std::printf("%-5zu %-9s %-9s %12s  %-20s %s\n", i,
                    std::string(DriveTypeName(volume.type)).c_str(),
                    FormatVolumeSerial(volume.serial).c_str(),
                    SizeText(FreeBytes(volume.mountPoint), SizeTextMode::Automatic).c_str(),
                    text::ForTerminal(volume.label).c_str(),
                    text::ForTerminal(volume.mountPoint).c_str());
    }
    return kExitSuccess;
}

}  // namespace

}  // namespace shelfmark::cli
