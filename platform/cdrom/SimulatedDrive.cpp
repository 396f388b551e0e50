#include "platform/cdrom/SimulatedDrive.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "foundation/ProfileFile.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::cdrom {

namespace {

constexpr uint32_t kLeadIn = 150;

CdromStatus Malformed(std::string* error, std::string message) {
    if (error)
        *error = std::move(message);
    return CdromStatus::Failed;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    const int lower = std::tolower(static_cast<unsigned char>(c));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool ParseNumber(std::string_view text, uint32_t limit, uint32_t& value) {
    if (text.empty() || text.size() > 3)
        return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return value < limit;
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return std::string(text);
}

// The profile store keeps comment lines as keys without values.
bool IsComment(const std::string& key) {
    const std::string trimmed = Trimmed(key);
    return trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#';
}

void SetLba(TocEntry& entry) {
    const uint32_t frames = entry.minutes * 4500 + entry.seconds * 75 + entry.frames;
    entry.lba = static_cast<int32_t>(frames) - static_cast<int32_t>(kLeadIn);
}

bool ParseSerial(std::string text, uint32_t& serial) {
    text.erase(std::remove(text.begin(), text.end(), '-'), text.end());
    if (text.empty() || text.size() > 8)
        return false;
    serial = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return false;
        serial = serial << 4 | static_cast<uint32_t>(digit);
    }
    return true;
}

CdromStatus LoadTracks(const ProfileFile& file, SimulatedDisc& disc, std::string* error) {
    const ProfileSection* section = file.findSection("Tracks");
    if (!section)
        return CdromStatus::NoDisc;
    std::vector<TocEntry> tracks;
    for (const auto& [key, value] : section->entries) {
        if (IsComment(key))
            continue;
        TocEntry entry;
        uint32_t number = 0;
        if (!ParseNumber(Trimmed(key), 100, number) || number == 0)
            return Malformed(error, "bad track number '" + key + "'");
        entry.track = static_cast<int>(number);
        const std::string text = Trimmed(value);
        const size_t blank = text.find(' ');
        const std::string type = text.substr(0, blank);
        if (text::EqualsNoCase(type, "data"))
            entry.isData = true;
        else if (!text::EqualsNoCase(type, "audio"))
            return Malformed(error, "track " + key + ": type must be audio or data");
        if (blank == std::string::npos || !ParseMsf(Trimmed(text.substr(blank)), entry))
            return Malformed(error, "track " + key + ": start must be MM:SS:FF");
        tracks.push_back(entry);
    }
    if (tracks.empty())
        return CdromStatus::NoDisc;
    std::sort(tracks.begin(), tracks.end(),
              [](const TocEntry& a, const TocEntry& b) { return a.track < b.track; });
    for (size_t i = 1; i < tracks.size(); ++i) {
        if (tracks[i].track != tracks[i - 1].track + 1)
            return Malformed(error, "track numbers must follow each other");
        if (tracks[i].lba <= tracks[i - 1].lba)
            return Malformed(error, "track starts must increase");
    }
    TocEntry leadOut;
    if (!ParseMsf(Trimmed(file.getString("Disc", "LeadOut")), leadOut))
        return Malformed(error, "LeadOut must be MM:SS:FF");
    if (leadOut.lba <= tracks.back().lba)
        return Malformed(error, "the lead-out must follow the last track");
    leadOut.track = kLeadOutTrack;
    leadOut.isData = tracks.back().isData;
    disc.toc.firstTrack = tracks.front().track;
    disc.toc.lastTrack = tracks.back().track;
    disc.toc.tracks = std::move(tracks);
    disc.toc.leadOut = leadOut;
    return CdromStatus::Ok;
}

bool LoadCdText(const ProfileFile& file, SimulatedDisc& disc, std::string* error) {
    const ProfileSection* section = file.findSection("CDText");
    if (!section)
        return true;
    std::vector<uint8_t> answer(kCdTextHeaderSize, 0);
    for (const auto& [key, value] : section->entries) {
        if (IsComment(key))
            continue;
        std::vector<uint8_t> pack;
        if (!ParseHexBytes(value, pack) || (pack.size() != 16 && pack.size() != kCdTextPackSize)) {
            if (error)
                *error = "CD-Text pack '" + key + "' must be 16 or 18 hexadecimal bytes";
            return false;
        }
        if (pack.size() == 16) {
            const uint16_t crc = CdTextPackCrc(pack.data());
            pack.push_back(static_cast<uint8_t>(crc >> 8));
            pack.push_back(static_cast<uint8_t>(crc));
        }
        answer.insert(answer.end(), pack.begin(), pack.end());
        if (answer.size() + kCdTextPackSize > kCdTextBufferSize)
            break;  // a drive returns no more than the buffer holds
    }
    if (answer.size() == kCdTextHeaderSize)
        return true;
    const size_t length = answer.size() - 2;
    answer[0] = static_cast<uint8_t>(length >> 8);
    answer[1] = static_cast<uint8_t>(length);
    disc.cdText = std::move(answer);
    return true;
}

}  // namespace

bool ParseMsf(const std::string& text, TocEntry& entry) {
    const size_t first = text.find(':');
    const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
    if (second == std::string::npos)
        return false;
    uint32_t minutes = 0, seconds = 0, frames = 0;
    if (!ParseNumber(std::string_view(text).substr(0, first), 100, minutes) ||
        !ParseNumber(std::string_view(text).substr(first + 1, second - first - 1), 60, seconds) ||
        !ParseNumber(std::string_view(text).substr(second + 1), 75, frames))
        return false;
    entry.minutes = minutes;
    entry.seconds = seconds;
    entry.frames = frames;
    SetLba(entry);
    return true;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& bytes) {
    bytes.clear();
    int high = -1;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (high >= 0)
                return false;  // a blank inside a byte
            continue;
        }
        const int digit = HexDigit(c);
        if (digit < 0)
            return false;
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
            high = -1;
        }
    }
    return high < 0;
}

CdromStatus LoadSimulatedDisc(const std::string& path, SimulatedDisc& disc, std::string* error) {
    disc = {};
    // A bare name would be taken from the configuration directory; a simulation file is a path.
    const std::filesystem::path filePath = path.find('/') == std::string::npos
                                               ? std::filesystem::path(".") / path
                                               : std::filesystem::path(path);
    ProfileFile file;
    file.setPath(filePath.string(), false);
    if (!std::filesystem::is_regular_file(filePath) || !file.load()) {
        if (error)
            *error = "cannot read '" + path + "'";
        return CdromStatus::NoDevice;
    }
    file.clearPath();  // never written back
    return ParseSimulatedDisc(file, filePath.parent_path().string(), disc, error);
}

CdromStatus ParseSimulatedDisc(const ProfileFile& file, const std::string& baseDirectory,
                               SimulatedDisc& disc, std::string* error) {
    disc = {};
    if (file.getInt("Disc", "Busy", 0) != 0)
        return CdromStatus::Busy;
    if (const CdromStatus status = LoadTracks(file, disc, error); status != CdromStatus::Ok) {
        disc = {};
        return status;
    }
    if (!LoadCdText(file, disc, error)) {
        disc = {};
        return CdromStatus::Failed;
    }
    disc.label = file.getString("Disc", "Label");
    const std::string serial = Trimmed(file.getString("Disc", "Serial"));
    if (!serial.empty() && !ParseSerial(serial, disc.serial)) {
        disc = {};
        return Malformed(error, "Serial must be hexadecimal, e.g. 1A2B-3C4D");
    }
    const std::string data = Trimmed(file.getString("Disc", "DataDirectory"));
    if (!data.empty()) {
        const std::filesystem::path dataPath = std::filesystem::path(baseDirectory) / data;
        disc.dataDirectory = std::filesystem::absolute(dataPath).lexically_normal().string();
    }
    return CdromStatus::Ok;
}

}  // namespace shelfmark::cdrom
