#include "catalog/ui/InsertDiskWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QVBoxLayout>

#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

namespace {

QIcon DriveIcon(const QStyle* style, DriveType type) {
    switch (type) {
        case DriveType::CdRom:
            return style->standardIcon(QStyle::SP_DriveCDIcon);
        case DriveType::Removable:
            return style->standardIcon(QStyle::SP_DriveFDIcon);
        case DriveType::Remote:
            return style->standardIcon(QStyle::SP_DriveNetIcon);
        case DriveType::Fixed:
            break;
    }
    return style->standardIcon(QStyle::SP_DriveHDIcon);
}

}  // namespace

InsertDiskWindow::WatcherFactory InsertDiskWindow::RealWatcher() {
    return [](VolumeWatcher::Listener listener) {
        auto watcher = std::make_unique<VolumeWatcher>(std::move(listener));
        std::string error;
        // Without a watchable mount table the user picks the drive by hand.
        if (!watcher->start(error))
            return std::unique_ptr<VolumeWatcher>();
        return watcher;
    };
}

InsertDiskWindow::InsertDiskWindow(QWidget* parent, WatcherFactory watcher)
    : QDialog(parent),
      makeWatcher_(std::move(watcher)),
      relay_([this](const VolumeChange& change) { handleChange(change); }) {
    setObjectName(QStringLiteral("Dlg_InsertDisk"));
    auto* layout = new QVBoxLayout(this);
    explanation_ = new QLabel(this);
    explanation_->setWordWrap(true);
    explanation_->setMinimumWidth(380);
    layout->addWidget(explanation_);
    auto* form = new QFormLayout;
    drives_ = new QComboBox(this);
    serial_ = new QLineEdit(this);
    serial_->setReadOnly(true);
    auto* driveLabel = SetTextKey(new QLabel(this), 1);
    driveLabel->setBuddy(drives_);
    form->addRow(driveLabel, drives_);
    form->addRow(SetTextKey(new QLabel(this), 2), serial_);
    layout->addLayout(form);
    update_ = new QCheckBox(this);
    layout->addWidget(update_);
    layout->addWidget(MakeOkCancelButtons(this));
    connect(drives_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!refreshing_ && prompt_ != nullptr && index >= 0) {
            prompt_->select(static_cast<size_t>(index));
            refresh();
        }
    });
    connect(update_, &QCheckBox::toggled, this, [this](bool on) {
        if (prompt_ != nullptr)
            prompt_->setUpdateSerial(on);
    });
    SetTextKey(this, 0);
    ApplyDialogTexts(this, "Dlg_InsertDisk");
}

void InsertDiskWindow::refresh() {
    refreshing_ = true;
    drives_->clear();
    for (const InsertDiskPrompt::Entry& entry : prompt_->entries()) {
        QString text = ToQString(entry.volume.mountPoint);
        if (!entry.volume.label.empty())
            text += QStringLiteral(" (") + ToQString(entry.volume.label) + QLatin1Char(')');
        drives_->addItem(DriveIcon(style(), entry.volume.type), text);
        if (!entry.mounted)
            drives_->setItemData(drives_->count() - 1, QColor(Qt::gray), Qt::ForegroundRole);
    }
    if (const auto selected = prompt_->selected())
        drives_->setCurrentIndex(static_cast<int>(*selected));
    serial_->setText(ToQString(prompt_->serialText()));
    refreshing_ = false;
}

bool InsertDiskWindow::run(InsertDiskPrompt& prompt) {
    prompt_ = &prompt;
    explanation_->setText(ToQString(prompt.explanation()));
    update_->setText(ToQString(prompt.updateOptionText()));
    update_->setChecked(prompt.updateSerial());
    refresh();
    // The listener runs on the watcher's thread; the relay hands its changes to this one. The
    // watcher is stopped before this returns, and the relay outlives it.
    std::unique_ptr<VolumeWatcher> watcher;
    if (makeWatcher_)
        watcher = makeWatcher_(relay_.listener());
    const bool ok = exec() == QDialog::Accepted && prompt.state() == InsertDiskPrompt::State::Ok;
    if (watcher)
        watcher->stop();
    // Changes still queued belong to this prompt: a later one must not hear them.
    relay_.clear();
    prompt_ = nullptr;
    return ok;
}

void InsertDiskWindow::volumeChanged(const VolumeChange& change) {
    relay_.post(change);
}

void InsertDiskWindow::handleChange(const VolumeChange& change) {
    if (prompt_ == nullptr || prompt_->state() != InsertDiskPrompt::State::Open)
        return;
    if (change.kind == VolumeChange::Kind::Arrived)
        prompt_->volumeArrived(change.volume);
    else
        prompt_->volumeRemoved(change.volume);
    if (prompt_->state() == InsertDiskPrompt::State::Ok) {
        QDialog::accept();
        return;
    }
    refresh();
}

void InsertDiskWindow::accept() {
    if (prompt_ == nullptr)
        return;
    prompt_->confirm();
    if (prompt_->state() == InsertDiskPrompt::State::Ok)
        QDialog::accept();
    else
        refresh();
}

void InsertDiskWindow::reject() {
    if (prompt_ != nullptr)
        prompt_->cancel();
    QDialog::reject();
}

}  // namespace shelfmark
