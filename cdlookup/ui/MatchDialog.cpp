#include "cdlookup/ui/MatchDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "foundation/StringFormat.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {
constexpr char kSection[] = "Dlg_CDDBFuzzyMatch";
constexpr int kGenreTitle = 250;
constexpr int kNameTitle = 73;
}  // namespace

MatchDialog::MatchDialog(const std::string& diskName, const CDiscoraQueryResult& matches,
                         QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget(this)) {
    ApplyDialogTexts(this, kSection);
    setWindowTitle(DialogText(kSection, 0));
    auto* label = new QLabel(DialogText(kSection, 1).replace("%s", ToQString(diskName)), this);
    label->setBuddy(list_);

    list_->setRootIsDecorated(false);
    list_->setAllColumnsShowFocus(true);
    list_->setHeaderLabels(
        {StringsText(kGenreTitle), StringsText(kNameTitle), DialogText(kSection, 2)});
    list_->setColumnWidth(0, 65);
    list_->setColumnWidth(1, 224);
    list_->setColumnWidth(2, 65);
    for (int i = 0; i < matches.GetMatchCount(); ++i) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, ToQString(matches.GetDiscGenre(i)));
        row->setText(1, ToQString(matches.GetDiscName(i)));
        row->setText(2, ToQString(StringPrintf("%08x", matches.GetDiscID(i))));
    }
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
    connect(list_, &QTreeWidget::itemActivated, this, &QDialog::accept);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(DialogText("Dlg_Common", 0), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(DialogText("Dlg_Common", 1), QDialogButtonBox::RejectRole);
    QPushButton* submit = buttons->addButton(DialogText(kSection, 3), QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(submit, &QPushButton::clicked, this, [this] {
        submitNew_ = true;
        reject();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(400, 260);
}

LookupDialogs::MatchChoice MatchDialog::choose() {
    using Choice = LookupDialogs::MatchChoice;
    if (exec() == QDialog::Accepted) {
        const int index = list_->indexOfTopLevelItem(list_->currentItem());
        if (index >= 0)
            return {Choice::Chosen, index};
        return {Choice::Cancelled, 0};
    }
    return {submitNew_ ? Choice::SubmitNew : Choice::Cancelled, 0};
}

}  // namespace shelfmark
