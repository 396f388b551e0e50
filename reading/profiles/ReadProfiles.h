// Named read profiles in "ReadDiskDlg.tkp" in the configuration directory: one section per
// profile (the unnamed profile is the section "Default"), and the section "LastProfile" that
// remembers, per database name, the profile used last with it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reading/profiles/ReadOptions.h"

namespace shelfmark {

inline constexpr std::string_view kReadProfileFileName = "ReadDiskDlg.tkp";
inline constexpr std::string_view kDefaultProfileSection = "Default";
inline constexpr std::string_view kLastProfileSection = "LastProfile";

struct LoadedReadProfile {
    std::string name;  // as shown in the profile box: empty for "Default"
    ReadOptions options;
};

class ReadProfileStore {
  public:
    // The store on "ReadDiskDlg.tkp" in the configuration directory.
    ReadProfileStore();
    // The store on another file (tests, or a settings folder of the user's choice).
    explicit ReadProfileStore(std::string path);

    const std::string& path() const { return path_; }

    // Every profile in file order; "Default" is listed as an empty name, "LastProfile" not at all.
    std::vector<std::string> list() const;

    // The profile last used with a database ("Default" when none is remembered).
    std::string lastProfile(std::string_view databaseName) const;

    // Reads a profile. An empty name stands for the profile last used with the database. Keys
    // that are absent take their defaults; so does everything when the file is missing. Only
    // the plug-in modules named here get their selection read (empty when absent); the
    // built-in provider's is always read. The caller ignores LastDrive when updating a disk.
    LoadedReadProfile load(std::string_view name, std::string_view databaseName,
                           const std::vector<std::string>& pluginModules = {}) const;

    // Stores the options under a profile (empty name: "Default") and remembers it as the last
    // profile of the database. False when the file cannot be written.
    bool save(std::string_view name, std::string_view databaseName,
              const ReadOptions& options) const;

    // Deletes a named profile; databases that used it last fall back to "Default". The default
    // profile cannot be deleted. False when there is no such profile or the file cannot be
    // written.
    bool remove(std::string_view name) const;
    // Gives a named profile another name, keeping it the last profile of the databases that
    // used it. False for the default profile, an empty or "LastProfile" name, a new name that
    // another profile already has (case-insensitive), a missing profile, or a write failure.
    bool rename(std::string_view name, std::string_view newName) const;

  private:
    std::string path_;
};

// The section a profile name is stored under.
std::string ProfileSectionName(std::string_view name);

}  // namespace shelfmark
