// Read profiles in ReadDiskDlg.tkp: listing, loading with defaults, saving and the last
// profile per database, checked against the file's text.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "reading/profiles/Mp3Options.h"
#include "reading/profiles/ReadProfiles.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

class ReadProfilesTest : public ::testing::Test {
  protected:
    std::filesystem::path file() const { return config_.configDir() / "ReadDiskDlg.tkp"; }

    testing::ScopedConfigHome config_;
    ReadProfileStore store_;
};

TEST_F(ReadProfilesTest, StoreLivesInTheConfigurationDirectory) {
    EXPECT_EQ(store_.path(), file().string());
}

TEST_F(ReadProfilesTest, FirstRunGivesTheDefaults) {
    const LoadedReadProfile loaded = store_.load("", "Catalog");
    EXPECT_EQ(loaded.name, "");
    const ReadOptions& options = loaded.options;
    EXPECT_EQ(options.LastDrive, 2);
    EXPECT_FALSE(options.bNoFiles);
    EXPECT_TRUE(options.ExtList.empty());
    EXPECT_EQ(options.archiveMask(), 0);
    EXPECT_FALSE(options.bCalcCRC32);
    EXPECT_FALSE(options.bCalcMD5);
    EXPECT_TRUE(options.bCDExtraData);
    EXPECT_TRUE(options.bCDExtraAudio);
    EXPECT_FALSE(options.bContactCDDB);
    ASSERT_EQ(options.providers.size(), 1u);
    EXPECT_EQ(options.providers[0].module, "Shelfmark.exe");
    EXPECT_EQ(options.providers[0].indexes, "0");  // only cda ticked
    EXPECT_TRUE(store_.list().empty());
}

TEST_F(ReadProfilesTest, SavedProfileBecomesTheDatabasesLastProfile) {
    ReadOptions options;
    options.bReadZIPs = true;
    options.bCalcCRC32 = true;
    options.MaxCRC32Size = 2048;
    options.ExtList = ExtensionList("mp3.ogg");
    ASSERT_TRUE(store_.save("MP3", "Music.tkd", options));

    const std::string text = testing::ReadFile(file());
    EXPECT_NE(text.find("[LastProfile]"), std::string::npos);
    EXPECT_NE(text.find("Music.tkd=MP3"), std::string::npos);
    EXPECT_NE(text.find("[MP3]"), std::string::npos);
    EXPECT_NE(text.find("bReadZIPs=1"), std::string::npos);
    EXPECT_NE(text.find("MaxCRC32Size=2048"), std::string::npos);
    EXPECT_NE(text.find("ExtList=mp3.ogg"), std::string::npos);
    EXPECT_NE(text.find("Shelfmark.exe=0"), std::string::npos);

    const LoadedReadProfile loaded = store_.load("", "Music.tkd");
    EXPECT_EQ(loaded.name, "MP3");
    EXPECT_TRUE(loaded.options.bReadZIPs);
    EXPECT_TRUE(loaded.options.bCalcCRC32);
    EXPECT_EQ(loaded.options.MaxCRC32Size, 2048);
    EXPECT_EQ(loaded.options.ExtList.entries(), (std::vector<std::string>{"mp3", "ogg"}));
    EXPECT_EQ(store_.list(), (std::vector<std::string>{"MP3"}));
}

TEST_F(ReadProfilesTest, EmptyNameIsStoredAsDefaultAndListedEmpty) {
    ReadOptions options;
    options.bNoEmptyDirs = true;
    ASSERT_TRUE(store_.save("", "Default", options));
    EXPECT_NE(testing::ReadFile(file()).find("[Default]"), std::string::npos);
    EXPECT_EQ(store_.lastProfile("Default"), "Default");
    const LoadedReadProfile loaded = store_.load("", "Default");
    EXPECT_EQ(loaded.name, "");
    EXPECT_TRUE(loaded.options.bNoEmptyDirs);
    EXPECT_EQ(store_.list(), (std::vector<std::string>{""}));
}

TEST_F(ReadProfilesTest, TwoDatabasesRememberDifferentProfiles) {
    ReadOptions photos;
    photos.ExtList = ExtensionList("jpg.png");
    ReadOptions sums;
    sums.bCalcMD5 = true;
    ASSERT_TRUE(store_.save("Photos", "Pictures", photos));
    ASSERT_TRUE(store_.save("Checksums", "Backups", sums));
    EXPECT_EQ(store_.load("", "Pictures").name, "Photos");
    EXPECT_EQ(store_.load("", "Backups").name, "Checksums");
    EXPECT_TRUE(store_.load("", "Backups").options.bCalcMD5);
    EXPECT_EQ(store_.load("", "Unknown").name, "");
    EXPECT_EQ(store_.list(), (std::vector<std::string>{"Photos", "Checksums"}));
}

TEST_F(ReadProfilesTest, ListKeepsFileOrderAndHidesLastProfile) {
    testing::WriteFile(file(),
                       "[Zeta]\nbNoFiles=1\n[LastProfile]\nDefault=Zeta\n[Default]\n[alpha]\n");
    EXPECT_EQ(store_.list(), (std::vector<std::string>{"Zeta", "", "alpha"}));
    EXPECT_TRUE(store_.load("", "Default").options.bNoFiles);
}

TEST_F(ReadProfilesTest, AbsentKeysTakeTheirDefaults) {
    testing::WriteFile(file(), "[Partial]\nbCDExtraAudio=0\nLastDrive=131\nbCalcMD5=1\n");
    const ReadOptions options = store_.load("Partial", "db").options;
    EXPECT_FALSE(options.bCDExtraAudio);
    EXPECT_TRUE(options.bCDExtraData);
    EXPECT_EQ(options.LastDrive, 131);
    EXPECT_TRUE(options.bCalcMD5);
    EXPECT_FALSE(options.bLimitMD5Size);
    EXPECT_EQ(options.findProvider("Shelfmark.exe")->indexes, "0");
}

TEST_F(ReadProfilesTest, PluginSelectionsAreKeyedByTheirFileNames) {
    ReadOptions options;
    options.setProvider("Shelfmark.exe", "0,4");
    options.setProvider("hvsm_images.dll", "1,2");
    ASSERT_TRUE(store_.save("Mixed", "db", options));
    EXPECT_NE(testing::ReadFile(file()).find("hvsm_images.dll=1,2"), std::string::npos);

    const ReadOptions loaded =
        store_.load("Mixed", "db", {"hvsm_images.dll", "hvsm_other.dll"}).options;
    ASSERT_EQ(loaded.providers.size(), 3u);
    EXPECT_EQ(loaded.findProvider("Shelfmark.exe")->indexes, "0,4");
    EXPECT_EQ(loaded.findProvider("hvsm_images.dll")->indexes, "1,2");
    EXPECT_EQ(loaded.findProvider("hvsm_other.dll")->indexes, "");
}

TEST_F(ReadProfilesTest, SavingKeepsOtherSectionsAndTheMp3Options) {
    Mp3Options mp3;
    mp3.bMP3EIAlbum = false;
    mp3.UserMP3ID3Format = "%1";
    ASSERT_TRUE(SaveMp3Options(mp3));
    ASSERT_TRUE(store_.save("Other", "db", ReadOptions()));
    const Mp3Options back = LoadMp3Options();
    EXPECT_FALSE(back.bMP3EIAlbum);
    EXPECT_EQ(back.UserMP3ID3Format, "%1");
    EXPECT_NE(testing::ReadFile(file()).find("[Default]"), std::string::npos);
}

TEST_F(ReadProfilesTest, UnwritableFileReportsFailure) {
    const ReadProfileStore store((config_.configDir() / "missing-folder" / "x.tkp").string());
    EXPECT_FALSE(store.save("A", "db", ReadOptions()));
}

// Processes that save profiles at the same moment (two read dialogs, the command-line tool
// beside the desktop program) merge their profiles instead of overwriting each other's.
TEST_F(ReadProfilesTest, ConcurrentSaversLoseNothing) {
    constexpr int kSavers = 100;
    std::vector<pid_t> savers;
    for (int i = 0; i < kSavers; ++i) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ReadOptions options;
            options.MaxCRC32Size = i;
            const std::string name = "Profile " + std::to_string(i);
            const bool saved = ReadProfileStore().save(name, "db" + std::to_string(i),
                                                           options) &&
                               (i % 10 != 0 || SaveMp3Options(Mp3Options{}, ""));
            _exit(saved ? 0 : 1);
        }
        savers.push_back(child);
    }
    for (pid_t child : savers) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const ReadProfileStore& store = store_;
    const std::vector<std::string> names = store.list();
    for (int i = 0; i < kSavers; ++i) {
        const std::string name = "Profile " + std::to_string(i);
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
        EXPECT_EQ(store.lastProfile("db" + std::to_string(i)), name);
        EXPECT_EQ(store.load(name, "").options.MaxCRC32Size, i);
    }
}

TEST(Mp3OptionsTest, DefaultsAndTheEffectiveFormat) {
    testing::ScopedConfigHome config;
    Mp3Options options = LoadMp3Options();
    EXPECT_TRUE(options.bMP3Description);
    EXPECT_FALSE(options.bUserMP3ID3Format);
    EXPECT_TRUE(options.bMP3EITitle && options.bMP3EIArtist && options.bMP3EIAlbum &&
                options.bMP3EIComment && options.bMP3EITrackNum);
    EXPECT_EQ(options.effectiveFormat(), "%2 - %1");
    options.bUserMP3ID3Format = true;
    EXPECT_EQ(options.effectiveFormat(), "%2 - %1");  // an empty user format is not used
    options.UserMP3ID3Format = "%5. %1";
    EXPECT_EQ(options.effectiveFormat(), "%5. %1");
}

TEST(Mp3OptionsTest, StoredInTheDefaultSection) {
    testing::ScopedConfigHome config;
    Mp3Options options;
    options.bMP3Description = false;
    ASSERT_TRUE(SaveMp3Options(options));
    const std::string text = testing::ReadFile(config.configDir() / "ReadDiskDlg.tkp");
    EXPECT_EQ(text.find("[Default]"), 0u);
    EXPECT_NE(text.find("bMP3Description=0"), std::string::npos);
    EXPECT_NE(text.find("UserMP3ID3Format="), std::string::npos);
}

// Deleting and renaming: the profile box's commands. The file's text is the truth: the
// section goes or changes its name, and the databases that used it follow.
TEST_F(ReadProfilesTest, DeleteAndRenameFollowTheLastProfileOfEachDatabase) {
    ReadOptions crc;
    crc.bCalcCRC32 = true;
    ASSERT_TRUE(store_.save("Photos", "Archive.tkd", crc));
    ASSERT_TRUE(store_.save("Music", "Songs.tkd", ReadOptions()));
    ASSERT_TRUE(store_.save("", "Other.tkd", ReadOptions()));

    EXPECT_TRUE(store_.rename("photos", "Pictures"));
    EXPECT_EQ(store_.list(), (std::vector<std::string>{"Music", "", "Pictures"}));
    EXPECT_EQ(store_.lastProfile("Archive.tkd"), "Pictures");
    EXPECT_TRUE(store_.load("", "Archive.tkd").options.bCalcCRC32);

    // Names that are taken, reserved or missing are refused and change nothing.
    EXPECT_FALSE(store_.rename("Pictures", "MUSIC"));
    EXPECT_FALSE(store_.rename("Pictures", "LastProfile"));
    EXPECT_FALSE(store_.rename("", "Renamed"));
    EXPECT_FALSE(store_.rename("Default", "Renamed"));
    EXPECT_FALSE(store_.rename("Nothing", "Renamed"));
    EXPECT_FALSE(store_.remove("Default"));
    EXPECT_FALSE(store_.remove("Nothing"));
    EXPECT_EQ(store_.list(), (std::vector<std::string>{"Music", "", "Pictures"}));

    // A change of letter case is a rename of its own.
    EXPECT_TRUE(store_.rename("Pictures", "PICTURES"));
    EXPECT_EQ(store_.lastProfile("Archive.tkd"), "PICTURES");

    EXPECT_TRUE(store_.remove("Pictures"));
    EXPECT_EQ(store_.list(), (std::vector<std::string>{"Music", ""}));
    EXPECT_EQ(store_.lastProfile("Archive.tkd"), "Default");
    EXPECT_FALSE(store_.load("", "Archive.tkd").options.bCalcCRC32);
    EXPECT_EQ(store_.lastProfile("Songs.tkd"), "Music");
}

}  // namespace
}  // namespace shelfmark
