#include "reading/details/VersionResource.h"

#include <algorithm>
#include <cstring>

#include "foundation/Utf8Text.h"

namespace shelfmark {

namespace {

constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kVersionInfoName = 1;
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
// Generous bounds for what a version resource needs; anything bigger is damage.
constexpr uint32_t kMaxResourceSize = 1 << 20;
constexpr uint16_t kMaxSections = 1024;
constexpr uint32_t kMaxDirectoryEntries = 4096;

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
};

class PeImage {
  public:
    explicit PeImage(const ByteSource& file) : file_(file) {}

    // Reads the headers; false when this is no PE file with a resource directory.
    bool open();
    std::optional<std::vector<uint8_t>> versionResource() const;

  private:
    // File offset of `count` bytes at an RVA, when they all lie in one section's raw data.
    std::optional<uint64_t> offsetOf(uint32_t rva, uint32_t count) const;
    bool readAt(uint32_t rva, void* out, uint32_t count) const;
    // The entry of a resource directory (offset from the resource base) to descend into:
    // the one with `id` when given and present, otherwise the first one.
    std::optional<uint32_t> pickEntry(uint32_t directory, std::optional<uint32_t> id) const;

    const ByteSource& file_;
    std::vector<Section> sections_;
    uint32_t resourceRva_ = 0;
    uint32_t resourceSize_ = 0;
};

bool PeImage::open() {
    uint8_t dos[64];
    if (!file_.read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    const uint32_t peOffset = Le32(dos + 0x3C);
    uint8_t coff[24];
    if (!file_.read(peOffset, coff, sizeof coff) || std::memcmp(coff, "PE\0\0", 4) != 0)
        return false;
    const uint16_t sectionCount = Le16(coff + 6);
    const uint16_t optionalSize = Le16(coff + 20);
    if (sectionCount == 0 || sectionCount > kMaxSections)
        return false;

    std::vector<uint8_t> optional(optionalSize);
    if (optionalSize < 2 || !file_.read(uint64_t{peOffset} + 24, optional.data(), optionalSize))
        return false;
    const uint16_t magic = Le16(optional.data());
    size_t countAt;
    if (magic == 0x10B)
        countAt = 92;
    else if (magic == 0x20B)
        countAt = 108;
    else
        return false;
    if (optional.size() < countAt + 4)
        return false;
    const uint32_t directoryCount = Le32(optional.data() + countAt);
    const size_t resourceAt = countAt + 4 + 8 * kResourceDirectoryIndex;
    if (directoryCount <= kResourceDirectoryIndex || optional.size() < resourceAt + 8)
        return false;
    resourceRva_ = Le32(optional.data() + resourceAt);
    resourceSize_ = Le32(optional.data() + resourceAt + 4);
    if (resourceRva_ == 0 || resourceSize_ == 0)
        return false;

    std::vector<uint8_t> table(size_t{sectionCount} * 40);
    if (!file_.read(uint64_t{peOffset} + 24 + optionalSize, table.data(), table.size()))
        return false;
    for (uint16_t n = 0; n < sectionCount; ++n) {
        const uint8_t* entry = table.data() + size_t{n} * 40;
        sections_.push_back(
            {Le32(entry + 12), Le32(entry + 8), Le32(entry + 16), Le32(entry + 20)});
    }
    return true;
}

std::optional<uint64_t> PeImage::offsetOf(uint32_t rva, uint32_t count) const {
    for (const Section& section : sections_) {
        const uint64_t start = section.virtualAddress;
        const uint64_t span = std::max(section.virtualSize, section.rawSize);
        if (rva < start || rva >= start + span)
            continue;
        const uint64_t within = rva - start;
        if (within + count > section.rawSize)
            return std::nullopt;  // beyond the data the file holds for the section
        return uint64_t{section.rawOffset} + within;
    }
    return std::nullopt;
}

bool PeImage::readAt(uint32_t rva, void* out, uint32_t count) const {
    const auto offset = offsetOf(rva, count);
    return offset && file_.read(*offset, out, count);
}

std::optional<uint32_t> PeImage::pickEntry(uint32_t directory, std::optional<uint32_t> id) const {
    uint8_t header[16];
    if (directory > resourceSize_ || !readAt(resourceRva_ + directory, header, sizeof header))
        return std::nullopt;
    const uint32_t count = uint32_t{Le16(header + 12)} + Le16(header + 14);
    if (count == 0 || count > kMaxDirectoryEntries)
        return std::nullopt;
    std::vector<uint8_t> entries(size_t{count} * 8);
    if (!readAt(resourceRva_ + directory + 16, entries.data(), count * 8))
        return std::nullopt;
    std::optional<uint32_t> chosen;
    for (uint32_t n = 0; n < count; ++n) {
        const uint32_t name = Le32(entries.data() + 8 * n);
        const uint32_t target = Le32(entries.data() + 8 * n + 4);
        const bool isId = (name & 0x80000000u) == 0;
        if (id && isId && name == *id)
            return target;
        if (!chosen && !id)
            chosen = target;
    }
    return chosen;
}

std::optional<std::vector<uint8_t>> PeImage::versionResource() const {
    // Type, then name, then language; the first two levels must be directories, the third
    // names a data entry.
    const auto byType = pickEntry(0, kRtVersion);
    if (!byType || (*byType & 0x80000000u) == 0)
        return std::nullopt;
    auto byName = pickEntry(*byType & 0x7FFFFFFFu, kVersionInfoName);
    if (!byName)
        byName = pickEntry(*byType & 0x7FFFFFFFu, std::nullopt);
    if (!byName || (*byName & 0x80000000u) == 0)
        return std::nullopt;
    const auto byLanguage = pickEntry(*byName & 0x7FFFFFFFu, std::nullopt);
    if (!byLanguage || (*byLanguage & 0x80000000u) != 0 || *byLanguage > resourceSize_)
        return std::nullopt;
    uint8_t dataEntry[16];
    if (!readAt(resourceRva_ + *byLanguage, dataEntry, sizeof dataEntry))
        return std::nullopt;
    const uint32_t dataRva = Le32(dataEntry);
    const uint32_t dataSize = Le32(dataEntry + 4);
    if (dataSize == 0 || dataSize > kMaxResourceSize)
        return std::nullopt;
    std::vector<uint8_t> data(dataSize);
    if (!readAt(dataRva, data.data(), dataSize))
        return std::nullopt;
    return data;
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16LE up to a NUL or the end of the bytes; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::span<const uint8_t> bytes, size_t* consumed = nullptr) {
    std::string out;
    size_t at = 0;
    while (at + 2 <= bytes.size()) {
        uint32_t unit = Le16(bytes.data() + at);
        at += 2;
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit < 0xDC00 && at + 2 <= bytes.size()) {
            const uint32_t low = Le16(bytes.data() + at);
            if (low >= 0xDC00 && low < 0xE000) {
                at += 2;
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            }
        }
        if (unit >= 0xD800 && unit < 0xE000)
            unit = 0xFFFD;
        AppendUtf8(out, unit);
    }
    if (consumed != nullptr)
        *consumed = at;
    return out;
}

// One block of the version resource: wLength, wValueLength, wType, a UTF-16 key, the value
// and the children, each part aligned to 4 bytes from the start of the resource.
struct Block {
    std::string key;
    std::span<const uint8_t> value;
    size_t childrenBegin = 0;
    size_t end = 0;  // one past the block
};

size_t Align4(size_t offset) {
    return (offset + 3) & ~size_t{3};
}

std::optional<Block> ReadBlock(std::span<const uint8_t> data, size_t at, size_t limit) {
    if (at + 6 > limit)
        return std::nullopt;
    const size_t length = Le16(data.data() + at);
    const size_t valueLength = Le16(data.data() + at + 2);
    const uint16_t type = Le16(data.data() + at + 4);
    if (length < 6 || at + length > limit)
        return std::nullopt;
    Block block;
    block.end = at + length;
    size_t keyBytes = 0;
    block.key = Utf16ToUtf8(data.subspan(at + 6, block.end - (at + 6)), &keyBytes);
    const size_t valueBegin = std::min(Align4(at + 6 + keyBytes), block.end);
    // Text values count characters, binary values bytes.
    const size_t valueBytes = type == 1 ? valueLength * 2 : valueLength;
    const size_t valueEnd = std::min(valueBegin + valueBytes, block.end);
    block.value = data.subspan(valueBegin, valueEnd - valueBegin);
    block.childrenBegin = std::min(Align4(valueEnd), block.end);
    return block;
}

// Calls `visit` for each child block of `parent`.
template <typename Visit>
void ForEachChild(std::span<const uint8_t> data, const Block& parent, Visit visit) {
    size_t at = parent.childrenBegin;
    while (at < parent.end) {
        const auto child = ReadBlock(data, at, parent.end);
        if (!child)
            return;
        visit(*child);
        at = Align4(child->end);  // every block is at least 6 bytes long, so this moves on
    }
}

void ReadStringFileInfo(std::span<const uint8_t> data, const Block& info, VersionInfo& out) {
    ForEachChild(data, info, [&](const Block& table) {
        VersionStringTable strings{table.key, {}};
        ForEachChild(data, table, [&](const Block& entry) {
            // The value runs to its NUL; some compilers count its length in bytes, some in
            // characters, so the text is taken from the value's start to the block's end.
            const size_t valueBegin = entry.value.data() - data.data();
            strings.strings.emplace_back(
                entry.key, Utf16ToUtf8(data.subspan(valueBegin, entry.end - valueBegin)));
        });
        out.stringTables.push_back(std::move(strings));
    });
}

void ReadVarFileInfo(std::span<const uint8_t> data, const Block& info, VersionInfo& out) {
    ForEachChild(data, info, [&](const Block& var) {
        if (!text::EqualsNoCase(var.key, "Translation"))
            return;
        for (size_t at = 0; at + 4 <= var.value.size(); at += 4)
            out.translations.emplace_back(Le16(var.value.data() + at),
                                          Le16(var.value.data() + at + 2));
    });
}

}  // namespace

bool MemoryByteSource::read(uint64_t offset, void* out, size_t count) const {
    if (offset > bytes_.size() || count > bytes_.size() - offset)
        return false;
    if (count > 0)
        std::memcpy(out, bytes_.data() + offset, count);
    return true;
}

std::optional<std::vector<uint8_t>> FindVersionResource(const ByteSource& file) {
    PeImage image(file);
    if (!image.open())
        return std::nullopt;
    return image.versionResource();
}

const std::string* VersionInfo::findString(std::string_view tableKey, std::string_view name) const {
    for (const VersionStringTable& table : stringTables) {
        if (!text::EqualsNoCase(table.key, tableKey))
            continue;
        for (const auto& [key, value] : table.strings)
            if (text::EqualsNoCase(key, name))
                return &value;
    }
    return nullptr;
}

std::optional<VersionInfo> ParseVersionInfo(std::span<const uint8_t> block) {
    const auto root = ReadBlock(block, 0, block.size());
    if (!root || root->key != "VS_VERSION_INFO")
        return std::nullopt;
    VersionInfo info;
    if (root->value.size() >= 16 && Le32(root->value.data()) == kFixedFileInfoSignature)
        info.fileVersion.emplace(Le32(root->value.data() + 8), Le32(root->value.data() + 12));
    ForEachChild(block, *root, [&](const Block& child) {
        if (text::EqualsNoCase(child.key, "StringFileInfo"))
            ReadStringFileInfo(block, child, info);
        else if (text::EqualsNoCase(child.key, "VarFileInfo"))
            ReadVarFileInfo(block, child, info);
    });
    return info;
}

}  // namespace shelfmark
