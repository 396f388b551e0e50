// A small catalog for the list tests, built item by item:
//   Root
//     Music (folder)
//       CD One (CD, Disk ID 7, serial 0x12AB34CD)
//         Pop (directory)
//           Artist - Title.mp3       1000 bytes, CRC32 0xDEADBEEF
//           Title only.MP3           1001 bytes, description "Live & <loud>"
//           cover.jpg                2048 bytes
//           notes.mp3.bak
//         Track 01.cda (track 1, 185 s)
//         link -> (shortcut)
//     Private (folder, password-protected and locked)
//       secret.mp3
#pragma once

#include "catalog/CatalogTree.h"
#include "catalog/Definitions.h"
#include "lists/RowBuilder.h"

namespace shelfmark::testing {

struct ListsCatalog {
    ListsCatalog();
    CatalogTree tree;
    CatalogItem* root = nullptr;
    CatalogItem* music = nullptr;
    CatalogItem* disk = nullptr;
    CatalogItem* pop = nullptr;
    CatalogItem* artistTitle = nullptr;
    CatalogItem* titleOnly = nullptr;
    CatalogItem* cover = nullptr;
    CatalogItem* bak = nullptr;
    CatalogItem* track = nullptr;
    CatalogItem* shortcut = nullptr;
    CatalogItem* locked = nullptr;
};

// 2020-09-13 12:26:40 UTC.
inline constexpr int32_t kListsDate = 1600000000;

// Sets TZ to UTC for the object's lifetime, so that date texts can be written out.
class UtcZone {
  public:
    UtcZone();
    ~UtcZone();
    UtcZone(const UtcZone&) = delete;
    UtcZone& operator=(const UtcZone&) = delete;

  private:
    std::string saved_;
    bool had_ = false;
};

// The catalog in UTC with a row builder for a user with comma grouping and ISO dates.
struct ListsRows {
    ListsRows();
    UtcZone utc;
    ListsCatalog c;
    CatalogDefinitions definitions;
    NumberFormat numbers = NumberFormat::CommaGrouping();
    DateFormat dates{"%Y-%m-%d", "%H:%M"};
    RowBuilder builder{c.tree, definitions, {}, numbers, dates};
};

}  // namespace shelfmark::testing
