// Catalog editing commands: add-disk, mkdir, rename, rm, mv, cp, ln, lend, empty, and batch,
// which runs many of them (and categorize, extra and undo) on one load and one save of the
// catalog. The rules of each
// edit live in the catalog library's operations; here arguments become items and statuses.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/CatalogPath.h"
#include "catalog/Definitions.h"
#include "catalog/DeleteOperations.h"
#include "catalog/EmptyOperations.h"
#include "catalog/FolderOperations.h"
#include "catalog/LendOperations.h"
#include "catalog/MoveCopyOperations.h"
#include "catalog/RenameOperations.h"
#include "cli/ArgParser.h"
#include "cli/CatalogLoad.h"
#include "cli/CategoryEdits.h"
#include "cli/Command.h"
#include "cli/TerminalPrompter.h"
#include "foundation/ShellWords.h"
#include "foundation/Utf8Text.h"
#include "platform/settings/AppSettings.h"

namespace shelfmark::cli {
namespace {

// Questions are asked on the terminal when there is one to answer them.
class EditPrompter : public CountingPrompter {
  public:
    bool interactive = false;

    PromptAnswer show(const PromptMessage& message) override {
        const bool question = message.buttons == PromptButtons::YesNo ||
                              message.buttons == PromptButtons::YesNoCancel;
        if (!question || !interactive)
            return CountingPrompter::show(message);
        const PromptMessage shown = WithCaption(message);
        std::cerr << "shelfmark-cli: " << shown.text << " [y/N] " << std::flush;
        std::string answer;
        if (!std::getline(std::cin, answer))
            return DefaultAnswer(message.buttons);
        return answer.starts_with('y') || answer.starts_with('Y') ? PromptAnswer::Yes
                                                                  : PromptAnswer::No;
    }
};

struct EditSession {
    EditPrompter prompter;
    CatalogDocument document{prompter};
    // Attached by batch only, whose categorize and extra lines name categories and fields.
    CatalogDefinitions definitions;
    std::string path;
    std::optional<bool> addShortcutTo;  // read from the settings at first use
};

using Operands = std::span<const std::string>;

struct EditCommand {
    const Command& command;
    void (*declare)(ArgParser& parser);
    int (*apply)(EditSession& session, const ArgParser& parser, Operands operands);
};

// Opens FILE and takes its lock: the catalog may not change behind the commands' back.
bool OpenForEditing(EditSession& session, const std::string& path) {
    session.path = path;
    // A catalog another process saved since it was read is read again under the lock, and the
    // commands work on what is there now.
    session.prompter.reloadChangedCatalogs();
    return OpenCatalogForCommand(session.document, path) && session.document.lockForEditing();
}

bool Resolve(EditSession& session, Operands paths, std::vector<CatalogItem*>& items) {
    for (const std::string& path : paths) {
        CatalogItem* item = ResolveCatalogPath(session.document.tree(), path);
        if (!item) {
            Fail("no item '" + path + "' in the catalog");
            return false;
        }
        items.push_back(item);
    }
    return true;
}

// The exit status of an operation: a refusal or any error it reported is a failure.
int StatusOf(const EditSession& session, int errorsBefore, EditStatus status) {
    if (status == EditStatus::Refused || session.prompter.errors > errorsBefore)
        return kExitFailure;
    return kExitSuccess;
}

// rm and empty ask first: on a terminal, or not at all with --yes.
bool MayAsk(const EditSession& session, const ArgParser& parser, bool& askFirst) {
    askFirst = !parser.has("yes");
    return !askFirst || session.prompter.interactive;
}

void DeclareNothing(ArgParser&) {}
void DeclareYes(ArgParser& parser) {
    parser.flag("yes");
}
void DeclareTo(ArgParser& parser) {
    parser.option("to");
}

// ---------------------------------------------------------------------------------------------

int ApplyMkdir(EditSession& session, const ArgParser&, Operands operands);
int RunMkdir(const std::vector<std::string>& args);
const Command kMkdirCommand{
    "mkdir", "add a folder to a catalog file",
    "Usage: shelfmark-cli mkdir FILE PARENT NAME\n"
    "\n"
    "Adds a folder NAME under the folder at the catalog path PARENT (\"\" or \"/\"\n"
    "for the root) in sorted position and saves FILE. Fails when PARENT is not a\n"
    "folder, when it already holds an item of that name, or when another\n"
    "Shelfmark process has unsaved changes in FILE.\n",
    RunMkdir};
const CommandRegistration kMkdir(kMkdirCommand);
const EditCommand kMkdirEdit{kMkdirCommand, DeclareNothing, ApplyMkdir};

int ApplyMkdir(EditSession& session, const ArgParser&, Operands operands) {
    if (operands.size() != 2)
        return UsageError(kMkdirCommand, "expected PARENT and NAME");
    std::vector<CatalogItem*> parent;
    if (!Resolve(session, operands.first(1), parent))
        return kExitFailure;
    const int errors = session.prompter.errors;
    return StatusOf(session, errors, CreateFolder(session.document, parent[0], operands[1]));
}

// ---------------------------------------------------------------------------------------------

int ApplyAddDisk(EditSession& session, const ArgParser& parser, Operands operands);
int RunAddDisk(const std::vector<std::string>& args);
const Command kAddDiskCommand{
    "add-disk", "add a disk entry by name, without reading a drive",
    "Usage: shelfmark-cli add-disk FILE FOLDER NAME --media "
    "cd|audio|vcd|removable|hdd|network\n"
    "\n"
    "Adds a disk NAME of the given media type under the catalog folder FOLDER (or\n"
    "the nearest folder above it) and saves FILE. The disk gets the catalog's next\n"
    "Disk ID and the first 16 characters of NAME as its volume label.\n",
    RunAddDisk};
const CommandRegistration kAddDisk(kAddDiskCommand);
const EditCommand kAddDiskEdit{kAddDiskCommand, [](ArgParser& parser) { parser.option("media"); },
                               ApplyAddDisk};

std::optional<MediaType> MediaTypeNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, MediaType> kNames[] = {
        {"cd", MediaType::CdRom},     {"audio", MediaType::AudioCd},
        {"vcd", MediaType::VideoCd},  {"removable", MediaType::Removable},
        {"hdd", MediaType::HardDisk}, {"network", MediaType::Network}};
    for (const auto& [known, type] : kNames) {
        if (known == name)
            return type;
    }
    return std::nullopt;
}

int ApplyAddDisk(EditSession& session, const ArgParser& parser, Operands operands) {
    if (operands.size() != 2)
        return UsageError(kAddDiskCommand, "expected FOLDER and NAME");
    const std::optional<MediaType> type = MediaTypeNamed(parser.valueOr("media", ""));
    if (!type)
        return UsageError(kAddDiskCommand,
                          "--media must be cd, audio, vcd, removable, hdd or network");
    std::vector<CatalogItem*> folder;
    if (!Resolve(session, operands.first(1), folder))
        return kExitFailure;
    const int errors = session.prompter.errors;
    return StatusOf(session, errors,
                    AddDiskByName(session.document, folder[0], operands[1], *type));
}

// ---------------------------------------------------------------------------------------------

int ApplyRename(EditSession& session, const ArgParser&, Operands operands);
int RunRename(const std::vector<std::string>& args);
const Command kRenameCommand{
    "rename", "give a catalog item a new name",
    "Usage: shelfmark-cli rename FILE PATH NEWNAME\n"
    "\n"
    "Renames the item at the catalog PATH and saves FILE. The item keeps its place\n"
    "among its siblings.\n",
    RunRename};
const CommandRegistration kRename(kRenameCommand);
const EditCommand kRenameEdit{kRenameCommand, DeclareNothing, ApplyRename};

int ApplyRename(EditSession& session, const ArgParser&, Operands operands) {
    if (operands.size() != 2)
        return UsageError(kRenameCommand, "expected PATH and NEWNAME");
    if (operands[1].find_first_of("\\/") != std::string::npos)
        return UsageError(kRenameCommand, "NEWNAME must not hold \\ or /");
    std::vector<CatalogItem*> items;
    if (!Resolve(session, operands.first(1), items))
        return kExitFailure;
    const int errors = session.prompter.errors;
    return StatusOf(session, errors, RenameItem(session.document, items[0], operands[1]));
}

// ---------------------------------------------------------------------------------------------

int ApplyRm(EditSession& session, const ArgParser& parser, Operands operands);
int RunRm(const std::vector<std::string>& args);
const Command kRmCommand{
    "rm", "delete catalog items",
    "Usage: shelfmark-cli rm FILE PATH... [--yes]\n"
    "\n"
    "Deletes the items at the catalog PATHs with everything below them and saves\n"
    "FILE. On a terminal the delete question is asked first; --yes deletes without\n"
    "asking, and is required when standard input is not a terminal.\n",
    RunRm};
const CommandRegistration kRm(kRmCommand);
const EditCommand kRmEdit{kRmCommand, DeclareYes, ApplyRm};

int ApplyRm(EditSession& session, const ArgParser& parser, Operands operands) {
    if (operands.empty())
        return UsageError(kRmCommand, "expected at least one PATH");
    bool askFirst = true;
    if (!MayAsk(session, parser, askFirst))
        return UsageError(kRmCommand, "not on a terminal: give --yes to delete without asking");
    std::vector<CatalogItem*> items;
    if (!Resolve(session, operands, items))
        return kExitFailure;
    const int errors = session.prompter.errors;
    return StatusOf(session, errors,
                    DeleteItems(session.document, items, {.undoable = true, .askFirst = askFirst}));
}

// ---------------------------------------------------------------------------------------------

enum class Transfer { Move, Copy, Shortcut };

int ApplyTransfer(EditSession& session, const ArgParser& parser, Operands operands,
                  const Command& command, Transfer transfer) {
    const std::optional<std::string> to = parser.value("to");
    if (!to)
        return UsageError(command, "--to FOLDER is required");
    if (operands.empty())
        return UsageError(command, "expected at least one PATH");
    std::vector<CatalogItem*> items, target;
    if (!Resolve(session, operands, items) || !Resolve(session, {&*to, 1}, target))
        return kExitFailure;
    const int errors = session.prompter.errors;
    EditStatus status = EditStatus::Unchanged;
    switch (transfer) {
        case Transfer::Move:
            status = MoveToFolder(session.document, items, target[0]);
            break;
        case Transfer::Copy:
            status = CopyToFolder(session.document, items, target[0]);
            break;
        case Transfer::Shortcut:
            if (!session.addShortcutTo)
                session.addShortcutTo = AppSettings::Load(SettingsStore()).bAddShortcutTo;
            status = CreateShortcuts(session.document, items, target[0], *session.addShortcutTo);
            break;
    }
    return StatusOf(session, errors, status);
}

int RunMv(const std::vector<std::string>& args);
const Command kMvCommand{
    "mv", "move folders, disks and shortcuts to another folder",
    "Usage: shelfmark-cli mv FILE PATH... --to FOLDER\n"
    "\n"
    "Moves the items at the catalog PATHs (folders, disks and shortcuts only) into\n"
    "the catalog folder FOLDER, in sorted position, and saves FILE. Folder sizes\n"
    "follow. An item that holds FOLDER stays where it is.\n",
    RunMv};
const CommandRegistration kMv(kMvCommand);
const EditCommand kMvEdit{
    kMvCommand, DeclareTo, [](EditSession& session, const ArgParser& parser, Operands operands) {
        return ApplyTransfer(session, parser, operands, kMvCommand, Transfer::Move);
    }};

int RunCp(const std::vector<std::string>& args);
const Command kCpCommand{
    "cp", "copy folders, disks and shortcuts to another folder",
    "Usage: shelfmark-cli cp FILE PATH... --to FOLDER\n"
    "\n"
    "Copies the items at the catalog PATHs (folders, disks and shortcuts only) with\n"
    "everything below them to the end of the catalog folder FOLDER and saves FILE.\n"
    "The contents of password-protected items are not copied.\n",
    RunCp};
const CommandRegistration kCp(kCpCommand);
const EditCommand kCpEdit{
    kCpCommand, DeclareTo, [](EditSession& session, const ArgParser& parser, Operands operands) {
        return ApplyTransfer(session, parser, operands, kCpCommand, Transfer::Copy);
    }};

int RunLn(const std::vector<std::string>& args);
const Command kLnCommand{
    "ln", "create shortcuts to catalog items",
    "Usage: shelfmark-cli ln FILE PATH... --to FOLDER\n"
    "\n"
    "Creates in the catalog folder FOLDER a shortcut to each item at the catalog\n"
    "PATHs (to the final target when the item is a shortcut itself) and saves FILE.\n"
    "With the setting bAddShortcutTo on (the default) the names start with\n"
    "\"Shortcut to \".\n",
    RunLn};
const CommandRegistration kLn(kLnCommand);
const EditCommand kLnEdit{
    kLnCommand, DeclareTo, [](EditSession& session, const ArgParser& parser, Operands operands) {
        return ApplyTransfer(session, parser, operands, kLnCommand, Transfer::Shortcut);
    }};

// ---------------------------------------------------------------------------------------------

// "YYYY-MM-DD" as an item date (midnight UTC).
std::optional<int32_t> ParseDate(const std::string& text) {
    int year = 0, month = 0, day = 0;
    char end = 0;
    if (text.size() != 10 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &end) != 3)
        return std::nullopt;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    const time_t seconds = timegm(&fields);
    if (month < 1 || month > 12 || day < 1 || fields.tm_mday != day || seconds < INT32_MIN ||
        seconds > INT32_MAX)
        return std::nullopt;
    return int32_t(seconds);
}

int ApplyLend(EditSession& session, const ArgParser& parser, Operands operands);
int RunLend(const std::vector<std::string>& args);
const Command kLendCommand{
    "lend", "record that disks are lent, or that they came back",
    "Usage: shelfmark-cli lend FILE DISK... --to NAME [--date YYYY-MM-DD]\n"
    "       shelfmark-cli lend FILE DISK... --return\n"
    "\n"
    "Marks the disks at the catalog paths DISK as lent to NAME on the given date\n"
    "(midnight UTC; today when omitted), or as returned, and saves FILE. Only disks\n"
    "can be lent.\n",
    RunLend};
const CommandRegistration kLend(kLendCommand);
const EditCommand kLendEdit{
    kLendCommand, [](ArgParser& parser) { parser.option("to").option("date").flag("return"); },
    ApplyLend};

int ApplyLend(EditSession& session, const ArgParser& parser, Operands operands) {
    const std::optional<std::string> borrower = parser.value("to");
    if (borrower.has_value() == parser.has("return"))
        return UsageError(kLendCommand, "give either --to NAME or --return");
    if (borrower && borrower->empty())
        return UsageError(kLendCommand, "NAME must not be empty (use --return)");
    if (operands.empty())
        return UsageError(kLendCommand, "expected at least one DISK");
    LendRequest request{borrower.value_or(""), -1};
    if (const std::optional<std::string> date = parser.value("date")) {
        if (!borrower)
            return UsageError(kLendCommand, "--date goes with --to");
        const std::optional<int32_t> parsed = ParseDate(*date);
        if (!parsed)
            return UsageError(kLendCommand, "--date must be a date YYYY-MM-DD");
        request.date = *parsed;
    }
    std::vector<CatalogItem*> disks;
    if (!Resolve(session, operands, disks))
        return kExitFailure;
    const int errors = session.prompter.errors;
    return StatusOf(session, errors, LendDisks(session.document, disks, request));
}

// ---------------------------------------------------------------------------------------------

int ApplyEmpty(EditSession& session, const ArgParser& parser, Operands operands);
int RunEmpty(const std::vector<std::string>& args);
const Command kEmptyCommand{
    "empty", "drop the contents of archives or disks",
    "Usage: shelfmark-cli empty FILE PATH... --archives|--disks [--yes]\n"
    "\n"
    "--archives: every archive in or below the catalog PATHs loses the entries read\n"
    "from inside it and becomes a plain file. --disks: every disk there loses\n"
    "everything read from it but stays, with its attributes. Password-protected\n"
    "items are left alone. On a terminal the question is asked first; --yes goes\n"
    "ahead without asking, and is required when standard input is not a terminal.\n",
    RunEmpty};
const CommandRegistration kEmpty(kEmptyCommand);
const EditCommand kEmptyEdit{
    kEmptyCommand, [](ArgParser& parser) { parser.flag("archives").flag("disks").flag("yes"); },
    ApplyEmpty};

int ApplyEmpty(EditSession& session, const ArgParser& parser, Operands operands) {
    if (parser.has("archives") == parser.has("disks"))
        return UsageError(kEmptyCommand, "give either --archives or --disks");
    if (operands.empty())
        return UsageError(kEmptyCommand, "expected at least one PATH");
    bool askFirst = true;
    if (!MayAsk(session, parser, askFirst))
        return UsageError(kEmptyCommand,
                          "not on a terminal: give --yes to go ahead without asking");
    std::vector<CatalogItem*> items;
    if (!Resolve(session, operands, items))
        return kExitFailure;
    const int errors = session.prompter.errors;
    return StatusOf(
        session, errors,
        EmptyItems(session.document, items,
                   parser.has("archives") ? EmptyWhat::Archives : EmptyWhat::Disks, askFirst));
}

// ---------------------------------------------------------------------------------------------

int ApplyUndo(EditSession& session, const ArgParser&, Operands operands);
const Command kUndoLine{"undo", "", "", nullptr};  // a batch line only
const EditCommand kUndoEdit{kUndoLine, DeclareNothing, ApplyUndo};

int ApplyUndo(EditSession& session, const ArgParser&, Operands operands) {
    if (!operands.empty())
        return Fail("undo takes no arguments");
    // In a batch nobody is asked whether undoing an insert may delete what it made.
    switch (session.document.undo(false)) {
        case CatalogDocument::UndoResult::Done:
            return kExitSuccess;
        case CatalogDocument::UndoResult::NothingToUndo:
            return Fail("nothing to undo");
        default:
            return kExitFailure;
    }
}

// ---------------------------------------------------------------------------------------------

// categorize and extra as batch lines; as commands of their own they live with the category
// commands, which share these edits.
int ApplyCategorizeLine(EditSession& session, const ArgParser& parser, Operands operands) {
    const int errors = session.prompter.errors;
    EditStatus status = EditStatus::Unchanged;
    if (const int exitStatus = ApplyCategorize(session.document, parser, operands, status))
        return exitStatus;
    return StatusOf(session, errors, status);
}
const Command kCategorizeLine{"categorize", "", "", nullptr};
const EditCommand kCategorizeEdit{kCategorizeLine, DeclareCategorize, ApplyCategorizeLine};

int ApplyExtraLine(EditSession& session, const ArgParser& parser, Operands operands) {
    if (operands.size() != 1 || !(parser.has("set") || parser.has("thumbnail")))
        return Fail("extra: give PATH with --set FIELD=VALUE or --thumbnail IMAGE");
    const int errors = session.prompter.errors;
    EditStatus status = EditStatus::Unchanged;
    if (const int exitStatus = ApplyItemExtra(session.document, session.definitions, parser,
                                              operands[0], status))
        return exitStatus;
    return StatusOf(session, errors, status);
}
const Command kExtraLine{"extra", "", "", nullptr};
const EditCommand kExtraEdit{kExtraLine, DeclareItemExtra, ApplyExtraLine};

const EditCommand* const kEdits[] = {&kAddDiskEdit, &kMkdirEdit, &kRenameEdit,     &kRmEdit,
                                     &kMvEdit,      &kCpEdit,    &kLnEdit,         &kLendEdit,
                                     &kEmptyEdit,   &kUndoEdit,  &kCategorizeEdit, &kExtraEdit};

int RunEdit(const EditCommand& edit, const std::vector<std::string>& args) {
    ArgParser parser;
    edit.declare(parser);
    if (!parser.parse(args))
        return UsageError(edit.command, parser.error());
    if (parser.positionals().empty())
        return UsageError(edit.command, "expected FILE");
    EditSession session;
    session.prompter.interactive = ::isatty(STDIN_FILENO) == 1;
    if (!OpenForEditing(session, parser.positionals()[0]))
        return kExitFailure;
    const int status = edit.apply(session, parser, Operands(parser.positionals()).subspan(1));
    if (status != kExitSuccess || !session.document.isModified())
        return status;
    return session.document.saveCatalogFile(session.path) ? kExitSuccess : kExitFailure;
}

int RunMkdir(const std::vector<std::string>& args) {
    return RunEdit(kMkdirEdit, args);
}
int RunAddDisk(const std::vector<std::string>& args) {
    return RunEdit(kAddDiskEdit, args);
}
int RunRename(const std::vector<std::string>& args) {
    return RunEdit(kRenameEdit, args);
}
int RunRm(const std::vector<std::string>& args) {
    return RunEdit(kRmEdit, args);
}
int RunMv(const std::vector<std::string>& args) {
    return RunEdit(kMvEdit, args);
}
int RunCp(const std::vector<std::string>& args) {
    return RunEdit(kCpEdit, args);
}
int RunLn(const std::vector<std::string>& args) {
    return RunEdit(kLnEdit, args);
}
int RunLend(const std::vector<std::string>& args) {
    return RunEdit(kLendEdit, args);
}
int RunEmpty(const std::vector<std::string>& args) {
    return RunEdit(kEmptyEdit, args);
}

// ---------------------------------------------------------------------------------------------

int RunBatch(const std::vector<std::string>& args);
const Command kBatchCommand{
    "batch", "run many edits on one load and one save of a catalog",
    "Usage: shelfmark-cli batch FILE [SCRIPT]\n"
    "\n"
    "Runs the edit commands of SCRIPT (standard input when omitted), one a line,\n"
    "against FILE, loaded once and saved once at the end. A line is a command\n"
    "without FILE, its words split and quoted as a shell does:\n"
    "  add-disk, mkdir, rename, rm, mv, cp, ln, lend, empty,\n"
    "  categorize PATH... --set NAME[,NAME...]|--clear,\n"
    "  extra PATH [--set FIELD=VALUE]... [--thumbnail IMAGE], and\n"
    "  undo      takes back the newest edit (of this batch; at most 32)\n"
    "Empty lines and lines starting with # are skipped. The first line that fails\n"
    "stops the batch with its line number, and FILE is left untouched. Since \\\n"
    "quotes the next character, write catalog paths with / or in quotes.\n",
    RunBatch};
const CommandRegistration kBatch(kBatchCommand);

int RunBatch(const std::vector<std::string>& args) {
    ArgParser parser;
    if (!parser.parse(args))
        return UsageError(kBatchCommand, parser.error());
    if (parser.positionals().empty() || parser.positionals().size() > 2)
        return UsageError(kBatchCommand, "expected FILE and at most one SCRIPT");
    std::ifstream scriptFile;
    const bool fromFile = parser.positionals().size() == 2;
    if (fromFile) {
        scriptFile.open(parser.positionals()[1]);
        if (!scriptFile)
            return Fail("cannot open '" + parser.positionals()[1] + "': " + std::strerror(errno));
    }
    std::istream& script = fromFile ? static_cast<std::istream&>(scriptFile) : std::cin;

    EditSession session;
    session.prompter.interactive = fromFile && ::isatty(STDIN_FILENO) == 1;
    session.definitions.attach(session.document, std::string(kCategoriesProfile));
    if (!OpenForEditing(session, parser.positionals()[0]))
        return kExitFailure;
    std::string line;
    for (uint64_t number = 1; std::getline(script, line); ++number) {
        auto stopped = [&](int status) {
            std::cerr << "shelfmark-cli: batch stopped at line " << number << "; '" << text::ForTerminal(session.path) << "' is unchanged\n";
            return status;
        };
        std::string error;
        const std::optional<std::vector<std::string>> split = text::SplitShellWords(line, error);
        if (!split)
            return stopped(Fail(error));
        const std::vector<std::string>& words = *split;
        if (words.empty() || words[0].starts_with('#'))
            continue;
        const EditCommand* edit = nullptr;
        for (const EditCommand* known : kEdits) {
            if (known->command.name == words[0])
                edit = known;
        }
        if (!edit)
            return stopped(Fail("unknown batch command '" + words[0] + "'"));
        ArgParser lineParser;
        edit->declare(lineParser);
        if (!lineParser.parse({words.begin() + 1, words.end()}))
            return stopped(Fail(words[0] + ": " + lineParser.error()));
        const int status = edit->apply(session, lineParser, lineParser.positionals());
        if (status != kExitSuccess)
            return stopped(status);
    }
    if (!session.document.isModified())
        return kExitSuccess;
    return session.document.saveCatalogFile(session.path) ? kExitSuccess : kExitFailure;
}

}  // namespace
}  // namespace shelfmark::cli
