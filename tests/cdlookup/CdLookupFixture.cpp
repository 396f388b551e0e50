#include "tests/cdlookup/CdLookupFixture.h"

#include <cstdio>

#include "catalog/CatalogTree.h"
#include "discora/Discora.h"
#include "foundation/StringFormat.h"

namespace shelfmark::testing {

CatalogItem* AddAudioDisk(CatalogTree& tree, CatalogItem* parent, const std::string& name,
                          const std::vector<uint32_t>& offsets, int trackItems,
                          std::optional<uint32_t> serial) {
    CatalogItem* disk = tree.createItem(name, parent, Sorted, DiskFlags(MediaType::AudioCd));
    tree.assignDiskNumber(disk);
    if (serial)
        tree.setNumberAttribute(disk, attr::VolumeSerial, *serial);
    if (!offsets.empty()) {
        std::vector<uint8_t> bytes;
        for (uint32_t value : offsets)
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<uint8_t>(value >> shift));
        tree.setBlockAttribute(disk, attr::Toc, bytes);
    }
    for (int i = 1; i <= trackItems; ++i) {
        CatalogItem* track = tree.createItem(StringPrintf("Track%02d.cda", i), disk, Last, 0);
        tree.setNumberAttribute(track, attr::TrackNumber, uint32_t(i));
    }
    return disk;
}

std::string WriteRecord(const std::filesystem::path& root, const std::string& category,
                        const DiscRecordFields& fields, std::optional<std::string> discId) {
    const int n = static_cast<int>(fields.offsets.size()) - 1;
    const std::string id =
        discId.value_or(StringPrintf("%08x", CDiscora::ComputeDiscID(n, fields.offsets.data())));
    std::string text = "# xmcd\r\n#\r\n# Track frame offsets:\r\n";
    for (int i = 0; i < n; ++i)
        text += StringPrintf("#\t%u\r\n", fields.offsets[size_t(i)]);
    text += StringPrintf("#\r\n# Disc length: %u seconds\r\n#\r\n# Revision: %d\r\n#\r\n",
                         fields.offsets.back() / 75, fields.revision);
    text += "DISCID=" + id + "\r\nDTITLE=" + fields.artist + " / " + fields.title + "\r\n";
    text += "DYEAR=1999\r\nDGENRE=Test\r\n";
    for (size_t i = 0; i < fields.tracks.size(); ++i)
        text += StringPrintf("TTITLE%zu=", i) + fields.tracks[i] + "\r\n";
    text += "EXTD=\r\nPLAYORDER=\r\n";
    std::filesystem::create_directories(root / category);
    WriteFile(root / category / id, text);
    return id;
}

LookupDialogs::MatchChoice ScriptedDialogs::chooseMatch(const std::string&,
                                                        const CDiscoraQueryResult& matches) {
    ++chooserShown;
    chooserMatches.clear();
    for (int i = 0; i < matches.GetMatchCount(); ++i)
        chooserMatches.push_back(std::string(matches.GetDiscGenre(i)) + " " +
                                 StringPrintf("%08x", matches.GetDiscID(i)) + " " +
                                 matches.GetDiscName(i));
    if (choices.empty())
        return {};
    const MatchChoice choice = choices.front();
    choices.pop_front();
    return choice;
}

bool ScriptedDialogs::editDisc(DiscEditor& editor) {
    ++editorShown;
    if (edits.empty())
        return false;
    const auto step = std::move(edits.front());
    edits.pop_front();
    return step(editor) && editor.accept();
}

CdLookupTest::CdLookupTest() {
    document.newCatalog();
}

std::string TestSite(int port) {
    return "127.0.0.1 http " + std::to_string(port) +
           " /~cddb/cddb.cgi N000.00 W000.00 Shelfmark CDDB test server";
}

}  // namespace shelfmark::testing
