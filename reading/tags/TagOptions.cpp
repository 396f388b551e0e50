#include "reading/tags/TagOptions.h"

#include "foundation/ConfigDirectory.h"
#include "foundation/ProfileFile.h"
#include "foundation/ProfileUpdate.h"
#include "reading/profiles/ReadProfiles.h"

namespace shelfmark {

namespace {

constexpr std::string_view kUnicodeKey = "bMP3Unicode";

std::string ProfilePath(const std::string& profilePath) {
    return profilePath.empty() ? ResolveConfigPath(kReadProfileFileName) : profilePath;
}

}  // namespace

TagReadOptions LoadTagReadOptions(const std::string& profilePath) {
    const ProfileFile file(ProfilePath(profilePath));
    TagReadOptions options;
    options.bMP3Unicode =
        file.getInt(kDefaultProfileSection, kUnicodeKey, kDefaultMp3Unicode ? 1 : 0) != 0;
    return options;
}

bool SaveTagReadOptions(const TagReadOptions& options, const std::string& profilePath) {
    if (profilePath.empty())
        EnsureConfigDirectory();
    return UpdateProfileFile(ProfilePath(profilePath), [&](ProfileFile& file) {
        file.setInt(kDefaultProfileSection, kUnicodeKey, options.bMP3Unicode ? 1 : 0);
    });
}

}  // namespace shelfmark
