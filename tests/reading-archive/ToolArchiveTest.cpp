// Archives made here by the real archivers (zip, arj, gcab, fastjar), listed by the walkers and
// checked against 7-Zip's listing of the same file and against the files that went in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <map>

#include "reading/archive/ArchiveReaders.h"
#include "tests/reading-archive/ArchiveBytes.h"
#include "tests/reading-archive/TruthListing.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

namespace fs = std::filesystem;

class ToolArchive : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        fs::create_directories(dir_ / "src" / "docs");
        WriteFile(dir_ / "src" / "readme.txt", "read me\n");
        WriteFile(dir_ / "src" / "docs" / "manual.txt", std::string(5000, 'm'));
        Run("head -c 150000 /dev/urandom > src/random.bin");
        Run("touch -d '2021-03-04 05:06:08' src/readme.txt src/docs src/docs/manual.txt "
            "src/random.bin");
    }
    void Run(const std::string& command) {
        const auto result =
            RunCommand("cd " + ShellQuote(dir_.path().string()) + " && " + command + " 2>&1");
        ASSERT_EQ(result.exitCode, 0) << command << "\n" << result.out;
    }
    // 7-Zip's listing of an archive, by path.
    std::map<std::string, TruthEntry> SevenZip(const fs::path& archive) {
        const auto out = RunCommand("7z l -slt -- " + ShellQuote(archive.string()));
        std::map<std::string, TruthEntry> entries;
        for (const TruthEntry& entry : Parse7zListing(out.out))
            entries[entry.path] = entry;
        return entries;
    }
    void ExpectSameAs7z(ArchiveKind kind, const fs::path& archive, uint64_t offset = 0) {
        const auto truth = SevenZip(archive);
        const auto ours = Collect(kind, archive, offset);
        EXPECT_EQ(ours.size(), truth.size());
        for (const ArchiveEntry& entry : ours) {
            const auto found = truth.find(Joined(entry));
            ASSERT_NE(found, truth.end()) << Joined(entry);
            EXPECT_EQ(entry.isDirectory, found->second.directory) << Joined(entry);
            if (!entry.isDirectory) {
                char crc[16];
                std::snprintf(crc, sizeof crc, "%08X", entry.crc32);
                EXPECT_EQ(entry.size, found->second.size) << Joined(entry);
                EXPECT_EQ(crc, found->second.crc) << Joined(entry);
            }
        }
    }
    TempDir dir_;
};

constexpr int64_t k20210304050608 = 1614834368;

TEST_F(ToolArchive, StreamedZipTakesSizesFromDataDescriptors) {
    SHELFMARK_REQUIRE_PROGRAM("zip");
    SHELFMARK_REQUIRE_PROGRAM("7z");
    Run("cd src && zip -q -r - readme.txt docs random.bin | cat > ../streamed.zip");
    const std::string bytes = ReadFile(dir_ / "streamed.zip");
    ASSERT_TRUE(static_cast<unsigned char>(bytes[6]) & 0x08) << "no data descriptor flag";
    ExpectSameAs7z(ArchiveKind::Zip, dir_ / "streamed.zip");
    EXPECT_EQ(Collect(ArchiveKind::Zip, dir_ / "streamed.zip")[0].date, k20210304050608);
}

// Debian's zip stores UTF-8 names without the UTF-8 flag and without the Unicode Path
// field; they must not turn into code page 437.
TEST_F(ToolArchive, UnflaggedUtf8NamesFromInfoZip) {
    SHELFMARK_REQUIRE_PROGRAM("zip");
    WriteFile(dir_ / "src" /
                  "Gr\xC3\xB6\xC3\x9F"
                  "e.txt",
              "size");
    Run("cd src && LC_ALL=C.UTF-8 zip -q ../names.zip 'Gr\xC3\xB6\xC3\x9F"
        "e.txt' readme.txt");
    const std::string bytes = ReadFile(dir_ / "names.zip");
    ASSERT_FALSE(static_cast<unsigned char>(bytes[7]) & 0x08) << "the UTF-8 flag is set";
    ASSERT_EQ(bytes.find("up"), std::string::npos) << "a Unicode Path field is there";
    const auto entries = Collect(ArchiveKind::Zip, dir_ / "names.zip");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(Joined(entries[0]),
              "Gr\xC3\xB6\xC3\x9F"
              "e.txt");
    EXPECT_EQ(Joined(entries[1]), "readme.txt");
}

// A ZIP after a program stub, as `cat stub archive.zip` makes it, its offsets left as they were:
// found through its end record, with descriptors with and without signature.
TEST_F(ToolArchive, ZipAfterAStubIsFoundThroughItsEndRecord) {
    SHELFMARK_REQUIRE_PROGRAM("zip");
    SHELFMARK_REQUIRE_PROGRAM("7z");
    Run("cd src && zip -q -r - readme.txt docs random.bin | cat > ../streamed.zip");
    Run("head -c 5000 /dev/urandom | tr -d 'P' > stub.bin && cat stub.bin streamed.zip > "
        "prefixed.zip");
    const auto ours = Collect(ArchiveKind::Zip, dir_ / "prefixed.zip");
    const auto plain = Collect(ArchiveKind::Zip, dir_ / "streamed.zip");
    ASSERT_EQ(plain.size(), 4u);
    ASSERT_EQ(ours.size(), plain.size());
    for (size_t i = 0; i < ours.size(); ++i) {
        EXPECT_EQ(Joined(ours[i]), Joined(plain[i]));
        EXPECT_EQ(ours[i].size, plain[i].size);
        EXPECT_EQ(ours[i].crc32, plain[i].crc32);
    }
}

TEST_F(ToolArchive, SplitZipSetIsReadFromItsLastPart) {
    SHELFMARK_REQUIRE_PROGRAM("zip");
    SHELFMARK_REQUIRE_PROGRAM("7z");
    Run("cd src && zip -q -0 -r -s 64k ../split.zip readme.txt docs random.bin");
    ASSERT_TRUE(fs::exists(dir_ / "split.z02"));
    ExpectSameAs7z(ArchiveKind::Zip, dir_ / "split.zip");
}

TEST_F(ToolArchive, MultiVolumeArjListsEachFileOnceWithItsWholeSize) {
    SHELFMARK_REQUIRE_PROGRAM("arj");
    Run("cd src && arj a -y -r -m0 -v50K ../set.arj readme.txt random.bin > /dev/null");
    ASSERT_TRUE(fs::exists(dir_ / "set.a01"));  // ARJ counts its volumes from ".a01"
    const auto entries = Collect(ArchiveKind::Arj, dir_ / "set.arj");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(Joined(entries[0]), "readme.txt");
    EXPECT_EQ(entries[0].size, 8u);
    EXPECT_EQ(Joined(entries[1]), "random.bin");
    EXPECT_EQ(entries[1].size, 150000u);
    EXPECT_FALSE(entries[1].hasCrc32);  // each volume holds only its part's CRC
    EXPECT_EQ(entries[1].date, k20210304050608);
}

TEST_F(ToolArchive, ArjWithPathsMatches7z) {
    SHELFMARK_REQUIRE_PROGRAM("arj");
    SHELFMARK_REQUIRE_PROGRAM("7z");
    Run("cd src && arj a -y -r ../paths.arj readme.txt docs > /dev/null");
    ExpectSameAs7z(ArchiveKind::Arj, dir_ / "paths.arj");
}

TEST_F(ToolArchive, CabinetWithPathsPutsEveryFileUnderTheArchive) {
    SHELFMARK_REQUIRE_PROGRAM("gcab");
    fs::create_directories(dir_ / "src" / "bin");
    fs::create_directories(dir_ / "src" / "lib");
    WriteFile(dir_ / "src" / "bin" / "a.dll", "bin");
    WriteFile(dir_ / "src" / "lib" / "a.dll", "library");
    Run("cd src && gcab -c ../paths.cab bin/a.dll lib/a.dll");
    const auto entries = Collect(ArchiveKind::Cab, dir_ / "paths.cab");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(Joined(entries[0]), "a.dll");
    EXPECT_EQ(entries[0].size, 3u);
    EXPECT_EQ(Joined(entries[1]), "a.dll");
    EXPECT_EQ(entries[1].size, 7u);
    EXPECT_FALSE(entries[0].hasCrc32);
}

TEST_F(ToolArchive, JarFromFastjarMatches7z) {
    SHELFMARK_REQUIRE_PROGRAM("fastjar");
    SHELFMARK_REQUIRE_PROGRAM("7z");
    Run("cd src && fastjar cf ../made.jar readme.txt docs");
    ExpectSameAs7z(ArchiveKind::Jar, dir_ / "made.jar");
}

TEST_F(ToolArchive, SelfExtractorMadeByPrependingAStub) {
    SHELFMARK_REQUIRE_PROGRAM("zip");
    SHELFMARK_REQUIRE_PROGRAM("7z");
    Run("cd src && zip -q -r ../payload.zip readme.txt docs");
    WriteFile(dir_ / "setup.exe", std::string(70000, '\x90') + ReadFile(dir_ / "payload.zip"));
    const auto found = SfxProbe((dir_ / "setup.exe").string(), kArchiveMaskAllKinds);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->first, ArchiveKind::Zip);
    EXPECT_EQ(found->second, 70000u);
    const auto inside = Collect(ArchiveKind::Zip, dir_ / "setup.exe", found->second);
    EXPECT_EQ(inside.size(), Collect(ArchiveKind::Zip, dir_ / "payload.zip").size());
    EXPECT_FALSE(SfxProbe((dir_ / "setup.exe").string(), MaskBit(ArchiveKind::Rar)));
}

TEST_F(ToolArchive, LsArchivePrintsTheEntriesAndFailsForPlainFiles) {
    SHELFMARK_REQUIRE_PROGRAM("zip");
    // The test runs from BUILD/tests/reading-archive; the tool is BUILD/cli/shelfmark-cli.
    const fs::path cli =
        fs::read_symlink("/proc/self/exe").parent_path().parent_path().parent_path() / "cli" /
        "shelfmark-cli";
    if (!fs::exists(cli))
        GTEST_SKIP() << "shelfmark-cli is not built";
    Run("cd src && zip -q -r ../l.zip readme.txt docs && echo plain > ../plain.zip");
    const std::string base = "TZ=UTC " + ShellQuote(cli.string()) + " ls-archive ";
    const auto listed = RunCommand(base + ShellQuote((dir_ / "l.zip").string()) + " --crc32");
    EXPECT_EQ(listed.exitCode, 0);
    // CRCs from zlib.crc32 of the two contents.
    EXPECT_EQ(listed.out,
              "f\t8\t2021-03-04 05:06:08\tE5A1A605\treadme.txt\n"
              "d\t0\t2021-03-04 05:06:08\t00000000\tdocs\n"
              "f\t5000\t2021-03-04 05:06:08\t50F2159D\tdocs/manual.txt\n");
    EXPECT_EQ(
        RunCommand(base + ShellQuote((dir_ / "plain.zip").string()) + " 2>/dev/null").exitCode, 1);
    EXPECT_EQ(RunCommand(base + "--kind tar x 2>/dev/null").exitCode, 2);
}

}  // namespace
}  // namespace shelfmark::testing
