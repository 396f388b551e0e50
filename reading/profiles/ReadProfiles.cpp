#include "reading/profiles/ReadProfiles.h"

#include <utility>

#include "foundation/ConfigDirectory.h"
#include "foundation/ProfileFile.h"
#include "foundation/ProfileUpdate.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

// The 0/1 switches of a profile section with the member each one fills, in page order.
struct FlagKey {
    std::string_view key;
    bool ReadOptions::*member;
};

constexpr FlagKey kFlagKeys[] = {
    {"bNoFiles", &ReadOptions::bNoFiles},
    {"bNoEmptyDirs", &ReadOptions::bNoEmptyDirs},
    {"bReadACEs", &ReadOptions::bReadACEs},
    {"bReadCABs", &ReadOptions::bReadCABs},
    {"bReadRARs", &ReadOptions::bReadRARs},
    {"bReadZIPs", &ReadOptions::bReadZIPs},
    {"bReadARJs", &ReadOptions::bReadARJs},
    {"bReadJARs", &ReadOptions::bReadJARs},
    {"bCheckEXEs", &ReadOptions::bCheckEXEs},
    {"bEjectDisk", &ReadOptions::bEjectDisk},
    {"bCDExtraData", &ReadOptions::bCDExtraData},
    {"bCDExtraAudio", &ReadOptions::bCDExtraAudio},
    {"bCalcCRC32", &ReadOptions::bCalcCRC32},
    {"bLimitCRC32Size", &ReadOptions::bLimitCRC32Size},
    {"bStoreArchiveCRC32", &ReadOptions::bStoreArchiveCRC32},
    {"bCalcMD5", &ReadOptions::bCalcMD5},
    {"bLimitMD5Size", &ReadOptions::bLimitMD5Size},
    {"bContactCDDB", &ReadOptions::bContactCDDB},
    {"bEnableCDText", &ReadOptions::bEnableCDText},
};

struct NumberKey {
    std::string_view key;
    int ReadOptions::*member;
};

constexpr NumberKey kNumberKeys[] = {
    {"LastDrive", &ReadOptions::LastDrive},
    {"MaxCRC32Size", &ReadOptions::MaxCRC32Size},
    {"MaxMD5Size", &ReadOptions::MaxMD5Size},
};

constexpr std::string_view kExtListKey = "ExtList";

}  // namespace

std::string ProfileSectionName(std::string_view name) {
    return std::string(name.empty() ? kDefaultProfileSection : name);
}

ReadProfileStore::ReadProfileStore() : path_(ResolveConfigPath(kReadProfileFileName)) {}

ReadProfileStore::ReadProfileStore(std::string path) : path_(std::move(path)) {}

std::vector<std::string> ReadProfileStore::list() const {
    const ProfileFile file(path_);
    std::vector<std::string> names;
    for (const ProfileSection& section : file.sections()) {
        if (text::EqualsNoCase(section.name, kLastProfileSection))
            continue;
        names.push_back(text::EqualsNoCase(section.name, kDefaultProfileSection) ? std::string()
                                                                                 : section.name);
    }
    return names;
}

std::string ReadProfileStore::lastProfile(std::string_view databaseName) const {
    const ProfileFile file(path_);
    return file.getString(kLastProfileSection, databaseName, kDefaultProfileSection);
}

LoadedReadProfile ReadProfileStore::load(std::string_view name, std::string_view databaseName,
                                         const std::vector<std::string>& pluginModules) const {
    const ProfileFile file(path_);
    LoadedReadProfile result;
    const std::string section =
        name.empty() ? file.getString(kLastProfileSection, databaseName, kDefaultProfileSection)
                     : std::string(name);
    result.name = text::EqualsNoCase(section, kDefaultProfileSection) ? std::string() : section;

    ReadOptions& options = result.options;
    for (const FlagKey& flag : kFlagKeys)
        options.*flag.member = file.getInt(section, flag.key, options.*flag.member ? 1 : 0) != 0;
    for (const NumberKey& number : kNumberKeys)
        options.*number.member = file.getInt(section, number.key, options.*number.member);
    options.ExtList = ExtensionList(file.getString(section, kExtListKey));

    options.providers.clear();
    options.setProvider(kBuiltinProviderModule,
                        file.getString(section, kBuiltinProviderModule, "0"));
    for (const std::string& module : pluginModules)
        options.setProvider(module, file.getString(section, module));
    return result;
}

bool ReadProfileStore::save(std::string_view name, std::string_view databaseName,
                            const ReadOptions& options) const {
    if (path_ == ResolveConfigPath(kReadProfileFileName))
        EnsureConfigDirectory();
    const std::string section = ProfileSectionName(name);
    return UpdateProfileFile(path_, [&](ProfileFile& file) {
        file.setString(kLastProfileSection, databaseName, section);
        for (const NumberKey& number : kNumberKeys)
            file.setInt(section, number.key, options.*number.member);
        for (const FlagKey& flag : kFlagKeys)
            file.setInt(section, flag.key, options.*flag.member ? 1 : 0);
        file.setString(section, kExtListKey, options.ExtList.text());
        for (const ProviderSelection& provider : options.providers)
            file.setString(section, provider.module, provider.indexes);
    });
}

namespace {

// Whether `name` names a profile the user may delete or rename.
bool IsNamedProfile(std::string_view name) {
    return !name.empty() && !text::EqualsNoCase(name, kDefaultProfileSection) &&
           !text::EqualsNoCase(name, kLastProfileSection);
}

// The database names whose last profile is `section`.
std::vector<std::string> DatabasesUsing(const ProfileFile& file, std::string_view section) {
    std::vector<std::string> databases;
    if (const ProfileSection* last = file.findSection(kLastProfileSection))
        for (const auto& [database, profile] : last->entries)
            if (text::EqualsNoCase(profile, section))
                databases.push_back(database);
    return databases;
}

}  // namespace

bool ReadProfileStore::remove(std::string_view name) const {
    if (!IsNamedProfile(name))
        return false;
    const ProfileFile current(path_);
    if (current.findSection(name) == nullptr)
        return false;
    return UpdateProfileFile(path_, [&](ProfileFile& file) {
        for (const std::string& database : DatabasesUsing(file, name))
            file.deleteKey(kLastProfileSection, database);
        file.deleteSection(name);
    });
}

bool ReadProfileStore::rename(std::string_view name, std::string_view newName) const {
    if (!IsNamedProfile(name) || !IsNamedProfile(newName))
        return false;
    const ProfileFile current(path_);
    const ProfileSection* old = current.findSection(name);
    if (old == nullptr)
        return false;
    // Only a change of letter case may keep the name of an existing section.
    if (!text::EqualsNoCase(name, newName) && current.findSection(newName) != nullptr)
        return false;
    const std::vector<std::pair<std::string, std::string>> entries = old->entries;
    return UpdateProfileFile(path_, [&](ProfileFile& file) {
        const std::vector<std::string> databases = DatabasesUsing(file, name);
        file.deleteSection(name);
        for (const auto& [key, value] : entries)
            file.setString(newName, key, value);
        for (const std::string& database : databases)
            file.setString(kLastProfileSection, database, newName);
    });
}

}  // namespace shelfmark
