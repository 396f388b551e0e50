// The version resource of a Windows executable: finding its bytes in a PE or PE32+ file
// (resource directory, type RT_VERSION) and taking the VS_VERSIONINFO block apart. Every offset
// and length comes from the file, so each is checked before use; damage gives no result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shelfmark {

// Random access to the bytes of a file or a buffer.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Copies `count` bytes at `offset`; false when they are not all there.
    virtual bool read(uint64_t offset, void* out, size_t count) const = 0;
};

class MemoryByteSource final : public ByteSource {
  public:
    explicit MemoryByteSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    bool read(uint64_t offset, void* out, size_t count) const override;

  private:
    std::span<const uint8_t> bytes_;
};

// The bytes of the first RT_VERSION resource (name 1 when present, else the first name; the
// first language), or nothing when the file is no PE file or has none.
std::optional<std::vector<uint8_t>> FindVersionResource(const ByteSource& file);

struct VersionStringTable {
    std::string key;  // language and code page as 8 hexadecimal digits, e.g. "040904B0"
    std::vector<std::pair<std::string, std::string>> strings;  // UTF-8 name, value
};

struct VersionInfo {
    // dwFileVersionMS and dwFileVersionLS of the fixed file information, when it is valid.
    std::optional<std::pair<uint32_t, uint32_t>> fileVersion;
    // VarFileInfo\Translation: each pair is (language, code page).
    std::vector<std::pair<uint16_t, uint16_t>> translations;
    std::vector<VersionStringTable> stringTables;

    // A string of a table, both names compared without regard to case; null when absent.
    const std::string* findString(std::string_view tableKey, std::string_view name) const;
};

// Takes a VS_VERSIONINFO block apart; nothing when it is not one.
std::optional<VersionInfo> ParseVersionInfo(std::span<const uint8_t> block);

}  // namespace shelfmark
