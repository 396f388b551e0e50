// The per-user settings: sub-keys holding named 32-bit numbers, texts and binary values, kept
// as plain text in settings.ini in the configuration directory (one section per sub-key).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ProfileFile.h"

namespace shelfmark {

// The sub-keys of the application's settings.
inline constexpr std::string_view kSettingsSubKey = "Settings";
inline constexpr std::string_view kWindowSettingsSubKey = "Settings\\WindowSettings";
inline constexpr std::string_view kCddbSubKey = "Settings\\CDDB";
inline constexpr std::string_view kItemListDlgSubKey = "Settings\\ItemListDlg";
inline constexpr std::string_view kRecentSearchListSubKey = "Settings\\Recent Search List";
inline constexpr std::string_view kPasswordsSubKey = "Passwords";
inline constexpr std::string_view kSettingsFileName = "settings.ini";

class SettingsStore {
  public:
    // The process's store on settings.ini in the configuration directory, opened at first use.
    static SettingsStore& Instance();

    // Reads the file now; a bare name lies in the configuration directory.
    explicit SettingsStore(std::string_view path = kSettingsFileName);
    // Writes pending changes.
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const std::string& path() const { return path_; }

    // Missing values read as the default. Numbers follow atoi rules on the stored text.
    int32_t getInt(std::string_view subKey, std::string_view name, int32_t defaultValue) const;
    uint32_t getUInt(std::string_view subKey, std::string_view name, uint32_t defaultValue) const;
    bool getBool(std::string_view subKey, std::string_view name, bool defaultValue) const;
    std::string getText(std::string_view subKey, std::string_view name,
                        std::string_view defaultValue = {}) const;
    std::optional<std::vector<uint8_t>> getBinary(std::string_view subKey,
                                                  std::string_view name) const;
    bool hasValue(std::string_view subKey, std::string_view name) const;
    // The names of the values of a sub-key, in file order.
    std::vector<std::string> valueNames(std::string_view subKey) const;
    // Every sub-key that holds values, in file order.
    std::vector<std::string> subKeys() const;

    // False (and nothing changes) for names the file cannot hold: a sub-key with a line break,
    // a value name with "=", a line break, or a leading "[".
    bool setInt(std::string_view subKey, std::string_view name, int32_t value);
    bool setUInt(std::string_view subKey, std::string_view name, uint32_t value);
    bool setBool(std::string_view subKey, std::string_view name, bool value) {
        return setInt(subKey, name, value);
    }
    bool setText(std::string_view subKey, std::string_view name, std::string_view value);
    bool setBinary(std::string_view subKey, std::string_view name, std::span<const uint8_t> bytes);
    bool deleteValue(std::string_view subKey, std::string_view name);
    // Removes the sub-key with every sub-key below it ("Settings" takes "Settings\CDDB" along).
    bool deleteSubKey(std::string_view subKey);
    // Removes every setting and the file itself (the uninstall switch).
    bool deleteAll();

    // Writes the pending changes: under a lock on "<file>.lock" the file is read again, the
    // changes of this process are applied to what other processes wrote meanwhile, and the
    // result replaces the file atomically. False when it cannot be written (changes stay pending).
    bool save();
    // Drops pending changes and reads the file again.
    bool reload();
    bool hasPendingChanges() const { return !pending_.empty(); }

  private:
    struct Change {
        enum Kind { Set, DeleteValue, DeleteSubKey } kind;
        std::string subKey;
        std::string name;
        std::string value;  // stored form
    };
    void apply(ProfileFile& file, const Change& change) const;
    bool record(Change change);

    std::string path_;
    ProfileFile view_;  // the file as this process sees it, with its pending changes applied
    std::vector<Change> pending_;
};

// Texts are stored with "\", CR, LF and NUL escaped so that no value can break the line layout.
std::string EscapeSettingText(std::string_view text);
std::string UnescapeSettingText(std::string_view stored);

}  // namespace shelfmark
