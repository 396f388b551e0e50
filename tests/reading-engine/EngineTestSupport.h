// Shared pieces of the read engine tests: a catalog with a folder to read into, the catalog's
// view of a disk as listing lines, and find's view of the same tree.
#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "catalog/CatalogTree.h"
#include "foundation/ScriptedPrompter.h"
#include "reading/engine/ReadJob.h"

namespace shelfmark::testing {

// "d path size" for directories and "f path size date" for files, paths relative to the disk
// with "/" between components; dates already as the catalog stores them.
using Listing = std::set<std::string>;

struct ReadSetup {
    CatalogTree tree;
    CatalogItem* folder = nullptr;  // "Shelf", below the root
    ScriptedPrompter prompter;

    ReadSetup();
    // Fills a job for a new disk read of `root` into the folder.
    void newJob(ReadJob& job, const std::filesystem::path& root, const std::string& name = "Disk");
    // Fills a job that updates `disk` from `root`.
    void updateJob(ReadJob& job, CatalogItem* disk, const std::filesystem::path& root);
};

// PrepareDisk and ReadThread.
ReadOutcome RunRead(ReadJob& job);

Listing CatalogListing(const CatalogItem* disk);
CatalogItem* FindItem(CatalogItem* disk, const std::string& slashPath);

// find's listing of the tree with directory sizes summed from its file sizes (symbolic links
// count as files, other special files not at all). `maxDepth`: deepest directory level kept.
Listing FindListing(const std::filesystem::path& root, int maxDepth = 39);
// The total of all file sizes below the root, from find.
uint64_t FindTotal(const std::filesystem::path& root);

// Sets a file's (or a link's own) modification time.
void SetTime(const std::filesystem::path& path, long long seconds);

// The stored date for a time: itself when it fits 32 signed bits, else 0.
std::string DateText(long long seconds);

}  // namespace shelfmark::testing
