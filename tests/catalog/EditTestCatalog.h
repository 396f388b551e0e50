// A small catalog for the operation tests, and two checks that do not use the code under test:
// an independent recount of folder sizes and the saved bytes of the whole catalog.
#pragma once

#include <string>
#include <vector>

#include "catalog/CatalogDocument.h"
#include "catalog/DocumentObserver.h"

namespace shelfmark::testing {

// Builds, below the document's root (sizes in bytes):
//   Music\                       folder, 1,500
//     Rock\                      folder, 1,000
//       Rock One [CD/ DVD]       disk 1,000, Disk ID 7, internal number 3, lent to Ann
//         Album\  track1.mp3 (600)
//         cover.jpg (400)  songs.zip (archive, 0: entries a.txt, sub\b.txt)
//     Jazz\                      folder, 500
//       Blue [Audio CD]          disk 500, internal number 4
//   Backup\                      folder, 5,000
//     B1 [Hard Disk]             disk 5,000, internal number 5, lent to Bob
//       Docs\  letter.doc (4,000)  old.zip (archive, 1,000: entries x.txt, deep\y.txt)
//   Loose [Removable Disk]       disk 300 directly in the root
// Every child list is in tree order except where a test renames.
void BuildEditCatalog(CatalogTree& tree);

CatalogItem* At(const CatalogTree& tree, const char* path);

// Folder sizes recounted from scratch: every folder below the root must carry the sum of the
// sizes of the folders and disks directly in it. Returns the paths that do not.
std::vector<std::string> WrongFolderSizes(const CatalogTree& tree);

// Reads the catalog file into `tree` (a failure is a test failure) and finds the item at `at`.
CatalogItem* LoadAt(const std::string& file, CatalogTree& tree, const char* at);

// The bytes the catalog writer produces for the tree.
std::string SavedBytes(const CatalogTree& tree);

// Records every notification as one line of text.
class RecordingObserver : public DocumentObserver {
  public:
    std::vector<std::string> events;

    void itemInserted(CatalogItem& item) override;
    void itemRemoving(CatalogItem& item) override;
    void itemRemoved(CatalogItem* item, CatalogItem* formerParent) override;
    void itemMoving(CatalogItem& item, CatalogItem* newParent) override;
    void itemMoved(CatalogItem& item, CatalogItem* formerParent) override;
    void itemChanged(CatalogItem& item) override;
    void reset() override;
    void modifiedChanged(bool modified) override;
};

}  // namespace shelfmark::testing
