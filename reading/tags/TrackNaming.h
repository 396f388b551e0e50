// Description texts of MP3 files and audio-CD tracks, built from a format with the numbered
// variables %1 ... %5.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reading/tags/Id3Reader.h"

namespace shelfmark {

// Replaces every occurrence of %1, then of %2, ... each over the text produced so far, so a
// value that itself holds "%3" is replaced again by the later variables. Variables without a
// value are left as they are.
std::string SubstituteVariables(std::string_view format, const std::vector<std::string>& values);

// The MP3 description: %1 title, %2 artist, %3 album, %4 comment, %5 track number ("%02d").
std::string Mp3Description(const TagRecord& tags, std::string_view format);

// The track number of a track item's path: the number after "Track" in its last component
// ("C:\Track02.cda" and "/media/cd/Track02.cda" give 2); 0 when there is none.
int TrackNumberFromPath(std::string_view path);

// The description of a track from the artist (the track's, or the disc's when the track has
// none) and title the disc information gives it: empty when the track number is 0 or both texts
// are empty; the title when the track format is empty; otherwise the format with %1 the track
// number ("%02d"), %2 the artist and %3 the title.
std::string TrackDescription(int trackNumber, std::string_view artist, std::string_view title,
                             std::string_view trackFormat);

}  // namespace shelfmark
