#include "app/DragMime.h"

#include <QCoreApplication>

#include "app/DragData.h"
#include "catalog/CatalogDocument.h"
#include "catalog/CopyPath.h"

namespace shelfmark {

QString DragMimeType() {
    return QString::fromLatin1(kDragDataMimeType.data(), qsizetype(kDragDataMimeType.size()));
}

QMimeData* NewDragMimeData(const CatalogDocument& document,
                           const std::vector<const CatalogItem*>& items) {
    auto* data = new QMimeData;
    data->setData(DragMimeType(),
                  QByteArray::fromStdString(EncodeDragData(document.tree(),
                                                           document.treeGeneration(), items,
                                                           QCoreApplication::applicationPid())));
    // Other programs get the items' display paths.
    data->setText(QString::fromStdString(CopyPathText(document.tree(), items, {})));
    return data;
}

std::vector<CatalogItem*> DroppedItems(const CatalogDocument& document, const QMimeData* data) {
    if (!data || !data->hasFormat(DragMimeType()))
        return {};
    return DecodeDragData(document.tree(), document.treeGeneration(),
                          data->data(DragMimeType()).toStdString(),
                          QCoreApplication::applicationPid());
}

}  // namespace shelfmark
