// What every fuzz target of the import readers shares: a staging tree to read into, and the
// checks that hold after any read that succeeded.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "catalog/CatalogTree.h"
#include "catalog/TreeWalk.h"
#include "exchange/ForeignTree.h"
#include "foundation/Utf8Text.h"

namespace shelfmark::fuzz {

inline void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Runs `read(builder, error)` on a fresh staging tree. After a success the tree is finished and
// checked: names are valid UTF-8 without NUL and never empty, every directory carries the total of what it
// holds, and an error was not left half filled. A failure must say what went wrong.
template <typename Read>
void ReadAndCheck(Read&& read) {
    CatalogTree tree;
    CatalogItem* folder = tree.createItem("import", TopLevel, Last, itemflag::Folder);
    ForeignTreeBuilder builder(tree, folder);
    ForeignReadError error;
    if (!read(builder, error)) {
        Check(!error.message.empty());
        return;
    }
    builder.finish();
    for (const CatalogItem* disk : builder.disks()) {
        Check(disk->isDisk());
        WalkBelow(disk, EnterAll, [](CatalogItem& item) {
            Check(!item.name().empty());
            Check(text::IsValidUtf8(item.name()));
            Check(item.name().find('\0') == std::string_view::npos);
            if (item.isDirectory() && !item.archive()) {
                uint64_t total = 0;
                for (const CatalogItem* child = item.firstChild(); child; child = child->next())
                    total += child->size();
                Check(total == item.size());
            }
            return true;
        });
    }
}

inline std::string_view Text(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace shelfmark::fuzz
