// Icons and colours of catalog items in the tree and the list: the kind (folder, directory,
// archive, shortcut), the disk's media type, and for files the desktop icon theme's icon of the
// file's MIME type (with bShowTypespecificIcons; otherwise one generic file icon). Overlays mark
// lent disks, items with a description (bShowDescriptionOverlay) and protected items; a
// shortcut carries the link emblem. Without an icon theme the style's standard icons stand in.
// Composed icons are cached by what they are made of, so a list of 100,000 files makes a few.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>
#include <unordered_map>

namespace shelfmark {

class CatalogItem;

struct IconSettings {
    bool typeSpecificIcons = true;     // bShowTypespecificIcons
    bool descriptionOverlay = true;    // bShowDescriptionOverlay
};

class ItemIcons {
  public:
    ItemIcons();
    void setSettings(const IconSettings& settings);

    // forTree: an expanded-folder look is not used; the same icons serve both views.
    QIcon iconFor(const CatalogItem& item, bool forTree) const;
    // The text colour of an item's state, or an invalid colour for the normal one: protected
    // items green (the desktop's colour for encrypted files), lent disks dark red.
    QColor colorFor(const CatalogItem& item) const;

    // The theme icon name chosen for an item before overlays (for tests and the info view).
    QString baseIconName(const CatalogItem& item) const;

  private:
    QIcon baseIcon(const QString& name) const;

    IconSettings settings_;
    mutable std::unordered_map<std::string, QIcon> cache_;
    mutable std::unordered_map<std::string, QString> mimeIconByExtension_;
};

}  // namespace shelfmark
