#include "app/MimeTypeNames.h"

#include <QMimeDatabase>

namespace shelfmark {

std::string MimeTypeNames::typeNameForExtension(std::string_view extension) {
    const std::lock_guard lock(mutex_);
    const std::string key(extension);
    auto found = cache_.find(key);
    if (found != cache_.end())
        return found->second;
    const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(
        QStringLiteral("x") + QString::fromUtf8(key.data(), qsizetype(key.size())),
        QMimeDatabase::MatchExtension);
    // The default type says nothing: the caller's generic "XYZ-File" is more telling.
    std::string name = type.isDefault() ? std::string() : type.comment().toStdString();
    cache_.emplace(key, name);
    return name;
}

}  // namespace shelfmark
