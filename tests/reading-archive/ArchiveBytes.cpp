#include "tests/reading-archive/ArchiveBytes.h"

#include "reading/archive/ArchiveWalkers.h"

namespace shelfmark::testing {

void PutLe16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutLe32(std::string& out, uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

std::string RarMarker() {
    return std::string("Rar!\x1A\x07\x00", 7);
}

std::string RarMainHeader(uint16_t flags) {
    std::string out;
    PutLe16(out, 0);  // HEAD_CRC is not checked by the walk
    out.push_back(0x73);
    PutLe16(out, flags);
    PutLe16(out, 13);
    out.append(6, '\0');
    return out;
}

std::string RarFileHeader(const RarFile& file) {
    const bool large = (file.flags & 0x0100) != 0;
    std::string out;
    PutLe16(out, 0);
    out.push_back(0x74);
    PutLe16(out, file.flags | 0x8000);
    PutLe16(out, static_cast<uint32_t>(32 + (large ? 8 : 0) + file.name.size()));
    PutLe32(out, static_cast<uint32_t>(file.data.size()));
    PutLe32(out, file.unpackedSize ? file.unpackedSize : static_cast<uint32_t>(file.data.size()));
    out.push_back(static_cast<char>(file.hostOs));
    PutLe32(out, file.crc);
    PutLe32(out, file.dosTime);
    out.push_back(29);
    out.push_back(0x30);
    PutLe16(out, static_cast<uint32_t>(file.name.size()));
    PutLe32(out, file.attributes);
    if (large) {
        PutLe32(out, 0);
        PutLe32(out, file.highUnpacked);
    }
    return out + file.name + file.data;
}

std::string RarEnd() {
    std::string out;
    PutLe16(out, 0);
    out.push_back(0x7B);
    PutLe16(out, 0x4000);
    PutLe16(out, 7);
    return out;
}

std::string AceMainHeader(uint16_t flags) {
    std::string body;
    body.push_back(0);
    PutLe16(body, flags);
    body += "**ACE**";
    body += std::string("\x14\x14\x02\x00", 4);
    PutLe32(body, 0x50221863);
    body.append(8, '\0');
    std::string out;
    PutLe16(out, 0);
    PutLe16(out, static_cast<uint32_t>(body.size()));
    return out + body;
}

std::string AceFileHeader(const AceFile& file) {
    std::string body;
    body.push_back(1);
    PutLe16(body, file.flags);
    PutLe32(body, static_cast<uint32_t>(file.data.size()));
    PutLe32(body, static_cast<uint32_t>(file.data.size()));
    PutLe32(body, file.dosTime);
    PutLe32(body, file.attributes);
    PutLe32(body, file.crc);
    PutLe32(body, 0);
    PutLe16(body, 0);
    PutLe16(body, static_cast<uint32_t>(file.name.size()));
    body += file.name;
    std::string out;
    PutLe16(out, 0);
    PutLe16(out, static_cast<uint32_t>(body.size()));
    return out + body + file.data;
}

std::string ZipLocalHeader(const ZipLocal& local) {
    std::string out("PK\x03\x04", 4);
    PutLe16(out, 10);
    PutLe16(out, local.flags);
    PutLe16(out, local.method);
    PutLe16(out, local.dosTime);
    PutLe16(out, local.dosDate);
    PutLe32(out, local.crc);
    PutLe32(out, static_cast<uint32_t>(local.data.size()));
    PutLe32(out, static_cast<uint32_t>(local.data.size()));
    PutLe16(out, static_cast<uint32_t>(local.name.size()));
    PutLe16(out, 0);
    return out + local.name + local.data;
}

std::vector<ArchiveEntry> Collect(ArchiveKind kind, const std::filesystem::path& path,
                                  uint64_t offset) {
    std::vector<ArchiveEntry> entries;
    archive::WalkArchive(kind, path.string(), offset,
                         [&](const ArchiveEntry& entry) { entries.push_back(entry); });
    return entries;
}

std::string Joined(const ArchiveEntry& entry) {
    std::string path;
    for (const std::string& component : entry.components)
        path += (path.empty() ? "" : "/") + component;
    return path;
}

}  // namespace shelfmark::testing
