// Send to ("Dlg_Sendto"): the items handed to the send-to list (by the command, or by dropping
// them on it), the folder of the file system they go to, and OK, which copies their real files
// from the media through SendToFolder (locating each disk, asking for its medium with the
// insert-disk window when it is not mounted). No lock, no undo step: the catalog stays as it is.
#pragma once

#include <QDialog>
#include <span>
#include <vector>

#include "catalog/SendTo.h"

class QLineEdit;
class QTreeWidget;

namespace shelfmark {

class CatalogDocument;

class SendToDialog : public QDialog {
    Q_OBJECT
  public:
    SendToDialog(CatalogDocument& document, std::span<CatalogItem* const> items,
                 InsertDiskDialog* insertDisk, QWidget* parent = nullptr);

    QTreeWidget* list() const { return list_; }
    QLineEdit* targetEdit() const { return target_; }
    // The items still listed.
    const std::vector<CatalogItem*>& items() const { return items_; }
    // Takes an item off the list (a deleted item must not stay there).
    void remove(const CatalogItem* item);
    // The drives the copy looks for the media on; ListDrives() unless a test sets others.
    void setDrives(std::vector<Volume> drives) { drives_ = std::move(drives); }
    const SendToResult& sendResult() const { return result_; }

  public slots:
    void accept() override;

  private:
    void refill();

    CatalogDocument& document_;
    InsertDiskDialog* insertDisk_;
    std::vector<CatalogItem*> items_;
    std::vector<Volume> drives_;
    QTreeWidget* list_;
    QLineEdit* target_;
    SendToResult result_;
};

}  // namespace shelfmark
