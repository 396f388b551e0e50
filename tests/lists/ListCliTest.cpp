// profiles, list, export-list and the --export of search and dupes, run as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;
using testing::WriteFile;

class ListCli : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto tree = dir / "tree";
        std::filesystem::create_directories(tree / "Music");
        WriteFile(tree / "Music" / "Abba - Waterloo.mp3", std::string(3000, 'a'));
        WriteFile(tree / "Music" / "Solo only.MP3", std::string(3000, 'a'));
        WriteFile(tree / "Music" / "a&b <c>.txt", "x");
        ASSERT_EQ(Run("read " + catalog() + " " + ShellQuote(tree.string()) + " --name Disk >/dev/null 2>&1").exitCode, 0);
    }
    testing::CommandResult Run(const std::string& arguments) const {
        // Without the desktop's file types, files get the generic "MP3-File".
        return RunCommand("LC_ALL=C TZ=UTC XDG_DATA_HOME=/nonexistent XDG_DATA_DIRS=/nonexistent " +
                          std::string(SHELFMARK_CLI_PATH) + " " + arguments);
    }
    std::string catalog() const { return ShellQuote((dir / "c.tkd").string()); }
    std::string out(const std::string& name) const { return ShellQuote((dir / name).string()); }
    // The location text of the music folder: the disk's name, then the folder read as the disk.
    std::string music() const {
        std::string path = (dir / "tree" / "Music").string();
        std::replace(path.begin(), path.end(), '/', '\\');
        return "Disk:" + path;
    }
    static std::string JsonEscaped(std::string text) {
        for (size_t at = text.find('\\'); at != std::string::npos; at = text.find('\\', at + 2))
            text.insert(at, 1, '\\');
        return text;
    }
    testing::TempDir dir;
    testing::ScopedConfigHome home;
};

TEST_F(ListCli, ShippedProfilesAndLists) {
    const std::string profiles = Run("profiles").out;
    EXPECT_NE(profiles.find("Disk List\n  kinds: disks"), std::string::npos);
    EXPECT_NE(profiles.find("MP3 files\n  kinds: files; depth 40; extensions mp3; format \"%1 - %2\""), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(home.configDir() / "ItemList.tkp"));

    EXPECT_EQ(Run("list " + catalog() + " --profile 'mp3 FILES' --format json | grep -o '\"cells\": \\[[^]]*\\]'").out,
              "\"cells\": [\"Abba\", \"Waterloo\", \"3 KB\", \"\", \"" + JsonEscaped(music()) + "\"]\n"
              "\"cells\": [\"Solo only\", \"\", \"3 KB\", \"\", \"" + JsonEscaped(music()) + "\"]\n");
    const std::string disks = Run("list " + catalog() + " --profile 'Disk List'").out;
    EXPECT_EQ(disks.rfind("Name  Disk ID  Volume", 0), 0u);
    EXPECT_EQ(disks.substr(disks.find('\n') + 1, 13), "Disk     0001");  // Disk ID right-aligned
    EXPECT_EQ(Run("list " + catalog() + " --profile Nope 2>&1").exitCode, 1);
    // Below the disk there are no disks: the header alone.
    const std::string none = Run("list " + catalog() + " Disk --profile 'Disk List'").out;
    EXPECT_EQ(std::count(none.begin(), none.end(), '\n'), 1);
}

TEST_F(ListCli, FileTypesAsTheDesktopNamesThem) {
    if (!std::filesystem::exists("/usr/share/mime/globs2"))
        GTEST_SKIP() << "shared-mime-info is not installed";
    const std::string json = RunCommand("LC_ALL=C XDG_DATA_HOME=/nonexistent XDG_DATA_DIRS=/usr/share " +
                                        std::string(SHELFMARK_CLI_PATH) + " list " + catalog() +
                                        " --profile 'All files' --format json")
                                 .out;
    EXPECT_NE(json.find("\"MP3 audio\""), std::string::npos);
    EXPECT_NE(json.find("\"plain text document\""), std::string::npos);
}

TEST_F(ListCli, OldProfilesAreConverted) {
    WriteFile(home.configDir() / "ItemList.tkp", "[Sizes]\nbFiles=1\nColumnCount=2\nColumn0Name=N\nColumn0Info=n:0:90\n"
                                                 "Column1Name=S\nColumn1Info=s:1:80\n");
    EXPECT_EQ(Run("list " + catalog() + " --profile Sizes").out,
              "N                       S\n"  // the size column is right-aligned
              "a&b <c>.txt          1 KB\n"
              "Abba - Waterloo.mp3  3 KB\n"
              "Solo only.MP3        3 KB\n");
    const std::string converted = ReadFile(home.configDir() / "ItemList.tkp");
    EXPECT_EQ(converted.find("ColumnCount="), std::string::npos);
    EXPECT_NE(converted.find("Column1Value=1"), std::string::npos);
}

TEST_F(ListCli, ExportsWrittenOutByHand) {
    ASSERT_EQ(Run("export-list " + catalog() + " --profile 'MP3 files' --to csv -o " + out("a.csv") +
                  " --separator ';' --columns Artist,title")
                  .exitCode,
              0);
    EXPECT_EQ(ReadFile(dir / "a.csv"), "\"Artist\";\"Title\"\r\n\"Abba\";\"Waterloo\"\r\n\"Solo only\";\"\"\r\n");
    // The choices are remembered for the profile: the next export uses them.
    ASSERT_EQ(Run("export-list " + catalog() + " --profile 'MP3 files' --to csv -o " + out("b.csv")).exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "b.csv"), ReadFile(dir / "a.csv"));
    const std::string settings = ReadFile(home.configDir() / "ExportList.tkp");
    EXPECT_NE(settings.find("[MP3 files:csv]"), std::string::npos);
    EXPECT_NE(settings.find("FieldSeparator=;"), std::string::npos);

    ASSERT_EQ(Run("export-list " + catalog() + " --profile 'MP3 files' --to txt -o " + out("a.txt") +
                  " --columns Artist,Title")
                  .exitCode,
              0);
    EXPECT_EQ(ReadFile(dir / "a.txt"), "Artist               Title\r\n\r\nAbba                 Waterloo\r\n"
                                       "Solo only            \r\n");

    ASSERT_EQ(Run("export-list " + catalog() + " --profile 'All files' --to xml -o " + out("a.xml") +
                  " --columns Name --xsl 'my list.xsl'")
                  .exitCode,
              0);
    EXPECT_EQ(ReadFile(dir / "a.xml"),
              "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n"
              "<?xml-stylesheet type=\"text/xsl\" href=\"my list.xsl\"?>\r\n\r\n"
              "<ItemList Database=\"c.tkd\">\r\n"
              "\t<Item Type=\"File\">\r\n\t\t<Name>a&amp;b &lt;c>.txt</Name>\r\n\t</Item>\r\n"
              "\t<Item Type=\"File\">\r\n\t\t<Name>Abba - Waterloo.mp3</Name>\r\n\t</Item>\r\n"
              "\t<Item Type=\"File\">\r\n\t\t<Name>Solo only.MP3</Name>\r\n\t</Item>\r\n"
              "</ItemList>");
    if (testing::HaveProgram("xmllint")) {
        EXPECT_EQ(RunCommand("xmllint --noout " + out("a.xml") + " 2>&1").out, "");
    }
}

TEST_F(ListCli, SearchAndDuplicateResults) {
    ASSERT_EQ(Run("search " + catalog() + " abba --export csv -o " + out("s.csv")).exitCode, 0);
    const std::string csv = ReadFile(dir / "s.csv");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "\"Name\",\"In Directory\",\"Size\",\"Type\",\"Modified\",\"Disk ID\"");
    EXPECT_NE(csv.find("\"Abba - Waterloo.mp3\",\"" + music() + "\",\"3 KB\",\"MP3-File\","), std::string::npos);

    ASSERT_EQ(Run("dupes " + catalog() + " --by size --export xml -o " + out("d.xml")).exitCode, 0);
    const std::string xml = ReadFile(dir / "d.xml");
    EXPECT_NE(xml.find("<In_Directory>" + music() + "</In_Directory>"), std::string::npos);
    EXPECT_NE(xml.find("<CRC32/>"), std::string::npos);
    EXPECT_NE(ReadFile(home.configDir() / "ExportList.tkp").find("[SearchDuplicatesResult:xml]"), std::string::npos);

    EXPECT_EQ(Run("search " + catalog() + " abba --export doc -o x 2>/dev/null").exitCode, 2);
    EXPECT_EQ(Run("dupes " + catalog() + " --by size --export csv 2>/dev/null").exitCode, 2);
}

TEST_F(ListCli, PdfAndPrinters) {
    if (!testing::HaveProgram("pdftotext"))
        GTEST_SKIP() << "pdftotext is missing";
    const testing::CommandResult pdf =
        Run("export-list " + catalog() + " --profile 'All files' --to pdf -o " + out("a.pdf") + " 2>&1");
    if (pdf.exitCode == 0) {
        const std::string text = RunCommand("pdftotext " + out("a.pdf") + " -").out;
        EXPECT_NE(text.find("Abba - Waterloo.mp3"), std::string::npos);
        EXPECT_NE(text.find("In Directory"), std::string::npos);
        EXPECT_EQ(pdf.out, "");  // no chatter from the toolkit
    } else {
        EXPECT_NE(pdf.out.find("without printing"), std::string::npos);
    }
    const testing::CommandResult printer =
        Run("export-list " + catalog() + " --profile 'All files' --to printer --printer 'no such printer' 2>&1");
    EXPECT_EQ(printer.exitCode, 1);
    EXPECT_EQ(Run("export-list " + catalog() + " --profile 'All files' --to csv 2>/dev/null").exitCode, 2);
}

}  // namespace
}  // namespace shelfmark
