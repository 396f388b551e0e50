#include "catalog/ui/StatisticsWindow.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <thread>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogTree.h"
#include "catalog/EditSupport.h"
#include "foundation/LanguageTexts.h"
#include "foundation/NumberFormat.h"
#include "foundation/Prompter.h"
#include "foundation/ValueTexts.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

constexpr std::string_view kSection = "Dlg_Statistics";
constexpr size_t kTopExtensions = 20;
constexpr size_t kTopItems = 10;
constexpr int kSizeColumn = 2;  // in both table forms

QString Text(int key) {
    return DialogText(kSection, key);
}

QString CountText(uint64_t count) {
    return ToQString(NumberFormat::User().format(count));
}

QString SizeShown(uint64_t bytes) {
    return ToQString(SizeText(bytes, SizeTextMode::Automatic));
}

// The unit a chart of sizes up to `largest` bytes is drawn in, and its divisor.
std::pair<QString, double> ChartUnit(uint64_t largest) {
    static constexpr const char* kUnits[] = {"Bytes", "KB", "MB", "GB", "TB"};
    double divisor = 1;
    size_t unit = 0;
    while (unit + 1 < std::size(kUnits) && double(largest) / divisor >= 1024 * 10) {
        divisor *= 1024;
        ++unit;
    }
    return {QString::fromLatin1(kUnits[unit]), divisor};
}

// Table rows sort by the numbers behind their texts, not by the texts.
class FigureRow : public QTreeWidgetItem {
  public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant mine = data(column, Qt::UserRole);
        const QVariant theirs = other.data(column, Qt::UserRole);
        if (mine.isValid() && theirs.isValid())
            return mine.toULongLong() < theirs.toULongLong();
        return QTreeWidgetItem::operator<(other);
    }
};

}  // namespace

StatisticsWindow::StatisticsWindow(CatalogDocument& document, const CatalogItem* container,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window),
      document_(document),
      container_(container ? container : document.tree().root()),
      gatherer_(GatherContentStatistics) {
    setObjectName(QStringLiteral("Dlg_Statistics"));
    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary_);

    auto* options = new QHBoxLayout;
    measure_ = new QComboBox(this);
    measure_->addItem(StringsText(74));  // Size
    measure_->addItem(Text(15));
    auto* measureLabel = SetTextKey(new QLabel(this), 13);
    measureLabel->setBuddy(measure_);
    archives_ = SetTextKey(new QCheckBox(this), 16);
    options->addWidget(measureLabel);
    options->addWidget(measure_);
    options->addSpacing(16);
    options->addWidget(archives_);
    options->addStretch(1);
    layout->addLayout(options);

    pages_ = new QTabWidget(this);
    static constexpr int kPageTitles[PageCount] = {1, 2, 3, 4, 5, 6};
    static constexpr int kKeyTitles[PageCount] = {7, 8, 9, 10, 0, 0};
    for (int page = 0; page < PageCount; ++page) {
        auto* splitter = new QSplitter(Qt::Vertical, pages_);
        charts_[page] = new QChartView(new QChart, splitter);
        charts_[page]->setRenderHint(QPainter::Antialiasing);
        charts_[page]->setMinimumHeight(300);
        charts_[page]->chart()->legend()->hide();
        tables_[page] = new QTreeWidget(splitter);
        tables_[page]->setRootIsDecorated(false);
        tables_[page]->setUniformRowHeights(true);
        // Sorted only on a click: filled, a table keeps the figures' own order.
        QHeaderView* header = tables_[page]->header();
        header->setSectionsClickable(true);
        header->setSortIndicatorShown(true);
        header->setSortIndicator(-1, Qt::AscendingOrder);
        connect(header, &QHeaderView::sortIndicatorChanged, tables_[page],
                [table = tables_[page]](int column, Qt::SortOrder order) {
                    if (column >= 0)
                        table->sortItems(column, order);
                });
        const bool items = page == LargestFiles || page == LargestDirectories;
        QStringList headers;
        if (items)
            headers << StringsText(73) << Text(27) << StringsText(74);  // Name, Path, Size
        else
            headers << Text(kKeyTitles[page]) << Text(11) << StringsText(74) << Text(12);
        tables_[page]->setHeaderLabels(headers);
        tables_[page]->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        tables_[page]->header()->setStretchLastSection(false);
        splitter->setStretchFactor(0, 3);
        splitter->setStretchFactor(1, 2);
        splitter->setSizes({460, 200});
        pages_->addTab(SetTextKey(splitter, kPageTitles[page]), QString());
    }
    layout->addWidget(pages_, 1);

    auto* buttons = new QDialogButtonBox(this);
    refresh_ = SetTextKey(buttons->addButton(QString(), QDialogButtonBox::ActionRole), 17);
    auto* close = SetTextKey(buttons->addButton(QString(), QDialogButtonBox::RejectRole), 18);
    layout->addWidget(buttons);
    connect(refresh_, &QPushButton::clicked, this, [this] { refresh(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(archives_, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(measure_, &QComboBox::currentIndexChanged, this, [this] { redrawCharts(); });

    ApplyDialogTexts(this, kSection);
    // The root carries no name of its own in a new catalog: the document's title stands for it.
    const std::string name = container_ == document_.tree().root()
                                 ? document_.title()
                                 : document_.tree().displayName(container_, false);
    setWindowTitle(ToQString(FillPattern(ToUtf8(Text(0)), "%s", name)));
    resize(760, 640);
    document_.addObserver(this);
}

StatisticsWindow::~StatisticsWindow() {
    document_.removeObserver(this);
}

StatisticsWindow* StatisticsWindow::Open(CatalogDocument& document, const CatalogItem* container,
                                         QWidget* parent) {
    if (container && (!container->isContainer() || container->isShortcut())) {
        document.prompter().error(Str(81));  // not an item of this kind
        return nullptr;
    }
    auto* window = new StatisticsWindow(document, container, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (!window->refresh()) {
        delete window;
        return nullptr;
    }
    window->QWidget::show();
    return window;
}

ContentStatistics StatisticsWindow::gatherOnWorker(const StatisticsOptions& options,
                                                   CancelFlag& cancel) {
    // Everything the worker touches lives in this frame, which outlasts it (joined below).
    ContentStatistics result;
    QEventLoop waiting;
    countEnded_ = false;
    counting_ = &cancel;
    waiting_ = &waiting;
    const CatalogTree& tree = document_.tree();
    const CatalogItem& top = *container_;
    std::thread worker([&] {
        result = gatherer_(tree, top, options);
        // By name, so Qt copies nothing made on this thread; the window waits for this call
        // before it joins the worker, so it is alive when the call arrives.
        QMetaObject::invokeMethod(this, "countEnded", Qt::QueuedConnection);
    });

    // No input reaches any window meanwhile, so nothing can change the tree under the worker.
    QTimer::singleShot(progressDelay_, &waiting, &QEventLoop::quit);
    waiting.exec(QEventLoop::ExcludeUserInputEvents);
    if (!countEnded_) {
        QDialog box(isVisible() ? this : parentWidget());
        box.setObjectName(QStringLiteral("statisticsProgress"));
        box.setWindowModality(Qt::ApplicationModal);
        box.setWindowTitle(windowTitle());
        auto* boxLayout = new QVBoxLayout(&box);
        boxLayout->addWidget(new QLabel(Text(19), &box));
        auto* bar = new QProgressBar(&box);
        bar->setRange(0, 0);
        boxLayout->addWidget(bar);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &box);
        buttons->button(QDialogButtonBox::Cancel)->setText(DialogText("Dlg_Common", 1));
        connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
        boxLayout->addWidget(buttons);
        progress_ = &box;
        while (!countEnded_) {
            if (box.exec() == QDialog::Accepted || countEnded_)
                break;
            // Cancel (or Escape): the worker goes on while the question is open.
            if (!cancel.isSet() && document_.prompter().askYesNo(Str(173)))
                cancel.request();
        }
        progress_ = nullptr;
    }
    waiting_ = nullptr;
    counting_ = nullptr;
    worker.join();
    return result;
}

void StatisticsWindow::countEnded() {
    countEnded_ = true;
    if (waiting_)
        waiting_->quit();
    if (progress_)
        progress_->accept();
}

bool StatisticsWindow::refresh() {
    if (!container_ || running_)
        return false;
    running_ = true;
    refresh_->setEnabled(false);
    CancelFlag cancel;
    StatisticsOptions options;
    options.includeArchiveContents = archives_->isChecked();
    options.topExtensions = kTopExtensions;
    options.topItems = kTopItems;
    options.cancel = &cancel;
    const ContentStatistics statistics = gatherOnWorker(options, cancel);
    running_ = false;
    refresh_->setEnabled(container_ != nullptr);
    if (closeWanted_) {
        // Asked to close while counting: now that the count is off the stack it may go.
        closeWanted_ = false;
        close();
        return false;
    }
    if (statistics.cancelled || !container_)
        return false;
    showFigures(statistics);
    return true;
}

// Closing while the count runs (the program may close the window from within the loops that
// wait for the worker) would destroy the window under the waiting code: the count is stopped
// instead, and the window closes when it has returned.
void StatisticsWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        closeWanted_ = true;
        if (counting_)
            counting_->request();
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

QString StatisticsWindow::keyText(Page page, const std::string& key) const {
    if (page == Kinds) {
        if (key == "folder")
            return StringsText(24);
        if (key == "directory")
            return StringsText(25);
        if (key == "file")
            return StringsText(26);
        if (key == "shortcut")
            return StringsText(192);
        if (key == "disk")
            return Text(21);
        if (key == "archive")
            return Text(22);
    }
    if (page == Extensions && key.empty())
        return Text(23);
    if (page == Years && key == "no date")
        return Text(25);
    return ToQString(key);
}

void StatisticsWindow::showFigures(const ContentStatistics& statistics) {
    const CatalogTree& tree = document_.tree();
    const std::vector<StatisticsBucket>* buckets[] = {&statistics.byKind, &statistics.byMediaType,
                                                      &statistics.byExtension, &statistics.byYear};
    for (int page = Kinds; page <= Years; ++page) {
        rows_[page].clear();
        const std::vector<StatisticsBucket>& list = *buckets[page];
        for (size_t i = 0; i < list.size(); ++i) {
            // The extensions beyond the first 20 are summed in one last row.
            const bool other = page == Extensions && i == kTopExtensions;
            rows_[page].push_back({other ? Text(24) : keyText(Page(page), list[i].key), QString(),
                                   list[i].count, list[i].bytes});
        }
    }
    // Paths are taken now, while the items are sure to be there.
    const std::vector<const CatalogItem*>* items[] = {&statistics.largestFiles,
                                                      &statistics.largestDirectories};
    for (int page = LargestFiles; page <= LargestDirectories; ++page) {
        rows_[page].clear();
        for (const CatalogItem* item : *items[page - LargestFiles])
            rows_[page].push_back(
                {ToQString(tree.displayName(item, false)),
                 ToQString(tree.pathText(item, pathmode::Display | pathmode::FolderChain)), 1,
                 item->size()});
    }
    // The root has no path of its own: it shows as the catalog's title.
    const std::string where = container_ == tree.root()
                                  ? document_.title()
                                  : tree.pathText(container_, pathmode::Display | pathmode::FolderChain);
    summary_->setText(
        ToQString(where) +
        QStringLiteral("\n") +
        ToQString(FillPattern(FillPattern(ToUtf8(Text(20)), "%s",
                                          NumberFormat::User().format(statistics.files)),
                              "%s", SizeText(statistics.fileBytes, SizeTextMode::Automatic))));
    for (int page = 0; page < PageCount; ++page)
        fillPage(Page(page));
    redrawCharts();
}

void StatisticsWindow::fillPage(Page page) {
    QTreeWidget* table = tables_[page];
    table->clear();
    table->header()->setSortIndicator(-1, Qt::AscendingOrder);
    const bool items = page == LargestFiles || page == LargestDirectories;
    uint64_t allBytes = 0;
    for (const Row& row : rows_[page])
        allBytes += row.bytes;
    for (const Row& row : rows_[page]) {
        auto* line = new FigureRow(table);
        line->setText(0, row.key);
        if (items) {
            line->setText(1, row.detail);
            line->setToolTip(1, row.detail);
        } else {
            line->setText(1, CountText(row.count));
            line->setData(1, Qt::UserRole, QVariant::fromValue<qulonglong>(row.count));
            line->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
            // Folders and directories have no bytes of their own: a share means nothing there.
            if (page != Kinds && allBytes > 0)
                line->setText(3, QString::number(100.0 * double(row.bytes) / double(allBytes), 'f',
                                                 1) +
                                     QStringLiteral(" %"));
            line->setData(3, Qt::UserRole, QVariant::fromValue<qulonglong>(row.bytes));
            line->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        }
        // Folders, directories and shortcuts carry no bytes of their own here.
        if (page != Kinds || row.bytes > 0)
            line->setText(kSizeColumn, SizeShown(row.bytes));
        line->setToolTip(kSizeColumn, CountText(row.bytes) + QStringLiteral(" Bytes"));
        line->setData(kSizeColumn, Qt::UserRole, QVariant::fromValue<qulonglong>(row.bytes));
        line->setTextAlignment(kSizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void StatisticsWindow::redrawCharts() {
    const bool countItems = measure_->currentIndex() == 1;
    for (int page = 0; page < PageCount; ++page) {
        QChart* chart = charts_[page]->chart();
        chart->removeAllSeries();
        // A removed axis is no longer the chart's: it is deleted here, or every redraw leaks two.
        for (QAbstractAxis* axis : chart->axes()) {
            chart->removeAxis(axis);
            delete axis;
        }
        const std::vector<Row>& rows = rows_[page];
        const bool items = page == LargestFiles || page == LargestDirectories;
        const bool count = countItems && !items;  // each largest item counts one
        uint64_t largest = 0;
        for (const Row& row : rows)
            largest = std::max(largest, count ? row.count : row.bytes);
        const auto [unit, divisor] = count ? std::pair<QString, double>{Text(11), 1.0}
                                           : ChartUnit(largest);
        // Bars run from the top down in the table's order.
        auto* set = new QBarSet(count ? Text(11) : StringsText(74));
        QStringList categories;
        for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
            *set << double(count ? row->count : row->bytes) / divisor;
            QString label = row->key;
            if (label.size() > 40)
                label = label.left(37) + QStringLiteral("...");
            categories << label;
        }
        auto* series = new QHorizontalBarSeries(chart);
        series->append(set);
        chart->addSeries(series);
        auto* keys = new QBarCategoryAxis(chart);
        keys->append(categories);
        keys->setTruncateLabels(false);  // the default elides even short names to "..."
        // Many rows: a smaller font, so that every label fits beside its bar.
        if (rows.size() > 12) {
            QFont font = keys->labelsFont();
            font.setPointSizeF(7);
            keys->setLabelsFont(font);
        }
        chart->addAxis(keys, Qt::AlignLeft);
        series->attachAxis(keys);
        auto* values = new QValueAxis(chart);
        values->setTitleText(count ? unit : StringsText(74) + QStringLiteral(" (") + unit +
                                                QLatin1Char(')'));
        values->setLabelFormat(QStringLiteral("%.0f"));
        chart->addAxis(values, Qt::AlignBottom);
        series->attachAxis(values);
        values->setRange(0, std::max(1.0, double(largest) / divisor));
        values->applyNiceNumbers();
    }
}

void StatisticsWindow::containerGone() {
    container_ = nullptr;
    refresh_->setEnabled(false);
    summary_->setText(summary_->text() + QStringLiteral("\n") + Text(28));
}

void StatisticsWindow::itemRemoving(CatalogItem& item) {
    for (const CatalogItem* up = container_; up != nullptr; up = up->parent()) {
        if (up == &item) {
            containerGone();
            return;
        }
    }
}

void StatisticsWindow::reset() {
    if (container_)
        containerGone();
}

}  // namespace shelfmark
