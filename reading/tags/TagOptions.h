// The tag reader's own option, kept beside the MP3 options in the section "Default" of
// "ReadDiskDlg.tkp": bMP3Unicode (default 0) lets ID3v2 frames in UTF-16 and UTF-8 count.
#pragma once

#include <string>

#include "reading/tags/Id3Reader.h"

namespace shelfmark {

// Reads the option from the given profile file (default: "ReadDiskDlg.tkp" in the
// configuration directory); a missing file or key gives the default.
TagReadOptions LoadTagReadOptions(const std::string& profilePath = {});
bool SaveTagReadOptions(const TagReadOptions& options, const std::string& profilePath = {});

}  // namespace shelfmark
