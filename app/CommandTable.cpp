#include "app/CommandTable.h"

#include <algorithm>

namespace shelfmark {
namespace {

using C = CommandId;
using P = PromptId;
constexpr std::string_view kMain = "Menu_Mainframe";
constexpr std::string_view kItem = "Menu_Item";
constexpr std::string_view kView = "Menu_ViewMode";
constexpr std::string_view kListView = "Menu_ListView";
constexpr std::string_view kTaskbar = "Menu_Taskbar";
constexpr std::string_view kCtrlbar = "Menu_Ctrlbar";
constexpr std::string_view kOpen = "Menu_Open";

constexpr CommandInfo kCommands[] = {
    {C::New, kMain, 12, P::NewDatabase, "Ctrl+N", false},
    {C::Open, kMain, 13, P::OpenDatabase, "Ctrl+O", false},
    {C::Save, kMain, 14, P::SaveDatabase, "Ctrl+S", false},
    {C::SaveAs, kMain, 15, P::SaveDatabaseAs, "", false},
    {C::ImportDatabase, kMain, 33, P::ImportDatabase, "", true},
    {C::ExportDatabase, kMain, 32, P::ExportDatabase, "", false},
    {C::ExportXml, kMain, 31, P::ExportToXml, "", false},
    {C::ImportCdPlayer, kMain, 9, P::ImportCdPlayer, "", true},
    {C::Exit, kMain, 16, P::Exit, "Ctrl+Q", false},
    {C::Undo, kMain, 2, P::Undo, "Ctrl+Z", true},
    {C::Cut, kMain, 18, P::Cut, "Ctrl+X", true},
    {C::Copy, kMain, 19, P::Copy, "Ctrl+C", false},
    {C::Paste, kMain, 20, P::Paste, "Ctrl+V", true},
    {C::SelectAll, kMain, 21, P::SelectAll, "Ctrl+A", false},
    {C::CopyPath, kItem, 11, P::Copy, "", false},
    {C::Properties, kItem, 15, P::Properties, "Alt+Return", true},
    {C::ReadDisk, kMain, 0, P::ReadDisk, "Ctrl+H", true},
    {C::UpdateDisk, kMain, 1, P::UpdateDisk, "Ctrl+U", true},
    {C::AddDiskName, kItem, 1, P::AddDiskName, "", true},
    {C::CreateFolder, kItem, 0, P::CreateFolder, "Ctrl+M", true},
    {C::Rename, kItem, 2, P::Rename, "F2", true},
    {C::Delete, kItem, 3, P::Delete, "Del", true},
    {C::CopyToFolder, kItem, 4, P::CopyToFolder, "", true},
    {C::MoveToFolder, kItem, 5, P::MoveToFolder, "", true},
    {C::CreateShortcuts, kItem, 6, P::CreateShortcuts, "", true},
    {C::GoToTarget, kItem, 12, P::GoToTarget, "", false},
    {C::Lend, kItem, 7, P::Lend, "Ctrl+Shift+L", true},
    {C::EmptyArchives, kItem, 8, P::EmptyArchives, "", true},
    {C::EmptyDisks, kItem, 9, P::EmptyDisks, "", true},
    {C::OpenItem, kOpen, 0, P::OpenItem, "", false},
    {C::OpenWith, kOpen, 1, P::OpenItem, "", false},
    {C::ItemCategories, kItem, 10, P::ItemCategories, "Ctrl+K", true},
    {C::SetPassword, kItem, 16, P::SetPassword, "Ctrl+R", true},
    {C::EnterPassword, kItem, 17, P::EnterRemovePassword, "Ctrl+Shift+R", true},
    {C::Search, kMain, 30, P::Search, "Ctrl+F", false},
    {C::SearchDuplicates, kMain, 5, P::SearchDuplicates, "Ctrl+B", false},
    {C::DiskList, kMain, 7, P::DiskList, "Ctrl+L", false},
    {C::ItemList, kMain, 6, P::ItemList, "Ctrl+I", false},
    {C::PrintExportList, kMain, 8, P::PrintExportList, "Ctrl+P", false},
    {C::Cddb, kMain, 34, P::Cddb, "Ctrl+D", true},
    {C::Categories, kMain, 3, P::Categories, "Ctrl+Shift+K", true},
    {C::ExtraInformation, kMain, 4, P::ExtraInformation, "Ctrl+Shift+U", true},
    {C::Settings, kMain, 37, P::Settings, "Ctrl+Shift+E", false},
    {C::ToggleToolbar, kCtrlbar, 0, P::ToggleToolbar, "", false},
    {C::ToggleStatusBar, kCtrlbar, 1, P::ToggleStatusBar, "", false},
    {C::LargeIcons, kView, 0, P::LargeIcons, "", false},
    {C::SmallIcons, kView, 1, P::SmallIcons, "", false},
    {C::ListStyle, kView, 2, P::ListStyle, "", false},
    {C::Details, kView, 3, P::Details, "", false},
    {C::ItemInformation, kView, 4, P::ItemInformation, "", false},
    {C::ShowDescriptions, kMain, 26, P::ShowDescriptions, "", false},
    {C::Columns, kMain, 27, P::Columns, "", false},
    {C::Sort, kListView, 1, P::Sort, "", false},
    {C::Refresh, kMain, 28, P::Refresh, "F5", false},
    {C::OneLevelUpward, kMain, 43, P::OneLevelUpward, "Backspace", false},
    {C::AutoArrange, kListView, 2, P::AutoArrange, "", false},
    {C::MinimizeToTray, kMain, 10, P::MinimizeToTray, "Alt+T", false},
    {C::RestoreFromTray, kTaskbar, 0, P::RestoreFromTray, "", false},
    {C::CheckVersion, kMain, 40, P::CheckVersion, "", false},
    {C::About, kMain, 41, P::About, "", false},
    {C::ImportOtherCatalogs, kMain, 45, P::ImportOtherCatalogs, "", true},
    {C::ExportNcdu, kMain, 46, P::ExportNcdu, "", false},
    {C::Statistics, kMain, 47, P::Statistics, "", false},
};

}  // namespace

std::span<const CommandInfo> CommandTable() {
    return kCommands;
}

const CommandInfo& FindCommand(CommandId id) {
    return *std::find_if(std::begin(kCommands), std::end(kCommands),
                         [id](const CommandInfo& info) { return info.id == id; });
}

std::string_view MenuEntryText(std::string_view text) {
    return text.substr(0, text.find_first_of("\n\t"));
}

PromptParts SplitPrompt(std::string_view prompt) {
    const size_t brk = prompt.find('\n');
    if (brk == std::string_view::npos)
        return {prompt, {}};
    return {prompt.substr(0, brk), prompt.substr(brk + 1)};
}

}  // namespace shelfmark
