// The MP3 tag options of the built-in description provider. They live in the section "Default"
// of "ReadDiskDlg.tkp" whichever read profile is in use.
#pragma once

#include <string>

namespace shelfmark {

struct Mp3Options {
    bool bMP3Description = true;  // make a description from the tags
    bool bUserMP3ID3Format = false;
    std::string UserMP3ID3Format;
    bool bMP3EITitle = true;
    bool bMP3EIArtist = true;
    bool bMP3EIAlbum = true;
    bool bMP3EIComment = true;
    bool bMP3EITrackNum = true;

    // The user's format when chosen and not empty, otherwise "%2 - %1" (artist - title).
    std::string effectiveFormat() const;
};

// Read from / written to the given profile file; the default path is "ReadDiskDlg.tkp" in the
// configuration directory. A missing file gives the defaults; save answers false when the
// file cannot be written.
Mp3Options LoadMp3Options(const std::string& profilePath = {});
bool SaveMp3Options(const Mp3Options& options, const std::string& profilePath = {});

}  // namespace shelfmark
