#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "foundation/ScriptedPrompter.h"
#include "reading/audio/AudioDisc.h"
#include "reading/audio/AudioDriveDetails.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::TempDir;
using testing::WriteFile;

constexpr const char* kBusyText =
    "Cannot access the CD-ROM drive. It is probably in use by another application.\n\n"
    "Close all multimedia applications and click Retry, or click on Cancel to read the CD "
    "without CDDB information.";

std::string Sample(const char* name) {
    return (testing::SourceDir() / "samples/cdrom" / name).string();
}

constexpr const char* kOneTrackDisc = "[Disc]\nLeadOut=05:00:00\n[Tracks]\n1=audio 00:02:00\n";

class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            saved_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (saved_)
            ::setenv(name_, saved_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(AudioDrive, SimulatedDriveFromTheEnvironment) {
    {
        const ScopedEnvironment unset(kCdromSimulationVariable, "");
        EXPECT_FALSE(SimulatedDriveFromEnvironment());
    }
    const ScopedEnvironment set(kCdromSimulationVariable, Sample("audio-cd.ini"));
    const std::optional<CdDrive> drive = SimulatedDriveFromEnvironment();
    ASSERT_TRUE(drive);
    EXPECT_TRUE(drive->isSimulated());
    const std::optional<AudioDisc> disc = ReadAudioDisc(*drive);
    ASSERT_TRUE(disc);
    EXPECT_EQ(disc->trackCount(), 5);
    EXPECT_TRUE(disc->hasAudio());
    EXPECT_EQ(disc->tracks[1].start, (Msf{4, 35, 12}));
    EXPECT_EQ(disc->tracks[1].length, (Msf{3, 35, 28}));
    EXPECT_EQ(disc->lengthSeconds(), 1306u);
    EXPECT_FALSE(disc->cdText.empty());
    ASSERT_TRUE(disc->simulated);
    EXPECT_TRUE(disc->simulated->dataDirectory.empty());
    EXPECT_FALSE(HasDataFiles(*disc, disc->simulated->dataDirectory));
    EXPECT_TRUE(EjectDisc(*drive));
}

TEST(AudioDrive, MixedModeSampleHasDataFiles) {
    const std::optional<AudioDisc> disc = ReadAudioDisc({{}, Sample("mixed-cd.ini")});
    ASSERT_TRUE(disc);
    ASSERT_TRUE(disc->simulated);
    EXPECT_EQ(disc->simulated->label, "TIDEWATER_EXTRA");
    EXPECT_EQ(disc->simulated->serial, 0x3C1F09A2u);
    EXPECT_TRUE(HasDataFiles(*disc, disc->simulated->dataDirectory));
    EXPECT_FALSE(disc->tracks[4].isAudio());
    EXPECT_EQ(disc->tocRecordValues().size(), 7u);
}

TEST(AudioDrive, NoDeviceGivesNothing) {
    ScriptedPrompter prompter;
    EXPECT_FALSE(ReadAudioDisc({"/dev/no-such-cdrom", {}}));
    EXPECT_FALSE(ReadAudioDisc({"/dev/null", {}}));
    EXPECT_FALSE(ReadAudioDiscForToc({"/dev/no-such-cdrom", {}}, prompter));
    EXPECT_FALSE(ReadAudioDisc({{}, "/no/such/simulation.ini"}));
    EXPECT_FALSE(EjectDisc({"/dev/no-such-cdrom", {}}));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(AudioDrive, BusyDriveAsksRetryOrCancel) {
    TempDir dir;
    const std::string path = (dir / "busy.ini").string();
    WriteFile(path, std::string("[Disc]\nBusy=1\n") + (kOneTrackDisc + 7));
    ScriptedPrompter prompter;
    prompter.queueAnswer(PromptAnswer::Retry);
    prompter.queueAnswer(PromptAnswer::Cancel);
    EXPECT_FALSE(ReadAudioDiscForToc({{}, path}, prompter));
    ASSERT_EQ(prompter.shown().size(), 2u);
    EXPECT_EQ(prompter.shown()[0].message.text, kBusyText);
    EXPECT_EQ(prompter.shown()[0].message.buttons, PromptButtons::RetryCancel);
    // The silent read never asks.
    EXPECT_FALSE(ReadAudioDisc({{}, path}));
    EXPECT_EQ(prompter.shown().size(), 2u);
}

// Frees the drive while the question is up, as the user closing the other program would.
class FreeingPrompter : public ScriptedPrompter {
  public:
    explicit FreeingPrompter(std::string path) : path_(std::move(path)) {}
    PromptAnswer show(const PromptMessage& message) override {
        WriteFile(path_, kOneTrackDisc);
        return ScriptedPrompter::show(message);
    }

  private:
    std::string path_;
};

TEST(AudioDrive, RetryAfterTheDriveIsFreedReadsTheDisc) {
    TempDir dir;
    const std::string path = (dir / "busy.ini").string();
    WriteFile(path, std::string("[Disc]\nBusy=1\n") + (kOneTrackDisc + 7));
    FreeingPrompter prompter(path);
    prompter.queueAnswer(PromptAnswer::Retry);
    const std::optional<AudioDisc> disc = ReadAudioDiscForToc({{}, path}, prompter);
    ASSERT_TRUE(disc);
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(disc->tocRecordValues(), (std::vector<uint32_t>{8, 150, 22500}));
}

TEST(AudioDrive, DataOnlyDiscGivesNoRecordAndNoQuestion) {
    TempDir dir;
    const std::string path = (dir / "data.ini").string();
    WriteFile(path, "[Disc]\nLeadOut=60:00:00\n[Tracks]\n1=data 00:02:00\n");
    ScriptedPrompter prompter;
    EXPECT_FALSE(ReadAudioDiscForToc({{}, path}, prompter));
    EXPECT_TRUE(prompter.shown().empty());
    const std::optional<AudioDisc> disc = ReadAudioDisc({{}, path});
    ASSERT_TRUE(disc);
    EXPECT_FALSE(disc->hasAudio());
}

TEST(AudioDrive, DataFilesAreEntriesOtherThanCdaFiles) {
    TempDir dir;
    AudioDisc disc;
    disc.tracks = {{1, TrackType::Audio, {0, 2, 0}, {}}};
    disc.leadOut = {5, 0, 0};
    const std::filesystem::path root = dir / "root";
    std::filesystem::create_directory(root);
    EXPECT_FALSE(HasDataFiles(disc, root.string()));
    WriteFile(root / "Track01.cda", std::string(44, '\0'));
    WriteFile(root / "TRACK02.CDA", std::string(44, '\0'));
    EXPECT_FALSE(HasDataFiles(disc, root.string()));
    EXPECT_FALSE(HasDataFiles(disc, (dir / "missing").string()));
    EXPECT_FALSE(HasDataFiles(disc, ""));

    WriteFile(root / "README", "no extension");
    EXPECT_TRUE(HasDataFiles(disc, root.string()));
    std::filesystem::remove(root / "README");
    std::filesystem::create_directory(root / "extra.cda");  // a directory counts whatever its name
    EXPECT_TRUE(HasDataFiles(disc, root.string()));
    std::filesystem::remove(root / "extra.cda");
    WriteFile(root / "notes.txt", "text");
    EXPECT_TRUE(HasDataFiles(disc, root.string()));

    disc.tracks[0].type = TrackType::Data;  // data files need audio tracks beside them
    EXPECT_FALSE(HasDataFiles(disc, root.string()));
}

}  // namespace
}  // namespace shelfmark
