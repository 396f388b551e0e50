// Code page tables, MS-DOS times and volume names, checked against Python's codecs, the
// date tool and files on disk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "reading/archive/DosTime.h"
#include "reading/archive/NameText.h"
#include "reading/archive/VolumeNames.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {
namespace {

std::string AllHighBytes() {
    std::string bytes;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        bytes.push_back(static_cast<char>(byte));
    return bytes;
}

TEST(NameText, Cp437MatchesPythonsCodec) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    const auto python = RunCommand(
        "python3 -c \"import sys; sys.stdout.buffer.write(bytes(range(128,256)).decode('cp437')"
        ".encode('utf-8'))\"");
    ASSERT_EQ(python.exitCode, 0);
    std::string ours;
    archive::AppendCp437AsUtf8(ours, AllHighBytes());
    EXPECT_EQ(ours, python.out);
}

TEST(NameText, Windows1252MatchesPythonsCodecWhereItIsDefined) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    const auto python = RunCommand(
        "python3 -c \"import sys; sys.stdout.buffer.write(bytes(range(128,256)).decode('cp1252',"
        "'replace').encode('utf-8'))\"");
    ASSERT_EQ(python.exitCode, 0);
    std::string ours;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        // The five unassigned bytes: Python gives U+FFFD, Windows (and we) the C1 control.
        if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D)
            ours += "\xEF\xBF\xBD";
        else
            archive::AppendWindows1252AsUtf8(ours, std::string(1, static_cast<char>(byte)));
    }
    EXPECT_EQ(ours, python.out);
}

// Names without a mark of their encoding: UTF-8 with a multi-byte sequence is kept, everything
// else is code page 437. Bytes written out by hand.
TEST(NameText, UnmarkedNamesThatAreUtf8StayUtf8) {
    auto oem = [](std::string_view name) {
        std::string out;
        archive::AppendOemNameAsUtf8(out, name);
        return out;
    };
    EXPECT_EQ(oem("Gr\xC3\xB6\xC3\x9F"
                  "e.txt"),
              "Gr\xC3\xB6\xC3\x9F"
              "e.txt");
    EXPECT_EQ(oem("\xE4\xB8\x96\xE7\x95\x8C"), "\xE4\xB8\x96\xE7\x95\x8C");  // 世界
    EXPECT_EQ(oem("plain.txt"), "plain.txt");
    // "Größe" in code page 437 (0x94 ö, 0xE1 ß) is no UTF-8: the code page decides.
    EXPECT_EQ(oem("Gr\x94\xE1"
                  "e"),
              "Gr\xC3\xB6\xC3\x9F"
              "e");
    // A lead byte with a broken sequence after it stays code page 437 as a whole.
    EXPECT_EQ(oem("\xC3\x28"), "\xE2\x94\x9C(");
    // What the rule gives up: code page 437 text that happens to be UTF-8, such as "é" (C3 A9)
    // read as box drawing and a sign.
    std::string ours;
    archive::AppendCp437AsUtf8(ours, "\xC3\xA9");
    EXPECT_EQ(ours, "\xE2\x94\x9C\xE2\x8C\x90");  // "├⌐": not a name anyone writes
}

TEST(NameText, SplitPathDropsEmptyComponents) {
    std::vector<std::string> parts;
    EXPECT_TRUE(archive::SplitPath("/a//b/", '/', parts));
    EXPECT_EQ(parts, (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(archive::SplitPath("a\\b", '/', parts));
    EXPECT_EQ(parts, (std::vector<std::string>{"a\\b"}));
}

// The local time of an MS-DOS date, as the date tool reads it in the same zone.
int64_t DateToolSeconds(const char* zone, const char* local) {
    const auto out = RunCommand(std::string("TZ=") + zone + " date +%s -d '" + local + "'");
    return std::stoll(out.out);
}

TEST(DosTime, LocalTimeWithDaylightSavingDecidedByTheSystem) {
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    // 2021-07-15 12:30:40 (summer time) and 2021-01-15 12:30:40 (winter time).
    const uint16_t time = (12 << 11) | (30 << 5) | 20;
    EXPECT_EQ(archive::DosDateTimeToUnix(((2021 - 1980) << 9) | (7 << 5) | 15, time),
              DateToolSeconds("Europe/Berlin", "2021-07-15 12:30:40"));
    EXPECT_EQ(archive::DosDateTimeToUnix(((2021 - 1980) << 9) | (1 << 5) | 15, time),
              DateToolSeconds("Europe/Berlin", "2021-01-15 12:30:40"));
    setenv("TZ", "UTC", 1);
    tzset();
}

TEST(DosTime, FieldsThatNameNoMomentDoNotConvert) {
    const uint16_t date = (40 << 9) | (2 << 5) | 29;  // 2020-02-29 exists
    EXPECT_TRUE(archive::DosDateTimeToUnix(date, 0));
    EXPECT_FALSE(archive::DosDateTimeToUnix((41 << 9) | (2 << 5) | 29, 0));  // 2021-02-29
    EXPECT_FALSE(archive::DosDateTimeToUnix((40 << 9) | (0 << 5) | 1, 0));   // month 0
    EXPECT_FALSE(archive::DosDateTimeToUnix((40 << 9) | (13 << 5) | 1, 0));  // month 13
    EXPECT_FALSE(archive::DosDateTimeToUnix((40 << 9) | (1 << 5) | 0, 0));   // day 0
    EXPECT_FALSE(archive::DosDateTimeToUnix(date, 24 << 11));                // hour 24
    EXPECT_FALSE(archive::DosDateTimeToUnix(date, 60 << 5));                 // minute 60
    EXPECT_FALSE(archive::DosDateTimeToUnix(date, 30));                      // second 60
}

TEST(VolumeNames, ClassicNamesFirstThenTheArchiversOwn) {
    TempDir dir;
    const auto touch = [&](const char* name) { WriteFile(dir / name, "v"); };
    for (const char* name : {"a.arj", "a.a01", "a.a02", "b.zip", "b.z01", "c.rar", "c.r00",
                             "c.part2.rar", "d.part1.rar", "d.part2.rar", "e.ace", "e.c00"})
        touch(name);
    const auto sequence = [&](ArchiveKind kind, const char* first, const std::string& last = {}) {
        archive::VolumeNames names(kind, (dir / first).string(), last);
        std::vector<std::string> seen;
        while (const auto next = names.next())
            seen.push_back(std::filesystem::path(*next).filename().string());
        return seen;
    };
    using Names = std::vector<std::string>;
    EXPECT_EQ(sequence(ArchiveKind::Arj, "a.arj"), (Names{"a.a01", "a.a02"}));
    EXPECT_EQ(sequence(ArchiveKind::Zip, "b.zip"), (Names{"b.z01"}));
    EXPECT_EQ(sequence(ArchiveKind::Rar, "c.rar"), (Names{"c.r00"}));  // not c.part2.rar
    EXPECT_EQ(sequence(ArchiveKind::Rar, "d.part1.rar"), (Names{"d.part2.rar"}));
    EXPECT_EQ(sequence(ArchiveKind::Ace, "e.ace"), (Names{"e.c00"}));
    EXPECT_EQ(sequence(ArchiveKind::Zip, "b.z01", (dir / "b.zip").string()), (Names{"b.zip"}));
}

}  // namespace
}  // namespace shelfmark::testing
