#include "search/ui/SearchPages.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QDateEdit>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"
#include "search/SearchWindowState.h"

namespace shelfmark::search {

namespace {

// Strings keys of the size operators and the condition operators.
constexpr int kSizeOperatorKeys[] = {139, 140, 141};
constexpr int kNumericOperatorKeys[] = {226, 227, 228, 229};
constexpr int kTextOperatorKeys[] = {230, 231};
constexpr int kMessageFillOut = 19;
constexpr int kMessageDeleteMany = 32;
constexpr int kMessageDeleteOne = 33;
constexpr int kNoCategories = 190;

int OperatorKey(ConditionOperator op) {
    switch (op) {
        case ConditionOperator::Contains:
            return kTextOperatorKeys[0];
        case ConditionOperator::Matches:
            return kTextOperatorKeys[1];
        default:
            return kNumericOperatorKeys[size_t(op) & 3];
    }
}

QCheckBox* Check(int key, QWidget* parent) {
    return SetTextKey(new QCheckBox(parent), key);
}

QDate DateOf(int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds).date();
}

// The bound with the picker's date and the time of day it had.
int64_t WithDate(const QDate& date, int64_t previous) {
    const QDateTime before = QDateTime::fromSecsSinceEpoch(previous);
    return QDateTime(date, before.time()).toSecsSinceEpoch();
}

}  // namespace

// ---- General --------------------------------------------------------------------------------

GeneralPage::GeneralPage(QWidget* parent) : QWidget(parent) {
    SetTextKey(this, 0);
    text_ = new QComboBox(this);
    text_->setEditable(true);
    text_->setInsertPolicy(QComboBox::NoInsert);
    text_->setMaxVisibleItems(25);
    // Typing at the end completes to the first recent text that begins with what was typed; the
    // line edit's own completion stops after Delete or Backspace until the next key.
    text_->completer()->setCompletionMode(QCompleter::InlineCompletion);
    text_->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    caseSensitive_ = Check(2, this);
    wholeString_ = Check(3, this);
    wordModes_ = new QButtonGroup(this);
    auto* words = SetTextKey(new QGroupBox(this), 4);
    auto* wordsLayout = new QVBoxLayout(words);
    for (int mode = 0; mode < 3; ++mode) {
        auto* radio = SetTextKey(new QRadioButton(words), 5 + mode);
        wordModes_->addButton(radio, mode);
        wordsLayout->addWidget(radio);
    }
    inDescription_ = Check(8, this);
    inExtraInfo_ = Check(9, this);
    auto* kinds = SetTextKey(new QGroupBox(this), 10);
    auto* kindsLayout = new QGridLayout(kinds);
    files_ = Check(11, kinds);
    directories_ = Check(12, kinds);
    disks_ = Check(13, kinds);
    folders_ = Check(14, kinds);
    kindsLayout->addWidget(files_, 0, 0);
    kindsLayout->addWidget(directories_, 0, 1);
    kindsLayout->addWidget(disks_, 1, 0);
    kindsLayout->addWidget(folders_, 1, 1);

    auto* layout = new QGridLayout(this);
    auto* label = SetTextKey(new QLabel(this), 1);
    label->setBuddy(text_);
    layout->addWidget(label, 0, 0);
    layout->addWidget(text_, 0, 1, 1, 2);
    auto* options = new QVBoxLayout;
    options->addWidget(caseSensitive_);
    options->addWidget(wholeString_);
    options->addWidget(inDescription_);
    options->addWidget(inExtraInfo_);
    options->addStretch();
    layout->addLayout(options, 1, 0, 1, 2);
    layout->addWidget(words, 1, 2);
    layout->addWidget(kinds, 2, 0, 1, 3);
    layout->setRowStretch(3, 1);

    // Whole-string matching and all-words mode exclude each other.
    connect(wholeString_, &QCheckBox::toggled, this, [this](bool on) {
        if (on && wordModes_->checkedId() == int(WordMode::AllWords))
            wordModes_->button(int(WordMode::Normal))->setChecked(true);
    });
    connect(wordModes_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on && id == int(WordMode::AllWords))
            wholeString_->setChecked(false);
    });
    connect(text_, &QComboBox::editTextChanged, this, &GeneralPage::textChanged);
}

QRadioButton* GeneralPage::wordMode(WordMode mode) const {
    return static_cast<QRadioButton*>(wordModes_->button(int(mode)));
}

void GeneralPage::load(const SearchCriteria& criteria) {
    QString text = ToQString(criteria.text);
    // An empty search text starts from what the clipboard holds.
    if (text.isEmpty())
        text = QApplication::clipboard()->text().section(QLatin1Char('\n'), 0, 0).trimmed();
    text_->setEditText(text);
    caseSensitive_->setChecked(criteria.caseSensitive);
    wholeString_->setChecked(criteria.wholeString);
    wordModes_->button(int(criteria.wordMode))->setChecked(true);
    inDescription_->setChecked(criteria.inDescription);
    inExtraInfo_->setChecked(criteria.inExtraInfo);
    files_->setChecked(criteria.files);
    directories_->setChecked(criteria.directories);
    disks_->setChecked(criteria.disks);
    folders_->setChecked(criteria.folders);
}

void GeneralPage::store(SearchCriteria& criteria) const {
    criteria.text = ToUtf8(text_->currentText());
    criteria.caseSensitive = caseSensitive_->isChecked();
    criteria.wholeString = wholeString_->isChecked();
    criteria.wordMode = WordMode(wordModes_->checkedId());
    criteria.inDescription = inDescription_->isChecked();
    criteria.inExtraInfo = inExtraInfo_->isChecked();
    criteria.files = files_->isChecked();
    criteria.directories = directories_->isChecked();
    criteria.disks = disks_->isChecked();
    criteria.folders = folders_->isChecked();
}

void GeneralPage::setRecent(const RecentSearches& recent) {
    const QString text = text_->currentText();
    text_->blockSignals(true);
    text_->clear();
    for (const char letter : recent.mruList) {
        const auto found = recent.texts.find(letter);
        if (found != recent.texts.end() && !found->second.empty())
            text_->addItem(ToQString(found->second), QChar(QLatin1Char(letter)));
    }
    text_->setCurrentIndex(-1);
    text_->setEditText(text);
    text_->blockSignals(false);
}

std::optional<char> GeneralPage::selectedLetter() const {
    const int index = text_->currentIndex();
    if (index < 0 || text_->itemText(index) != text_->currentText())
        return std::nullopt;
    const QVariant letter = text_->itemData(index);
    if (!letter.isValid())
        return std::nullopt;
    return char(letter.toChar().toLatin1());
}

// ---- Extended -------------------------------------------------------------------------------

ExtendedPage::ExtendedPage(QWidget* parent) : QWidget(parent) {
    SetTextKey(this, 0);
    auto* dates = SetTextKey(new QGroupBox(this), 1);
    dateModes_ = new QButtonGroup(this);
    auto* datesLayout = new QGridLayout(dates);
    for (int mode = 0; mode < 4; ++mode) {
        auto* radio = SetTextKey(new QRadioButton(dates), 2 + mode);
        dateModes_->addButton(radio, mode);
        datesLayout->addWidget(radio, mode, 0);
    }
    date1_ = new QDateEdit(dates);
    date2_ = new QDateEdit(dates);
    date1_->setCalendarPopup(true);
    date2_->setCalendarPopup(true);
    months_ = new QSpinBox(dates);
    days_ = new QSpinBox(dates);
    months_->setRange(1, 999);
    days_->setRange(1, 999);
    auto* between = new QHBoxLayout;
    between->addWidget(date1_);
    between->addWidget(SetTextKey(new QLabel(dates), 6));
    between->addWidget(date2_);
    datesLayout->addLayout(between, 1, 1);
    auto* monthsRow = new QHBoxLayout;
    monthsRow->addWidget(months_);
    monthsRow->addWidget(SetTextKey(new QLabel(dates), 7));
    monthsRow->addStretch();
    datesLayout->addLayout(monthsRow, 2, 1);
    auto* daysRow = new QHBoxLayout;
    daysRow->addWidget(days_);
    daysRow->addWidget(SetTextKey(new QLabel(dates), 8));
    daysRow->addStretch();
    datesLayout->addLayout(daysRow, 3, 1);

    auto* sizes = SetTextKey(new QGroupBox(this), 9);
    auto* sizesLayout = new QHBoxLayout(sizes);
    operator_ = new QComboBox(sizes);
    for (const int key : kSizeOperatorKeys)
        operator_->addItem(StringsText(key));
    size_ = new QLineEdit(sizes);
    size_->setMaxLength(7);
    unit_ = new QComboBox(sizes);
    for (const std::string_view unit : kSizeUnits)
        unit_->addItem(ToQString(unit));
    sizesLayout->addWidget(SetTextKey(new QLabel(sizes), 10));
    sizesLayout->addWidget(operator_);
    sizesLayout->addWidget(size_);
    sizesLayout->addWidget(unit_);
    sizesLayout->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dates);
    layout->addWidget(sizes);
    layout->addStretch();
    connect(dateModes_, &QButtonGroup::idToggled, this, [this] { updateEnabled(); });
}

QRadioButton* ExtendedPage::dateMode(DateMode mode) const {
    return static_cast<QRadioButton*>(dateModes_->button(int(mode)));
}

void ExtendedPage::updateEnabled() {
    const auto mode = DateMode(dateModes_->checkedId());
    date1_->setEnabled(mode == DateMode::Between);
    date2_->setEnabled(mode == DateMode::Between);
    months_->setEnabled(mode == DateMode::WithinMonths);
    days_->setEnabled(mode == DateMode::WithinDays);
}

void ExtendedPage::load(const SearchCriteria& criteria) {
    dateModes_->button(int(criteria.dateMode))->setChecked(true);
    time1_ = criteria.date1;
    time2_ = criteria.date2;
    date1_->setDate(DateOf(criteria.date1));
    date2_->setDate(DateOf(criteria.date2));
    months_->setValue(int(ParseDayCount(criteria.months).value_or(1)));
    days_->setValue(int(ParseDayCount(criteria.days).value_or(1)));
    size_->setText(ToQString(criteria.sizeText));
    operator_->setCurrentIndex(int(criteria.sizeOperator));
    unit_->setCurrentIndex(int(criteria.sizeShift / 10));
    updateEnabled();
}

void ExtendedPage::store(SearchCriteria& criteria) const {
    criteria.dateMode = DateMode(dateModes_->checkedId());
    criteria.date1 = WithDate(date1_->date(), time1_);
    criteria.date2 = WithDate(date2_->date(), time2_);
    criteria.months = std::to_string(months_->value());
    criteria.days = std::to_string(days_->value());
    criteria.sizeText = ToUtf8(size_->text());
    criteria.sizeOperator = SizeOperator(operator_->currentIndex());
    criteria.sizeShift = unsigned(unit_->currentIndex()) * 10;
}

// ---- Categories -----------------------------------------------------------------------------

CategoriesPage::CategoriesPage(QWidget* parent) : QWidget(parent) {
    SetTextKey(this, 1);
    list_ = new QListWidget(this);
    selection_ = SetTextKey(new QPushButton(this), 0);
    include_ = SetTextKey(new QRadioButton(this), 2);
    exclude_ = SetTextKey(new QRadioButton(this), 3);
    include_->setChecked(true);
    auto* menu = new QMenu(selection_);
    for (int key = 0; key < 3; ++key)
        menu->addAction(DialogText("Menu_Selection", key));
    connect(menu->actions()[0], &QAction::triggered, this, [this] { selectAll(true); });
    connect(menu->actions()[1], &QAction::triggered, this, [this] { selectAll(false); });
    connect(menu->actions()[2], &QAction::triggered, this, &CategoriesPage::invertSelection);
    selection_->setMenu(menu);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    auto* row = new QHBoxLayout;
    auto* radios = new QVBoxLayout;
    radios->addWidget(include_);
    radios->addWidget(exclude_);
    row->addLayout(radios);
    row->addStretch();
    row->addWidget(selection_, 0, Qt::AlignTop);
    layout->addLayout(row);
}

void CategoriesPage::setCategories(std::vector<NamedKey> categories) {
    categories_ = std::move(categories);
    list_->clear();
    if (categories_.empty()) {
        auto* none = new QListWidgetItem(StringsText(kNoCategories), list_);
        none->setFlags(Qt::NoItemFlags);
    }
    for (const NamedKey& category : categories_) {
        auto* row = new QListWidgetItem(ToQString(category.name), list_);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        row->setCheckState(Qt::Unchecked);
        row->setData(Qt::UserRole, int(category.key));
    }
    selection_->setEnabled(!categories_.empty());
}

void CategoriesPage::load(const SearchCriteria& criteria) {
    for (int i = 0; i < int(categories_.size()); ++i) {
        const uint8_t id = categories_[size_t(i)].key;
        const bool on = std::binary_search(criteria.categories.begin(), criteria.categories.end(), id);
        list_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    (criteria.excludeCategories ? exclude_ : include_)->setChecked(true);
}

void CategoriesPage::store(SearchCriteria& criteria) const {
    criteria.categories.clear();
    for (int i = 0; i < int(categories_.size()); ++i)
        if (list_->item(i)->checkState() == Qt::Checked)
            SelectCategory(criteria, categories_[size_t(i)].key);
    criteria.excludeCategories = exclude_->isChecked();
}

void CategoriesPage::selectAll(bool on) {
    for (int i = 0; i < int(categories_.size()); ++i)
        list_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void CategoriesPage::invertSelection() {
    for (int i = 0; i < int(categories_.size()); ++i) {
        QListWidgetItem* row = list_->item(i);
        row->setCheckState(row->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

// ---- Conditions -----------------------------------------------------------------------------

QStringList ConditionTexts(const ExtraInfoCondition& condition, const std::vector<NamedKey>& fields) {
    QString name = QStringLiteral("0x%1").arg(condition.key, 2, 16, QLatin1Char('0'));
    for (const NamedKey& field : fields)
        if (field.key == condition.key)
            name = ToQString(field.name);
    QString values;
    if (IsTextConditionKey(condition.key))
        values = ToQString(condition.text);
    else if (condition.op == ConditionOperator::Between)
        values = QStringLiteral("%1 - %2").arg(condition.value1).arg(condition.value2);
    else
        values = QString::number(condition.value1);
    return {name, StringsText(OperatorKey(condition.op)), values};
}

ConditionDialog::ConditionDialog(std::vector<NamedKey> fields, const ExtraInfoCondition& condition,
                                 Prompter& prompter, QWidget* parent)
    : QDialog(parent), fields_(std::move(fields)), condition_(condition), prompter_(prompter) {
    SetTextKey(this, 0);
    attribute_ = new QComboBox(this);
    for (const NamedKey& field : fields_)
        attribute_->addItem(ToQString(field.name), int(field.key));
    operator_ = new QComboBox(this);
    value1_ = new QLineEdit(this);
    value2_ = new QLineEdit(this);
    auto* form = new QFormLayout;
    form->addRow(SetTextKey(new QLabel(this), 1), attribute_);
    form->addRow(SetTextKey(new QLabel(this), 2), operator_);
    form->addRow(SetTextKey(new QLabel(this), 3), value1_);
    form->addRow(SetTextKey(new QLabel(this), 4), value2_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(MakeOkCancelButtons(this));
    ApplyDialogTexts(this, "Dlg_SearchExtraInfoCfg");

    int at = 0;
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].key == condition.key)
            at = int(i);
    attribute_->setCurrentIndex(at);
    fillOperators(condition.op);
    if (IsTextConditionKey(condition.key)) {
        value1_->setText(ToQString(condition.text));
    } else if (condition.key != 0) {
        value1_->setText(QString::number(condition.value1));
        value2_->setText(QString::number(condition.value2));
    }
    connect(attribute_, &QComboBox::currentIndexChanged, this,
            [this] { fillOperators(ConditionOperator(operator_->currentData().toInt())); });
    connect(operator_, &QComboBox::currentIndexChanged, this, [this] { updateEnabled(); });
    updateEnabled();
}

// The operators of the chosen attribute's class; the first unless `wanted` is among them.
void ConditionDialog::fillOperators(ConditionOperator wanted) {
    const uint8_t key = uint8_t(attribute_->currentData().toInt());
    operator_->blockSignals(true);
    operator_->clear();
    if (IsTextConditionKey(key)) {
        operator_->addItem(StringsText(kTextOperatorKeys[0]), int(ConditionOperator::Contains));
        operator_->addItem(StringsText(kTextOperatorKeys[1]), int(ConditionOperator::Matches));
    } else {
        for (int op = 0; op < 4; ++op)
            operator_->addItem(StringsText(kNumericOperatorKeys[op]), op);
    }
    const int index = operator_->findData(int(wanted));
    operator_->setCurrentIndex(index < 0 ? 0 : index);
    operator_->blockSignals(false);
    updateEnabled();
}

void ConditionDialog::updateEnabled() {
    value2_->setEnabled(ConditionOperator(operator_->currentData().toInt()) == ConditionOperator::Between);
}

void ConditionDialog::accept() {
    ExtraInfoCondition condition;
    condition.key = uint8_t(attribute_->currentData().toInt());
    condition.op = ConditionOperator(operator_->currentData().toInt());
    if (IsTextConditionKey(condition.key)) {
        condition.text = ToUtf8(value1_->text());
        if (condition.text.empty()) {
            prompter_.error(ToUtf8(StringsText(kMessageFillOut)));
            value1_->setFocus();
            return;
        }
    } else {
        const auto first = ParseConditionNumber(ToUtf8(value1_->text()));
        const bool between = condition.op == ConditionOperator::Between;
        const auto second = between ? ParseConditionNumber(ToUtf8(value2_->text())) : std::optional<uint32_t>(0);
        if (!first || !second) {
            prompter_.error("Please enter a positive integer.");
            (first ? value2_ : value1_)->setFocus();
            (first ? value2_ : value1_)->selectAll();
            return;
        }
        condition.value1 = *first;
        condition.value2 = *second;
    }
    condition_ = condition;
    QDialog::accept();
}

ExtraInfoPage::ExtraInfoPage(Prompter& prompter, QWidget* parent) : QWidget(parent), prompter_(prompter) {
    SetTextKey(this, 0);
    list_ = new QTreeWidget(this);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setHeaderLabels({DialogText("Sht_SearchExtraInfo", 4), DialogText("Sht_SearchExtraInfo", 5),
                            DialogText("Sht_SearchExtraInfo", 6)});
    auto* add = SetTextKey(new QPushButton(this), 1);
    auto* edit = SetTextKey(new QPushButton(this), 2);
    auto* remove = SetTextKey(new QPushButton(this), 3);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(edit);
    buttons->addWidget(remove);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    connect(add, &QPushButton::clicked, this, &ExtraInfoPage::addCondition);
    connect(edit, &QPushButton::clicked, this, &ExtraInfoPage::editCondition);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &ExtraInfoPage::editCondition);
    connect(remove, &QPushButton::clicked, this, [this] {
        deleteConditions(!(QApplication::keyboardModifiers() & Qt::ShiftModifier));
    });
}

void ExtraInfoPage::setFields(std::vector<NamedKey> fields) {
    fields_ = std::move(fields);
}

void ExtraInfoPage::refill() {
    list_->clear();
    for (const ExtraInfoCondition& condition : conditions_)
        new QTreeWidgetItem(list_, ConditionTexts(condition, fields_));
}

void ExtraInfoPage::load(const SearchCriteria& criteria) {
    conditions_ = criteria.conditions;
    refill();
}

void ExtraInfoPage::store(SearchCriteria& criteria) const {
    criteria.conditions = conditions_;
}

void ExtraInfoPage::addCondition() {
    if (fields_.empty())
        return;
    ExtraInfoCondition fresh;
    fresh.key = fields_.front().key;
    fresh.op = IsTextConditionKey(fresh.key) ? ConditionOperator::Contains : ConditionOperator::LessThan;
    ConditionDialog dialog(fields_, fresh, prompter_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    conditions_.push_back(dialog.condition());
    refill();
}

void ExtraInfoPage::editCondition() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0)
        return;
    ConditionDialog dialog(fields_, conditions_[size_t(row)], prompter_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    conditions_[size_t(row)] = dialog.condition();
    refill();
    list_->setCurrentItem(list_->topLevelItem(row));
}

void ExtraInfoPage::deleteConditions(bool ask) {
    std::vector<int> rows;
    for (QTreeWidgetItem* item : list_->selectedItems())
        rows.push_back(list_->indexOfTopLevelItem(item));
    if (rows.empty())
        return;
    if (ask) {
        const QString question =
            rows.size() == 1
                ? StringsText(kMessageDeleteOne).replace(QLatin1String("%s"), list_->topLevelItem(rows[0])->text(0))
                : StringsText(kMessageDeleteMany).replace(QLatin1String("%d"), QString::number(rows.size()));
        if (!prompter_.askYesNo(ToUtf8(question)))
            return;
    }
    std::sort(rows.rbegin(), rows.rend());
    for (const int row : rows)
        conditions_.erase(conditions_.begin() + row);
    refill();
}

}  // namespace shelfmark::search
