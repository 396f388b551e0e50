// The "CDDB" page of the settings dialog (section Sht_SettingsCDDB): the HTTP proxy (host, port,
// user, password), the e-mail address for submissions and the copy into cdplayer.ini. A
// self-contained widget: load() fills it from the settings store, apply() checks and stores.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace shelfmark {

class Prompter;
class SettingsStore;

class CddbSettingsPage : public QWidget {
    Q_OBJECT

  public:
    CddbSettingsPage(SettingsStore& store, Prompter& prompter, QWidget* parent = nullptr);

    void load();
    // Refuses (false, with the message shown and the focus in the field) an e-mail address
    // without "@" and a "." after it; otherwise stores the values and saves the store.
    bool apply();

    QLineEdit* hostEdit() const { return host_; }
    QSpinBox* portEdit() const { return port_; }
    QLineEdit* userEdit() const { return user_; }
    QLineEdit* passwordEdit() const { return password_; }
    QLineEdit* emailEdit() const { return email_; }
    QCheckBox* saveDiscInfoBox() const { return saveDiscInfo_; }

  private:
    // Port and user need a host; the password needs a host and a user.
    void updateEnabling();

    SettingsStore& store_;
    Prompter& prompter_;
    QLineEdit* host_;
    QSpinBox* port_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLineEdit* email_;
    QCheckBox* saveDiscInfo_;
};

}  // namespace shelfmark
