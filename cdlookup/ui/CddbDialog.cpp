#include "cdlookup/ui/CddbDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogItem.h"
#include "cdlookup/ui/CddbSettingsPage.h"
#include "cdlookup/ui/DiscEditorDialog.h"
#include "cdlookup/ui/MatchDialog.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"
#include "platform/desktop/DesktopOpen.h"

namespace shelfmark {

namespace {

constexpr char kSection[] = "Dlg_CDDB";
constexpr int kNameTitle = 73;
constexpr int kDescriptionTitle = 144;
constexpr int kProgressText = 149;
constexpr int kSelectNew = 151;

// The wait cursor over a blocking network exchange; windows opened inside it take it off
// while they are up.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

class NormalCursor {
  public:
    NormalCursor() : active_(QApplication::overrideCursor() != nullptr) {
        if (active_)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalCursor() {
        if (active_)
            QApplication::restoreOverrideCursor();
    }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

  private:
    bool active_;
};

QToolButton* ToolButton(QToolBar* bar, int key) {
    auto* button = SetTextKey(new QToolButton(bar), key);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return button;
}

}  // namespace

CddbDialog::CddbDialog(CatalogDocument& document, SettingsStore& store,
                       std::span<CatalogItem* const> preChecked, bool autoStart, Options options,
                       QWidget* parent)
    : QDialog(parent),
      document_(document),
      store_(store),
      options_(std::move(options)),
      list_(new QTreeWidget(this)) {
    SetTextKey(this, 0);
    auto* bar = new QToolBar(this);
    submitNew_ = ToolButton(bar, 7);
    discInfo_ = ToolButton(bar, 6);
    browser_ = ToolButton(bar, 10);
    select_ = ToolButton(bar, 4);
    settings_ = ToolButton(bar, 3);

    auto* menu = new QMenu(select_);
    menu->addAction(DialogText("Menu_Selection", 0), this, [this] {
        controller_->selectAll();
        showRows();
    });
    menu->addAction(DialogText("Menu_Selection", 1), this, [this] {
        controller_->unselectAll();
        showRows();
    });
    menu->addAction(StringsText(kSelectNew), this, [this] {
        controller_->selectNew();
        showRows();
    });
    menu->addAction(DialogText("Menu_Selection", 2), this, [this] {
        controller_->invertSelection();
        showRows();
    });
    select_->setMenu(menu);
    select_->setPopupMode(QToolButton::InstantPopup);

    auto* label = SetTextKey(new QLabel(this), 1);
    label->setBuddy(list_);
    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->setHeaderLabels({StringsText(kNameTitle), StringsText(kDescriptionTitle)});
    list_->setColumnWidth(0, 180);
    list_->setColumnWidth(1, 272);

    start_ = SetTextKey(new QPushButton(this), 2);
    start_->setDefault(true);
    auto* close = SetTextKey(new QPushButton(this), 5);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(bar);
    layout->addWidget(label);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    ApplyDialogTexts(this, kSection);
    resize(520, 360);

    connect(start_, &QPushButton::clicked, this, &CddbDialog::start);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(submitNew_, &QToolButton::clicked, this, &CddbDialog::submitNew);
    connect(discInfo_, &QToolButton::clicked, this, &CddbDialog::discInfo);
    connect(browser_, &QToolButton::clicked, this, &CddbDialog::openBrowser);
    connect(settings_, &QToolButton::clicked, this, &CddbDialog::openSettings);
    connect(list_, &QTreeWidget::itemChanged, this, &CddbDialog::rowChanged);
    connect(list_, &QTreeWidget::currentItemChanged, this, &CddbDialog::updateCommands);
    // Activating a row (double-click, Enter) toggles its box.
    connect(list_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });

    controller_ =
        std::make_unique<LookupController>(document, store, *this, options_.toc, options_.siteLine);
    controller_->fill(preChecked);
    showRows();
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
    updateCommands();
    if (autoStart) {
        QTimer::singleShot(0, this, [this] {
            start();
            accept();
        });
    }
}

CddbDialog::~CddbDialog() = default;

int CddbDialog::currentRow() const {
    return list_->indexOfTopLevelItem(list_->currentItem());
}

bool CddbDialog::listShowsTheRows() const {
    const std::vector<LookupRow>& rows = controller_->rows();
    if (static_cast<size_t>(list_->topLevelItemCount()) != rows.size())
        return false;
    for (size_t i = 0; i < rows.size(); ++i)
        if (list_->topLevelItem(int(i))->data(0, Qt::UserRole).value<void*>() != rows[i].disk)
            return false;
    return true;
}

void CddbDialog::showRows() {
    const std::vector<LookupRow>& rows = controller_->rows();
    showing_ = true;
    if (!listShowsTheRows()) {
        list_->clear();
        for (const LookupRow& row : rows) {
            auto* item = new QTreeWidgetItem(list_);
            item->setData(0, Qt::UserRole, QVariant::fromValue<void*>(row.disk));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        }
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(int(i));
        item->setText(0, ToQString(rows[i].disk->name()));
        item->setText(1, ToQString(rows[i].description));
        item->setCheckState(0, rows[i].checked ? Qt::Checked : Qt::Unchecked);
    }
    showing_ = false;
    updateCommands();
}

void CddbDialog::rowChanged(QTreeWidgetItem* item, int column) {
    if (showing_ || column != 0)
        return;
    const int row = list_->indexOfTopLevelItem(item);
    if (row < 0)
        return;
    // Checking first makes sure of the table of contents; a refusal leaves the box clear.
    controller_->setChecked(size_t(row), item->checkState(0) == Qt::Checked);
    // When the catalog was read again the list is rebuilt, which must not happen inside the
    // signal of one of its rows.
    if (listShowsTheRows())
        showRows();
    else
        QTimer::singleShot(0, this, &CddbDialog::showRows);
}

void CddbDialog::updateCommands() {
    const bool current = list_->currentItem() != nullptr;
    submitNew_->setEnabled(current);
    discInfo_->setEnabled(current);
}

void CddbDialog::start() {
    {
        const WaitCursor wait;
        controller_->start();
    }
    showRows();
}

void CddbDialog::discInfo() {
    onCurrentRow(&LookupController::discInfo);
}

void CddbDialog::submitNew() {
    onCurrentRow(&LookupController::submitNew);
}

void CddbDialog::onCurrentRow(void (LookupController::*command)(size_t)) {
    const int row = currentRow();
    if (row < 0)
        return;
    {
        const WaitCursor wait;
        (controller_.get()->*command)(size_t(row));
    }
    showRows();
}

void CddbDialog::openBrowser() {
    const std::string page(kCddbSearchPage);
    if (options_.openBrowser) {
        options_.openBrowser(page);
        return;
    }
    std::string error;
    if (!OpenWithDefaultApplication(page, error))
        document_.prompter().error(error);
}

void CddbDialog::openSettings() {
    controller_->openSettings();
}

LookupDialogs::MatchChoice CddbDialog::chooseMatch(const std::string& diskName,
                                                   const CDiscoraQueryResult& matches) {
    const NormalCursor cursor;
    MatchDialog chooser(diskName, matches, this);
    return chooser.choose();
}

bool CddbDialog::editDisc(DiscEditor& editor) {
    const NormalCursor cursor;
    DiscEditorDialog dialog(editor, this);
    return dialog.exec() == QDialog::Accepted;
}

bool CddbDialog::editCddbSettings() {
    const NormalCursor cursor;
    if (options_.openCddbSettings)
        return options_.openCddbSettings();
    // Without the program's settings dialog: the CDDB page alone.
    QDialog dialog(this);
    auto* page = new CddbSettingsPage(store_, document_.prompter(), &dialog);
    dialog.setWindowTitle(page->windowTitle());
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(DialogText("Dlg_Common", 0), QDialogButtonBox::AcceptRole);
    buttons->addButton(DialogText("Dlg_Common", 1), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog, page] {
        if (page->apply())
            dialog.accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(page);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}

void CddbDialog::showProgress(const std::string& diskName) {
    if (progress_ == nullptr) {
        // A small window without caption buttons: it cannot be closed while the lookup runs.
        progress_ = new QDialog(this, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        progress_->setWindowTitle(windowTitle());
        auto* text = new QLabel(StringsText(kProgressText), progress_);
        progressDisk_ = new QLabel(progress_);
        auto* busy = new QProgressBar(progress_);
        busy->setRange(0, 0);
        auto* layout = new QVBoxLayout(progress_);
        layout->addWidget(text);
        layout->addWidget(progressDisk_);
        layout->addWidget(busy);
    }
    progressDisk_->setText(ToQString(diskName));
    progress_->show();
    progress_->raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CddbDialog::closeProgress() {
    if (progress_ != nullptr)
        progress_->hide();
}

}  // namespace shelfmark
