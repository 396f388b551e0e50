// CD-Text as the drive returns it: a 4-byte header, then 18-byte packs (type, track number,
// sequence number, block and character position, 12 text bytes, CRC). Texts run across packs and
// several short texts share a pack, each ended by a zero byte.
#include "platform/cdrom/CdromToc.h"
#include "reading/audio/DiscInformation.h"
#include "reading/tags/TagText.h"

namespace shelfmark {

namespace {

constexpr uint8_t kPackTitle = 0x80;
constexpr uint8_t kPackPerformer = 0x81;
constexpr size_t kMaxPacks = 255;
constexpr size_t kTextBytesPerPack = 12;
// Track numbers above this cannot exist on a CD; texts for them are dropped.
constexpr size_t kMaxTrackIndex = 99;

void Store(std::vector<std::string>& texts, size_t index, const std::string& bytes) {
    if (index > kMaxTrackIndex)
        return;
    if (texts.size() <= index)
        texts.resize(index + 1);
    texts[index] =
        Latin1ToUtf8(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace

bool ParseCdText(std::span<const uint8_t> answer, DiscInformation& information) {
    if (answer.size() < cdrom::kCdTextHeaderSize)
        return false;
    const std::span<const uint8_t> packs = answer.subspan(cdrom::kCdTextHeaderSize);
    std::string running;
    bool seen = false;
    for (size_t walked = 0; walked < kMaxPacks; ++walked) {
        const size_t offset = walked * cdrom::kCdTextPackSize;
        if (offset + cdrom::kCdTextPackSize > packs.size())
            break;
        const uint8_t* pack = packs.data() + offset;
        if (pack[2] != walked)
            break;
        const uint8_t type = pack[0];
        const int block = (pack[3] >> 4) & 7;
        if ((type != kPackTitle && type != kPackPerformer) || block != 0)
            continue;
        seen = true;
        std::vector<std::string>& texts =
            type == kPackTitle ? information.titles : information.artists;
        size_t track = pack[1] & 0x7F;
        for (size_t i = 0; i < kTextBytesPerPack; ++i) {
            const char byte = static_cast<char>(pack[4 + i]);
            if (byte != '\0') {
                running.push_back(byte);
                continue;
            }
            Store(texts, track, running);
            ++track;
            running.clear();
        }
    }
    return seen;
}

}  // namespace shelfmark
