// Every command of the main window: its menu text (a language section and key), the prompt the
// status bar and the tooltip show, and its shortcut. The menus and the toolbar are built from
// this table, so a command has one text, one prompt and one shortcut wherever it appears.
//
// Shortcuts are written in Qt's portable form; the shortcut a menu text shows after its line
// break or tab is only for the reader of a language file and is not parsed (a translation writes
// "Strg" for "Ctrl").
#pragma once

#include <span>
#include <string_view>

#include "foundation/PromptIds.h"

namespace shelfmark {

enum class CommandId {
    New, Open, Save, SaveAs, ImportDatabase, ExportDatabase, ExportXml, ImportCdPlayer, Exit,
    Undo, Cut, Copy, Paste, SelectAll, CopyPath, Properties,
    ReadDisk, UpdateDisk, AddDiskName, CreateFolder, Rename, Delete, CopyToFolder, MoveToFolder,
    CreateShortcuts, GoToTarget, Lend, EmptyArchives, EmptyDisks, OpenItem, OpenWith,
    ItemCategories, SetPassword, EnterPassword,
    Search, SearchDuplicates, DiskList, ItemList, PrintExportList, Cddb, Categories,
    ExtraInformation, Settings,
    ToggleToolbar, ToggleStatusBar, LargeIcons, SmallIcons, ListStyle, Details, ItemInformation,
    ShowDescriptions, Columns, Sort, Refresh, OneLevelUpward, AutoArrange,
    MinimizeToTray, RestoreFromTray, CheckVersion, About,
    ImportOtherCatalogs, ExportNcdu, Statistics,
};

struct CommandInfo {
    CommandId id;
    std::string_view section;  // language section of the menu text
    int key;                   // key in that section
    PromptId prompt;
    std::string_view shortcut;  // Qt portable text; empty: none
    // Whether the command changes the catalog (disabled while a read runs).
    bool edits;
};

std::span<const CommandInfo> CommandTable();
const CommandInfo& FindCommand(CommandId id);

// A menu text up to its first line break or tab: the label without the shortcut note.
std::string_view MenuEntryText(std::string_view text);
// A prompt text's two parts: the status bar line and, after the line break, the tooltip (the
// label without "&" when there is no line break).
struct PromptParts {
    std::string_view statusText;
    std::string_view tooltip;
};
PromptParts SplitPrompt(std::string_view prompt);

}  // namespace shelfmark
