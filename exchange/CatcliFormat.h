// The JSON catalogs of catcli and gocatcli.
//
// catcli (an anytree export): {"name": "top", "type": "top", "children": [...]} whose children
// are "storage" nodes (name, attr = the user's note, ts = indexing time, children) and one
// "meta" node. Below a storage: "dir" (name, maccess, children), "file" (name, size, maccess,
// md5) and, inside an archive's "file" node, its members as "arc" nodes nested by path. Times
// are seconds with a fraction; names that were not UTF-8 carry Python's \udcXX escapes.
//
// gocatcli: {"storages": [...], "tool", "version", "created", "updated", "note"} (as TOML, a
// catalog without storages has no "storages" key; "tool" still names gocatcli); a storage has
// name, path, ts, tags, meta and children; a node has name, filetype (file, dir, archive,
// archived), size, maccess (whole seconds), md5 and children. An archive's members are flat
// children whose name is their whole path inside it.
//
// Both: every storage becomes a hard disk named after it and dated with its indexing time; the
// note (catcli attr, gocatcli meta) becomes the disk's description; an MD5 of 32 hex digits is
// kept; archives become archives with their members below them.
#pragma once

#include "exchange/ForeignTree.h"
#include "exchange/JsonDocument.h"

namespace shelfmark {

bool IsCatcliCatalog(const json::Value& top);
bool IsGocatcliCatalog(const json::Value& top);

bool ReadCatcliCatalog(const JsonDocument& document, ForeignTreeBuilder& builder,
                       ForeignReadError& error);
bool ReadGocatcliCatalog(const JsonDocument& document, ForeignTreeBuilder& builder,
                         ForeignReadError& error);

}  // namespace shelfmark
