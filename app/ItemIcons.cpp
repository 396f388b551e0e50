#include "app/ItemIcons.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QPainter>
#include <QStyle>

#include "catalog/CatalogItem.h"

namespace shelfmark {
namespace {

constexpr int kOverlayLent = 1;
constexpr int kOverlayDescription = 2;
constexpr int kOverlayProtected = 4;
constexpr int kOverlayShortcut = 8;

// The theme names, each with the style's icon that stands in when no theme has it.
struct NamedIcon {
    const char* name;
    QStyle::StandardPixmap fallback;
};
constexpr NamedIcon kFallbacks[] = {
    {"folder", QStyle::SP_DirIcon},
    {"folder-documents", QStyle::SP_DirIcon},
    {"inode-directory", QStyle::SP_DirIcon},
    {"media-optical", QStyle::SP_DriveCDIcon},
    {"media-optical-audio", QStyle::SP_DriveCDIcon},
    {"media-optical-video", QStyle::SP_DriveDVDIcon},
    {"drive-removable-media", QStyle::SP_DriveFDIcon},
    {"drive-harddisk", QStyle::SP_DriveHDIcon},
    {"folder-remote", QStyle::SP_DriveNetIcon},
    {"package-x-generic", QStyle::SP_FileIcon},
    {"text-x-generic", QStyle::SP_FileIcon},
    {"emblem-symbolic-link", QStyle::SP_FileLinkIcon},
    {"emblem-shared", QStyle::SP_ArrowRight},
    {"emblem-documents", QStyle::SP_FileDialogInfoView},
    {"emblem-readonly", QStyle::SP_MessageBoxWarning},
};

QIcon StandIn(const QString& name) {
    for (const NamedIcon& entry : kFallbacks) {
        if (name == QLatin1String(entry.name))
            return QApplication::style()->standardIcon(entry.fallback);
    }
    return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

QString ExtensionOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? QString()
                                         : QString::fromUtf8(name.data() + dot + 1,
                                                             qsizetype(name.size() - dot - 1))
                                               .toLower();
}

}  // namespace

ItemIcons::ItemIcons() = default;

void ItemIcons::setSettings(const IconSettings& settings) {
    settings_ = settings;
    cache_.clear();
}

QIcon ItemIcons::baseIcon(const QString& name) const {
    QIcon icon = QIcon::fromTheme(name);
    return icon.isNull() ? StandIn(name) : icon;
}

QString ItemIcons::baseIconName(const CatalogItem& item) const {
    if (item.isFolder())
        return item.parent() ? QStringLiteral("folder") : QStringLiteral("folder-documents");
    if (item.isDisk()) {
        switch (item.mediaType()) {
            case MediaType::AudioCd:
                return QStringLiteral("media-optical-audio");
            case MediaType::VideoCd:
                return QStringLiteral("media-optical-video");
            case MediaType::Removable:
                return QStringLiteral("drive-removable-media");
            case MediaType::HardDisk:
                return QStringLiteral("drive-harddisk");
            case MediaType::Network:
                return QStringLiteral("folder-remote");
            default:
                return QStringLiteral("media-optical");
        }
    }
    if (item.isDirectory())
        return QStringLiteral("folder");
    if (!settings_.typeSpecificIcons)
        return item.isArchive() ? QStringLiteral("package-x-generic")
                                : QStringLiteral("text-x-generic");
    if (item.isDisk() == false && item.parent() && item.parent()->mediaType() == MediaType::AudioCd)
        return QStringLiteral("audio-x-generic");
    const QString extension = ExtensionOf(item.name());
    auto found = mimeIconByExtension_.find(extension.toStdString());
    if (found != mimeIconByExtension_.end())
        return found->second;
    // By name only: the file is not there to be looked into.
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(QStringLiteral("x.") + extension,
                                                    QMimeDatabase::MatchExtension);
    QString name = type.iconName();
    if (extension.isEmpty() || type.isDefault() || QIcon::fromTheme(name).isNull())
        name = type.isDefault() || QIcon::fromTheme(type.genericIconName()).isNull()
                   ? (item.isArchive() ? QStringLiteral("package-x-generic")
                                       : QStringLiteral("text-x-generic"))
                   : type.genericIconName();
    mimeIconByExtension_.emplace(extension.toStdString(), name);
    return name;
}

QIcon ItemIcons::iconFor(const CatalogItem& item, bool) const {
    const QString name = baseIconName(item);
    int overlays = 0;
    if (item.isShortcut())
        overlays |= kOverlayShortcut;
    if (item.isLent())
        overlays |= kOverlayLent;
    if (settings_.descriptionOverlay && item.hasAttribute(attr::Description))
        overlays |= kOverlayDescription;
    if (item.isProtected())
        overlays |= kOverlayProtected;
    const std::string key = name.toStdString() + "#" + std::to_string(overlays);
    auto found = cache_.find(key);
    if (found != cache_.end())
        return found->second;

    QIcon icon = baseIcon(name);
    if (overlays != 0) {
        QIcon composed;
        for (const int size : {16, 22, 32, 48}) {
            QPixmap pixmap = icon.pixmap(size, size);
            QPainter painter(&pixmap);
            const int half = size / 2;
            if (overlays & kOverlayShortcut)
                painter.drawPixmap(0, half, baseIcon(QStringLiteral("emblem-symbolic-link")).pixmap(half, half));
            if (overlays & kOverlayLent)
                painter.drawPixmap(half, half, baseIcon(QStringLiteral("emblem-shared")).pixmap(half, half));
            if (overlays & kOverlayDescription)
                painter.drawPixmap(half, 0, baseIcon(QStringLiteral("emblem-documents")).pixmap(half, half));
            if (overlays & kOverlayProtected)
                painter.drawPixmap(0, 0, baseIcon(QStringLiteral("emblem-readonly")).pixmap(half, half));
            painter.end();
            composed.addPixmap(pixmap);
        }
        icon = composed;
    }
    cache_.emplace(key, icon);
    return icon;
}

QColor ItemIcons::colorFor(const CatalogItem& item) const {
    if (item.isProtected())
        return QColor(0, 128, 0);
    if (item.isLent())
        return QColor(160, 0, 0);
    return {};
}

}  // namespace shelfmark
