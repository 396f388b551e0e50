#include "search/ui/DuplicatesWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <atomic>
#include <thread>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogItem.h"
#include "catalog/CatalogPath.h"
#include "catalog/ui/CatalogBrowseDialog.h"
#include "foundation/CancelFlag.h"
#include "foundation/NumberFormat.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"
#include "lists/RowBuilder.h"
#include "platform/settings/AppSettings.h"
#include "search/DuplicateSearch.h"
#include "search/SearchCriteria.h"
#include "search/ui/ResultModel.h"
#include "search/ui/SearchWindow.h"

namespace shelfmark::search {

namespace {

constexpr int kPromptSelectFolder = 100;
constexpr int kMessageCancel = 173;
constexpr int kMessageFound = 174;
constexpr int kPollIntervalMs = 20;
// Column titles of the result list by Strings key; the checksum column's title is fixed.
constexpr int kTitleKeys[] = {73, 86, 74, 76};

std::vector<ListColumn> TitledColumns() {
    std::vector<ListColumn> columns = DuplicateResultColumns();
    for (size_t i = 0; i < std::size(kTitleKeys) && i < columns.size(); ++i)
        columns[i].title = ToUtf8(StringsText(kTitleKeys[i]));
    return columns;
}

}  // namespace

// Collects, sorts and groups on its own thread; the window polls until it is done.
class DuplicatesWindow::Worker {
  public:
    explicit Worker(DuplicateJob job) : job_(job) {
        job_.cancel = &cancel_;
        thread_ = std::thread([this] {
            rows_ = FindDuplicates(job_);
            done_.store(true, std::memory_order_release);
        });
    }
    ~Worker() {
        cancel_.request();
        thread_.join();
    }
    void cancel() { cancel_.request(); }
    bool done() const { return done_.load(std::memory_order_acquire); }
    // Only after done().
    const std::vector<DuplicateRow>& rows() const { return rows_; }

  private:
    DuplicateJob job_;
    CancelFlag cancel_;
    std::vector<DuplicateRow> rows_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

DuplicatesWindow::DuplicatesWindow(SearchWindowContext& context, const CatalogItem* scope, QWidget* parent)
    : QDialog(parent),
      context_(context),
      scope_(scope != nullptr ? scope : context.document.tree().root()) {
    SetTextKey(this, 1);
    auto* where = SetTextKey(new QGroupBox(this), 2);
    scopeField_ = new QLineEdit(where);
    scopeField_->setReadOnly(true);
    scopeField_->setText(CatalogPathText(scope_));
    browse_ = SetTextKey(new QPushButton(where), 3);
    auto* whereLayout = new QHBoxLayout(where);
    whereLayout->addWidget(scopeField_, 1);
    whereLayout->addWidget(browse_);

    auto* criteria = SetTextKey(new QGroupBox(this), 4);
    name_ = SetTextKey(new QCheckBox(criteria), 5);
    size_ = SetTextKey(new QCheckBox(criteria), 6);
    date_ = SetTextKey(new QCheckBox(criteria), 7);
    crc_ = SetTextKey(new QCheckBox(criteria), 0);
    name_->setChecked(true);
    size_->setChecked(true);
    date_->setChecked(true);
    minSize_ = new QLineEdit(criteria);
    minSize_->setMaxLength(7);
    unit_ = new QComboBox(criteria);
    for (const std::string_view unit : kSizeUnits)
        unit_->addItem(ToQString(unit));
    unit_->setCurrentIndex(1);  // KB
    auto* criteriaLayout = new QGridLayout(criteria);
    criteriaLayout->addWidget(name_, 0, 0);
    criteriaLayout->addWidget(size_, 0, 1);
    criteriaLayout->addWidget(date_, 1, 0);
    criteriaLayout->addWidget(crc_, 1, 1);
    auto* minimum = new QHBoxLayout;
    auto* minimumLabel = SetTextKey(new QLabel(criteria), 8);
    minimumLabel->setBuddy(minSize_);
    minimum->addWidget(minimumLabel);
    minimum->addWidget(minSize_);
    minimum->addWidget(unit_);
    minimum->addStretch();
    criteriaLayout->addLayout(minimum, 2, 0, 1, 2);

    start_ = SetTextKey(new QPushButton(this), 9);
    start_->setDefault(true);
    cancel_ = new QPushButton(DialogText("Dlg_Common", 1), this);
    print_ = SetTextKey(new QPushButton(this), 10);
    print_->setEnabled(false);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);
    buttons->addStretch();
    buttons->addWidget(print_);

    model_ = new ResultModel(context_.document, context_.definitions,
                             RowSettings{}, TitledColumns(), this);
    view_ = new QTableView(this);
    SetUpResultView(view_, model_);
    status_ = new QLabel(this);

    auto* top = new QHBoxLayout;
    auto* fields = new QVBoxLayout;
    fields->addWidget(where);
    fields->addWidget(criteria);
    top->addLayout(fields, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(view_, 1);
    layout->addWidget(status_);
    ApplyDialogTexts(this, "Dlg_SearchDuplicates");
    resize(800, 560);

    connect(start_, &QPushButton::clicked, this, &DuplicatesWindow::start);
    connect(cancel_, &QPushButton::clicked, this, &DuplicatesWindow::reject);
    connect(browse_, &QPushButton::clicked, this, &DuplicatesWindow::browse);
    connect(print_, &QPushButton::clicked, this, &DuplicatesWindow::printExport);
    timer_.setInterval(kPollIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &DuplicatesWindow::poll);
}

DuplicatesWindow::~DuplicatesWindow() = default;

void DuplicatesWindow::Open(SearchWindowContext& context, const CatalogItem* scope, QWidget* parent) {
    DuplicatesWindow window(context, scope, parent);
    window.exec();
}

QCheckBox* DuplicatesWindow::criterion(unsigned bit) const {
    switch (bit) {
        case duplicate::NameBit:
            return name_;
        case duplicate::SizeBit:
            return size_;
        case duplicate::DateBit:
            return date_;
        case duplicate::Crc32Bit:
            return crc_;
        default:
            return nullptr;
    }
}

QString DuplicatesWindow::statusText() const {
    const QString count = ToQString(NumberFormat::User().format(uint64_t(model_->size())));
    return StringsText(kMessageFound).replace(QLatin1String("%d"), count);
}

void DuplicatesWindow::start() {
    if (running())
        return;
    unsigned criteria = 0;
    for (const unsigned bit : {duplicate::NameBit, duplicate::SizeBit, duplicate::DateBit, duplicate::Crc32Bit})
        if (criterion(bit)->isChecked())
            criteria |= bit;
    if (!DuplicateCriteriaChosen(criteria, context_.prompter) || scope_ == nullptr)
        return;
    DuplicateJob job;
    job.scope = scope_;
    job.criteria = criteria;
    SetMinimumSize(job, ToUtf8(minSize_->text()), unsigned(unit_->currentIndex()) * 10);
    model_->clear();
    status_->clear();
    worker_ = std::make_unique<Worker>(job);
    setRunning(true);
    timer_.start();
}

void DuplicatesWindow::setRunning(bool running) {
    // Everything but Cancel, the list and the status line waits for the worker.
    for (QWidget* widget : std::initializer_list<QWidget*>{browse_, name_, size_, date_, crc_, minSize_,
                                                           unit_, start_})
        widget->setEnabled(!running);
    print_->setEnabled(!running && model_->size() > 0);
}

void DuplicatesWindow::poll() {
    if (!worker_ || asking_ || !worker_->done())
        return;
    timer_.stop();
    const std::vector<DuplicateRow>& rows = worker_->rows();
    // One append per group: the rows of a group share their shade.
    size_t first = 0;
    std::vector<const CatalogItem*> items;
    while (first < rows.size()) {
        size_t end = first;
        items.clear();
        while (end < rows.size() && rows[end].shade == rows[first].shade)
            items.push_back(rows[end++].item);
        model_->append(items, rows[first].shade);
        first = end;
    }
    worker_.reset();
    status_->setText(statusText());
    setRunning(false);
    emit searchFinished();
}

void DuplicatesWindow::browse() {
    CatalogItem* chosen = CatalogBrowseDialog::Choose(context_.document.tree(),
                                                      ToUtf8(StringsText(kPromptSelectFolder)), scope_, this);
    if (chosen == nullptr)
        return;
    scope_ = chosen;
    scopeField_->setText(CatalogPathText(chosen));
}

void DuplicatesWindow::printExport() {
    if (running() || model_->size() == 0)
        return;
    model_->printExport("SearchDuplicatesResult", view_, context_.prompter, context_.printExport);
}

void DuplicatesWindow::reject() {
    if (!running()) {
        QDialog::reject();
        return;
    }
    asking_ = true;
    const bool cancel = context_.prompter.askYesNo(ToUtf8(StringsText(kMessageCancel)));
    asking_ = false;
    if (cancel && worker_)
        worker_->cancel();
}

}  // namespace shelfmark::search
