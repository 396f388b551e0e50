// The disc editor (section Dlg_CDDBDisc): category, genre and year of a disc record, the rows
// of the disc and its tracks, and the details (artist, title, extended text) of the selected
// row. Every edit goes into the DiscEditor, which decides what changed and what OK accepts; the
// dialog moves between rows, shows the ">" marker beside the selected row and a " *" in its
// caption while the record is modified.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace shelfmark {

class DiscEditor;

class DiscEditorDialog : public QDialog {
    Q_OBJECT

  public:
    explicit DiscEditorDialog(DiscEditor& editor, QWidget* parent = nullptr);

    // OK: the open row's edits are stored, then the editor's checks run; on a problem the
    // field at fault gets the focus and the dialog stays open.
    void accept() override;

    int currentRow() const;
    QComboBox* categoryBox() const { return category_; }
    QComboBox* genreBox() const { return genre_; }
    QLineEdit* yearEdit() const { return year_; }
    QTreeWidget* rows() const { return rows_; }
    QLineEdit* artistEdit() const { return artist_; }
    QLineEdit* titleEdit() const { return title_; }
    QPlainTextEdit* extendedEdit() const { return extended_; }
    QPushButton* previousButton() const { return previous_; }
    QPushButton* nextButton() const { return next_; }
    QPushButton* okButton() const { return ok_; }
    QLabel* marker() const { return marker_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void rowChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void storeDetails(int row);
    void loadDetails(int row);
    void refreshTitles(int row);
    void move(int step);
    void placeMarker();
    void updateCaption();

    DiscEditor& editor_;
    QString caption_;
    QComboBox* category_;
    QComboBox* genre_;
    QLineEdit* year_;
    QTreeWidget* rows_;
    QWidget* markerColumn_;
    QLabel* marker_;
    QLineEdit* artist_;
    QLineEdit* title_;
    QPlainTextEdit* extended_;
    QPushButton* previous_;
    QPushButton* next_;
    QPushButton* ok_;
};

}  // namespace shelfmark
