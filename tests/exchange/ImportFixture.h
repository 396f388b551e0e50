// A document with a folder "Scans" to import into, for the tests of the import readers.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "catalog/TreeWalk.h"
#include "exchange/ForeignImport.h"
#include "foundation/ScriptedPrompter.h"
#include "tests/catalog/EditTestCatalog.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {

inline std::string ImportCorpus(const std::string& name) {
    return (CorpusDir() / "imports" / name).string();
}

// Every file below `top` as "path -> size", paths from `top` down joined by "/".
inline std::map<std::string, uint64_t> FileSizes(const CatalogItem* top) {
    std::map<std::string, uint64_t> sizes;
    WalkBelow(top, EnterAll, [&](CatalogItem& item) {
        if (item.isContainer() && !item.isArchive())
            return true;
        std::string path(item.name());
        for (const CatalogItem* up = item.parent(); up && up != top; up = up->parent())
            path = std::string(up->name()) + "/" + path;
        sizes[path] = item.size();
        return true;
    });
    return sizes;
}

class ImportFixture : public ::testing::Test {
  protected:
    ImportFixture() {
        CatalogTree& t = document.tree();
        t.resetToNewCatalog();
        folder = t.createItem("Scans", t.root(), Last, itemflag::Folder);
    }
    EditStatus import(std::vector<std::string> files, ForeignFormat format = ForeignFormat::Auto) {
        report = {};
        return ImportForeignCatalogs(document, files, format, folder, &report);
    }
    // The file written into the test's folder.
    std::string written(const std::string& name, std::string_view bytes) {
        WriteFile(dir / name, bytes);
        return (dir / name).string();
    }
    const CatalogItem* at(const char* path) { return At(document.tree(), path); }
    std::string failures() const {
        std::string all;
        for (const std::string& failure : report.failed)
            all += failure + "\n";
        return all;
    }

    TempDir dir;
    ScriptedPrompter prompter;
    CatalogDocument document{prompter};
    CatalogItem* folder = nullptr;
    ForeignImportReport report;
};

}  // namespace shelfmark::testing
