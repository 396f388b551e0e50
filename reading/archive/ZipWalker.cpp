// ZIP and JAR: the local headers in sequence. The central directory, when the file has one, tells
// where the first local header is when something precedes it, and the sizes of streamed entries
// (those with data descriptors), so that the walk need not guess where their data ends. Without
// it (split sets, a damaged end), streamed entries take their sizes from their data descriptors.
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "foundation/Utf8Text.h"
#include "reading/archive/ArchiveFile.h"
#include "reading/archive/ArchiveWalkers.h"
#include "reading/archive/DosTime.h"
#include "reading/archive/NameText.h"
#include "reading/archive/VolumeNames.h"
#include "reading/archive/WalkSupport.h"
#include "reading/archive/ZipDirectory.h"
#include "reading/details/Crc32.h"

namespace shelfmark::archive {
namespace {

constexpr size_t kMaxZipNameLength = 260;
constexpr uint16_t kMaxZipMethod = 10;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagUtf8Name = 0x0800;
constexpr uint32_t kZip64Marker = 0xFFFFFFFF;

// Reads and skips across the volumes of a set: a read or skip that passes the end of one file
// goes on at the start of the next.
class SpanningReader {
  public:
    SpanningReader(const std::string& first, VolumeNames names)
        : file_(std::make_unique<ArchiveFile>(first)), names_(std::move(names)) {}

    bool isOpen() const { return file_->isOpen(); }
    ArchiveFile& file() { return *file_; }

    size_t read(void* out, size_t count) {
        size_t done = 0;
        while (true) {
            done += file_->read(static_cast<unsigned char*>(out) + done, count - done);
            if (done == count || !nextVolume())
                return done;
        }
    }
    bool readExact(void* out, size_t count) { return read(out, count) == count; }

    bool skip(uint64_t count) {
        while (count > file_->remaining()) {
            count -= file_->remaining();
            if (!nextVolume())
                return false;
        }
        return file_->skip(count);
    }

    // Moves just past the next occurrence of `signature`, looking through blocks of 1024 bytes.
    bool scanFor(const unsigned char (&signature)[4]) {
        unsigned char window[3 + 1024];
        size_t carried = 0;
        while (true) {
            const uint64_t blockStart = file_->position();
            const size_t got = file_->read(window + carried, 1024);
            if (got == 0) {
                if (!nextVolume())
                    return false;
                continue;
            }
            const size_t length = carried + got;
            for (size_t i = 0; i + 4 <= length; ++i) {
                if (std::memcmp(window + i, signature, 4) == 0) {
                    file_->seek(blockStart + (i + 4 - carried));
                    return true;
                }
            }
            carried = length < 3 ? length : 3;
            std::memmove(window, window + length - carried, carried);
        }
    }

  private:
    bool nextVolume() {
        const auto path = names_.next();
        if (!path)
            return false;
        auto next = std::make_unique<ArchiveFile>(*path);
        if (!next->isOpen())
            return false;
        file_ = std::move(next);
        return true;
    }

    std::unique_ptr<ArchiveFile> file_;
    VolumeNames names_;
};

// The ".zip" that closes an Info-ZIP or WinZip split set: its end record names a disk other than
// the first, and the set's first part, ".z01", lies beside it.
std::string SplitSetStart(const std::string& path) {
    if (path.size() < 4)
        return {};
    const std::string stem = path.substr(0, path.size() - 3);
    std::string first = stem + "z01";
    if (!IsRegularFile(first)) {
        first = stem + "Z01";
        if (!IsRegularFile(first))
            return {};
    }
    ArchiveFile file(path);
    if (!file.isOpen())
        return {};
    const std::optional<ZipEndRecord> end = FindZipEndRecord(file);
    return end && end->diskNumber != 0 ? first : std::string();
}

// Sizes of an entry whose 32-bit fields are full: the Zip64 extra field holds the real ones, the
// uncompressed size first, each only when its 32-bit field says so.
bool ApplyZip64Extra(const std::string& extra, uint64_t& uncompressed, uint64_t& compressed) {
    const auto field = ZipExtraField(extra, 0x0001);
    if (!field)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(field->data());
    size_t pos = 0;
    if (uncompressed == kZip64Marker && pos + 8 <= field->size()) {
        uncompressed = Le64(p + pos);
        pos += 8;
    }
    if (compressed == kZip64Marker && pos + 8 <= field->size())
        compressed = Le64(p + pos);
    return true;
}

// Info-ZIP's Unicode Path extra field: the UTF-8 form of a name stored in an OEM page, valid
// while the CRC-32 of the stored name still matches.
bool UnicodePathExtra(const std::string& extra, const std::string& name, std::string& out) {
    const auto field = ZipExtraField(extra, 0x7075);
    if (!field || field->size() < 5 || (*field)[0] != 1)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(field->data());
    const std::string_view unicode = field->substr(5);
    if (Le32(p + 1) != Crc32Update(0, name.data(), name.size()) || !text::IsValidUtf8(unicode))
        return false;
    out.assign(unicode);
    return true;
}

// True when a ZIP's own first record is at `offset`: a local header, or the marker a split or
// spanned archive begins with.
bool StartsLikeZip(ArchiveFile& file, uint64_t offset) {
    unsigned char signature[4];
    if (!file.seek(offset) || !file.readExact(signature, 4) || signature[0] != 'P' ||
        signature[1] != 'K')
        return false;
    return (signature[2] == 3 && signature[3] == 4) || (signature[2] == 7 && signature[3] == 8) ||
           (signature[2] == '0' && signature[3] == '0');
}

// Moves past the data descriptor after an entry's data, written with or without its signature;
// an entry whose flag promised one but that has none is left where it is.
void SkipDataDescriptor(ArchiveFile& file, uint32_t crc, bool zip64) {
    const uint64_t at = file.position();
    const size_t sizes = zip64 ? 16 : 8;
    unsigned char first[4];
    if (!file.readExact(first, 4))
        return;
    if (std::memcmp(first, "PK\x07\x08", 4) == 0) {
        file.skip(4 + sizes);
        return;
    }
    if (Le32(first) == crc) {
        file.skip(sizes);
        return;
    }
    file.seek(at);
}

}  // namespace

bool WalkZip(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink) {
    std::string first = path;
    std::string last;
    if (startOffset == 0) {
        std::string setStart = SplitSetStart(path);
        if (!setStart.empty()) {
            first = std::move(setStart);
            last = path;
        }
    }
    SpanningReader in(first, VolumeNames(ArchiveKind::Zip, first, last));
    if (!in.isOpen())
        return false;
    std::optional<ZipDirectory> directory;
    if (last.empty())
        directory = ReadZipDirectory(in.file());
    uint64_t start = startOffset;
    if (directory && !StartsLikeZip(in.file(), startOffset))
        start = directory->firstLocalHeader;
    if (!in.file().seek(start))
        return false;

    EntryReporter reporter(sink);
    ArchiveEntry entry;
    std::string name;
    std::string extra;
    std::string converted;
    bool atStart = true;
    while (true) {
        const uint64_t headerAt = in.file().position();
        unsigned char signature[4];
        if (!in.readExact(signature, 4) || signature[0] != 'P' || signature[1] != 'K')
            break;
        // Split sets begin with a spanning marker in front of the first local header.
        if (atStart && ((signature[2] == 7 && signature[3] == 8) ||
                        (signature[2] == '0' && signature[3] == '0'))) {
            atStart = false;
            continue;
        }
        atStart = false;
        if (signature[2] == 1 && signature[3] == 2) {
            unsigned char central[42];
            if (!in.readExact(central, sizeof central) ||
                !in.skip(uint64_t{Le16(central + 24)} + Le16(central + 26) + Le16(central + 28)))
                break;
            continue;
        }
        if (signature[2] != 3 || signature[3] != 4)
            break;

        unsigned char local[26];
        if (!in.readExact(local, sizeof local))
            break;
        const uint16_t flags = Le16(local + 2);
        const uint16_t method = Le16(local + 4);
        uint32_t crc = Le32(local + 10);
        uint64_t compressed = Le32(local + 14);
        uint64_t uncompressed = Le32(local + 18);
        const uint16_t nameLength = Le16(local + 22);
        const uint16_t extraLength = Le16(local + 24);
        const ZipCentralEntry* central = directory ? directory->find(headerAt) : nullptr;
        uint16_t dosDate = Le16(local + 8);
        uint16_t dosTime = Le16(local + 6);
        // Streaming writers may leave the local time zero and write it in the central directory
        // only; with neither, the entry has no date.
        if (dosDate == 0 && dosTime == 0 && central) {
            dosDate = central->dosDate;
            dosTime = central->dosTime;
        }
        const auto date = DosDateTimeToUnix(dosDate, dosTime);
        const bool noDate = dosDate == 0 && dosTime == 0;
        if (nameLength > kMaxZipNameLength || method > kMaxZipMethod || (!date && !noDate))
            break;
        name.resize(nameLength);
        extra.resize(extraLength);
        if (!in.readExact(name.data(), nameLength) || !in.readExact(extra.data(), extraLength))
            break;
        const bool zip64 = ApplyZip64Extra(extra, uncompressed, compressed);

        converted.clear();
        if ((flags & kFlagUtf8Name) && text::IsValidUtf8(name))
            converted = name;
        else if (!UnicodePathExtra(extra, name, converted))
            AppendOemNameAsUtf8(converted, name);
        entry.isDirectory = SplitPath(converted, '/', entry.components);
        entry.date = date.value_or(0);

        const ZipCentralEntry* known = (flags & kFlagDataDescriptor) ? central : nullptr;
        if (known) {
            compressed = known->compressed;
            uncompressed = known->uncompressed;
            if (crc == 0)
                crc = known->crc;
        }
        bool complete = in.skip(compressed);
        if (complete && known) {
            SkipDataDescriptor(in.file(), known->crc, zip64);
        } else if (complete && (flags & kFlagDataDescriptor)) {
            static constexpr unsigned char kDescriptor[4] = {'P', 'K', 7, 8};
            unsigned char descriptor[20];
            const size_t length = zip64 ? 20 : 12;
            complete = in.scanFor(kDescriptor) && in.readExact(descriptor, length);
            if (complete) {
                if (crc == 0)
                    crc = Le32(descriptor);
                uncompressed = zip64 ? Le64(descriptor + 12) : Le32(descriptor + 8);
            }
        }
        entry.size = entry.isDirectory ? 0 : uncompressed;
        entry.hasCrc32 = !entry.isDirectory;
        entry.crc32 = crc;
        reporter.report(entry);
        if (!complete)
            break;
    }
    return reporter.stored();
}

}  // namespace shelfmark::archive
