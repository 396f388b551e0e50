// Disc and track names of an audio CD, from its CD-Text or from the CD player's database file
// cdplayer.ini, and the key that identifies the disc in that file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "reading/audio/AudioDisc.h"

namespace shelfmark {

// Titles and artists: index 0 is the disc, 1 ... n the tracks.
struct DiscInformation {
    uint32_t key = 0;  // the CdPlayerKey of the disc the names belong to
    std::vector<std::string> titles;
    std::vector<std::string> artists;

    // The text at the index, or the empty text beyond the arrays.
    const std::string& title(size_t index) const;
    const std::string& artist(size_t index) const;
};

// The file the CD player keeps its disc names in, in the configuration directory.
inline constexpr std::string_view kCdPlayerIniName = "cdplayer.ini";

// The key of the CD player's database: the packed MSF starts of the audio tracks added up; a disc
// of one or two tracks also adds its length in frames, 1, and with two tracks the frames of
// track 1's start.
uint32_t CdPlayerKey(const AudioDisc& disc);

// Parses the answer to READ TOC/PMA/ATIP format 5 into titles (packs 0x80) and performers (0x81)
// of block 0; text bytes are single-byte characters, stored as UTF-8. True when at least one such
// pack was seen. The arrays are extended as the texts need, never cleared.
bool ParseCdText(std::span<const uint8_t> answer, DiscInformation& information);

// Looks the key up in cdplayer.ini (a bare name lies in the configuration directory): section
// "%04X" of the key, numtracks, artist, title and the track titles under "0", "1", ...
bool LookUpCdPlayerIni(uint32_t key, DiscInformation& information,
                       std::string_view iniPath = kCdPlayerIniName);

// Fills the names of the disc: from CD-Text when wanted and present, else from cdplayer.ini.
// False, with the arrays empty, when the disc has no audio track or nothing is found.
bool LookUpDiscInformation(const AudioDisc& disc, bool cdTextWanted, DiscInformation& information,
                           std::string_view iniPath = kCdPlayerIniName);

// The disk name the read dialog proposes for an audio CD: the disc name format ("%1" artist,
// "%2" title) when it is used and not empty, else artist " - " title. Empty when artist and
// title are both empty.
std::string ProposeAudioDiscName(const DiscInformation& information, bool useDiscFormat,
                                 std::string_view discFormat);

}  // namespace shelfmark
