#include "reading/details/VersionDescription.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/StringFormat.h"
#include "reading/details/VersionResource.h"

namespace shelfmark {

namespace {

class FileByteSource final : public ByteSource {
  public:
    explicit FileByteSource(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)) {
        struct stat info {};
        if (fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode))
            size_ = static_cast<uint64_t>(info.st_size);
    }
    ~FileByteSource() override {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    uint64_t size() const override { return size_; }

    bool read(uint64_t offset, void* out, size_t count) const override {
        if (offset > size_ || count > size_ - offset)
            return false;
        auto* bytes = static_cast<unsigned char*>(out);
        while (count > 0) {
            const ssize_t got = ::pread(fd_, bytes, count, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            bytes += got;
            offset += static_cast<uint64_t>(got);
            count -= static_cast<size_t>(got);
        }
        return true;
    }

  private:
    int fd_;
    uint64_t size_ = 0;
};

bool IsTrailingBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr std::string_view kDescriptionName = "FileDescription";

// The description of the first translation's string table. Many files declare one language and
// keep their strings under another (en-US declared, en-GB stored), which leaves that table
// without a description: then the other declared translations are asked, and last any table
// that has one, so that a description the file holds is never lost.
std::string FindDescription(const VersionInfo& info) {
    std::vector<std::pair<uint16_t, uint16_t>> translations = info.translations;
    if (translations.empty())
        translations.emplace_back(0, 0);
    for (const auto& [language, codePage] : translations) {
        if (const std::string* description =
                info.findString(StringPrintf("%04X%04X", language, codePage), kDescriptionName))
            return *description;
    }
    for (const VersionStringTable& table : info.stringTables) {
        if (const std::string* description = info.findString(table.key, kDescriptionName))
            return *description;
    }
    return {};
}

// "Description, v1.2.3.4"; the version alone without a separator in front of it.
std::string DescribeVersionInfo(const VersionInfo& info) {
    std::string text = FindDescription(info);
    while (!text.empty() && IsTrailingBlank(text.back()))
        text.pop_back();
    if (info.fileVersion) {
        const auto [most, least] = *info.fileVersion;
        if (!text.empty())
            text += ", ";
        text +=
            StringPrintf("v%u.%u.%u.%u", most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF);
    }
    return text;
}

std::string DescribeImage(const ByteSource& source) {
    const auto resource = FindVersionResource(source);
    if (!resource)
        return {};
    const auto info = ParseVersionInfo(*resource);
    return info ? DescribeVersionInfo(*info) : std::string();
}

}  // namespace

std::string VersionDescription(const std::string& path) {
    const FileByteSource source(path);
    return DescribeImage(source);
}

std::string VersionDescriptionFromBytes(std::span<const uint8_t> image) {
    const MemoryByteSource source(image);
    return DescribeImage(source);
}

}  // namespace shelfmark
