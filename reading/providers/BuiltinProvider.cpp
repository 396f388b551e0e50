#include "reading/providers/BuiltinProvider.h"

#include <cstring>

#include "reading/audio/DiscInformation.h"
#include "reading/details/VersionDescription.h"
#include "reading/providers/ProviderResults.h"
#include "reading/providers/ZipComment.h"
#include "reading/tags/TagOptions.h"
#include "reading/tags/TrackNaming.h"

namespace shelfmark {

namespace {

void AddText(ProviderRequest& request, uint8_t key, std::string_view text) {
    ShelfmarkAddTextResult(&request, key, text.data(), text.size());
}

// Attribute keys of the results.
constexpr uint8_t kDescriptionKey = 0x80;
constexpr uint8_t kArtistKey = 0x85;
constexpr uint8_t kTitleKey = 0x86;
constexpr uint8_t kCommentKey = 0x89;
constexpr uint8_t kAlbumKey = 0x8B;
constexpr uint8_t kTrackNumberKey = 0x4A;

}  // namespace

BuiltinProvider::BuiltinProvider(std::string profilePath) : profilePath_(std::move(profilePath)) {}

void BuiltinProvider::reloadOptions() {
    mp3_ = LoadMp3Options(profilePath_);
    tagOptions_ = LoadTagReadOptions(profilePath_);
}

int BuiltinProvider::command(ProviderRequest* request) {
    if (!request)
        return 0;
    switch (request->command) {
        case SHELFMARK_COMMAND_QUERY: {
            const size_t length = std::strlen(kBuiltinExtensions);
            if (!request->u.query.buffer || request->u.query.bufferSize <= length)
                return 0;
            std::memcpy(request->u.query.buffer, kBuiltinExtensions, length + 1);
            reloadOptions();
            return 1;
        }
        case SHELFMARK_COMMAND_CAPABILITIES:
            if (request->extensionIndex == kCda || request->extensionIndex == kMp3)
                request->u.capabilities.flags |= SHELFMARK_CAN_CONFIGURE;
            return 1;
        case SHELFMARK_COMMAND_CONFIGURE:
            if (!configure_ || (request->extensionIndex != kCda && request->extensionIndex != kMp3))
                return 0;
            if (configure_(request->extensionIndex))
                reloadOptions();
            return 1;
        case SHELFMARK_COMMAND_DESCRIBE:
            return describe(*request);
        case SHELFMARK_COMMAND_ABOUT:
            if (!about_)
                return 0;
            about_();
            return 1;
        case 6:
            return 1;  // answered without doing anything, as callers of old expect
        default:
            return 0;
    }
}

int BuiltinProvider::describe(ProviderRequest& request) const {
    if (!request.u.describe.path || request.extensionIndex > kMp3)
        return 0;
    const std::string path = request.u.describe.path;
    switch (request.extensionIndex) {
        case kCda:
            describeTrack(request, path);
            break;
        case kDll:
        case kExe:
            // An empty text also removes a description the item had.
            AddText(request, kDescriptionKey, VersionDescription(path));
            break;
        case kZip:
            if (const auto comment = ReadZipComment(path, request.u.describe.maxTextLength))
                AddText(request, kDescriptionKey, *comment);
            break;
        case kMp3:
            describeMp3(request, path);
            break;
    }
    return 1;
}

void BuiltinProvider::describeMp3(ProviderRequest& request, const std::string& path) const {
    const std::optional<TagRecord> tags = ReadTags(path, tagOptions_);
    if (!tags)
        return;
    if (mp3_.bMP3EITitle)
        AddText(request, kTitleKey, tags->title);
    if (mp3_.bMP3EIArtist)
        AddText(request, kArtistKey, tags->artist);
    if (mp3_.bMP3EIAlbum)
        AddText(request, kAlbumKey, tags->album);
    if (mp3_.bMP3EIComment)
        AddText(request, kCommentKey, tags->comment);
    if (mp3_.bMP3EITrackNum && tags->trackNumber != 0)
        ShelfmarkAddNumberResult(&request, kTrackNumberKey,
                                 static_cast<uint32_t>(tags->trackNumber));
    if (mp3_.bMP3Description)
        AddText(request, kDescriptionKey, Mp3Description(*tags, mp3_.effectiveFormat()));
}

void BuiltinProvider::describeTrack(ProviderRequest& request, const std::string& path) const {
    const int track = TrackNumberFromPath(path);
    if (track <= 0)
        return;
    static const DiscInformation kNoNames;
    const DiscInformation& disc = disc_ != nullptr ? *disc_ : kNoNames;
    const auto index = static_cast<size_t>(track);
    const std::string& artist = disc.artist(index).empty() ? disc.artist(0) : disc.artist(index);
    const std::string description =
        TrackDescription(track, artist, disc.title(index), trackFormat_);
    if (!description.empty())
        AddText(request, kDescriptionKey, description);
}

}  // namespace shelfmark
