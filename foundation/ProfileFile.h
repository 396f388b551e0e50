// The INI-format file store behind every profile file (.tkp), language file (.lng) and the
// settings file. The whole file lives in memory; lookups are first-match and case-insensitive;
// a changed store is written back whole (atomically) by save() or on destruction.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shelfmark {

struct ProfileSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;  // key, value in file order
};

class ProfileFile {
public:
    ProfileFile() = default;
    // Sets the path (a bare file name lies in the configuration directory) and loads it when asked.
    explicit ProfileFile(std::string_view path, bool load = true);
    // Saves first when modified.
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;
    ProfileFile(ProfileFile&& other) noexcept;
    ProfileFile& operator=(ProfileFile&& other) noexcept;

    void setPath(std::string_view path, bool load = true);
    const std::string& path() const { return path_; }
    // Forgets the path without touching the content (nothing is saved on destruction then).
    void clearPath() { path_.clear(); }

    // Replaces the content by the file's; false when it cannot be read (the store is then empty).
    bool load();
    // Writes the whole content; false when the file cannot be written (modified stays set).
    bool save();
    // Parses profile text as load() does, without a file.
    void loadFromText(std::string_view text);
    // The text save() writes.
    std::string toText() const;

    std::string getString(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;
    int getInt(std::string_view section, std::string_view key, int defaultValue) const;
    // The bytes of a value written by setBytes(); nothing when the key is absent.
    std::optional<std::vector<uint8_t>> getBytes(std::string_view section, std::string_view key) const;
    // The value of the first match, or nothing when the key is absent (an empty value is present).
    const std::string* find(std::string_view section, std::string_view key) const;

    void setString(std::string_view section, std::string_view key, std::string_view value);
    void setInt(std::string_view section, std::string_view key, int value);
    void setBytes(std::string_view section, std::string_view key, const void* data, size_t count);
    // Removes the first matching key of the first matching section. Also marks the store
    // modified, so that the removal reaches the file.
    bool deleteKey(std::string_view section, std::string_view key);
    bool deleteSection(std::string_view section);
    void clear();

    // Every section name followed by a NUL, then one more NUL.
    std::string sectionNames() const;
    // "key=value" NUL for each key of the first matching section, then one more NUL.
    std::string sectionContents(std::string_view section) const;

    const std::vector<ProfileSection>& sections() const { return sections_; }
    const ProfileSection* findSection(std::string_view name) const;
    bool isModified() const { return modified_; }

private:
    ProfileSection* findSection(std::string_view name);

    std::string path_;
    std::vector<ProfileSection> sections_;
    bool modified_ = false;
};

// atoi rules: leading blanks, an optional sign, digits up to the first other character; 0
// without digits. Out-of-range values wrap as a 32-bit integer.
int ParseLeadingInt(std::string_view text);

}  // namespace shelfmark
