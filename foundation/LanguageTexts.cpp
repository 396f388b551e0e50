#include "foundation/LanguageTexts.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <utility>

#include "foundation/BuiltinTexts.h"
#include "foundation/ConfigDirectory.h"
#include "foundation/InstallDirectory.h"
#include "foundation/Utf8Text.h"

#ifndef SHELFMARK_LANG_DIR
#define SHELFMARK_LANG_DIR "share/shelfmark/lang"
#endif

namespace shelfmark {

namespace {

// Numeric keys ("74") also name built-in texts; anything else has only the language file.
bool ParseKeyNumber(std::string_view key, int& number) {
    if (key.empty() || key.size() > 9)
        return false;
    number = 0;
    for (char c : key) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    return true;
}

}  // namespace

std::string ResolveEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 't')) {
            out += text[i + 1] == 'n' ? '\n' : '\t';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> LanguageFolders() {
    std::vector<std::string> folders{ConfigDirectory()};
    for (std::string& installed : InstalledDirectories(SHELFMARK_LANG_DIR))
        folders.push_back(std::move(installed));
    return folders;
}

std::string FindLanguageFile(std::string_view fileName) {
    if (fileName.empty())
        return {};
    for (const std::string& folder : LanguageFolders()) {
        std::string candidate = folder + "/" + std::string(fileName);
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return candidate;
    }
    return {};
}

std::vector<LanguageFileInfo> ListLanguageFiles() {
    std::vector<LanguageFileInfo> files;
    for (const std::string& folder : LanguageFolders()) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_regular_file(error) || name.size() <= kLanguageFileExtension.size() ||
                !text::EqualsNoCase(name.substr(name.size() - kLanguageFileExtension.size()),
                                    kLanguageFileExtension))
                continue;
            if (std::any_of(files.begin(), files.end(),
                            [&](const LanguageFileInfo& f) { return f.fileName == name; }))
                continue;
            const ProfileFile file(entry.path().string());
            LanguageFileInfo info{entry.path().string(),
                                  name,
                                  file.getString(kFileInfoSection, "Language"),
                                  file.getString(kFileInfoSection, "Version"),
                                  file.getString(kFileInfoSection, "Author"),
                                  file.getString(kFileInfoSection, "Author_Email")};
            if (!info.language.empty() &&
                text::EqualsNoCase(file.getString(kFileInfoSection, "Program"), kApplicationName))
                files.push_back(std::move(info));
        }
    }
    std::sort(files.begin(), files.end(), [](const LanguageFileInfo& a, const LanguageFileInfo& b) {
        return text::CompareNoCase(a.fileName, b.fileName) < 0;
    });
    return files;
}

bool LanguageVersionMatches(std::string_view version) {
    return version.substr(0, 15) == kProgramVersion;
}

LanguageTexts& LanguageTexts::Instance() {
    static LanguageTexts instance;
    return instance;
}

LanguageTexts::LanguageTexts() {
    const auto defaults = DefaultPromptKeys();
    promptKeys_.assign(defaults.begin(), defaults.end());
}

bool LanguageTexts::loadLanguage(std::string_view path) {
    std::string fullPath(path);
    if (fullPath.find('/') == std::string::npos)
        fullPath = FindLanguageFile(path);
    std::unique_lock lock(mutex_);
    if (!fullPath.empty()) {
        store_.setPath(fullPath, true);
        const std::string language = store_.getString(kFileInfoSection, "Language");
        const std::string program = store_.getString(kFileInfoSection, "Program");
        if (!language.empty() && text::EqualsNoCase(program, kApplicationName))
            return true;
    }
    store_ = ProfileFile();
    return false;
}

void LanguageTexts::unloadLanguage() {
    std::unique_lock lock(mutex_);
    store_ = ProfileFile();
}

std::string LanguageTexts::languagePath() const {
    std::shared_lock lock(mutex_);
    return store_.path();
}

std::string LanguageTexts::fileInfo(std::string_view key) const {
    std::shared_lock lock(mutex_);
    return store_.path().empty() ? std::string() : store_.getString(kFileInfoSection, key);
}

bool LanguageTexts::selectSection(std::string_view section) {
    std::unique_lock lock(mutex_);
    currentSection_.assign(section);
    if (section.empty())
        return true;
    const ProfileSection* found =
        store_.path().empty() ? nullptr : std::as_const(store_).findSection(section);
    return found && !found->entries.empty();
}

std::string LanguageTexts::currentSection() const {
    std::shared_lock lock(mutex_);
    return currentSection_;
}

std::string LanguageTexts::lookupLocked(std::string_view section, std::string_view key) const {
    if (section.empty())
        section = currentSection_.empty() ? kStringsSection : std::string_view(currentSection_);
    std::string_view raw;
    if (!store_.path().empty())
        if (const std::string* value = store_.find(section, key))
            raw = *value;
    int number = 0;
    if (raw.empty() && ParseKeyNumber(key, number))
        raw = FindBuiltinText(section, number);
    return ResolveEscapes(raw);
}

bool LanguageTexts::text(std::string& out, std::string_view key, std::string_view section) const {
    std::shared_lock lock(mutex_);
    out = lookupLocked(section, key);
    return !out.empty();
}

bool LanguageTexts::fileText(std::string& out, std::string_view key,
                             std::string_view section) const {
    std::shared_lock lock(mutex_);
    out.clear();
    if (!store_.path().empty())
        if (const std::string* value = store_.find(section, key))
            out = ResolveEscapes(*value);
    return !out.empty();
}

bool LanguageTexts::textByNumber(std::string& out, int key, std::string_view section) const {
    return text(out, std::to_string(key), section);
}

std::string LanguageTexts::text(std::string_view section, int key) const {
    std::string out;
    textByNumber(out, key, section);
    return out;
}

bool LanguageTexts::promptText(std::string& out, PromptId id, std::string_view section) const {
    std::shared_lock lock(mutex_);
    out.clear();
    for (const PromptKey& row : promptKeys_) {
        if (row.id == id) {
            if (!store_.path().empty())
                if (const std::string* value = store_.find(section, std::to_string(row.key)))
                    out = ResolveEscapes(*value);
            break;
        }
    }
    if (out.empty())
        out = ResolveEscapes(BuiltinPromptText(id));
    return !out.empty();
}

std::string LanguageTexts::promptText(PromptId id) const {
    std::string out;
    promptText(out, id);
    return out;
}

void LanguageTexts::setPromptKeys(std::span<const PromptKey> keys) {
    std::unique_lock lock(mutex_);
    promptKeys_.assign(keys.begin(), keys.end());
}

std::string Str(int key) {
    return LanguageTexts::Instance().text(kStringsSection, key);
}

std::string ItemCountText() {
    std::string out;
    if (LanguageTexts::Instance().fileText(out, "174", kStringsSection))
        return out;
    return std::string(kListItemCountText);
}

}  // namespace shelfmark
