// ncdu exports: any bytes read or fail cleanly; what was read, written back as an ncdu export
// and read again, gives the same files with the same sizes.
#include <set>
#include <string>

#include "exchange/NcduFormat.h"
#include "fuzz/exchange_common_fuzz.h"

namespace {

std::multiset<std::pair<std::string, uint64_t>> Files(const shelfmark::CatalogItem* disk) {
    std::multiset<std::pair<std::string, uint64_t>> files;
    shelfmark::WalkBelow(disk, shelfmark::EnterAll, [&](shelfmark::CatalogItem& item) {
        if (!item.isContainer())
            files.emplace(std::string(item.name()), item.size());
        return true;
    });
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace shelfmark;
    const std::string_view text = fuzz::Text(data, size);
    fuzz::ReadAndCheck([&](ForeignTreeBuilder& builder, ForeignReadError& error) {
        if (!ReadNcduExport(text, builder, error))
            return false;
        builder.finish();
        const CatalogItem* disk = builder.disks().at(0);
        const std::string again = WriteNcduExport(*disk, 0);
        CatalogTree second;
        CatalogItem* folder = second.createItem("again", TopLevel, Last, itemflag::Folder);
        ForeignTreeBuilder reread(second, folder);
        ForeignReadError secondError;
        fuzz::Check(ReadNcduExport(again, reread, secondError));
        reread.finish();
        fuzz::Check(Files(reread.disks().at(0)) == Files(disk));
        return true;
    });
    return 0;
}
