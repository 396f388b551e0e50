#include "lists/ui/ProfileDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog/ColumnDescriptors.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {
namespace {

constexpr std::string_view kProfileSection = "Dlg_ProfileSettings";
constexpr std::string_view kColumnSection = "Dlg_ColumnSettings";
// Column kinds at and above this key are blocks no list can show.
constexpr uint8_t kFirstBlockKey = 0xC0;

const ColumnTable& Descriptors() {
    static const ColumnTable table;
    return table;
}

QString DescriptorTitle(const ColumnDescriptor& row) {
    return row.titleKey != 0 ? StringsText(row.titleKey) : ToQString(row.title);
}

QString AlignmentText(ColumnAlignment alignment) {
    return DialogText(kColumnSection, 5 + static_cast<int>(alignment));
}

}  // namespace

QString ColumnValueText(uint8_t value) {
    if (value >= '0' && value <= '9')
        return QStringLiteral("%%1").arg(QChar(value));
    const ColumnDescriptor* row = Descriptors().findKey(value);
    return row != nullptr ? DescriptorTitle(*row).toUpper() : QString();
}

ColumnSettingsDialog::ColumnSettingsDialog(const ListColumn& column, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dlg_ColumnSettings"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = new QComboBox(this);
    name_->setEditable(true);
    value_ = new QComboBox(this);
    for (size_t i = 0; i < Descriptors().size(); ++i) {
        const ColumnDescriptor& row = Descriptors().row(i);
        if (row.key >= kFirstBlockKey)
            continue;
        name_->addItem(DescriptorTitle(row));
        value_->addItem(DescriptorTitle(row).toUpper(), row.key);
    }
    for (char digit = '0'; digit <= '9'; ++digit)
        value_->addItem(QStringLiteral("%%1").arg(QChar(digit)), static_cast<int>(digit));
    name_->setEditText(ToQString(column.title));
    value_->setCurrentIndex(std::max(0, value_->findData(static_cast<int>(column.value))));
    alignment_ = new QComboBox(this);
    for (ColumnAlignment a : {ColumnAlignment::Left, ColumnAlignment::Right, ColumnAlignment::Center})
        alignment_->addItem(AlignmentText(a), static_cast<int>(a));
    alignment_->setCurrentIndex(alignment_->findData(static_cast<int>(column.alignment)));
    width_ = new QSpinBox(this);
    width_->setRange(0, 999);
    width_->setValue(column.width);
    // Picking a name of a column kind picks its value too, the usual case.
    connect(name_, &QComboBox::activated, value_, [this](int index) { value_->setCurrentIndex(index); });
    const std::pair<int, QWidget*> rows[] = {{1, name_}, {2, value_}, {3, alignment_}, {4, width_}};
    for (const auto& [key, field] : rows) {
        auto* label = SetTextKey(new QLabel(this), key);
        label->setBuddy(field);
        form->addRow(label, field);
    }
    layout->addLayout(form);
    layout->addWidget(MakeOkCancelButtons(this));
    SetTextKey(this, 0);
    ApplyDialogTexts(this, kColumnSection);
}

ListColumn ColumnSettingsDialog::column() const {
    ListColumn column;
    column.title = ToUtf8(name_->currentText().trimmed());
    column.value = static_cast<uint8_t>(value_->currentData().toInt());
    column.alignment = static_cast<ColumnAlignment>(alignment_->currentData().toInt());
    column.width = width_->value();
    return column;
}

ProfileSettingsDialog::ProfileSettingsDialog(const ItemListProfile& profile, Prompter& prompter, QWidget* parent)
    : QDialog(parent), prompter_(prompter), base_(profile), columnData_(profile.columns) {
    setObjectName(QStringLiteral("Dlg_ProfileSettings"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    name_ = new QLineEdit(ToQString(profile.name), this);
    format_ = new QLineEdit(ToQString(profile.format), this);
    auto* nameLabel = SetTextKey(new QLabel(this), 1);
    nameLabel->setBuddy(name_);
    form->addRow(nameLabel, name_);
    auto* formatLabel = SetTextKey(new QLabel(this), 2);
    formatLabel->setBuddy(format_);
    form->addRow(formatLabel, format_);
    auto* parseRow = new QHBoxLayout;
    parseName_ = SetTextKey(new QRadioButton(this), 3);
    parseDescription_ = SetTextKey(new QRadioButton(this), 4);
    (profile.parseMode == ParseMode::Description ? parseDescription_ : parseName_)->setChecked(true);
    parseRow->addWidget(parseName_);
    parseRow->addWidget(parseDescription_);
    form->addRow(QString(), parseRow);
    layout->addLayout(form);

    auto* kinds = SetTextKey(new QGroupBox(this), 17);
    auto* kindsRow = new QHBoxLayout(kinds);
    files_ = SetTextKey(new QCheckBox(kinds), 5);
    directories_ = SetTextKey(new QCheckBox(kinds), 6);
    folders_ = SetTextKey(new QCheckBox(kinds), 7);
    disks_ = SetTextKey(new QCheckBox(kinds), 8);
    files_->setChecked(profile.files);
    directories_->setChecked(profile.directories);
    folders_->setChecked(profile.folders);
    disks_->setChecked(profile.disks);
    for (QCheckBox* box : {files_, directories_, folders_, disks_})
        kindsRow->addWidget(box);
    layout->addWidget(kinds);

    auto* more = new QFormLayout;
    depth_ = new QSpinBox(this);
    depth_->setRange(1, 40);
    depth_->setValue(std::clamp(profile.maxListingDepth, 1, 40));
    auto* depthLabel = SetTextKey(new QLabel(this), 9);
    depthLabel->setBuddy(depth_);
    more->addRow(depthLabel, depth_);
    QStringList extensions;
    for (const std::string& extension : profile.extensions)
        extensions << ToQString(extension);
    extensions_ = new QLineEdit(extensions.join(QLatin1Char(' ')), this);
    auto* extensionsLabel = SetTextKey(new QLabel(this), 10);
    extensionsLabel->setBuddy(extensions_);
    more->addRow(extensionsLabel, extensions_);
    layout->addLayout(more);

    layout->addWidget(SetTextKey(new QLabel(this), 11));
    auto* columnRow = new QHBoxLayout;
    columns_ = new QTreeWidget(this);
    columns_->setRootIsDecorated(false);
    columns_->setHeaderLabels({DialogText(kProfileSection, 15), DialogText(kProfileSection, 16)});
    columns_->setMinimumHeight(150);
    columnRow->addWidget(columns_, 1);
    auto* buttons = new QVBoxLayout;
    auto* add = SetTextKey(new QPushButton(this), 12);
    auto* edit = SetTextKey(new QPushButton(this), 13);
    auto* remove = SetTextKey(new QPushButton(this), 14);
    auto* up = SetTextKey(new QPushButton(this), 18);
    auto* down = SetTextKey(new QPushButton(this), 19);
    for (QPushButton* button : {add, edit, remove, up, down})
        buttons->addWidget(button);
    buttons->addStretch();
    columnRow->addLayout(buttons);
    layout->addLayout(columnRow);
    layout->addWidget(MakeOkCancelButtons(this));
    SetTextKey(this, 0);
    ApplyDialogTexts(this, kProfileSection);

    auto current = [this] { return columns_->indexOfTopLevelItem(columns_->currentItem()); };
    connect(add, &QPushButton::clicked, this, [this] { editColumn(static_cast<int>(columnData_.size()), true); });
    connect(edit, &QPushButton::clicked, this, [this, current] { editColumn(current(), false); });
    connect(columns_, &QTreeWidget::itemDoubleClicked, this, [this, current] { editColumn(current(), false); });
    connect(remove, &QPushButton::clicked, this, [this, current] {
        const int row = current();
        if (row < 0)
            return;
        columnData_.erase(columnData_.begin() + row);
        fillColumns();
    });
    auto move = [this, current](int step) {
        const int row = current();
        const int to = row + step;
        if (row < 0 || to < 0 || to >= static_cast<int>(columnData_.size()))
            return;
        std::swap(columnData_[static_cast<size_t>(row)], columnData_[static_cast<size_t>(to)]);
        fillColumns();
        columns_->setCurrentItem(columns_->topLevelItem(to));
    };
    connect(up, &QPushButton::clicked, this, [move] { move(-1); });
    connect(down, &QPushButton::clicked, this, [move] { move(1); });
    fillColumns();
}

void ProfileSettingsDialog::fillColumns() {
    columns_->clear();
    for (const ListColumn& column : columnData_)
        new QTreeWidgetItem(columns_, {ToQString(column.title), ColumnValueText(column.value)});
}

void ProfileSettingsDialog::editColumn(int row, bool add) {
    if (row < 0 || (!add && row >= static_cast<int>(columnData_.size())))
        return;
    ListColumn start;
    if (add) {
        const ColumnDescriptor& name = Descriptors().row(0);
        start = {name.title, name.key, ColumnAlignment::Left, name.width};
    } else {
        start = columnData_[static_cast<size_t>(row)];
    }
    ColumnSettingsDialog dialog(start, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (add)
        columnData_.push_back(dialog.column());
    else
        columnData_[static_cast<size_t>(row)] = dialog.column();
    fillColumns();
    columns_->setCurrentItem(columns_->topLevelItem(row));
}

ItemListProfile ProfileSettingsDialog::profile() const {
    ItemListProfile profile = base_;
    profile.name = ToUtf8(name_->text().trimmed());
    profile.format = ToUtf8(format_->text());
    profile.parseMode = parseDescription_->isChecked() ? ParseMode::Description : ParseMode::Name;
    profile.files = files_->isChecked();
    profile.directories = directories_->isChecked();
    profile.folders = folders_->isChecked();
    profile.disks = disks_->isChecked();
    profile.maxListingDepth = depth_->value();
    profile.extensions.clear();
    for (QString extension : extensions_->text().split(QRegularExpression(QStringLiteral("[\\s,;]+")),
                                                       Qt::SkipEmptyParts)) {
        if (extension.startsWith(QLatin1Char('.')))
            extension.remove(0, 1);
        if (!extension.isEmpty())
            profile.extensions.push_back(ToUtf8(extension));
    }
    profile.columns = columnData_;
    return profile;
}

void ProfileSettingsDialog::accept() {
    const ItemListProfile edited = profile();
    const std::string problem = ItemListProfileProblem(edited);
    if (!problem.empty()) {
        prompter_.error(problem);
        QLineEdit* field = edited.name.empty() ? name_ : format_;
        field->setFocus();
        field->selectAll();
        return;
    }
    QDialog::accept();
}

}  // namespace shelfmark
