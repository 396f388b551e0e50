// Any bytes as a catalog file: opened, and imported into a small catalog. A file that loads must
// write back to bytes that load again with the same items (shortcut targets and disk numbers
// may be normalised on the way, so the bytes themselves need not match).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalog/CatalogFile.h"
#include "catalog/TreeWalk.h"
#include "foundation/Prompter.h"

using namespace shelfmark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SilentPrompter prompter;

    CatalogTree tree;
    const CatalogReadResult first = ReadCatalog(bytes, tree, prompter);
    if (first.ok()) {
        const std::string saved = CatalogBytes(tree);
        CatalogTree again;
        const CatalogReadResult second = ReadCatalog(saved, again, prompter);
        if (!second.ok() || second.records != tree.countItems(tree.root()) ||
            again.countItems(again.root()) != second.records)
            std::abort();
        WalkBelow(tree.root(), EnterAll, [&](CatalogItem& item) {
            (void)tree.pathText(&item, pathmode::Display | pathmode::FolderChain);
            (void)tree.pathText(&item, pathmode::Reference);
            (void)tree.typeText(&item);
            (void)tree.resolveShortcut(&item, nullptr);
            return true;
        });
        (void)tree.gatherStatistics(tree.root(), true);
        tree.sortSubtree(TopLevel);
    }

    CatalogTree target;
    CatalogItem* root = target.resetToNewCatalog();
    CatalogItem* folder = target.createItem("target", root, Last, itemflag::Folder);
    CatalogReadOptions options;
    options.importTarget = folder;
    options.importName = "fuzz.tkd";
    const CatalogReadResult imported = ReadCatalog(bytes, target, prompter, options);
    if (target.topLevel()->next() != nullptr)
        std::abort();  // the temporary folder must never stay behind
    (void)imported;
    return 0;
}
