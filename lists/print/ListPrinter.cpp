#include "lists/print/ListPrinter.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "catalog/CatalogItem.h"
#include "foundation/CancelFlag.h"
#include "foundation/Prompter.h"

namespace shelfmark {

namespace {

// Qt's notes about the environment (no runtime folder, no session) mean nothing to someone
// printing from a terminal; real failures are still reported.
void QuietHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// Qt's font and paint machinery needs an application object; a command-line program has none.
void EnsureGuiApplication() {
    if (QCoreApplication::instance())
        return;
    qInstallMessageHandler(QuietHandler);
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "shelfmark";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> application = std::make_unique<QGuiApplication>(argc, argv);
}

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

Qt::Alignment AlignmentOf(ColumnAlignment alignment) {
    switch (alignment) {
        case ColumnAlignment::Right: return Qt::AlignRight;
        case ColumnAlignment::Center: return Qt::AlignHCenter;
        case ColumnAlignment::Left: break;
    }
    return Qt::AlignLeft;
}

QRect RectOf(const BoxRect& box) {
    return QRect(box.x, box.y, box.width, box.height);
}

// Sets up the printer for the job; false when the named printer does not exist.
bool PreparePrinter(QPrinter& printer, const PrintJob& job) {
    if (!job.pdfPath.empty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Q(job.pdfPath));
    } else {
        const QPrinterInfo info = job.printerName.empty() ? QPrinterInfo::defaultPrinter()
                                                          : QPrinterInfo::printerInfo(Q(job.printerName));
        if (info.isNull())
            return false;
        printer.setPrinterName(info.printerName());
    }
    return true;
}

// The page setup every print of a list uses, whoever made the printer.
void SetUpPage(QPrinter& printer, const PrintJob& job) {
    // The printer's own unprintable border is kept by Qt; the 10 mm margin is the page model's.
    printer.setFullPage(false);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setDocName(Q("Shelfmark: " + job.listName));
}

PrinterMetrics MetricsOf(const QPrinter& printer) {
    const int resolution = printer.resolution();
    const QPageLayout layout = printer.pageLayout();
    const QRect full = layout.fullRectPixels(resolution);
    const QRect paint = layout.paintRectPixels(resolution);
    PrinterMetrics metrics;
    metrics.dpiX = printer.physicalDpiX();
    metrics.dpiY = printer.physicalDpiY();
    metrics.physicalWidth = full.width();
    metrics.physicalHeight = full.height();
    metrics.printableWidth = paint.width();
    metrics.printableHeight = paint.height();
    metrics.offsetX = paint.left() - full.left();
    metrics.offsetY = paint.top() - full.top();
    return metrics;
}

QFont FontOf(const PrintSettings& settings, const PrinterMetrics& metrics) {
    QFont font(Q(settings.fontFace.empty() ? DefaultPrintFontFace() : settings.fontFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, PointsToPixels(settings.fontHeight > 0 ? settings.fontHeight : 10, metrics.dpiY)));
    return font;
}

// A plain picture of the item's kind for printers, when the caller has no icons: a folder, a
// disk, or a sheet of paper.
QImage KindIcon(const ListTable::Row& row) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(64, 64, 64));
    const CatalogItem* item = row.item;
    if (item && item->isDisk()) {
        painter.setBrush(QColor(192, 192, 200));
        painter.drawEllipse(1, 1, 13, 13);
        painter.setBrush(Qt::white);
        painter.drawEllipse(6, 6, 3, 3);
    } else if (item && (item->isFolder() || item->isDirectory())) {
        painter.setBrush(QColor(240, 200, 80));
        painter.drawRect(1, 4, 13, 10);
        painter.drawRect(1, 2, 6, 2);
    } else {
        painter.setBrush(Qt::white);
        painter.drawRect(3, 1, 10, 13);
        painter.drawLine(5, 5, 11, 5);
        painter.drawLine(5, 8, 11, 8);
    }
    return image;
}

struct Layout {
    PrinterMetrics metrics;
    PageRect rect;
    int lineHeight = 1;
    int lines = 2;
    std::vector<ColumnBox> boxes;
};

Layout LayoutOf(const PrintJob& job, const QPrinter& printer, const QFont& font) {
    Layout layout;
    layout.metrics = MetricsOf(printer);
    layout.rect = PrintableRect(layout.metrics);
    layout.lineHeight = std::max(1, QFontMetrics(font, &printer).height());
    layout.lines = LinesPerPage(layout.rect, layout.lineHeight);
    layout.boxes = ColumnBoxes(layout.rect, job.table->columns(), job.columns);
    return layout;
}

}  // namespace

QColor FontColorOf(uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

uint32_t FontColorValue(const QColor& color) {
    const QColor rgb = color.toRgb();
    return uint32_t(rgb.red()) | uint32_t(rgb.green()) << 8 | uint32_t(rgb.blue()) << 16;
}

std::string DefaultPrintFontFace() {
    EnsureGuiApplication();
    if (QFontDatabase::hasFamily(QStringLiteral("Arial")))
        return "Arial";
    // The family the desktop's font configuration gives for sans-serif text.
    QFont sans(QStringLiteral("Sans Serif"));
    sans.setStyleHint(QFont::SansSerif);
    return QFontInfo(sans).family().toStdString();
}

std::vector<std::string> PrinterNames() {
    EnsureGuiApplication();
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        names.push_back(name.toStdString());
    return names;
}

std::string DefaultPrinterName() {
    EnsureGuiApplication();
    return QPrinterInfo::defaultPrinterName().toStdString();
}

int EstimatePrintPages(const PrintJob& job) {
    EnsureGuiApplication();
    QPrinter printer(QPrinter::HighResolution);
    if (!PreparePrinter(printer, job))
        return 0;
    SetUpPage(printer, job);
    const QFont font = FontOf(job.settings, MetricsOf(printer));
    const Layout layout = LayoutOf(job, printer, font);
    return PageCount(job.table->rowCount(), layout.lines);
}

PrintOutcome PrintList(const PrintJob& job, Prompter& prompter) {
    EnsureGuiApplication();
    QPrinter printer(QPrinter::HighResolution);
    if (!PreparePrinter(printer, job)) {
        prompter.error(job.printerName.empty() ? std::string("No printer is available.")
                                               : "No printer named '" + job.printerName + "'.");
        return PrintOutcome::NoPrinter;
    }
    return PrintListOn(printer, job, prompter);
}

PrintOutcome PrintListOn(QPrinter& printer, const PrintJob& job, Prompter& prompter) {
    SetUpPage(printer, job);
    printer.setCopyCount(1);  // copies are laid out here, as the page model orders them
    const QFont font = FontOf(job.settings, MetricsOf(printer));
    const Layout layout = LayoutOf(job, printer, font);
    if (layout.boxes.empty())
        return PrintOutcome::NothingTicked;

    const size_t rows = job.table->rowCount();
    const PageRange range{job.range.first, job.range.last > 0 ? job.range.last : PageCount(rows, layout.lines)};
    const std::vector<PrintedPage> sequence = PrintSequence(rows, layout.lines, range, job.copies, job.collate);

    QPainter painter;
    if (!painter.begin(&printer)) {
        prompter.error("The print job could not be started.");
        return PrintOutcome::CannotStart;
    }
    QFont bold = font;
    bold.setWeight(QFont::Bold);
    const QFontMetrics normalMetrics(font, &printer);
    const QFontMetrics boldMetrics(bold, &printer);
    painter.setPen(FontColorOf(job.settings.fontColor));
    painter.setBackgroundMode(Qt::TransparentMode);
    const int H = layout.lineHeight;
    const size_t step = std::max<size_t>(1, rows / 1000);
    auto cancelled = [&job] { return job.cancel && job.cancel->isSet(); };

    for (size_t p = 0; p < sequence.size(); ++p) {
        if (cancelled() || (p > 0 && !printer.newPage())) {
            printer.abort();
            return PrintOutcome::Cancelled;
        }
        const PrintedPage& page = sequence[p];
        int y = layout.rect.top;
        if (page.header) {
            painter.setFont(bold);
            for (size_t b = 0; b < layout.boxes.size(); ++b) {
                const ColumnBox& box = layout.boxes[b];
                const BoxRect fill = HeaderFill(box, y, H, b == 0, b + 1 == layout.boxes.size());
                painter.fillRect(RectOf(fill), QColor(208, 208, 208));
                const BoxRect text = HeaderText(fill, H);
                const QString title = boldMetrics.elidedText(Q(job.table->columns()[box.column].title),
                                                             Qt::ElideRight, std::max(0, text.width));
                painter.drawText(RectOf(text), int(AlignmentOf(box.alignment) | Qt::AlignVCenter | Qt::TextSingleLine),
                                 title);
            }
            painter.setFont(font);
            y += H;
        }
        painter.setFont(font);
        for (size_t r = page.firstRow; r < page.endRow; ++r) {
            if (cancelled()) {
                painter.end();
                printer.abort();
                return PrintOutcome::Cancelled;
            }
            const ListTable::Row& row = job.table->row(r);
            for (size_t b = 0; b < layout.boxes.size(); ++b) {
                const ColumnBox& box = layout.boxes[b];
                const bool icon = b == 0 && job.settings.printIcons;
                if (icon) {
                    const BoxRect place = IconBox(box, y, H, layout.metrics.dpiX, layout.metrics.dpiY);
                    painter.fillRect(RectOf(place), Qt::white);
                    const QImage image = job.icon ? job.icon(row) : KindIcon(row);
                    painter.drawImage(RectOf(place), image);
                }
                const BoxRect text = CellText(box, y, H, icon);
                const QString cell = normalMetrics.elidedText(Q(job.table->cell(r, box.column)), Qt::ElideRight,
                                                              std::max(0, text.width));
                painter.drawText(RectOf(text), int(AlignmentOf(box.alignment) | Qt::AlignVCenter | Qt::TextSingleLine),
                                 cell);
            }
            y += H;
            if (job.progress && r % step == 0)
                job.progress(r, rows);
        }
    }
    if (!painter.end()) {
        prompter.error("The print job could not be finished.");
        return PrintOutcome::CannotStart;
    }
    if (job.progress)
        job.progress(rows, rows);
    return PrintOutcome::Printed;
}

}  // namespace shelfmark
