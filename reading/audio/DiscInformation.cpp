#include "reading/audio/DiscInformation.h"

#include "foundation/ProfileFile.h"
#include "foundation/StringFormat.h"
#include "reading/tags/TrackNaming.h"

namespace shelfmark {

namespace {

const std::string& TextAt(const std::vector<std::string>& texts, size_t index) {
    static const std::string empty;
    return index < texts.size() ? texts[index] : empty;
}

}  // namespace

const std::string& DiscInformation::title(size_t index) const {
    return TextAt(titles, index);
}
const std::string& DiscInformation::artist(size_t index) const {
    return TextAt(artists, index);
}

uint32_t CdPlayerKey(const AudioDisc& disc) {
    uint32_t key = 0;
    for (const AudioTrack& track : disc.tracks)
        if (track.isAudio())
            key += track.start.packedForKey();
    if (disc.tracks.size() > 2)
        return key;
    key += disc.length().frameCount() + 1;
    if (disc.tracks.size() == 2)
        key += disc.tracks.front().start.frames;
    return key;
}

bool LookUpCdPlayerIni(uint32_t key, DiscInformation& information, std::string_view iniPath) {
    ProfileFile file(iniPath);
    file.clearPath();  // only read here
    const std::string section = StringPrintf("%04X", key);
    const int trackCount = file.getInt(section, "numtracks", 0);
    // Real discs have at most 99 tracks; a damaged count must not size the arrays.
    if (trackCount <= 0 || trackCount > 99)
        return false;
    information.titles.assign(static_cast<size_t>(trackCount) + 1, {});
    information.artists.assign(static_cast<size_t>(trackCount) + 1, {});
    information.artists[0] = file.getString(section, "artist");
    information.titles[0] = file.getString(section, "title");
    for (int i = 0; i < trackCount; ++i) {
        information.titles[static_cast<size_t>(i) + 1] = file.getString(section, std::to_string(i));
        information.artists[static_cast<size_t>(i) + 1] = information.artists[0];
    }
    return true;
}

bool LookUpDiscInformation(const AudioDisc& disc, bool cdTextWanted, DiscInformation& information,
                           std::string_view iniPath) {
    information = {};
    if (!disc.hasAudio())
        return false;
    information.key = CdPlayerKey(disc);
    if (information.key == 0)
        return false;
    if (cdTextWanted && ParseCdText(disc.cdText, information))
        return true;
    information.titles.clear();
    information.artists.clear();
    return LookUpCdPlayerIni(information.key, information, iniPath);
}

std::string ProposeAudioDiscName(const DiscInformation& information, bool useDiscFormat,
                                 std::string_view discFormat) {
    const std::string& artist = information.artist(0);
    const std::string& title = information.title(0);
    if (artist.empty() && title.empty())
        return {};
    if (useDiscFormat && !discFormat.empty())
        return SubstituteVariables(discFormat, {artist, title});
    return artist + " - " + title;
}

}  // namespace shelfmark
