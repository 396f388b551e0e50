// What the CD lookup tests share: a catalog in memory with audio-CD disks, xmcd records for the
// CDDB test server, and scripted stand-ins for the lookup's windows.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "cdlookup/LookupController.h"
#include "foundation/ScriptedPrompter.h"
#include "platform/settings/SettingsStore.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {

// An audio-CD disk under `parent` with `trackItems` items "TrackNN.cda"; the table of contents
// (n track starts and the lead-out) is stored when not empty.
CatalogItem* AddAudioDisk(CatalogTree& tree, CatalogItem* parent, const std::string& name,
                          const std::vector<uint32_t>& offsets, int trackItems,
                          std::optional<uint32_t> serial = std::nullopt);

struct DiscRecordFields {
    std::vector<uint32_t> offsets;  // track starts, then the lead-out
    std::string artist;
    std::string title;
    std::vector<std::string> tracks;  // titles; "artist / title" for a track artist
    int revision = 3;
};
// An xmcd record as a server keeps it, with the disc ID of its offsets; returns the ID text.
std::string WriteRecord(const std::filesystem::path& root, const std::string& category,
                        const DiscRecordFields& fields, std::optional<std::string> discId = std::nullopt);

// Windows of the lookup, scripted: the chooser answers from a queue (Cancelled when empty), the
// editor runs a step on the editor and then accepts (or cancels without a step).
class ScriptedDialogs : public LookupDialogs {
  public:
    std::deque<MatchChoice> choices;
    std::deque<std::function<bool(DiscEditor&)>> edits;
    std::function<bool()> settingsPage;
    int chooserShown = 0;
    int editorShown = 0;
    std::vector<std::string> chooserMatches;  // "category discid name" of the last chooser

    MatchChoice chooseMatch(const std::string& diskName,
                            const CDiscoraQueryResult& matches) override;
    bool editDisc(DiscEditor& editor) override;
    bool editCddbSettings() override { return settingsPage ? settingsPage() : false; }
};

class CdLookupTest : public ::testing::Test {
  protected:
    CdLookupTest();

    // The cdplayer.ini in the configuration directory.
    std::filesystem::path iniPath() const { return config.configDir() / "cdplayer.ini"; }
    CatalogTree& tree() { return document.tree(); }
    CatalogItem* root() { return document.tree().root(); }

    ScopedConfigHome config;
    TempDir work;
    ScriptedPrompter prompter;
    CatalogDocument document{prompter};
    SettingsStore store{(work / "settings.ini").string()};
    ScriptedDialogs dialogs;
};

// A site line for the test server's HTTP port.
std::string TestSite(int port);

}  // namespace shelfmark::testing
