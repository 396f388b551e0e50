// Opening a catalog of 1,000,000 items whose folder of 500,000 items is password-protected with
// encrypted names (the password given, so every name is decrypted while the file is opened),
// next to opening the same catalog unprotected in the same run. Prints both times (best of
// three) and their ratio; the goal is a ratio under 2.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "catalog/CatalogDocument.h"
#include "catalog/CatalogFile.h"
#include "catalog/PasswordProtection.h"
#include "catalog/UnlockOnOpen.h"
#include "foundation/Prompter.h"

using namespace shelfmark;
using Clock = std::chrono::steady_clock;

namespace {

constexpr uint64_t kHalf = 500'000;
constexpr const char* kPassword = "correct horse battery staple";

// `count` items below `folder`: disks of 20 directories of 49 files with camera-like names
// (some with multi-byte characters, so decryption handles real UTF-8).
void Fill(CatalogTree& tree, CatalogItem* folder, uint64_t count) {
    uint64_t made = 0;
    uint32_t serial = 1;
    while (made < count) {
        CatalogItem* disk = tree.createItem("Disk " + std::to_string(serial), folder, Last,
                                            DiskFlags(MediaType::CdRom));
        tree.assignDiskNumber(disk);
        tree.setNumberAttribute(disk, attr::VolumeSerial, serial++);
        ++made;
        for (int d = 0; d < 20 && made < count; ++d, ++made) {
            CatalogItem* directory = tree.createItem("Urlaub Österreich " + std::to_string(d), disk,
                                                     Last, itemflag::Directory);
            for (int f = 0; f < 49 && made + 1 < count; ++f, ++made) {
                CatalogItem* file = tree.createItem(
                    "IMG_" + std::to_string(made % 100000) + (f % 7 ? ".JPG" : " größer.jpg"),
                    directory, Last, 0);
                tree.setSize(file, 1000 + made % 5'000'000);
                file->setDate(int32_t(1'200'000'000 + made));
            }
        }
    }
}

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Best of three opens through the document, as the programs open a catalog.
double BestOpen(const std::string& path, bool givePassword) {
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        SilentPrompter prompter;
        CatalogDocument document(prompter);
        document.setShowConvertHint(kConvertHintSuppressed);
        if (givePassword) {
            InstallUnlockOnOpen(document, nullptr,
                                [](const std::string&) { return std::string(kPassword); });
        }
        const auto start = Clock::now();
        if (!document.openCatalogFile(path))
            return -1;
        best = std::min(best, Seconds(start));
        const CatalogItem* secret = document.tree().root()->firstChild()->next();
        if (givePassword && (!secret || secret->isLocked()))
            return -1;
    }
    return best;
}

}  // namespace

int main() {
    // Two files of this run only, removed at the end.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("shelfmark-protected-open-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string plainPath = (dir / "plain.tkd").string();
    const std::string protectedPath = (dir / "protected.tkd").string();

    CatalogTree tree;
    CatalogItem* root = tree.resetToNewCatalog();
    Fill(tree, tree.createItem("Open", root, Last, itemflag::Folder), kHalf - 1);
    CatalogItem* secret = tree.createItem("Secret", root, Last, itemflag::Folder);
    Fill(tree, secret, kHalf - 1);
    if (!SaveCatalogTo(plainPath, tree))
        return 1;
    auto start = Clock::now();
    if (!Protect(tree, secret, kPassword, true))
        return 1;
    std::printf("protecting 500,000 items with encrypted names: %.3f s\n", Seconds(start));
    if (!SaveCatalogTo(protectedPath, tree))
        return 1;

    const double plain = BestOpen(plainPath, false);
    const double unlocked = BestOpen(protectedPath, true);
    const double locked = BestOpen(protectedPath, false);
    if (plain < 0 || unlocked < 0 || locked < 0)
        return 1;
    std::printf("open, 1,000,000 items, unprotected:                      %.3f s\n", plain);
    std::printf("open, 500,000 of them protected, password given:         %.3f s (%.2f x)\n",
                unlocked, unlocked / plain);
    std::printf("open, 500,000 of them protected, left locked:            %.3f s (%.2f x)\n",
                locked, locked / plain);
    std::printf("goal: under 2 x the unprotected open: %s\n",
                unlocked / plain < 2 ? "met" : "MISSED");
    std::filesystem::remove_all(dir);
    return 0;
}
