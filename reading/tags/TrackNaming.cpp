#include "reading/tags/TrackNaming.h"

#include "foundation/StringFormat.h"

namespace shelfmark {

std::string SubstituteVariables(std::string_view format, const std::vector<std::string>& values) {
    std::string text(format);
    for (size_t n = 0; n < values.size() && n < 9; ++n) {
        const std::string variable = StringPrintf("%%%zu", n + 1);
        std::string next;
        size_t from = 0;
        for (size_t at; (at = text.find(variable, from)) != std::string::npos; from = at + 2) {
            next.append(text, from, at - from);
            next += values[n];
        }
        next.append(text, from);
        text = std::move(next);
    }
    return text;
}

std::string Mp3Description(const TagRecord& tags, std::string_view format) {
    return SubstituteVariables(format, {tags.title, tags.artist, tags.album, tags.comment,
                                        StringPrintf("%02d", tags.trackNumber)});
}

int TrackNumberFromPath(std::string_view path) {
    const size_t slash = path.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (!name.starts_with("Track"))
        return 0;
    name.remove_prefix(5);
    int number = 0;
    for (size_t i = 0; i < name.size() && name[i] >= '0' && name[i] <= '9' && number < 1000; ++i)
        number = number * 10 + (name[i] - '0');
    return number;
}

std::string TrackDescription(int trackNumber, std::string_view artist, std::string_view title,
                             std::string_view trackFormat) {
    if (trackNumber <= 0 || (artist.empty() && title.empty()))
        return {};
    if (trackFormat.empty())
        return std::string(title);
    return SubstituteVariables(
        trackFormat, {StringPrintf("%02d", trackNumber), std::string(artist), std::string(title)});
}

}  // namespace shelfmark
