// An arbitrary cdplayer.ini listed and imported whole into a new catalog: every disk must hold
// at most 99 tracks of 44 bytes and carry their total as its size.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "cdlookup/CdPlayerIni.h"
#include "catalog/CatalogDocument.h"
#include "foundation/Prompter.h"

namespace {

const std::string& IniPath() {
    static const std::string path = [] {
        char name[] = "/tmp/cdplayer-fuzz-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        return std::string(name);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    {
        std::ofstream out(IniPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    SilentPrompter prompter;
    CatalogDocument document(prompter);
    document.newCatalog();
    CdPlayerImport request;
    request.target = document.tree().root();
    request.discs = ListCdPlayerDiscs("%1/%2", IniPath());
    request.trackFormat = "%3 %1 %2";
    request.iniPath = IniPath();
    std::vector<CatalogItem*> disks;
    if (request.discs.empty())
        return 0;
    if (ImportFromCdPlayer(document, request, &disks) != EditStatus::Done ||
        disks.size() != request.discs.size())
        __builtin_trap();
    for (const CatalogItem* disk : disks) {
        uint64_t tracks = 0;
        for (const CatalogItem* track = disk->firstChild(); track; track = track->next())
            ++tracks;
        if (tracks > 99 || disk->size() != 44 * tracks)
            __builtin_trap();
    }
    return 0;
}
