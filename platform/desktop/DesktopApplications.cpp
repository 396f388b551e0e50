#include "platform/desktop/DesktopApplications.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>

namespace shelfmark {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> SplitList(std::string_view text, char separator) {
    std::vector<std::string> parts;
    while (!text.empty()) {
        const size_t end = text.find(separator);
        if (end != 0)
            parts.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return parts;
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return std::string(text);
}

// Key-value groups of a desktop entry or mimeapps.list file; localized keys ("Name[de]") are
// kept under their full name, so a plain lookup finds the untranslated value.
using Groups = std::map<std::string, std::map<std::string, std::string>, std::less<>>;

Groups ReadGroups(const fs::path& file) {
    Groups groups;
    std::ifstream in(file);
    std::string line;
    std::string group;
    while (std::getline(in, line)) {
        const std::string text = Trimmed(line);
        if (text.empty() || text.front() == '#')
            continue;
        if (text.front() == '[') {
            group = text.back() == ']' ? text.substr(1, text.size() - 2) : std::string();
            continue;
        }
        const size_t equals = text.find('=');
        if (equals == std::string::npos || group.empty())
            continue;
        groups[group].emplace(Trimmed(std::string_view(text).substr(0, equals)),
                              Trimmed(std::string_view(text).substr(equals + 1)));
    }
    return groups;
}

std::string Value(const Groups& groups, std::string_view group, std::string_view key) {
    const auto found = groups.find(group);
    if (found == groups.end())
        return {};
    const auto value = found->second.find(std::string(key));
    return value == found->second.end() ? std::string() : value->second;
}

// The string escapes of the format: \s \n \t \r \\.
std::string Unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 's': out += ' '; break;
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case '\\': out += '\\'; break;
            default: out += '\\'; out += text[i]; break;
        }
    }
    return out;
}

// Every .desktop file below the data folders' applications/ by id; the first folder wins.
std::map<std::string, fs::path> DesktopFiles(const XdgFolders& folders) {
    std::map<std::string, fs::path> files;
    for (const std::string& data : folders.data) {
        const fs::path root = fs::path(data) / "applications";
        std::error_code error;
        for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
             it.increment(error)) {
            if (it->path().extension() != ".desktop" || !it->is_regular_file(error))
                continue;
            std::string id = it->path().lexically_relative(root).generic_string();
            std::replace(id.begin(), id.end(), '/', '-');
            files.emplace(std::move(id), it->path());
        }
    }
    return files;
}

std::optional<DesktopApplication> ReadApplication(const std::string& id, const fs::path& file) {
    const Groups groups = ReadGroups(file);
    constexpr std::string_view kEntry = "Desktop Entry";
    if (Value(groups, kEntry, "Type") != "Application" || Value(groups, kEntry, "Hidden") == "true")
        return std::nullopt;
    DesktopApplication application{id, Unescaped(Value(groups, kEntry, "Name")),
                                   Unescaped(Value(groups, kEntry, "Exec")),
                                   Unescaped(Value(groups, kEntry, "Icon")), file.string()};
    if (application.exec.empty())
        return std::nullopt;
    if (application.name.empty())
        application.name = id;
    return application;
}

// The mimeapps.list files, most important first.
std::vector<fs::path> MimeAppsLists(const XdgFolders& folders) {
    std::vector<fs::path> lists;
    for (const std::string& config : folders.config)
        lists.push_back(fs::path(config) / "mimeapps.list");
    for (const std::string& data : folders.data)
        lists.push_back(fs::path(data) / "applications" / "mimeapps.list");
    return lists;
}

}  // namespace

XdgFolders XdgFolders::FromEnvironment() {
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    const std::string home = variable("HOME");
    XdgFolders folders;
    const std::string configHome = variable("XDG_CONFIG_HOME");
    folders.config.push_back(configHome.empty() ? home + "/.config" : configHome);
    const std::string configDirs = variable("XDG_CONFIG_DIRS");
    for (std::string& dir : SplitList(configDirs.empty() ? "/etc/xdg" : configDirs, ':'))
        folders.config.push_back(std::move(dir));
    const std::string dataHome = variable("XDG_DATA_HOME");
    folders.data.push_back(dataHome.empty() ? home + "/.local/share" : dataHome);
    const std::string dataDirs = variable("XDG_DATA_DIRS");
    for (std::string& dir :
         SplitList(dataDirs.empty() ? "/usr/local/share:/usr/share" : dataDirs, ':'))
        folders.data.push_back(std::move(dir));
    return folders;
}

std::vector<DesktopApplication> ApplicationsForType(std::string_view mimeType,
                                                    const XdgFolders& folders) {
    const std::map<std::string, fs::path> files = DesktopFiles(folders);
    std::vector<DesktopApplication> result;
    std::set<std::string> taken;
    std::set<std::string> removed;
    const auto take = [&](const std::string& id) {
        if (taken.count(id) || removed.count(id))
            return;
        const auto file = files.find(id);
        if (file == files.end())
            return;
        if (auto application = ReadApplication(id, file->second)) {
            taken.insert(id);
            result.push_back(std::move(*application));
        }
    };
    // Defaults of every list come before additions: a default chosen anywhere is what the
    // desktop opens the type with.
    std::vector<Groups> lists;
    for (const fs::path& list : MimeAppsLists(folders))
        lists.push_back(ReadGroups(list));
    std::set<std::string> removedBefore;
    for (const Groups& list : lists) {
        removed = removedBefore;
        for (const std::string& id : SplitList(Value(list, "Default Applications", mimeType), ';'))
            take(id);
        for (const std::string& id : SplitList(Value(list, "Removed Associations", mimeType), ';'))
            removedBefore.insert(id);
    }
    removedBefore.clear();
    for (const Groups& list : lists) {
        removed = removedBefore;
        for (const std::string& id : SplitList(Value(list, "Added Associations", mimeType), ';'))
            take(id);
        for (const std::string& id : SplitList(Value(list, "Removed Associations", mimeType), ';'))
            removedBefore.insert(id);
    }
    removed = removedBefore;
    std::vector<DesktopApplication> others;
    for (const auto& [id, file] : files) {
        if (taken.count(id) || removed.count(id))
            continue;
        const Groups groups = ReadGroups(file);
        const std::vector<std::string> types =
            SplitList(Value(groups, "Desktop Entry", "MimeType"), ';');
        if (std::find(types.begin(), types.end(), mimeType) == types.end())
            continue;
        if (auto application = ReadApplication(id, file))
            others.push_back(std::move(*application));
    }
    std::stable_sort(others.begin(), others.end(),
                     [](const DesktopApplication& a, const DesktopApplication& b) {
                         return a.name < b.name;
                     });
    result.insert(result.end(), others.begin(), others.end());
    return result;
}

std::vector<std::string> ExecArguments(const DesktopApplication& application,
                                       const std::string& path) {
    // First the words as the quoting gives them; a word remembers whether it was quoted, since
    // %i and the file codes stand alone only outside quotes.
    struct Word {
        std::string text;
        bool quoted = false;
    };
    std::vector<Word> words;
    const std::string_view exec = application.exec;
    size_t i = 0;
    while (i < exec.size()) {
        if (exec[i] == ' ' || exec[i] == '\t') {
            ++i;
            continue;
        }
        Word word;
        while (i < exec.size() && exec[i] != ' ' && exec[i] != '\t') {
            if (exec[i] != '"') {
                word.text += exec[i++];
                continue;
            }
            word.quoted = true;
            ++i;
            bool closed = false;
            while (i < exec.size()) {
                if (exec[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (exec[i] == '\\' && i + 1 < exec.size() &&
                    std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos)
                    ++i;
                word.text += exec[i++];
            }
            if (!closed)
                return {};
        }
        words.push_back(std::move(word));
    }
    // The program itself never comes from a field code: the file (or the entry's name) would
    // then be what runs.
    if (words.empty() || words.front().text.find('%') != std::string::npos)
        return {};
    std::vector<std::string> arguments;
    bool fileGiven = false;
    for (const Word& word : words) {
        if (!word.quoted && word.text == "%i") {
            if (!application.icon.empty()) {
                arguments.emplace_back("--icon");
                arguments.push_back(application.icon);
            }
            continue;
        }
        std::string out;
        bool dropped = false;
        for (size_t at = 0; at < word.text.size(); ++at) {
            if (word.text[at] != '%' || at + 1 == word.text.size()) {
                out += word.text[at];
                continue;
            }
            switch (word.text[++at]) {
                case 'f': case 'F': case 'u': case 'U':
                    out += path;
                    fileGiven = true;
                    break;
                case 'c': out += application.name; break;
                case 'k': out += application.file; break;
                case '%': out += '%'; break;
                default:
                    // Deprecated codes (%d %D %n %N %v %m) and unknown ones: nothing. A
                    // word that was only such a code goes away.
                    dropped = word.text.size() == 2;
                    break;
            }
        }
        if (!dropped)
            arguments.push_back(std::move(out));
    }
    if (arguments.empty())
        return {};
    // An application whose line takes no file still is asked to open this one, as the
    // desktops' own menus do.
    if (!fileGiven)
        arguments.push_back(path);
    return arguments;
}

}  // namespace shelfmark
