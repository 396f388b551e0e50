#include "catalog/Definitions.h"

#include <algorithm>
#include <cstdio>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogItem.h"
#include "catalog/FileText.h"
#include "foundation/ProfileFile.h"
#include "foundation/Utf8Text.h"

namespace shelfmark {
namespace {

constexpr BuiltinExtraField kBuiltinExtraFields[] = {
    {attr::TrackNumber, "#"},       {attr::Artist, "Artist"},
    {attr::Title, "Title"},         {attr::Source, "Source"},
    {attr::Location, "Location"},   {attr::Comment, "Comment"},
    {attr::Author, "Author"},       {attr::Album, "Album"},
    {attr::ImageWidth, "Width"},    {attr::ImageHeight, "Height"},
    {attr::ImageBitDepth, "Bit depth"}, {attr::Md5, "MD5"},
    {attr::SerialNumber, "Serial number"}, {attr::Thumbnail, "Thumbnail"},
};

// Reads one name at `pos` (the length byte); false when the block ends inside it.
bool ReadName(std::span<const uint8_t> bytes, size_t& pos, std::string& name) {
    if (pos >= bytes.size())
        return false;
    const uint8_t length = bytes[pos++];
    if (length == 255) {
        // The wide form: 255, 254, w, then w UTF-16LE units.
        if (pos + 2 > bytes.size() || bytes[pos] != 254)
            return false;
        const size_t units = bytes[pos + 1];
        pos += 2;
        if (bytes.size() - pos < units * 2)
            return false;
        name = Utf16LeToUtf8(bytes.subspan(pos, units * 2));
        pos += units * 2;
        return true;
    }
    if (bytes.size() - pos < length)
        return false;
    name = FileBytesToUtf8(
        std::string_view(reinterpret_cast<const char*>(bytes.data() + pos), length));
    pos += length;
    return true;
}

// At most 254 bytes, never ending inside a UTF-8 sequence.
std::string_view CutName(std::string_view name) {
    if (name.size() <= kMaxDefinitionName)
        return name;
    size_t end = kMaxDefinitionName;
    while (end > 0 && (uint8_t(name[end]) & 0xC0) == 0x80)
        --end;
    return name.substr(0, end);
}

void AppendName(std::vector<uint8_t>& out, std::string_view name) {
    const std::string_view cut = CutName(name);
    out.push_back(uint8_t(cut.size()));
    out.insert(out.end(), cut.begin(), cut.end());
}

std::string NumberedName(const char* pattern, unsigned number) {
    char text[16];
    std::snprintf(text, sizeof text, pattern, number);
    return text;
}

size_t UserSlot(uint8_t key) {
    return key >= 0xB0 ? 16 + size_t(key - 0xB0) : size_t(key - 0x70);
}

}  // namespace

CategoryDefinitions ParseCategoryBlock(std::span<const uint8_t> bytes) {
    CategoryDefinitions definitions;
    if (bytes.empty())
        return definitions;
    definitions.nextId = bytes[0];
    size_t pos = 1;
    while (pos + 2 <= bytes.size()) {
        CategoryEntry entry;
        entry.level = bytes[pos];
        entry.id = bytes[pos + 1];
        pos += 2;
        if (!ReadName(bytes, pos, entry.name))
            break;
        definitions.entries.push_back(std::move(entry));
    }
    return definitions;
}

std::vector<uint8_t> EncodeCategoryBlock(const CategoryDefinitions& definitions) {
    std::vector<uint8_t> out{definitions.nextId};
    for (const CategoryEntry& entry : definitions.entries) {
        out.push_back(entry.level);
        out.push_back(entry.id);
        AppendName(out, entry.name);
    }
    return out;
}

std::vector<ExtraDefinition> ParseExtraBlock(std::span<const uint8_t> bytes) {
    std::vector<ExtraDefinition> definitions;
    if (bytes.empty())
        return definitions;
    const size_t count = std::min<size_t>(bytes[0], kMaxExtraDefinitions);
    size_t pos = 1;
    for (size_t i = 0; i < count && pos < bytes.size(); ++i) {
        ExtraDefinition definition;
        definition.key = bytes[pos++];
        if (!ReadName(bytes, pos, definition.name))
            break;
        const bool known = std::any_of(definitions.begin(), definitions.end(),
                                       [&](const auto& d) { return d.key == definition.key; });
        if (IsUserExtraKey(definition.key) && !known)
            definitions.push_back(std::move(definition));
    }
    return definitions;
}

std::vector<uint8_t> EncodeExtraBlock(std::span<const ExtraDefinition> definitions) {
    const size_t count = std::min(definitions.size(), kMaxExtraDefinitions);
    std::vector<uint8_t> out{uint8_t(count)};
    for (size_t i = 0; i < count; ++i) {
        out.push_back(definitions[i].key);
        AppendName(out, definitions[i].name);
    }
    return out;
}

CategoryDefinitions CategoryDefinitionsOf(const CatalogItem& root) {
    return ParseCategoryBlock(root.blockAttribute(attr::CategoryDefinitions).value_or(
        std::span<const uint8_t>()));
}

std::vector<ExtraDefinition> ExtraDefinitionsOf(const CatalogItem& root) {
    return ParseExtraBlock(root.blockAttribute(attr::ExtraInfoDefinitions).value_or(
        std::span<const uint8_t>()));
}

bool IsBuiltinExtraKey(uint8_t key) {
    return std::any_of(std::begin(kBuiltinExtraFields), std::end(kBuiltinExtraFields),
                       [key](const BuiltinExtraField& field) { return field.key == key; });
}

std::span<const BuiltinExtraField> BuiltinExtraFields() {
    return kBuiltinExtraFields;
}

CategoryIds CategoryIdsOf(const CatalogItem& item) {
    CategoryIds ids{};
    const uint32_t value = item.numberAttribute(attr::Categories).value_or(0);
    for (size_t i = 0; i < ids.size(); ++i) {
        const uint8_t id = uint8_t(value >> (8 * i));
        if (id == 0)
            break;
        ids[i] = id;
    }
    return ids;
}

uint32_t PackCategoryIds(const CategoryIds& ids) {
    uint32_t value = 0;
    int shift = 0;
    for (uint8_t id : ids) {
        if (id == 0)
            continue;
        value |= uint32_t(id) << shift;
        shift += 8;
    }
    return value;
}

uint32_t RemoveCategoryIds(uint32_t value, std::span<const uint8_t> removed) {
    CategoryIds ids{};
    for (size_t i = 0; i < ids.size(); ++i) {
        const uint8_t id = uint8_t(value >> (8 * i));
        if (id == 0)
            break;
        if (std::find(removed.begin(), removed.end(), id) == removed.end())
            ids[i] = id;
    }
    return PackCategoryIds(ids);
}

CategoryDefinitions CategoriesFromProfile(std::string_view profilePath) {
    const ProfileFile profile(profilePath);
    CategoryDefinitions definitions;
    definitions.nextId = uint8_t(profile.getInt("FileInfo", "NextCategory", 1));
    // A line is "name=...=id": the name before the first "=", the number after the last.
    auto entryOf = [](const std::pair<std::string, std::string>& line, uint8_t level) {
        const std::string& value = line.second;
        const size_t last = value.rfind('=');
        const std::string_view number =
            last == std::string::npos ? std::string_view(value)
                                      : std::string_view(value).substr(last + 1);
        return CategoryEntry{level, uint8_t(ParseLeadingInt(number)), line.first};
    };
    const ProfileSection* categories = profile.findSection("Categories");
    if (!categories)
        return definitions;
    for (const auto& line : categories->entries) {
        definitions.entries.push_back(entryOf(line, 1));
        for (const ProfileSection& section : profile.sections()) {
            if (section.name != line.first)
                continue;
            for (const auto& subLine : section.entries)
                definitions.entries.push_back(entryOf(subLine, 2));
            break;
        }
    }
    return definitions;
}

CatalogDefinitions::CatalogDefinitions() {
    for (unsigned i = 0; i < categoryNames_.size(); ++i)
        categoryNames_[i] = NumberedName("#%04d", i);
    for (unsigned i = 0; i < userNames_.size(); ++i)
        userNames_[i] = NumberedName("#%03d", i % 16);
}

void CatalogDefinitions::load(CatalogDocument& document, std::string_view categoriesProfile) {
    CatalogItem* root = document.tree().root();
    if (!root->hasAttribute(attr::CategoryDefinitions)) {
        const CategoryDefinitions migrated = CategoriesFromProfile(categoriesProfile);
        document.tree().setBlockAttribute(root, attr::CategoryDefinitions,
                                          EncodeCategoryBlock(migrated));
        if (!migrated.entries.empty())
            document.setModified();
    }
    reload(*root);
}

void CatalogDefinitions::reload(const CatalogItem& root) {
    *this = CatalogDefinitions();
    for (const CategoryEntry& entry : CategoryDefinitionsOf(root).entries)
        categoryNames_[entry.id] = entry.name;
    for (ExtraDefinition& definition : ExtraDefinitionsOf(root)) {
        userNames_[UserSlot(definition.key)] = definition.name;
        defined_[UserSlot(definition.key)] = true;
        columns_.appendUserRow(definition.key, std::move(definition.name));
    }
}

void CatalogDefinitions::attach(CatalogDocument& document, std::string categoriesProfile) {
    document.hooks().opened = [this, &document, profile = std::move(categoriesProfile)] {
        load(document, profile);
    };
    document.undoHooks().reloadDefinitions = [this, &document] {
        reload(*document.tree().root());
    };
}

std::string CatalogDefinitions::categoryText(const CatalogItem& item) const {
    std::string text;
    for (uint8_t id : CategoryIdsOf(item)) {
        if (id == 0)
            break;
        if (!text.empty())
            text += ", ";
        text += categoryNames_[id];
    }
    return text;
}

std::string CatalogDefinitions::extraName(uint8_t key) const {
    if (IsUserExtraKey(key))
        return userNames_[UserSlot(key)];
    for (const BuiltinExtraField& field : kBuiltinExtraFields) {
        if (field.key == key)
            return std::string(field.name);
    }
    return {};
}

std::optional<uint8_t> CatalogDefinitions::extraKeyNamed(std::string_view name) const {
    for (const BuiltinExtraField& field : kBuiltinExtraFields) {
        if (text::EqualsNoCase(field.name, name))
            return field.key;
    }
    for (size_t slot = 0; slot < userNames_.size(); ++slot) {
        if (defined_[slot] && text::EqualsNoCase(userNames_[slot], name))
            return uint8_t(slot < 16 ? 0x70 + slot : 0xB0 + slot - 16);
    }
    return std::nullopt;
}

}  // namespace shelfmark
