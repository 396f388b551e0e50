#include "search/ui/SearchWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogItem.h"
#include "catalog/CatalogPath.h"
#include "catalog/Definitions.h"
#include "catalog/ui/CatalogBrowseDialog.h"
#include "foundation/NumberFormat.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"
#include "foundation/ui/DialogTexts.h"
#include "platform/settings/AppSettings.h"
#include "search/PreparedSearch.h"
#include "search/SearchFields.h"
#include "search/ui/DuplicatesWindow.h"
#include "search/ui/ResultModel.h"
#include "search/ui/SearchJob.h"
#include "search/ui/SearchPages.h"

namespace shelfmark::search {

namespace {

constexpr int kMessageNewSearch = 18;
constexpr int kMessageFillOut = 19;
constexpr int kPromptSelectFolder = 100;
constexpr int kMessageCancel = 173;
constexpr int kMessageFound = 174;
constexpr int kNoProfiles = 196;
constexpr size_t kMaxProfilesShown = 32;
// Rows shown per timer tick stop after this long, so the window answers between ticks however
// fast hits arrive.
constexpr qint64 kDeliveryBudgetMs = 15;
constexpr int kDeliveryIntervalMs = 10;

int64_t Now() {
    return QDateTime::currentSecsSinceEpoch();
}

bool IsBelowOrSelf(const CatalogItem* item, const CatalogItem& top) {
    for (; item != nullptr; item = item->parent())
        if (item == &top)
            return true;
    return false;
}

RowSettings RowSettingsOf(const AppSettings& settings) {
    return {settings.bShowDirectorySizes, settings.bShowByteSizes, settings.bShowDescriptionOverlay};
}

WindowRect ScreenRect() {
    const QRect screen = QGuiApplication::primaryScreen()->virtualGeometry();
    return {screen.left(), screen.top(), screen.right() + 1, screen.bottom() + 1};
}

}  // namespace

SearchWindow* SearchWindow::Open(SearchWindowContext& context, const CatalogItem* start,
                                 QWidget* parent, const std::string& text) {
    std::optional<SearchWindowSlots::Slot> slot = context.windowSlots.open(context.prompter);
    if (!slot)
        return nullptr;
    auto* window = new SearchWindow(context, std::move(*slot), start, text, parent);
    window->show();
    return window;
}

SearchWindow::SearchWindow(SearchWindowContext& context, SearchWindowSlots::Slot slot,
                           const CatalogItem* start, const std::string& text, QWidget* parent)
    : QMainWindow(parent, Qt::Window), context_(context), slot_(std::move(slot)) {
    setAttribute(Qt::WA_DeleteOnClose);
    const AppSettings settings = AppSettings::Load(context_.settings);
    CatalogItem* root = context_.document.tree().root();
    criteria_ = InitialCriteria(Now());
    criteria_.startItem = start != nullptr ? start : root;
    criteria_.text = text;

    auto* central = new QWidget(this);
    SetTextKey(this, 1);
    tabs_ = new QTabWidget(central);
    general_ = new GeneralPage(tabs_);
    extended_ = new ExtendedPage(tabs_);
    categories_ = new CategoriesPage(tabs_);
    extraInfo_ = new ExtraInfoPage(context_.prompter, tabs_);
    SetTextSection(general_, "Sht_SearchGeneral");
    SetTextSection(extended_, "Sht_SearchExtended");
    SetTextSection(categories_, "Sht_SearchCategories");
    SetTextSection(extraInfo_, "Sht_SearchExtraInfo");
    tabs_->addTab(general_, QString());
    tabs_->addTab(extended_, QString());
    tabs_->addTab(categories_, QString());
    tabs_->addTab(extraInfo_, QString());
    if (root != nullptr) {
        categories_->setCategories(NamedCategories(*root));
        extraInfo_->setFields(ConditionFields(*root));
    }

    searchIn_ = new QLineEdit(central);
    searchIn_->setReadOnly(true);
    browse_ = SetTextKey(new QPushButton(central), 3);
    start_ = new QPushButton(central);
    start_->setDefault(true);
    newSearch_ = SetTextKey(new QPushButton(central), 2);
    print_ = SetTextKey(new QPushButton(central), 5);
    print_->setEnabled(false);

    columns_ = RestoreSearchWindow(context_.settings, ScreenRect()).columns;
    model_ = new ResultModel(context_.document, context_.definitions, RowSettingsOf(settings),
                             listColumns(), this);
    model_->setShowThumbnails(settings.bShowThumbnails);
    view_ = new QTableView(central);
    SetUpResultView(view_, model_);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->horizontalHeader()->setSectionsClickable(true);
    view_->horizontalHeader()->setSortIndicatorShown(true);
    view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    view_->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->hide();

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(newSearch_);
    buttons->addStretch();
    buttons->addWidget(print_);
    auto* top = new QHBoxLayout;
    top->addWidget(tabs_, 1);
    top->addLayout(buttons);
    auto* where = new QHBoxLayout;
    auto* whereLabel = SetTextKey(new QLabel(central), 4);
    whereLabel->setBuddy(browse_);
    where->addWidget(whereLabel);
    where->addWidget(searchIn_, 1);
    where->addWidget(browse_);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(top);
    layout->addLayout(where);
    layout->addWidget(view_, 1);
    setCentralWidget(central);
    status_ = new QLabel(statusBar());
    statusBar()->addWidget(status_, 1);

    ApplyDialogTexts(this, "Dlg_Search");
    tabs_->setCurrentIndex(0);
    showStart();

    general_->load(criteria_);
    extended_->load(criteria_);
    categories_->load(criteria_);
    extraInfo_->load(criteria_);
    general_->setRecent(RecentSearches::Load(context_.settings));
    searchIn_->setText(CatalogPathText(criteria_.startItem));
    updateStartEnabled();

    connect(general_, &GeneralPage::textChanged, this, [this] { updateStartEnabled(); });
    connect(start_, &QPushButton::clicked, this, &SearchWindow::start);
    connect(newSearch_, &QPushButton::clicked, this, &SearchWindow::newSearch);
    connect(browse_, &QPushButton::clicked, this, &SearchWindow::browse);
    connect(print_, &QPushButton::clicked, this, &SearchWindow::printExport);
    auto* printKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(printKey, &QShortcut::activated, this, &SearchWindow::printExport);
    connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = contextMenu();
        menu->exec(view_->viewport()->mapToGlobal(at));
        menu->deleteLater();
    });
    connect(view_->horizontalHeader(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = columnsMenu();
        menu->exec(view_->horizontalHeader()->mapToGlobal(at));
        menu->deleteLater();
    });
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (running())
            return;
        sortOrder_ = column == sortColumn_ && sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                               : Qt::AscendingOrder;
        sortColumn_ = column;
        view_->horizontalHeader()->setSortIndicator(sortColumn_, sortOrder_);
        model_->sort(sortColumn_, sortOrder_);
    });
    connect(model_, &ResultModel::rowsDropped, this, [this] {
        status_->setText(statusText());
        print_->setEnabled(!running() && model_->size() > 0);
    });
    timer_.setInterval(kDeliveryIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &SearchWindow::deliver);

    context_.document.addObserver(this);
    restorePlacement();
}

SearchWindow::~SearchWindow() {
    context_.document.removeObserver(this);
    if (job_) {
        job_.reset();  // cancels and waits for the walk
        if (context_.setMainWindowBusy)
            context_.setMainWindowBusy(false);
    }
}

void SearchWindow::showStart() {
    start_->setText(running() ? DialogText("Dlg_Common", 1) : DialogText("Dlg_Search", 0));
}

void SearchWindow::updateStartEnabled() {
    start_->setEnabled(running() || (!general_->textBox()->currentText().isEmpty() &&
                                     criteria_.startItem != nullptr));
}

QString SearchWindow::statusText() const {
    const QString count = ToQString(NumberFormat::User().format(uint64_t(model_->size())));
    return StringsText(kMessageFound).replace(QLatin1String("%d"), count);
}

std::vector<ListColumn> SearchWindow::listColumns() const {
    const ColumnTable& table = context_.definitions.columns();
    std::vector<ListColumn> columns;
    for (const ResultColumn& column : columns_) {
        if (column.descriptor >= table.size())
            continue;
        const ColumnDescriptor& row = table.row(column.descriptor);
        ListColumn list;
        list.title = row.titleKey != 0 ? ToUtf8(StringsText(row.titleKey)) : row.title;
        list.value = row.key;
        list.alignment = row.align == 1 ? ColumnAlignment::Right : ColumnAlignment::Left;
        list.width = column.width;
        columns.push_back(std::move(list));
    }
    return columns;
}

void SearchWindow::applyColumnWidths() {
    for (size_t i = 0; i < columns_.size(); ++i)
        view_->horizontalHeader()->resizeSection(int(i), columns_[i].width);
}

// The layout as the header shows it now: display order and current widths.
void SearchWindow::takeColumnWidths() {
    QHeaderView* header = view_->horizontalHeader();
    if (header->count() != int(columns_.size()))
        return;
    std::vector<ResultColumn> shown;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        ResultColumn column = columns_[size_t(logical)];
        if (shownResults_)
            column.width = header->sectionSize(logical);
        shown.push_back(column);
    }
    columns_ = std::move(shown);
}

void SearchWindow::start() {
    if (running()) {
        // The walk goes on while the question is open; what it finds waits until the answer.
        asking_ = true;
        const bool cancel = context_.prompter.askYesNo(ToUtf8(StringsText(kMessageCancel)));
        asking_ = false;
        if (cancel && job_)
            job_->cancel();
        return;
    }
    general_->store(criteria_);
    extended_->store(criteria_);
    categories_->store(criteria_);
    extraInfo_->store(criteria_);
    if (criteria_.text.empty() || criteria_.startItem == nullptr)
        return;
    if (const auto invalid = ValidateCriteria(criteria_)) {
        context_.prompter.error(ToUtf8(StringsText(kMessageFillOut)));
        tabs_->setCurrentWidget(extended_);
        QSpinBox* field = *invalid == InvalidField::Months ? extended_->months() : extended_->days();
        field->setFocus();
        field->selectAll();
        return;
    }
    if (!shownResults_) {
        // The first start grows the window to show the result list.
        shownResults_ = true;
        view_->show();
        if (!isMaximized()) {
            const QRect available = screen()->availableGeometry();
            resize(width(), std::min(available.height() - 40, std::max(height(), 2 * sizeHint().height())));
        }
    }
    takeColumnWidths();
    model_->clear();
    std::vector<ListColumn> columns = listColumns();
    const bool sameKinds = std::equal(columns.begin(), columns.end(), model_->columns().begin(),
                                      model_->columns().end(),
                                      [](const ListColumn& a, const ListColumn& b) { return a.value == b.value; });
    if (!sameKinds)
        model_->setColumns(std::move(columns));
    applyColumnWidths();
    waiting_.clear();
    waitingFrom_ = 0;
    job_ = std::make_unique<SearchJob>(PrepareSearch(criteria_, Now()), *criteria_.startItem);
    setRunning(true);
    timer_.start();
}

void SearchWindow::setRunning(bool running) {
    tabs_->setEnabled(!running);
    browse_->setEnabled(!running);
    newSearch_->setEnabled(!running);
    print_->setEnabled(!running && model_->size() > 0);
    showStart();
    updateStartEnabled();
    if (context_.setMainWindowBusy)
        context_.setMainWindowBusy(running);
}

void SearchWindow::deliver() {
    if (!job_ || asking_)
        return;
    // Whether the walk had ended is read before the last hits are taken, so none is missed.
    const bool ended = job_->finished();
    std::vector<const CatalogItem*> hits = job_->takeHits();
    if (!hits.empty()) {
        if (waitingFrom_ == waiting_.size()) {
            waiting_ = std::move(hits);
            waitingFrom_ = 0;
        } else {
            waiting_.insert(waiting_.end(), hits.begin(), hits.end());
        }
    }
    QElapsedTimer spent;
    spent.start();
    constexpr size_t kChunk = 256;
    while (waitingFrom_ < waiting_.size() && spent.elapsed() < kDeliveryBudgetMs) {
        const size_t count = std::min(kChunk, waiting_.size() - waitingFrom_);
        model_->append(std::span(waiting_).subspan(waitingFrom_, count));
        waitingFrom_ += count;
    }
    status_->setText(statusText());
    if (ended && waitingFrom_ == waiting_.size())
        finish();
}

void SearchWindow::finish() {
    timer_.stop();
    job_.reset();
    waiting_.clear();
    waitingFrom_ = 0;
    status_->setText(statusText());
    setRunning(false);
    view_->setFocus();
    RecentSearches recent = RecentSearches::Load(context_.settings);
    recent.record(criteria_.text, general_->selectedLetter());
    recent.save(context_.settings);
    general_->setRecent(recent);
    if (sortColumn_ >= 0)
        model_->sort(sortColumn_, sortOrder_);
    emit searchFinished();
}

void SearchWindow::newSearch() {
    if (running())
        return;
    if (!context_.prompter.askOkCancel(ToUtf8(StringsText(kMessageNewSearch)), {}, PromptIcon::Warning))
        return;
    general_->store(criteria_);
    extended_->store(criteria_);
    categories_->store(criteria_);
    extraInfo_->store(criteria_);
    model_->clear();
    status_->clear();
    const CatalogItem* open = context_.openContainer ? context_.openContainer() : nullptr;
    ResetForNewSearch(criteria_, Now(), open != nullptr ? open : context_.document.tree().root());
    general_->load(criteria_);
    general_->textBox()->setEditText(QString());
    extended_->load(criteria_);
    searchIn_->setText(CatalogPathText(criteria_.startItem));
    print_->setEnabled(false);
    updateStartEnabled();
}

void SearchWindow::browse() {
    CatalogItem* chosen = CatalogBrowseDialog::Choose(context_.document.tree(),
                                                      ToUtf8(StringsText(kPromptSelectFolder)),
                                                      criteria_.startItem, this);
    if (chosen == nullptr)
        return;
    criteria_.startItem = chosen;
    searchIn_->setText(CatalogPathText(chosen));
    updateStartEnabled();
}

void SearchWindow::printExport() {
    if (running() || model_->size() == 0)
        return;
    model_->printExport("SearchResult", view_, context_.prompter, context_.printExport);
}

void SearchWindow::toggleColumn(uint8_t descriptor) {
    if (running())
        return;
    const ColumnTable& table = context_.definitions.columns();
    if (descriptor >= table.size())
        return;
    takeColumnWidths();
    ToggleResultColumn(columns_, descriptor, table.row(descriptor).width);
    model_->setColumns(listColumns());
    applyColumnWidths();
    sortColumn_ = -1;
    view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

QMenu* SearchWindow::columnsMenu() {
    auto* menu = new QMenu(this);
    const ColumnTable& table = context_.definitions.columns();
    for (size_t index = 0; index < table.size(); ++index) {
        const ColumnDescriptor& row = table.row(index);
        QAction* action =
            menu->addAction(row.titleKey != 0 ? StringsText(row.titleKey) : ToQString(row.title));
        action->setCheckable(true);
        action->setChecked(std::any_of(columns_.begin(), columns_.end(),
                                       [index](const ResultColumn& c) { return c.descriptor == index; }));
        action->setEnabled(!running());
        connect(action, &QAction::triggered, this, [this, index] { toggleColumn(uint8_t(index)); });
    }
    return menu;
}

QMenu* SearchWindow::contextMenu() {
    auto* menu = new QMenu(this);
    const QModelIndex current = view_->currentIndex();
    const CatalogItem* item = current.isValid() ? model_->item(current.row()) : nullptr;

    QMenu* profiles = menu->addMenu(DialogText("Menu_Search", 0));
    std::vector<std::string> names;
    if (context_.itemListProfiles)
        names = context_.itemListProfiles();
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return text::CompareNoCase(a, b) < 0; });
    if (names.size() > kMaxProfilesShown)
        names.resize(kMaxProfilesShown);
    if (names.empty())
        profiles->addAction(StringsText(kNoProfiles))->setEnabled(false);
    for (const std::string& name : names) {
        QAction* action = profiles->addAction(ToQString(name));
        action->setEnabled(item != nullptr && context_.openItemList != nullptr);
        connect(action, &QAction::triggered, this, [this, item, name] {
            // A profile lists a container: the item itself, or the one it lies in.
            const CatalogItem* container = item->isContainer() ? item : item->parent();
            if (container != nullptr)
                context_.openItemList(*container, name);
        });
    }
    QAction* duplicates = menu->addAction(DialogText("Menu_Search", 1));
    duplicates->setEnabled(item != nullptr && !running());
    connect(duplicates, &QAction::triggered, this, [this, item] { DuplicatesWindow::Open(context_, item, this); });
    menu->addSeparator();
    QMenu* columns = columnsMenu();
    columns->setTitle(DialogText("Menu_Search", 2));
    menu->addMenu(columns);
    QAction* print = menu->addAction(DialogText("Menu_Search", 3));
    print->setEnabled(print_->isEnabled());
    connect(print, &QAction::triggered, this, &SearchWindow::printExport);
    return menu;
}

void SearchWindow::restorePlacement() {
    const SearchWindowPlacement placement = RestoreSearchWindow(context_.settings, ScreenRect());
    // Wide enough for the default columns.
    resize(std::max(sizeHint().width(), 780), sizeHint().height());
    if (placement.rect) {
        const WindowRect& r = *placement.rect;
        setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
    } else if (QWidget* owner = parentWidget()) {
        move(owner->geometry().center() - rect().center());
    }
    if (placement.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void SearchWindow::savePlacement() {
    takeColumnWidths();
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    WindowRect rect{normal.left(), normal.top(), normal.right() + 1, normal.bottom() + 1};
    // A window whose results were never shown remembers the height it would have with them.
    if (!shownResults_)
        rect.bottom = rect.top + std::max(normal.height(), 3 * sizeHint().height() / 2);
    SaveSearchWindow(context_.settings, columns_, rect, isMaximized());
}

void SearchWindow::closeEvent(QCloseEvent* event) {
    if (running()) {
        if (!context_.prompter.askYesNo(ToUtf8(StringsText(kMessageCancel)))) {
            event->ignore();
            return;
        }
        timer_.stop();
        job_.reset();
        setRunning(false);
    }
    savePlacement();
    model_->clear();
    event->accept();
}

void SearchWindow::itemRemoving(CatalogItem& item) {
    // The start item going away: the search starts from the container that held it.
    if (criteria_.startItem != nullptr && IsBelowOrSelf(criteria_.startItem, item)) {
        criteria_.startItem = item.parent() != nullptr ? item.parent() : context_.document.tree().root();
        if (criteria_.startItem == &item)
            criteria_.startItem = nullptr;
        searchIn_->setText(CatalogPathText(criteria_.startItem));
        updateStartEnabled();
    }
}

void SearchWindow::reset() {
    criteria_.startItem = context_.document.tree().root();
    searchIn_->setText(CatalogPathText(criteria_.startItem));
    CatalogItem* root = context_.document.tree().root();
    categories_->setCategories(root != nullptr ? NamedCategories(*root) : std::vector<NamedKey>{});
    extraInfo_->setFields(root != nullptr ? ConditionFields(*root) : std::vector<NamedKey>{});
    updateStartEnabled();
}

}  // namespace shelfmark::search
