#include "lists/ListExport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/CatalogTree.h"
#include "catalog/Definitions.h"
#include "foundation/CancelFlag.h"
#include "foundation/ScriptedPrompter.h"
#include "lists/RowBuilder.h"
#include "tests/lists/ListsTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::ReadFile;
using testing::RunCommand;
using testing::ShellQuote;

TEST(FitText, TheWorkedExamples) {
    const std::string path = "C:\\Programs\\Tool\\readme.txt";
    // 27 characters, the last "\" at position 16 (counting from 0).
    ASSERT_EQ(path.size(), 27u);
    EXPECT_EQ(FitText(path, 10), path);  // 10 + 16 - 27 - 2 is negative: unchanged
    EXPECT_EQ(FitText(path, 20), "C:\\Prog...\\readme.txt");  // 7 kept, w + 1 in all
    EXPECT_EQ(FitText(path, 20).size(), 21u);
    EXPECT_EQ(FitText(path, 21), "C:\\Progr...\\readme.txt");
    EXPECT_EQ(FitText(path, 27), path);
    EXPECT_EQ(FitText("abcdef", 3), "abc");
    EXPECT_EQ(FitText("abcdef", 5), "ab...");
    EXPECT_EQ(FitText("abcdef", 0), "");
    // Characters, not bytes: a name in another script is cut between characters.
    EXPECT_EQ(FitText("Ärger über Öl", 7), "Ärge...");
}

TEST(CsvDelimiter, TypedEscapes) {
    EXPECT_EQ(CsvDelimiter(","), "\",\"");
    EXPECT_EQ(CsvDelimiter("\\t"), "\"\t\"");
    EXPECT_EQ(CsvDelimiter("\\r\\n"), "\"\r\n\"");
    EXPECT_EQ(CsvDelimiter("\\x;"), "\"\\x;\"");
}

// Two rows with the columns Name, In Directory and Size, as a search result would have them.
class ListExportTest : public ::testing::Test, protected testing::ListsRows {
  protected:
    ListExportTest() {
        table = ListTable(DescriptorColumns(std::vector<uint8_t>{0x00, 0x04, 0x01}));
        builder.appendRow(table, *c.artistTitle);
        builder.appendRow(table, *c.titleOnly);
        builder.appendRow(table, *c.disk);
        options.databaseName = std::string(c.root->name());
    }
    std::string Bytes(ExportTarget target) {
        options.target = target;
        return ExportedBytes(table, options, &c.tree);
    }
    ListTable table;
    ExportOptions options;
    testing::TempDir dir;
};

TEST_F(ListExportTest, CsvBytes) {
    c.tree.setName(c.titleOnly, "Say \"hi\".mp3");
    table = ListTable(table.columns());
    builder.appendRow(table, *c.titleOnly);
    EXPECT_EQ(Bytes(ExportTarget::Csv),
              "\"Name\",\"In Directory\",\"Size\"\r\n"
              "\"Say \"hi\".mp3\",\"CD One:\\Pop\",\"1 KB\"\r\n");
    options.fieldSeparator = "\\t";
    options.columns = {{false, 0}, {true, 0}, {true, 0}};
    EXPECT_EQ(Bytes(ExportTarget::Csv),
              "\"In Directory\"\t\"Size\"\r\n"
              "\"CD One:\\Pop\"\t\"1 KB\"\r\n");
}

TEST_F(ListExportTest, TextBytes) {
    options.columns = {{true, 10}, {true, 5}, {true, 8}};
    // Padding is width - length + 1; the last column is not padded; a text that stays longer
    // than its column gets no blanks.
    EXPECT_EQ(Bytes(ExportTarget::Text),
              "Name       In... Size\r\n"
              "\r\n"
              "Artist ... CD One:\\Pop1 KB\r\n"
              "Title o... CD One:\\Pop1 KB\r\n"
              "CD One     Music 0 Bytes\r\n");
    options.columns = {{false, 10}, {false, 5}, {false, 8}};
    EXPECT_EQ(Bytes(ExportTarget::Text), "");
}

TEST_F(ListExportTest, XmlBytesAndParser) {
    c.tree.setName(c.artistTitle, "Tom & Jerry <1> \"x\" > y \xE2\x82\xAC \xE2\x98\x83.mp3");
    table = ListTable(table.columns());
    builder.appendRow(table, *c.artistTitle);
    builder.appendRow(table, *c.disk);
    builder.appendRow(table, *c.shortcut);
    options.styleSheet = "list.xsl";
    const std::string bytes = Bytes(ExportTarget::Xml);
    EXPECT_EQ(bytes,
              "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n"
              "<?xml-stylesheet type=\"text/xsl\" href=\"list.xsl\"?>\r\n"
              "\r\n"
              "<ItemList Database=\"Shelf &amp; Co.tkd\">\r\n"
              "\t<Item Type=\"File\">\r\n"
              "\t\t<Name>Tom &amp; Jerry &lt;1> \"x\" > y \x80 &#9731;.mp3</Name>\r\n"
              "\t\t<In_Directory>CD One:\\Pop</In_Directory>\r\n"
              "\t\t<Size>1 KB</Size>\r\n"
              "\t</Item>\r\n"
              "\t<Item Type=\"CD/ DVD\">\r\n"
              "\t\t<Name>CD One</Name>\r\n"
              "\t\t<In_Directory>Music</In_Directory>\r\n"
              "\t\t<Size>0 Bytes</Size>\r\n"
              "\t</Item>\r\n"
              "\t<Item Type=\"Shortcut\">\r\n"
              "\t\t<Name>link</Name>\r\n"
              "\t\t<In_Directory>CD One:\\</In_Directory>\r\n"
              "\t\t<Size/>\r\n"
              "\t</Item>\r\n"
              "</ItemList>");
    if (!testing::HaveProgram("python3"))
        GTEST_SKIP() << "python3 is missing";
    const auto file = dir / "list.xml";
    testing::WriteFile(file, bytes);
    const testing::CommandResult parsed = RunCommand(
        "python3 -c 'import sys, xml.etree.ElementTree as E; r = E.parse(sys.argv[1]).getroot(); "
        "sys.stdout.buffer.write((r.get(\"Database\") + \"|\" + r[0].find(\"Name\").text + \"|\" + "
        "r[0].get(\"Type\") + \"|\" + str(len(r))).encode())' " +
        ShellQuote(file.string()));
    EXPECT_EQ(parsed.out, "Shelf & Co.tkd|Tom & Jerry <1> \"x\" > y \xE2\x82\xAC \xE2\x98\x83.mp3|File|3");
}

TEST_F(ListExportTest, EmptyListsAndNothingTicked) {
    ListTable empty(table.columns());
    options.target = ExportTarget::Xml;
    EXPECT_EQ(ExportedBytes(empty, options, &c.tree),
              "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\r\n\r\n<ItemList Database=\"Shelf &amp; Co.tkd\"/>");
    options.target = ExportTarget::Csv;
    EXPECT_EQ(ExportedBytes(empty, options, &c.tree), "\"Name\",\"In Directory\",\"Size\"\r\n");

    ScriptedPrompter prompter;
    ExportJob job;
    job.table = &table;
    job.tree = &c.tree;
    job.options.columns = {{false, 1}, {false, 1}, {false, 1}};
    for (ExportTarget target : {ExportTarget::Csv, ExportTarget::Xml, ExportTarget::Text}) {
        job.options.target = target;
        job.path = (dir / ("none." + std::string(TargetSuffix(target)))).string();
        EXPECT_EQ(RunListExport(job, prompter), ExportOutcome::NothingTicked);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "none.csv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.xml"));
    EXPECT_EQ(ReadFile(dir / "none.txt"), "");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ListExportTest, FilesMessagesAndCancel) {
    ScriptedPrompter prompter;
    ExportJob job;
    job.table = &table;
    job.tree = &c.tree;
    job.options = options;
    job.path = (dir / "out.csv").string();
    testing::WriteFile(job.path, std::string(10000, 'x'));  // an existing file is truncated
    EXPECT_EQ(RunListExport(job, prompter), ExportOutcome::Written);
    EXPECT_EQ(ReadFile(job.path), ExportedBytes(table, options, &c.tree));

    job.options.fieldSeparator.clear();
    EXPECT_EQ(RunListExport(job, prompter), ExportOutcome::EmptySeparator);
    job.options.fieldSeparator = ";";
    job.path = (dir / "missing" / "out.csv").string();
    EXPECT_EQ(RunListExport(job, prompter), ExportOutcome::CannotWrite);
    ASSERT_EQ(prompter.shownTexts().size(), 2u);
    EXPECT_EQ(prompter.shownTexts()[0], "Please fill out this field correctly.");
    EXPECT_EQ(prompter.shownTexts()[1].rfind("Unable to write to " + job.path +
                                             ", it is read-only or opened by someone else.", 0), 0u);

    // Cancel after the first row: the file keeps the header and that row.
    CancelFlag cancel;
    job.cancel = &cancel;
    job.path = (dir / "cancel.txt").string();
    job.options.target = ExportTarget::Text;
    job.options.columns = {{true, 30}, {false, 0}, {false, 0}};
    job.progress = [&cancel](size_t row, size_t) {
        if (row == 1)
            cancel.request();
    };
    EXPECT_EQ(RunListExport(job, prompter), ExportOutcome::Cancelled);
    EXPECT_EQ(ReadFile(job.path), "Name\r\n\r\nArtist - Title.mp3\r\n");
}

}  // namespace
}  // namespace shelfmark
