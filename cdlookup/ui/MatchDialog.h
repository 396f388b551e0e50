// The match chooser (section Dlg_CDDBFuzzyMatch): the matches of a query for one disk, one row
// each with its category, name and disc ID; the first row is current. OK (or activating a row)
// chooses the current row, Cancel chooses none, "&Submit new" asks for a new record instead.
#pragma once

#include <QDialog>
#include <string>

#include "cdlookup/LookupController.h"

class QTreeWidget;

namespace shelfmark {

class MatchDialog : public QDialog {
    Q_OBJECT

  public:
    MatchDialog(const std::string& diskName, const CDiscoraQueryResult& matches,
                QWidget* parent = nullptr);

    // Runs the dialog and tells what the user chose.
    LookupDialogs::MatchChoice choose();

    QTreeWidget* list() const { return list_; }

  private:
    QTreeWidget* list_;
    bool submitNew_ = false;
};

}  // namespace shelfmark
