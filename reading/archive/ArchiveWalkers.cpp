#include "reading/archive/ArchiveWalkers.h"

namespace shelfmark::archive {

bool WalkArchive(ArchiveKind kind, const std::string& path, uint64_t startOffset,
                 const ArchiveEntrySink& sink) {
    switch (kind) {
        case ArchiveKind::Zip:
        case ArchiveKind::Jar:
            return WalkZip(path, startOffset, sink);
        case ArchiveKind::Rar:
            return WalkRar(path, startOffset, sink);
        case ArchiveKind::Cab:
            return WalkCab(path, startOffset, sink);
        case ArchiveKind::Ace:
            return WalkAce(path, startOffset, sink);
        case ArchiveKind::Arj:
            return WalkArj(path, startOffset, sink);
    }
    return false;
}

}  // namespace shelfmark::archive
