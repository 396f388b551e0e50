// Printing to PDF files, read back with poppler's tools.
#include "lists/print/ListPrinter.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "foundation/CancelFlag.h"
#include "foundation/ScriptedPrompter.h"
#include "foundation/StringFormat.h"
#include "tests/support/PdfRaster.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

using testing::RunCommand;
using testing::ShellQuote;

class ListPrint : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!testing::HaveProgram("pdftotext") || !testing::HaveProgram("pdfinfo"))
            GTEST_SKIP() << "poppler-utils are missing";
    }
    static ListTable Rows(size_t count) {
        ListTable table({{"Name", 0, ColumnAlignment::Left, 150},
                         {"Size", 1, ColumnAlignment::Right, 75},
                         {"Type", 3, ColumnAlignment::Left, 100}});
        for (size_t i = 0; i < count; ++i) {
            table.beginRow(nullptr, 0);
            table.appendCell(StringPrintf("entry-%04zu", i));
            table.appendCell(StringPrintf("%zu KB", i * 7));
            table.appendCell("MP3-File");
        }
        return table;
    }
    PrintJob Job(const ListTable& table, const std::string& name) {
        PrintJob job;
        job.table = &table;
        job.listName = "All files";
        job.columns = {{true, 50}, {true, 20}, {true, 30}};
        job.settings.fontHeight = 10;
        job.pdfPath = (dir / name).string();
        return job;
    }
    std::string Text(const std::string& pdf, int page = 0) {
        const std::string range = page ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
        return RunCommand("pdftotext" + range + " " + ShellQuote(pdf) + " -").out;
    }
    int Pages(const std::string& pdf) {
        const std::string info = RunCommand("pdfinfo " + ShellQuote(pdf)).out;
        const size_t at = info.find("Pages:");
        return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
    }
    testing::TempDir dir;
    ScriptedPrompter prompter;
};

TEST_F(ListPrint, ThousandRowsEachOnceHeaderOnlyOnPageOne) {
    const ListTable table = Rows(1000);
    const PrintJob job = Job(table, "list.pdf");
    const int estimate = EstimatePrintPages(job);
    ASSERT_GT(estimate, 1);
    ASSERT_EQ(PrintList(job, prompter), PrintOutcome::Printed);
    EXPECT_EQ(Pages(job.pdfPath), estimate);
    const std::string all = Text(job.pdfPath);
    for (size_t i = 0; i < 1000; ++i) {
        const std::string name = StringPrintf("entry-%04zu", i);
        const size_t at = all.find(name);
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_EQ(all.find(name, at + 1), std::string::npos) << name;
    }
    EXPECT_NE(Text(job.pdfPath, 1).find("Name"), std::string::npos);
    for (int page = 2; page <= estimate; ++page)
        EXPECT_EQ(Text(job.pdfPath, page).find("Name"), std::string::npos) << page;
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ListPrint, LongTextsEndInAnEllipsisInsideTheirColumn) {
    ListTable table({{"Name", 0, ColumnAlignment::Left, 150}, {"Size", 1, ColumnAlignment::Right, 75}});
    table.beginRow(nullptr, 0);
    table.appendCell(std::string(300, 'W'));
    table.appendCell("12 KB");
    PrintJob job = Job(table, "long.pdf");
    job.columns = {{true, 50}, {true, 50}};
    ASSERT_EQ(PrintList(job, prompter), PrintOutcome::Printed);
    const std::string text = Text(job.pdfPath);
    EXPECT_NE(text.find("\xE2\x80\xA6"), std::string::npos);  // the ellipsis character
    EXPECT_EQ(text.find(std::string(300, 'W')), std::string::npos);
    EXPECT_NE(text.find("12 KB"), std::string::npos);
}

TEST_F(ListPrint, PageRangeCopiesAndCancel) {
    const ListTable table = Rows(300);
    PrintJob job = Job(table, "range.pdf");
    const int estimate = EstimatePrintPages(job);
    ASSERT_GE(estimate, 3);
    job.range = {2, 2};
    job.copies = 2;
    job.collate = false;
    ASSERT_EQ(PrintList(job, prompter), PrintOutcome::Printed);
    EXPECT_EQ(Pages(job.pdfPath), 2);
    // The first printed page starts with the header, also when it is not page 1.
    EXPECT_NE(Text(job.pdfPath, 1).find("Name"), std::string::npos);
    EXPECT_NE(Text(job.pdfPath, 2).find("Name"), std::string::npos);

    CancelFlag cancel;
    cancel.request();
    job.cancel = &cancel;
    job.pdfPath = (dir / "cancelled.pdf").string();
    EXPECT_EQ(PrintList(job, prompter), PrintOutcome::Cancelled);

    job.cancel = nullptr;
    job.columns = {{false, 50}, {false, 20}, {false, 30}};
    EXPECT_EQ(PrintList(job, prompter), PrintOutcome::NothingTicked);
    job.pdfPath.clear();
    job.printerName = "no such printer here";
    EXPECT_EQ(PrintList(job, prompter), PrintOutcome::NoPrinter);
    EXPECT_EQ(prompter.shownTexts().back(), "No printer named 'no such printer here'.");
}

// The text takes the font colour, stored with red in the low byte; pdftoppm draws the pages.
TEST_F(ListPrint, TextIsDrawnInTheFontColour) {
    if (!testing::HaveProgram("pdftoppm"))
        GTEST_SKIP() << "pdftoppm is missing";
    const ListTable table = Rows(40);
    struct Ink {
        size_t dark = 0, red = 0, blue = 0;
    };
    auto inkOf = [&](uint32_t color, const std::string& name) {
        PrintJob job = Job(table, name);
        job.settings.fontColor = color;
        job.settings.printIcons = false;  // the icons have dark lines of their own
        EXPECT_EQ(PrintList(job, prompter), PrintOutcome::Printed);
        const std::optional<testing::PdfRaster> page = testing::RenderPdfPage(job.pdfPath);
        Ink ink;
        if (!page) {
            ADD_FAILURE() << "pdftoppm could not draw " << name;
            return ink;
        }
        for (size_t i = 0; i < page->pixels(); ++i) {
            const auto [r, g, b] = page->at(i);
            ink.dark += r < 100 && g < 100 && b < 100;
            ink.red += r > 180 && g < 90 && b < 90;
            ink.blue += b > 180 && r < 90 && g < 90;
        }
        return ink;
    };
    const Ink black = inkOf(0x000000, "black.pdf");
    EXPECT_GT(black.dark, 500u);
    EXPECT_EQ(black.red + black.blue, 0u);
    const Ink red = inkOf(0x0000FF, "red.pdf");
    EXPECT_GT(red.red, 500u);
    EXPECT_EQ(red.dark + red.blue, 0u);  // the header's grey does not darken it either
    const Ink blue = inkOf(0xFF0000, "blue.pdf");
    EXPECT_GT(blue.blue, 500u);
    EXPECT_EQ(blue.dark + blue.red, 0u);
    // A value's top byte is no colour: still red.
    const Ink flagged = inkOf(0xFF0000FF, "flagged.pdf");
    EXPECT_GT(flagged.red, 500u);
    EXPECT_EQ(flagged.dark + flagged.blue, 0u);
}

TEST_F(ListPrint, DefaultFontIsArialOrTheDesktopSansSerif) {
    EXPECT_FALSE(DefaultPrintFontFace().empty());
}

}  // namespace
}  // namespace shelfmark
