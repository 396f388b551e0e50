// Category and extra-information commands: categories, categorize, extra. The editors' rules
// (identifiers, keys, removal from items, the one undo step) live in the catalog library.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogPath.h"
#include "catalog/CategoryOperations.h"
#include "catalog/DefinitionEditors.h"
#include "catalog/Definitions.h"
#include "catalog/ExtraInfoOperations.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/CategoryEdits.h"
#include "cli/Command.h"
#include "cli/TerminalPrompter.h"
#include "foundation/Utf8Text.h"
#include "reading/imaging/Imaging.h"
#include "reading/providers/DescriptionProviders.h"
#include "reading/providers/ManualThumbnail.h"

namespace shelfmark::cli {
namespace {

struct Session {
    CountingPrompter prompter;
    CatalogDocument document{prompter};
    CatalogDefinitions definitions;
    std::string path;

    // Opens FILE with its definitions loaded; `edit` also takes its lock.
    bool open(const std::string& file, bool edit) {
        path = file;
        definitions.attach(document, std::string(kCategoriesProfile));
        if (!edit)
            return OpenCatalogForCommand(document, file);
        prompter.reloadChangedCatalogs();
        return OpenCatalogForCommand(document, file) && document.lockForEditing();
    }
    // The exit status of an edit: saved when it changed the catalog.
    int finish(EditStatus status) {
        if (status == EditStatus::Refused || prompter.errors > 0)
            return kExitFailure;
        if (!document.isModified())
            return kExitSuccess;
        return document.saveCatalogFile(path) ? kExitSuccess : kExitFailure;
    }
};

// The identifier of the category (or sub-category) named `name`, case-insensitive.
std::optional<uint8_t> CategoryNamed(const CategoryDefinitions& definitions,
                                     std::string_view name) {
    for (const CategoryEntry& entry : definitions.entries) {
        if (text::EqualsNoCase(entry.name, name))
            return entry.id;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------

int RunCategories(const std::vector<std::string>& args);
const Command kCategoriesCommand{
    "categories", "list, add, rename or delete a catalog's categories",
    "Usage: shelfmark-cli categories FILE\n"
    "       shelfmark-cli categories FILE --add NAME [--under CATEGORY]\n"
    "       shelfmark-cli categories FILE --rename OLD NEW\n"
    "       shelfmark-cli categories FILE --delete NAME [--keep-assignments]\n"
    "\n"
    "Without an option, prints the catalog's categories as a tree, each with its\n"
    "identifier in brackets; sub-categories are indented. --add adds a category (or,\n"
    "with --under, a sub-category of CATEGORY) with the next free identifier.\n"
    "--rename renames one. --delete deletes one (a category with its sub-categories)\n"
    "and takes its identifiers off every item that carries them, unless\n"
    "--keep-assignments is given: the items then keep them and lists show \"#0007\".\n"
    "A catalog without categories of its own takes them from Categories.tkp in the\n"
    "configuration directory when it is opened. Changes are saved to FILE.\n",
    RunCategories};
const CommandRegistration kCategories(kCategoriesCommand);

void PrintCategories(const CategoryDefinitions& definitions) {
    if (definitions.entries.empty())
        std::cout << "No categories defined.\n";
    for (const CategoryEntry& entry : definitions.entries) {
        std::cout << (entry.level == 2 ? "  " : "") << text::ForTerminal(entry.name) << " ["
                  << int(entry.id) << "]\n";
    }
}

int RunCategories(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("add").option("under").option("rename").option("delete").flag(
        "keep-assignments");
    if (!parser.parse(args))
        return UsageError(kCategoriesCommand, parser.error());
    const auto& operands = parser.positionals();
    const int actions = parser.has("add") + parser.has("rename") + parser.has("delete");
    if (operands.empty())
        return UsageError(kCategoriesCommand, "expected FILE");
    if (actions > 1)
        return UsageError(kCategoriesCommand, "give at most one of --add, --rename, --delete");
    if (operands.size() != (parser.has("rename") ? 2u : 1u))
        return UsageError(kCategoriesCommand,
                          parser.has("rename") ? "give --rename OLD NEW" : "expected only FILE");
    if (parser.has("under") && !parser.has("add"))
        return UsageError(kCategoriesCommand, "--under goes with --add");
    if (parser.has("keep-assignments") && !parser.has("delete"))
        return UsageError(kCategoriesCommand, "--keep-assignments goes with --delete");
    Session session;
    if (!session.open(operands[0], actions > 0))
        return kExitFailure;
    CategoryEditor editor(session.document);
    if (actions == 0) {
        PrintCategories(editor.definitions());
        return kExitSuccess;
    }
    if (const auto name = parser.value("add")) {
        if (name->empty())
            return UsageError(kCategoriesCommand, "NAME must not be empty");
        // Commands name categories: two of one name could not be told apart.
        if (CategoryNamed(editor.definitions(), *name))
            return Fail("a category '" + *name + "' exists in " + session.path);
        std::optional<uint8_t> id;
        if (const auto under = parser.value("under")) {
            const auto parent = CategoryNamed(editor.definitions(), *under);
            if (!parent)
                return Fail("no category '" + *under + "' in " + session.path);
            id = editor.addSubCategory(*parent, *name);
            if (!id)
                return Fail("'" + *under + "' is a sub-category; sub-categories hold no others");
        } else {
            id = editor.addCategory(*name);
        }
        if (!id)
            return Fail("all 255 category identifiers are in use in " + session.path);
    } else if (const auto old = parser.value("rename")) {
        const auto id = CategoryNamed(editor.definitions(), *old);
        if (!id)
            return Fail("no category '" + *old + "' in " + session.path);
        editor.rename(*id, operands[1]);
    } else if (const auto name = parser.value("delete")) {
        const auto id = CategoryNamed(editor.definitions(), *name);
        if (!id)
            return Fail("no category '" + *name + "' in " + session.path);
        editor.removeWithoutAsking(*id, !parser.has("keep-assignments"));
    }
    return session.finish(editor.commit(session.document));
}

// ---------------------------------------------------------------------------------------------

int RunCategorize(const std::vector<std::string>& args);
const Command kCategorizeCommand{
    "categorize", "give catalog items their categories",
    "Usage: shelfmark-cli categorize FILE PATH... --set NAME[,NAME...]\n"
    "       shelfmark-cli categorize FILE PATH... --clear\n"
    "\n"
    "Gives each item at the catalog PATHs the categories named (at most four, the\n"
    "catalog's category or sub-category names), replacing those it had, or with\n"
    "--clear none at all, and saves FILE.\n",
    RunCategorize};
const CommandRegistration kCategorize(kCategorizeCommand);

// The category names of --set (nothing for --clear); false after a usage error.
bool CategorizeNames(const ArgParser& parser, size_t paths, std::vector<std::string>& names,
                     int& exitStatus) {
    if (parser.has("set") == parser.has("clear")) {
        exitStatus = UsageError(kCategorizeCommand, "give either --set NAME[,NAME...] or --clear");
        return false;
    }
    if (paths == 0) {
        exitStatus = UsageError(kCategorizeCommand, "expected at least one PATH");
        return false;
    }
    if (const auto list = parser.value("set")) {
        size_t start = 0;
        while (start <= list->size()) {
            const size_t comma = std::min(list->find(',', start), list->size());
            names.push_back(list->substr(start, comma - start));
            start = comma + 1;
        }
    }
    if (names.size() > 4) {
        exitStatus = UsageError(kCategorizeCommand, "an item carries at most four categories");
        return false;
    }
    return true;
}

int RunCategorize(const std::vector<std::string>& args) {
    ArgParser parser;
    DeclareCategorize(parser);
    if (!parser.parse(args))
        return UsageError(kCategorizeCommand, parser.error());
    const auto& operands = parser.positionals();
    if (operands.empty())
        return UsageError(kCategorizeCommand, "expected FILE and at least one PATH");
    const std::span<const std::string> paths = std::span(operands).subspan(1);
    std::vector<std::string> names;
    if (int exitStatus = 0; !CategorizeNames(parser, paths.size(), names, exitStatus))
        return exitStatus;
    Session session;
    if (!session.open(operands[0], true))
        return kExitFailure;
    EditStatus status = EditStatus::Unchanged;
    if (const int exitStatus = ApplyCategorize(session.document, parser, paths, status))
        return exitStatus;
    return session.finish(status);
}

// ---------------------------------------------------------------------------------------------

int RunExtra(const std::vector<std::string>& args);
const Command kExtraCommand{
    "extra", "define extra-information fields, or set them on an item",
    "Usage: shelfmark-cli extra FILE\n"
    "       shelfmark-cli extra FILE --define-text NAME|--define-number NAME\n"
    "       shelfmark-cli extra FILE --delete NAME [--keep-values]\n"
    "       shelfmark-cli extra FILE PATH [--set FIELD=VALUE]... [--thumbnail IMAGE]\n"
    "\n"
    "Without an option, prints the catalog's user-defined fields (name, kind, key).\n"
    "--define-text and --define-number add a field (16 of each at most). --delete\n"
    "deletes one and its values from every item, unless --keep-values is given.\n"
    "With PATH: prints the item's extra information, or changes it. FIELD is a\n"
    "built-in field (#, Artist, Title, Source, Location, Comment, Author, Album,\n"
    "Width, Height, Bit depth, MD5, Serial number) or a user-defined one. Numbers are\n"
    "decimal or hexadecimal after \"0x\"; 0 or an empty VALUE deletes the field.\n"
    "--thumbnail stores IMAGE (JPEG, or PNG, GIF, WebP, BMP... through the image\n"
    "plug-in), scaled to 64 pixels and coded as JPEG, as the item's thumbnail.\n"
    "Changes are saved to FILE.\n",
    RunExtra};
const CommandRegistration kExtra(kExtraCommand);

int ListOrDefine(Session& session, const ArgParser& parser) {
    ExtraInfoEditor editor(session.document);
    for (const char* option : {"define-text", "define-number"}) {
        // --set names fields: two of one name could not be told apart.
        const auto name = parser.value(option);
        if (name && session.definitions.extraKeyNamed(*name))
            return Fail("a field '" + *name + "' exists in " + session.path);
    }
    if (const auto name = parser.value("define-text")) {
        if (!editor.addText(*name))
            return Fail("all 16 text fields are defined in " + session.path);
    } else if (const auto name = parser.value("define-number")) {
        if (!editor.addNumber(*name))
            return Fail("all 16 number fields are defined in " + session.path);
    } else if (const auto name = parser.value("delete")) {
        const auto key = session.definitions.extraKeyNamed(*name);
        if (!key || !IsUserExtraKey(*key))
            return Fail("no user-defined field '" + *name + "' in " + session.path);
        editor.removeWithoutAsking(*key, !parser.has("keep-values"));
    } else {
        for (const ExtraDefinition& definition : editor.definitions()) {
            char key[8];
            std::snprintf(key, sizeof key, "0x%02X", definition.key);
            std::cout << text::ForTerminal(definition.name) << '\t'
                      << (ClassOfKey(definition.key) == AttributeClass::Number ? "number" : "text")
                      << '\t' << key << '\n';
        }
        return kExitSuccess;
    }
    return session.finish(editor.commit(session.document));
}

// The thumbnail stored for an image file, as JPEG: a JPEG file is decoded here, any other
// picture (PNG, GIF, WebP, BMP...) by the first image plug-in that makes thumbnails of its kind.
std::optional<std::vector<uint8_t>> ThumbnailFromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Fail("cannot open '" + path + "': " + std::strerror(errno));
        return std::nullopt;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (!StartImaging()) {
        Fail("cannot store '" + path + "': this build has no JPEG support");
        return std::nullopt;
    }
    const ThumbnailOptions options;
    std::optional<Bitmap> bitmap = DecodeJpeg(bytes);
    if (!bitmap)
        bitmap = ThumbnailFromPlugins(path, PluginDirectories(), options);
    if (!bitmap) {
        Fail("cannot store '" + path + "': " + kNoThumbnailPluginText);
        return std::nullopt;
    }
    return MakeThumbnail(*bitmap, options);
}

int ItemExtra(Session& session, const ArgParser& parser, const std::string& path) {
    EditStatus status = EditStatus::Unchanged;
    if (const int exitStatus =
            ApplyItemExtra(session.document, session.definitions, parser, path, status))
        return exitStatus;
    return session.finish(status);
}

int RunExtra(const std::vector<std::string>& args) {
    ArgParser parser;
    parser.option("define-text").option("define-number").option("delete").flag("keep-values");
    DeclareItemExtra(parser);
    if (!parser.parse(args))
        return UsageError(kExtraCommand, parser.error());
    const auto& operands = parser.positionals();
    const int definitionActions =
        parser.has("define-text") + parser.has("define-number") + parser.has("delete");
    const bool itemAction = parser.has("set") || parser.has("thumbnail");
    if (operands.empty() || operands.size() > 2)
        return UsageError(kExtraCommand, "expected FILE and at most one PATH");
    if (definitionActions > 1 || (definitionActions && (itemAction || operands.size() == 2)))
        return UsageError(kExtraCommand,
                          "give one of --define-text, --define-number, --delete, without PATH");
    if (itemAction && operands.size() != 2)
        return UsageError(kExtraCommand, "--set and --thumbnail need a PATH");
    if (parser.has("keep-values") && !parser.has("delete"))
        return UsageError(kExtraCommand, "--keep-values goes with --delete");
    Session session;
    if (!session.open(operands[0], definitionActions > 0 || itemAction))
        return kExitFailure;
    if (operands.size() == 2)
        return ItemExtra(session, parser, operands[1]);
    return ListOrDefine(session, parser);
}

}  // namespace

void DeclareCategorize(ArgParser& parser) {
    parser.option("set").flag("clear");
}

int ApplyCategorize(CatalogDocument& document, const ArgParser& parser,
                    std::span<const std::string> paths, EditStatus& status) {
    std::vector<std::string> names;
    if (int exitStatus = 0; !CategorizeNames(parser, paths.size(), names, exitStatus))
        return exitStatus;
    const CategoryDefinitions definitions = CategoryDefinitionsOf(*document.tree().root());
    CategoryIds ids{};
    for (size_t i = 0; i < names.size(); ++i) {
        const auto id = CategoryNamed(definitions, names[i]);
        if (!id)
            return Fail("no category '" + names[i] + "' in " + document.path());
        ids[i] = *id;
    }
    std::vector<CatalogItem*> items;
    for (const std::string& path : paths) {
        CatalogItem* item = ResolveCatalogPath(document.tree(), path);
        if (!item)
            return Fail("no item '" + path + "' in the catalog");
        items.push_back(item);
    }
    status = SetItemCategories(document, items, ids);
    return kExitSuccess;
}

void DeclareItemExtra(ArgParser& parser) {
    parser.option("set").option("thumbnail");
}

int ApplyItemExtra(CatalogDocument& document, const CatalogDefinitions& definitions,
                   const ArgParser& parser, const std::string& path, EditStatus& status) {
    CatalogItem* item = ResolveCatalogPath(document.tree(), path);
    if (!item)
        return Fail("no item '" + path + "' in the catalog");
    std::vector<ExtraInfoRow> rows = ExtraInfoRowsOf(*item);
    if (!parser.has("set") && !parser.has("thumbnail")) {
        for (const ExtraInfoRow& row : rows) {
            const bool image = ClassOfKey(row.key) == AttributeClass::Block;
            std::cout << text::ForTerminal(definitions.extraName(row.key)) << ": "
                      << (image ? "(image)" : text::ForTerminal(row.text)) << '\n';
        }
        status = EditStatus::Unchanged;
        return kExitSuccess;
    }
    ExtraInfoChange change;
    for (const ExtraInfoRow& row : rows)
        change.listedKeys.push_back(row.key);
    for (const std::string& assignment : parser.values("set")) {
        ExtraInfoRow set;
        if (const int exitStatus = ParseExtraAssignment(kExtraCommand, "set", definitions,
                                                        assignment, document.path(), set);
            exitStatus != kExitSuccess)
            return exitStatus;
        std::erase_if(rows, [&](const ExtraInfoRow& row) { return row.key == set.key; });
        rows.push_back(std::move(set));
    }
    if (const auto image = parser.value("thumbnail")) {
        const auto jpeg = ThumbnailFromFile(*image);
        if (!jpeg)
            return kExitFailure;
        std::erase_if(rows, [](const ExtraInfoRow& row) { return row.key == attr::Thumbnail; });
        rows.push_back({attr::Thumbnail, {}});
        change.thumbnail = [jpeg] { return jpeg; };
    } else {
        // The stored thumbnail stays as it is.
        const auto stored = item->blockAttribute(attr::Thumbnail);
        if (stored) {
            const std::vector<uint8_t> bytes(stored->begin(), stored->end());
            change.thumbnail = [bytes] { return std::optional(bytes); };
        }
    }
    change.rows = std::move(rows);
    CatalogItem* const items[] = {item};
    status = ApplyExtraInfo(document, items, change);
    return kExitSuccess;
}

int ParseExtraAssignment(const Command& command, std::string_view option,
                         const CatalogDefinitions& definitions, const std::string& assignment,
                         const std::string& catalogPath, ExtraInfoRow& row) {
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos)
        return UsageError(command, "--" + std::string(option) + " takes FIELD=VALUE");
    const std::string field = assignment.substr(0, equals);
    const auto key = definitions.extraKeyNamed(field);
    if (!key || *key == attr::Thumbnail)
        return Fail("no field '" + field + "' in " + catalogPath +
                    (key ? " to set as text (use extra --thumbnail)" : ""));
    row = {*key, assignment.substr(equals + 1)};
    return kExitSuccess;
}

}  // namespace shelfmark::cli
