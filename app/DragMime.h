// The drag data of DragData.h as Qt carries it: a QMimeData for a drag or the clipboard (with
// the items' paths as plain text for other programs), and the items a drop or paste names.
#pragma once

#include <QMimeData>
#include <QString>
#include <vector>

namespace shelfmark {

class CatalogDocument;
class CatalogItem;

QString DragMimeType();
// A new QMimeData (the caller or Qt owns it) naming the items of the document.
QMimeData* NewDragMimeData(const CatalogDocument& document,
                           const std::vector<const CatalogItem*>& items);
// The items the data names in this document; empty when they are not this process's, not of
// this tree, or gone.
std::vector<CatalogItem*> DroppedItems(const CatalogDocument& document, const QMimeData* data);

}  // namespace shelfmark
