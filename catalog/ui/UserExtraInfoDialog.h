// The editor of user-defined extra information ("Dlg_UserExtraInfo") over an ExtraInfoEditor:
// a list of up to 32 fields with their kind; "New &String" and "&New Number" add a field with
// the lowest free key, names are edited in place, deleting asks the editor's questions, OK
// commits.
#pragma once

#include <QDialog>

#include "catalog/DefinitionEditors.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace shelfmark {

class UserExtraInfoDialog : public QDialog {
    Q_OBJECT
  public:
    UserExtraInfoDialog(CatalogDocument& document, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }
    ExtraInfoEditor& editor() { return editor_; }
    EditStatus status() const { return status_; }

    // The command: the file lock first (refused: nothing opens), given back afterwards unless
    // changes are unsaved.
    static EditStatus Run(CatalogDocument& document, QWidget* parent);

  public slots:
    void newText();
    void newNumber();
    void deleteSelected();
    void accept() override;

  private:
    void refill(std::optional<uint8_t> select);
    void added(std::optional<uint8_t> key);

    CatalogDocument& document_;
    ExtraInfoEditor editor_;
    QTreeWidget* list_;
    EditStatus status_ = EditStatus::Unchanged;
    bool filling_ = false;
};

}  // namespace shelfmark
