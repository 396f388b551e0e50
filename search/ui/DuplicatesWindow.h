// The duplicate search window ("Dlg_SearchDuplicates"): the scope with Browse, the criteria
// (name, size, date, CRC32), a minimum size with its unit, and the grouped result list whose
// groups alternate between the normal text colour and dark blue. The search runs on a worker
// while the window stays responsive; Cancel asks before it stops the worker and closes the
// window when idle. The window is modal: the catalog cannot change while it is open.
#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace shelfmark {
class CatalogItem;
}

namespace shelfmark::search {

class ResultModel;
struct SearchWindowContext;

class DuplicatesWindow : public QDialog {
    Q_OBJECT
  public:
    // `scope`: the container whose contents are compared (null: the root).
    DuplicatesWindow(SearchWindowContext& context, const CatalogItem* scope, QWidget* parent = nullptr);
    ~DuplicatesWindow() override;

    // Shows the window modally.
    static void Open(SearchWindowContext& context, const CatalogItem* scope, QWidget* parent);

    bool running() const { return worker_ != nullptr; }
    ResultModel* results() const { return model_; }
    QTableView* resultView() const { return view_; }
    QCheckBox* criterion(unsigned bit) const;
    QLineEdit* minimumSize() const { return minSize_; }
    QComboBox* unit() const { return unit_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* printButton() const { return print_; }
    QString statusText() const;

    void start();
    void browse();
    void printExport();
    // Cancel: the cancel question while running, else closes.
    void reject() override;

  signals:
    void searchFinished();

  private:
    class Worker;
    void poll();
    void setRunning(bool running);

    SearchWindowContext& context_;
    const CatalogItem* scope_;
    std::unique_ptr<Worker> worker_;
    bool asking_ = false;
    QTimer timer_;

    QLineEdit* scopeField_;
    QPushButton* browse_;
    QCheckBox* name_;
    QCheckBox* size_;
    QCheckBox* date_;
    QCheckBox* crc_;
    QLineEdit* minSize_;
    QComboBox* unit_;
    QPushButton* start_;
    QPushButton* cancel_;
    QPushButton* print_;
    QTableView* view_;
    ResultModel* model_;
    QLabel* status_;
};

}  // namespace shelfmark::search
