// cddb lookup / submit / settings on a catalog, import-cdplayer and check-version.
#include "cli/CdLookupCommands.h"

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogPath.h"
#include "cdlookup/CdPlayerIni.h"
#include "cdlookup/LookupController.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/Command.h"
#include "cli/TerminalPrompter.h"
#include "foundation/StringFormat.h"
#include "foundation/Utf8Text.h"
#include "platform/settings/SettingsStore.h"
#include "platform/update/UpdateCheck.h"

namespace shelfmark::cli {

namespace {

const Command kCddbLookupHelp{
    "cddb", "",
    "Usage: shelfmark-cli cddb lookup FILE [DISK...] [--all|--new] [--choose N|--first|--ask]\n"
    "                                [--site LINE]\n"
    "       shelfmark-cli cddb submit FILE DISK --xmcd RECORD --category CATEGORY\n"
    "                                [--site LINE]\n"
    "       shelfmark-cli cddb settings [--email E] [--proxy HOST:PORT] [--proxy-user U]\n"
    "                                [--proxy-password-file PATH] [--disc-format F]\n"
    "                                [--track-format F] [--save-cdplayer 0|1]\n",
    nullptr};

std::string PathText(const CatalogItem& item) {
    return text::ForTerminal(CatalogPathOf(item));
}

// A catalog opened for a command that changes it: the lock is held from the start, so that the
// items the command finds stay what they are.
struct CatalogSession {
    CountingPrompter prompter;
    CatalogDocument document{prompter};

    bool open(const std::string& path) {
        prompter.reloadChangedCatalogs();
        return OpenCatalogForCommand(document, path) && document.lockForEditing();
    }
    int save() {
        if (!document.isModified())
            return kExitSuccess;
        return document.saveCatalogFile(document.path()) ? kExitSuccess : kExitFailure;
    }
};

// The match chooser of the command line: by flag, or asked on the terminal.
class CommandLineDialogs : public LookupDialogs {
  public:
    std::optional<int> choose;  // from 1
    bool ask = false;

    MatchChoice chooseMatch(const std::string& diskName,
                            const CDiscoraQueryResult& matches) override {
        std::printf("%s: %d matches\n", text::ForTerminal(diskName).c_str(),
                    matches.GetMatchCount());
        for (int i = 0; i < matches.GetMatchCount(); ++i)
            std::printf("  %d) %s %08x %s\n", i + 1,
                        text::ForTerminal(matches.GetDiscGenre(i)).c_str(), matches.GetDiscID(i),
                        text::ForTerminal(matches.GetDiscName(i)).c_str());
        std::fflush(stdout);
        int pick = choose.value_or(0);
        if (ask) {
            std::cerr << "Choose 1-" << matches.GetMatchCount() << " (empty: none): " << std::flush;
            std::string line;
            pick = std::getline(std::cin, line) ? std::atoi(line.c_str()) : 0;
        }
        if (pick < 1 || pick > matches.GetMatchCount())
            return {};
        return {MatchChoice::Chosen, pick - 1};
    }
    bool editDisc(DiscEditor&) override { return false; }
    bool editCddbSettings() override { return false; }
};

std::string SiteOf(const ArgParser& parser) {
    return parser.valueOr("site", kDefaultCddbSite);
}

bool ValidSite(const std::string& line) {
    CDiscora probe("Halvenmoor Shelfmark", "3.30.2004");
    return probe.AddSite(line.c_str()) == 0 && probe.GetSite(0)->GetHost() != nullptr;
}

std::string ResultText(const LookupRow& row) {
    switch (row.result) {
        case RowResult::Applied:
            return "named '" + text::ForTerminal(row.description) + "'";
        case RowResult::NotFound:
            return row.description;
        case RowResult::Skipped:
            return "no match chosen; unchanged";
        case RowResult::Failed:
            return text::ForTerminal(row.description) +
                   (row.error.empty() ? "" : " (" + text::ForTerminal(row.error) + ")");
        case RowResult::None:
            break;
    }
    return "not looked up";
}

int Lookup(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("site").option("choose").flag("all").flag("new").flag("first").flag("ask");
    if (!parser.parse(args))
        return UsageError(kCddbLookupHelp, parser.error());
    const std::vector<std::string>& words = parser.positionals();
    if (words.size() < 2)
        return UsageError(kCddbLookupHelp, "lookup needs FILE");
    const bool all = parser.has("all");
    const bool fresh = parser.has("new");
    if (int(all) + int(fresh) + int(words.size() > 2) != 1)
        return UsageError(kCddbLookupHelp, "give DISK paths, --all or --new");
    if (int(parser.has("choose")) + int(parser.has("first")) + int(parser.has("ask")) > 1)
        return UsageError(kCddbLookupHelp, "give one of --choose N, --first and --ask");
    CommandLineDialogs dialogs;
    if (parser.has("choose")) {
        uint64_t pick = 0;
        if (!parser.number("choose", pick) || pick < 1 || pick > 99)
            return UsageError(kCddbLookupHelp, "--choose needs a match number from 1");
        dialogs.choose = int(pick);
    }
    if (parser.has("first"))
        dialogs.choose = 1;
    dialogs.ask = parser.has("ask") || (!dialogs.choose && isatty(STDIN_FILENO));
    const std::string site = SiteOf(parser);
    if (!ValidSite(site))
        return UsageError(kCddbLookupHelp, "--site needs seven fields and a port other than 0");

    CatalogSession session;
    if (!session.open(words[1]))
        return kExitFailure;
    std::vector<CatalogItem*> wanted;
    for (size_t i = 2; i < words.size(); ++i) {
        CatalogItem* disk = ResolveCatalogPath(session.document.tree(), words[i]);
        if (!disk || !disk->isDisk() || disk->mediaType() != MediaType::AudioCd)
            return Fail("no audio CD '" + words[i] + "' in the catalog");
        wanted.push_back(disk);
    }
    LookupController controller(session.document, SettingsStore::Instance(), dialogs, {}, site);
    controller.fill(wanted);
    if (all)
        controller.selectAll();
    if (fresh)
        controller.selectNew();

    int failures = 0;
    // Disks that were asked for but could not be checked have no table of contents.
    for (const LookupRow& row : controller.rows()) {
        const bool asked = all ||
                           std::find(wanted.begin(), wanted.end(), row.disk) != wanted.end() ||
                           (fresh && row.disk->hasAttribute(attr::ReadThisSession));
        if (asked && !row.checked) {
            std::printf("%s: no table of contents (insert the disc and read it again)\n",
                        PathText(*row.disk).c_str());
            ++failures;
        }
    }
    // Each disk is reported under the path it had before it was named.
    std::vector<std::pair<CatalogItem*, std::string>> looked;
    for (const LookupRow& row : controller.rows())
        if (row.checked)
            looked.emplace_back(row.disk, PathText(*row.disk));
    failures += controller.start();
    for (const LookupRow& row : controller.rows())
        for (const auto& [disk, path] : looked)
            if (disk == row.disk)
                std::printf("%s: %s\n", path.c_str(), ResultText(row).c_str());
    std::fflush(stdout);
    const int saved = session.save();
    return failures > 0 || saved != kExitSuccess ? kExitFailure : kExitSuccess;
}

int Submit(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("site").option("xmcd").option("category");
    if (!parser.parse(args))
        return UsageError(kCddbLookupHelp, parser.error());
    const std::vector<std::string>& words = parser.positionals();
    if (words.size() != 3 || !parser.has("xmcd") || parser.valueOr("category", "").empty())
        return UsageError(kCddbLookupHelp,
                          "submit needs FILE, DISK, --xmcd RECORD and --category CATEGORY");
    const std::string site = SiteOf(parser);
    if (!ValidSite(site))
        return UsageError(kCddbLookupHelp, "--site needs seven fields and a port other than 0");
    const CddbSettings settings = CddbSettings::Load(SettingsStore::Instance());
    if (settings.Email.empty())
        return Fail("no e-mail address: set one with 'cddb settings --email ADDRESS'");

    CatalogSession session;
    if (!session.open(words[1]))
        return kExitFailure;
    CatalogItem* disk = ResolveCatalogPath(session.document.tree(), words[2]);
    if (!disk || !disk->isDisk() || disk->mediaType() != MediaType::AudioCd)
        return Fail("no audio CD '" + words[2] + "' in the catalog");
    const std::optional<std::vector<uint32_t>> offsets = TocOffsets(*disk);
    if (!offsets)
        return Fail(PathText(*disk) + ": no table of contents");

    CDiscoraDisc disc;
    const std::string record = parser.valueOr("xmcd", "");
    if (!LoadRecord(record, parser.valueOr("category", ""), disc))
        return Fail("not a readable xmcd record: " + record);
    // The record must describe this disk: the same track starts.
    bool same = disc.GetTrackCount() == int(offsets->size()) - 1;
    for (int i = 1; same && i <= disc.GetTrackCount(); ++i) {
        CDiscoraTrack track;
        same = disc.GetTrack(i, track) && track.GetFrameOffset() == (*offsets)[size_t(i - 1)];
    }
    if (!same)
        return Fail("the record's track frame offsets are not those of " + PathText(*disk));

    CommandLineDialogs dialogs;
    LookupController controller(session.document, SettingsStore::Instance(), dialogs, {}, site);
    controller.fill();
    const auto& rows = controller.rows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [disk](const LookupRow& entry) { return entry.disk == disk; });
    if (row == rows.end())
        return Fail("no audio CD '" + words[2] + "' in the catalog");
    controller.apply(size_t(row - rows.begin()), disc);
    const int saved = session.save();
    if (!controller.submit(disc))
        return Fail("CDDB submission failed: " + std::string(controller.client().GetLastError()));
    std::printf("submitted %s %08x\n", text::ForTerminal(disc.GetCategory()).c_str(),
                disc.GetDiscID());
    return saved;
}

std::optional<std::string> FirstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || (!std::getline(in, line) && !in.eof()))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

int Settings(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("email")
        .option("proxy")
        .option("proxy-user")
        .option("proxy-password-file")
        .option("disc-format")
        .option("track-format")
        .option("save-cdplayer");
    if (!parser.parse(args))
        return UsageError(kCddbLookupHelp, parser.error());
    if (parser.positionals().size() != 1)
        return UsageError(kCddbLookupHelp, "settings takes only options");
    SettingsStore& store = SettingsStore::Instance();
    CddbSettings settings = CddbSettings::Load(store);
    const CddbSettings before = settings;
    if (const auto email = parser.value("email"))
        settings.Email = *email;
    if (const auto proxy = parser.value("proxy")) {
        if (proxy->empty()) {
            settings.Host.clear();
        } else {
            const size_t colon = proxy->rfind(':');
            uint64_t port = 0;
            const std::string digits = colon == std::string::npos ? "" : proxy->substr(colon + 1);
            if (colon == 0 || digits.empty() || digits.size() > 5 ||
                digits.find_first_not_of("0123456789") != std::string::npos)
                return UsageError(kCddbLookupHelp, "--proxy needs HOST:PORT");
            port = std::stoull(digits);
            settings.Host = proxy->substr(0, colon);
            settings.Port = uint32_t(port);
        }
    }
    if (const auto user = parser.value("proxy-user"))
        settings.Name = *user;
    if (const auto file = parser.value("proxy-password-file")) {
        const std::optional<std::string> password = FirstLine(*file);
        if (!password)
            return Fail("cannot read the password file '" + *file + "'");
        settings.Password = *password;
    }
    if (const auto format = parser.value("disc-format")) {
        settings.DiscFormat = *format;
        settings.bUseDiscFormat = !format->empty();
    }
    if (const auto format = parser.value("track-format")) {
        settings.TrackFormat = *format;
        settings.bUseTrackFormat = !format->empty();
    }
    if (const auto save = parser.value("save-cdplayer")) {
        if (*save != "0" && *save != "1")
            return UsageError(kCddbLookupHelp, "--save-cdplayer is 0 or 1");
        settings.bSaveDiscInfo = *save == "1";
    }
    if (!(settings == before)) {
        if (const std::optional<std::string> problem = settings.checkCddbPage())
            return Fail(*problem);
        settings.save(store);
        if (!store.save())
            return Fail("cannot write the settings to " + store.path());
    }
    std::printf(
        "bUseDiscFormat=%d\nDiscFormat=%s\nbUseTrackFormat=%d\nTrackFormat=%s\n"
        "bSaveDiscInfo=%d\nEmail=%s\nHost=%s\nPort=%u\nName=%s\nPassword=%s\n",
        int(settings.bUseDiscFormat), text::ForTerminal(settings.DiscFormat).c_str(),
        int(settings.bUseTrackFormat), text::ForTerminal(settings.TrackFormat).c_str(),
        int(settings.bSaveDiscInfo), text::ForTerminal(settings.Email).c_str(),
        text::ForTerminal(settings.Host).c_str(), settings.shownPort(),
        text::ForTerminal(settings.Name).c_str(), settings.Password.empty() ? "(none)" : "(set)");
    return kExitSuccess;
}

// ---------------------------------------------------------------------------------------------

int RunImportCdPlayer(const std::vector<std::string>& args);
const Command kImportCdPlayerCommand{
    "import-cdplayer", "add the audio CDs listed in cdplayer.ini to a catalog",
    "Usage: shelfmark-cli import-cdplayer FILE [--ini PATH] [--into FOLDER] [--new-folder NAME]\n"
    "                                     [--only SECTION...] [--list]\n"
    "\n"
    "Adds one audio-CD disk per disc of cdplayer.ini (default: the one in the configuration\n"
    "directory), with a TrackNN.cda item per title, named by the CDDB naming formats, into\n"
    "FOLDER (default the root) or a new folder NAME inside it, as one undoable step, and saves\n"
    "FILE. --only (repeatable) imports only those sections; --list only lists the discs.\n",
    RunImportCdPlayer};
const CommandRegistration kImportCdPlayer(kImportCdPlayerCommand);

int RunImportCdPlayer(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("ini").option("into").option("new-folder").option("only").flag("list");
    if (!parser.parse(args))
        return UsageError(kImportCdPlayerCommand, parser.error());
    if (parser.positionals().size() != 1)
        return UsageError(kImportCdPlayerCommand, "expected FILE");
    if (parser.has("new-folder") && parser.valueOr("new-folder", "").empty())
        return UsageError(kImportCdPlayerCommand, "--new-folder needs a NAME");
    const CddbSettings settings = CddbSettings::Load(SettingsStore::Instance());
    const std::string ini = parser.valueOr("ini", kCdPlayerIniName);
    std::vector<CdPlayerEntry> discs = ListCdPlayerDiscs(settings.discFormat(), ini);
    if (parser.has("only")) {
        const std::vector<std::string> only = parser.values("only");
        for (const std::string& section : only)
            if (std::none_of(discs.begin(), discs.end(), [&](const CdPlayerEntry& disc) {
                    return text::EqualsNoCase(disc.section, section);
                }))
                return Fail("no section [" + section + "] in " + ini);
        std::erase_if(discs, [&](const CdPlayerEntry& disc) {
            return std::none_of(only.begin(), only.end(), [&](const std::string& section) {
                return text::EqualsNoCase(disc.section, section);
            });
        });
    }
    if (parser.has("list")) {
        for (const CdPlayerEntry& disc : discs)
            std::printf("[%s] %s\n", text::ForTerminal(disc.section).c_str(),
                        text::ForTerminal(disc.name).c_str());
        return kExitSuccess;
    }
    if (discs.empty())
        return Fail("no discs to import from " + ini);

    CatalogSession session;
    if (!session.open(parser.positionals()[0]))
        return kExitFailure;
    CdPlayerImport request;
    request.target = session.document.tree().root();
    if (const auto into = parser.value("into")) {
        request.target = ResolveCatalogPath(session.document.tree(), *into);
        if (!request.target || !request.target->isFolder())
            return Fail("no folder '" + *into + "' in the catalog");
    }
    request.newFolder = parser.value("new-folder");
    request.discs = discs;
    request.trackFormat = settings.trackFormat();
    request.iniPath = ini;
    std::vector<CatalogItem*> created;
    if (ImportFromCdPlayer(session.document, request, &created) != EditStatus::Done ||
        session.prompter.errors > 0)
        return kExitFailure;
    for (const CatalogItem* disk : created) {
        size_t tracks = 0;
        for (const CatalogItem* track = disk->firstChild(); track; track = track->next())
            ++tracks;
        std::printf("added %s (%zu tracks)\n", PathText(*disk).c_str(), tracks);
    }
    return session.save();
}

// ---------------------------------------------------------------------------------------------

int RunCheckVersion(const std::vector<std::string>& args);
const Command kCheckVersionCommand{
    "check-version", "ask the web site whether a newer version of the program exists",
    "Usage: shelfmark-cli check-version [--url URL]\n"
    "\n"
    "Fetches the version record (default: the UpdateUrl setting, else the project's own) and\n"
    "tells whether it names a newer version than this one. Exits with 1 when it cannot be\n"
    "fetched (\"Failed.\"); a record that is not a version record prints nothing.\n",
    RunCheckVersion};
const CommandRegistration kCheckVersion(kCheckVersionCommand);

int RunCheckVersion(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("url");
    if (!parser.parse(args))
        return UsageError(kCheckVersionCommand, parser.error());
    if (!parser.positionals().empty())
        return UsageError(kCheckVersionCommand, "takes no operands");
    const std::string url = parser.valueOr("url", UpdateUrl(SettingsStore::Instance()));
    const UpdateCheckResult result = CheckForUpdate(url);
    switch (result.outcome) {
        case UpdateOutcome::Failed:
            return Fail(result.message);
        case UpdateOutcome::Newer:
            std::printf("%s\n%s\n", text::ForTerminal(result.message).c_str(),
                        std::string(kHomePageUrl).c_str());
            break;
        case UpdateOutcome::Latest:
            std::printf("%s\n", result.message.c_str());
            break;
        case UpdateOutcome::Silent:
            break;
    }
    return kExitSuccess;
}

}  // namespace

bool IsCatalogCddbAction(const std::vector<std::string>& args) {
    if (args.empty())
        return false;
    if (args[0] == "lookup" || args[0] == "settings")
        return true;
    return args[0] == "submit" && std::any_of(args.begin(), args.end(), [](const std::string& arg) {
               return arg == "--xmcd" || arg.starts_with("--xmcd=");
           });
}

int RunCatalogCddbAction(const std::vector<std::string>& args) {
    if (args[0] == "lookup")
        return Lookup(args);
    if (args[0] == "settings")
        return Settings(args);
    return Submit(args);
}

}  // namespace shelfmark::cli
