// The print/export dialog ("Dlg_ExportList") over one list: the target (CSV, text, XML or a
// printer), which columns go out and how wide, the target's options, and OK to write. The
// export or print runs on a worker while the status bar shows its progress; Cancel then asks
// before it stops the worker, and a file keeps the rows written before. The choices are
// remembered per list and target in ExportList.tkp (lists/ExportSettings.h).
//
// The dialog decides nothing of its own: the file formats are lists/ListExport.h, the remembered
// settings lists/ExportSettings.h, the pages lists/PageModel.h drawn by lists/print. The print
// preview draws through the same code as the printer.
//
//     ExportListDialog::Run(window, table, tree, "SearchResult", prompter);
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/ExportSettings.h"
#include "lists/ListExport.h"
#include "lists/ListTable.h"
#include "lists/print/ListPrinter.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTreeWidget;

namespace shelfmark {

class CatalogTree;
class ListWorker;
class Prompter;

// What a list window hands over: its rows in display order, the catalog they come from, the
// name its settings are kept under ("Main", a profile's name, "SearchResult", ...), and the
// pixel widths its columns have now (empty: the table's own), which Auto Size goes by.
struct ExportRequest {
    const ListTable* table = nullptr;
    const CatalogTree* tree = nullptr;
    std::string listName;
    std::vector<int> pixelWidths;
};

class ExportListDialog : public QDialog {
    Q_OBJECT
  public:
    ExportListDialog(const ExportRequest& request, Prompter& prompter, QWidget* parent = nullptr);
    ~ExportListDialog() override;

    // Opens the dialog modally; QDialog::Accepted when something was written or printed.
    static int Run(QWidget* parent, const ListTable& table, const CatalogTree& tree, std::string_view listName,
                   Prompter& prompter, std::vector<int> pixelWidths = {});

    ExportTarget target() const { return target_; }
    // Switches the target as the drop-down does (the printer is chosen on the first switch).
    void setTarget(ExportTarget target);
    // The file the next export writes, instead of asking with a file chooser.
    void setTargetPath(const std::string& path) { targetPath_ = path; }
    // Prints into a PDF file, as "Print to File" in the print dialog does.
    void usePdfFile(const QString& path);
    // The columns as now chosen (check mark and width per source column).
    const std::vector<ExportColumn>& columns() const { return settings_.columns; }
    // Ticks or unticks a column as a click on its box does.
    void setColumnChecked(size_t column, bool checked);
    // The status bar's "Total Width:" text (empty for CSV and XML).
    QString totalText() const;
    // What the last run ended with.
    std::optional<ExportOutcome> exportOutcome() const { return exportOutcome_; }
    std::optional<PrintOutcome> printOutcome() const { return printOutcome_; }
    bool running() const;

    QComboBox* targetBox() const { return targetBox_; }
    QTreeWidget* columnList() const { return columnList_; }
    QSpinBox* widthSpin() const { return widthSpin_; }
    QLineEdit* separatorEdit() const { return separator_; }
    QComboBox* styleSheetBox() const { return styleSheet_; }
    QCheckBox* printIconsBox() const { return printIcons_; }
    QPushButton* okButton() const { return ok_; }
    // The button beside Font that chooses the text colour; its icon is a swatch of the colour.
    QPushButton* fontColorButton() const { return fontColor_; }
    // The printed text's colour as now chosen (RGB, red in the low byte).
    uint32_t fontColor() const { return settings_.print.fontColor; }

    // Recomputes the printer percentages from the source's pixel widths.
    void autoSize();
    // Opens the print preview of the current choices.
    void showPreview();

  public slots:
    void accept() override;  // OK: starts the export
    void reject() override;  // Cancel: asks while running, else closes

  private:
    void buildTargetPages();
    void loadTarget();
    void fillColumnList();
    void showColumnWidth(int row);
    void updateTotal();
    void updateRow(int row);
    bool choosePrinter(bool firstTime);
    void chooseFont();
    void chooseFontColor();
    void showFontColor();
    void browseStyleSheet();
    void showPrinterName();
    std::optional<std::string> chooseTargetFile();
    PrintJob printJob() const;
    void collectFields();
    void startWorker();
    void saveSettings();
    void setRunning(bool running);

    ExportRequest request_;
    std::vector<ListColumn> sourceColumns_;  // titles and the widths Auto Size goes by
    Prompter& prompter_;
    std::string settingsPath_;
    ExportTarget target_ = ExportTarget::Csv;
    ExportSettings settings_;
    std::string targetPath_;
    std::unique_ptr<QPrinter> printer_;
    bool printerChosen_ = false;
    bool filling_ = false;
    std::optional<ExportOutcome> exportOutcome_;
    std::optional<PrintOutcome> printOutcome_;
    // Written by the running job only, taken over by the two above when its end is heard.
    std::optional<ExportOutcome> jobExportOutcome_;
    std::optional<PrintOutcome> jobPrintOutcome_;

    QComboBox* targetBox_;
    QTreeWidget* columnList_;
    QSpinBox* widthSpin_;
    QLabel* widthLabel_;
    QStackedWidget* pages_;
    QLineEdit* separator_ = nullptr;
    QComboBox* styleSheet_ = nullptr;
    QLabel* printerName_ = nullptr;
    QCheckBox* printIcons_ = nullptr;
    QPushButton* fontColor_ = nullptr;
    QLabel* status_;
    QLabel* total_;
    QProgressBar* progress_;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    ListWorker* worker_;
};

}  // namespace shelfmark
