// The tag reader's own option, kept beside the MP3 options in the section "Default" of
// "ReadDiskDlg.tkp": bMP3Unicode lets ID3v2 frames in UTF-16 and UTF-8 count. Today's taggers
// write those, so a profile without the key (the one made on first run) reads them; a stored 0
// keeps reading ISO-8859-1 frames only.
#pragma once

#include <string>

#include "reading/tags/Id3Reader.h"

namespace shelfmark {

inline constexpr bool kDefaultMp3Unicode = true;

// Reads the option from the given profile file (default: "ReadDiskDlg.tkp" in the
// configuration directory); a missing file or key gives kDefaultMp3Unicode.
TagReadOptions LoadTagReadOptions(const std::string& profilePath = {});
bool SaveTagReadOptions(const TagReadOptions& options, const std::string& profilePath = {});

}  // namespace shelfmark
