#include "lists/DesktopRowSettings.h"

#include "catalog/CatalogTree.h"
#include "lists/SystemFileTypes.h"
#include "platform/settings/AppSettings.h"

namespace shelfmark {

RowSettings DesktopRowSettings(CatalogTree& tree, const AppSettings& settings) {
    UseSystemFileTypeNames();
    tree.displaySettings().showDescription = settings.bShowDescription;
    RowSettings rows;
    rows.showDirectorySizes = settings.bShowDirectorySizes;
    rows.showByteSizes = settings.bShowByteSizes;
    rows.showDescriptionOverlay = settings.bShowDescriptionOverlay;
    return rows;
}

}  // namespace shelfmark
