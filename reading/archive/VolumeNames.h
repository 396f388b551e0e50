// Names of the further volumes of a multi-volume archive. The first name tried is always the
// classic one (the 3-character extension replaced by "z01", "r00", "c00" or "a00", counting up);
// when that file does not exist, the names real archivers give their sets are tried:
//   RAR 3 and later: "name.part1.rar", "name.part2.rar", ... (any number of digits);
//   ARJ: the series starts at ".a01";
//   Info-ZIP and WinZip split sets: ".z01", ".z02", ... and the ".zip" itself as the last part.
#pragma once

#include <optional>
#include <string>

#include "reading/archive/ArchiveKind.h"

namespace shelfmark::archive {

class VolumeNames {
  public:
    // `firstPath` is the volume read first. For a ZIP split set read from its ".z01",
    // `lastPath` is the ".zip" that closes the set.
    VolumeNames(ArchiveKind kind, std::string firstPath, std::string lastPath = {});

    // The path of the next volume that exists, or nothing when the set ends there.
    std::optional<std::string> next();

  private:
    std::optional<std::string> nextClassic();
    std::optional<std::string> nextRarPart();

    char letter_;
    std::string stem_;     // the first path without its 3-character extension
    std::string current_;  // the volume read last
    unsigned counter_;     // the counter of the next classic name
    bool classicOnly_ = false;
    bool partNaming_ = false;
    bool arjFallbackTried_ = false;
    std::string lastPath_;
    ArchiveKind kind_;
};

// Whether a file exists as a regular file.
bool IsRegularFile(const std::string& path);

}  // namespace shelfmark::archive
