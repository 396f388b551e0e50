// Catalog file commands: new, info, tree, dump, export-db.
#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/CatalogPath.h"
#include "catalog/Definitions.h"
#include "catalog/FileText.h"
#include "catalog/TreeWalk.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/CatalogPasswords.h"
#include "cli/Command.h"
#include "cli/OutputArgs.h"
#include "cli/ItemJson.h"
#include "cli/TerminalPrompter.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::cli {

bool LoadCatalog(const std::string& path, CatalogTree& tree, CatalogReadResult& result) {
    TerminalPrompter prompter;
    CatalogReadOptions options;
    options.showConvertHint = kConvertHintSuppressed;
    options.unlockProtected = CatalogUnlocker();
    result = ReadCatalogFile(path, tree, prompter, options);
    if (result.status == CatalogReadStatus::CannotOpen)
        FailCannotOpen(path, result.systemError);
    if (!result.ok())
        return false;
    tree.setName(tree.root(), FileNameOf(path));
    return true;
}

bool OpenCatalogForCommand(CatalogDocument& document, const std::string& path) {
    document.setShowConvertHint(kConvertHintSuppressed);
    UnlockWhenOpening(document);
    return document.openCatalogFile(path);
}

namespace {

const CatalogItem* FindItem(const CatalogTree& tree, const std::string& path) {
    return ResolveCatalogPath(tree, path);
}

std::string VersionText(uint8_t version) {
    return std::to_string(version >> 4) + "." + std::to_string(version & 15);
}

// ---------------------------------------------------------------------------------------------

int RunNew(const std::vector<std::string>& args);
const Command kNewCommand{
    "new", "create an empty catalog file",
    "Usage: shelfmark-cli new FILE [--force]\n"
    "\n"
    "Writes an empty catalog (only its root) to FILE. An existing FILE is kept\n"
    "unless --force is given.\n",
    RunNew};
const CommandRegistration kNew(kNewCommand);

int RunNew(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.flag("force");
    if (!parser.parse(args))
        return UsageError(kNewCommand, parser.error());
    if (parser.positionals().size() != 1)
        return UsageError(kNewCommand, "expected one FILE");
    const std::string& path = parser.positionals()[0];
    if (!parser.has("force") && StampOfFile(path))
        return Fail("'" + path + "' already exists (use --force to replace it)");
    TerminalPrompter prompter;
    CatalogDocument document(prompter);
    const bool saved =
        parser.has("force") ? document.saveCatalogFile(path) : document.createCatalogFile(path);
    return saved ? kExitSuccess : kExitFailure;
}

// ---------------------------------------------------------------------------------------------

int RunInfo(const std::vector<std::string>& args);
const Command kInfoCommand{
    "info", "show a catalog's name, format and counts",
    "Usage: shelfmark-cli info FILE [--archives]\n"
    "\n"
    "Prints the catalog's root name, the file's format version, the numbers of\n"
    "folders, disks, directories and files and the total size of the files in\n"
    "bytes. --archives counts the entries of archives as files too.\n",
    RunInfo};
const CommandRegistration kInfo(kInfoCommand);

int RunInfo(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.flag("archives");
    if (!parser.parse(args))
        return UsageError(kInfoCommand, parser.error());
    if (parser.positionals().size() != 1)
        return UsageError(kInfoCommand, "expected one FILE");
    CatalogTree tree;
    CatalogReadResult result;
    if (!LoadCatalog(parser.positionals()[0], tree, result))
        return kExitFailure;
    const CatalogStatistics statistics = tree.gatherStatistics(tree.root(), parser.has("archives"));
    std::cout << "Name: " << text::ForTerminal(tree.root()->name()) << '\n'
              << "Format: " << VersionText(result.version)
              << (result.version < kCatalogVersion ? " (written as 3.0 when saved)" : "") << '\n'
              << "Items: " << result.records << '\n'
              << "Folders: " << statistics.folders << '\n'
              << "Disks: " << statistics.disks << '\n'
              << "Directories: " << statistics.directories << '\n'
              << "Files: " << statistics.files << '\n'
              << "Total size: " << statistics.totalSize << '\n';
    return kExitSuccess;
}

// ---------------------------------------------------------------------------------------------

int RunTree(const std::vector<std::string>& args);
const Command kTreeCommand{
    "tree", "print a catalog's items as an indented tree",
    "Usage: shelfmark-cli tree FILE [PATH] [--depth N]\n"
    "\n"
    "Prints the item at the catalog PATH (names separated by \\ or /, the root\n"
    "when omitted) and everything below it, two spaces per level. Containers\n"
    "(folders, disks, directories, archives) end in \"\\\"; a disk shows its type\n"
    "in brackets; a locked (password-protected) item shows \"(locked)\" and its\n"
    "contents are not listed. --depth N stops N levels below PATH.\n",
    RunTree};
const CommandRegistration kTree(kTreeCommand);

int RunTree(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("depth");
    if (!parser.parse(args))
        return UsageError(kTreeCommand, parser.error());
    if (parser.positionals().empty() || parser.positionals().size() > 2)
        return UsageError(kTreeCommand, "expected FILE and at most one PATH");
    uint64_t maxDepth = UINT64_MAX;
    if (parser.has("depth") && !parser.number("depth", maxDepth))
        return UsageError(kTreeCommand, parser.error());
    CatalogTree tree;
    CatalogReadResult result;
    if (!LoadCatalog(parser.positionals()[0], tree, result))
        return kExitFailure;
    const std::string path =
        parser.positionals().size() == 2 ? parser.positionals()[1] : std::string();
    const CatalogItem* start = FindItem(tree, path);
    if (!start)
        return Fail("no item '" + path + "' in the catalog");

    std::string out;
    auto line = [&](const CatalogItem& item, uint64_t depth) {
        out.append(size_t(depth) * 2, ' ');
        out += text::ForTerminal(item.name());
        if (item.isContainer() && !item.isShortcut())
            out += '\\';
        if (item.isDisk())
            out += " [" + tree.typeText(&item) + "]";
        if (item.isShortcut())
            out += " -> " + text::ForTerminal(item.textAttribute(attr::ShortcutTarget).value_or(""));
        if (item.isLocked())
            out += " (locked)";
        out += '\n';
    };
    auto depthOf = [start](const CatalogItem& item) {
        uint64_t depth = 0;
        for (const CatalogItem* step = &item; step != start; step = step->parent())
            ++depth;
        return depth;
    };
    line(*start, 0);
    if (!start->isLocked()) {
        WalkBelow(
            start,
            [&](const CatalogItem& item) {
                return item.isContainer() && !item.isShortcut() && !item.isLocked() &&
                       depthOf(item) < maxDepth;
            },
            [&](CatalogItem& item) {
                line(item, depthOf(item));
                if (out.size() > (1 << 16)) {
                    std::cout << out;
                    out.clear();
                }
                return true;
            });
    }
    std::cout << out;
    return kExitSuccess;
}

// ---------------------------------------------------------------------------------------------

// A text in the text dump: quoted, shown as a terminal can show it.
void AppendQuotedText(std::string& out, std::string_view value) {
    out += '"' + text::ForTerminal(value) + '"';
}

void AppendTextAttributes(std::string& out, const CatalogItem& item) {
    for (const ItemAttribute& attribute : item.attributes()) {
        if (attribute.key() < 0x40)
            continue;
        out += "    " + KeyText(attribute.key()) + " = ";
        switch (attribute.valueClass()) {
            case AttributeClass::Number:
                out += std::to_string(attribute.number());
                break;
            case AttributeClass::Text:
                AppendQuotedText(out, attribute.text());
                break;
            default:
                out += "base64:" + Base64(attribute.block());
                break;
        }
        out += '\n';
    }
}

// The names of an item's categories (from the catalog's own definitions), after its attributes.
void AppendCategoryLine(std::string& out, const CatalogItem& item,
                        const CatalogDefinitions& definitions) {
    if (item.hasAttribute(attr::Categories))
        out += "    categories: " + definitions.categoryText(item) + '\n';
}

int RunDump(const std::vector<std::string>& args);
const Command kDumpCommand{
    "dump", "print every item of a catalog with all its stored fields",
    "Usage: shelfmark-cli dump FILE [--format json|text]\n"
    "\n"
    "Prints the catalog root's attributes and then every item the file holds, depth-first in\n"
    "file order: its catalog path, kind, flag word, name, size, date and every stored\n"
    "attribute by key, then the names of the item's categories. The JSON shape is described\n"
    "in docs/cli.md. --format text (the default\n"
    "is json) prints one line per item and one indented line per attribute.\n",
    RunDump};
const CommandRegistration kDump(kDumpCommand);

int RunDump(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("format");
    if (!parser.parse(args))
        return UsageError(kDumpCommand, parser.error());
    if (parser.positionals().size() != 1)
        return UsageError(kDumpCommand, "expected one FILE");
    const std::string format = parser.valueOr("format", "json");
    if (format != "json" && format != "text")
        return UsageError(kDumpCommand, "--format must be json or text");
    CatalogTree tree;
    CatalogReadResult result;
    if (!LoadCatalog(parser.positionals()[0], tree, result))
        return kExitFailure;
    const CatalogItem* root = tree.root();
    const bool json = format == "json";
    CatalogDefinitions definitions;
    definitions.reload(*root);

    std::string out;
    auto flush = [&out] {
        std::cout << out;
        out.clear();
    };
    if (json) {
        out += "{\n  \"name\": ";
        AppendJsonString(out, root->name());
        out += ",\n  \"version\": \"" + VersionText(result.version) + "\",\n  \"attributes\": ";
        AppendJsonAttributes(out, *root);
        out += ",\n  \"items\": [";
    } else {
        out += "catalog ";
        AppendQuotedText(out, root->name());
        out += " version " + VersionText(result.version) + '\n';
        AppendTextAttributes(out, *root);
    }
    bool first = true;
    WalkBelow(root, EnterContainers, [&](CatalogItem& item) {
        char flags[8];
        std::snprintf(flags, sizeof flags, "0x%04X", item.flags());
        if (json) {
            out += first ? "\n    " : ",\n    ";
            AppendJsonItem(out, item, definitions);
        } else {
            AppendQuotedText(out, CatalogPathOf(item));
            out += std::string(" ") + KindName(item) + " flags=" + flags +
                   " size=" + std::to_string(item.size()) + " date=" + std::to_string(item.date()) +
                   '\n';
            AppendTextAttributes(out, item);
            AppendCategoryLine(out, item, definitions);
        }
        first = false;
        if (out.size() > (1 << 16))
            flush();
        return true;
    });
    if (json)
        out += first ? "]\n}\n" : "\n  ]\n}\n";
    flush();
    return kExitSuccess;
}

// ---------------------------------------------------------------------------------------------

int RunExportDb(const std::vector<std::string>& args);
const Command kExportDbCommand{
    "export-db", "write chosen items of a catalog to a new catalog file",
    "Usage: shelfmark-cli export-db FILE PATH... -o NEW [--force]\n"
    "\n"
    "Writes the items at the catalog PATHs (names separated by \\ or /), each\n"
    "with everything below it, as the top-level items of a new catalog NEW.\n"
    "NEW carries no category or extra-information definitions. An existing NEW\n"
    "is kept unless --force is given; FILE itself (under any name) and a catalog\n"
    "another Shelfmark process is changing are never written over.\n",
    RunExportDb};
const CommandRegistration kExportDb(kExportDbCommand);

int RunExportDb(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.flag("force");
    std::string output;
    if (const int status = ParseWithOutput(kExportDbCommand, args, "NEW", parser, output))
        return status;
    if (parser.positionals().size() < 2)
        return UsageError(kExportDbCommand, "expected FILE and at least one PATH");
    TerminalPrompter prompter;
    CatalogDocument document(prompter);
    if (!OpenCatalogForCommand(document, parser.positionals()[0]))
        return kExitFailure;
    const CatalogTree& tree = document.tree();
    std::vector<const CatalogItem*> items;
    for (size_t i = 1; i < parser.positionals().size(); ++i) {
        const CatalogItem* item = FindItem(tree, parser.positionals()[i]);
        if (!item || item == tree.root())
            return Fail("no item '" + parser.positionals()[i] + "' in the catalog");
        items.push_back(item);
    }
    return document.exportSelection(items, output, parser.has("force")) ? kExitSuccess
                                                                          : kExitFailure;
}

}  // namespace
}  // namespace shelfmark::cli
