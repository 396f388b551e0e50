#include "foundation/ProfileFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/AtomicFile.h"
#include "foundation/ConfigDirectory.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

ProfileFile::ProfileFile(std::string_view path, bool load) {
    setPath(path, load);
}

ProfileFile::~ProfileFile() {
    if (modified_ && !path_.empty())
        save();
}

ProfileFile::ProfileFile(ProfileFile&& other) noexcept
    : path_(std::move(other.path_)),
      sections_(std::move(other.sections_)),
      modified_(other.modified_) {
    other.modified_ = false;
    other.path_.clear();
}

ProfileFile& ProfileFile::operator=(ProfileFile&& other) noexcept {
    if (this != &other) {
        if (modified_ && !path_.empty())
            save();
        path_ = std::move(other.path_);
        sections_ = std::move(other.sections_);
        modified_ = other.modified_;
        other.modified_ = false;
        other.path_.clear();
    }
    return *this;
}

void ProfileFile::setPath(std::string_view path, bool load) {
    path_ = ResolveConfigPath(path);
    if (load)
        this->load();
}

bool ProfileFile::load() {
    sections_.clear();
    modified_ = false;
    std::error_code error;
    if (std::filesystem::is_directory(path_, error))
        return false;
    std::ifstream in(path_, std::ios::binary);
    if (!in)
        return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    loadFromText(text);
    return true;
}

void ProfileFile::loadFromText(std::string_view text) {
    sections_.clear();
    modified_ = false;
    ProfileSection current;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.remove_suffix(1);
        if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
            if (!current.name.empty())
                sections_.push_back(std::move(current));
            current = ProfileSection{std::string(line.substr(1, line.size() - 2)), {}};
            continue;
        }
        if (line.empty())
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            current.entries.emplace_back(std::string(line), std::string());
        else
            current.entries.emplace_back(std::string(line.substr(0, equals)),
                                         std::string(line.substr(equals + 1)));
    }
    if (!current.name.empty())
        sections_.push_back(std::move(current));
}

std::string ProfileFile::toText() const {
    std::string text;
    for (const ProfileSection& section : sections_) {
        text += '[';
        text += section.name;
        text += "]\r\n";
        for (const auto& [key, value] : section.entries) {
            text += key;
            text += '=';
            text += value;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

bool ProfileFile::save() {
    if (path_.empty())
        return false;
    // Bare file names live in the configuration directory, which a fresh account lacks.
    if (path_.rfind(ConfigDirectory() + "/", 0) == 0)
        EnsureConfigDirectory();
    if (!WriteFileAtomically(path_, toText()))
        return false;
    modified_ = false;
    return true;
}

const ProfileSection* ProfileFile::findSection(std::string_view name) const {
    for (const ProfileSection& section : sections_)
        if (text::EqualsNoCase(section.name, name))
            return &section;
    return nullptr;
}

ProfileSection* ProfileFile::findSection(std::string_view name) {
    return const_cast<ProfileSection*>(static_cast<const ProfileFile*>(this)->findSection(name));
}

const std::string* ProfileFile::find(std::string_view section, std::string_view key) const {
    const ProfileSection* found = findSection(section);
    if (!found)
        return nullptr;
    for (const auto& [entryKey, value] : found->entries)
        if (text::EqualsNoCase(entryKey, key))
            return &value;
    return nullptr;
}

std::string ProfileFile::getString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
    const std::string* value = find(section, key);
    return value ? *value : std::string(defaultValue);
}

int ParseLeadingInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    return static_cast<int>(negative ? 0u - value : value);
}

int ProfileFile::getInt(std::string_view section, std::string_view key, int defaultValue) const {
    const std::string* value = find(section, key);
    if (!value || value->empty())
        return defaultValue;
    return ParseLeadingInt(*value);
}

static int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::vector<uint8_t>> ProfileFile::getBytes(std::string_view section,
                                                          std::string_view key) const {
    const std::string* value = find(section, key);
    if (!value)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(value->size() / 3 + 3);
    for (size_t i = 0; 3 * i + 3 <= value->size(); ++i) {
        const int high = HexDigit((*value)[3 * i]);
        const int low = HexDigit((*value)[3 * i + 1]);
        if (high < 0 || low < 0)
            break;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

void ProfileFile::setString(std::string_view section, std::string_view key,
                            std::string_view value) {
    modified_ = true;
    ProfileSection* found = findSection(section);
    if (!found) {
        sections_.push_back(ProfileSection{std::string(section), {}});
        found = &sections_.back();
    }
    for (auto& [entryKey, entryValue] : found->entries) {
        if (text::EqualsNoCase(entryKey, key)) {
            entryValue.assign(value);
            return;
        }
    }
    found->entries.emplace_back(std::string(key), std::string(value));
}

void ProfileFile::setInt(std::string_view section, std::string_view key, int value) {
    setString(section, key, std::to_string(value));
}

void ProfileFile::setBytes(std::string_view section, std::string_view key, const void* data,
                           size_t count) {
    static const char kHex[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::string value;
    value.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        value += kHex[bytes[i] >> 4];
        value += kHex[bytes[i] & 15];
        value += ' ';
    }
    setString(section, key, value);
}

bool ProfileFile::deleteKey(std::string_view section, std::string_view key) {
    ProfileSection* found = findSection(section);
    if (!found)
        return false;
    for (auto it = found->entries.begin(); it != found->entries.end(); ++it) {
        if (text::EqualsNoCase(it->first, key)) {
            found->entries.erase(it);
            modified_ = true;
            return true;
        }
    }
    return false;
}

bool ProfileFile::deleteSection(std::string_view section) {
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (text::EqualsNoCase(it->name, section)) {
            sections_.erase(it);
            modified_ = true;
            return true;
        }
    }
    return false;
}

void ProfileFile::clear() {
    sections_.clear();
    modified_ = true;
}

std::string ProfileFile::sectionNames() const {
    std::string names;
    for (const ProfileSection& section : sections_) {
        names += section.name;
        names += '\0';
    }
    names += '\0';
    return names;
}

std::string ProfileFile::sectionContents(std::string_view section) const {
    std::string contents;
    if (const ProfileSection* found = findSection(section)) {
        for (const auto& [key, value] : found->entries) {
            contents += key;
            contents += '=';
            contents += value;
            contents += '\0';
        }
    }
    contents += '\0';
    return contents;
}

}  // namespace shelfmark
