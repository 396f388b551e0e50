// Microsoft Cabinet: the CFFILE table of one cabinet. Cabinets keep no directories worth a tree
// (every file goes directly under the archive) and multi-cabinet sets are not followed.
#include <cstring>

#include "foundation/Utf8Text.h"
#include "reading/archive/ArchiveFile.h"
#include "reading/archive/ArchiveWalkers.h"
#include "reading/archive/DosTime.h"
#include "reading/archive/NameText.h"
#include "reading/archive/WalkSupport.h"

namespace shelfmark::archive {
namespace {

constexpr size_t kMaxCabName = 256;

}  // namespace

bool WalkCab(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink) {
    ArchiveFile file(path);
    unsigned char header[36];
    if (!file.isOpen() || !file.seek(startOffset) || !file.readExact(header, sizeof header) ||
        std::memcmp(header, "MSCF", 4) != 0)
        return false;
    if (!file.seek(startOffset + Le32(header + 16)))
        return false;
    const uint16_t fileCount = Le16(header + 28);

    EntryReporter reporter(sink);
    ArchiveEntry entry;
    entry.components.resize(1);
    std::string name;
    for (uint16_t i = 0; i < fileCount; ++i) {
        unsigned char record[16];
        if (!file.readExact(record, sizeof record))
            break;
        name.clear();
        int byte = 0;
        while ((byte = file.readByte()) > 0) {
            if (name.size() < kMaxCabName)
                name.push_back(static_cast<char>(byte));
        }
        if (byte < 0)
            break;
        const size_t slash = name.rfind('\\');
        const std::string_view last =
            std::string_view(name).substr(slash == std::string::npos ? 0 : slash + 1);
        if (last.empty())
            continue;
        // Names are kept as stored (UTF-8 when the attribute says so, and in practice whenever
        // they decode as UTF-8); other bytes, also of a name wrongly marked UTF-8, are the ANSI
        // code page's.
        std::string& component = entry.components.front();
        component.clear();
        if (text::IsValidUtf8(last))
            component.assign(last);
        else
            AppendWindows1252AsUtf8(component, last);
        entry.size = Le32(record);
        entry.date = DosDateTimeToUnix(Le16(record + 10), Le16(record + 12)).value_or(0);
        reporter.report(entry);
    }
    return reporter.stored();
}

}  // namespace shelfmark::archive
