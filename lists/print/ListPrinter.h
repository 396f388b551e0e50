// Printing a list with Qt PrintSupport: to a PDF file, or to a CUPS printer chosen by name.
// The layout (printable rectangle, lines per page, rows per page, copies, column and icon
// boxes) is the headless page model of lists/PageModel.h; this file only draws it.
//
// Works without a desktop session: when the process has no Qt application object yet, one is
// made on the offscreen platform (unless a display is there).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lists/ExportSettings.h"
#include "lists/ListTable.h"
#include "lists/PageModel.h"

class QColor;
class QImage;
class QPrinter;

namespace shelfmark {

class CancelFlag;
class Prompter;

struct PrintJob {
    const ListTable* table = nullptr;
    std::string listName;                // the document is named "Shelfmark: LISTNAME"
    std::vector<ExportColumn> columns;   // check mark and percent per table column
    PrintSettings settings;
    std::string pdfPath;      // not empty: write this PDF file
    std::string printerName;  // otherwise this printer (empty: the system's default)
    PageRange range{1, 0};    // last 0: up to the last page
    int copies = 1;
    bool collate = true;
    const CancelFlag* cancel = nullptr;  // read before each page and each row
    std::function<void(size_t row, size_t rows)> progress;
    // The row's small icon; when unset, a plain drawing of the item's kind is used.
    std::function<QImage(const ListTable::Row&)> icon;
};

enum class PrintOutcome { Printed, Cancelled, NothingTicked, NoPrinter, CannotStart };

PrintOutcome PrintList(const PrintJob& job, Prompter& prompter);
// Draws the job on a printer the caller set up (a print preview's, or one a print dialog
// chose); the job's pdfPath and printerName are not looked at. The page setup is the job's.
PrintOutcome PrintListOn(QPrinter& printer, const PrintJob& job, Prompter& prompter);

// The pages `job` will take on its printer (the page estimate shown before printing); 0 when
// the printer is not available.
int EstimatePrintPages(const PrintJob& job);

// The font face printed lists use unless told otherwise: Arial when the system has it, else the
// desktop's sans-serif face.
std::string DefaultPrintFontFace();

// The colour of a stored font colour value (RGB with red in the low byte, as PrintSettings and
// ExportList.tkp keep it; the top byte is not looked at), and the value of a colour.
QColor FontColorOf(uint32_t value);
uint32_t FontColorValue(const QColor& color);

// The names of the printers the system offers, and the default one (empty when none).
std::vector<std::string> PrinterNames();
std::string DefaultPrinterName();

}  // namespace shelfmark
