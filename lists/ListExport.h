// Writing a list out: comma-separated values, fixed-width text or XML. The writers read the
// ticked columns' cell texts of a ListTable row by row, in the table's order.
//
// CSV:  "title","title"\r\n then "cell","cell"\r\n per row. The delimiter is a quote, the field
//       separator and a quote, where "\t", "\n" and "\r" typed as two characters stand for the
//       control character. Quotes inside texts are written as they are.
// Text: each text fitted into its column's width (FitText), followed by width - length + 1
//       blanks except in the last column; an empty line under the header.
// XML:  <?xml version="1.0" encoding="Windows-1252"?>, the optional style-sheet line, an empty
//       line, <ItemList Database="NAME"> holding one <Item Type="TYPE"> per row with one element
//       per ticked column named after its title (blanks become "_"): <Name>text</Name>, or
//       <Name/> for an empty text. Lines end in CR LF, except after </ItemList>.
// CSV and text are UTF-8; XML is Windows-1252 bytes with other characters as &#NNNN;.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/ListTable.h"

namespace shelfmark {

class CancelFlag;
class CatalogTree;
class Prompter;

enum class ExportTarget { Csv = 0, Text = 1, Xml = 2, Printer = 3 };

// "csv", "txt", "xml", "prn": the suffix of the target's settings section.
std::string_view TargetSuffix(ExportTarget target);

// One source column as the export dialog shows it.
struct ExportColumn {
    bool checked = true;
    int width = 20;  // characters (Text) or percent of the printable width (Printer)
};

struct ExportOptions {
    ExportTarget target = ExportTarget::Csv;
    std::vector<ExportColumn> columns;  // one per table column; missing ones count as ticked
    std::string fieldSeparator = ",";
    std::string styleSheet;    // XML: the href of the style-sheet line; empty: no line
    std::string databaseName;  // XML: the catalog root's name
};

// A text fitted into `width` characters. A longer text with a "\" keeps its first
// (width + b - L - 2) characters (L its length, b the place of its last "\"), then "...", then
// that "\" and the rest; it stays unchanged when that count would be negative. A longer text
// without "\" is cut to width - 3 characters and "..." (to width characters when width < 4).
// Characters, not bytes, are counted.
std::string FitText(std::string_view text, int width);

// The delimiter between two CSV fields for a typed separator.
std::string CsvDelimiter(std::string_view separator);

// The type an XML row names: "Shortcut", "Folder", the disk's media type, "Directory", or
// "File" for every file and archive (whatever its name).
std::string XmlItemType(const CatalogTree& tree, const CatalogItem* item);

// Produces a target's bytes piece by piece.
class ListExportFormat {
  public:
    // `tree` gives XML its item types; it may be null for the other targets.
    ListExportFormat(const ListTable& table, const ExportOptions& options, const CatalogTree* tree);
    // Whether anything is written at all: CSV and XML write nothing (and create no file) when no
    // column is ticked; Text then leaves an empty file.
    bool writesFile() const;
    bool anyTicked() const { return !ticked_.empty(); }
    void appendHead(std::string& out) const;
    // One row, cell by cell: the plain way every target can take.
    void appendRow(std::string& out, size_t row) const;
    // Rows [first, end), the same bytes as appendRow for each, but CSV and text rows are copied
    // straight from the table's cell buffer into one piece of `out`. Before each row `cancel`
    // (when given) is read; returns the row it stopped before: `end`, or an earlier one when
    // cancelled.
    size_t appendRows(std::string& out, size_t first, size_t end, const CancelFlag* cancel = nullptr) const;
    void appendTail(std::string& out) const;

  private:
    // A CSV or text line of the ticked columns' texts, then `ending`.
    // textOf(column) gives a column's text; defined (and used) in the source file only.
    template <typename TextOf>
    void appendLine(std::string& out, TextOf&& textOf, std::string_view ending) const;
    // The block writers of appendRows; they need first < end and a ticked column.
    size_t appendCsvRows(std::string& out, size_t first, size_t end, const CancelFlag* cancel) const;
    size_t appendTextRows(std::string& out, size_t first, size_t end, const CancelFlag* cancel) const;

    const ListTable& table_;
    const ExportOptions& options_;
    const CatalogTree* tree_;
    std::vector<size_t> ticked_;
    std::vector<int> widths_;
    std::vector<std::string> elements_;
    std::string delimiter_;
};

// The whole export as bytes (what the file would hold after a run without cancel).
std::string ExportedBytes(const ListTable& table, const ExportOptions& options, const CatalogTree* tree);

struct ExportJob {
    const ListTable* table = nullptr;
    const CatalogTree* tree = nullptr;
    ExportOptions options;
    std::string path;
    const CancelFlag* cancel = nullptr;  // read before each row; the file keeps what was written
    // Called with the row index at every thousandth of the rows.
    std::function<void(size_t row, size_t rows)> progress;
};

enum class ExportOutcome {
    Written,
    Cancelled,        // the file holds the rows written before
    NothingTicked,    // no file was written (Text: an empty one)
    EmptySeparator,   // CSV without a separator: "Please fill out this field correctly."
    CannotWrite       // "Unable to write to PATH, it is read-only or opened by someone else."
};

// Runs a file export (CSV, Text, XML); messages go to the prompter.
ExportOutcome RunListExport(const ExportJob& job, Prompter& prompter);

}  // namespace shelfmark
