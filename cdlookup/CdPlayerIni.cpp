#include "cdlookup/CdPlayerIni.h"

#include <cctype>

#include "catalog/CatalogDocument.h"
#include "cdlookup/CddbSettings.h"
#include "cdlookup/DiscText.h"
#include "discora/Discora.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ProfileFile.h"
#include "foundation/Prompter.h"
#include "foundation/StringFormat.h"
#include "reading/audio/AudioDisc.h"

namespace shelfmark {

namespace {

// The size the CD player's database gives every track of a disc it knows no more of.
constexpr uint64_t kTrackItemSize = 44;
constexpr int kMaxTracks = 99;

std::string SectionOf(uint32_t key) {
    return StringPrintf("%04X", key);
}

}  // namespace

std::optional<std::vector<uint32_t>> TocOffsets(const CatalogItem& disk) {
    const std::optional<std::span<const uint8_t>> block = disk.blockAttribute(attr::Toc);
    if (!block || block->size() < 8 || block->size() % 4 != 0 ||
        block->size() / 4 > static_cast<size_t>(kMaxTracks) + 1)
        return std::nullopt;
    std::vector<uint32_t> offsets(block->size() / 4);
    for (size_t i = 0; i < offsets.size(); ++i) {
        const uint8_t* bytes = block->data() + 4 * i;
        offsets[i] = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                     uint32_t(bytes[3]) << 24;
    }
    return offsets;
}

uint32_t CdPlayerKeyOfToc(std::span<const uint32_t> offsets) {
    if (offsets.size() < 2)
        return 0;
    const size_t tracks = offsets.size() - 1;
    uint32_t key = 0;
    for (size_t i = 0; i < tracks; ++i)
        key += Msf::FromFrames(offsets[i]).packedForKey();
    if (tracks <= 2) {
        key += offsets[tracks] - offsets[0];
        if (tracks == 2)
            key += offsets[0] % kFramesPerSecond;
    }
    return key;
}

void SaveDiscToCdPlayerIni(uint32_t key, const CDiscoraDisc& disc, std::string_view iniPath) {
    ProfileFile file(iniPath);
    const std::string section = SectionOf(key);
    file.setString(section, "artist", DiscText(disc.GetArtist()));
    file.setString(section, "title", DiscText(disc.GetTitle()));
    file.setInt(section, "numtracks", disc.GetTrackCount());
    std::string order;
    for (int i = 1; i <= disc.GetTrackCount(); ++i) {
        CDiscoraTrack track;
        if (disc.GetTrack(i, track))
            file.setString(section, std::to_string(i - 1), DiscText(track.GetTitle()));
        order += (i > 1 ? " " : "") + std::to_string(i - 1);
    }
    file.setString(section, "order", order);
    file.save();
}

uint32_t SerialOfSection(std::string_view section) {
    if (section.empty())
        return 0;
    uint32_t value = 0;
    int significant = 0;
    for (const char c : section) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return 0;
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        if (significant > 0 || digit != 0)
            ++significant;
        if (significant > 8)
            return 0;
        value = value << 4 | uint32_t(digit);
    }
    return value;
}

std::vector<CdPlayerEntry> ListCdPlayerDiscs(std::string_view discFormat,
                                             std::string_view iniPath) {
    ProfileFile file(iniPath);
    file.clearPath();  // only read here
    std::vector<CdPlayerEntry> entries;
    for (const ProfileSection& section : file.sections()) {
        CdPlayerEntry entry;
        entry.section = section.name;
        entry.name = FormatDiscName(discFormat, file.getString(section.name, "artist"),
                                    file.getString(section.name, "title"));
        entry.serial = SerialOfSection(section.name);
        entries.push_back(std::move(entry));
    }
    return entries;
}

EditStatus ImportFromCdPlayer(CatalogDocument& document, const CdPlayerImport& request,
                              std::vector<CatalogItem*>* created) {
    CatalogTree& tree = document.tree();
    CatalogItem* target = request.target != nullptr ? request.target : tree.root();
    if (!target->isFolder() || target->isShortcut() || target->isLocked()) {
        document.prompter().error(Str(81), tree.pathText(target, pathmode::Display));
        return EditStatus::Unchanged;
    }
    if (request.newFolder && request.newFolder->empty())
        return EditStatus::Unchanged;
    if (request.discs.empty() && !request.newFolder)
        return EditStatus::Unchanged;
    if (!RoomBelow(document, *target, request.newFolder ? 3 : 2))
        return EditStatus::Unchanged;
    if (!BeginEdit(document))
        return EditStatus::Refused;

    const int32_t now = DateNow();
    std::vector<CatalogItem*> inserted;
    CatalogItem* folder = target;
    if (request.newFolder) {
        folder = tree.createItem(*request.newFolder, target, Sorted, itemflag::Folder);
        folder->setDate(now);
        inserted.push_back(folder);
    }
    ProfileFile file(request.iniPath);
    file.clearPath();  // only read here
    CatalogItem* root = tree.root();
    uint64_t total = 0;
    std::vector<CatalogItem*> disks;
    for (const CdPlayerEntry& disc : request.discs) {
        CatalogItem* disk =
            tree.createItem(disc.name, folder, Sorted, DiskFlags(MediaType::AudioCd));
        disk->setDate(now);
        const uint32_t diskId = root->numberAttribute(attr::DiskId).value_or(1);
        tree.setNumberAttribute(disk, attr::DiskId, diskId);
        tree.setNumberAttribute(root, attr::DiskId, diskId + 1);
        tree.assignDiskNumber(disk);
        tree.setNumberAttribute(disk, attr::VolumeSerial, disc.serial);

        const std::string section = SectionOf(disc.serial);
        const int count = file.getInt(section, "numtracks", 0);
        const std::string artist = file.getString(section, "artist");
        int made = 0;
        for (int k = 0; k < count && k < kMaxTracks; ++k, ++made) {
            const std::string title = file.getString(section, std::to_string(k));
            CatalogItem* track =
                tree.createItem(StringPrintf("Track%02d.cda", k + 1), disk, Last, 0);
            track->setDate(now);
            tree.setSize(track, kTrackItemSize);
            tree.setNumberAttribute(track, attr::TrackNumber, uint32_t(k + 1));
            tree.setTextAttribute(track, attr::Description,
                                  FormatTrackName(request.trackFormat, k + 1, {}, artist, title));
        }
        tree.setSize(disk, kTrackItemSize * uint64_t(made));
        total += kTrackItemSize * uint64_t(made);
        disks.push_back(disk);
        if (!request.newFolder)
            inserted.push_back(disk);
    }
    if (total > 0)
        tree.addToFolderSizes(folder, static_cast<int64_t>(total));
    document.recordUndo(UndoKind::Insert, inserted, std::string("Import CDs"));
    document.notifyChanged(*root);
    for (CatalogItem* item : inserted)
        document.notifyInserted(*item);
    document.setModified();
    if (created)
        *created = std::move(disks);
    return EditStatus::Done;
}

}  // namespace shelfmark
