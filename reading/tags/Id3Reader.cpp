#include "reading/tags/Id3Reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "reading/archive/ArchiveFile.h"
#include "reading/tags/TagText.h"

namespace shelfmark {

namespace {

constexpr size_t kHeaderSize = 10;
constexpr size_t kId3v1Size = 128;
// A text frame longer than this is read only this far: every text result is cut far shorter.
constexpr size_t kMaxFrameRead = 1 << 20;

// Random access to the bytes of a file, so the tag walk can skip frames it does not use.
class TagSource {
  public:
    virtual ~TagSource() = default;
    virtual uint64_t size() const = 0;
    // Fills `out` from `offset`; false on a read error or when the bytes are not all there.
    virtual bool read(uint64_t offset, std::span<uint8_t> out) = 0;
};

class MemorySource final : public TagSource {
  public:
    explicit MemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    bool read(uint64_t offset, std::span<uint8_t> out) override {
        if (offset > bytes_.size() || out.size() > bytes_.size() - offset)
            return false;
        if (!out.empty())  // an empty frame body has no storage to copy into
            std::memcpy(out.data(), bytes_.data() + offset, out.size());
        return true;
    }

  private:
    std::span<const uint8_t> bytes_;
};

class FileSource final : public TagSource {
  public:
    explicit FileSource(const std::string& path) : file_(path, 8 * 1024) {}
    bool isOpen() const { return file_.isOpen(); }
    uint64_t size() const override { return file_.size(); }
    bool read(uint64_t offset, std::span<uint8_t> out) override {
        return file_.seek(offset) && file_.readExact(out.data(), out.size());
    }

  private:
    ArchiveFile file_;
};

uint32_t Syncsafe(const uint8_t* p) {
    return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) |
           (uint32_t(p[2] & 0x7F) << 7) | uint32_t(p[3] & 0x7F);
}

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Version 4 frame sizes are syncsafe. Some writers put plain big-endian sizes there; a size byte
// with its top bit set cannot be syncsafe, so such a size is taken as big-endian.
uint32_t FrameSize(const uint8_t* p, uint8_t version) {
    const bool syncsafe = version == 4 && ((p[0] | p[1] | p[2] | p[3]) & 0x80) == 0;
    return syncsafe ? Syncsafe(p) : BigEndian32(p);
}

bool UsableEncoding(uint8_t encoding, const TagReadOptions& options) {
    return encoding == 0 || (options.bMP3Unicode && encoding <= 3);
}

// The leading decimal number of a track text ("3/12" gives 3); 0 when there is none or it
// does not fit the tag record's range.
int LeadingTrackNumber(std::string_view text) {
    int number = 0;
    size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        number = number * 10 + (text[i] - '0');
        if (number > 255)
            return 0;
        ++i;
    }
    return number;
}

void TakeFrame(std::string_view id, std::span<const uint8_t> body, const TagReadOptions& options,
               TagRecord& record) {
    if (body.empty() || !UsableEncoding(body[0], options))
        return;
    const auto encoding = static_cast<Id3Encoding>(body[0]);
    const std::span<const uint8_t> text = body.subspan(1);
    if (id == "TIT2") {
        record.title = DecodeId3Text(text, encoding);
    } else if (id == "TPE1") {
        record.artist = DecodeId3Text(text, encoding);
    } else if (id == "TALB") {
        record.album = DecodeId3Text(text, encoding);
    } else if (id == "TRCK") {
        record.trackNumber = LeadingTrackNumber(DecodeId3Text(text, encoding));
    } else if (id == "COMM") {
        if (text.size() < 3)
            return;
        const std::span<const uint8_t> described = text.subspan(3);  // after the language
        const size_t descriptionEnd = TerminatorOffset(described, encoding);
        const size_t commentStart = descriptionEnd + TerminatorLength(described, encoding);
        record.comment = DecodeId3Text(described.subspan(commentStart), encoding);
    }
}

bool IsUsedFrame(std::string_view id) {
    return id == "TIT2" || id == "TPE1" || id == "TALB" || id == "TRCK" || id == "COMM";
}

// The extended header's length in a version 4 tag: its size field counts the whole header. A
// size that cannot be one (shorter than the fixed part, or past the tag) means the flag is
// stale and frames follow the main header directly.
size_t Version4ExtendedHeaderLength(const uint8_t* ext, uint64_t available) {
    const uint32_t length = Syncsafe(ext);
    if (length < 6 || length > available)
        return 0;
    return length;
}

// Undoes unsynchronisation: every 0xFF 0x00 pair loses its zero byte.
std::vector<uint8_t> Resynchronised(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        out.push_back(bytes[i]);
        if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00)
            ++i;
    }
    return out;
}

// The part of a frame body that holds its content, after the extra bytes its format flags
// announce; empty for compressed or encrypted frames, whose content cannot be read as text.
std::span<const uint8_t> FrameContent(std::span<const uint8_t> body, uint8_t version,
                                      uint8_t formatFlags) {
    size_t skip = 0;
    if (version == 3) {
        if (formatFlags & 0xC0)  // compressed or encrypted
            return {};
        if (formatFlags & 0x20)
            skip = 1;  // group identifier
    } else {
        if (formatFlags & 0x0C)  // compressed or encrypted
            return {};
        if (formatFlags & 0x40)
            skip += 1;  // group identifier
        if (formatFlags & 0x01)
            skip += 4;  // data length indicator
    }
    return skip <= body.size() ? body.subspan(skip) : std::span<const uint8_t>();
}

std::optional<TagRecord> WalkFrames(TagSource& source, uint64_t tagEnd, uint8_t version,
                                    uint8_t flags, const TagReadOptions& options) {
    uint64_t pos = kHeaderSize;
    TagRecord record;

    if (flags & 0x40) {
        std::array<uint8_t, 10> ext{};
        if (pos + ext.size() > tagEnd)
            return record;
        if (!source.read(pos, ext))
            return std::nullopt;
        if (version == 3) {
            pos += ext.size();
            if ((uint32_t(ext[4]) << 8 | ext[5]) & 0x8000)
                pos += 4;  // the CRC of the frames
        } else {
            pos += Version4ExtendedHeaderLength(ext.data(), tagEnd - pos);
        }
    }

    const bool allFramesUnsynchronised = version == 4 && (flags & 0x80);
    std::vector<uint8_t> body;
    while (pos + kHeaderSize <= tagEnd) {
        std::array<uint8_t, kHeaderSize> frame{};
        if (!source.read(pos, frame))
            return std::nullopt;
        const std::string_view id(reinterpret_cast<const char*>(frame.data()), 4);
        if (id == std::string_view("\0\0\0\0", 4) || id.starts_with("3DI"))
            break;  // padding or the footer
        const uint32_t size = FrameSize(&frame[4], version);
        pos += kHeaderSize;
        if (size > tagEnd - pos)
            break;  // a frame size past the tag: keep what was found so far
        if (IsUsedFrame(id)) {
            body.resize(std::min<size_t>(size, kMaxFrameRead));
            if (!source.read(pos, body))
                return std::nullopt;
            const uint8_t formatFlags = frame[9];
            if (allFramesUnsynchronised || (version == 4 && (formatFlags & 0x02))) {
                const std::vector<uint8_t> plain = Resynchronised(body);
                TakeFrame(id, FrameContent(plain, version, formatFlags), options, record);
            } else {
                TakeFrame(id, FrameContent(body, version, formatFlags), options, record);
            }
        }
        pos += size;
    }
    return record;
}

std::optional<TagRecord> ReadId3v2(TagSource& source, std::span<const uint8_t, kHeaderSize> header,
                                   const TagReadOptions& options) {
    const uint8_t version = header[3];
    const uint8_t flags = header[5];
    const uint64_t tagEnd = std::min<uint64_t>(kHeaderSize + Syncsafe(&header[6]), source.size());
    if (version == 3 && (flags & 0x80)) {
        // A version 3 tag unsynchronises everything after its header, frame sizes included.
        std::vector<uint8_t> raw(tagEnd);
        if (!source.read(0, raw))
            return std::nullopt;
        std::vector<uint8_t> plain =
            Resynchronised(std::span<const uint8_t>(raw).subspan(kHeaderSize));
        plain.insert(plain.begin(), raw.begin(), raw.begin() + kHeaderSize);
        MemorySource resynchronised(plain);
        return WalkFrames(resynchronised, plain.size(), version, flags, options);
    }
    return WalkFrames(source, tagEnd, version, flags, options);
}

std::string TrimmedLatin1Field(std::span<const uint8_t> field) {
    size_t length = 0;
    while (length < field.size() && field[length] != 0)
        ++length;
    while (length > 0 &&
           (field[length - 1] == ' ' || (field[length - 1] >= '\t' && field[length - 1] <= '\r')))
        --length;
    return Latin1ToUtf8(field.first(length));
}

std::optional<TagRecord> ReadId3v1(TagSource& source) {
    std::array<uint8_t, kId3v1Size - 1> tag{};  // the genre byte is not needed
    if (!source.read(source.size() - kId3v1Size, tag))
        return std::nullopt;
    if (tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G')
        return std::nullopt;
    const std::span<const uint8_t> bytes(tag);
    TagRecord record;
    record.title = TrimmedLatin1Field(bytes.subspan(3, 30));
    record.artist = TrimmedLatin1Field(bytes.subspan(33, 30));
    record.album = TrimmedLatin1Field(bytes.subspan(63, 30));
    record.comment = TrimmedLatin1Field(bytes.subspan(97, 30));
    record.trackNumber = tag[125] == 0 ? tag[126] : 0;  // ID3v1.1 keeps the track in byte 126
    return record;
}

std::optional<TagRecord> ReadFrom(TagSource& source, const TagReadOptions& options) {
    std::array<uint8_t, kHeaderSize> header{};
    if (source.size() >= kHeaderSize) {
        if (!source.read(0, header))
            return std::nullopt;
        if (header[0] == 'I' && header[1] == 'D' && header[2] == '3' &&
            (header[3] == 3 || header[3] == 4))
            return ReadId3v2(source, header, options);
    }
    if (source.size() > kId3v1Size)
        return ReadId3v1(source);
    return std::nullopt;
}

}  // namespace

std::optional<TagRecord> ReadTags(const std::string& path, const TagReadOptions& options) {
    FileSource source(path);
    if (!source.isOpen())
        return std::nullopt;
    return ReadFrom(source, options);
}

std::optional<TagRecord> ReadTagsFromMemory(std::span<const uint8_t> file,
                                            const TagReadOptions& options) {
    MemorySource source(file);
    return ReadFrom(source, options);
}

}  // namespace shelfmark
