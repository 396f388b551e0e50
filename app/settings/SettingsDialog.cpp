#include "app/settings/SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "cdlookup/ui/AudioCdSettingsPage.h"
#include "cdlookup/ui/CddbSettingsPage.h"
#include "foundation/ConfigDirectory.h"
#include "foundation/Prompter.h"
#include "catalog/EditSupport.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/FieldRows.h"
#include "platform/settings/SettingsStore.h"

namespace shelfmark {
namespace {

constexpr std::string_view kGeneral = "Sht_SettingsGeneral";
constexpr std::string_view kInterface = "Sht_SettingsInterface";
constexpr std::string_view kItemInfo = "Sht_SettingsItemInfo";
constexpr std::string_view kLanguage = "Sht_SettingsLanguage";
constexpr int kLanguageVersionKey = 185;

QCheckBox* Box(QWidget* page, QLayout* layout, int key, bool checked) {
    auto* box = SetTextKey(new QCheckBox(page), key);
    box->setChecked(checked);
    layout->addWidget(box);
    return box;
}

QWidget* Page(std::string_view section, int titleKey) {
    auto* page = new QWidget;
    SetTextSection(page, section);
    SetTextKey(page, titleKey);
    return page;
}

}  // namespace

SettingsDialog::SettingsDialog(const AppSettings& settings, const WindowSettings& window,
                               Prompter& prompter, QWidget* parent, SettingsStore* store,
                               std::string readProfilePath)
    : QDialog(parent), settings_(settings), window_(window), prompter_(prompter), store_(store),
      readProfilePath_(std::move(readProfilePath)) {
    SetTextKey(this, 0);
    tabs_ = new QTabWidget(this);
    // Six pages: every tab stays in sight rather than behind scroll arrows.
    tabs_->setUsesScrollButtons(false);
    tabs_->addTab(makeGeneralPage(), QString());
    tabs_->addTab(makeInterfacePage(), QString());
    tabs_->addTab(makeItemInfoPage(), QString());
    tabs_->addTab(makeLanguagePage(), QString());
    if (store_) {
        audioCd_ = new AudioCdSettingsPage(*store_, readProfilePath_);
        cddb_ = new CddbSettingsPage(*store_, prompter_);
        // Found by name by the window's tests, as the other pages' fields are.
        cddb_->emailEdit()->setObjectName(QStringLiteral("email"));
        tabs_->addTab(audioCd_, QString());
        tabs_->addTab(cddb_, QString());
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(DialogText("Dlg_Common", 0));
    buttons->button(QDialogButtonBox::Cancel)->setText(DialogText("Dlg_Common", 1));
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    ApplyDialogTexts(this, "Dlg_Settings");
}

QWidget* SettingsDialog::makeGeneralPage() {
    QWidget* page = Page(kGeneral, 13);
    auto* layout = new QVBoxLayout(page);
    mruCount_ = new QSpinBox(page);
    mruCount_->setRange(0, 16);
    mruCount_->setValue(settings_.MRUCount);
    AddInlineRow(layout, 0, mruCount_);
    saveWindow_ = Box(page, layout, 1, settings_.bSaveWindowSettings);
    equalizeTypes_ = Box(page, layout, 2, settings_.bEqualizeMediaTypes);
    addOnInsert_ = Box(page, layout, 3, settings_.bAddDiskOnInsert);
    shortcutTo_ = Box(page, layout, 4, settings_.bAddShortcutTo);
    autoSave_ = Box(page, layout, 5, settings_.bAutoSaveAddedDisk);
    jumpToNew_ = Box(page, layout, 6, settings_.bJumpToNewDisk);
    folderStates_ = Box(page, layout, 7, settings_.bSaveFolderStates);
    disableAutorun_ = Box(page, layout, 8, settings_.bDisableAutorun);
    startMode_ = new QComboBox(page);
    for (int key : {10, 11, 12})
        startMode_->addItem(DialogText(kGeneral, key));
    startMode_->setCurrentIndex(std::clamp(settings_.StartMode, 0, 2));
    AddInlineRow(layout, 9, startMode_);
    layout->addStretch();
    return page;
}

QWidget* SettingsDialog::makeInterfacePage() {
    QWidget* page = Page(kInterface, 12);
    auto* layout = new QVBoxLayout(page);
    directorySizes_ = Box(page, layout, 0, settings_.bShowDirectorySizes);
    byteSizes_ = Box(page, layout, 1, settings_.bShowByteSizes);
    fullPath_ = Box(page, layout, 2, settings_.bShowFullPath);
    descriptionOverlay_ = Box(page, layout, 3, settings_.bShowDescriptionOverlay);
    typeIcons_ = Box(page, layout, 4, settings_.bShowTypespecificIcons);
    thumbnails_ = Box(page, layout, 5, settings_.bShowThumbnails);
    treeDiskId_ = Box(page, layout, 6, settings_.bShowTreeDiskID);
    itemColors_ = Box(page, layout, 7, settings_.bShowItemColors);
    showDescription_ = Box(page, layout, 13, settings_.bShowDescription);
    auto* click = new QWidget(page);
    auto* clickLayout = new QVBoxLayout(click);
    clickLayout->setContentsMargins(0, 0, 0, 0);
    singleClick_ = SetTextKey(new QRadioButton(click), 8);
    doubleClick_ = SetTextKey(new QRadioButton(click), 9);
    clickLayout->addWidget(singleClick_);
    clickLayout->addWidget(doubleClick_);
    (window_.ClickMode == int32_t(ClickAction::SingleClick) ? singleClick_ : doubleClick_)
        ->setChecked(true);
    auto* underline = new QWidget(page);
    auto* underlineLayout = new QVBoxLayout(underline);
    underlineLayout->setContentsMargins(24, 0, 0, 0);
    underlineBrowser_ = SetTextKey(new QRadioButton(underline), 10);
    underlinePointing_ = SetTextKey(new QRadioButton(underline), 11);
    underlineLayout->addWidget(underlineBrowser_);
    underlineLayout->addWidget(underlinePointing_);
    (window_.UnderlineMode == int32_t(UnderlineStyle::AsInBrowser) ? underlineBrowser_
                                                                    : underlinePointing_)
        ->setChecked(true);
    underline->setEnabled(singleClick_->isChecked());
    connect(singleClick_, &QRadioButton::toggled, underline, &QWidget::setEnabled);
    layout->addWidget(click);
    layout->addWidget(underline);
    layout->addStretch();
    return page;
}

QWidget* SettingsDialog::makeItemInfoPage() {
    QWidget* page = Page(kItemInfo, 0);
    auto* form = new QFormLayout(page);
    textSizeMax_ = new QSpinBox(page);
    textSizeMax_->setRange(0, 4096);
    textSizeMax_->setValue(settings_.TextSizeMax);
    thumbnailSize_ = new QSpinBox(page);
    thumbnailSize_->setRange(32, 128);
    thumbnailSize_->setSingleStep(32);
    thumbnailSize_->setValue(NormalizeThumbnailSize(settings_.ThumbnailSize));
    proportional_ = SetTextKey(new QCheckBox(page), 3);
    proportional_->setChecked(settings_.bProportionalThumbnails);
    AddFormRow(form, 1, textSizeMax_);
    AddFormRow(form, 2, thumbnailSize_);
    form->addRow(proportional_);
    return page;
}

QWidget* SettingsDialog::makeLanguagePage() {
    QWidget* page = Page(kLanguage, 4);
    auto* layout = new QVBoxLayout(page);
    language_ = new QComboBox(page);
    language_->setObjectName(QStringLiteral("language"));
    language_->addItem(DialogText(kLanguage, 0));
    languages_ = ListLanguageFiles();
    int current = 0;
    for (size_t i = 0; i < languages_.size(); ++i) {
        language_->addItem(ToQString(languages_[i].language));
        if (languages_[i].fileName == settings_.LanguageFile)
            current = int(i) + 1;
    }
    language_->setCurrentIndex(current);
    languageDetails_ = new QLabel(page);
    languageDetails_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(language_, &QComboBox::currentIndexChanged, this, &SettingsDialog::showLanguageDetails);
    AddLabelAbove(layout, 5, language_);
    layout->addWidget(languageDetails_);
    layout->addStretch();
    showLanguageDetails();
    return page;
}

void SettingsDialog::showLanguageDetails() {
    const int index = language_->currentIndex() - 1;
    if (index < 0 || size_t(index) >= languages_.size()) {
        languageDetails_->clear();
        return;
    }
    const LanguageFileInfo& info = languages_[size_t(index)];
    const auto line = [](int key, const std::string& value) {
        return ToQString(FillPattern(ToUtf8(DialogText(kLanguage, key)), "%s", value));
    };
    languageDetails_->setText(line(1, info.version) + QLatin1Char('\n') + line(2, info.author) +
                              QLatin1Char('\n') + line(3, info.authorEmail));
}

bool SettingsDialog::EmailAcceptable(const QString& email) {
    if (email.isEmpty())
        return true;
    const qsizetype at = email.indexOf(QLatin1Char('@'));
    return at >= 0 && email.lastIndexOf(QLatin1Char('.')) > at;
}

bool SettingsDialog::apply() {
    // The CDDB page refuses a wrong e-mail address before anything is taken.
    if (cddb_ && !EmailAcceptable(cddb_->emailEdit()->text())) {
        tabs_->setCurrentWidget(cddb_);
        if (!cddb_->apply())
            return false;
    }
    const int languageIndex = language_->currentIndex() - 1;
    std::string languageFile;
    if (languageIndex >= 0 && size_t(languageIndex) < languages_.size()) {
        const LanguageFileInfo& info = languages_[size_t(languageIndex)];
        if (info.fileName != settings_.LanguageFile && !LanguageVersionMatches(info.version) &&
            !prompter_.askOkCancel(ToUtf8(StringsText(kLanguageVersionKey)), {},
                                   PromptIcon::Warning))
            return false;
        languageFile = info.fileName;
    }
    if (languageFile != settings_.LanguageFile) {
        if (languageFile.empty())
            LanguageTexts::Instance().unloadLanguage();
        else
            LanguageTexts::Instance().loadLanguage(FindLanguageFile(languageFile));
    }

    settings_.MRUCount = mruCount_->value();
    settings_.bSaveWindowSettings = saveWindow_->isChecked();
    settings_.bEqualizeMediaTypes = equalizeTypes_->isChecked();
    settings_.bAddDiskOnInsert = addOnInsert_->isChecked();
    settings_.bAddShortcutTo = shortcutTo_->isChecked();
    settings_.bAutoSaveAddedDisk = autoSave_->isChecked();
    settings_.bJumpToNewDisk = jumpToNew_->isChecked();
    settings_.bSaveFolderStates = folderStates_->isChecked();
    settings_.bDisableAutorun = disableAutorun_->isChecked();
    settings_.StartMode = startMode_->currentIndex();
    settings_.bShowDirectorySizes = directorySizes_->isChecked();
    settings_.bShowByteSizes = byteSizes_->isChecked();
    settings_.bShowFullPath = fullPath_->isChecked();
    settings_.bShowDescriptionOverlay = descriptionOverlay_->isChecked();
    settings_.bShowTypespecificIcons = typeIcons_->isChecked();
    settings_.bShowThumbnails = thumbnails_->isChecked();
    settings_.bShowTreeDiskID = treeDiskId_->isChecked();
    settings_.bShowItemColors = itemColors_->isChecked();
    settings_.bShowDescription = showDescription_->isChecked();
    settings_.TextSizeMax = textSizeMax_->value();
    settings_.ThumbnailSize = NormalizeThumbnailSize(thumbnailSize_->value());
    settings_.bProportionalThumbnails = proportional_->isChecked();
    settings_.LanguageFile = languageFile;
    window_.ClickMode = int32_t(singleClick_->isChecked() ? ClickAction::SingleClick
                                                          : ClickAction::DoubleClick);
    window_.UnderlineMode = int32_t(underlineBrowser_->isChecked() ? UnderlineStyle::AsInBrowser
                                                                   : UnderlineStyle::OnPointingOnly);
    if (cddb_ && !cddb_->apply())
        return false;
    if (audioCd_ && !audioCd_->apply())
        return false;
    return true;
}

void SettingsDialog::accept() {
    if (apply())
        QDialog::accept();
}

}  // namespace shelfmark
