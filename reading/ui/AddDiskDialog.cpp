#include "reading/ui/AddDiskDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <QVBoxLayout>

#include "catalog/DeleteOperations.h"
#include "catalog/EditSupport.h"
#include "catalog/ui/ExtraInfoPage.h"
#include "foundation/LanguageTexts.h"
#include "foundation/NumberFormat.h"
#include "foundation/Prompter.h"
#include "foundation/Utf8Text.h"
#include "foundation/ValueTexts.h"
#include "foundation/ui/DialogTexts.h"
#include "reading/profiles/ReadProfiles.h"
#include "reading/ui/Mp3FormatDialog.h"
#include "reading/ui/ReadPages.h"
#include "reading/ui/ReadRunner.h"

namespace shelfmark {

namespace {

constexpr std::string_view kSection = "Dlg_AddDisk";

}  // namespace

AddDiskDialog::AddDiskDialog(CatalogDocument& document, Prompter& prompter, Target target,
                             QWidget* parent)
    : QDialog(parent),
      document_(document),
      prompter_(prompter),
      target_(std::move(target)),
      session_(std::make_unique<ReadSession>(document, prompter)),
      runner_(std::make_unique<ReadRunner>()) {
    setObjectName(QStringLiteral("Dlg_AddDisk"));
    session_->providers().discoverPlugins(PluginDirectories());
    Mp3FormatDialog::Install(session_->providers().builtin(), this);

    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    general_ = new GeneralReadPage(document, target_.folder, target_.diskToUpdate);
    std::vector<const CatalogItem*> disk;
    if (target_.diskToUpdate != nullptr)
        disk.push_back(target_.diskToUpdate);
    extra_ = new ExtraInfoPage(document, disk, prompter);
    options_ = new OptionsReadPage;
    more_ = new MoreOptionsReadPage;
    descriptions_ = new DescriptionsReadPage(session_->providers());
    // The page titles are the dialog's own texts.
    const std::pair<QWidget*, int> pages[] = {
        {general_, 2}, {extra_, 3}, {options_, 4}, {more_, 5}, {descriptions_, 6}};
    for (const auto& [page, key] : pages)
        tabs_->addTab(page, DialogText(kSection, key));
    layout->addWidget(tabs_);

    auto* profileRow = new QHBoxLayout;
    profile_ = new QComboBox(this);
    profile_->setEditable(true);
    profile_->setMinimumWidth(180);
    auto* profileLabel = SetTextKey(new QLabel(this), 0);
    profileLabel->setBuddy(profile_);
    auto* save = SetTextKey(new QPushButton(this), 9);
    auto* remove = SetTextKey(new QPushButton(this), 10);
    auto* rename = SetTextKey(new QPushButton(this), 11);
    profileRow->addWidget(profileLabel);
    profileRow->addWidget(profile_, 1);
    profileRow->addWidget(save);
    profileRow->addWidget(remove);
    profileRow->addWidget(rename);
    layout->addLayout(profileRow);

    progress_ = new QLabel(this);
    progress_->setTextFormat(Qt::PlainText);
    progress_->setMinimumWidth(420);
    layout->addWidget(progress_);
    QDialogButtonBox* buttons = MakeOkCancelButtons(this);
    for (QAbstractButton* button : buttons->buttons())
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
            ok_ = qobject_cast<QPushButton*>(button);
    layout->addWidget(buttons);

    connect(save, &QPushButton::clicked, this, [this] { saveProfileAs(); });
    connect(remove, &QPushButton::clicked, this, [this] { deleteProfile(); });
    connect(rename, &QPushButton::clicked, this, [this] { renameProfile(); });
    connect(profile_, &QComboBox::activated, this, [this](int index) {
        if (!filling_)
            loadProfile(ToUtf8(profile_->itemData(index).toString()));
    });
    connect(runner_.get(), &ReadRunner::progress, this,
            [this](const QString& directory, qulonglong files, qulonglong bytes) {
                progress_->setText(
                    QStringLiteral("%1  (%2, %3)")
                        .arg(directory,
                             ToQString(NumberFormat::User().format(static_cast<uint64_t>(files))),
                             ToQString(SizeText(bytes, SizeTextMode::Automatic))));
            });
    connect(runner_.get(), &ReadRunner::finished, this, [this] { readFinished(); });

    general_->refreshDrives(ListDrives());
    if (!target_.root.empty())
        general_->rootEdit()->setText(ToQString(target_.root));
    loadProfile({});
    SetTextKey(this, target_.diskToUpdate != nullptr ? 8 : 7);
    ApplyDialogTexts(this, kSection);
    // Wide enough for every page title, which translations make longer.
    resize(std::max(560, tabs_->tabBar()->sizeHint().width() + 40), 540);
}

AddDiskDialog::~AddDiskDialog() {
    // A read still running is stopped before the session goes away.
    runner_->cancel();
    runner_->wait();
}

bool AddDiskDialog::reading() const {
    return runner_->running();
}

std::string AddDiskDialog::profileName() const {
    const QString typed = profile_->currentText().trimmed();
    // The default profile is shown under its section name and stored as an empty name.
    if (typed.compare(ToQString(kDefaultProfileSection), Qt::CaseInsensitive) == 0)
        return {};
    return ToUtf8(typed);
}

void AddDiskDialog::fillProfiles(const std::string& select) {
    filling_ = true;
    profile_->clear();
    for (const std::string& name : ReadProfileStore().list()) {
        const QString shown = name.empty() ? ToQString(kDefaultProfileSection) : ToQString(name);
        profile_->addItem(shown, ToQString(name));
    }
    const QString wanted = select.empty() ? ToQString(kDefaultProfileSection) : ToQString(select);
    const int index = profile_->findText(wanted, Qt::MatchFixedString);
    if (index >= 0)
        profile_->setCurrentIndex(index);
    else
        profile_->setEditText(wanted);
    filling_ = false;
}

void AddDiskDialog::loadProfile(const std::string& name) {
    const LoadedReadProfile loaded = ReadProfileStore().load(
        name, ProfileDatabaseName(document_), session_->providers().pluginModuleNames());
    options_->show(loaded.options);
    more_->show(loaded.options);
    descriptions_->show(loaded.options);
    fillProfiles(loaded.name);
}

ReadOptions AddDiskDialog::currentOptions() const {
    ReadOptions options = ReadProfileStore()
                              .load(profileName(), ProfileDatabaseName(document_),
                                    session_->providers().pluginModuleNames())
                              .options;
    options_->store(options);
    more_->store(options);
    descriptions_->store(options);
    return options;
}

ReadRequest AddDiskDialog::request() const {
    ReadRequest request;
    general_->fill(request);
    // The page's rows go with the read, so they join the catalog in the read's undo step; an
    // untouched page leaves an updated disk's own fields alone.
    if (extra_->isChanged()) {
        const ExtraInfoChange change = extra_->change();
        request.extraInfo = {change.listedKeys, change.rows};
    }
    request.catalogPath = document_.path();
    request.options = currentOptions();
    return request;
}

bool AddDiskDialog::saveProfileAs() {
    const auto name =
        prompter_.askText({ToUtf8(DialogText(kSection, 13)), ToUtf8(DialogText(kSection, 12)),
                           ToUtf8(profile_->currentText()), false});
    if (!name || name->empty())
        return false;
    const std::string chosen =
        text::EqualsNoCase(*name, kDefaultProfileSection) ? std::string() : *name;
    if (!ReadProfileStore().save(chosen, ProfileDatabaseName(document_), currentOptions())) {
        prompter_.error(Str(102));
        return false;
    }
    fillProfiles(chosen);
    return true;
}

bool AddDiskDialog::deleteProfile() {
    const std::string name = profileName();
    if (name.empty() || !prompter_.askYesNo(DeleteQuestion(1, name)))
        return false;
    if (!ReadProfileStore().remove(name))
        return false;
    loadProfile({});
    return true;
}

bool AddDiskDialog::renameProfile() {
    const std::string name = profileName();
    if (name.empty())
        return false;
    const auto newName =
        prompter_.askText({ToUtf8(DialogText(kSection, 11).remove(QLatin1Char('&'))),
                           ToUtf8(DialogText(kSection, 12)), name, false});
    if (!newName || *newName == name || !ReadProfileStore().rename(name, *newName))
        return false;
    fillProfiles(*newName);
    return true;
}

void AddDiskDialog::setReading(bool reading) {
    tabs_->setEnabled(!reading);
    profile_->setEnabled(!reading);
    ok_->setEnabled(!reading);
    if (reading)
        progress_->setText(DialogText(kSection, 1));
}

void AddDiskDialog::accept() {
    if (reading())
        return;
    const ReadRequest wanted = request();
    switch (session_->prepare(wanted)) {
        case PrepareResult::Ready:
            break;
        case PrepareResult::Failed:
        case PrepareResult::OtherVolume:
            return;  // the session told the user why; the dialog stays for another try
    }
    // OK stores the choices under the profile in the box, the last one used with this catalog.
    if (!session_->saveProfile(profileName()))
        prompter_.error(Str(102));
    setReading(true);
    runner_->start(*session_);
}

void AddDiskDialog::readFinished() {
    result_ = session_->commit();
    setReading(false);
    if (result_.problems.any()) {
        // The summary, then the first few problems by name.
        std::string text = ProblemSummary(result_.problems);
        const std::vector<std::string> problems = runner_->problems();
        for (size_t i = 0; i < problems.size() && i < 10; ++i)
            text += (i == 0 ? "\n\n" : "\n") + problems[i];
        prompter_.warning(text);
    }
    if (result_.outcome == ReadOutcome::Cancelled && !result_.update) {
        QDialog::reject();
        return;
    }
    QDialog::accept();
}

void AddDiskDialog::reject() {
    if (reading()) {
        // The worker goes on while the question is open; it stops at its next check.
        runner_->askCancel(prompter_);
        return;
    }
    QDialog::reject();
}

ReadResult AddDiskDialog::Run(CatalogDocument& document, Prompter& prompter, Target target,
                              QWidget* parent) {
    AddDiskDialog dialog(document, prompter, std::move(target), parent);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.readResult();
}

}  // namespace shelfmark
