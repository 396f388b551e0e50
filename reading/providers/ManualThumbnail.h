// A thumbnail the user sets by hand for an item (the extra-information editor): the first
// plug-in that offers the file's extension and can make thumbnails provides the picture.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "reading/imaging/Bitmap.h"

namespace shelfmark {

// The message to show when no plug-in produced a picture.
inline constexpr const char* kNoThumbnailPluginText = "No plugin found to handle this file type.";

// Tries the plug-ins "hvsm_*.so" of the folders one at a time (each loaded, asked and let go
// before the next): for each of its extensions equal to the file's (case-insensitive) that has
// the thumbnail capability, it describes the file; the first picture that comes back is scaled
// to the thumbnail edge when larger and returned. Nothing when no plug-in made one.
std::optional<Bitmap> ThumbnailFromPlugins(const std::string& path,
                                           const std::vector<std::string>& directories,
                                           const ThumbnailOptions& options);

}  // namespace shelfmark
