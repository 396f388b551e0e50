// The pages of the read dialog that edit a ReadRequest: "General" ("Sht_AddGeneral": the drive or
// folder to read, the disk's name, description, target folder, categories, Disk ID and
// rewritable mark; in update mode the disk being updated), "Options" ("Sht_AddOptions"), "More
// Options" ("Sht_AddOptions2") and "Descriptions" ("Sht_AddDescriptions": the description
// providers' extensions, CD lookup and CD-Text). Each page shows ReadOptions and writes them
// back; none decides anything the read session does not decide again.
#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "catalog/Definitions.h"
#include "platform/volumes/Volumes.h"
#include "reading/engine/ReadSession.h"
#include "reading/profiles/ReadOptions.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace shelfmark {

class CatalogDocument;
class DescriptionProviders;

class GeneralReadPage : public QWidget {
    Q_OBJECT
  public:
    // `folder`: where a new disk goes; `disk`: the disk to update (null: a new disk).
    GeneralReadPage(CatalogDocument& document, CatalogItem* folder, const CatalogItem* disk,
                    QWidget* parent = nullptr);

    QLineEdit* rootEdit() const { return root_; }
    QTreeWidget* driveList() const { return drives_; }
    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* descriptionEdit() const { return description_; }
    QLineEdit* diskIdEdit() const { return diskId_; }
    QCheckBox* rewritableBox() const { return rewritable_; }
    CatalogItem* folder() const { return folder_; }
    void setFolder(CatalogItem* folder);
    void setCategories(const CategoryIds& ids) { categories_ = ids; }

    // Lists the mounted volumes again (the drive list's Refresh).
    void refreshDrives(const std::vector<Volume>& volumes);
    // Fills the request's root and the disk's fields; unset fields keep the session's defaults.
    void fill(ReadRequest& request) const;

  private:
    void browse();
    void chooseFolder();
    void chooseCategories();

    CatalogDocument& document_;
    CatalogItem* folder_;
    const CatalogItem* disk_;
    QLineEdit* root_;
    QTreeWidget* drives_;
    QLineEdit* name_;
    QLineEdit* description_;
    QLineEdit* target_;
    QLineEdit* diskId_;
    QCheckBox* rewritable_;
    std::optional<CategoryIds> categories_;
};

class OptionsReadPage : public QWidget {
    Q_OBJECT
  public:
    explicit OptionsReadPage(QWidget* parent = nullptr);
    void show(const ReadOptions& options);
    void store(ReadOptions& options) const;
    QCheckBox* box(bool ReadOptions::*member) const;
    QLineEdit* extensionEdit() const { return extensions_; }

  private:
    std::vector<std::pair<bool ReadOptions::*, QCheckBox*>> boxes_;
    QCheckBox* filter_;
    QLineEdit* extensions_;
};

class MoreOptionsReadPage : public QWidget {
    Q_OBJECT
  public:
    explicit MoreOptionsReadPage(QWidget* parent = nullptr);
    void show(const ReadOptions& options);
    void store(ReadOptions& options) const;
    QCheckBox* box(bool ReadOptions::*member) const;

  private:
    std::vector<std::pair<bool ReadOptions::*, QCheckBox*>> boxes_;
    QSpinBox* maxCrc_;
    QSpinBox* maxMd5_;
};

class DescriptionsReadPage : public QWidget {
    Q_OBJECT
  public:
    DescriptionsReadPage(DescriptionProviders& providers, QWidget* parent = nullptr);
    void show(const ReadOptions& options);
    void store(ReadOptions& options) const;
    QTreeWidget* providerList() const { return list_; }
    QCheckBox* cddbBox() const { return cddb_; }

  private:
    void updateButtons();

    DescriptionProviders& providers_;
    QTreeWidget* list_;
    QCheckBox* cddb_;
    QCheckBox* cdText_;
    QPushButton* configure_;
    QPushButton* about_;
};

}  // namespace shelfmark
