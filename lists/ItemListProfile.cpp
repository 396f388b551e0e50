#include "lists/ItemListProfile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "foundation/ConfigDirectory.h"
#include "foundation/InstallDirectory.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ProfileFile.h"
#include "foundation/ProfileUpdate.h"
#include "lists/FilenameFormat.h"

namespace shelfmark {

namespace {

std::string Key(const char* pattern, size_t index) {
    char key[48];
    std::snprintf(key, sizeof key, pattern, int(index));
    return key;
}

// A count read from the file, limited to what the section can hold: a damaged or hostile count
// never makes the reader (or the conversion) loop over millions of absent keys.
size_t BoundedCount(const ProfileFile& file, std::string_view section, std::string_view key) {
    const int count = file.getInt(section, key, 0);
    const ProfileSection* found = file.findSection(section);
    const size_t entries = found ? found->entries.size() : 0;
    return count <= 0 ? 0 : std::min(size_t(count), entries);
}

ColumnAlignment AlignmentOf(int value) {
    return value == 1 ? ColumnAlignment::Right : value == 2 ? ColumnAlignment::Center : ColumnAlignment::Left;
}

// "%c:%d:%d" as sscanf reads it: the letter, then the numbers that are there.
void ParseOldInfo(std::string_view info, char& letter, int& alignment, int& width) {
    letter = info.empty() ? '\0' : info[0];
    alignment = 0;
    width = 0;
    if (info.size() < 2 || info[1] != ':')
        return;
    std::string_view rest = info.substr(2);
    alignment = ParseLeadingInt(rest);
    const size_t colon = rest.find(':');
    if (colon != std::string_view::npos)
        width = ParseLeadingInt(rest.substr(colon + 1));
}

}  // namespace

uint8_t OldFormColumnValue(char letter) {
    if (letter >= '0' && letter <= '9')
        return uint8_t(letter);
    switch (letter) {
        case 'a': return 0x41;
        case 'c': return 0x40;
        case 'd': return 0x80;
        case 'h': return 0x02;
        case 'i': return 0x42;
        case 'l': return 0x82;
        case 'p': return 0x04;
        case 'r': return 0x4A;
        case 's': return 0x01;
        case 't': return 0x03;
        case 'v': return 0x81;
        default: return 0x00;
    }
}

std::optional<ItemListProfile> LoadItemListProfile(const ProfileFile& file, std::string_view name) {
    const ProfileSection* section = file.findSection(name);
    if (!section)
        return std::nullopt;
    const std::string_view s = section->name;
    ItemListProfile profile;
    profile.name = section->name;
    profile.format = file.getString(s, "Format");
    profile.parseMode = file.getInt(s, "ParseMode", 0) == 1 ? ParseMode::Description : ParseMode::Name;
    profile.files = file.getInt(s, "bFiles", 0) != 0;
    profile.directories = file.getInt(s, "bDirectories", 0) != 0;
    profile.folders = file.getInt(s, "bFolders", 0) != 0;
    profile.disks = file.getInt(s, "bDisks", 0) != 0;
    profile.maxListingDepth = std::clamp(file.getInt(s, "MaxListingDepth", kMaxListingDepth), 1, kMaxListingDepth);
    const size_t extensions = BoundedCount(file, s, "ExtensionsCount");
    for (size_t i = 0; i < extensions; ++i)
        profile.extensions.push_back(file.getString(s, Key("Extension%d", i)));
    const size_t columns = BoundedCount(file, s, "ColumnsCount");
    for (size_t i = 0; i < columns; ++i) {
        ListColumn column;
        column.title = file.getString(s, Key("Column%dName", i));
        column.value = uint8_t(file.getInt(s, Key("Column%dValue", i), 0));
        column.alignment = AlignmentOf(file.getInt(s, Key("Column%dAlignment", i), 0));
        column.width = std::clamp(file.getInt(s, Key("Column%dWidth", i), 0), 0, kMaxColumnWidth);
        profile.columns.push_back(std::move(column));
    }
    return profile;
}

void SaveItemListProfile(ProfileFile& file, const ItemListProfile& profile) {
    const std::string_view s = profile.name;
    file.deleteSection(s);
    file.setString(s, "Format", profile.format);
    file.setInt(s, "ParseMode", int(profile.parseMode));
    file.setInt(s, "bFiles", profile.files);
    file.setInt(s, "bDirectories", profile.directories);
    file.setInt(s, "bFolders", profile.folders);
    file.setInt(s, "bDisks", profile.disks);
    file.setInt(s, "MaxListingDepth", std::clamp(profile.maxListingDepth, 1, kMaxListingDepth));
    file.setInt(s, "ExtensionsCount", int(profile.extensions.size()));
    for (size_t i = 0; i < profile.extensions.size(); ++i)
        file.setString(s, Key("Extension%d", i), profile.extensions[i]);
    file.setInt(s, "ColumnsCount", int(profile.columns.size()));
    for (size_t i = 0; i < profile.columns.size(); ++i) {
        const ListColumn& column = profile.columns[i];
        file.setString(s, Key("Column%dName", i), column.title);
        file.setInt(s, Key("Column%dValue", i), column.value);
        file.setInt(s, Key("Column%dAlignment", i), int(column.alignment));
        file.setInt(s, Key("Column%dWidth", i), std::clamp(column.width, 0, kMaxColumnWidth) & 0xFFFF);
    }
}

bool ConvertOldItemListSections(ProfileFile& file) {
    std::vector<std::string> old;
    for (const ProfileSection& section : file.sections()) {
        if (file.find(section.name, "ColumnCount"))
            old.push_back(section.name);
    }
    for (const std::string& s : old) {
        const size_t count = BoundedCount(file, s, "ColumnCount");
        file.deleteKey(s, "ColumnCount");
        file.setInt(s, "ColumnsCount", int(count));
        for (size_t i = 0; i < count; ++i) {
            const std::string nameKey = Key("Column%dName", i);
            const std::string name = file.getString(s, nameKey);
            file.deleteKey(s, nameKey);
            file.setString(s, nameKey, name);
            const std::string infoKey = Key("Column%dInfo", i);
            const std::string info = file.getString(s, infoKey);
            file.deleteKey(s, infoKey);
            if (info.empty())
                continue;
            char letter = 0;
            int alignment = 0;
            int width = 0;
            ParseOldInfo(info, letter, alignment, width);
            file.setInt(s, Key("Column%dValue", i), OldFormColumnValue(letter));
            file.setInt(s, Key("Column%dAlignment", i), alignment);
            file.setInt(s, Key("Column%dWidth", i), width);
        }
    }
    return !old.empty();
}

std::vector<std::string> ItemListProfileNames(const ProfileFile& file) {
    std::vector<std::string> names;
    for (const ProfileSection& section : file.sections())
        names.push_back(section.name);
    return names;
}

std::string ItemListProfileProblem(const ItemListProfile& profile) {
    if (profile.name.empty())
        return Str(19);
    if (!FilenameFormatValid(profile.format))
        return std::string(kInvalidVariableMessage);
    return {};
}

std::vector<std::string> InstalledProfileDirectories() {
    return InstalledDirectories(SHELFMARK_PROFILE_DIR);
}

std::string UserItemListProfilePath(const std::vector<std::string>& shippedFolders) {
    const std::string path = ResolveConfigPath(kItemListProfileFile);
    std::error_code error;
    if (std::filesystem::exists(path, error))
        return path;
    for (const std::string& folder : shippedFolders) {
        const std::string shipped = folder + "/" + std::string(kItemListProfileFile);
        if (!std::filesystem::is_regular_file(shipped, error))
            continue;
        if (EnsureConfigDirectory())
            std::filesystem::copy_file(shipped, path, std::filesystem::copy_options::skip_existing, error);
        break;
    }
    return path;
}

}  // namespace shelfmark

namespace shelfmark {

ProfileFile LoadItemListProfiles(const std::string& path) {
    ProfileFile file(path);
    if (ConvertOldItemListSections(file)) {
        UpdateProfileFile(path, [](ProfileFile& current) { ConvertOldItemListSections(current); });
        file.load();
    }
    file.clearPath();
    return file;
}

}  // namespace shelfmark
