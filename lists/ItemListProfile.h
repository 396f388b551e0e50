// Item-list profiles: one section of ItemList.tkp per profile, naming which kinds of item are
// listed, how deep, which extensions, the filename format and the columns.
//
// Section keys, written in this order (after the section is deleted):
//   Format, ParseMode, bFiles, bDirectories, bFolders, bDisks, MaxListingDepth,
//   ExtensionsCount, Extension0..n-1, ColumnsCount,
//   Column<i>Name, Column<i>Value, Column<i>Alignment, Column<i>Width  (for each column i)
// Older files say ColumnCount and keep each column as Column<i>Name and Column<i>Info, the
// latter "letter:alignment:width"; such sections are converted when the names are listed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/ListTable.h"

namespace shelfmark {

class ProfileFile;

inline constexpr std::string_view kItemListProfileFile = "ItemList.tkp";
// The profile the Disk List command opens on the catalog root.
inline constexpr std::string_view kDiskListProfile = "Disk List";

enum class ParseMode : int { Name = 0, Description = 1 };

struct ItemListProfile {
    std::string name;
    std::string format;
    ParseMode parseMode = ParseMode::Name;
    bool files = false;
    bool directories = false;
    bool folders = false;
    bool disks = false;
    int maxListingDepth = 40;  // 1..40; 1 lists only the start container's children
    std::vector<std::string> extensions;  // without the dot; empty: every file
    std::vector<ListColumn> columns;      // widths 0..999
};

inline constexpr int kMaxListingDepth = 40;
inline constexpr int kMaxColumnWidth = 999;

// The profile stored under `name` (case-insensitive); nothing when there is no such section.
// Values out of range are brought into range (depth 1..40, width 0..999, alignment 0..2).
std::optional<ItemListProfile> LoadItemListProfile(const ProfileFile& file, std::string_view name);
// Replaces the profile's section.
void SaveItemListProfile(ProfileFile& file, const ItemListProfile& profile);

// Converts every section in the older column form; true when any was converted.
bool ConvertOldItemListSections(ProfileFile& file);
// The value byte of an old-form column letter ("s" size, "p" location, digits themselves, ...).
uint8_t OldFormColumnValue(char letter);

// The section names in file order.
std::vector<std::string> ItemListProfileNames(const ProfileFile& file);

// Why a profile cannot be saved from the profile dialog: an empty name gives the text keyed
// 19, a format with "%" followed by anything but a digit the fixed format message. Empty when
// it can be saved.
std::string ItemListProfileProblem(const ItemListProfile& profile);
inline constexpr std::string_view kInvalidVariableMessage = "Filename format contains invalid variable.";

// The folders searched for the installed default profiles (share/shelfmark), best first.
std::vector<std::string> InstalledProfileDirectories();

// The path of the user's ItemList.tkp; when the user has none, the default from the first of
// `shippedFolders` that holds one is copied there first.
std::string UserItemListProfilePath(const std::vector<std::string>& shippedFolders = InstalledProfileDirectories());

// The profiles of the file at `path` (normally UserItemListProfilePath()), with old-form sections
// converted and the conversion written back. The returned store has no path: it never saves.
ProfileFile LoadItemListProfiles(const std::string& path);

}  // namespace shelfmark
