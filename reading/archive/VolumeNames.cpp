#include "reading/archive/VolumeNames.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>

namespace shelfmark::archive {
namespace {

char VolumeLetter(ArchiveKind kind) {
    switch (kind) {
        case ArchiveKind::Rar:
            return 'r';
        case ArchiveKind::Ace:
            return 'c';
        case ArchiveKind::Arj:
            return 'a';
        default:
            return 'z';
    }
}

std::string WithSuffix(const std::string& stem, char letter, unsigned counter) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%c%02u", letter, counter);
    return stem + suffix;
}

bool EndsWithNoCase(const std::string& text, const char* tail) {
    const size_t n = std::char_traits<char>::length(tail);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != tail[i])
            return false;
    return true;
}

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

VolumeNames::VolumeNames(ArchiveKind kind, std::string firstPath, std::string lastPath)
    : letter_(VolumeLetter(kind)),
      stem_(firstPath.size() >= 3 ? firstPath.substr(0, firstPath.size() - 3) : std::string()),
      current_(std::move(firstPath)),
      counter_(kind == ArchiveKind::Zip || kind == ArchiveKind::Jar ? 1 : 0),
      lastPath_(std::move(lastPath)),
      kind_(kind) {
    // A split set read from its ".z01" goes on with ".z02".
    if (!lastPath_.empty())
        counter_ = 2;
}

std::optional<std::string> VolumeNames::nextClassic() {
    if (stem_.empty())
        return std::nullopt;
    std::string candidate = WithSuffix(stem_, letter_, counter_);
    if (IsRegularFile(candidate)) {
        ++counter_;
        return candidate;
    }
    if (kind_ == ArchiveKind::Arj && counter_ == 0 && !arjFallbackTried_) {
        arjFallbackTried_ = true;
        candidate = WithSuffix(stem_, letter_, 1);
        if (IsRegularFile(candidate)) {
            counter_ = 2;
            return candidate;
        }
    }
    return std::nullopt;
}

// "name.part7.rar" -> "name.part8.rar", keeping at least as many digits.
std::optional<std::string> VolumeNames::nextRarPart() {
    if (!EndsWithNoCase(current_, ".rar"))
        return std::nullopt;
    const size_t digitsEnd = current_.size() - 4;
    size_t digitsStart = digitsEnd;
    while (digitsStart > 0 && std::isdigit(static_cast<unsigned char>(current_[digitsStart - 1])))
        --digitsStart;
    if (digitsStart == digitsEnd || digitsEnd - digitsStart > 9 || digitsStart < 5 ||
        !EndsWithNoCase(current_.substr(0, digitsStart), ".part"))
        return std::nullopt;
    const unsigned long number = std::stoul(current_.substr(digitsStart, digitsEnd - digitsStart));
    std::string digits = std::to_string(number + 1);
    if (digits.size() < digitsEnd - digitsStart)
        digits.insert(0, digitsEnd - digitsStart - digits.size(), '0');
    std::string candidate = current_.substr(0, digitsStart) + digits + current_.substr(digitsEnd);
    if (!IsRegularFile(candidate))
        return std::nullopt;
    return candidate;
}

std::optional<std::string> VolumeNames::next() {
    std::optional<std::string> found;
    if (!partNaming_)
        found = nextClassic();
    if (!found && kind_ == ArchiveKind::Rar && !classicOnly_) {
        found = nextRarPart();
        if (found)
            partNaming_ = true;
    }
    if (found && !partNaming_)
        classicOnly_ = true;
    if (!found && !lastPath_.empty()) {
        found = lastPath_;
        lastPath_.clear();
        stem_.clear();
    }
    if (found)
        current_ = *found;
    return found;
}

}  // namespace shelfmark::archive
