// The read dialog ("Dlg_AddDisk"): five pages (General, the disk's Extra Information, Options,
// More Options, Descriptions), the profile box with Save, Delete and Rename, a progress line,
// OK and Cancel. OK collects a ReadRequest (the Extra Information page's rows with it, so they
// are part of the read's one undo step), lets the ReadSession prepare it (its checks and
// messages), saves the options under the profile named in the box, and runs the read on a
// worker through a ReadRunner; the dialog stays modal and responsive meanwhile, Cancel then asks
// the cancel question. When the worker is done the session commits and the dialog closes.
#pragma once

#include <QDialog>
#include <memory>

#include "reading/engine/ReadSession.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace shelfmark {

class DescriptionsReadPage;
class ExtraInfoPage;
class GeneralReadPage;
class MoreOptionsReadPage;
class OptionsReadPage;
class ReadRunner;

class AddDiskDialog : public QDialog {
    Q_OBJECT
  public:
    struct Target {
        CatalogItem* folder = nullptr;        // new disk: where it goes (null: the root)
        CatalogItem* diskToUpdate = nullptr;  // update: the disk
        std::string root;                     // a drive or folder to preselect
    };

    AddDiskDialog(CatalogDocument& document, Prompter& prompter, Target target,
                  QWidget* parent = nullptr);
    ~AddDiskDialog() override;

    ReadSession& session() { return *session_; }
    QTabWidget* tabs() const { return tabs_; }
    GeneralReadPage* generalPage() const { return general_; }
    ExtraInfoPage* extraInfoPage() const { return extra_; }
    OptionsReadPage* optionsPage() const { return options_; }
    MoreOptionsReadPage* moreOptionsPage() const { return more_; }
    DescriptionsReadPage* descriptionsPage() const { return descriptions_; }
    QComboBox* profileBox() const { return profile_; }
    QLabel* progressLine() const { return progress_; }
    bool reading() const;

    // The options as the pages show them.
    ReadOptions currentOptions() const;
    // The request the pages describe.
    ReadRequest request() const;
    // Loads a profile into the pages (empty: the one used last with this catalog).
    void loadProfile(const std::string& name);
    // The profile box's commands; each asks what it needs through the prompter.
    bool saveProfileAs();
    bool deleteProfile();
    bool renameProfile();

    // After the dialog closed with OK: what the read left in the catalog.
    const ReadResult& readResult() const { return result_; }

    // Shows the dialog modally; the result's disk is null when nothing was read.
    static ReadResult Run(CatalogDocument& document, Prompter& prompter, Target target,
                          QWidget* parent);

  public slots:
    void accept() override;
    void reject() override;

  private:
    void fillProfiles(const std::string& select);
    std::string profileName() const;
    void readFinished();
    void setReading(bool reading);

    CatalogDocument& document_;
    Prompter& prompter_;
    Target target_;
    std::unique_ptr<ReadSession> session_;
    std::unique_ptr<ReadRunner> runner_;
    QTabWidget* tabs_;
    GeneralReadPage* general_;
    ExtraInfoPage* extra_;
    OptionsReadPage* options_;
    MoreOptionsReadPage* more_;
    DescriptionsReadPage* descriptions_;
    QComboBox* profile_;
    QLabel* progress_;
    QPushButton* ok_;
    ReadResult result_;
    bool filling_ = false;
};

}  // namespace shelfmark
