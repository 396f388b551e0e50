#include "lists/PageModel.h"

#include <algorithm>
#include <cstdlib>

namespace shelfmark {

int MulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * int64_t(b);
    const int64_t divisor = c;
    const bool negative = (product < 0) != (divisor < 0);
    const int64_t magnitude = (std::llabs(product) + std::llabs(divisor) / 2) / std::llabs(divisor);
    return int(negative ? -magnitude : magnitude);
}

int MillimetresToPixels(int millimetres, int dpi) {
    return MulDiv(millimetres * 10, dpi, 254);
}

PageRect PrintableRect(const PrinterMetrics& m) {
    const int marginX = MillimetresToPixels(10, m.dpiX);
    const int marginY = MillimetresToPixels(10, m.dpiY);
    PageRect rect;
    rect.left = std::max(0, marginX - m.offsetX);
    rect.right = m.printableWidth - std::max(0, marginX + m.offsetX + m.printableWidth - m.physicalWidth);
    rect.top = std::max(0, marginY - m.offsetY);
    rect.bottom = m.printableHeight - std::max(0, marginY + m.offsetY + m.printableHeight - m.physicalHeight);
    return rect;
}

int LinesPerPage(const PageRect& rect, int lineHeight) {
    if (lineHeight <= 0)
        return 2;
    return std::max(2, rect.height() / lineHeight);
}

int PointsToPixels(int points, int dpiY) {
    return std::abs(MulDiv(points, dpiY, 72));
}

int PageCount(size_t rows, int linesPerPage) {
    const size_t lines = size_t(std::max(linesPerPage, 2));
    return int((rows + 1 + lines - 1) / lines);
}

std::vector<PrintedPage> PagesOfRange(size_t rows, int linesPerPage, PageRange range) {
    const size_t lines = size_t(std::max(linesPerPage, 2));
    std::vector<PrintedPage> pages;
    const int first = std::max(range.first, 1);
    size_t row = first == 1 ? 0 : lines * size_t(first - 1) - 1;
    for (int page = first; page <= range.last; ++page) {
        const bool header = page == first;
        if (row >= rows && !(header && rows == 0))
            break;
        const size_t capacity = header ? lines - 1 : lines;
        const size_t end = std::min(rows, row + capacity);
        pages.push_back({page, row, end, header});
        row = end;
    }
    return pages;
}

std::vector<PrintedPage> PrintSequence(size_t rows, int linesPerPage, PageRange range, int copies, bool collate) {
    const std::vector<PrintedPage> pages = PagesOfRange(rows, linesPerPage, range);
    const int count = std::max(copies, 1);
    std::vector<PrintedPage> sequence;
    sequence.reserve(pages.size() * size_t(count));
    if (collate) {
        for (int copy = 0; copy < count; ++copy)
            sequence.insert(sequence.end(), pages.begin(), pages.end());
    } else {
        for (const PrintedPage& page : pages)
            sequence.insert(sequence.end(), size_t(count), page);
    }
    return sequence;
}

std::vector<ColumnBox> ColumnBoxes(const PageRect& rect, std::span<const ListColumn> columns,
                                   std::span<const ExportColumn> choices) {
    std::vector<ColumnBox> boxes;
    int x = rect.left;
    for (size_t c = 0; c < columns.size(); ++c) {
        if (c < choices.size() && !choices[c].checked)
            continue;
        const int percent = c < choices.size() ? choices[c].width : 0;
        const int width = MulDiv(rect.width(), percent, 100);
        boxes.push_back({c, x, width, columns[c].alignment});
        x += width;
    }
    return boxes;
}

BoxRect HeaderFill(const ColumnBox& box, int lineY, int lineHeight, bool firstColumn, bool lastColumn) {
    const int left = box.x + (firstColumn ? 0 : lineHeight / 10);
    const int right = box.x + box.width - (lastColumn ? 0 : lineHeight / 10);
    return {left, lineY, right - left, lineHeight};
}

BoxRect HeaderText(const BoxRect& fill, int lineHeight) {
    const int inset = lineHeight / 5;
    return {fill.x + inset, fill.y, fill.width - 2 * inset, fill.height};
}

BoxRect CellText(const ColumnBox& box, int lineY, int lineHeight, bool withIcon) {
    const int inset = lineHeight / 4;
    BoxRect text{box.x + inset, lineY, box.width - 2 * inset, lineHeight};
    if (withIcon) {
        text.x += lineHeight;
        text.width -= lineHeight;
    }
    return text;
}

BoxRect IconBox(const ColumnBox& box, int lineY, int lineHeight, int dpiX, int dpiY) {
    const int height = MulDiv(lineHeight, 88, 100);
    const int width = dpiY > 0 ? MulDiv(height, dpiX, dpiY) : height;
    return {box.x + lineHeight / 4, lineY + MulDiv(lineHeight, 6, 100), width, height};
}

}  // namespace shelfmark
