#include "reading/profiles/Mp3Options.h"

#include <string_view>

#include "foundation/ConfigDirectory.h"
#include "foundation/ProfileFile.h"
#include "foundation/ProfileUpdate.h"
#include "reading/profiles/ReadProfiles.h"

namespace shelfmark {

namespace {

struct FlagKey {
    std::string_view key;
    bool Mp3Options::*member;
};

constexpr FlagKey kFlagKeys[] = {
    {"bMP3Description", &Mp3Options::bMP3Description},
    {"bUserMP3ID3Format", &Mp3Options::bUserMP3ID3Format},
    {"bMP3EITitle", &Mp3Options::bMP3EITitle},
    {"bMP3EIArtist", &Mp3Options::bMP3EIArtist},
    {"bMP3EIAlbum", &Mp3Options::bMP3EIAlbum},
    {"bMP3EIComment", &Mp3Options::bMP3EIComment},
    {"bMP3EITrackNum", &Mp3Options::bMP3EITrackNum},
};

constexpr std::string_view kFormatKey = "UserMP3ID3Format";

std::string ProfilePath(const std::string& profilePath) {
    return profilePath.empty() ? ResolveConfigPath(kReadProfileFileName) : profilePath;
}

}  // namespace

std::string Mp3Options::effectiveFormat() const {
    if (bUserMP3ID3Format && !UserMP3ID3Format.empty())
        return UserMP3ID3Format;
    return "%2 - %1";
}

Mp3Options LoadMp3Options(const std::string& profilePath) {
    const ProfileFile file(ProfilePath(profilePath));
    Mp3Options options;
    for (const FlagKey& flag : kFlagKeys)
        options.*flag.member =
            file.getInt(kDefaultProfileSection, flag.key, options.*flag.member ? 1 : 0) != 0;
    options.UserMP3ID3Format = file.getString(kDefaultProfileSection, kFormatKey);
    return options;
}

bool SaveMp3Options(const Mp3Options& options, const std::string& profilePath) {
    if (profilePath.empty())
        EnsureConfigDirectory();
    return UpdateProfileFile(ProfilePath(profilePath), [&](ProfileFile& file) {
        for (const FlagKey& flag : kFlagKeys)
            file.setInt(kDefaultProfileSection, flag.key, options.*flag.member ? 1 : 0);
        file.setString(kDefaultProfileSection, kFormatKey, options.UserMP3ID3Format);
    });
}

}  // namespace shelfmark
