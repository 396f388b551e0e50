// Item lists: profiles (the item-list profiles), list (a list built from a profile) and
// export-list (the same list written as CSV, text, XML, PDF or on a printer). The profiles,
// the list walk, the row texts and the writers live in lists/; this file parses and prints.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "catalog/CatalogPath.h"
#include "catalog/Definitions.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/Command.h"
#include "cli/InterruptCancels.h"
#include "cli/ItemJson.h"
#include "cli/ListOutput.h"
#include "cli/TerminalPrompter.h"
#include "foundation/CancelFlag.h"
#include "foundation/ConfigDirectory.h"
#include "foundation/LanguageTexts.h"
#include "foundation/NumberFormat.h"
#include "foundation/ProfileFile.h"
#include "foundation/ProfileUpdate.h"
#include "foundation/Utf8Text.h"
#include "lists/ExportSettings.h"
#include "lists/ItemListWalk.h"
#include "lists/RowBuilder.h"
#include "lists/SystemFileTypes.h"
#include "platform/settings/AppSettings.h"
#include "platform/settings/SettingsStore.h"
#ifdef SHELFMARK_HAVE_LIST_PRINTING
#include "lists/print/ListPrinter.h"
#endif

namespace shelfmark::cli {
namespace {

std::vector<std::string> SplitCommas(std::string_view text) {
    std::vector<std::string> parts;
    while (true) {
        const size_t comma = text.find(',');
        parts.emplace_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            return parts;
        text.remove_prefix(comma + 1);
    }
}

// The row texts follow the desktop program's display settings, and files are typed as the
// desktop types them.
RowSettings UserRowSettings(CatalogTree& tree) {
    UseSystemFileTypeNames();
    const AppSettings settings = AppSettings::Load(SettingsStore());
    tree.displaySettings().showDescription = settings.bShowDescription;
    RowSettings rows;
    rows.showDirectorySizes = settings.bShowDirectorySizes;
    rows.showByteSizes = settings.bShowByteSizes;
    rows.showDescriptionOverlay = settings.bShowDescriptionOverlay;
    return rows;
}

// A one-line progress display on standard error, only on a terminal.
class ProgressLine {
  public:
    void show(std::string_view what, uint64_t done, uint64_t total) {
        if (!terminal_ || !throttle_.due())
            return;
        const unsigned percent = total ? unsigned(std::min<uint64_t>(100, done * 100 / total)) : 0;
        std::fprintf(stderr, "\r%.*s %3u%%", int(what.size()), what.data(), percent);
        shown_ = true;
    }
    void clear() {
        if (shown_)
            std::fputs("\r\033[K", stderr);
        shown_ = false;
    }
    ~ProgressLine() { clear(); }

  private:
    bool terminal_ = ::isatty(STDERR_FILENO) == 1;
    bool shown_ = false;
    ProgressThrottle throttle_;
};

std::optional<ExportTarget> TargetNamed(std::string_view name) {
    if (name == "csv")
        return ExportTarget::Csv;
    if (name == "txt")
        return ExportTarget::Text;
    if (name == "xml")
        return ExportTarget::Xml;
    if (name == "pdf" || name == "printer")
        return ExportTarget::Printer;
    return std::nullopt;
}

// What the export options of a command ask for beyond the remembered settings.
struct ExportRequest {
    std::string listName;
    std::string target;  // csv, txt, xml, pdf, printer
    std::string output;
    std::optional<std::string> separator;
    std::optional<std::string> styleSheet;
    std::optional<std::vector<std::string>> columns;  // titles to tick; the others are unticked
    std::string printer;
};

int RunExport(const CatalogTree& tree, const ListTable& table, const ExportRequest& request) {
    const std::optional<ExportTarget> target = TargetNamed(request.target);
    if (!target)
        return Fail("unknown target '" + request.target + "'");
#ifndef SHELFMARK_HAVE_LIST_PRINTING
    if (*target == ExportTarget::Printer)
        return Fail("this shelfmark-cli was built without printing (Qt); --to " + request.target +
                    " is not available");
#endif
    const std::string settingsPath = ResolveConfigPath(kExportListFile);
    ProfileFile stored(settingsPath);
    stored.clearPath();
    PrintSettings printDefaults;
#ifdef SHELFMARK_HAVE_LIST_PRINTING
    if (*target == ExportTarget::Printer)
        printDefaults.fontFace = DefaultPrintFontFace();
#endif
    ExportSettings settings = LoadExportSettings(stored, request.listName, *target, table.columns(), printDefaults);
    if (request.separator)
        settings.fieldSeparator = *request.separator;
    if (request.styleSheet)
        settings.styleSheet = *request.styleSheet;
    if (request.columns) {
        for (size_t c = 0; c < table.columnCount(); ++c) {
            settings.columns[c].checked = false;
            for (const std::string& title : *request.columns)
                settings.columns[c].checked |= text::EqualsNoCase(title, table.columns()[c].title);
        }
        if (*target == ExportTarget::Printer) {
            std::vector<int> pixels;
            for (const ListColumn& column : table.columns())
                pixels.push_back(column.width);
            AutoSizePercents(pixels, settings.columns);
        }
    }

    TerminalPrompter prompter;
    CancelFlag cancel;
    InterruptCancels interrupt(cancel);
    ProgressLine progress;
    auto onProgress = [&progress](size_t row, size_t rows) { progress.show(Str(175), row, rows); };
    bool started = false;
    bool cancelled = false;
    bool ok = false;
    if (*target == ExportTarget::Printer) {
#ifdef SHELFMARK_HAVE_LIST_PRINTING
        PrintJob job;
        job.table = &table;
        job.listName = request.listName;
        job.columns = settings.columns;
        job.settings = settings.print;
        if (request.target == "pdf")
            job.pdfPath = request.output;
        else
            job.printerName = request.printer;
        job.cancel = &cancel;
        job.progress = onProgress;
        const PrintOutcome outcome = PrintList(job, prompter);
        started = outcome == PrintOutcome::Printed || outcome == PrintOutcome::Cancelled;
        cancelled = outcome == PrintOutcome::Cancelled;
        ok = outcome == PrintOutcome::Printed || outcome == PrintOutcome::NothingTicked;
#endif
    } else {
        ExportJob job;
        job.table = &table;
        job.tree = &tree;
        job.options.target = *target;
        job.options.columns = settings.columns;
        job.options.fieldSeparator = settings.fieldSeparator;
        job.options.styleSheet = settings.styleSheet;
        job.options.databaseName = std::string(tree.root()->name());
        job.path = request.output;
        job.cancel = &cancel;
        job.progress = onProgress;
        const ExportOutcome outcome = RunListExport(job, prompter);
        started = outcome != ExportOutcome::EmptySeparator;
        cancelled = outcome == ExportOutcome::Cancelled;
        ok = outcome == ExportOutcome::Written || outcome == ExportOutcome::NothingTicked;
    }
    progress.clear();
    // As the export dialog does: the target's settings are remembered once it started.
    if (started) {
        UpdateProfileFile(settingsPath, [&](ProfileFile& file) {
            settings.rememberedStyleSheets = LoadRememberedStyleSheets(file);
            SaveExportSettings(file, request.listName, *target, table.columns(), settings);
        });
    }
    if (cancelled)
        return Fail(request.target == "printer" ? std::string("cancelled; the pages sent stay with the printer")
                                                : "cancelled; " + request.output + " keeps what was written");
    return ok ? kExitSuccess : kExitFailure;
}

// Columns padded to their widest cell (right-aligned columns padded on the left).
void PrintListTable(const ListTable& table) {
    auto width = [](std::string_view text) {
        size_t count = 0;
        for (char c : text)
            count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return count;
    };
    const size_t columns = table.columnCount();
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> header;
    for (const ListColumn& column : table.columns())
        header.push_back(text::ForTerminal(column.title));
    lines.push_back(std::move(header));
    for (size_t r = 0; r < table.rowCount(); ++r) {
        std::vector<std::string> line;
        for (size_t c = 0; c < columns; ++c)
            line.push_back(text::ForTerminal(table.cell(r, c)));
        lines.push_back(std::move(line));
    }
    std::vector<size_t> widths(columns, 0);
    for (const auto& line : lines)
        for (size_t c = 0; c < columns; ++c)
            widths[c] = std::max(widths[c], width(line[c]));
    std::string out;
    for (const auto& line : lines) {
        for (size_t c = 0; c < columns; ++c) {
            const size_t pad = widths[c] - width(line[c]);
            const bool right = table.columns()[c].alignment == ColumnAlignment::Right;
            if (right)
                out.append(pad, ' ');
            out += line[c];
            if (c + 1 < columns)
                out.append((right ? 0 : pad) + 2, ' ');
        }
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        out += '\n';
        if (out.size() > (1 << 16)) {
            std::cout << out;
            out.clear();
        }
    }
    std::cout << out;
}

void PrintListJson(const ListTable& table, const std::string& profile) {
    std::string out = "{\"profile\": ";
    AppendJsonString(out, profile);
    out += ", \"columns\": [";
    for (size_t c = 0; c < table.columnCount(); ++c) {
        out += c ? ", " : "";
        AppendJsonString(out, table.columns()[c].title);
    }
    out += "], \"count\": " + std::to_string(table.rowCount()) + ", \"rows\": [";
    for (size_t r = 0; r < table.rowCount(); ++r) {
        out += r ? ",\n  {\"path\": " : "\n  {\"path\": ";
        AppendJsonString(out, table.row(r).item ? CatalogPathOf(*table.row(r).item) : std::string());
        out += ", \"state\": " + std::to_string(table.row(r).state) + ", \"cells\": [";
        for (size_t c = 0; c < table.columnCount(); ++c) {
            out += c ? ", " : "";
            AppendJsonString(out, table.cell(r, c));
        }
        out += "]}";
        if (out.size() > (1 << 16)) {
            std::cout << out;
            out.clear();
        }
    }
    out += table.rowCount() ? "\n]}\n" : "]}\n";
    std::cout << out;
}

// "%d item(s)" with the count in the user's number format.
std::string CountText(size_t count) {
    std::string text = ItemCountText();
    if (const size_t at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, NumberFormat::User().format(uint64_t(count)));
    return text;
}

// ---------------------------------------------------------------------------------------------

int RunProfiles(const std::vector<std::string>& args);
const Command kProfilesCommand{
    "profiles", "list the item-list profiles",
    "Usage: shelfmark-cli profiles\n"
    "\n"
    "Lists the item-list profiles of ItemList.tkp in the configuration folder (a new user gets\n"
    "the shipped ones: Disk List, All files, MP3 files): name, the kinds of item listed, the\n"
    "listing depth, the extensions, the filename format and the column titles. Profiles in the\n"
    "older column form are converted on the way.\n",
    RunProfiles};
const CommandRegistration kProfiles(kProfilesCommand);

int RunProfiles(const std::vector<std::string>& args) {
    if (!args.empty())
        return UsageError(kProfilesCommand, "expected no arguments");
    const ProfileFile file = LoadItemListProfiles(UserItemListProfilePath());
    std::string out;
    for (const std::string& name : ItemListProfileNames(file)) {
        const std::optional<ItemListProfile> profile = LoadItemListProfile(file, name);
        std::string kinds;
        for (const auto& [on, kind] : {std::pair{profile->files, "files"}, {profile->directories, "dirs"},
                                       {profile->folders, "folders"}, {profile->disks, "disks"}})
            if (on)
                kinds += (kinds.empty() ? "" : ",") + std::string(kind);
        std::string extensions;
        for (const std::string& extension : profile->extensions)
            extensions += (extensions.empty() ? "" : ",") + extension;
        std::string titles;
        for (const ListColumn& column : profile->columns)
            titles += (titles.empty() ? "" : ", ") + column.title;
        out += text::ForTerminal(name) + "\n  kinds: " + (kinds.empty() ? "none" : kinds) +
               "; depth " + std::to_string(profile->maxListingDepth) +
               (extensions.empty() ? "" : "; extensions " + text::ForTerminal(extensions)) +
               (profile->format.empty() ? "" : "; format \"" + text::ForTerminal(profile->format) + "\"" +
                                                   (profile->parseMode == ParseMode::Description ? " on descriptions" : "")) +
               "\n  columns: " + text::ForTerminal(titles) + "\n";
    }
    std::cout << out;
    return kExitSuccess;
}

// Loads the catalog and builds the list of a profile; on failure the reason has been printed
// and the answer is the exit status.
struct BuiltList {
    CatalogTree tree;
    std::optional<ItemListResult> result;
    std::string profileName;
};

int BuildProfileList(const Command& command, const ArgParser& parser, BuiltList& built) {
    if (parser.positionals().empty() || parser.positionals().size() > 2)
        return UsageError(command, "expected FILE and at most one PATH");
    const std::optional<std::string> name = parser.value("profile");
    if (!name)
        return UsageError(command, "--profile NAME is required");
    const ProfileFile profiles = LoadItemListProfiles(UserItemListProfilePath());
    const std::optional<ItemListProfile> profile = LoadItemListProfile(profiles, *name);
    if (!profile)
        return Fail("no item-list profile '" + *name + "' (see: shelfmark-cli profiles)");
    built.profileName = profile->name;
    CatalogReadResult read;
    if (!LoadCatalog(parser.positionals()[0], built.tree, read))
        return kExitFailure;
    const CatalogItem* start = built.tree.root();
    if (parser.positionals().size() == 2) {
        start = ResolveCatalogPath(built.tree, parser.positionals()[1]);
        if (!start)
            return Fail("no item '" + parser.positionals()[1] + "' in the catalog");
        if (!start->isContainer())
            return Fail("'" + parser.positionals()[1] + "' is not a folder, disk, directory or archive");
    }
    CatalogDefinitions definitions;
    definitions.reload(*built.tree.root());
    RowBuilder builder(built.tree, definitions, UserRowSettings(built.tree));
    CancelFlag cancel;
    InterruptCancels interrupt(cancel);
    ProgressLine progress;
    ItemListJob job;
    job.tree = &built.tree;
    job.start = start;
    job.profile = &*profile;
    job.builder = &builder;
    job.cancel = &cancel;
    job.progress = [&progress](uint64_t done, uint64_t total) { progress.show("Creating the list...", done, total); };
    TerminalPrompter prompter;
    built.result = StartItemList(job, prompter);
    progress.clear();
    if (!built.result)
        return kExitFailure;
    if (built.result->cancelled)
        std::fprintf(stderr, "shelfmark-cli: cancelled; the list holds the rows made so far\n");
    if (built.result->outOfMemory)
        std::fprintf(stderr, "shelfmark-cli: out of memory; the list holds the rows made so far\n");
    return kExitSuccess;
}

int RunList(const std::vector<std::string>& args);
const Command kListCommand{
    "list", "list the items a profile picks below a container",
    "Usage: shelfmark-cli list FILE [PATH] --profile NAME [--format table|json]\n"
    "\n"
    "Builds the item list of the profile NAME (see profiles) from the items below PATH (default:\n"
    "the root): the kinds, depth and extensions of the profile pick the items, and each row shows\n"
    "the profile's columns, pieces cut from the file name by its filename format included. The\n"
    "contents of locked (password-protected) items are not listed. The table is aligned per\n"
    "column; JSON is {\"profile\", \"columns\", \"count\", \"rows\": [{\"path\", \"state\", \"cells\"}]}.\n"
    "Ctrl-C ends the walk; the rows made so far are shown.\n",
    RunList};
const CommandRegistration kList(kListCommand);

int RunList(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("profile").option("format");
    if (!parser.parse(args))
        return UsageError(kListCommand, parser.error());
    const std::string format = parser.valueOr("format", "table");
    if (format != "table" && format != "json")
        return UsageError(kListCommand, "--format must be table or json");
    BuiltList built;
    if (const int status = BuildProfileList(kListCommand, parser, built); status != kExitSuccess)
        return status;
    if (format == "json")
        PrintListJson(built.result->table, built.profileName);
    else
        PrintListTable(built.result->table);
    if (format == "table" && ::isatty(STDOUT_FILENO) == 1)
        std::cout << CountText(built.result->table.rowCount()) << '\n';
    return built.result->cancelled || built.result->outOfMemory ? kExitFailure : kExitSuccess;
}

int RunExportList(const std::vector<std::string>& args);
const Command kExportListCommand{
    "export-list", "write an item list as CSV, text, XML, PDF or on a printer",
    "Usage: shelfmark-cli export-list FILE [PATH] --profile NAME --to csv|txt|xml|pdf|printer\n"
    "           [-o OUT] [--separator S] [--xsl HREF] [--columns TITLE,...] [--printer NAME]\n"
    "\n"
    "Builds the item list of profile NAME below PATH (as list does) and writes it:\n"
    "  csv      \"value\",\"value\" lines; --separator S between the quotes (\\t for a tab).\n"
    "           Quotes inside values are written as they are.\n"
    "  txt      fixed-width columns (widths in characters from the export settings, 20 by\n"
    "           default); long texts are shortened with \"...\".\n"
    "  xml      Windows-1252 XML, one <Item> per row, one element per column named after its\n"
    "           title (In Directory -> In_Directory); --xsl HREF adds a style-sheet line.\n"
    "  pdf      a printed list as a PDF file.\n"
    "  printer  a printed list on the printer NAME given by --printer (default: the system's\n"
    "           default printer).\n"
    "-o OUT is required except for printer. --columns picks the columns by title; otherwise the\n"
    "columns, separator, style sheet, widths and printer font remembered for the profile in\n"
    "ExportList.tkp are used, and the choices made are remembered there. Ctrl-C stops the\n"
    "export; the file keeps the rows written so far.\n",
    RunExportList};
const CommandRegistration kExportList(kExportListCommand);

int RunExportList(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("profile").option("to").option("o").option("output").option("separator").option("xsl");
    parser.option("columns").option("printer").alias("-o", "o");
    if (!parser.parse(args))
        return UsageError(kExportListCommand, parser.error());
    ExportRequest request;
    request.target = parser.valueOr("to", "");
    if (!TargetNamed(request.target))
        return UsageError(kExportListCommand, "--to must be csv, txt, xml, pdf or printer");
    request.output = parser.has("o") ? parser.valueOr("o", "") : parser.valueOr("output", "");
    if (request.output.empty() && request.target != "printer")
        return UsageError(kExportListCommand, "-o OUT is required");
    if (parser.has("printer") && request.target != "printer")
        return UsageError(kExportListCommand, "--printer goes with --to printer");
    request.separator = parser.value("separator");
    request.styleSheet = parser.value("xsl");
    if (const auto columns = parser.value("columns"))
        request.columns = SplitCommas(*columns);
    request.printer = parser.valueOr("printer", "");
    BuiltList built;
    if (const int status = BuildProfileList(kExportListCommand, parser, built); status != kExitSuccess)
        return status;
    if (built.result->cancelled || built.result->outOfMemory)
        return kExitFailure;
    if (request.columns) {
        for (const std::string& title : *request.columns) {
            const auto& columns = built.result->table.columns();
            if (std::none_of(columns.begin(), columns.end(),
                             [&title](const ListColumn& column) { return text::EqualsNoCase(column.title, title); }))
                return UsageError(kExportListCommand, "the profile has no column '" + text::ForTerminal(title) + "'");
        }
    }
    request.listName = built.profileName;
    return RunExport(built.tree, built.result->table, request);
}

int ExportResult(const CatalogTree& tree, const ListTable& table, const std::string& listName,
                 const std::string& target, const std::string& output) {
    ExportRequest request;
    request.listName = listName;
    request.target = target;
    request.output = output;
    return RunExport(tree, table, request);
}

}  // namespace

bool IsResultExportTarget(const std::string& target) {
    return target == "csv" || target == "txt" || target == "xml" || target == "pdf";
}

int ExportSearchHits(CatalogTree& tree, const std::vector<const CatalogItem*>& hits,
                     const std::string& target, const std::string& output) {
    CatalogDefinitions definitions;
    definitions.reload(*tree.root());
    RowBuilder builder(tree, definitions, UserRowSettings(tree));
    return ExportResult(tree, SearchResultList(builder, hits), "SearchResult", target, output);
}

int ExportDuplicateGroups(CatalogTree& tree, const std::vector<std::vector<const CatalogItem*>>& groups,
                          const std::string& target, const std::string& output) {
    CatalogDefinitions definitions;
    definitions.reload(*tree.root());
    RowBuilder builder(tree, definitions, UserRowSettings(tree));
    return ExportResult(tree, DuplicateResultList(builder, groups), "SearchDuplicatesResult", target, output);
}

}  // namespace shelfmark::cli
