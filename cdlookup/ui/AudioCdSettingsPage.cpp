#include "cdlookup/ui/AudioCdSettingsPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <initializer_list>

#include "cdlookup/CddbSettings.h"
#include "foundation/ProfileFile.h"
#include "foundation/ui/DialogTexts.h"
#include "platform/settings/SettingsStore.h"
#include "reading/profiles/ReadProfiles.h"

namespace shelfmark {

namespace {

constexpr char kSection[] = "Sht_SettingsAudioCD";
constexpr char kCdTextKey[] = "bEnableCDText";

// A format group: its box, its edit and the help lines naming the variables.
QGroupBox* FormatGroup(QWidget* parent, int titleKey, QCheckBox* box, QLineEdit* edit,
                       std::initializer_list<int> helpKeys) {
    auto* group = SetTextKey(new QGroupBox(parent), titleKey);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(box);
    layout->addWidget(edit);
    for (int key : helpKeys)
        layout->addWidget(SetTextKey(new QLabel(group), key));
    QObject::connect(box, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    return group;
}

}  // namespace

AudioCdSettingsPage::AudioCdSettingsPage(SettingsStore& store, std::string readProfilePath,
                                         QWidget* parent)
    : QWidget(parent),
      store_(store),
      readProfilePath_(readProfilePath.empty() ? std::string(kReadProfileFileName)
                                               : std::move(readProfilePath)),
      useDiscFormat_(SetTextKey(new QCheckBox(this), 1)),
      discFormat_(new QLineEdit(this)),
      useTrackFormat_(SetTextKey(new QCheckBox(this), 7)),
      trackFormat_(new QLineEdit(this)),
      cdText_(SetTextKey(new QCheckBox(this), 10)) {
    SetTextKey(this, 11);  // the page's title ("Audio CD")
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FormatGroup(this, 0, useDiscFormat_, discFormat_, {2, 3, 4, 5}));
    layout->addWidget(FormatGroup(this, 6, useTrackFormat_, trackFormat_, {2, 3, 4, 8, 9}));
    layout->addWidget(cdText_);
    layout->addStretch();
    SetTextSection(this, kSection);
    ApplyDialogTexts(this, kSection);
    load();
}

void AudioCdSettingsPage::load() {
    const CddbSettings settings = CddbSettings::Load(store_);
    discFormat_->setText(ToQString(settings.DiscFormat));
    trackFormat_->setText(ToQString(settings.TrackFormat));
    useDiscFormat_->setChecked(settings.bUseDiscFormat);
    useTrackFormat_->setChecked(settings.bUseTrackFormat);
    discFormat_->setEnabled(settings.bUseDiscFormat);
    trackFormat_->setEnabled(settings.bUseTrackFormat);
    const ProfileFile profile(readProfilePath_);
    cdText_->setChecked(profile.getInt(kDefaultProfileSection, kCdTextKey, 0) != 0);
}

bool AudioCdSettingsPage::apply() {
    CddbSettings settings = CddbSettings::Load(store_);
    settings.DiscFormat = ToUtf8(discFormat_->text());
    settings.TrackFormat = ToUtf8(trackFormat_->text());
    settings.bUseDiscFormat = useDiscFormat_->isChecked();
    settings.bUseTrackFormat = useTrackFormat_->isChecked();
    settings.save(store_);
    const bool stored = store_.save();
    ProfileFile profile(readProfilePath_);
    profile.setInt(kDefaultProfileSection, kCdTextKey, cdText_->isChecked() ? 1 : 0);
    return profile.save() && stored;
}

}  // namespace shelfmark
