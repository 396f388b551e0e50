#include "cli/ItemJson.h"

#include <cstdio>

#include "catalog/CatalogPath.h"
#include "catalog/FileText.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::cli {

const char* KindName(const CatalogItem& item) {
    if (item.isShortcut())
        return "shortcut";
    if (item.isFolder())
        return "folder";
    if (item.isDisk())
        return "disk";
    if (item.isDirectory())
        return "directory";
    if (item.isArchive())
        return "archive";
    return "file";
}

void AppendJsonString(std::string& out, std::string_view value) {
    const std::string valid =
        text::IsValidUtf8(value) ? std::string(value) : FileBytesToUtf8(value);
    out += '"';
    for (char c : valid) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x",
                                  unsigned(static_cast<unsigned char>(c)));
                    out += escape;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

std::string Base64(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        out += kDigits[v >> 18];
        out += kDigits[(v >> 12) & 63];
        out += kDigits[(v >> 6) & 63];
        out += kDigits[v & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const uint32_t v = uint32_t(bytes[i]) << 16 | (two ? uint32_t(bytes[i + 1]) << 8 : 0);
        out += kDigits[v >> 18];
        out += kDigits[(v >> 12) & 63];
        out += two ? kDigits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string KeyText(uint8_t key) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", key);
    return text;
}

void AppendJsonAttributes(std::string& out, const CatalogItem& item) {
    out += "{";
    bool first = true;
    for (const ItemAttribute& attribute : item.attributes()) {
        if (attribute.key() < 0x40)
            continue;
        if (!first)
            out += ", ";
        first = false;
        out += '"' + KeyText(attribute.key()) + "\": ";
        switch (attribute.valueClass()) {
            case AttributeClass::Number:
                out += std::to_string(attribute.number());
                break;
            case AttributeClass::Text:
                AppendJsonString(out, attribute.text());
                break;
            default:
                out += '"' + Base64(attribute.block()) + '"';
                break;
        }
    }
    out += "}";
}

void AppendJsonItem(std::string& out, const CatalogItem& item,
                    const CatalogDefinitions& definitions) {
    out += "{\"path\": ";
    AppendJsonString(out, CatalogPathOf(item));
    out += std::string(", \"kind\": \"") + KindName(item) +
           "\", \"flags\": " + std::to_string(item.flags()) + ", \"name\": ";
    AppendJsonString(out, item.name());
    out += ", \"size\": " + std::to_string(item.size()) +
           ", \"date\": " + std::to_string(item.date()) + ", \"attributes\": ";
    AppendJsonAttributes(out, item);
    if (item.hasAttribute(attr::Categories)) {
        out += ", \"categories\": [";
        bool first = true;
        for (const uint8_t id : CategoryIdsOf(item)) {
            if (id == 0)
                break;
            out += first ? "" : ", ";
            AppendJsonString(out, definitions.categoryName(id));
            first = false;
        }
        out += "]";
    }
    out += "}";
}

}  // namespace shelfmark::cli
