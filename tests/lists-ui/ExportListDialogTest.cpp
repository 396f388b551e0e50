// The print/export dialog driven as a user drives it: targets, ticks and widths, OK, the worker's
// end closing the dialog, the remembered choices, and Cancel while the worker runs. The files
// are checked byte by byte as written out here, XML through xmllint, PDF through pdftotext and
// pdftoppm.
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <sys/stat.h>
#include <thread>

#include "foundation/LanguageTexts.h"
#include "foundation/ProfileFile.h"
#include "foundation/ScriptedPrompter.h"
#include "foundation/StringFormat.h"
#include "foundation/ui/DialogTexts.h"
#include "lists/ui/ExportListDialog.h"
#include "tests/lists/ListsTestCatalog.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/PdfRaster.h"
#include "tests/support/TestSupport.h"

using namespace shelfmark;
using shelfmark::testing::ModalDriver;
using shelfmark::testing::ReadFile;
using shelfmark::testing::RunCommand;
using shelfmark::testing::ShellQuote;

namespace {

// Waits for the worker's end to close the dialog.
bool Finished(ExportListDialog& dialog) {
    QSignalSpy spy(&dialog, &QDialog::finished);
    return spy.count() > 0 || spy.wait(60000);
}

// The colour in the middle of the colour button's swatch.
QColor SwatchColor(const ExportListDialog& dialog) {
    const QPushButton* button = dialog.fontColorButton();
    const QImage swatch = button->icon().pixmap(button->iconSize()).toImage();
    return swatch.pixelColor(swatch.width() / 2, swatch.height() / 2);
}

// Strongly red pixels, and pixels dark in every channel (black text), of an image.
struct Ink {
    size_t red = 0;
    size_t dark = 0;
};
Ink InkOf(const QImage& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            ink.red += c.red() > 150 && c.green() < 90 && c.blue() < 90;
            ink.dark += c.red() < 100 && c.green() < 100 && c.blue() < 100;
        }
    return ink;
}

}  // namespace

class ExportListDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ScopedConfigHome> config;
    std::unique_ptr<testing::TempDir> dir;
    std::unique_ptr<testing::ListsCatalog> catalog;
    std::unique_ptr<ScriptedPrompter> prompter;
    ListTable table;

    ExportRequest request(const ListTable& rows) {
        ExportRequest r;
        r.table = &rows;
        r.tree = &catalog->tree;
        r.listName = "MP3 files";
        return r;
    }
    std::string path(const char* name) { return (*dir / name).string(); }

  private slots:
    void init() {
        config = std::make_unique<testing::ScopedConfigHome>();
        dir = std::make_unique<testing::TempDir>();
        catalog = std::make_unique<testing::ListsCatalog>();
        prompter = std::make_unique<ScriptedPrompter>();
        table = ListTable({{"Name", 0x00, ColumnAlignment::Left, 150},
                           {"In Directory", 0x04, ColumnAlignment::Left, 50},
                           {"Size", 0x01, ColumnAlignment::Right, 50}});
        table.beginRow(catalog->artistTitle, 0);
        table.appendCell("Artist - Title.mp3");
        table.appendCell("CD One\\Pop");
        table.appendCell("1,000");
        table.beginRow(catalog->titleOnly, 0);
        table.appendCell("Title & <only>.MP3");
        table.appendCell("");
        table.appendCell("1,001");
        table.beginRow(catalog->pop, 0);
        table.appendCell("Pop");
        table.appendCell("CD One");
        table.appendCell("");
    }
    void cleanup() {
        catalog.reset();
        dir.reset();
        config.reset();
    }

    void csvWithTheFirstColumnUntickedIsRemembered() {
        {
            ExportListDialog dialog(request(table), *prompter);
            QCOMPARE(dialog.target(), ExportTarget::Csv);
            QCOMPARE(dialog.separatorEdit()->text(), QStringLiteral(","));
            QCOMPARE(dialog.columnList()->topLevelItemCount(), 3);
            QVERIFY(dialog.totalText().isEmpty());
            dialog.setColumnChecked(0, false);
            dialog.separatorEdit()->setText(QStringLiteral("\\t"));
            dialog.setTargetPath(path("list.csv"));
            dialog.accept();
            QVERIFY(Finished(dialog));
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.exportOutcome(), std::optional(ExportOutcome::Written));
        }
        QCOMPARE(ReadFile(path("list.csv")),
                 std::string("\"In Directory\"\t\"Size\"\r\n"
                             "\"CD One\\Pop\"\t\"1,000\"\r\n"
                             "\"\"\t\"1,001\"\r\n"
                             "\"CD One\"\t\"\"\r\n"));
        // The choices are kept under the list's name and come back next time.
        ProfileFile stored((config->configDir() / "ExportList.tkp").string());
        QCOMPARE(stored.getString("MP3 files:csv", "Name"), std::string("0"));
        QCOMPARE(stored.getString("MP3 files:csv", "Size"), std::string("1"));
        QCOMPARE(stored.getString("MP3 files:csv", "FieldSeparator"), std::string("\\t"));
        ExportListDialog again(request(table), *prompter);
        QCOMPARE(again.columnList()->topLevelItem(0)->checkState(0), Qt::Unchecked);
        QCOMPARE(again.columns()[1].checked, true);
        QCOMPARE(again.separatorEdit()->text(), QStringLiteral("\\t"));
    }

    void emptySeparatorStartsNothing() {
        ExportListDialog dialog(request(table), *prompter);
        dialog.separatorEdit()->clear();
        dialog.setTargetPath(path("none.csv"));
        dialog.accept();
        QVERIFY(!dialog.running());
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{Str(19)});
        QVERIFY(!std::filesystem::exists(path("none.csv")));
        QVERIFY(!std::filesystem::exists(config->configDir() / "ExportList.tkp"));
    }

    void xmlParsesAndRemembersTheStyleSheet() {
        if (!testing::HaveProgram("xmllint"))
            QSKIP("xmllint is missing");
        {
            ExportListDialog dialog(request(table), *prompter);
            dialog.setTarget(ExportTarget::Xml);
            dialog.styleSheetBox()->setEditText(QStringLiteral("list.xsl"));
            dialog.setTargetPath(path("list.xml"));
            dialog.accept();
            QVERIFY(Finished(dialog));
        }
        const std::string file = ShellQuote(path("list.xml"));
        QCOMPARE(RunCommand("xmllint --noout " + file + " 2>&1").exitCode, 0);
        auto xpath = [&](const std::string& expression) {
            std::string out = RunCommand("xmllint --xpath " + ShellQuote(expression) + " " + file + " 2>/dev/null").out;
            if (!out.empty() && out.back() == '\n')
                out.pop_back();
            return out;
        };
        QCOMPARE(xpath("count(/ItemList/Item)"), std::string("3"));
        QCOMPARE(xpath("string(/ItemList/Item[2]/Name)"), std::string("Title & <only>.MP3"));
        QCOMPARE(xpath("string(/ItemList/Item[1]/In_Directory)"), std::string("CD One\\Pop"));
        QCOMPARE(xpath("count(/ItemList/Item[2]/In_Directory/node())"), std::string("0"));
        QCOMPARE(xpath("string(/ItemList/Item[3]/@Type)"), std::string("Directory"));
        QCOMPARE(xpath("string(/ItemList/Item[1]/@Type)"), std::string("File"));
        QVERIFY(ReadFile(path("list.xml")).find("<?xml-stylesheet type=\"text/xsl\" href=\"list.xsl\"?>\r\n") !=
                std::string::npos);

        // The sheet used is offered first next time, and is the field's text.
        ExportListDialog again(request(table), *prompter);
        again.setTarget(ExportTarget::Xml);
        QCOMPARE(again.styleSheetBox()->count(), 1);
        QCOMPARE(again.styleSheetBox()->itemText(0), QStringLiteral("list.xsl"));
        QCOMPARE(again.styleSheetBox()->currentText(), QStringLiteral("list.xsl"));
    }

    void textWidthsAndTheirTotal() {
        ExportListDialog dialog(request(table), *prompter);
        dialog.setTarget(ExportTarget::Text);
        QCOMPARE(dialog.totalText(), DialogText("Dlg_ExportList", 3) + QStringLiteral(" 60 "));
        dialog.columnList()->setCurrentItem(dialog.columnList()->topLevelItem(0));
        dialog.widthSpin()->setValue(10);
        dialog.setColumnChecked(2, false);
        QCOMPARE(dialog.totalText(), DialogText("Dlg_ExportList", 3) + QStringLiteral(" 30 "));
        QCOMPARE(dialog.columnList()->topLevelItem(0)->text(1), QStringLiteral("10"));
        dialog.setTargetPath(path("list.txt"));
        dialog.accept();
        QVERIFY(Finished(dialog));
        // "Artist - Title.mp3" (18) fitted into 10 is "Artist ..." and one blank follows.
        QCOMPARE(ReadFile(path("list.txt")),
                 std::string("Name       In Directory\r\n\r\n"
                             "Artist ... CD One\\Pop\r\n"
                             "Title &... \r\n"
                             "Pop        CD One\r\n"));
        ProfileFile stored((config->configDir() / "ExportList.tkp").string());
        QCOMPARE(stored.getString("MP3 files:txt", "Name"), std::string("1,10"));
        QCOMPARE(stored.getString("MP3 files:txt", "Size"), std::string("0,20"));
    }

    void printsToPdfWithAutoSizedColumns() {
        if (!testing::HaveProgram("pdftotext"))
            QSKIP("poppler-utils are missing");
        ExportListDialog dialog(request(table), *prompter);
        dialog.usePdfFile(QString::fromStdString(path("list.pdf")));
        dialog.setTarget(ExportTarget::Printer);
        QCOMPARE(dialog.target(), ExportTarget::Printer);
        // 150, 50 and 50 pixels: 60 %, 20 %, 20 %.
        QCOMPARE(dialog.columns()[0].width, 60);
        QCOMPARE(dialog.columns()[1].width, 20);
        QCOMPARE(dialog.totalText(), DialogText("Dlg_ExportList", 3) + QStringLiteral(" 100%"));
        dialog.setColumnChecked(2, false);
        dialog.autoSize();
        QCOMPARE(dialog.columns()[0].width, 75);
        QCOMPARE(dialog.columns()[1].width, 25);
        dialog.accept();
        QVERIFY(Finished(dialog));
        QCOMPARE(dialog.printOutcome(), std::optional(PrintOutcome::Printed));
        const std::string text = RunCommand("pdftotext -layout " + ShellQuote(path("list.pdf")) + " -").out;
        QVERIFY2(text.find("In Directory") != std::string::npos, text.c_str());
        QVERIFY(text.find("Artist - Title.mp3") != std::string::npos);
        QVERIFY(text.find("CD One\\Pop") != std::string::npos);
        QVERIFY(text.find("1,001") == std::string::npos);  // the unticked column
        ProfileFile stored((config->configDir() / "ExportList.tkp").string());
        QCOMPARE(stored.getString("MP3 files:prn", "Name"), std::string("1,75"));
        QCOMPARE(stored.getString("MP3 files:prn", "Size"), std::string("0,20"));
    }

    void fontColourIsChosenRememberedAndPrinted() {
        if (!testing::HaveProgram("pdftoppm"))
            QSKIP("poppler-utils are missing");
        const QColor chosen(0xC8, 0x10, 0x20);
        {
            ExportListDialog dialog(request(table), *prompter);
            dialog.usePdfFile(QString::fromStdString(path("red.pdf")));
            dialog.setTarget(ExportTarget::Printer);
            QVERIFY(!dialog.fontColorButton()->isHidden());
            QCOMPARE(dialog.fontColor(), 0u);
            QCOMPARE(SwatchColor(dialog), QColor(Qt::black));
            // Cancelling the colour dialog keeps the colour; OK takes the one chosen.
            ModalDriver driver;
            driver.onNextModal([&](QWidget* window) {
                auto* colors = qobject_cast<QColorDialog*>(window);
                QVERIFY(colors != nullptr);
                QCOMPARE(colors->currentColor(), QColor(Qt::black));
                colors->setCurrentColor(Qt::green);
                colors->reject();
            });
            dialog.fontColorButton()->click();
            QCOMPARE(dialog.fontColor(), 0u);
            driver.onNextModal([&](QWidget* window) {
                auto* colors = qobject_cast<QColorDialog*>(window);
                QVERIFY(colors != nullptr);
                colors->setCurrentColor(chosen);
                colors->accept();
            });
            dialog.fontColorButton()->click();
            QVERIFY(driver.allRan());
            QCOMPARE(dialog.fontColor(), 0x2010C8u);  // red in the low byte
            QCOMPARE(SwatchColor(dialog), chosen);
            dialog.printIconsBox()->setChecked(false);  // icons have dark lines of their own
            dialog.accept();
            QVERIFY(Finished(dialog));
            QCOMPARE(dialog.printOutcome(), std::optional(PrintOutcome::Printed));
        }
        ProfileFile stored((config->configDir() / "ExportList.tkp").string());
        QCOMPARE(stored.getString("MP3 files:prn", "FontColor"), std::to_string(0x2010C8));

        // The printed text is in that colour, as an independent renderer draws the page.
        const std::optional<testing::PdfRaster> page = testing::RenderPdfPage(path("red.pdf"));
        QVERIFY(page.has_value());
        const QImage image(reinterpret_cast<const uchar*>(page->rgb.data()), page->width, page->height,
                           3 * page->width, QImage::Format_RGB888);
        const Ink printed = InkOf(image);
        QVERIFY2(printed.red > 300, qPrintable(QString::number(printed.red)));
        QCOMPARE(printed.dark, size_t(0));

        // Next time the printer settings bring the colour back, and the preview shows it.
        ExportListDialog again(request(table), *prompter);
        again.usePdfFile(QString::fromStdString(path("again.pdf")));
        again.setTarget(ExportTarget::Printer);
        QCOMPARE(again.fontColor(), 0x2010C8u);
        QCOMPARE(SwatchColor(again), chosen);
        Ink previewed;
        ModalDriver driver;
        driver.onNextModal([&](QWidget* window) {
            auto* pages = window->findChild<QPrintPreviewWidget*>();
            QVERIFY(pages != nullptr);
            pages->updatePreview();
            QApplication::processEvents();
            previewed = InkOf(pages->grab().toImage());
            window->close();
        });
        again.showPreview();
        QVERIFY(driver.allRan());
        QVERIFY2(previewed.red > 50, qPrintable(QString::number(previewed.red)));
    }

    void aTargetThatCannotBeWrittenIsReportedFromTheWorker() {
        // The worker's message box is shown on the dialog's thread while the worker waits; the
        // outcome it leaves is the dialog's once the end is heard.
        ExportListDialog dialog(request(table), *prompter);
        const std::string target = path("missing/list.csv");
        dialog.setTargetPath(target);
        dialog.accept();
        QVERIFY(Finished(dialog));
        QCOMPARE(dialog.exportOutcome(), std::optional(ExportOutcome::CannotWrite));
        QCOMPARE(prompter->shown().size(), size_t(1));
        QVERIFY(prompter->shownTexts().front().rfind("Unable to write to " + target + ",", 0) == 0);
        // A second run in the same dialog starts from no outcome and ends with its own.
        dialog.setTargetPath(path("list.csv"));
        dialog.accept();
        QVERIFY(Finished(dialog));
        QCOMPARE(dialog.exportOutcome(), std::optional(ExportOutcome::Written));
        QCOMPARE(prompter->shown().size(), size_t(1));
    }

    void cancelKeepsTheRowsWritten() {
        ListTable big({{"Name", 0x00, ColumnAlignment::Left, 150}});
        constexpr size_t kRows = 100'000;
        for (size_t i = 0; i < kRows; ++i) {
            big.beginRow(nullptr, 0);
            big.appendCell(StringPrintf("entry %07zu", i));
        }
        // A pipe as the target holds the worker at the file's opening until the test reads, so
        // the cancel surely comes while it runs.
        const std::string fifo = path("big.csv");
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        ExportListDialog dialog(request(big), *prompter);
        dialog.setTargetPath(fifo);
        prompter->queueAnswer(PromptAnswer::Yes);
        dialog.accept();
        QVERIFY(dialog.running());
        QVERIFY(!dialog.okButton()->isEnabled());
        dialog.reject();  // Cancel: the question, then the worker stops before its next row
        std::string written;
        std::thread reader([&] { written = ReadFile(fifo); });
        QVERIFY(Finished(dialog));
        reader.join();
        QCOMPARE(prompter->shownTexts(), std::vector<std::string>{Str(173)});
        QCOMPARE(dialog.exportOutcome(), std::optional(ExportOutcome::Cancelled));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        // What was written stays: the header line and whole rows in order, fewer than all.
        QVERIFY(written.rfind("\"Name\"\r\n", 0) == 0);
        QVERIFY(written.ends_with("\r\n"));
        const size_t lines = static_cast<size_t>(std::count(written.begin(), written.end(), '\n'));
        QVERIFY(lines < kRows + 1);
        if (lines > 1)
            QCOMPARE(written.substr(written.size() - 17), StringPrintf("\"entry %07zu\"\r\n", lines - 2));
    }
};

QTEST_MAIN(ExportListDialogTest)
#include "ExportListDialogTest.moc"
