// The page model of a printed list, free of any printing back end: where the printable
// rectangle lies on a page, how many lines fit, which rows each page holds, the order pages
// come out in, and the boxes of headers, cells and icons. All lengths are device pixels.
//
// The rectangle keeps 10 mm from each paper edge, measured from the printer's own printable
// area (which may start at a physical offset). Page 1 holds the header line and the rows that
// fit below it; every later page holds as many rows as lines fit. A print that starts at a
// later page k begins with the header too and continues with the first row page k holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "lists/ListExport.h"
#include "lists/ListTable.h"

namespace shelfmark {

// a * b / c rounded to the nearest integer (halves away from zero), computed without overflow;
// -1 when c is 0.
int MulDiv(int a, int b, int c);

// What a printer reports about its page, in device pixels.
struct PrinterMetrics {
    int dpiX = 300;
    int dpiY = 300;
    int printableWidth = 0;   // the area the printer can mark, starting at the offset
    int printableHeight = 0;
    int physicalWidth = 0;    // the whole sheet
    int physicalHeight = 0;
    int offsetX = 0;          // where the printable area begins on the sheet
    int offsetY = 0;
};

// Coordinates inside the printable area.
struct PageRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// A length in millimetres as device pixels at `dpi`.
int MillimetresToPixels(int millimetres, int dpi);

// The rectangle 10 mm in from every edge of the sheet, in printable-area coordinates.
PageRect PrintableRect(const PrinterMetrics& metrics);

// Lines of height `lineHeight` that fit the rectangle (at least 2: the header and one row).
int LinesPerPage(const PageRect& rect, int lineHeight);

// The device height of a font of `points` points (as a line of the font takes it before the
// printer reports its own metrics).
int PointsToPixels(int points, int dpiY);

// Pages a list of `rows` rows takes with `linesPerPage` lines: the header counts as one row.
int PageCount(size_t rows, int linesPerPage);

// The rows a printed page shows: [first, end), and whether the header line goes first.
struct PrintedPage {
    int number = 0;  // page number in the document's numbering (1-based)
    size_t firstRow = 0;
    size_t endRow = 0;
    bool header = false;
};

struct PageRange {
    int first = 1;
    int last = 1;
};

// The pages of one copy of `range`: the first page of the range carries the header; printing
// stops after the last row (an empty list still prints its header page).
std::vector<PrintedPage> PagesOfRange(size_t rows, int linesPerPage, PageRange range);

// Every page the printer receives, copies included: with collation the whole range once per
// copy, without it each page `copies` times in a row.
std::vector<PrintedPage> PrintSequence(size_t rows, int linesPerPage, PageRange range, int copies, bool collate);

// Horizontal box of a ticked column.
struct ColumnBox {
    size_t column = 0;  // index in the table
    int x = 0;
    int width = 0;
    ColumnAlignment alignment = ColumnAlignment::Left;
};

// The boxes of the ticked columns from left to right: width = rect width * percent / 100
// (`choices` gives check mark and percent per column; missing ones are ticked with 0 %).
std::vector<ColumnBox> ColumnBoxes(const PageRect& rect, std::span<const ListColumn> columns,
                                   std::span<const ExportColumn> choices);

struct BoxRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The grey background of a header cell: H/10 in from each side, except the outer sides of the
// first and last columns.
BoxRect HeaderFill(const ColumnBox& box, int lineY, int lineHeight, bool firstColumn, bool lastColumn);
// The header title's box: the fill inset by H/5 on both sides.
BoxRect HeaderText(const BoxRect& fill, int lineHeight);
// A cell's text box: the cell inset by H/4 on both sides; in the first column with icons, the
// text starts H further right.
BoxRect CellText(const ColumnBox& box, int lineY, int lineHeight, bool withIcon);
// The icon of a row: 88 % of the line height tall, as wide as that at the printer's aspect,
// 6 % of the line below its top, at the left of the text box.
BoxRect IconBox(const ColumnBox& box, int lineY, int lineHeight, int dpiX, int dpiY);

}  // namespace shelfmark
