#include "tests/lists/ListsTestCatalog.h"

#include <cstdlib>
#include <ctime>

#include "tests/search/SearchTestCatalog.h"

namespace shelfmark::testing {

ListsCatalog::ListsCatalog() {
    root = tree.resetToNewCatalog();
    tree.setName(root, "Shelf & Co.tkd");
    music = Add(tree, root, "Music", itemflag::Folder, 0, kListsDate);
    disk = Add(tree, music, "CD One", DiskFlags(MediaType::CdRom), 0, kListsDate);
    tree.setNumberAttribute(disk, attr::DiskId, 7);
    tree.setNumberAttribute(disk, attr::VolumeSerial, 0x12AB34CD);
    tree.setTextAttribute(disk, attr::Volume, "CDONE");
    pop = Add(tree, disk, "Pop", itemflag::Directory, 0, kListsDate);
    artistTitle = Add(tree, pop, "Artist - Title.mp3", 0, 1000, kListsDate);
    tree.setNumberAttribute(artistTitle, attr::Crc32, 0xDEADBEEF);
    titleOnly = Add(tree, pop, "Title only.MP3", 0, 1001, kListsDate);
    tree.setTextAttribute(titleOnly, attr::Description, "Live & <loud>");
    cover = Add(tree, pop, "cover.jpg", 0, 2048, kListsDate);
    bak = Add(tree, pop, "notes.mp3.bak", 0, 10, kListsDate);
    track = Add(tree, disk, "Track 01.cda", 0, 1234, kListsDate);
    tree.setNumberAttribute(track, attr::TrackNumber, 1);
    tree.setNumberAttribute(track, attr::Length, 185);
    shortcut = Add(tree, disk, "link", itemflag::Shortcut | itemflag::Directory, 0, kListsDate);
    locked = Add(tree, root, "Private", itemflag::Folder, 0, kListsDate);
    Add(tree, locked, "secret.mp3", 0, 5, kListsDate);
    const uint8_t check[4] = {1, 2, 3, 4};
    tree.setBlockAttribute(locked, attr::PasswordCheck, check);
}

ListsRows::ListsRows() {
    definitions.reload(*c.root);
}

UtcZone::UtcZone() {
    if (const char* tz = std::getenv("TZ")) {
        saved_ = tz;
        had_ = true;
    }
    ::setenv("TZ", "UTC", 1);
    ::tzset();
}

UtcZone::~UtcZone() {
    if (had_)
        ::setenv("TZ", saved_.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

}  // namespace shelfmark::testing
