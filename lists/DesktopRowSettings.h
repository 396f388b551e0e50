// The row texts of lists as the desktop program's display settings ask for them (directory
// sizes, byte sizes, the description overlay, descriptions in names), with files typed as the
// desktop types them. Item lists in the window and in the command-line tool look alike so.
#pragma once

#include "lists/RowBuilder.h"

namespace shelfmark {

class CatalogTree;
struct AppSettings;

// Also sets the tree's showDescription display setting from `settings`.
RowSettings DesktopRowSettings(CatalogTree& tree, const AppSettings& settings);

}  // namespace shelfmark
