#include "catalog/ui/CatalogFileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

#include "catalog/CatalogDocument.h"
#include "foundation/ui/DialogTexts.h"

namespace shelfmark {

std::string WithCatalogExtension(const std::string& path) {
    const QFileInfo info(ToQString(path));
    if (!info.suffix().isEmpty())
        return path;
    return path + ".tkd";
}

std::optional<std::string> AskCatalogOpenPath(QWidget* parent, const std::string& folder) {
    const QString path = QFileDialog::getOpenFileName(parent, QString(), ToQString(folder),
                                                      QString::fromLatin1(kCatalogFileFilter));
    if (path.isEmpty())
        return std::nullopt;
    return ToUtf8(path);
}

std::optional<std::string> AskCatalogSavePath(QWidget* parent, const std::string& suggestion) {
    const QString path = QFileDialog::getSaveFileName(parent, QString(), ToQString(suggestion),
                                                      QString::fromLatin1(kCatalogFileFilter));
    if (path.isEmpty())
        return std::nullopt;
    return WithCatalogExtension(ToUtf8(path));
}

void InstallCatalogFileDialogs(CatalogDocument& document, QWidget* parent) {
    QPointer<QWidget> window(parent);
    document.hooks().askSavePath = [window]() { return AskCatalogSavePath(window); };
}

}  // namespace shelfmark
