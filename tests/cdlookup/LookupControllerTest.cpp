// The lookup flow against the bundled CDDB test server over loopback (and scripted servers for
// failures): matches, the chooser, applying discs, cdplayer.ini, submissions and the proxy.
#include <gtest/gtest.h>

#include <algorithm>

#include "catalog/CatalogTree.h"
#include "cdlookup/CdPlayerIni.h"
#include "cdlookup/LookupController.h"
#include "foundation/ProfileFile.h"
#include "foundation/StringFormat.h"
#include "tests/cdlookup/CdLookupFixture.h"
#include "tests/discora/CddbServers.h"

namespace shelfmark {
namespace {

using testing::AddAudioDisk;
using testing::CddbTestServer;
using testing::ReadFile;
using testing::DiscRecordFields;
using testing::ScriptedServer;
using testing::TestSite;
using testing::WriteRecord;
using Choice = LookupDialogs::MatchChoice;

const std::vector<uint32_t> kThreeTracks{150, 15000, 30000, 45000};
const std::vector<uint32_t> kUnknownDisc{150, 20000, 41000};
const std::vector<uint32_t> kTwelveTracks{150,    17040,  36099,  49872,  72942,  91951, 110880,
                                          131253, 147946, 167288, 188766, 201121, 218550};

std::vector<std::string> Titles(const char* prefix, int count) {
    std::vector<std::string> titles;
    for (int i = 1; i <= count; ++i)
        titles.push_back(StringPrintf("%s %d", prefix, i));
    return titles;
}

class LookupTest : public testing::CdLookupTest {
  protected:
    LookupTest() { std::filesystem::create_directories(records()); }

    std::filesystem::path records() const { return work / "records"; }
    std::string log() const {
        return std::filesystem::exists(work / "server.log") ? ReadFile(work / "server.log") : "";
    }
    CddbTestServer& server() {
        if (!server_)
            server_ = std::make_unique<CddbTestServer>(records(), work / "server.log");
        return *server_;
    }
    LookupController& controller(std::string site = {}) {
        if (!controller_) {
            if (site.empty())
                site = TestSite(server().httpPort());
            controller_ = std::make_unique<LookupController>(document, store, dialogs, toc, site);
        }
        return *controller_;
    }
    size_t rowOf(const CatalogItem* disk) {
        const auto& rows = controller().rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].disk == disk)
                return i;
        ADD_FAILURE() << "disk not listed";
        return 0;
    }
    std::string description(const CatalogItem* track) {
        return std::string(track->textAttribute(attr::Description).value_or("<none>"));
    }
    void saveSettings(const CddbSettings& settings) {
        settings.save(store);
        if (controller_)
            controller_->reloadSettings();
    }

    TocServices toc;
    std::unique_ptr<CddbTestServer> server_;
    std::unique_ptr<LookupController> controller_;
};

TEST_F(LookupTest, ListsAudioCdsInTreeOrderWithoutLockedContents) {
    CatalogItem* music = tree().createItem("Music", root(), Sorted, itemflag::Folder);
    CatalogItem* safe = tree().createItem("Safe", root(), Sorted, itemflag::Folder);
    CatalogItem* b = AddAudioDisk(tree(), music, "B", kThreeTracks, 3);
    CatalogItem* a = AddAudioDisk(tree(), music, "A", kThreeTracks, 3);
    AddAudioDisk(tree(), safe, "Hidden", kThreeTracks, 3);
    tree().setBlockAttribute(safe, attr::PasswordCheck, std::vector<uint8_t>(16, 1));
    CatalogItem* top = AddAudioDisk(tree(), root(), "Top", {}, 0);
    tree().createItem("Data", root(), Sorted, DiskFlags(MediaType::CdRom));
    tree().createItem("Link", music, Last, itemflag::Shortcut | DiskFlags(MediaType::AudioCd));

    EXPECT_EQ(LookupController::AudioCdDisks(tree()), (std::vector<CatalogItem*>{a, b, top}));
    tree().setNumberAttribute(b, attr::ReadThisSession, 1);
    const std::vector<CatalogItem*> preChecked{a};
    controller("127.0.0.1 http 9 /~cddb/cddb.cgi N000.00 W000.00 unused").fill(preChecked);
    const auto& rows = controller().rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].checked);
    EXPECT_FALSE(rows[1].checked);
    controller().selectNew();
    EXPECT_TRUE(rows[1].checked);
    controller().invertSelection();
    EXPECT_FALSE(rows[0].checked);
    // "Top" has no table of contents and no drive holds it: the question is asked, Cancel
    // keeps its box unchecked.
    EXPECT_FALSE(rows[2].checked);
    EXPECT_EQ(prompter.shownTexts().back(),
              "Table Of Contents information for 'Top' not available.\nYou have to insert this "
              "disk to query information from discora.");
    controller().selectAll();
    EXPECT_TRUE(rows[0].checked && rows[1].checked && !rows[2].checked);
    controller().unselectAll();
    EXPECT_TRUE(
        std::none_of(rows.begin(), rows.end(), [](const LookupRow& row) { return row.checked; }));
}

TEST_F(LookupTest, OneMatchIsAppliedAsOneStepAndCopiedToCdPlayerIni) {
    const std::string id = WriteRecord(
        records(), "rock", {kThreeTracks, "Artist", "Title", {"One", "Guest / Two", "Three"}});
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Unnamed", kThreeTracks, 3);
    const std::vector<CatalogItem*> preChecked{disk};
    controller().fill(preChecked);
    EXPECT_EQ(controller().start(), 0);
    const LookupRow& row = controller().rows()[0];
    EXPECT_EQ(row.result, RowResult::Applied);
    EXPECT_FALSE(row.checked);
    EXPECT_EQ(row.description, "Artist - Title");
    EXPECT_EQ(disk->name(), "Artist - Title");
    EXPECT_EQ(description(disk->firstChild()), "One");
    EXPECT_EQ(description(disk->firstChild()->next()), "Two");
    EXPECT_EQ(dialogs.chooserShown, 0);
    EXPECT_EQ(document.undoStepCount(), 1u);
    EXPECT_TRUE(document.isModified());
    EXPECT_NE(log().find("cddb+read+rock+" + id), std::string::npos);

    // cdplayer.ini holds the disc under the key of its table of contents.
    const std::string section = StringPrintf("%04X", CdPlayerKeyOfToc(kThreeTracks));
    ProfileFile ini(iniPath().string());
    EXPECT_EQ(ini.getString(section, "artist"), "Artist");
    EXPECT_EQ(ini.getString(section, "title"), "Title");
    EXPECT_EQ(ini.getInt(section, "numtracks", 0), 3);
    EXPECT_EQ(ini.getString(section, "1"), "Two");
    EXPECT_EQ(ini.getString(section, "order"), "0 1 2");

    // The import reads back what the lookup wrote.
    const std::vector<CdPlayerEntry> listed = ListCdPlayerDiscs("");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "Artist - Title");
    CdPlayerImport request;
    request.target = root();
    request.discs = listed;
    std::vector<CatalogItem*> imported;
    ASSERT_EQ(ImportFromCdPlayer(document, request, &imported), EditStatus::Done);
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_EQ(imported[0]->numberAttribute(attr::VolumeSerial), CdPlayerKeyOfToc(kThreeTracks));
    EXPECT_EQ(description(imported[0]->firstChild()->next()->next()), "Three");

    // Undoing the import and then the lookup brings the disk's old names back.
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    ASSERT_EQ(document.undo(false), CatalogDocument::UndoResult::Done);
    EXPECT_EQ(disk->name(), "Unnamed");
    EXPECT_EQ(description(disk->firstChild()), "<none>");
}

// Two records of the same shape within a minute of the disc's length: the server answers 211
// with both (several exact matches would be cut to the first by the library).
std::vector<uint32_t> Longer(uint32_t frames) {
    std::vector<uint32_t> offsets = kThreeTracks;
    offsets.back() += frames;
    return offsets;
}

TEST_F(LookupTest, SeveralMatchesAreChosenOrCancelled) {
    const std::string rock =
        WriteRecord(records(), "rock", {Longer(300), "Rock Artist", "Rock Title", Titles("r", 3)});
    const std::string jazz =
        WriteRecord(records(), "jazz", {Longer(600), "Jazz Artist", "Jazz Title", Titles("j", 3)});
    CatalogItem* chosen = AddAudioDisk(tree(), root(), "Chosen", kThreeTracks, 3);
    CatalogItem* cancelled = AddAudioDisk(tree(), root(), "Cancelled", kThreeTracks, 3);
    // Rows in tree order: "Cancelled" comes first.
    dialogs.choices = {Choice{Choice::Cancelled, 0}, Choice{Choice::Chosen, 0}};
    const std::vector<CatalogItem*> both{chosen, cancelled};
    controller().fill(both);
    EXPECT_EQ(controller().start(), 0);
    EXPECT_EQ(dialogs.chooserShown, 2);
    EXPECT_EQ(dialogs.chooserMatches,
              (std::vector<std::string>{"jazz " + jazz + " Jazz Artist / Jazz Title",
                                        "rock " + rock + " Rock Artist / Rock Title"}));
    EXPECT_EQ(chosen->name(), "Jazz Artist - Jazz Title");
    // Cancelling the chooser leaves the disk as it was and unchecks its row.
    EXPECT_EQ(cancelled->name(), "Cancelled");
    const LookupRow& row = controller().rows()[rowOf(cancelled)];
    EXPECT_FALSE(row.checked);
    EXPECT_EQ(row.result, RowResult::Skipped);
    EXPECT_EQ(document.undoStepCount(), 1u);
}

TEST_F(LookupTest, NoMatchMarksTheRowAndDiscInfoShowsIt) {
    WriteRecord(records(), "rock", {kThreeTracks, "Artist", "Title", Titles("t", 3)});
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Unknown", kUnknownDisc, 2);
    const std::vector<CatalogItem*> preChecked{disk};
    controller().fill(preChecked);
    EXPECT_EQ(controller().start(), 0);
    const LookupRow& row = controller().rows()[0];
    EXPECT_EQ(row.description, "Disc not found");
    EXPECT_EQ(row.result, RowResult::NotFound);
    EXPECT_FALSE(row.checked);
    EXPECT_EQ(disk->name(), "Unknown");
    EXPECT_EQ(document.undoStepCount(), 0u);
    EXPECT_FALSE(document.isModified());

    controller().discInfo(0);
    EXPECT_EQ(prompter.shownTexts().back(), "Disc not found");
    EXPECT_EQ(dialogs.editorShown, 0);
}

TEST_F(LookupTest, SingleInexactMatchIsReadWithoutTheChooser) {
    // Same track count, 8 seconds longer, another disc ID: the server answers 211 with one match.
    std::vector<uint32_t> near = kThreeTracks;
    near.back() += 600;
    WriteRecord(records(), "misc", {near, "Near", "Enough", Titles("n", 3)});
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Disk", kThreeTracks, 3);
    const std::vector<CatalogItem*> preChecked{disk};
    controller().fill(preChecked);
    EXPECT_EQ(controller().start(), 0);
    EXPECT_NE(log().find("http < 211"), std::string::npos);
    EXPECT_EQ(dialogs.chooserShown, 0);
    EXPECT_EQ(disk->name(), "Near - Enough");
}

TEST_F(LookupTest, TwelveTrackRecordOnATenTrackDiskWithFormats) {
    WriteRecord(records(), "rock", {kTwelveTracks, "A", "T", Titles("Song", 12)});
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Ten", kTwelveTracks, 10);
    CddbSettings settings;
    settings.bUseDiscFormat = true;  // on, but empty: artist " - " title
    settings.bUseTrackFormat = true;
    settings.TrackFormat = "%3. %2";
    saveSettings(settings);
    const std::vector<CatalogItem*> preChecked{disk};
    controller().fill(preChecked);
    EXPECT_EQ(controller().start(), 0);
    EXPECT_EQ(disk->name(), "A - T");
    std::vector<std::string> names;
    for (const CatalogItem* track = disk->firstChild(); track; track = track->next())
        names.push_back(description(track));
    ASSERT_EQ(names.size(), 10u);
    EXPECT_EQ(names[6], "07. Song 7");
    EXPECT_EQ(names[9], "10. Song 10");
    // cdplayer.ini still receives all twelve titles, under "0" to "11".
    const std::string section = StringPrintf("%04X", CdPlayerKeyOfToc(kTwelveTracks));
    EXPECT_EQ(section, "10A2C7F");
    ProfileFile ini(iniPath().string());
    EXPECT_EQ(ini.getInt(section, "numtracks", 0), 12);
    EXPECT_EQ(ini.getString(section, "11"), "Song 12");
    EXPECT_EQ(ini.getString(section, "order"), "0 1 2 3 4 5 6 7 8 9 10 11");
}

TEST_F(LookupTest, DiscFormatAndNoCdPlayerCopy) {
    WriteRecord(records(), "rock", {kThreeTracks, "Artist", "Title", {"One", "Guest / Two", "3"}});
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Disk", kThreeTracks, 3);
    CddbSettings settings;
    settings.bUseDiscFormat = true;
    settings.DiscFormat = "%2 (%1)";
    settings.bUseTrackFormat = true;
    settings.TrackFormat = "%1: %2";
    settings.bSaveDiscInfo = false;
    saveSettings(settings);
    const std::vector<CatalogItem*> preChecked{disk};
    controller().fill(preChecked);
    controller().start();
    EXPECT_EQ(disk->name(), "Title (Artist)");
    EXPECT_EQ(description(disk->firstChild()), "Artist: One");
    EXPECT_EQ(description(disk->firstChild()->next()), "Guest: Two");
    EXPECT_FALSE(std::filesystem::exists(iniPath()));
}

// A server that drops the first connections and then answers like a CDDB server over HTTP.
class RecoveringServer {
  public:
    explicit RecoveringServer(int failures)
        : server_([this, failures](ScriptedServer& server, int fd) {
              const std::string request = server.readUntil(fd, "\r\n\r\n");
              if (++seen_ <= failures) {
                  ScriptedServer::Reset(fd);
                  return;
              }
              std::string body;
              if (request.find("cmd=cddb+query") != std::string::npos)
                  body = "200 rock 1a00cd03 Back / Again\r\n";
              else
                  body =
                      "210 rock 1a00cd03 CD database entry follows\r\n# xmcd\r\n#\r\n"
                      "# Track frame offsets:\r\n#\t150\r\n#\t15000\r\n#\t30000\r\n#\r\n"
                      "# Disc length: 600 seconds\r\n#\r\n# Revision: 1\r\n"
                      "DISCID=1a00cd03\r\nDTITLE=Back / Again\r\nTTITLE0=a\r\nTTITLE1=b\r\n"
                      "TTITLE2=c\r\n.\r\n";
              ScriptedServer::Send(fd,
                                   "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body);
          }) {}
    int port() const { return server_.port(); }

  private:
    int seen_ = 0;
    ScriptedServer server_;
};

TEST_F(LookupTest, FailingServerIsRetriedOnRequest) {
    RecoveringServer failing(1);
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Disk", kThreeTracks, 3);
    prompter.queueAnswer(PromptAnswer::Yes);  // retry once
    const std::vector<CatalogItem*> preChecked{disk};
    controller(TestSite(failing.port())).fill(preChecked);
    EXPECT_EQ(controller().start(), 0);
    EXPECT_EQ(disk->name(), "Back - Again");
    EXPECT_EQ(prompter.shownTexts(),
              (std::vector<std::string>{
                  "CDDB access failed for one or more discs.\nDo you want to retry?"}));
    EXPECT_EQ(prompter.shown()[0].message.icon, PromptIcon::Error);
}

TEST_F(LookupTest, FailureWithoutRetryMarksTheRow) {
    RecoveringServer failing(100);
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Disk", kThreeTracks, 3);
    const std::vector<CatalogItem*> preChecked{disk};
    controller(TestSite(failing.port())).fill(preChecked);
    EXPECT_EQ(controller().start(), 1);  // the retry question gets No
    const LookupRow& row = controller().rows()[0];
    EXPECT_EQ(row.description, "Error accessing CDDB server.");
    EXPECT_EQ(row.result, RowResult::Failed);
    EXPECT_TRUE(row.checked);  // a later Start covers it again
    EXPECT_EQ(disk->name(), "Disk");
    EXPECT_FALSE(document.isModified());
}

// Fills a new disc in the editor: category, disc artist and title, every track's title.
std::function<bool(DiscEditor&)> FillNewDisc(const std::string& category) {
    return [category](DiscEditor& editor) {
        EXPECT_FALSE(editor.categoryLocked());
        EXPECT_FALSE(editor.accept());  // no category yet
        EXPECT_TRUE(editor.chooseCategory(category));
        EXPECT_FALSE(editor.accept());  // no artist and title yet
        EXPECT_EQ(editor.problemRow(), 0);
        editor.setDetails(0, {"New Artist", "New Title", "line one\r\nline two"});
        for (int row = 1; row < editor.rowCount(); ++row)
            editor.setDetails(row, {"", StringPrintf("Part %d", row), ""});
        EXPECT_EQ(editor.rowTitleText(1), "New Artist / Part 1");
        EXPECT_EQ(editor.rowItemText(2), "02");
        return true;
    };
}

TEST_F(LookupTest, SubmitNewWithoutAndWithAnEmailAddress) {
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Mine", kUnknownDisc, 2);
    controller().fill();
    const std::string id = StringPrintf("%08x", CDiscora::ComputeDiscID(2, kUnknownDisc.data()));

    // No address: the edited disc is applied, the address is asked for, Cancel submits nothing.
    dialogs.edits.push_back(FillNewDisc("misc"));
    prompter.queueAnswer(PromptAnswer::Yes);  // submit changes?
    controller().submitNew(0);
    EXPECT_EQ(disk->name(), "New Artist - New Title");
    EXPECT_EQ(prompter.shownTexts().back(),
              "No email address given.\nPlease enter your email address to be able to submit "
              "discs to CDDB.");
    EXPECT_EQ(log().find("submit.cgi"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(records() / "misc" / id));

    // OK opens the settings page, where the address is entered; the submission follows.
    dialogs.settingsPage = [this] {
        store.setText(kCddbSubKey, "Email", "me@example.org");
        return true;
    };
    dialogs.edits.push_back(FillNewDisc("misc"));
    prompter.queueAnswer(PromptAnswer::Yes);  // submit changes?
    prompter.queueAnswer(PromptAnswer::Ok);   // no address: open the settings
    controller().submitNew(0);
    EXPECT_NE(log().find("http > User-Email: me@example.org"), std::string::npos);
    const std::string record = ReadFile(records() / "misc" / id);
    EXPECT_NE(record.find("DTITLE=New Artist / New Title\r\n"), std::string::npos);
    EXPECT_NE(record.find("TTITLE1=Part 2\r\n"), std::string::npos);
    EXPECT_NE(record.find("EXTD=line one\\nline two\r\n"), std::string::npos);
    EXPECT_NE(record.find("# Revision: 0\r\n"), std::string::npos);

    // The submitted record is found by the next lookup.
    const std::vector<CatalogItem*> preChecked{disk};
    controller().fill(preChecked);
    EXPECT_EQ(controller().start(), 0);
    EXPECT_EQ(description(disk->firstChild()->next()), "Part 2");
}

TEST_F(LookupTest, DiscInfoKeepsTheCategoryOfAServerRecord) {
    const std::string id =
        WriteRecord(records(), "rock", {kThreeTracks, "Artist", "Title", Titles("t", 3)});
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Disk", kThreeTracks, 3);
    CddbSettings settings;
    settings.Email = "me@example.org";
    saveSettings(settings);
    controller().fill();

    // Cancelled editor: nothing changes, nothing is asked.
    controller().discInfo(0);
    EXPECT_EQ(dialogs.editorShown, 1);
    EXPECT_EQ(disk->name(), "Disk");

    dialogs.edits.push_back([](DiscEditor& editor) {
        EXPECT_TRUE(editor.categoryLocked());
        EXPECT_FALSE(editor.chooseCategory("jazz"));
        EXPECT_EQ(editor.category(), "rock");
        const auto& names = editor.categories();
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
        EXPECT_NE(std::find(names.begin(), names.end(), "rock"), names.end());
        EXPECT_FALSE(editor.modified());
        editor.setDetails(2, {"", "Better Title", ""});
        editor.setYear("1700");
        EXPECT_FALSE(editor.accept());
        editor.setYear("2001");
        return true;
    });
    prompter.queueAnswer(PromptAnswer::Yes);
    controller().discInfo(0);
    EXPECT_EQ(description(disk->firstChild()->next()), "Better Title");
    EXPECT_EQ(disk->name(), "Artist - Title");
    const std::string record = ReadFile(records() / "rock" / id);
    EXPECT_NE(record.find("TTITLE1=Better Title\r\n"), std::string::npos);
    EXPECT_NE(record.find("DYEAR=2001\r\n"), std::string::npos);
    EXPECT_NE(record.find("# Revision: 4\r\n"), std::string::npos);  // read as 3

    // No to the question: neither applied nor submitted.
    dialogs.edits.push_back([](DiscEditor& editor) {
        editor.setDetails(1, {"", "Other", ""});
        return true;
    });
    controller().discInfo(0);
    EXPECT_EQ(description(disk->firstChild()), "t 1");
}

TEST_F(LookupTest, ChooserSubmitNewEditsAFreshRecord) {
    WriteRecord(records(), "rock", {Longer(300), "Rock", "One", Titles("r", 3)});
    WriteRecord(records(), "jazz", {Longer(600), "Jazz", "Two", Titles("j", 3)});
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Disk", kThreeTracks, 3);
    dialogs.choices = {Choice{Choice::SubmitNew, 0}};
    dialogs.edits.push_back(FillNewDisc("blues"));
    prompter.queueAnswer(PromptAnswer::No);  // do not submit: the edited disc is still the result
    const std::vector<CatalogItem*> preChecked{disk};
    controller().fill(preChecked);
    EXPECT_EQ(controller().start(), 0);
    EXPECT_EQ(disk->name(), "New Artist - New Title");
    EXPECT_EQ(log().find("submit.cgi"), std::string::npos);
}

TEST_F(LookupTest, ProxyWithBasicAuthorization) {
    WriteRecord(records(), "rock", {kThreeTracks, "Via", "Proxy", Titles("p", 3)});
    CatalogItem* disk = AddAudioDisk(tree(), root(), "Disk", kThreeTracks, 3);
    // The test server answers absolute URLs, so it stands in for the proxy of a site that does
    // not resolve.
    CddbSettings settings;
    settings.Host = "127.0.0.1";
    settings.Port = static_cast<uint32_t>(server().httpPort());
    settings.Name = "u";
    settings.Password = "p";
    saveSettings(settings);
    const std::vector<CatalogItem*> preChecked{disk};
    controller("cddb.invalid http 80 /~cddb/cddb.cgi N000.00 W000.00 via a proxy").fill(preChecked);
    EXPECT_EQ(controller().start(), 0);
    EXPECT_EQ(disk->name(), "Via - Proxy");
    EXPECT_NE(log().find("http > GET http://cddb.invalid"), std::string::npos);
    EXPECT_NE(log().find("http > Proxy-Authorization: Basic dTpw\n"), std::string::npos);
}

// A simulated drive holding a two-track disc with the given serial number.
std::filesystem::path SimulatedDrive(const std::filesystem::path& dir, const std::string& serial) {
    const std::filesystem::path file = dir / ("drive-" + serial + ".ini");
    testing::WriteFile(file, "[Disc]\nLabel=\nSerial=" + serial +
                                 "\nLeadOut=10:00:00\n[Tracks]\n1=audio 00:02:00\n"
                                 "2=audio 05:00:00\n");
    return file;
}

class PickFirstDrive : public InsertDiskDialog {
  public:
    bool run(InsertDiskPrompt& prompt) override {
        ++shown;
        prompt.confirm();
        return prompt.state() == InsertDiskPrompt::State::Ok;
    }
    int shown = 0;
};

TEST_F(LookupTest, TableOfContentsFromTheDriveOrTheInsertPrompt) {
    const std::filesystem::path inDrive = SimulatedDrive(work.path(), "1A2B-3C4D");
    const std::filesystem::path inserted = SimulatedDrive(work.path(), "0000-BEEF");
    toc.cdDrives = [&] { return std::vector<CdDrive>{{{}, inDrive.string()}}; };
    CatalogItem* present = AddAudioDisk(tree(), root(), "Present", {}, 2, 0x1A2B3C4D);
    CatalogItem* elsewhere = AddAudioDisk(tree(), root(), "Elsewhere", {}, 2, 0xBEEF);
    controller("127.0.0.1 http 9 /~cddb/cddb.cgi N000.00 W000.00 unused").fill();

    // The drive holds the disk: its table of contents is read and stored, no question.
    EXPECT_TRUE(controller().setChecked(rowOf(present), true));
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(TocOffsets(*present), (std::vector<uint32_t>{150, 22500, 45000}));
    EXPECT_TRUE(document.isModified());

    // Not in a drive; without an insert prompt (the command-line tool) OK leads nowhere.
    prompter.queueAnswer(PromptAnswer::Ok);
    EXPECT_FALSE(controller().setChecked(rowOf(elsewhere), true));
    EXPECT_EQ(prompter.shown().size(), 1u);

    // The prompt settles on the drive the disk was inserted into.
    PickFirstDrive dialog;
    Volume volume;
    volume.mountPoint = "/media/cdrom";
    volume.device = "/dev/sr1";
    volume.type = DriveType::CdRom;
    volume.serial = 0;  // empty when listed; the disc is inserted while the prompt is open
    toc.volumes = [volume] { return std::vector<Volume>{volume}; };
    toc.insertDialog = &dialog;
    toc.readSerial = [](const Volume&) { return std::optional<uint32_t>(0xBEEF); };
    toc.driveOfVolume = [&](const Volume& listed) {
        EXPECT_EQ(listed.device, "/dev/sr1");
        return std::optional<CdDrive>(CdDrive{{}, inserted.string()});
    };
    controller_.reset();
    controller("127.0.0.1 http 9 /~cddb/cddb.cgi N000.00 W000.00 unused").fill();
    prompter.queueAnswer(PromptAnswer::Ok);
    EXPECT_TRUE(controller().setChecked(rowOf(elsewhere), true));
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(TocOffsets(*elsewhere), (std::vector<uint32_t>{150, 22500, 45000}));
}

}  // namespace
}  // namespace shelfmark
