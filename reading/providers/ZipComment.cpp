#include "reading/providers/ZipComment.h"

#include <array>
#include <cstdint>
#include <vector>

#include "foundation/Utf8Text.h"
#include "reading/archive/ArchiveFile.h"
#include "reading/archive/NameText.h"

namespace shelfmark {

namespace {

constexpr size_t kEndRecordSize = 22;
constexpr size_t kMaxCommentLength = 0xFFFF;

bool ReadAt(ArchiveFile& file, uint64_t offset, void* out, size_t count) {
    return file.seek(offset) && file.readExact(out, count);
}

bool ValidDosDate(uint16_t date) {
    const int day = date & 0x1F;
    const int month = (date >> 5) & 0x0F;
    return day >= 1 && month >= 1 && month <= 12;
}

// The offset of the end record's comment-length field's record, found by the record walk.
std::optional<uint64_t> WalkToEndRecord(ArchiveFile& file) {
    uint64_t offset = 0;
    std::array<uint8_t, 42> fields{};
    for (;;) {
        uint8_t signature[4];
        if (!ReadAt(file, offset, signature, 4) || signature[0] != 'P' || signature[1] != 'K')
            return std::nullopt;
        if (signature[2] == 1 && signature[3] == 2) {
            if (!ReadAt(file, offset + 4, fields.data(), 42))
                return std::nullopt;
            offset += 46 + uint64_t(Le16(&fields[24])) + Le16(&fields[26]) + Le16(&fields[28]);
        } else if (signature[2] == 3 && signature[3] == 4) {
            if (!ReadAt(file, offset + 4, fields.data(), 26))
                return std::nullopt;
            const uint16_t nameLength = Le16(&fields[22]);
            if (nameLength > 260 || Le16(&fields[4]) > 10 || !ValidDosDate(Le16(&fields[8])))
                return std::nullopt;
            offset += 30 + uint64_t(nameLength) + Le16(&fields[24]) + Le32(&fields[14]);
        } else if (signature[2] == 5 && signature[3] == 6) {
            return offset;
        } else {
            return std::nullopt;
        }
    }
}

// The last end record whose comment reaches exactly to the end of the file.
std::optional<uint64_t> SearchEndRecord(ArchiveFile& file) {
    if (file.size() < kEndRecordSize)
        return std::nullopt;
    const uint64_t span = std::min<uint64_t>(file.size(), kEndRecordSize + kMaxCommentLength);
    const uint64_t start = file.size() - span;
    std::vector<uint8_t> tail(span);
    if (!ReadAt(file, start, tail.data(), tail.size()))
        return std::nullopt;
    for (size_t at = tail.size() - kEndRecordSize + 1; at-- > 0;) {
        if (tail[at] == 'P' && tail[at + 1] == 'K' && tail[at + 2] == 5 && tail[at + 3] == 6 &&
            at + kEndRecordSize + Le16(&tail[at + 20]) == tail.size())
            return start + at;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadZipComment(const std::string& path, size_t maxLength) {
    ArchiveFile file(path);
    if (!file.isOpen() || maxLength < 2)
        return std::nullopt;
    std::optional<uint64_t> endRecord = WalkToEndRecord(file);
    if (!endRecord)
        endRecord = SearchEndRecord(file);
    if (!endRecord)
        return std::nullopt;
    std::array<uint8_t, 18> fields{};
    if (!ReadAt(file, *endRecord + 4, fields.data(), fields.size()))
        return std::nullopt;
    const size_t length = std::min<size_t>(maxLength - 1, Le16(&fields[16]));
    std::string raw(length, '\0');
    if (length == 0 || !ReadAt(file, *endRecord + kEndRecordSize, raw.data(), length))
        return std::nullopt;
    if (text::IsValidUtf8(raw))
        return raw;
    std::string converted;
    archive::AppendWindows1252AsUtf8(converted, raw);
    return converted;
}

}  // namespace shelfmark
