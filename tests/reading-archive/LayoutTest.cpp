// Archives laid out by hand: the edge cases of each format's walk and damaged headers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "reading/archive/ArchiveReaders.h"
#include "tests/reading-archive/ArchiveBytes.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

class Layout : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
    std::filesystem::path write(const std::string& name, const std::string& bytes) {
        const auto path = dir_ / name;
        WriteFile(path, bytes);
        return path;
    }
    TempDir dir_;
};

constexpr int64_t k20200102030306 = 1577934186;  // the builders' default MS-DOS time, UTC

TEST_F(Layout, RarLargeSizesAreStoredWhole) {
    RarFile big{"big.bin", "", 0x0100};
    big.unpackedSize = 5;
    big.highUnpacked = 2;
    const auto path =
        write("a.rar", RarMarker() + RarMainHeader(0) + RarFileHeader(big) + RarEnd());
    const auto entries = Collect(ArchiveKind::Rar, path);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].size, (uint64_t{2} << 32) + 5);
    EXPECT_EQ(entries[0].date, k20200102030306);
}

TEST_F(Layout, RarFileSplitOverTwoVolumesIsListedOnceWithTheLastPartsCrc) {
    RarFile first{"dir\\whole.txt", "abc", 0x0002};
    first.unpackedSize = 6;
    first.crc = 0x0BADF00D;  // the first part's CRC only
    RarFile rest{"dir\\whole.txt", "def", 0x0001};
    rest.unpackedSize = 6;
    rest.crc = 0xCAFEBABE;
    write("set.rar", RarMarker() + RarMainHeader(0x0001) + RarFileHeader(first) + RarEnd());
    write("set.r00", RarMarker() + RarMainHeader(0x0001) + RarFileHeader(rest) +
                         RarFileHeader({"later.txt", "xyz"}) + RarEnd());
    const auto entries = Collect(ArchiveKind::Rar, dir_ / "set.rar");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(Joined(entries[0]), "dir/whole.txt");
    EXPECT_EQ(entries[0].size, 6u);
    EXPECT_EQ(entries[0].crc32, 0xCAFEBABEu);
    EXPECT_EQ(Joined(entries[1]), "later.txt");
}

TEST_F(Layout, RarNewVolumeNamesWithAnyNumberOfDigits) {
    for (const char* stem : {"p.part1", "q.part009"}) {
        const std::string second = std::string(stem).back() == '1' ? "p.part2" : "q.part010";
        write(std::string(stem) + ".rar",
              RarMarker() + RarMainHeader(0x0001) + RarFileHeader({"one", "1"}) + RarEnd());
        write(second + ".rar",
              RarMarker() + RarMainHeader(0x0001) + RarFileHeader({"two", "2"}) + RarEnd());
        EXPECT_EQ(Collect(ArchiveKind::Rar, dir_ / (std::string(stem) + ".rar")).size(), 2u)
            << stem;
    }
}

TEST_F(Layout, RarWithoutVolumeFlagDoesNotReadANeighbour) {
    write("solo.rar", RarMarker() + RarMainHeader(0) + RarFileHeader({"one", "1"}) + RarEnd());
    write("solo.r00", RarMarker() + RarMainHeader(0) + RarFileHeader({"two", "2"}) + RarEnd());
    EXPECT_EQ(Collect(ArchiveKind::Rar, dir_ / "solo.rar").size(), 1u);
}

TEST_F(Layout, RarUnicodeNameAndUnixAttributes) {
    // "x\u0416y.txt": ANSI name, zero, high byte 0x04, one flag byte with the operations 0, 1,
    // 0, 3: 'x', 0x16 (with the high byte), 'y', then 2 + 2 characters copied from the ANSI name.
    std::string field = std::string("x?y.txt") + '\0';
    field += "\x04\x13x\x16y\x02";
    RarFile unicode{field, "u", 0x0200};
    RarFile unixFile{"group-writable", "g"};
    unixFile.hostOs = 3;
    unixFile.attributes = 0100664;  // has the bit that DOS calls "directory"
    RarFile unixDirectory{"made-on-unix", "", 0x00E0};
    unixDirectory.hostOs = 3;
    unixDirectory.attributes = 040755;
    const auto path = write("u.rar", RarMarker() + RarMainHeader(0) + RarFileHeader(unicode) +
                                         RarFileHeader(unixFile) + RarFileHeader(unixDirectory));
    const auto entries = Collect(ArchiveKind::Rar, path);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(Joined(entries[0]), "x\xD0\x96y.txt");
    EXPECT_FALSE(entries[1].isDirectory);
    EXPECT_TRUE(entries[2].isDirectory);
}

TEST_F(Layout, LongNamesAreBoundedAndTheNextHeaderIsStillFound) {
    const std::string longName(3000, 'n');
    const auto rar =
        write("long.rar", RarMarker() + RarMainHeader(0) + RarFileHeader({longName, "1"}) +
                              RarFileHeader({"next", "2"}));
    auto entries = Collect(ArchiveKind::Rar, rar);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].components[0].size(), 1024u);
    EXPECT_EQ(Joined(entries[1]), "next");

    const auto ace = write("long.ace", AceMainHeader(0) + AceFileHeader({longName, "1"}) +
                                           AceFileHeader({"next", "2"}));
    entries = Collect(ArchiveKind::Ace, ace);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].components[0].size(), 1024u);
    EXPECT_EQ(Joined(entries[1]), "next");
}

TEST_F(Layout, HeaderSmallerThanItsFixedPartEndsTheArchive) {
    std::string shortRar = RarFileHeader({"bad", "x"});
    shortRar[5] = 20;  // HEAD_SIZE below the 32 bytes of a file header
    EXPECT_TRUE(
        Collect(ArchiveKind::Rar, write("s.rar", RarMarker() + RarFileHeader({"good", "1"}) +
                                                     shortRar + RarFileHeader({"after", "2"})))
            .size() == 1);
    std::string shortAce = AceFileHeader({"bad", "x"});
    shortAce[2] = 10;
    shortAce[3] = 0;
    EXPECT_EQ(Collect(ArchiveKind::Ace,
                      write("s.ace", AceMainHeader(0) + AceFileHeader({"good", "1"}) + shortAce))
                  .size(),
              1u);
}

TEST_F(Layout, UnconvertibleDatesStopZipButNotTheOthers) {
    ZipLocal good{"good.txt", "1"};
    ZipLocal monthZero{"month0.txt", "2"};
    monthZero.dosDate = 0x5002;  // month 0
    ZipLocal after{"after.txt", "3"};
    auto entries = Collect(
        ArchiveKind::Zip,
        write("d.zip", ZipLocalHeader(good) + ZipLocalHeader(monthZero) + ZipLocalHeader(after)));
    ASSERT_EQ(entries.size(), 1u);

    RarFile minutes60{"m.txt", "1"};
    minutes60.dosTime = 0x50221F83;  // minutes 60
    entries = Collect(ArchiveKind::Rar, write("d.rar", RarMarker() + RarFileHeader(minutes60) +
                                                           RarFileHeader({"after", "2"})));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].date, 0);
    AceFile dayZero{"d.txt", "1"};
    dayZero.dosTime = 0x50201863;
    entries = Collect(ArchiveKind::Ace, write("d.ace", AceMainHeader(0) + AceFileHeader(dayZero) +
                                                           AceFileHeader({"after", "2"})));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].date, 0);
}

TEST_F(Layout, ZipNamesUtf8WithFlag0800AndCp437Without) {
    ZipLocal flagged{"\xC3\xA9t\xC3\xA9.txt", "1", 0x0800};
    ZipLocal oem{"\x82t\x82.txt", "2"};
    ZipLocal method12{"bzip2.txt", "3", 0, 12};
    const auto entries =
        Collect(ArchiveKind::Zip,
                write("n.zip", ZipLocalHeader(flagged) + ZipLocalHeader(oem) +
                                   ZipLocalHeader(method12) + ZipLocalHeader({"never.txt", "4"})));
    ASSERT_EQ(entries.size(), 2u);  // method 12 ends the walk, the entries before it stay
    EXPECT_EQ(Joined(entries[0]), "\xC3\xA9t\xC3\xA9.txt");
    EXPECT_EQ(Joined(entries[1]), "\xC3\xA9t\xC3\xA9.txt");  // CP437 0x82 is U+00E9
}

TEST_F(Layout, NotAnArchiveAndRar5StayPlainFiles) {
    EXPECT_TRUE(Collect(ArchiveKind::Zip, write("x.zip", "this is not a zip file")).empty());
    const std::string rar5 = std::string("Rar!\x1A\x07\x01\x00", 8) + std::string(64, '\x01');
    EXPECT_TRUE(Collect(ArchiveKind::Rar, write("five.rar", rar5)).empty());
    EXPECT_FALSE(SfxProbe(write("five.exe", std::string(5000, 'M') + rar5).string(), 0xFF));
}

TEST_F(Layout, SfxProbeFindsRarAt70000ButNotAt140000) {
    const std::string rar = RarMarker() + RarMainHeader(0) + RarFileHeader({"in.txt", "1"});
    const auto near = write("near.exe", std::string(70000, 'S') + rar);
    const auto found = SfxProbe(near.string(), kArchiveMaskAllKinds);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->first, ArchiveKind::Rar);
    EXPECT_EQ(found->second, 70000u);
    EXPECT_EQ(Collect(ArchiveKind::Rar, near, found->second).size(), 1u);
    EXPECT_FALSE(SfxProbe(write("far.exe", std::string(140000, 'S') + rar).string(), 0xFF));
    // Only the kinds in the mask are searched; ACE's offset is that of its main header.
    EXPECT_FALSE(SfxProbe(near.string(), MaskBit(ArchiveKind::Zip)));
    const auto ace = write("ace.exe", std::string(100, 'S') + AceMainHeader(0));
    EXPECT_EQ(SfxProbe(ace.string(), 0xFF)->second, 100u);
}

TEST_F(Layout, CabinetNamesAreUtf8EvenWhenWronglyMarkedSo) {
    std::string cab("MSCF", 4);
    PutLe32(cab, 0);
    PutLe32(cab, 0);
    PutLe32(cab, 0);
    PutLe32(cab, 36);  // the file table right after the header
    PutLe32(cab, 0);
    PutLe16(cab, 0x0103);
    PutLe16(cab, 0);
    PutLe16(cab, 2);  // two files
    PutLe16(cab, 0);
    PutLe32(cab, 0);
    for (const std::string name : {"dir\\caf\xE9.txt", "\xC3\xA9t\xC3\xA9"}) {
        PutLe32(cab, 9);
        PutLe32(cab, 0);
        PutLe16(cab, 0);
        PutLe16(cab, 0x5022);
        PutLe16(cab, 0x1863);
        PutLe16(cab, 0x80);  // "name is UTF-8", true only for the second
        cab += name + '\0';
    }
    const auto entries = Collect(ArchiveKind::Cab, write("n.cab", cab));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(Joined(entries[0]), "caf\xC3\xA9.txt");  // Windows-1252, folder dropped
    EXPECT_EQ(Joined(entries[1]), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(entries[0].date, k20200102030306);
    EXPECT_EQ(entries[0].size, 9u);
}

TEST_F(Layout, EveryTruncationEndsQuietly) {
    const std::string rar = RarMarker() + RarMainHeader(0) + RarFileHeader({"a\\b", "12345"}) +
                            RarFileHeader({"c", "6"}) + RarEnd();
    const std::string ace =
        AceMainHeader(0) + AceFileHeader({"a\\b", "12345"}) + AceFileHeader({"c", "6"});
    const std::string zip = ZipLocalHeader({"a/b", "12345"}) + ZipLocalHeader({"c", "6"});
    for (const auto& [kind, bytes] :
         {std::pair{ArchiveKind::Rar, rar}, std::pair{ArchiveKind::Ace, ace},
          std::pair{ArchiveKind::Zip, zip}}) {
        size_t previous = 0;
        for (size_t length = 0; length <= bytes.size(); ++length) {
            const size_t count = Collect(kind, write("t.bin", bytes.substr(0, length))).size();
            EXPECT_GE(count, previous) << length;  // a longer prefix never loses entries
            EXPECT_LE(count, 2u);
            previous = count;
        }
        EXPECT_EQ(previous, 2u);
    }
}

}  // namespace
}  // namespace shelfmark::testing
