// Header walkers of the archive formats. Each reads only the headers of one archive (following
// its further volumes), skips the compressed data and reports every entry to a sink. Damaged or
// truncated input ends the walk quietly; what was reported before stays reported.
#pragma once

#include <cstdint>
#include <string>

#include "reading/archive/ArchiveEntry.h"
#include "reading/archive/ArchiveKind.h"

namespace shelfmark::archive {

// Each returns true when at least one entry was reported. `startOffset` is where the archive
// starts inside the file (0, or what SfxProbe found inside an executable).
bool WalkZip(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink);
bool WalkRar(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink);
bool WalkCab(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink);
bool WalkAce(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink);
bool WalkArj(const std::string& path, uint64_t startOffset, const ArchiveEntrySink& sink);

// The walker of `kind`; ZIP and JAR share the ZIP walker.
bool WalkArchive(ArchiveKind kind, const std::string& path, uint64_t startOffset,
                 const ArchiveEntrySink& sink);

}  // namespace shelfmark::archive
