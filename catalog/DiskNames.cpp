#include "catalog/DiskNames.h"

#include <sys/stat.h>

#include <array>
#include <vector>

#include "catalog/FileText.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

// The UTF-8 text the catalog's decoding gives each byte from 0x80 on, to find the byte again.
const std::array<std::string, 128>& HighByteTexts() {
    static const std::array<std::string, 128> texts = [] {
        std::array<std::string, 128> result;
        for (size_t i = 0; i < result.size(); ++i)
            result[i] = FileBytesToUtf8(std::string(1, static_cast<char>(0x80 + i)));
        return result;
    }();
    return texts;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

void AppendComponent(std::string& path, std::string_view name) {
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    path.append(name);
}

}  // namespace

std::string CatalogNameOf(std::string_view diskName) {
    return FileBytesToUtf8(diskName);
}

std::optional<std::string> DecodedNameBytes(std::string_view storedName) {
    const auto& texts = HighByteTexts();
    std::string bytes;
    bytes.reserve(storedName.size());
    size_t i = 0;
    while (i < storedName.size()) {
        if (static_cast<unsigned char>(storedName[i]) < 0x80) {
            bytes.push_back(storedName[i++]);
            continue;
        }
        size_t found = texts.size();
        for (size_t b = 0; b < texts.size(); ++b) {
            if (storedName.substr(i, texts[b].size()) == texts[b]) {
                found = b;
                break;
            }
        }
        if (found == texts.size())
            return std::nullopt;
        bytes.push_back(static_cast<char>(0x80 + found));
        i += texts[found].size();
    }
    // Bytes that are valid UTF-8 were stored as themselves, never decoded.
    if (text::IsValidUtf8(bytes))
        return std::nullopt;
    return bytes;
}

std::string DiskPathOf(const std::string& root, std::span<const std::string> components) {
    std::string path = root;
    for (const std::string& name : components) {
        std::string candidate = path;
        AppendComponent(candidate, name);
        if (!Exists(candidate)) {
            if (const std::optional<std::string> bytes = DecodedNameBytes(name)) {
                std::string decoded = path;
                AppendComponent(decoded, *bytes);
                if (Exists(decoded))
                    candidate = std::move(decoded);
            }
        }
        path = std::move(candidate);
    }
    return path;
}

std::string DiskPathOf(const std::string& root, const CatalogItem* disk, const CatalogItem* item) {
    std::vector<std::string> components;
    for (const CatalogItem* at = item; at != nullptr && at != disk; at = at->parent())
        components.emplace_back(at->name());
    return DiskPathOf(root, std::vector<std::string>(components.rbegin(), components.rend()));
}

}  // namespace shelfmark
