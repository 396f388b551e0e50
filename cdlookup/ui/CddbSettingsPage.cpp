#include "cdlookup/ui/CddbSettingsPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "cdlookup/CddbSettings.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/FieldRows.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark {

namespace {
constexpr char kSection[] = "Sht_SettingsCDDB";
}  // namespace

CddbSettingsPage::CddbSettingsPage(SettingsStore& store, Prompter& prompter, QWidget* parent)
    : QWidget(parent),
      store_(store),
      prompter_(prompter),
      host_(new QLineEdit(this)),
      port_(new QSpinBox(this)),
      user_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      email_(new QLineEdit(this)),
      saveDiscInfo_(SetTextKey(new QCheckBox(this), 6)) {
    SetTextKey(this, 7);  // the page's title ("CDDB") where a tab or window shows it
    port_->setRange(1, 65535);
    password_->setEchoMode(QLineEdit::Password);

    auto* proxy = SetTextKey(new QGroupBox(this), 0);
    auto* form = new QFormLayout(proxy);
    AddFormRow(form, 1, host_);
    AddFormRow(form, 2, port_);
    AddFormRow(form, 3, user_);
    AddFormRow(form, 4, password_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(proxy);
    AddLabelAbove(layout, 5, email_);
    layout->addWidget(saveDiscInfo_);
    layout->addStretch();

    SetTextSection(this, kSection);
    ApplyDialogTexts(this, kSection);
    connect(host_, &QLineEdit::textChanged, this, &CddbSettingsPage::updateEnabling);
    connect(user_, &QLineEdit::textChanged, this, &CddbSettingsPage::updateEnabling);
    load();
}

void CddbSettingsPage::load() {
    const CddbSettings settings = CddbSettings::Load(store_);
    host_->setText(ToQString(settings.Host));
    port_->setValue(static_cast<int>(settings.shownPort()));
    user_->setText(ToQString(settings.Name));
    password_->setText(ToQString(settings.Password));
    email_->setText(ToQString(settings.Email));
    saveDiscInfo_->setChecked(settings.bSaveDiscInfo);
    updateEnabling();
}

void CddbSettingsPage::updateEnabling() {
    const bool host = !host_->text().isEmpty();
    port_->setEnabled(host);
    user_->setEnabled(host);
    password_->setEnabled(host && !user_->text().isEmpty());
}

bool CddbSettingsPage::apply() {
    // The formats and switches of the other page stay as they are stored.
    CddbSettings settings = CddbSettings::Load(store_);
    settings.Host = ToUtf8(host_->text());
    settings.Port = static_cast<uint32_t>(port_->value());
    settings.Name = ToUtf8(user_->text());
    settings.Password = ToUtf8(password_->text());
    settings.Email = ToUtf8(email_->text());
    settings.bSaveDiscInfo = saveDiscInfo_->isChecked();
    if (const std::optional<std::string> problem = settings.checkCddbPage()) {
        prompter_.show({ToUtf8(windowTitle()), *problem, PromptIcon::Warning, PromptButtons::Ok});
        QWidget* field = IsAcceptableEmail(settings.Email) ? static_cast<QWidget*>(port_) : email_;
        field->setFocus();
        return false;
    }
    settings.save(store_);
    return store_.save();
}

}  // namespace shelfmark
