#include "catalog/ui/LendDialog.h"

#include <QDateTimeEdit>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "catalog/EditSupport.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

LendDialog::LendDialog(const std::string& names, const std::string& borrower, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("Dlg_Lend"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    borrower_ = new QLineEdit(ToQString(borrower), this);
    borrower_->setMinimumWidth(260);
    auto* borrowerLabel = SetTextKey(new QLabel(this), 1);
    borrowerLabel->setBuddy(borrower_);
    form->addRow(borrowerLabel, borrower_);
    date_ = new QDateTimeEdit(QDateTime::currentDateTime(), this);
    date_->setCalendarPopup(true);
    auto* dateLabel = SetTextKey(new QLabel(this), 2);
    dateLabel->setBuddy(date_);
    form->addRow(dateLabel, date_);
    layout->addLayout(form);
    auto* hint = SetTextKey(new QLabel(this), 3);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addWidget(MakeOkCancelButtons(this));
    ApplyDialogTexts(this, "Dlg_Lend");
    setWindowTitle(ToQString(FillPattern(ToUtf8(DialogText("Dlg_Lend", 0)), "%s", names)));
}

LendRequest LendDialog::request() const {
    LendRequest request;
    request.borrower = ToUtf8(borrower_->text().trimmed());
    request.date = static_cast<int32_t>(date_->dateTime().toSecsSinceEpoch());
    return request;
}

AskLend LendDialog::Asker(QWidget* parent) {
    return [parent](const std::string& names,
                    const std::string& borrower) -> std::optional<LendRequest> {
        LendDialog dialog(names, borrower, parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.request();
    };
}

EditStatus LendDialog::Run(CatalogDocument& document, std::span<CatalogItem* const> items,
                           QWidget* parent) {
    return LendDisks(document, items, std::nullopt, Asker(parent));
}

}  // namespace shelfmark
