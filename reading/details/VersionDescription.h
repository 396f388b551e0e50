// The descriptive text of a Windows executable's version resource ("Sample Tool, v2.1.0.15"),
// read from the PE file itself: the FileDescription string of the first translation (of another
// table when that one has none) and the file version of the fixed file information ("v2.1.0.15"
// alone when there is no description). Damaged or foreign files give an empty text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace shelfmark {

std::string VersionDescription(const std::string& path);

// The same for an image already in memory.
std::string VersionDescriptionFromBytes(std::span<const uint8_t> image);

}  // namespace shelfmark
