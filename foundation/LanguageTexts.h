// Every text the program shows, looked up by section and key in the active language file, with
// the built-in English text as the fallback.
#pragma once

#include <shared_mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/ProfileFile.h"
#include "foundation/PromptIds.h"

namespace shelfmark {

// The name a language file's FileInfo/Program entry must carry.
inline constexpr std::string_view kApplicationName = "Halvenmoor Shelfmark";
// The program version a language file's FileInfo/Version is compared with.
inline constexpr std::string_view kProgramVersion = "3.30.2004";
inline constexpr std::string_view kStringsSection = "Strings";
inline constexpr std::string_view kFileInfoSection = "FileInfo";
// Language files have this extension; they lie in the configuration directory or in the
// installed share/shelfmark/lang folder.
inline constexpr std::string_view kLanguageFileExtension = ".lng";

// One row of the prompt table: a prompt identifier and the Strings key that translates it.
struct PromptKey {
    PromptId id;
    int key;
};

class LanguageTexts {
  public:
    // The one instance of the process. Lookups may come from any thread; loading a language and
    // selecting a section are meant for start-up and dialog set-up.
    static LanguageTexts& Instance();

    LanguageTexts();

    // Loads and validates a language file (FileInfo/Language non-empty, FileInfo/Program equal
    // to the application name, case-insensitive). On refusal every text comes from the built-in
    // table again. A bare file name is looked for in the language folders (FindLanguageFile).
    bool loadLanguage(std::string_view path);
    // Back to the built-in English texts.
    void unloadLanguage();
    // The active file's path, empty with the built-in texts.
    std::string languagePath() const;
    // A FileInfo value of the active file ("Language", "Version", "Author", "Author_Email").
    std::string fileInfo(std::string_view key) const;

    // Makes `section` the one used when a lookup names none; true when the language file has at
    // least one key there. An empty name clears it and returns true.
    bool selectSection(std::string_view section = {});
    std::string currentSection() const;

    // The text of (section, key): from the language file when it has a non-empty value, else
    // the built-in text; "\n" and "\t" escapes become a line break and a tab. With no section
    // the current section is used, and without one "Strings". True when the result is non-empty.
    bool text(std::string& out, std::string_view key, std::string_view section = {}) const;
    bool textByNumber(std::string& out, int key, std::string_view section = {}) const;
    // Only the language file's own value (escapes resolved), no built-in fallback.
    bool fileText(std::string& out, std::string_view key, std::string_view section) const;
    // Convenience form returning the text.
    std::string text(std::string_view section, int key) const;

    // The prompt text of `id`: the language file's Strings entry for the key the prompt table
    // gives it, else the built-in prompt text.
    bool promptText(std::string& out, PromptId id,
                    std::string_view section = kStringsSection) const;
    std::string promptText(PromptId id) const;
    // Installs the prompt table (the program installs DefaultPromptKeys() at start-up).
    void setPromptKeys(std::span<const PromptKey> keys);

  private:
    std::string lookupLocked(std::string_view section, std::string_view key) const;

    mutable std::shared_mutex mutex_;
    ProfileFile store_;
    std::string currentSection_;
    std::vector<PromptKey> promptKeys_;
};

// The text of key `key` in section "Strings" ("\n" and "\t" escapes resolved): from the active
// language file, else the built-in English text; empty when neither has it.
std::string Str(int key);

// Key 174 serves two built-in texts: "%d item(s) found." for search results (Str(174)) and
// "%d item(s)" for item lists and the main window's status bar (this one).
std::string ItemCountText();

// Resolves the two-character escapes "\n" and "\t".
std::string ResolveEscapes(std::string_view text);

// What the language page lists for one ".lng" file.
struct LanguageFileInfo {
    std::string path;
    std::string fileName;  // without the folder: what the LanguageFile setting stores
    std::string language;
    std::string version;
    std::string author;
    std::string authorEmail;
};
// Every acceptable language file of the language folders, sorted by file name; a name found in
// two folders is listed once, from the first folder.
std::vector<LanguageFileInfo> ListLanguageFiles();
// Whether a file's FileInfo/Version (its first 15 characters) equals the program version exactly;
// when not, the user is warned before the file is used.
bool LanguageVersionMatches(std::string_view version);

// The folders language files are looked for in: the configuration directory, then the
// installed share/shelfmark/lang folder.
std::vector<std::string> LanguageFolders();
// The full path of a language file named `fileName` in the first folder that has it, or empty.
std::string FindLanguageFile(std::string_view fileName);

}  // namespace shelfmark
