// The item information view's page and the status bar's item pane, built from the list's
// selection. Labels are texts of section Strings, each followed by ": ". Every catalog text put
// into the page (names, descriptions, borrowers, column texts) is HTML-escaped: names come from
// read disks and may hold "<" or "&".
#pragma once

#include <QString>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "app/ItemListModel.h"

namespace shelfmark {

class CatalogItem;
class CatalogTree;
class CatalogDefinitions;

struct InfoPageInput {
    const CatalogTree* tree = nullptr;
    std::vector<const CatalogItem*> selection;
    std::vector<uint8_t> columns;  // the list's columns, for the extra lines
    ListDisplay display;
    bool showDescription = false;  // bShowDescription
    const CatalogDefinitions* definitions = nullptr;
    // The image address of the one selected item's thumbnail; empty: no thumbnail shown.
    QString thumbnailSource;
};

QString ItemInfoHtml(const InfoPageInput& input);

// The status bar's item pane: "%d item(s)" with nothing selected, "%d items selected." with
// several, the name followed by ", " and the type and size texts with one.
QString SelectionStatusText(const CatalogTree& tree, size_t listedCount,
                            std::span<const CatalogItem* const> selection,
                            const ListDisplay& display);

}  // namespace shelfmark
