#include "platform/mimetypes/MimeTypeNames.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace shelfmark {

namespace {

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return lower;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ResolveEntities(std::string_view text) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& [entity, c] : kEntities) {
                if (text.substr(i, entity.size()) == entity) {
                    out += c;
                    i += entity.size() - 1;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += text[i];
    }
    return out;
}

}  // namespace

std::vector<std::string> XdgDataDirectories() {
    std::vector<std::string> folders;
    const char* home = std::getenv("XDG_DATA_HOME");
    if (home && *home)
        folders.emplace_back(home);
    else if (const char* user = std::getenv("HOME"); user && *user)
        folders.push_back(std::string(user) + "/.local/share");
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    while (!list.empty()) {
        const size_t colon = list.find(':');
        if (colon != 0)
            folders.emplace_back(list.substr(0, colon));
        list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
    }
    return folders;
}

std::optional<std::string> MimeComment(std::string_view xml) {
    size_t at = 0;
    while ((at = xml.find("<comment", at)) != std::string_view::npos) {
        const size_t close = xml.find('>', at);
        if (close == std::string_view::npos)
            return std::nullopt;
        const std::string_view tag = xml.substr(at, close - at);
        at = close + 1;
        if (tag.size() > 8 && tag[8] != ' ' && tag[8] != '\t' && tag[8] != '\n')
            continue;  // another element whose name starts alike
        if (tag.find("xml:lang") != std::string_view::npos || tag.ends_with('/'))
            continue;
        const size_t end = xml.find("</comment>", at);
        if (end == std::string_view::npos)
            return std::nullopt;
        return ResolveEntities(xml.substr(at, end - at));
    }
    return std::nullopt;
}

MimeTypeNames::MimeTypeNames(std::vector<std::string> dataDirectories) : directories_(std::move(dataDirectories)) {}

void MimeTypeNames::loadGlobs() {
    loaded_ = true;
    // Folders come best first: a pattern keeps the first type seen at its highest weight.
    for (const std::string& folder : directories_) {
        std::ifstream in(folder + "/mime/globs2");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#')
                continue;
            const size_t first = line.find(':');
            const size_t second = first == std::string::npos ? first : line.find(':', first + 1);
            if (second == std::string::npos)
                continue;
            const int weight = std::atoi(line.substr(0, first).c_str());
            std::string type = line.substr(first + 1, second - first - 1);
            std::string rest = line.substr(second + 1);
            const size_t flagsAt = rest.find(':');
            const bool caseSensitive =
                flagsAt != std::string::npos && rest.find("cs", flagsAt) != std::string::npos;
            std::string pattern = rest.substr(0, flagsAt);
            // Only plain "*.ext" patterns name an extension.
            if (!pattern.starts_with("*.") || pattern.find_first_of("*?[", 1) != std::string::npos)
                continue;
            std::string extension = pattern.substr(1);
            auto& table = caseSensitive ? exact_ : folded_;
            if (!caseSensitive)
                extension = LowerAscii(extension);
            auto [entry, added] = table.try_emplace(std::move(extension), Glob{weight, type});
            if (!added && weight > entry->second.weight)
                entry->second = Glob{weight, std::move(type)};
        }
    }
}

std::string MimeTypeNames::typeForExtension(std::string_view extension) {
    std::lock_guard lock(mutex_);
    if (!loaded_)
        loadGlobs();
    if (const auto exact = exact_.find(extension); exact != exact_.end())
        return exact->second.type;
    const auto folded = folded_.find(LowerAscii(extension));
    return folded == folded_.end() ? std::string() : folded->second.type;
}

std::string MimeTypeNames::commentOf(const std::string& type) {
    if (const auto known = comments_.find(type); known != comments_.end())
        return known->second;
    std::string comment;
    // A type name is "media/subtype"; anything else would lead out of the mime folder.
    if (type.find("..") == std::string::npos && type.find('/') != std::string::npos) {
        for (const std::string& folder : directories_) {
            const std::string xml = ReadWhole(folder + "/mime/" + type + ".xml");
            if (const std::optional<std::string> found = MimeComment(xml)) {
                comment = *found;
                break;
            }
        }
    }
    comments_.emplace(type, comment);
    return comment;
}

std::string MimeTypeNames::commentForExtension(std::string_view extension) {
    const std::string type = typeForExtension(extension);
    if (type.empty())
        return {};
    std::lock_guard lock(mutex_);
    return commentOf(type);
}

}  // namespace shelfmark
