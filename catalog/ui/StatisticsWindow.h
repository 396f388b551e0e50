// The Statistics window ("Dlg_Statistics"): what a folder, disk, directory or archive holds,
// counted by kind, by media type, by extension (the 20 with the most bytes), by year of
// modification, and its largest files and directories; each as a bar chart over a table.
//
// The counting (GatherContentStatistics) runs on a worker thread. The catalog tree has no lock,
// so while the worker reads it no one may change it: the window waits without taking user input
// for a moment (most catalogs are counted by then), and after that shows a modal progress box
// whose Cancel asks "Do you really want to cancel the process?" and, on Yes, sets the worker's
// cancel flag. Once the worker is done the figures are turned into texts at once, so the window
// keeps no item pointers: the catalog may change under it, and Refresh counts again (until the
// container leaves the catalog).
#pragma once

#include <QWidget>
#include <chrono>
#include <functional>

#include "catalog/ContentStatistics.h"
#include "catalog/DocumentObserver.h"

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QDialog;
class QEventLoop;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeWidget;

class QChartView;

namespace shelfmark {

class CatalogDocument;

class StatisticsWindow : public QWidget, private DocumentObserver {
    Q_OBJECT
  public:
    enum Page { Kinds, MediaTypes, Extensions, Years, LargestFiles, LargestDirectories, PageCount };
    // What the chart bars measure.
    enum class Measure { Bytes, Items };
    using Gatherer = std::function<ContentStatistics(const CatalogTree&, const CatalogItem&,
                                                     const StatisticsOptions&)>;

    // A window for `container` (a folder, disk, directory or archive of the document); it shows
    // nothing until refresh() has counted. `parent`: the window it belongs to (it stays a window
    // of its own).
    StatisticsWindow(CatalogDocument& document, const CatalogItem* container,
                     QWidget* parent = nullptr);
    ~StatisticsWindow() override;

    // The Statistics command: counts what `container` holds (null: the whole catalog) and shows
    // the window, which deletes itself when closed. Null when the item is no container (the
    // message is shown) or the counting was cancelled.
    static StatisticsWindow* Open(CatalogDocument& document, const CatalogItem* container,
                                  QWidget* parent);

    // Counts again and shows the figures. False when the counting was cancelled (the figures
    // shown before stay) or the container is no longer in the catalog.
    bool refresh();
    // Whether the container is still in the catalog.
    bool hasContainer() const { return container_ != nullptr; }

    QTabWidget* pages() const { return pages_; }
    QTreeWidget* table(Page page) const { return tables_[page]; }
    QChartView* chartView(Page page) const { return charts_[page]; }
    QLabel* summaryLabel() const { return summary_; }
    QComboBox* measureBox() const { return measure_; }
    QCheckBox* archivesBox() const { return archives_; }
    QPushButton* refreshButton() const { return refresh_; }

    // For tests: the counting the worker runs, and how long the window waits without input
    // before it shows the progress box.
    void setGatherer(Gatherer gatherer) { gatherer_ = std::move(gatherer); }
    void setProgressDelay(std::chrono::milliseconds delay) { progressDelay_ = delay; }

  private slots:
    // Queued by name from the worker once the count has returned.
    void countEnded();

  private:
    // One row of a page as shown: the key's text, its items and bytes.
    struct Row {
        QString key;
        QString detail;  // largest items: the path
        uint64_t count = 0;
        uint64_t bytes = 0;
    };

    // Runs the gatherer on a worker; `options.cancel` is `cancel`.
    ContentStatistics gatherOnWorker(const StatisticsOptions& options, CancelFlag& cancel);
    void showFigures(const ContentStatistics& statistics);
    void fillPage(Page page);
    void redrawCharts();
    void containerGone();
    QString keyText(Page page, const std::string& key) const;

    void itemRemoving(CatalogItem& item) override;
    void closeEvent(QCloseEvent* event) override;
    void reset() override;

    CatalogDocument& document_;
    const CatalogItem* container_;
    Gatherer gatherer_;
    std::chrono::milliseconds progressDelay_{250};
    bool running_ = false;
    // While the worker counts (this thread only): the count's cancel flag, the loop and the
    // progress box that wait for its end, whether the end has been heard, and whether the
    // window was asked to close meanwhile.
    CancelFlag* counting_ = nullptr;
    QEventLoop* waiting_ = nullptr;
    QDialog* progress_ = nullptr;
    bool countEnded_ = false;
    bool closeWanted_ = false;
    std::vector<Row> rows_[PageCount];

    QLabel* summary_;
    QComboBox* measure_;
    QCheckBox* archives_;
    QTabWidget* pages_;
    QTreeWidget* tables_[PageCount];
    QChartView* charts_[PageCount];
    QPushButton* refresh_;
};

}  // namespace shelfmark
