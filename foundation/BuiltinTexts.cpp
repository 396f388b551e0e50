#include "foundation/BuiltinTexts.h"

#include <algorithm>

#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

// A key number names one message for all versions of a language file: never renumber these.
constexpr BuiltinText kTexts[] = {
    // Strings: messages, captions, column titles and other general texts.
    {"Strings", 7, "This item was not found."},
    {"Strings", 18, "Hereby you delete the current search result."},
    {"Strings", 19, "Please fill out this field correctly."},
    {"Strings", 21, "Loading"},
    {"Strings", 24, "Folder"},
    {"Strings", 25, "Directory"},
    {"Strings", 26, "File"},
    {"Strings", 32, "Do you really want to delete the %d objects?"},
    {"Strings", 33, "Do you really want to delete '%s'?"},
    {"Strings", 35,
     "This is a file in format v%d.%d. It will be automatically converted to the new format v%d.%d "
     "on saving. "
     "But then previous versions of Halvenmoor Shelfmark are not able to read it any more."},
    {"Strings", 72, "Lent to"},
    {"Strings", 73, "Name"},
    {"Strings", 74, "Size"},
    {"Strings", 75, "Type"},
    {"Strings", 76, "Modified"},
    {"Strings", 80,
     "Please insert the disk '%s' (serial number %04X-%04X) into the specified drive or select the "
     "drive, in "
     "which the disk is inserted."},
    {"Strings", 81, "This command cannot be used with an item of this kind."},
    {"Strings", 82, "Only one directory can be opened."},
    {"Strings", 83, "More Search dialogs should be opened than allowed."},
    {"Strings", 84, "General"},
    {"Strings", 85, "Extended"},
    {"Strings", 86, "In Directory"},
    {"Strings", 94, "Import .TKD file(s)"},
    {"Strings", 95, "Export .TKD file"},
    {"Strings", 96,
     "This program requires Microsoft Internet Explorer version %d.%02d or later.\n\nSee the "
     "Readme file for more "
     "information."},
    {"Strings", 98, "Select the folder, to which the items shall be sent."},
    {"Strings", 102, "Cannot open file for writing."},
    {"Strings", 105,
     "This file is in a format that is not supported. You will need a newer version of Halvenmoor "
     "Shelfmark to "
     "open it."},
    {"Strings", 106,
     "This file is in a format that is not supported any more.\n Please convert it to a newer "
     "format using the "
     "'Tarnwick Database Converter'\navailable on the Halvenmoor Shelfmark homepage."},
    {"Strings", 114, "Removable Disk"},
    {"Strings", 115, "Hard Disk"},
    {"Strings", 116, "Network Drive"},
    {"Strings", 119,
     "Error changing to %s.\nPlease verify that this path is correct and try again."},
    {"Strings", 128, "&Update serial number of '%s'."},
    {"Strings", 129, "Path '%s' not found."},
    {"Strings", 131, "Save changes to %1?"},
    {"Strings", 137,
     "Cannot lock the file for changes.\nIt might be already locked by another process,\nor it "
     "might be "
     "read-only."},
    {"Strings", 138,
     "The database file has been modified since you opened it. You must reload it in order to make "
     "changes.\nDo you want to reload the database now?"},
    {"Strings", 139, "equal to"},
    {"Strings", 140, "at least"},
    {"Strings", 141, "at best"},
    {"Strings", 142, "Could not initialize CDDB Control."},
    {"Strings", 144, "Description"},
    {"Strings", 145, "Disc not found"},
    {"Strings", 146, "You changed disc information.\nSumbit changes to CDDB?"},
    {"Strings", 147,
     "Table Of Contents information for '%s' not available.\nYou have to insert this disk to query "
     "information "
     "from discora."},
    {"Strings", 149, "Getting Audio CD information from discora. Please wait."},
    {"Strings", 151, "Select &new"},
    {"Strings", 154, "You already have the latest version of Halvenmoor Shelfmark."},
    {"Strings", 156,
     "A newer version (%s) of Halvenmoor Shelfmark is available. Show more information?"},
    {"Strings", 158, "Disk ID"},
    {"Strings", 159, "Volume"},
    {"Strings", 160, "Do you also want to remove the program settings?"},
    {"Strings", 162, "Select an item to view its description."},
    {"Strings", 163, "%d items selected."},
    {"Strings", 164, "Total size"},
    {"Strings", 173, "Do you really want to cancel the process?"},
    {"Strings", 174, "%d item(s) found."},
    {"Strings", 175, "Exporting..."},
    {"Strings", 176, "No profile selected!"},
    {"Strings", 177, "The filename format string does not contain any variables!"},
    {"Strings", 178, "No columns defined!"},
    {"Strings", 179, "left"},
    {"Strings", 180, "right"},
    {"Strings", 181, "center"},
    {"Strings", 185,
     "This language file has a different version number than this Halvenmoor Shelfmark "
     "version.\nThis might "
     "cause some strings not to be translated correctly.\nPlease check the download section of the "
     "Halvenmoor "
     "Shelfmark homepage for a matching version of the language file."},
    {"Strings", 187, "Do you really want to empty all archives within the selected items?"},
    {"Strings", 188, "Categories"},
    {"Strings", 189, "ReWritable"},
    {"Strings", 190, "No categories defined."},
    {"Strings", 192, "Shortcut"},
    {"Strings", 193, "Target"},
    {"Strings", 196, "Item List Profiles"},
    {"Strings", 198, "Shortcut to"},
    {"Strings", 199, "Do you really want to empty all disks within the selected items?"},
    {"Strings", 205,
     "This category is assigned to some items. Do you also want to remove these assignments?"},
    {"Strings", 209, "|All Files (*.*)|*.*|"},
    {"Strings", 217, "Value"},
    {"Strings", 218, "Extra Information"},
    {"Strings", 219, "Artist"},
    {"Strings", 220, "Title"},
    {"Strings", 221, "Source"},
    {"Strings", 222, "Location"},
    {"Strings", 223, "Comment"},
    {"Strings", 224, "Author"},
    {"Strings", 225, "Album"},
    {"Strings", 226, "less than"},
    {"Strings", 227, "equal to"},
    {"Strings", 228, "greater than"},
    {"Strings", 229, "between"},
    {"Strings", 230, "contains"},
    {"Strings", 231, "matches"},
    {"Strings", 232, "Width"},
    {"Strings", 233, "Height"},
    {"Strings", 234, "Bit depth"},
    {"Strings", 235, "Set &Password...\nCtrl+R"},
    {"Strings", 236, "Enter/ Remove &Password...\nCtrl+Shift+R"},
    {"Strings", 245, "Serial number"},
    {"Strings", 247, "Volume Serial Number"},
    {"Strings", 248, "Error accessing CDDB server."},
    {"Strings", 249, "CDDB access failed for one or more discs.\nDo you want to retry?"},
    {"Strings", 250, "Genre"},
    {"Strings", 251, "Item"},
    {"Strings", 252,
     "No email address given.\nPlease enter your email address to be able to submit discs to "
     "CDDB."},
    {"Strings", 255, "Thumbnail"},

    // Dialogs, property pages and menus: each numbers its own labels.
    {"Dlg_CDDB", 3, "Se&ttings"},
    {"Dlg_CDDB", 4, "&Select"},
    {"Dlg_CDDB", 6, "Disc &Info"},
    {"Dlg_CDDB", 7, "Submit &New"},
    {"Dlg_CDDB", 10, "&Browser"},
    {"Dlg_Common", 0, "OK"},
    {"Dlg_Common", 1, "Cancel"},
    {"Dlg_Common", 2, "&Delete"},
    {"Dlg_ExportList", 3, "Total Width:"},
    {"Menu_Selection", 0, "Select &all"},
    {"Menu_Selection", 1, "&Unselect all"},
    {"Menu_Selection", 2, "&Invert selection"},
};

constexpr BuiltinPrompt kPrompts[] = {
    {PromptId::Idle, "Ready"},
    {PromptId::ReadDisk,
     "Adds the directory structure of a disk to the active database.\nRead Disk (Ctrl+H)"},
    {PromptId::UpdateDisk, "Updates the contents of the selected disk.\nUpdate Disk (Ctrl+U)"},
    {PromptId::AddDiskName, "Adds only the name of a disk to the active database."},
    {PromptId::Delete, "Deletes the selected entry from the database.\nDelete (Del)"},
    {PromptId::Rename, "Rename entry."},
    {PromptId::CreateFolder, "Creates a new folder.\nCreate Folder (Ctrl+M)"},
    {PromptId::Lend, "Sets/ resets the lent-flag of the disk."},
    {PromptId::CopyToFolder, "Copies the selected items to another folder."},
    {PromptId::MoveToFolder, "Moves the selected items to another folder."},
    {PromptId::CreateShortcuts, "Creates shortcut(s) to the selected item(s)."},
    {PromptId::GoToTarget, "Go to the target of this shortcut."},
    {PromptId::EmptyArchives, "Removes the contents of archives within the selected item(s)."},
    {PromptId::EmptyDisks, "Removes the contents of disks within the selected item(s)."},
    {PromptId::Search, "Searches in the active database for a string.\nSearch (Ctrl+F)"},
    {PromptId::SearchDuplicates,
     "Searches in the active database for duplicate files.\nSearch Duplicates (Ctrl+B)"},
    {PromptId::DiskList,
     "Shows a list of all available disks in the database.\nDisk List (Ctrl+L)"},
    {PromptId::ItemList, "Shows the contents of the selected item.\nItem List (Ctrl+I)"},
    {PromptId::PrintExportList, "Prints or exports the current list.\nPrint/ Export List (Ctrl+P)"},
    {PromptId::ExportToXml, "Exports the selected item(s) to an XML document."},
    {PromptId::ExportDatabase, "Exports the selected disks and folders to a new database."},
    {PromptId::ImportDatabase, "Imports the contents of database(s) into this database."},
    {PromptId::ImportCdPlayer, "Imports the CDs from CDPlayer.ini into the active database."},
    {PromptId::Cddb, "Queries CD information from discora.\nCDDB (Ctrl+D)"},
    {PromptId::Categories, "Edit defined categories."},
    {PromptId::ItemCategories,
     "Edit the categories of the selected item(s).\nItem Categories (Ctrl+K)"},
    {PromptId::ExtraInformation, "Adds, edits or deletes user-defined Extra Information values."},
    {PromptId::SetPassword,
     "Protects sub-items of the selected item(s) with a password.\nSet Password (Ctrl+R)"},
    {PromptId::EnterRemovePassword,
     "Unlocks the selected item(s) and/ or removes password protection.\nEnter/ Remove Password "
     "(Ctrl+Shift+R)"},
    {PromptId::Settings, "Shows dialog for changing program settings.\nSettings (Ctrl+Shift+E)"},
    {PromptId::TraySettings,
     "Shows dialog for changing program settings.\nSettings (Ctrl+Shift+E)"},
    {PromptId::ShowDescriptions, "Display description of items instead of their names."},
    {PromptId::Columns, "Adjusts the columns shown in the list-view."},
    {PromptId::Sort, "Sorts the objects in the list-view."},
    {PromptId::OneLevelUpward, "Changes one level upward.\nOne level upward"},
    {PromptId::CheckVersion, "Check if new program version is available."},
    {PromptId::MinimizeToTray, "&Minimize to SysTray\tAlt+T"},
    {PromptId::SelectSearchFolder, "Select the folder, in which the search shall start."},
    {PromptId::SelectInsertFolder, "Select the folder, in which the disk shall be inserted."},
    {PromptId::NewDatabase, "Creates a new database.\nNew (Ctrl+N)"},
    {PromptId::OpenDatabase, "Opens an existing database.\nOpen (Ctrl+O)"},
    {PromptId::SaveDatabase, "Saves the active database.\nSave (Ctrl+S)"},
    {PromptId::SaveDatabaseAs, "Saves the active database with a new name.\nSave As"},
    {PromptId::Exit, "Quits the program; asks to save a modified database.\nExit"},
    {PromptId::About, "Displays program information, version number and copyright.\nAbout"},
    {PromptId::Undo, "Undoes the last change.\nUndo (Ctrl+Z)"},
    {PromptId::Cut, "Moves the selected items to the clipboard.\nCut (Ctrl+X)"},
    {PromptId::Copy, "Copies the selected items to the clipboard.\nCopy (Ctrl+C)"},
    {PromptId::Paste, "Inserts the items from the clipboard.\nPaste (Ctrl+V)"},
    {PromptId::SelectAll, "Selects all items of the list.\nSelect All (Ctrl+A)"},
    {PromptId::Properties, "Shows the properties of the selected item.\nProperties (Alt+Enter)"},
    {PromptId::ToggleToolbar, "Shows or hides the toolbar.\nToggle Toolbar"},
    {PromptId::ToggleStatusBar, "Shows or hides the status bar.\nToggle Status Bar"},
    {PromptId::LargeIcons, "Displays the items with large icons.\nLarge Icons"},
    {PromptId::SmallIcons, "Displays the items with small icons.\nSmall Icons"},
    {PromptId::ListStyle, "Displays the items in a list.\nList"},
    {PromptId::Details, "Displays information about each item in the list.\nDetails"},
    {PromptId::ItemInformation,
     "Shows information about the selected items as a web page.\nItem Information"},
    {PromptId::Refresh, "Refreshes the tree and the list.\nRefresh (F5)"},
    {PromptId::RecentDatabase, "Opens this database."},
    {PromptId::HelpTopics, "Lists the help topics.\nHelp Topics (F1)"},
    {PromptId::OpenItem, "Opens the selected item on its medium."},
    {PromptId::CustomizeToolbar, "Customizes the toolbar."},
    {PromptId::AutoArrange, "Arranges the icons automatically."},
    {PromptId::RestoreFromTray, "Restores the main window.\nRestore"},
    {PromptId::WindowSize, "Changes the window size."},
    {PromptId::WindowMinimize, "Reduces the window to an icon."},
    {PromptId::WindowMaximize, "Enlarges the window to full size."},
    {PromptId::WindowRestore, "Restores the window to normal size."},
    {PromptId::WindowClose, "Closes the window; asks to save a modified database."},
    {PromptId::WindowMove, "Changes the window position."},
    {PromptId::HomePage, "Opens the Halvenmoor Shelfmark homepage."},
};

constexpr PromptKey kPromptKeys[] = {
    {PromptId::Idle, 0},
    {PromptId::ReadDisk, 1},
    {PromptId::Delete, 3},
    {PromptId::Search, 4},
    {PromptId::UpdateDisk, 5},
    {PromptId::CreateFolder, 6},
    {PromptId::Rename, 8},
    {PromptId::DiskList, 9},
    {PromptId::ItemList, 11},
    {PromptId::AddDiskName, 20},
    {PromptId::PrintExportList, 23},
    {PromptId::Settings, 31},
    {PromptId::TraySettings, 31},
    {PromptId::Lend, 34},
    {PromptId::CopyToFolder, 36},
    {PromptId::MoveToFolder, 38},
    {PromptId::CreateShortcuts, 39},
    {PromptId::GoToTarget, 47},
    {PromptId::EmptyArchives, 48},
    {PromptId::EmptyDisks, 49},
    {PromptId::ExportToXml, 50},
    {PromptId::ExportDatabase, 51},
    {PromptId::ImportDatabase, 53},
    {PromptId::ImportCdPlayer, 54},
    {PromptId::Categories, 55},
    {PromptId::ItemCategories, 56},
    {PromptId::ExtraInformation, 57},
    {PromptId::ShowDescriptions, 58},
    {PromptId::Columns, 59},
    {PromptId::Sort, 60},
    {PromptId::OneLevelUpward, 61},
    {PromptId::CheckVersion, 62},
    {PromptId::MinimizeToTray, 63},
    {PromptId::NewDatabase, 64},
    {PromptId::OpenDatabase, 65},
    {PromptId::SaveDatabase, 66},
    {PromptId::SaveDatabaseAs, 67},
    {PromptId::Exit, 68},
    {PromptId::About, 69},
    {PromptId::Undo, 70},
    {PromptId::Cut, 71},
    {PromptId::SelectSearchFolder, 100},
    {PromptId::SelectInsertFolder, 101},
    {PromptId::Copy, 107},
    {PromptId::Paste, 108},
    {PromptId::SelectAll, 109},
    {PromptId::Properties, 110},
    {PromptId::ToggleToolbar, 111},
    {PromptId::ToggleStatusBar, 112},
    {PromptId::LargeIcons, 113},
    {PromptId::SmallIcons, 153},
    {PromptId::ListStyle, 161},
    {PromptId::Cddb, 167},
    {PromptId::Details, 168},
    {PromptId::ItemInformation, 182},
    {PromptId::Refresh, 184},
    {PromptId::RecentDatabase, 186},
    {PromptId::HelpTopics, 191},
    {PromptId::OpenItem, 195},
    {PromptId::CustomizeToolbar, 200},
    {PromptId::AutoArrange, 203},
    {PromptId::SearchDuplicates, 207},
    {PromptId::RestoreFromTray, 210},
    {PromptId::WindowSize, 213},
    {PromptId::WindowMinimize, 215},
    {PromptId::WindowMaximize, 216},
    {PromptId::WindowRestore, 239},
    {PromptId::SetPassword, 240},
    {PromptId::EnterRemovePassword, 241},
    {PromptId::WindowClose, 243},
    {PromptId::WindowMove, 244},
    {PromptId::HomePage, 246},
};

static_assert(std::size(kPromptKeys) == 72);
static_assert(std::size(kPrompts) == 72);

}  // namespace

std::span<const BuiltinText> BuiltinTexts() {
    return kTexts;
}

std::string_view FindBuiltinText(std::string_view section, int key) {
    for (const BuiltinText& entry : kTexts)
        if (entry.key == key && text::EqualsNoCase(entry.section, section))
            return entry.text;
    if (text::EqualsNoCase(section, kStringsSection))
        for (const PromptKey& row : kPromptKeys)
            if (row.key == key)
                return BuiltinPromptText(row.id);
    return {};
}

std::span<const BuiltinPrompt> BuiltinPrompts() {
    return kPrompts;
}

std::string_view BuiltinPromptText(PromptId id) {
    const auto* found = std::find_if(std::begin(kPrompts), std::end(kPrompts),
                                     [id](const BuiltinPrompt& p) { return p.id == id; });
    return found == std::end(kPrompts) ? std::string_view() : found->text;
}

std::span<const PromptKey> DefaultPromptKeys() {
    return kPromptKeys;
}

}  // namespace shelfmark
