// The block writers of CSV and text rows against the plain row-by-row writer and a naive writer
// written here, over random tables: every byte must agree, whatever the cell lengths
// (around the fixed-size copy), separators (short and long), column widths (texts cut or not),
// ticked columns and block boundaries.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/CancelFlag.h"
#include "foundation/ScriptedPrompter.h"
#include "lists/ListExport.h"
#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

// Random cell texts: empty, short, and longer than one copied piece; plain letters, quotes,
// separators, line breaks, backslashes, multi-byte characters and bytes that are not UTF-8.
std::string RandomText(std::mt19937& random) {
    static const char* const kPieces[] = {"a", "Z", "\"", ",", ";", "\r\n", "\t", "\\", " ", "\xC3\xA4", "\xE2\x82\xAC", "7",
                                       "\\", "\x80", "\xFF"};
    const size_t lengths[] = {0, 1, 5, 15, 16, 17, 31, 32, 33, 40, 64, 100};
    const size_t length = lengths[random() % std::size(lengths)];
    std::string text;
    while (text.size() < length)
        text += kPieces[random() % std::size(kPieces)];
    return text;
}

ListTable RandomTable(std::mt19937& random, size_t columns, size_t rows) {
    std::vector<ListColumn> header;
    for (size_t c = 0; c < columns; ++c)
        header.push_back(ListColumn{"Column " + std::to_string(c) + RandomText(random)});
    ListTable table(std::move(header));
    for (size_t r = 0; r < rows; ++r) {
        table.beginRow(nullptr, 0);
        for (size_t c = 0; c < columns; ++c)
            table.appendCell(RandomText(random));
    }
    return table;
}

// The row-by-row writer: head, every row through appendRow, tail.
std::string PlainBytes(const ListTable& table, const ExportOptions& options) {
    const ListExportFormat format(table, options, nullptr);
    std::string out;
    format.appendHead(out);
    for (size_t row = 0; row < table.rowCount(); ++row)
        format.appendRow(out, row);
    format.appendTail(out);
    return out;
}

// CSV as plainly as it can be said: a quote, the ticked cells joined by the delimiter, a quote
// and CR LF, for the titles and then for every row.
std::string NaiveCsv(const ListTable& table, const ExportOptions& options) {
    std::vector<size_t> ticked;
    for (size_t c = 0; c < table.columnCount(); ++c)
        if (c >= options.columns.size() || options.columns[c].checked)
            ticked.push_back(c);
    if (ticked.empty())
        return "";
    const std::string delimiter = CsvDelimiter(options.fieldSeparator);
    std::string out;
    const auto line = [&](auto&& textOf) {
        out += '"';
        for (size_t i = 0; i < ticked.size(); ++i)
            out += (i ? delimiter : "") + std::string(textOf(ticked[i]));
        out += "\"\r\n";
    };
    line([&](size_t c) { return table.columns()[c].title; });
    for (size_t row = 0; row < table.rowCount(); ++row)
        line([&](size_t c) { return table.cell(row, c); });
    return out;
}

// Fixed-width text as plainly: each ticked cell (fitted when it has more characters than the
// width, a character being every byte that does not continue a UTF-8 sequence) and, but for the
// last column, width - length + 1 blanks when that is positive; an empty line under the titles.
std::string NaiveText(const ListTable& table, const ExportOptions& options) {
    const auto characters = [](std::string_view text) {
        size_t count = 0;
        for (unsigned char byte : text)
            if (byte < 0x80 || byte >= 0xC0)
                ++count;
        return long(count);
    };
    std::vector<size_t> ticked;
    std::vector<long> widths;
    for (size_t c = 0; c < table.columnCount(); ++c) {
        const ExportColumn column = c < options.columns.size() ? options.columns[c] : ExportColumn{};
        if (column.checked) {
            ticked.push_back(c);
            widths.push_back(std::max(column.width, 0));
        }
    }
    std::string out;
    const auto line = [&](auto&& textOf, const char* ending) {
        for (size_t i = 0; i < ticked.size(); ++i) {
            std::string text(textOf(ticked[i]));
            if (characters(text) > widths[i])
                text = FitText(text, int(widths[i]));
            out += text;
            if (i + 1 < ticked.size())
                out += std::string(size_t(std::max(0L, widths[i] - characters(text) + 1)), ' ');
        }
        out += ending;
    };
    if (ticked.empty())
        return out;
    line([&](size_t c) { return table.columns()[c].title; }, "\r\n\r\n");
    for (size_t row = 0; row < table.rowCount(); ++row)
        line([&](size_t c) { return table.cell(row, c); }, "\r\n");
    return out;
}

TEST(RowBlocks, AgreeWithThePlainWritersOverRandomTables) {
    std::mt19937 random(20261208);
    const std::string separators[] = {",", ";", "\\t", "\\r\\n", "|", std::string(40, '#'), "\xE2\x80\x94"};
    const int widths[] = {-1, 0, 1, 3, 4, 5, 10, 20, 33, 40, 120};
    for (int round = 0; round < 600; ++round) {
        const size_t columns = 1 + random() % 6;
        const ListTable table = RandomTable(random, columns, random() % 40);
        ExportOptions options;
        options.target = round % 2 ? ExportTarget::Text : ExportTarget::Csv;
        options.fieldSeparator = separators[random() % std::size(separators)];
        // Some rounds tick every column (also by leaving the list short), the others a random choice.
        const size_t listed = random() % 2 ? columns : random() % columns;
        for (size_t c = 0; c < listed; ++c)
            options.columns.push_back(ExportColumn{random() % 3 != 0, widths[random() % std::size(widths)]});
        const std::string plain = PlainBytes(table, options);
        ASSERT_EQ(ExportedBytes(table, options, nullptr), plain) << "round " << round;
        ASSERT_EQ(options.target == ExportTarget::Csv ? NaiveCsv(table, options) : NaiveText(table, options), plain)
            << "round " << round;

        // Rows appended in blocks of any size give the same bytes as all at once.
        const ListExportFormat format(table, options, nullptr);
        std::string blocks;
        format.appendHead(blocks);
        for (size_t row = 0; row < table.rowCount();) {
            const size_t end = std::min(table.rowCount(), row + 1 + random() % 7);
            ASSERT_EQ(format.appendRows(blocks, row, end), end);
            row = end;
        }
        format.appendTail(blocks);
        ASSERT_EQ(blocks, plain) << "round " << round;
    }
}

TEST(RowBlocks, StopBeforeTheRowWhereCancelIsFound) {
    std::mt19937 random(5);
    const ListTable table = RandomTable(random, 3, 10);
    for (ExportTarget target : {ExportTarget::Csv, ExportTarget::Text, ExportTarget::Xml}) {
        ExportOptions options;
        options.target = target;
        const ListExportFormat format(table, options, nullptr);
        CancelFlag cancel;
        std::string out = "kept";
        EXPECT_EQ(format.appendRows(out, 0, 10, &cancel), 10u);
        EXPECT_GT(out.size(), 4u);
        cancel.request();
        out = "kept";
        EXPECT_EQ(format.appendRows(out, 4, 10, &cancel), 4u);
        EXPECT_EQ(out, "kept");  // nothing of a cancelled row, and what was there stays
        EXPECT_EQ(format.appendRows(out, 3, 3, &cancel), 3u);
    }
}

// A file export of many rows goes through several blocks and buffer flushes; the file must hold
// the same bytes, and progress must come at every step of a thousandth with the same row numbers
// as a row-by-row writer would report them.
TEST(RowBlocks, CsvFileOfManyRowsAndItsProgress) {
    std::mt19937 random(11);
    const ListTable table = RandomTable(random, 4, 25'003);
    testing::TempDir dir;
    ScriptedPrompter prompter;
    ExportJob job;
    job.table = &table;
    job.options.fieldSeparator = "\\t";
    job.path = (dir / "many.csv").string();
    std::vector<size_t> reported;
    job.progress = [&reported](size_t row, size_t rows) {
        EXPECT_EQ(rows, 25'003u);
        reported.push_back(row);
    };
    ASSERT_EQ(RunListExport(job, prompter), ExportOutcome::Written);
    EXPECT_EQ(testing::ReadFile(job.path), NaiveCsv(table, job.options));
    // Every multiple of 25 below the row count, then the count itself at the end.
    ASSERT_EQ(reported.size(), 1001u + 1u);
    for (size_t i = 0; i + 1 < reported.size(); ++i)
        ASSERT_EQ(reported[i], i * 25);
    EXPECT_EQ(reported.back(), 25'003u);

    // Cancelled from the progress report at row 5,000: the file holds the header and rows 0 to 4,999.
    CancelFlag cancel;
    job.cancel = &cancel;
    job.progress = [&cancel](size_t row, size_t) {
        if (row == 5'000)
            cancel.request();
    };
    ASSERT_EQ(RunListExport(job, prompter), ExportOutcome::Cancelled);
    const ListExportFormat format(table, job.options, nullptr);
    std::string expected;
    format.appendHead(expected);
    for (size_t row = 0; row < 5'000; ++row)
        format.appendRow(expected, row);
    EXPECT_EQ(testing::ReadFile(job.path), expected);
}

}  // namespace
}  // namespace shelfmark
