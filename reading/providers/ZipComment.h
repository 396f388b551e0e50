// The archive comment of a ZIP file, as the built-in provider describes .zip files with it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace shelfmark {

// Walks the ZIP records from the start of the file (local headers, central directory entries)
// up to the end-of-central-directory record and takes its comment, at most `maxLength` - 1
// bytes. When the walk cannot get there (data descriptors, a stub in front, damage), the
// end record is looked for backwards from the end of the file. Comments that are not UTF-8 are
// taken as Windows-1252. Nothing when there is no comment or it is empty.
std::optional<std::string> ReadZipComment(const std::string& path, size_t maxLength);

}  // namespace shelfmark
