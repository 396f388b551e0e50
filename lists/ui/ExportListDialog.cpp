#include "lists/ui/ExportListDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "catalog/CatalogTree.h"
#include "catalog/FileTypeNames.h"
#include "foundation/ConfigDirectory.h"
#include "foundation/LanguageTexts.h"
#include "foundation/ProfileFile.h"
#include "foundation/ProfileUpdate.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"
#include "lists/ui/ListWorker.h"

namespace shelfmark {
namespace {

constexpr std::string_view kSection = "Dlg_ExportList";

QString Text(int key) {
    return DialogText(kSection, key);
}

// The label of a field without its mnemonic "&" and its ":".
QString Bare(QString text) {
    text.remove(QLatin1Char('&'));
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

std::string_view Extension(ExportTarget target) {
    switch (target) {
        case ExportTarget::Csv: return "csv";
        case ExportTarget::Text: return "txt";
        case ExportTarget::Xml: return "xml";
        case ExportTarget::Printer: break;
    }
    return {};
}

// A file dialog filter from the "Name|pattern|Name|pattern|" form the language texts use.
QString QtFilter(const QString& typeName, const QString& extension, const QString& pairs) {
    QStringList filters{QStringLiteral("%1 (*.%2)").arg(typeName, extension)};
    const QStringList parts = pairs.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        // "All Files (*.*)" names its pattern itself; Qt wants the pattern in parentheses once.
        const qsizetype open = name.indexOf(QLatin1Char('('));
        if (open > 0)
            name = name.left(open).trimmed();
        QString pattern = parts[i + 1];
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        filters << QStringLiteral("%1 (%2)").arg(name, pattern);
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace

ExportListDialog::ExportListDialog(const ExportRequest& request, Prompter& prompter, QWidget* parent)
    : QDialog(parent), request_(request), prompter_(prompter), worker_(new ListWorker(this)) {
    setObjectName(QStringLiteral("Dlg_ExportList"));
    sourceColumns_ = request_.table->columns();
    for (size_t c = 0; c < sourceColumns_.size() && c < request_.pixelWidths.size(); ++c)
        sourceColumns_[c].width = request_.pixelWidths[c];
    settingsPath_ = ResolveConfigPath(kExportListFile);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    targetBox_ = new QComboBox(this);
    for (ExportTarget target : {ExportTarget::Csv, ExportTarget::Text, ExportTarget::Xml}) {
        const std::string type = FileTypeName("list." + std::string(Extension(target)));
        targetBox_->addItem(ToQString(type), static_cast<int>(target));
    }
    targetBox_->addItem(Bare(Text(4)), static_cast<int>(ExportTarget::Printer));
    auto* targetLabel = SetTextKey(new QLabel(this), 6);
    targetLabel->setBuddy(targetBox_);
    form->addRow(targetLabel, targetBox_);
    layout->addLayout(form);

    auto* columnsLabel = SetTextKey(new QLabel(this), 7);
    layout->addWidget(columnsLabel);
    columnList_ = new QTreeWidget(this);
    columnList_->setColumnCount(2);
    columnList_->setHeaderLabels({Text(14), Text(15)});
    columnList_->setRootIsDecorated(false);
    columnList_->setUniformRowHeights(true);
    columnList_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    columnList_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    columnList_->setMinimumHeight(160);
    columnsLabel->setBuddy(columnList_);
    layout->addWidget(columnList_);

    auto* widthRow = new QHBoxLayout;
    widthLabel_ = SetTextKey(new QLabel(this), 8);
    widthSpin_ = new QSpinBox(this);
    widthSpin_->setRange(0, 100);
    widthLabel_->setBuddy(widthSpin_);
    widthRow->addWidget(widthLabel_);
    widthRow->addWidget(widthSpin_);
    widthRow->addStretch();
    layout->addLayout(widthRow);

    pages_ = new QStackedWidget(this);
    buildTargetPages();
    layout->addWidget(pages_);

    auto* statusRow = new QHBoxLayout;
    status_ = new QLabel(this);
    total_ = new QLabel(this);
    progress_ = new QProgressBar(this);
    progress_->setTextVisible(false);
    progress_->hide();
    statusRow->addWidget(status_);
    statusRow->addWidget(progress_, 1);
    statusRow->addStretch();
    statusRow->addWidget(total_);
    auto* buttons = MakeOkCancelButtons(this);
    for (QAbstractButton* button : buttons->buttons()) {
        auto* push = qobject_cast<QPushButton*>(button);
        (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole ? ok_ : cancel_) = push;
    }
    layout->addWidget(buttons);
    layout->addLayout(statusRow);

    SetTextKey(this, 5);
    ApplyDialogTexts(this, kSection);

    connect(targetBox_, &QComboBox::activated, this,
            [this](int index) { setTarget(static_cast<ExportTarget>(targetBox_->itemData(index).toInt())); });
    connect(columnList_, &QTreeWidget::currentItemChanged, this,
            [this] { showColumnWidth(columnList_->currentIndex().row()); });
    connect(columnList_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (filling_ || column != 0)
            return;
        const int row = columnList_->indexOfTopLevelItem(item);
        settings_.columns[row].checked = item->checkState(0) == Qt::Checked;
        updateTotal();
    });
    connect(widthSpin_, &QSpinBox::valueChanged, this, [this](int value) {
        const int row = columnList_->currentIndex().row();
        if (filling_ || row < 0)
            return;
        settings_.columns[row].width = value;
        updateRow(row);
        updateTotal();
    });
    connect(worker_, &ListWorker::progress, this, [this](qulonglong done, qulonglong total) {
        progress_->setRange(0, static_cast<int>(std::min<qulonglong>(total, INT32_MAX)));
        progress_->setValue(static_cast<int>(std::min<qulonglong>(done, INT32_MAX)));
    });
    connect(worker_, &ListWorker::finished, this, [this] {
        exportOutcome_ = jobExportOutcome_;
        printOutcome_ = jobPrintOutcome_;
        setRunning(false);
        const bool cancelled = exportOutcome_ == ExportOutcome::Cancelled || printOutcome_ == PrintOutcome::Cancelled;
        done(cancelled ? QDialog::Rejected : QDialog::Accepted);
    });

    loadTarget();
}

ExportListDialog::~ExportListDialog() {
    // The worker uses this window's members: it must end before they go, not with the children.
    delete worker_;
}

int ExportListDialog::Run(QWidget* parent, const ListTable& table, const CatalogTree& tree,
                          std::string_view listName, Prompter& prompter, std::vector<int> pixelWidths) {
    ExportRequest request;
    request.table = &table;
    request.tree = &tree;
    request.listName = std::string(listName);
    request.pixelWidths = std::move(pixelWidths);
    ExportListDialog dialog(request, prompter, parent);
    return dialog.exec();
}

void ExportListDialog::buildTargetPages() {
    // CSV: the field separator.
    auto* csv = new QWidget(pages_);
    auto* csvForm = new QFormLayout(csv);
    csvForm->setContentsMargins(0, 0, 0, 0);
    separator_ = new QLineEdit(csv);
    auto* separatorLabel = SetTextKey(new QLabel(csv), 9);
    separatorLabel->setBuddy(separator_);
    csvForm->addRow(separatorLabel, separator_);
    pages_->addWidget(csv);

    // Text: only the width, which sits under the column list for Text and Printer alike.
    pages_->addWidget(new QWidget(pages_));

    // XML: the style sheet, from the remembered ones or a file.
    auto* xml = new QWidget(pages_);
    auto* xmlRow = new QHBoxLayout(xml);
    xmlRow->setContentsMargins(0, 0, 0, 0);
    auto* styleLabel = SetTextKey(new QLabel(xml), 10);
    styleSheet_ = new QComboBox(xml);
    styleSheet_->setEditable(true);
    styleSheet_->setInsertPolicy(QComboBox::NoInsert);
    styleSheet_->setMinimumWidth(240);
    styleLabel->setBuddy(styleSheet_);
    auto* browse = SetTextKey(new QPushButton(xml), 11);
    connect(browse, &QPushButton::clicked, this, &ExportListDialog::browseStyleSheet);
    xmlRow->addWidget(styleLabel);
    xmlRow->addWidget(styleSheet_, 1);
    xmlRow->addWidget(browse);
    pages_->addWidget(xml);

    // Printer: which printer, icons, font, the column percentages, a preview.
    auto* printer = new QWidget(pages_);
    auto* printerLayout = new QVBoxLayout(printer);
    printerLayout->setContentsMargins(0, 0, 0, 0);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(SetTextKey(new QLabel(printer), 4));
    printerName_ = new QLabel(printer);
    printerName_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    nameRow->addWidget(printerName_, 1);
    auto* choose = SetTextKey(new QPushButton(printer), 13);
    connect(choose, &QPushButton::clicked, this, [this] { choosePrinter(false); });
    nameRow->addWidget(choose);
    printerLayout->addLayout(nameRow);
    auto* optionRow = new QHBoxLayout;
    printIcons_ = SetTextKey(new QCheckBox(printer), 0);
    connect(printIcons_, &QCheckBox::toggled, this, [this](bool on) { settings_.print.printIcons = on; });
    auto* font = SetTextKey(new QPushButton(printer), 1);
    connect(font, &QPushButton::clicked, this, &ExportListDialog::chooseFont);
    // The font dialog has no colour, so the colour has its own button beside it.
    fontColor_ = SetTextKey(new QPushButton(printer), 16);
    connect(fontColor_, &QPushButton::clicked, this, &ExportListDialog::chooseFontColor);
    auto* autoSizeButton = SetTextKey(new QPushButton(printer), 2);
    connect(autoSizeButton, &QPushButton::clicked, this, &ExportListDialog::autoSize);
    auto* preview = SetTextKey(new QPushButton(printer), 12);
    connect(preview, &QPushButton::clicked, this, &ExportListDialog::showPreview);
    optionRow->addWidget(printIcons_);
    optionRow->addStretch();
    optionRow->addWidget(font);
    optionRow->addWidget(fontColor_);
    optionRow->addWidget(autoSizeButton);
    optionRow->addWidget(preview);
    printerLayout->addLayout(optionRow);
    pages_->addWidget(printer);
}

void ExportListDialog::setTarget(ExportTarget target) {
    if (running())
        return;
    if (target == ExportTarget::Printer && !printerChosen_ && !choosePrinter(true))
        target = ExportTarget::Csv;  // no printer: back to the first target
    target_ = target;
    loadTarget();
}

void ExportListDialog::loadTarget() {
    ProfileFile stored(settingsPath_);
    stored.clearPath();
    PrintSettings defaults;
    if (target_ == ExportTarget::Printer)
        defaults.fontFace = DefaultPrintFontFace();
    settings_ = LoadExportSettings(stored, request_.listName, target_, sourceColumns_, defaults);
    settings_.rememberedStyleSheets = LoadRememberedStyleSheets(stored);

    filling_ = true;
    targetBox_->setCurrentIndex(targetBox_->findData(static_cast<int>(target_)));
    pages_->setCurrentIndex(static_cast<int>(target_));
    separator_->setText(ToQString(settings_.fieldSeparator));
    styleSheet_->clear();
    for (const std::string& sheet : settings_.rememberedStyleSheets)
        styleSheet_->addItem(ToQString(sheet));
    styleSheet_->setEditText(ToQString(settings_.styleSheet));
    printIcons_->setChecked(settings_.print.printIcons);
    showFontColor();
    const bool widths = target_ == ExportTarget::Text || target_ == ExportTarget::Printer;
    widthLabel_->setVisible(widths);
    widthSpin_->setVisible(widths);
    columnList_->setColumnHidden(1, !widths);  // CSV and XML have no widths
    filling_ = false;
    fillColumnList();
    showPrinterName();
}

void ExportListDialog::fillColumnList() {
    filling_ = true;
    const int current = std::max(0, columnList_->currentIndex().row());
    columnList_->clear();
    for (size_t c = 0; c < sourceColumns_.size(); ++c) {
        auto* item = new QTreeWidgetItem(columnList_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setText(0, ToQString(sourceColumns_[c].title));
        item->setCheckState(0, settings_.columns[c].checked ? Qt::Checked : Qt::Unchecked);
    }
    for (int row = 0; row < columnList_->topLevelItemCount(); ++row)
        updateRow(row);
    filling_ = false;
    if (columnList_->topLevelItemCount() > 0)
        columnList_->setCurrentItem(columnList_->topLevelItem(std::min(current, columnList_->topLevelItemCount() - 1)));
    updateTotal();
}

void ExportListDialog::updateRow(int row) {
    QTreeWidgetItem* item = columnList_->topLevelItem(row);
    const int width = settings_.columns[row].width;
    switch (target_) {
        case ExportTarget::Text: item->setText(1, QString::number(width)); break;
        case ExportTarget::Printer: item->setText(1, QStringLiteral("%1%").arg(width)); break;
        default: item->setText(1, QString()); break;
    }
    item->setTextAlignment(1, Qt::AlignRight);
}

void ExportListDialog::showColumnWidth(int row) {
    if (row < 0)
        return;
    const bool wasFilling = filling_;
    filling_ = true;
    widthSpin_->setValue(settings_.columns[row].width);
    filling_ = wasFilling;
}

QString ExportListDialog::totalText() const {
    if (target_ != ExportTarget::Text && target_ != ExportTarget::Printer)
        return {};
    int sum = 0;
    for (const ExportColumn& column : settings_.columns)
        sum += column.checked ? column.width : 0;
    return QStringLiteral("%1 %2%3").arg(Text(3)).arg(sum).arg(target_ == ExportTarget::Printer ? "%" : " ");
}

void ExportListDialog::updateTotal() {
    total_->setText(totalText());
}

void ExportListDialog::setColumnChecked(size_t column, bool checked) {
    columnList_->topLevelItem(static_cast<int>(column))->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void ExportListDialog::autoSize() {
    std::vector<int> pixels;
    for (const ListColumn& column : sourceColumns_)
        pixels.push_back(column.width);
    AutoSizePercents(pixels, settings_.columns);
    for (int row = 0; row < columnList_->topLevelItemCount(); ++row)
        updateRow(row);
    showColumnWidth(columnList_->currentIndex().row());
    updateTotal();
}

bool ExportListDialog::choosePrinter(bool firstTime) {
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (firstTime) {
        // The system's default printer is taken without asking; only without one the user picks.
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (!info.isNull()) {
            printer_->setPrinterName(info.printerName());
            printerChosen_ = true;
            return true;
        }
    }
    const int pages = std::max(1, EstimatePrintPages(printJob()));
    printer_->setFromTo(1, pages);
    QPrintDialog dialog(printer_.get(), this);
    dialog.setMinMax(1, pages);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    printerChosen_ = true;
    showPrinterName();
    return true;
}

void ExportListDialog::usePdfFile(const QString& path) {
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(path);
    printerChosen_ = true;
    showPrinterName();
}

void ExportListDialog::showPrinterName() {
    if (!printer_ || printerName_ == nullptr)
        return;
    const bool pdf = printer_->outputFormat() == QPrinter::PdfFormat;
    printerName_->setText(pdf ? QStringLiteral("PDF: %1").arg(QFileInfo(printer_->outputFileName()).fileName())
                              : printer_->printerName());
}

void ExportListDialog::chooseFont() {
    QFont current(ToQString(settings_.print.fontFace.empty() ? DefaultPrintFontFace() : settings_.print.fontFace));
    current.setPointSize(settings_.print.fontHeight > 0 ? settings_.print.fontHeight : 10);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, current, this);
    if (!ok)
        return;
    settings_.print.fontFace = ToUtf8(chosen.family()).substr(0, 31);
    settings_.print.fontHeight = std::max(1, chosen.pointSize());
}

void ExportListDialog::chooseFontColor() {
    QColorDialog dialog(FontColorOf(settings_.print.fontColor), this);
    dialog.setObjectName(QStringLiteral("fontColorDialog"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);  // the same dialog on every desktop
    dialog.setWindowTitle(Bare(Text(16)).remove(QStringLiteral("...")));
    if (dialog.exec() != QDialog::Accepted)
        return;
    settings_.print.fontColor = FontColorValue(dialog.selectedColor());
    showFontColor();
}

void ExportListDialog::showFontColor() {
    const QColor color = FontColorOf(settings_.print.fontColor);
    const int side = std::max(12, fontColor_->fontMetrics().height() - 2);
    QPixmap swatch(side, side);
    swatch.fill(color);
    QPainter frame(&swatch);
    frame.setPen(palette().color(QPalette::WindowText));
    frame.drawRect(0, 0, side - 1, side - 1);
    frame.end();
    fontColor_->setIcon(QIcon(swatch));
    fontColor_->setIconSize(swatch.size());
    fontColor_->setToolTip(color.name(QColor::HexRgb).toUpper());
}

void ExportListDialog::browseStyleSheet() {
    const QString path = QFileDialog::getOpenFileName(this, QString(), styleSheet_->currentText(),
                                                      QStringLiteral("XSL (*.xsl);;* (*)"));
    if (!path.isEmpty())
        styleSheet_->setEditText(path);
}

PrintJob ExportListDialog::printJob() const {
    PrintJob job;
    job.table = request_.table;
    job.listName = request_.listName;
    job.columns = settings_.columns;
    job.settings = settings_.print;
    if (printer_) {
        if (printer_->printRange() == QPrinter::PageRange && printer_->fromPage() > 0)
            job.range = {printer_->fromPage(), printer_->toPage()};
        job.copies = std::max(1, printer_->copyCount());
        job.collate = printer_->collateCopies();
        if (printer_->outputFormat() == QPrinter::PdfFormat)
            job.pdfPath = ToUtf8(printer_->outputFileName());
        else
            job.printerName = ToUtf8(printer_->printerName());
    }
    return job;
}

void ExportListDialog::showPreview() {
    collectFields();
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintPreviewDialog preview(printer_.get(), this);
    preview.resize(900, 700);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        PrintJob job = printJob();
        job.range = {1, 0};
        job.copies = 1;
        PrintListOn(*printer, job, prompter_);
    });
    preview.exec();
}

std::optional<std::string> ExportListDialog::chooseTargetFile() {
    if (!targetPath_.empty())
        return targetPath_;
    const QString extension = ToQString(Extension(target_));
    const QString typeName = ToQString(FileTypeName("list." + std::string(Extension(target_))));
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(extension);
    dialog.setNameFilter(QtFilter(typeName, extension, StringsText(209)));
    dialog.selectFile(ToQString(request_.listName.empty() ? "List" : request_.listName) + "." + extension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ToUtf8(dialog.selectedFiles().front());
}

void ExportListDialog::collectFields() {
    settings_.fieldSeparator = ToUtf8(separator_->text());
    settings_.styleSheet = ToUtf8(styleSheet_->currentText());
    settings_.rememberedStyleSheets.clear();
    for (int i = 0; i < styleSheet_->count(); ++i)
        settings_.rememberedStyleSheets.push_back(ToUtf8(styleSheet_->itemText(i)));
    settings_.print.printIcons = printIcons_->isChecked();
}

void ExportListDialog::accept() {
    if (running())
        return;
    collectFields();
    if (target_ == ExportTarget::Csv && settings_.fieldSeparator.empty()) {
        prompter_.error(Str(19));
        separator_->setFocus();
        return;
    }
    if (target_ != ExportTarget::Printer) {
        const std::optional<std::string> path = chooseTargetFile();
        if (!path)
            return;  // no file: nothing starts and nothing is remembered
        targetPath_ = *path;
    } else if (!printerChosen_ && !choosePrinter(false)) {
        return;
    }
    startWorker();
    saveSettings();
}

void ExportListDialog::startWorker() {
    exportOutcome_.reset();
    printOutcome_.reset();
    jobExportOutcome_.reset();
    jobPrintOutcome_.reset();
    setRunning(true);
    if (target_ == ExportTarget::Printer) {
        const PrintJob job = printJob();
        QPrinter* printer = printer_.get();
        // The printer belongs to the worker until it ends: the dialog is disabled meanwhile.
        worker_->start(
            [this, job, printer](const CancelFlag& cancel, const ListWorker::Progress& progress, Prompter& prompter) {
                PrintJob run = job;
                run.cancel = &cancel;
                run.progress = progress;
                jobPrintOutcome_ = PrintListOn(*printer, run, prompter);
            },
            prompter_);
        return;
    }
    ExportJob job;
    job.table = request_.table;
    job.tree = request_.tree;
    job.options.target = target_;
    job.options.columns = settings_.columns;
    job.options.fieldSeparator = settings_.fieldSeparator;
    job.options.styleSheet = settings_.styleSheet;
    if (request_.tree != nullptr && request_.tree->root() != nullptr)
        job.options.databaseName = std::string(request_.tree->root()->name());
    job.path = targetPath_;
    worker_->start(
        [this, job](const CancelFlag& cancel, const ListWorker::Progress& progress, Prompter& prompter) {
            ExportJob run = job;
            run.cancel = &cancel;
            run.progress = progress;
            jobExportOutcome_ = RunListExport(run, prompter);
        },
        prompter_);
}

void ExportListDialog::saveSettings() {
    if (request_.listName.empty())
        return;
    UpdateProfileFile(settingsPath_, [this](ProfileFile& file) {
        SaveExportSettings(file, request_.listName, target_, sourceColumns_, settings_);
    });
}

void ExportListDialog::setRunning(bool running) {
    // While the worker runs only Cancel stays usable.
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != cancel_ && child != progress_ && child != status_ && child != total_)
            child->setEnabled(!running);
    ok_->setEnabled(!running);
    cancel_->setEnabled(true);
    cancel_->parentWidget()->setEnabled(true);
    status_->setText(running ? StringsText(175) : QString());
    progress_->setVisible(running);
    progress_->setRange(0, std::max<int>(1, static_cast<int>(std::min<size_t>(request_.table->rowCount(), INT32_MAX))));
    progress_->setValue(0);
}

bool ExportListDialog::running() const {
    return worker_->running();
}

void ExportListDialog::reject() {
    if (worker_->running()) {
        worker_->askCancel(prompter_);
        return;  // the worker's end closes the dialog
    }
    QDialog::reject();
}

}  // namespace shelfmark
