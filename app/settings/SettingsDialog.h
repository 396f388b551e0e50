// The settings dialog (Dlg_Settings) with its pages: General, Interface, Item Information,
// Language, Audio CD and CDDB. The dialog edits copies of the program's settings; the window
// applies them after OK. The Audio CD and CDDB values live in their own places (the read
// profile file and the CDDB sub-key, with the proxy password): the CD lookup's own pages show
// and store them on OK, and they are there only when the dialog has the settings store.
#pragma once

#include <QDialog>
#include <vector>

#include "foundation/LanguageTexts.h"
#include "platform/settings/AppSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace shelfmark {

class AudioCdSettingsPage;
class CddbSettingsPage;
class Prompter;
class SettingsStore;

class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    // `store` (may be null) holds the CDDB values; `readProfilePath` the read profile file whose
    // "Default" section has bEnableCDText (empty: the user's ReadDiskDlg.tkp).
    SettingsDialog(const AppSettings& settings, const WindowSettings& window, Prompter& prompter,
                   QWidget* parent = nullptr, SettingsStore* store = nullptr,
                   std::string readProfilePath = {});

    const AppSettings& settings() const { return settings_; }
    const WindowSettings& windowSettings() const { return window_; }
    QTabWidget* pages() const { return tabs_; }
    // The CD lookup's pages; null without a settings store.
    AudioCdSettingsPage* audioCdPage() const { return audioCd_; }
    CddbSettingsPage* cddbPage() const { return cddb_; }

    // The checks of every page, then the values taken; false (the dialog stays open) when a
    // page refuses.
    bool apply();
    void accept() override;

    // "Please fill out this field correctly." applies to an e-mail address that is neither
    // empty nor has a "." after its first "@".
    static bool EmailAcceptable(const QString& email);

  private:
    QWidget* makeGeneralPage();
    QWidget* makeInterfacePage();
    QWidget* makeItemInfoPage();
    QWidget* makeLanguagePage();
    void showLanguageDetails();

    AppSettings settings_;
    WindowSettings window_;
    Prompter& prompter_;
    SettingsStore* store_;
    std::string readProfilePath_;
    QTabWidget* tabs_ = nullptr;

    // General
    QSpinBox* mruCount_ = nullptr;
    QCheckBox* saveWindow_ = nullptr;
    QCheckBox* equalizeTypes_ = nullptr;
    QCheckBox* addOnInsert_ = nullptr;
    QCheckBox* shortcutTo_ = nullptr;
    QCheckBox* autoSave_ = nullptr;
    QCheckBox* jumpToNew_ = nullptr;
    QCheckBox* folderStates_ = nullptr;
    QCheckBox* disableAutorun_ = nullptr;
    QComboBox* startMode_ = nullptr;
    // Interface
    QCheckBox* directorySizes_ = nullptr;
    QCheckBox* byteSizes_ = nullptr;
    QCheckBox* fullPath_ = nullptr;
    QCheckBox* descriptionOverlay_ = nullptr;
    QCheckBox* typeIcons_ = nullptr;
    QCheckBox* thumbnails_ = nullptr;
    QCheckBox* treeDiskId_ = nullptr;
    QCheckBox* itemColors_ = nullptr;
    QCheckBox* showDescription_ = nullptr;
    QRadioButton* singleClick_ = nullptr;
    QRadioButton* doubleClick_ = nullptr;
    QRadioButton* underlineBrowser_ = nullptr;
    QRadioButton* underlinePointing_ = nullptr;
    // Item information
    QSpinBox* textSizeMax_ = nullptr;
    QSpinBox* thumbnailSize_ = nullptr;
    QCheckBox* proportional_ = nullptr;
    // Language
    QComboBox* language_ = nullptr;
    QLabel* languageDetails_ = nullptr;
    std::vector<LanguageFileInfo> languages_;
    // Audio CD and CDDB
    AudioCdSettingsPage* audioCd_ = nullptr;
    CddbSettingsPage* cddb_ = nullptr;
};

}  // namespace shelfmark
