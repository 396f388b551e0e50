#include "catalog/ui/PropertiesDialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include "catalog/CatalogDocument.h"
#include "catalog/PropertiesOperations.h"
#include "catalog/ui/ExtraInfoPage.h"
#include "foundation/NumberFormat.h"
#include "foundation/ValueTexts.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

constexpr std::string_view kPageSection = "Sht_Properties";

// The read-only facts of the general page, by their label keys.
std::vector<std::pair<int, QString>> FactsOf(const CatalogTree& tree, const CatalogItem& item) {
    std::vector<std::pair<int, QString>> facts;
    facts.emplace_back(3, ToQString(tree.typeText(&item)));
    if (item.parent() != nullptr)
        facts.emplace_back(
            4, ToQString(tree.pathText(item.parent(), pathmode::Display | pathmode::FolderChain)));
    facts.emplace_back(5, ToQString(SizeText(item.size(), SizeTextMode::Automatic)));
    if (item.date() != 0)
        facts.emplace_back(6, ToQString(DateText(item.date())));
    if (item.isContainer() && !item.isShortcut()) {
        const CatalogStatistics counts = tree.gatherStatistics(&item, false);
        const NumberFormat& number = NumberFormat::User();
        std::string text =
            FillPattern(ToUtf8(DialogText(kPageSection, 11)), "%s", number.format(counts.files));
        text = FillPattern(text, "%s", number.format(counts.directories + counts.folders));
        facts.emplace_back(7, ToQString(text));
    }
    if (item.isDisk()) {
        if (const auto id = item.numberAttribute(attr::DiskId))
            facts.emplace_back(8, QString::number(*id));
        if (const auto serial = item.numberAttribute(attr::VolumeSerial))
            facts.emplace_back(9, QStringLiteral("%1-%2")
                                      .arg(*serial >> 16, 4, 16, QLatin1Char('0'))
                                      .arg(*serial & 0xFFFF, 4, 16, QLatin1Char('0'))
                                      .toUpper());
        if (const auto borrower = item.textAttribute(attr::LentTo))
            facts.emplace_back(10, ToQString(*borrower));
    }
    return facts;
}

}  // namespace

PropertiesPage::PropertiesPage(const CatalogDocument& document, std::span<CatalogItem* const> items,
                               QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("Sht_Properties"));
    SetTextSection(this, kPageSection);
    SetTextKey(this, 0);
    auto* form = new QFormLayout(this);
    name_ = new QLineEdit(this);
    description_ = new QPlainTextEdit(this);
    description_->setTabChangesFocus(true);
    description_->setMinimumHeight(60);
    description_->setMaximumHeight(110);
    auto* nameLabel = SetTextKey(new QLabel(this), 1);
    auto* descriptionLabel = SetTextKey(new QLabel(this), 2);
    nameLabel->setBuddy(name_);
    descriptionLabel->setBuddy(description_);
    form->addRow(nameLabel, name_);
    form->addRow(descriptionLabel, description_);
    if (items.size() == 1) {
        const ItemProperties properties = PropertiesOf(*items.front());
        name_->setText(ToQString(properties.name));
        description_->setPlainText(ToQString(properties.description));
        facts_ = FactsOf(document.tree(), *items.front());
    } else {
        name_->setEnabled(false);
        description_->setEnabled(false);
        name_->setText(QString::number(items.size()));
    }
    for (const auto& [key, value] : facts_) {
        auto* valueLabel = new QLabel(value, this);
        valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        valueLabel->setWordWrap(true);
        form->addRow(SetTextKey(new QLabel(this), key), valueLabel);
    }
}

QString PropertiesPage::fact(int key) const {
    for (const auto& [k, value] : facts_)
        if (k == key)
            return value;
    return {};
}

PropertiesDialog::PropertiesDialog(CatalogDocument& document, std::span<CatalogItem* const> items,
                                   QWidget* parent)
    : QDialog(parent), document_(document), items_(items.begin(), items.end()) {
    setObjectName(QStringLiteral("Dlg_Properties"));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    general_ = new PropertiesPage(document, items);
    std::vector<const CatalogItem*> shown(items.begin(), items.end());
    extra_ = new ExtraInfoPage(document, shown, document.prompter());
    tabs_->addTab(general_, QString());
    tabs_->addTab(extra_, QString());
    layout->addWidget(tabs_);
    layout->addWidget(MakeOkCancelButtons(this));
    resize(440, 430);
    SetTextKey(this, 0);
    ApplyDialogTexts(this, "Dlg_Properties");
}

void PropertiesDialog::accept() {
    status_ = EditStatus::Unchanged;
    if (items_.size() == 1) {
        const ItemProperties edited{ToUtf8(general_->nameEdit()->text().trimmed()),
                                    ToUtf8(general_->descriptionEdit()->toPlainText())};
        const EditStatus status = SetItemProperties(document_, items_.front(), edited);
        // An empty name was reported: the user corrects it on the open page.
        if (status == EditStatus::Unchanged && edited.name.empty())
            return;
        if (status == EditStatus::Refused) {
            status_ = status;
            reject();
            return;
        }
        status_ = status;
    }
    const EditStatus extra = extra_->apply(document_, items_);
    // A changed page that applied nothing held a value the rule turned down (and reported).
    if (extra == EditStatus::Unchanged && extra_->isChanged()) {
        tabs_->setCurrentWidget(extra_);
        return;
    }
    if (extra != EditStatus::Unchanged)
        status_ = extra;
    QDialog::accept();
}

EditStatus PropertiesDialog::Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                                 QWidget* parent) {
    PropertiesDialog dialog(document, items, parent);
    dialog.exec();
    return dialog.status();
}

}  // namespace shelfmark
