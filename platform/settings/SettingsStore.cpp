#include "platform/settings/SettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "foundation/ConfigDirectory.h"
#include "foundation/ProfileUpdate.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

bool IsSubKeyOrBelow(std::string_view section, std::string_view subKey) {
    if (text::EqualsNoCase(section, subKey))
        return true;
    return section.size() > subKey.size() && section[subKey.size()] == '\\' &&
           text::EqualsNoCase(section.substr(0, subKey.size()), subKey);
}

bool ValidSubKey(std::string_view subKey) {
    return !subKey.empty() && subKey.find_first_of("\r\n") == std::string_view::npos;
}

bool ValidName(std::string_view name) {
    return !name.empty() && name.front() != '[' &&
           name.find_first_of("=\r\n") == std::string_view::npos;
}

}  // namespace

std::string EscapeSettingText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeSettingText(std::string_view stored) {
    std::string out;
    out.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] != '\\' || i + 1 == stored.size()) {
            out += stored[i];
            continue;
        }
        switch (stored[++i]) {
            case '\\':
                out += '\\';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case '0':
                out += '\0';
                break;
            default:  // not written by us: keep as typed
                out += '\\';
                out += stored[i];
        }
    }
    return out;
}

SettingsStore& SettingsStore::Instance() {
    static SettingsStore store;
    return store;
}

SettingsStore::SettingsStore(std::string_view path) : path_(ResolveConfigPath(path)) {
    reload();
}

SettingsStore::~SettingsStore() {
    if (!pending_.empty())
        save();
}

bool SettingsStore::reload() {
    pending_.clear();
    view_.setPath(path_, false);
    const bool loaded = view_.load();
    view_.clearPath();  // the view itself is never written
    return loaded;
}

int32_t SettingsStore::getInt(std::string_view subKey, std::string_view name,
                              int32_t defaultValue) const {
    return view_.getInt(subKey, name, defaultValue);
}

uint32_t SettingsStore::getUInt(std::string_view subKey, std::string_view name,
                                uint32_t defaultValue) const {
    return static_cast<uint32_t>(view_.getInt(subKey, name, static_cast<int32_t>(defaultValue)));
}

bool SettingsStore::getBool(std::string_view subKey, std::string_view name,
                            bool defaultValue) const {
    return view_.getInt(subKey, name, defaultValue ? 1 : 0) != 0;
}

std::string SettingsStore::getText(std::string_view subKey, std::string_view name,
                                   std::string_view defaultValue) const {
    const std::string* stored = view_.find(subKey, name);
    return stored ? UnescapeSettingText(*stored) : std::string(defaultValue);
}

std::optional<std::vector<uint8_t>> SettingsStore::getBinary(std::string_view subKey,
                                                             std::string_view name) const {
    return view_.getBytes(subKey, name);
}

bool SettingsStore::hasValue(std::string_view subKey, std::string_view name) const {
    return view_.find(subKey, name) != nullptr;
}

std::vector<std::string> SettingsStore::valueNames(std::string_view subKey) const {
    std::vector<std::string> names;
    if (const ProfileSection* section = view_.findSection(subKey))
        for (const auto& entry : section->entries)
            names.push_back(entry.first);
    return names;
}

std::vector<std::string> SettingsStore::subKeys() const {
    std::vector<std::string> names;
    for (const ProfileSection& section : view_.sections())
        names.push_back(section.name);
    return names;
}

void SettingsStore::apply(ProfileFile& file, const Change& change) const {
    switch (change.kind) {
        case Change::Set:
            file.setString(change.subKey, change.name, change.value);
            break;
        case Change::DeleteValue:
            file.deleteKey(change.subKey, change.name);
            break;
        case Change::DeleteSubKey: {
            std::vector<std::string> doomed;
            for (const ProfileSection& section : file.sections())
                if (IsSubKeyOrBelow(section.name, change.subKey))
                    doomed.push_back(section.name);
            for (const std::string& name : doomed)
                file.deleteSection(name);
            break;
        }
    }
}

bool SettingsStore::record(Change change) {
    apply(view_, change);
    pending_.push_back(std::move(change));
    return true;
}

bool SettingsStore::setText(std::string_view subKey, std::string_view name,
                            std::string_view value) {
    if (!ValidSubKey(subKey) || !ValidName(name))
        return false;
    return record({Change::Set, std::string(subKey), std::string(name), EscapeSettingText(value)});
}

bool SettingsStore::setInt(std::string_view subKey, std::string_view name, int32_t value) {
    if (!ValidSubKey(subKey) || !ValidName(name))
        return false;
    return record({Change::Set, std::string(subKey), std::string(name), std::to_string(value)});
}

bool SettingsStore::setUInt(std::string_view subKey, std::string_view name, uint32_t value) {
    // Stored as the signed 32-bit text the reader's atoi rules turn back into the same bits.
    return setInt(subKey, name, static_cast<int32_t>(value));
}

bool SettingsStore::setBinary(std::string_view subKey, std::string_view name,
                              std::span<const uint8_t> bytes) {
    if (!ValidSubKey(subKey) || !ValidName(name))
        return false;
    ProfileFile scratch;
    scratch.setBytes("x", "x", bytes.data(), bytes.size());
    return record(
        {Change::Set, std::string(subKey), std::string(name), scratch.getString("x", "x")});
}

bool SettingsStore::deleteValue(std::string_view subKey, std::string_view name) {
    if (!hasValue(subKey, name))
        return false;
    return record({Change::DeleteValue, std::string(subKey), std::string(name), {}});
}

bool SettingsStore::deleteSubKey(std::string_view subKey) {
    bool found = false;
    for (const ProfileSection& section : view_.sections())
        found = found || IsSubKeyOrBelow(section.name, subKey);
    if (!found)
        return false;
    return record({Change::DeleteSubKey, std::string(subKey), {}, {}});
}

bool SettingsStore::deleteAll() {
    const ProfileUpdateLock lock(path_);
    pending_.clear();
    view_.clear();
    view_.clearPath();
    const bool removed = ::unlink(path_.c_str()) == 0 || errno == ENOENT;
    ::unlink((path_ + ".lock").c_str());
    return removed;
}

bool SettingsStore::save() {
    if (pending_.empty())
        return true;
    if (path_.rfind(ConfigDirectory() + "/", 0) == 0)
        EnsureConfigDirectory();
    const ProfileUpdateLock lock(path_);
    const bool existed = ::access(path_.c_str(), F_OK) == 0;
    ProfileFile merged(path_, true);
    for (const Change& change : pending_)
        apply(merged, change);
    if (!merged.save()) {
        merged.clearPath();  // nothing more to try on the way out
        return false;
    }
    // Remembered passwords live here: a new file is for its owner only.
    if (!existed)
        ::chmod(path_.c_str(), 0600);
    pending_.clear();
    view_.loadFromText(merged.toText());
    return true;
}

}  // namespace shelfmark
