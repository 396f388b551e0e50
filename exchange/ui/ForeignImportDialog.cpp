#include "exchange/ui/ForeignImportDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "catalog/CatalogDocument.h"
#include "catalog/ui/FolderTreeWidget.h"
#include "foundation/LanguageTexts.h"
#include "foundation/Prompter.h"
#include "foundation/ui/DialogTexts.h"
#include "foundation/ui/FieldRows.h"
#include "foundation/ui/FileDialogs.h"

namespace shelfmark {

namespace {

constexpr std::string_view kSection = "Dlg_ImportOther";

// The formats in the order the box lists them, with the key of their description.
constexpr std::pair<ForeignFormat, int> kFormats[] = {
    {ForeignFormat::Auto, 5},     {ForeignFormat::Ncdu, 6}, {ForeignFormat::Catcli, 7},
    {ForeignFormat::Gocatcli, 8}, {ForeignFormat::Hcf, 9},  {ForeignFormat::Vvv, 10},
    {ForeignFormat::Katalog, 11},
};

// A heading and one line per entry.
std::string Listing(int headingKey, const std::vector<std::string>& lines) {
    std::string text = ToUtf8(DialogText(kSection, headingKey));
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}

}  // namespace

ForeignImportDialog::ForeignImportDialog(CatalogDocument& document, std::vector<std::string> files,
                                         const CatalogItem* selected, QWidget* parent)
    : QDialog(parent), document_(document) {
    setObjectName(QStringLiteral("Dlg_ImportOther"));
    auto* layout = new QVBoxLayout(this);
    files_ = AddImportFileList(layout, AskFiles);

    format_ = new QComboBox(this);
    for (const auto& [format, key] : kFormats)
        format_->addItem(DialogText(kSection, key), int(format));
    auto* formatRow = new QFormLayout;
    AddFormRow(formatRow, 3, format_);
    layout->addLayout(formatRow);

    folders_ = AddImportFolderTree(layout, document.tree(), selected, 4, 200);
    layout->addWidget(MakeOkCancelButtons(this));

    files_->addFiles(files);
    SetTextKey(this, 0);
    ApplyDialogTexts(this, kSection);
}

ForeignFormat ForeignImportDialog::format() const {
    return ForeignFormat(format_->currentData().toInt());
}

void ForeignImportDialog::setFormat(ForeignFormat format) {
    format_->setCurrentIndex(format_->findData(int(format)));
}

void ForeignImportDialog::accept() {
    const std::vector<std::string> paths = files();
    CatalogItem* target = ChosenImportFolder(document_, paths, *files_, *folders_);
    if (target == nullptr)
        return;
    report_ = {};
    status_ = ImportForeignCatalogs(document_, paths, format(), target, &report_);
    if (!report_.failed.empty())
        document_.prompter().error(Listing(13, report_.failed));
    if (!report_.notes.empty())
        document_.prompter().information(Listing(14, report_.notes));
    if (status_ == EditStatus::Refused)
        reject();
    else if (status_ == EditStatus::Done)
        QDialog::accept();
}

std::vector<std::string> ForeignImportDialog::AskFiles(QWidget* parent) {
    const QString filter = DialogText(kSection, 12) +
                           QStringLiteral(" (*.json *.hcf *.csv *.idx *.gz);;") + AllFilesFilter();
    return AskOpenFiles(parent, DialogText(kSection, 0), filter);
}

EditStatus ForeignImportDialog::Run(CatalogDocument& document, const CatalogItem* selected,
                                    QWidget* parent) {
    return RunImportCommand(
        document, selected, [parent] { return AskFiles(parent); },
        [&document, parent](std::vector<std::string> files, const CatalogItem* folder) {
            ForeignImportDialog dialog(document, std::move(files), folder, parent);
            return dialog.exec() == QDialog::Accepted ? dialog.status() : EditStatus::Unchanged;
        });
}

}  // namespace shelfmark
