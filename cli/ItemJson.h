// The JSON form of catalog items that dump, search and dupes print: one object per item with its
// catalog path, kind, flag word, name, size, date and every stored attribute by key.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "catalog/CatalogItem.h"
#include "catalog/Definitions.h"

namespace shelfmark::cli {

// "folder", "disk", "directory", "archive", "file" or "shortcut" (a shortcut wins over the kind
// bits it carries).
const char* KindName(const CatalogItem& item);

// A JSON string; names that are not UTF-8 are converted as the catalog shows them.
void AppendJsonString(std::string& out, std::string_view value);

// Standard base64 with padding.
std::string Base64(std::span<const uint8_t> bytes);
// An attribute key as "0xNN".
std::string KeyText(uint8_t key);

// {"0xNN": value, ...}: every stored attribute (keys below 0x40 live only in memory).
void AppendJsonAttributes(std::string& out, const CatalogItem& item);

// {"path": ..., "kind": ..., "flags": ..., "name": ..., "size": ..., "date": ..., "attributes": {...}}
// and, for an item with categories, "categories": [names from the catalog's definitions].
void AppendJsonItem(std::string& out, const CatalogItem& item,
                    const CatalogDefinitions& definitions);

}  // namespace shelfmark::cli
