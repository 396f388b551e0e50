#include "search/SearchFields.h"

#include <charconv>
#include <span>

#include "catalog/CatalogItem.h"
#include "catalog/FileText.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::search {
namespace {

// Reads one name of a definition block at pos: a length byte and that many bytes, or the wide
// form 255, 254, w, then w UTF-16 characters. False when the block ends first.
bool ReadName(std::span<const uint8_t> block, size_t& pos, std::string& name) {
    if (pos >= block.size())
        return false;
    const size_t length = block[pos++];
    if (length == 255) {
        if (pos + 2 > block.size())
            return false;
        const size_t wide = block[pos + 1];
        pos += 2;
        if (pos + 2 * wide > block.size())
            return false;
        name = Utf16LeToUtf8(block.subspan(pos, 2 * wide));
        pos += 2 * wide;
        return true;
    }
    if (pos + length > block.size())
        return false;
    name = FileBytesToUtf8(
        std::string_view(reinterpret_cast<const char*>(block.data() + pos), length));
    pos += length;
    return true;
}

}  // namespace

std::vector<NamedKey> NamedCategories(const CatalogItem& root) {
    std::vector<NamedKey> out;
    const auto block = root.blockAttribute(attr::CategoryDefinitions);
    if (!block || block->empty())
        return out;
    size_t pos = 1;  // after the next identifier to hand out
    while (pos + 2 <= block->size()) {
        const uint8_t id = (*block)[pos + 1];
        pos += 2;
        std::string name;
        if (!ReadName(*block, pos, name))
            break;
        if (id != 0)
            out.push_back({std::move(name), id});
    }
    return out;
}

std::vector<NamedKey> ConditionFields(const CatalogItem& root) {
    std::vector<NamedKey> out = {
        {"#", attr::TrackNumber},      {"Artist", attr::Artist},
        {"Title", attr::Title},        {"Source", attr::Source},
        {"Location", attr::Location},  {"Comment", attr::Comment},
        {"Author", attr::Author},      {"Album", attr::Album},
        {"Width", attr::ImageWidth},   {"Height", attr::ImageHeight},
        {"Bit depth", attr::ImageBitDepth}, {"MD5", attr::Md5},
        {"Serial number", attr::SerialNumber},
    };
    const auto block = root.blockAttribute(attr::ExtraInfoDefinitions);
    if (!block || block->empty())
        return out;
    size_t pos = 1;
    for (size_t i = 0; i < (*block)[0] && pos < block->size(); ++i) {
        const uint8_t key = (*block)[pos++];
        std::string name;
        if (!ReadName(*block, pos, name))
            break;
        if ((key >= attr::ExtraNumberFirst && key <= attr::ExtraNumberLast) ||
            (key >= attr::ExtraTextFirst && key <= attr::ExtraTextLast))
            out.push_back({std::move(name), key});
    }
    return out;
}

std::optional<uint8_t> FindNamedKey(const std::vector<NamedKey>& keys, std::string_view name) {
    for (const NamedKey& entry : keys)
        if (text::EqualsNoCase(entry.name, name))
            return entry.key;
    const bool hex = name.size() > 2 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X');
    const std::string_view digits = hex ? name.substr(2) : name;
    unsigned value = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
        value == 0 || value > 255)
        return std::nullopt;
    return uint8_t(value);
}

}  // namespace shelfmark::search
