// "Import CDs" (section Dlg_ImportCDs): the discs cdplayer.ini lists, one checkable row each
// named by the disc name format, the "&Selection" menu, the target folder ("&Insert in:", the
// root and every folder indented by depth) and an optional new subfolder. OK imports the checked
// discs as audio-CD disks in one undo step (ImportFromCdPlayer decides everything else).
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "cdlookup/CdPlayerIni.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;

namespace shelfmark {

class SettingsStore;

class ImportCdsDialog : public QDialog {
    Q_OBJECT

  public:
    struct Options {
        std::string iniPath = std::string(kCdPlayerIniName);
        // The settings dialog on its "Audio CD" page; none: the button does nothing.
        std::function<void()> openAudioCdSettings;
    };

    // `target`: the folder the selector proposes (the root when null or not listed).
    ImportCdsDialog(CatalogDocument& document, SettingsStore& store, CatalogItem* target,
                    Options options, QWidget* parent = nullptr);

    void accept() override;

    // The disks the last OK created.
    const std::vector<CatalogItem*>& created() const { return created_; }

    QTreeWidget* list() const { return list_; }
    QToolButton* selectionButton() const { return selection_; }
    QPushButton* settingsButton() const { return settings_; }
    QComboBox* folderBox() const { return folders_; }
    QCheckBox* newFolderBox() const { return newFolder_; }
    QLineEdit* newFolderEdit() const { return newFolderName_; }
    QPushButton* okButton() const { return ok_; }

  private:
    void fillFolders(CatalogItem* target);
    void updateOk();
    void setAllChecks(const std::function<bool(bool)>& change);

    CatalogDocument& document_;
    SettingsStore& store_;
    Options options_;
    std::vector<CdPlayerEntry> entries_;
    std::vector<CatalogItem*> folderItems_;
    std::vector<CatalogItem*> created_;
    QTreeWidget* list_;
    QToolButton* selection_;
    QPushButton* settings_;
    QComboBox* folders_;
    QCheckBox* newFolder_;
    QLineEdit* newFolderName_;
    QPushButton* ok_;
};

}  // namespace shelfmark
