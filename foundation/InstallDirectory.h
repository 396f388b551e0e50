// Where the read-only parts of an installation (plug-ins, language files) are. They are found
// from the running program's own place, so an installation made with
// `cmake --install BUILD --prefix DIR`, or moved elsewhere, finds them; the prefix the build was
// configured with comes after.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

// The folder holding the running program (from /proc/self/exe); empty when it cannot be told.
std::string ExecutableDirectory();

// The folders where `relative` (a path below the installation prefix, such as
// "lib/shelfmark/plugins") may be, best first and without repeats: below the prefix of the
// installation the running program belongs to (<program folder>/<bin-to-prefix>/relative) when
// that folder exists, then below the configured prefix.
std::vector<std::string> InstalledDirectories(std::string_view relative);

}  // namespace shelfmark
