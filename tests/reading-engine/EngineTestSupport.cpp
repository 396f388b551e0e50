#include "tests/reading-engine/EngineTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <climits>
#include <sstream>
#include <vector>

#include "catalog/TreeWalk.h"
#include "tests/support/TestSupport.h"

namespace shelfmark::testing {

namespace fs = std::filesystem;

ReadSetup::ReadSetup() {
    tree.resetToNewCatalog();
    folder = tree.createItem("Shelf", tree.root(), Sorted, itemflag::Folder);
}

void ReadSetup::newJob(ReadJob& job, const fs::path& root, const std::string& name) {
    job.catalog = &tree;
    job.prompter = &prompter;
    job.drive.root = root.string();
    job.drive.type = DriveType::Fixed;
    job.fields.name = name;
    job.fields.folder = folder;
    job.fields.diskId = tree.root()->numberAttribute(attr::DiskId).value_or(1);
}

void ReadSetup::updateJob(ReadJob& job, CatalogItem* disk, const fs::path& root) {
    newJob(job, root, std::string(disk->name()));
    job.fields.diskToUpdate = disk;
    job.fields.folder = nullptr;
    job.fields.diskId = disk->numberAttribute(attr::DiskId).value_or(1);
}

ReadOutcome RunRead(ReadJob& job) {
    EXPECT_TRUE(PrepareDisk(job));
    return ReadThread(job);
}

namespace {

std::string PathBelow(const CatalogItem* item, const CatalogItem* disk) {
    std::vector<std::string_view> names;
    for (const CatalogItem* at = item; at && at != disk; at = at->parent())
        names.push_back(at->name());
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        path += (path.empty() ? "" : "/") + std::string(*it);
    return path;
}

}  // namespace

Listing CatalogListing(const CatalogItem* disk) {
    Listing listing;
    WalkBelow(disk, EnterAll, [&](CatalogItem& item) {
        const std::string path = PathBelow(&item, disk);
        if (item.isDirectory())
            listing.insert("d " + path + " " + std::to_string(item.size()));
        else
            listing.insert("f " + path + " " + std::to_string(item.size()) + " " +
                           std::to_string(item.date()));
        return true;
    });
    return listing;
}

CatalogItem* FindItem(CatalogItem* disk, const std::string& slashPath) {
    CatalogItem* found = nullptr;
    WalkBelow(disk, EnterAll, [&](CatalogItem& item) {
        if (PathBelow(&item, disk) == slashPath) {
            found = &item;
            return false;
        }
        return true;
    });
    return found;
}

void SetTime(const fs::path& path, long long seconds) {
    const timespec times[2] = {{static_cast<time_t>(seconds), 0},
                               {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

std::string DateText(long long seconds) {
    return std::to_string(seconds < INT32_MIN || seconds > INT32_MAX ? 0 : seconds);
}

Listing FindListing(const fs::path& root, int maxDepth) {
    const std::string command =
        "find " + ShellQuote(root.string()) + " -mindepth 1 -maxdepth " +
        std::to_string(maxDepth + 1) +
        " -xdev \\( -type f -o -type l -o -type d \\) -printf '%y %d %s %T@ %P\\0'";
    const CommandResult result = RunCommand(command);
    EXPECT_EQ(result.exitCode, 0);
    std::map<std::string, uint64_t> directories;
    std::vector<std::string> files;
    std::istringstream in(result.out);
    std::string record;
    while (std::getline(in, record, '\0')) {
        std::istringstream fields(record);
        std::string kind, depth, size, time, path;
        fields >> kind >> depth >> size >> time;
        std::getline(fields, path);
        path = path.substr(1);
        if (kind == "d") {
            if (std::stoi(depth) <= maxDepth)
                directories.emplace(path, 0);
            continue;
        }
        files.push_back("f " + path + " " + size + " " +
                        DateText(std::stoll(time.substr(0, time.find('.')))));
        for (size_t slash = path.rfind('/'); slash != std::string::npos && slash > 0;
             slash = path.rfind('/', slash - 1)) {
            directories[path.substr(0, slash)] += std::stoull(size);
            if (slash == 0)
                break;
        }
    }
    Listing listing(files.begin(), files.end());
    for (const auto& [path, size] : directories)
        listing.insert("d " + path + " " + std::to_string(size));
    return listing;
}

uint64_t FindTotal(const fs::path& root) {
    const CommandResult result = RunCommand("find " + ShellQuote(root.string()) +
                                            " -xdev \\( -type f -o -type l \\) -printf '%s\\n'");
    uint64_t total = 0;
    std::istringstream in(result.out);
    for (std::string line; std::getline(in, line);)
        total += std::stoull(line);
    return total;
}

}  // namespace shelfmark::testing
