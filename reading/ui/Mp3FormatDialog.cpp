#include "reading/ui/Mp3FormatDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

#include "foundation/ui/DialogTexts.h"
#include "reading/providers/BuiltinProvider.h"

namespace shelfmark {

Mp3FormatDialog::Mp3FormatDialog(const Mp3Options& options, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Dlg_MP3ID3Format"));
    auto* layout = new QVBoxLayout(this);
    auto* description = SetTextKey(new QGroupBox(this), 0);
    auto* descriptionLayout = new QVBoxLayout(description);
    describe_ = SetTextKey(new QCheckBox(description), 1);
    userFormat_ = SetTextKey(new QCheckBox(description), 2);
    auto* formatRow = new QHBoxLayout;
    format_ = new QLineEdit(description);
    auto* formatLabel = SetTextKey(new QLabel(description), 3);
    formatLabel->setBuddy(format_);
    formatRow->addWidget(formatLabel);
    formatRow->addWidget(format_, 1);
    descriptionLayout->addWidget(describe_);
    descriptionLayout->addWidget(userFormat_);
    descriptionLayout->addLayout(formatRow);
    for (int key = 4; key <= 9; ++key)
        descriptionLayout->addWidget(SetTextKey(new QLabel(description), key));
    layout->addWidget(description);

    auto* extra = SetTextKey(new QGroupBox(this), 10);
    auto* extraLayout = new QHBoxLayout(extra);
    const std::pair<int, bool Mp3Options::*> tags[] = {{11, &Mp3Options::bMP3EITitle},
                                                       {12, &Mp3Options::bMP3EIArtist},
                                                       {13, &Mp3Options::bMP3EIAlbum},
                                                       {14, &Mp3Options::bMP3EIComment},
                                                       {15, &Mp3Options::bMP3EITrackNum}};
    for (const auto& [key, member] : tags) {
        auto* box = SetTextKey(new QCheckBox(extra), key);
        box->setChecked(options.*member);
        fields_.emplace_back(member, box);
        extraLayout->addWidget(box);
    }
    layout->addWidget(extra);
    layout->addWidget(MakeOkCancelButtons(this));

    describe_->setChecked(options.bMP3Description);
    userFormat_->setChecked(options.bUserMP3ID3Format);
    format_->setText(ToQString(options.UserMP3ID3Format));
    connect(describe_, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    connect(userFormat_, &QCheckBox::toggled, this, [this] { updateEnabled(); });
    updateEnabled();
    SetTextKey(this, 16);
    ApplyDialogTexts(this, "Dlg_MP3ID3Format");
}

void Mp3FormatDialog::updateEnabled() {
    userFormat_->setEnabled(describe_->isChecked());
    format_->setEnabled(describe_->isChecked() && userFormat_->isChecked());
}

Mp3Options Mp3FormatDialog::options() const {
    Mp3Options options;
    options.bMP3Description = describe_->isChecked();
    options.bUserMP3ID3Format = userFormat_->isChecked();
    options.UserMP3ID3Format = ToUtf8(format_->text());
    for (const auto& [member, box] : fields_)
        options.*member = box->isChecked();
    return options;
}

bool Mp3FormatDialog::Edit(QWidget* parent, const std::string& profilePath) {
    Mp3FormatDialog dialog(LoadMp3Options(profilePath), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return SaveMp3Options(dialog.options(), profilePath);
}

void Mp3FormatDialog::Install(BuiltinProvider& provider, QWidget* parent,
                              const std::string& profilePath) {
    QPointer<QWidget> window(parent);
    provider.setConfigureHandler([window, profilePath](uint16_t extension) {
        return extension == kMp3 && Edit(window, profilePath);
    });
}

}  // namespace shelfmark
