// The names the desktop gives kinds of file, from shared-mime-info: "MP3 audio" for ".mp3".
// The globs2 files of the XDG data folders map patterns "*.ext" to a MIME type (the highest
// weight wins; patterns match without regard to case unless marked "cs"), and the type's XML
// file (mime/TYPE.xml) holds its English description in the first <comment> element without a
// language. Both are read once, when first asked.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

// $XDG_DATA_HOME (or ~/.local/share), then $XDG_DATA_DIRS (or /usr/local/share:/usr/share).
std::vector<std::string> XdgDataDirectories();

class MimeTypeNames {
  public:
    explicit MimeTypeNames(std::vector<std::string> dataDirectories = XdgDataDirectories());

    // The MIME type of files with this extension (dot included, ".mp3"); empty when unknown.
    std::string typeForExtension(std::string_view extension);
    // The description of that type; empty when the extension or its description is unknown.
    std::string commentForExtension(std::string_view extension);

  private:
    struct Glob {
        int weight = 0;
        std::string type;
    };
    void loadGlobs();
    std::string commentOf(const std::string& type);

    std::mutex mutex_;
    std::vector<std::string> directories_;
    bool loaded_ = false;
    std::map<std::string, Glob, std::less<>> folded_;     // lower-case extension
    std::map<std::string, Glob, std::less<>> exact_;      // case-sensitive patterns
    std::map<std::string, std::string, std::less<>> comments_;
};

// The text of the first <comment> element without an xml:lang attribute, entities resolved;
// nothing when there is none.
std::optional<std::string> MimeComment(std::string_view xml);

}  // namespace shelfmark
