// The item-list profile dialog ("Dlg_ProfileSettings") and its column dialog
// ("Dlg_ColumnSettings"). The profile dialog edits one ItemListProfile: which kinds are listed,
// how deep, which extensions, the filename format and the columns; OK refuses a profile the
// library calls unsavable (empty name, a "%" not followed by a digit) with the library's
// message and keeps the dialog open.
#pragma once

#include <QDialog>

#include "lists/ItemListProfile.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace shelfmark {

class Prompter;

// The value a profile column shows, as the profile dialog lists it: "%1" for a variable, the
// column kind's title in upper case otherwise.
QString ColumnValueText(uint8_t value);

class ColumnSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ColumnSettingsDialog(const ListColumn& column, QWidget* parent = nullptr);

    ListColumn column() const;
    QComboBox* nameBox() const { return name_; }
    QComboBox* valueBox() const { return value_; }
    QComboBox* alignmentBox() const { return alignment_; }
    QSpinBox* widthSpin() const { return width_; }

  private:
    QComboBox* name_;
    QComboBox* value_;
    QComboBox* alignment_;
    QSpinBox* width_;
};

class ProfileSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    ProfileSettingsDialog(const ItemListProfile& profile, Prompter& prompter, QWidget* parent = nullptr);

    // The profile as the fields now describe it.
    ItemListProfile profile() const;

    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* formatEdit() const { return format_; }
    QLineEdit* extensionsEdit() const { return extensions_; }
    QSpinBox* depthSpin() const { return depth_; }
    QCheckBox* filesBox() const { return files_; }
    QTreeWidget* columnList() const { return columns_; }

  public slots:
    void accept() override;  // refuses an unsavable profile with its message

  private:
    void fillColumns();
    void editColumn(int row, bool add);

    Prompter& prompter_;
    ItemListProfile base_;  // what the fields do not show
    std::vector<ListColumn> columnData_;
    QLineEdit* name_;
    QLineEdit* format_;
    QRadioButton* parseName_;
    QRadioButton* parseDescription_;
    QCheckBox* files_;
    QCheckBox* directories_;
    QCheckBox* folders_;
    QCheckBox* disks_;
    QSpinBox* depth_;
    QLineEdit* extensions_;
    QTreeWidget* columns_;
};

}  // namespace shelfmark
