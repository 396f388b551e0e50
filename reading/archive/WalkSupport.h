// Pieces every header walker shares: reporting entries, holding back a file split over volumes
// until its last part is seen, and going from one volume of a set to the next.
#pragma once

#include <cstdint>
#include <string>

#include "reading/archive/ArchiveEntry.h"
#include "reading/archive/ArchiveFile.h"
#include "reading/archive/VolumeNames.h"

namespace shelfmark::archive {

class EntryReporter {
  public:
    explicit EntryReporter(const ArchiveEntrySink& sink) : sink_(sink) {}

    // Entries without a path component (a name of only separators) are not reported.
    void report(const ArchiveEntry& entry) {
        if (entry.components.empty())
            return;
        sink_(entry);
        stored_ = true;
    }
    bool stored() const { return stored_; }

    // A file whose first part ends a volume: its facts are completed by the later parts.
    void hold(const ArchiveEntry& entry) {
        held_ = entry;
        holding_ = true;
    }
    bool holding() const { return holding_; }
    ArchiveEntry& held() { return held_; }
    void release() {
        holding_ = false;
        report(held_);
    }

  private:
    const ArchiveEntrySink& sink_;
    bool stored_ = false;
    bool holding_ = false;
    ArchiveEntry held_;
};

enum class VolumeEnd { Next, Stop };

// Walks the first volume from `startOffset`, and every further volume from its start for as
// long as the one before ended with VolumeEnd::Next and the next one exists.
template <typename WalkVolume>
void WalkVolumes(ArchiveKind kind, const std::string& path, uint64_t startOffset,
                 WalkVolume walkVolume) {
    VolumeNames names(kind, path);
    std::string current = path;
    uint64_t offset = startOffset;
    while (true) {
        ArchiveFile file(current);
        if (!file.isOpen() || walkVolume(file, offset) == VolumeEnd::Stop)
            return;
        const auto next = names.next();
        if (!next)
            return;
        current = *next;
        offset = 0;
    }
}

}  // namespace shelfmark::archive
