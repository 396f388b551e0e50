#include "foundation/ProfileFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

ProfileFile FromText(std::string_view text) {
    ProfileFile file;
    file.loadFromText(text);
    return file;
}

TEST(ProfileFile, KeysBeforeTheFirstHeaderAreDropped) {
    const ProfileFile file = FromText("Orphan=1\r\n[Main]\r\nKey=Value\r\n");
    ASSERT_EQ(file.sections().size(), 1u);
    EXPECT_EQ(file.sections()[0].name, "Main");
    EXPECT_EQ(file.getString("Main", "Key"), "Value");
    EXPECT_EQ(file.getString("", "Orphan", "none"), "none");
}

TEST(ProfileFile, KeyLineShapes) {
    const ProfileFile file = FromText("[S]\nEmpty=\nBare line\nTwo=a=b\n;comment\n=novalue\n");
    const std::string* empty = file.find("S", "Empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(*empty, "");
    ASSERT_NE(file.find("S", "Bare line"), nullptr);
    EXPECT_EQ(file.getString("S", "Bare line", "x"), "");
    EXPECT_EQ(file.getString("S", "Two"), "a=b");
    // No comment syntax: the line is a key.
    EXPECT_NE(file.find("S", ";comment"), nullptr);
    EXPECT_EQ(file.getString("S", ""), "novalue");
}

TEST(ProfileFile, BlanksStayPartOfKeysAndValues) {
    const ProfileFile file = FromText("[S]\nKey = value \n [T] \n");
    EXPECT_EQ(file.find("S", "Key"), nullptr);
    EXPECT_EQ(file.getString("S", "Key "), " value ");
    // " [T] " does not start with "[": it is a key line.
    EXPECT_EQ(file.sections().size(), 1u);
    EXPECT_NE(file.find("S", " [T] "), nullptr);
}

TEST(ProfileFile, EmptyHeaderDropsTheKeysAfterIt) {
    const ProfileFile file = FromText("[A]\na=1\n[]\nlost=1\n[B]\nb=2\n[\n");
    ASSERT_EQ(file.sections().size(), 2u);
    EXPECT_EQ(file.sections()[0].name, "A");
    EXPECT_EQ(file.sections()[1].name, "B");
    // A lone "[" is a key of B.
    EXPECT_NE(file.find("B", "["), nullptr);
    EXPECT_EQ(file.sectionNames(), std::string("A\0B\0\0", 5));
}

TEST(ProfileFile, HeaderNameIsBetweenFirstAndLastCharacter) {
    const ProfileFile file = FromText("[[x]]\nk=v\n[a]b]\nk=w\n");
    EXPECT_EQ(file.getString("[x]", "k"), "v");
    EXPECT_EQ(file.getString("a]b", "k"), "w");
}

TEST(ProfileFile, CrLfAndLfLinesReadTheSame) {
    const ProfileFile crlf = FromText("[S]\r\nA=1\r\n\r\nB=2\r\r\n");
    const ProfileFile lf = FromText("[S]\nA=1\n\nB=2\n");
    EXPECT_EQ(crlf.toText(), lf.toText());
    EXPECT_EQ(crlf.getString("S", "B"), "2");
    // A CR inside a line is kept.
    EXPECT_EQ(FromText("[S]\nA=x\ry\n").getString("S", "A"), "x\ry");
    // The last line needs no line end.
    EXPECT_EQ(FromText("[S]\nA=1").getString("S", "A"), "1");
}

TEST(ProfileFile, DuplicateSectionsAndKeysStayAndTheFirstIsUsed) {
    ProfileFile file = FromText("[S]\nk=1\nk=2\n[s]\nk=3\nj=4\n");
    EXPECT_EQ(file.getString("S", "K"), "1");
    EXPECT_EQ(file.getString("S", "j", "absent"), "absent");
    file.setString("s", "k", "changed");
    file.setString("S", "new", "x");
    EXPECT_EQ(file.toText(), "[S]\r\nk=changed\r\nk=2\r\nnew=x\r\n\r\n[s]\r\nk=3\r\nj=4\r\n\r\n");
    EXPECT_TRUE(file.deleteKey("S", "k"));
    EXPECT_EQ(file.getString("S", "k"), "2");
    EXPECT_TRUE(file.deleteSection("S"));
    EXPECT_EQ(file.getString("S", "k"), "3");
    EXPECT_FALSE(file.deleteKey("Nothing", "k"));
    EXPECT_FALSE(file.deleteKey("S", "nothing"));
}

TEST(ProfileFile, MatchingIgnoresCaseBeyondAscii) {
    const ProfileFile file = FromText("[Größe]\nÄrger=1\n");
    EXPECT_EQ(file.getString("GRÖSSE", "ärger", "no"),
              "no");  // ß has no simple upper-case pair with SS
    EXPECT_EQ(file.getString("GRÖßE", "äRGER"), "1");
}

TEST(ProfileFile, GetIntFollowsAtoi) {
    const ProfileFile file =
        FromText("[N]\na=42\nb=-17\nc=+8\nd= 12abc\ne=abc\nf=\ng=4294967297\nh=--1\ni=0x1F\n");
    EXPECT_EQ(file.getInt("N", "a", 0), 42);
    EXPECT_EQ(file.getInt("N", "b", 0), -17);
    EXPECT_EQ(file.getInt("N", "c", 0), 8);
    EXPECT_EQ(file.getInt("N", "d", 0), 12);
    EXPECT_EQ(file.getInt("N", "e", 5), 0);
    EXPECT_EQ(file.getInt("N", "f", 5), 5);  // empty value: the default
    EXPECT_EQ(file.getInt("N", "missing", 7), 7);
    EXPECT_EQ(file.getInt("N", "g", 0), 1);  // wraps as 32 bits
    EXPECT_EQ(file.getInt("N", "h", 9), 0);
    EXPECT_EQ(file.getInt("N", "i", 9), 0);
    EXPECT_EQ(ParseLeadingInt("\t\n 5"), 5);
}

TEST(ProfileFile, ParseLeadingIntAgreesWithAtoi) {
    const char* samples[] = {"0",           "7",    "-7",  "+7",   "  42", "\t\n-3x",
                             "12 34",       "x1",   "-",   "+",    "",     "2147483647",
                             "-2147483648", "0009", "1e5", "- 5",  "\v9",  "\f8",
                             "3.9",         "-0",   "+-1", "99abc"};
    for (const char* sample : samples)
        EXPECT_EQ(ParseLeadingInt(sample), std::atoi(sample)) << '"' << sample << '"';
}

TEST(ProfileFile, SetIntWritesDecimal) {
    ProfileFile file;
    file.setInt("N", "a", -2147483647 - 1);
    file.setInt("N", "b", 0);
    EXPECT_EQ(file.getString("N", "a"), "-2147483648");
    EXPECT_EQ(file.getInt("N", "a", 0), -2147483647 - 1);
    EXPECT_EQ(file.getString("N", "b"), "0");
}

TEST(ProfileFile, BytesRoundTrip) {
    ProfileFile file;
    const uint8_t bytes[] = {0x01, 0xAB};
    file.setBytes("B", "k", bytes, 2);
    EXPECT_EQ(file.getString("B", "k"), "01 AB ");
    EXPECT_EQ(file.getBytes("B", "k"), (std::vector<uint8_t>{0x01, 0xAB}));
    file.setBytes("B", "empty", bytes, 0);
    EXPECT_EQ(file.getString("B", "empty", "x"), "");
    EXPECT_EQ(file.getBytes("B", "empty"), std::vector<uint8_t>{});
    EXPECT_FALSE(file.getBytes("B", "missing").has_value());
}

TEST(ProfileFile, BytesDecodingStopsAtTheFirstBadGroup) {
    const ProfileFile file =
        FromText("[B]\nlow=0a ff \nshort=01 02\nbad=01 G2 03 \nodd=0102 03 \n");
    EXPECT_EQ(file.getBytes("B", "low"), (std::vector<uint8_t>{0x0A, 0xFF}));
    // "01 02" has only one complete three-character group.
    EXPECT_EQ(file.getBytes("B", "short"), (std::vector<uint8_t>{0x01}));
    EXPECT_EQ(file.getBytes("B", "bad"), (std::vector<uint8_t>{0x01}));
    // Groups are read at positions 0, 3, 6 whatever lies between them.
    EXPECT_EQ(file.getBytes("B", "odd"), (std::vector<uint8_t>{0x01}));
}

TEST(ProfileFile, SectionContentsShape) {
    const ProfileFile file = FromText("[S]\na=1\nb\n[T]\n");
    EXPECT_EQ(file.sectionContents("s"), std::string("a=1\0b=\0\0", 8));
    EXPECT_EQ(file.sectionContents("T"), std::string("\0", 1));
    EXPECT_EQ(file.sectionContents("missing"), std::string("\0", 1));
    EXPECT_EQ(ProfileFile().sectionNames(), std::string("\0", 1));
}

TEST(ProfileFile, SaveLayoutAndReload) {
    TempDir dir;
    const std::string path = (dir / "layout.tkp").string();
    {
        ProfileFile file(path);
        EXPECT_TRUE(file.sections().empty());
        file.setString("First", "a", "1");
        file.setString("First", "b", "");
        file.setString("Second", "c", "3");
        EXPECT_TRUE(file.isModified());
        ASSERT_TRUE(file.save());
        EXPECT_FALSE(file.isModified());
    }
    EXPECT_EQ(ReadFile(path), "[First]\r\na=1\r\nb=\r\n\r\n[Second]\r\nc=3\r\n\r\n");
    ProfileFile again(path);
    EXPECT_FALSE(again.isModified());
    EXPECT_EQ(again.getString("second", "C"), "3");
}

TEST(ProfileFile, EmptyStoreSavesAnEmptyFile) {
    TempDir dir;
    const std::string path = (dir / "empty.tkp").string();
    WriteFile(path, "[Old]\r\nx=1\r\n");
    ProfileFile file(path);
    file.clear();
    ASSERT_TRUE(file.save());
    EXPECT_EQ(ReadFile(path), "");
}

TEST(ProfileFile, DestructionSavesWhenModified) {
    TempDir dir;
    const std::string path = (dir / "d.tkp").string();
    { ProfileFile(path).setString("S", "k", "v"); }
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=v\r\n\r\n");
    // Unmodified: the file is left alone.
    WriteFile(path, "[S]\nk=v\n");
    { ProfileFile file(path); }
    EXPECT_EQ(ReadFile(path), "[S]\nk=v\n");
    // A deleted key reaches the file too.
    { ProfileFile(path).deleteKey("S", "k"); }
    EXPECT_EQ(ReadFile(path), "[S]\r\n\r\n");
}

TEST(ProfileFile, MissingFileLoadsEmptyAndSavingCreatesIt) {
    TempDir dir;
    const std::string path = (dir / "new.tkp").string();
    ProfileFile file(path);
    EXPECT_FALSE(file.load());
    EXPECT_EQ(file.getString("S", "k", "default"), "default");
    EXPECT_EQ(file.getInt("S", "k", 3), 3);
    file.setInt("S", "k", 1);
    ASSERT_TRUE(file.save());
    EXPECT_TRUE(std::filesystem::exists(path));
    // A directory is not a profile file.
    file.setPath(dir.path().string(), false);
    EXPECT_FALSE(file.load());
}

TEST(ProfileFile, FailedSaveKeepsTheModifiedFlagAndTheOldFile) {
    TempDir dir;
    const std::string path = (dir / "nofolder" / "x.tkp").string();
    ProfileFile file(path);
    file.setString("S", "k", "v");
    EXPECT_FALSE(file.save());
    EXPECT_TRUE(file.isModified());
    file.clearPath();

    // A read-only folder: the old content stays whole.
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const std::string locked = (dir / "locked").string();
    std::filesystem::create_directory(locked);
    WriteFile(locked + "/p.tkp", "[Old]\r\nk=1\r\n\r\n");
    ::chmod(locked.c_str(), 0500);
    ProfileFile readOnly(locked + "/p.tkp");
    readOnly.setString("Old", "k", "2");
    EXPECT_FALSE(readOnly.save());
    EXPECT_TRUE(readOnly.isModified());
    readOnly.clearPath();
    ::chmod(locked.c_str(), 0700);
    EXPECT_EQ(ReadFile(locked + "/p.tkp"), "[Old]\r\nk=1\r\n\r\n");
}

TEST(ProfileFile, BareNameResolvesToTheConfigurationDirectory) {
    testing::ScopedConfigHome home;
    std::filesystem::remove_all(home.configDir());
    ProfileFile file("ReadDiskDlg.tkp");
    EXPECT_EQ(file.path(), (home.configDir() / "ReadDiskDlg.tkp").string());
    file.setString("Default", "bCalcCRC32", "1");
    // The missing configuration folder is created by the save.
    ASSERT_TRUE(file.save());
    EXPECT_EQ(ReadFile(home.configDir() / "ReadDiskDlg.tkp"), "[Default]\r\nbCalcCRC32=1\r\n\r\n");
    TempDir dir;
    const std::string full = (dir / "x.tkp").string();
    file.setPath(full, false);
    EXPECT_EQ(file.path(), full);
    // Backslashes are ordinary characters on this system.
    file.setPath("C:\\dir\\x.tkp", false);
    EXPECT_EQ(file.path(), (home.configDir() / "C:\\dir\\x.tkp").string());
}

TEST(ProfileFile, MoveKeepsOneOwner) {
    TempDir dir;
    const std::string path = (dir / "m.tkp").string();
    {
        ProfileFile first(path, false);
        first.setString("S", "k", "v");
        ProfileFile second(std::move(first));
        EXPECT_EQ(second.getString("S", "k"), "v");
        EXPECT_TRUE(second.isModified());
    }
    EXPECT_EQ(ReadFile(path), "[S]\r\nk=v\r\n\r\n");
}

}  // namespace
}  // namespace shelfmark
