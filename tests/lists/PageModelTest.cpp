#include "lists/PageModel.h"

#include <gtest/gtest.h>

#include "foundation/ProfileFile.h"
#include "lists/ExportSettings.h"

namespace shelfmark {
namespace {

std::vector<std::pair<size_t, size_t>> Rows(const std::vector<PrintedPage>& pages) {
    std::vector<std::pair<size_t, size_t>> rows;
    for (const PrintedPage& page : pages)
        rows.emplace_back(page.firstRow, page.endRow);
    return rows;
}

TEST(PageModel, MulDivRoundsLikeThePlatformCall) {
    EXPECT_EQ(MulDiv(10, 600, 72), 83);  // 83.33
    EXPECT_EQ(MulDiv(3, 1, 2), 2);       // halves away from zero
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(1 << 30, 1 << 20, 1 << 25), 1 << 25);  // no overflow in between
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(PageModel, PrintableRectangleKeepsTenMillimetres) {
    // A4 at 600 dpi, a printer that cannot mark the outer 1/6 inch (100 pixels).
    PrinterMetrics laser{600, 600, 4760, 6814, 4960, 7014, 100, 100};
    const PageRect a = PrintableRect(laser);
    EXPECT_EQ(MillimetresToPixels(10, 600), 236);
    EXPECT_EQ(a.left, 136);
    EXPECT_EQ(a.top, 136);
    // In sheet coordinates the right edge lies 10 mm from the sheet's right edge.
    EXPECT_EQ(laser.offsetX + a.right, 4960 - 236);
    EXPECT_EQ(laser.offsetY + a.bottom, 7014 - 236);

    // A printer that marks the whole sheet (a PDF file) at 1200 dpi.
    PrinterMetrics pdf{1200, 1200, 9920, 14030, 9920, 14030, 0, 0};
    const PageRect b = PrintableRect(pdf);
    EXPECT_EQ(b.left, 472);
    EXPECT_EQ(b.right, 9920 - 472);
    EXPECT_EQ(b.bottom, 14030 - 472);

    // Offsets beyond the margin: nothing more is taken off; different resolutions per axis.
    PrinterMetrics wide{300, 600, 2000, 5000, 2400, 5400, 200, 400};
    const PageRect c = PrintableRect(wide);
    EXPECT_EQ(c.left, 0);
    EXPECT_EQ(c.top, 0);
    EXPECT_EQ(c.right, 2000);              // 200 pixels unprintable on the right: enough
    EXPECT_EQ(c.bottom, 5000 - 236);       // nothing unprintable at the bottom
}

TEST(PageModel, RowsOfEachPage) {
    // 50 lines a page, 120 rows: the header takes a line of page 1.
    const auto pages = PagesOfRange(120, 50, {1, 3});
    EXPECT_EQ(Rows(pages), (std::vector<std::pair<size_t, size_t>>{{0, 49}, {49, 99}, {99, 120}}));
    EXPECT_TRUE(pages[0].header);
    EXPECT_FALSE(pages[1].header);
    EXPECT_EQ(PageCount(120, 50), 3);
    EXPECT_EQ(PageCount(49, 50), 1);
    EXPECT_EQ(PageCount(50, 50), 2);
    EXPECT_EQ(PageCount(0, 50), 1);
    // A range beyond the rows stops after the last row.
    EXPECT_EQ(PagesOfRange(120, 50, {1, 9}).size(), 3u);
    // Starting at page 2 prints the header there and goes on with the first row page 2 holds,
    // so no row is left out.
    const auto fromTwo = PagesOfRange(120, 50, {2, 3});
    EXPECT_EQ(Rows(fromTwo), (std::vector<std::pair<size_t, size_t>>{{49, 98}, {98, 120}}));
    EXPECT_TRUE(fromTwo[0].header);
    EXPECT_EQ(fromTwo[0].number, 2);
    // An empty list prints its header page.
    EXPECT_EQ(Rows(PagesOfRange(0, 50, {1, 1})), (std::vector<std::pair<size_t, size_t>>{{0, 0}}));
}

TEST(PageModel, CopiesAndCollation) {
    auto numbers = [](const std::vector<PrintedPage>& pages) {
        std::vector<int> out;
        for (const PrintedPage& page : pages)
            out.push_back(page.number * (page.header ? -1 : 1));
        return out;
    };
    EXPECT_EQ(numbers(PrintSequence(120, 50, {1, 2}, 2, false)), (std::vector<int>{-1, -1, 2, 2}));
    EXPECT_EQ(numbers(PrintSequence(120, 50, {1, 2}, 2, true)), (std::vector<int>{-1, 2, -1, 2}));
    EXPECT_EQ(numbers(PrintSequence(120, 50, {1, 3}, 0, true)), (std::vector<int>{-1, 2, 3}));
}

TEST(PageModel, ColumnHeaderCellAndIconBoxes) {
    const PageRect rect{100, 50, 1100, 2050};
    const std::vector<ListColumn> columns{{"A", 0, ColumnAlignment::Left, 10},
                                          {"B", 1, ColumnAlignment::Right, 10},
                                          {"C", 2, ColumnAlignment::Center, 10}};
    const std::vector<ExportColumn> choices{{true, 50}, {false, 30}, {true, 25}};
    const auto boxes = ColumnBoxes(rect, columns, choices);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].x, 100);
    EXPECT_EQ(boxes[0].width, 500);
    EXPECT_EQ(boxes[1].x, 600);
    EXPECT_EQ(boxes[1].width, 250);
    EXPECT_EQ(boxes[1].alignment, ColumnAlignment::Center);

    const int H = 40;
    const BoxRect first = HeaderFill(boxes[0], 50, H, true, false);
    EXPECT_EQ(first.x, 100);
    EXPECT_EQ(first.width, 496);
    const BoxRect last = HeaderFill(boxes[1], 50, H, false, true);
    EXPECT_EQ(last.x, 604);
    EXPECT_EQ(last.width, 246);
    EXPECT_EQ(HeaderText(first, H).x, 108);
    EXPECT_EQ(HeaderText(first, H).width, 480);
    EXPECT_EQ(CellText(boxes[0], 90, H, false).x, 110);
    EXPECT_EQ(CellText(boxes[0], 90, H, true).x, 150);
    EXPECT_EQ(CellText(boxes[0], 90, H, true).width, 440);
    // The icon keeps its shape on a printer with different resolutions per axis.
    const BoxRect icon = IconBox(boxes[0], 90, H, 600, 300);
    EXPECT_EQ(icon.height, 35);
    EXPECT_EQ(icon.width, 70);
    EXPECT_EQ(icon.y, 92);
}

TEST(AutoSize, PercentagesFromPixelWidths) {
    std::vector<ExportColumn> two(2);
    AutoSizePercents(std::vector<int>{150, 50}, two);
    EXPECT_EQ(two[0].width, 75);
    EXPECT_EQ(two[1].width, 25);
    std::vector<ExportColumn> three(3);
    AutoSizePercents(std::vector<int>{80, 80, 80}, three);
    EXPECT_EQ(three[0].width, 34);  // the first smallest gains what is missing
    EXPECT_EQ(three[1].width, 33);
    EXPECT_EQ(three[2].width, 33);
    std::vector<ExportColumn> over(3);  // 17 + 17 + 67 = 101: the largest gives one back
    AutoSizePercents(std::vector<int>{1, 1, 4}, over);
    EXPECT_EQ(over[0].width + over[1].width + over[2].width, 100);
    EXPECT_EQ(over[2].width, 66);
    std::vector<ExportColumn> unticked{{false, 7}, {true, 0}};
    AutoSizePercents(std::vector<int>{500, 10}, unticked);
    EXPECT_EQ(unticked[0].width, 7);
    EXPECT_EQ(unticked[1].width, 100);
}

TEST(ExportSettings, EachTargetRoundTripsThroughTheProfile) {
    const std::vector<ListColumn> columns{{"Name", 0, ColumnAlignment::Left, 150},
                                          {"In Directory", 4, ColumnAlignment::Left, 50}};
    ProfileFile file;
    ExportSettings csv = LoadExportSettings(file, "SearchResult", ExportTarget::Csv, columns);
    EXPECT_EQ(csv.fieldSeparator, ",");
    EXPECT_TRUE(csv.columns[0].checked && csv.columns[1].checked);
    csv.columns[1].checked = false;
    csv.fieldSeparator = "\\t";
    SaveExportSettings(file, "SearchResult", ExportTarget::Csv, columns, csv);
    EXPECT_EQ(file.getString("SearchResult:csv", "In Directory"), "0");
    EXPECT_EQ(file.getString("SearchResult:csv", "FieldSeparator"), "\\t");
    const ExportSettings csvBack = LoadExportSettings(file, "SearchResult", ExportTarget::Csv, columns);
    EXPECT_FALSE(csvBack.columns[1].checked);
    EXPECT_EQ(csvBack.fieldSeparator, "\\t");

    file.setString("SearchResult:txt", "Name", "0,250  ");
    const ExportSettings text = LoadExportSettings(file, "SearchResult", ExportTarget::Text, columns);
    EXPECT_FALSE(text.columns[0].checked);
    EXPECT_EQ(text.columns[0].width, 100);  // limited
    EXPECT_EQ(text.columns[1].width, 20);   // default
    SaveExportSettings(file, "SearchResult", ExportTarget::Text, columns, text);
    EXPECT_EQ(file.getString("SearchResult:txt", "In Directory"), "1,20");

    ExportSettings printer = LoadExportSettings(file, "SearchResult", ExportTarget::Printer, columns, {true, 10, "Sans", 0});
    EXPECT_EQ(printer.columns[0].width, 75);  // Auto Size from 150 and 50 pixels
    EXPECT_EQ(printer.print.fontFace, "Sans");
    printer.print.fontFace = std::string(40, 'F');
    printer.print.fontColor = 0x0000FF;
    printer.columns[1] = {false, 40};
    SaveExportSettings(file, "SearchResult", ExportTarget::Printer, columns, printer);
    const ExportSettings printerBack =
        LoadExportSettings(file, "SearchResult", ExportTarget::Printer, columns, {true, 10, "Sans", 0});
    EXPECT_EQ(printerBack.print.fontFace, std::string(31, 'F'));
    EXPECT_EQ(printerBack.print.fontColor, 0x0000FFu);
    EXPECT_FALSE(printerBack.columns[1].checked);
    EXPECT_EQ(printerBack.columns[1].width, 40);
    // Nothing is saved for a list without a name.
    ProfileFile untouched;
    SaveExportSettings(untouched, "", ExportTarget::Csv, columns, csv);
    EXPECT_TRUE(untouched.sections().empty());
}

TEST(ExportSettings, RememberedStyleSheets) {
    const std::vector<ListColumn> columns{{"Name", 0, ColumnAlignment::Left, 150}};
    ProfileFile file;
    file.loadFromText("[XSLs]\nCount=3\nXSL0=b.xsl\nXSL1=\nXSL2=A.XSL\n");
    ExportSettings xml = LoadExportSettings(file, "Main", ExportTarget::Xml, columns);
    EXPECT_EQ(xml.rememberedStyleSheets, (std::vector<std::string>{"b.xsl", "A.XSL"}));
    xml.styleSheet = "a.xsl";
    SaveExportSettings(file, "Main", ExportTarget::Xml, columns, xml);
    EXPECT_EQ(LoadRememberedStyleSheets(file), (std::vector<std::string>{"a.xsl", "b.xsl"}));
    EXPECT_EQ(file.getString("Main:xml", "XSL"), "a.xsl");
    // An export without a sheet forgets none of the remembered ones.
    xml = LoadExportSettings(file, "Main", ExportTarget::Xml, columns);
    xml.styleSheet.clear();
    SaveExportSettings(file, "Main", ExportTarget::Xml, columns, xml);
    EXPECT_EQ(LoadRememberedStyleSheets(file), (std::vector<std::string>{"a.xsl", "b.xsl"}));
}

}  // namespace
}  // namespace shelfmark
