// Builds catalog file bytes by hand, field by field, for comparing against the writer and for
// feeding the reader files it could not have written itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace shelfmark::testing {

class FileBytes {
  public:
    FileBytes& u8(uint8_t v) {
        bytes_ += char(v);
        return *this;
    }
    FileBytes& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    FileBytes& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    FileBytes& raw(std::string_view s) {
        bytes_ += s;
        return *this;
    }
    // A text in the short form (n < 255).
    FileBytes& text(std::string_view s) { return u8(uint8_t(s.size())).raw(s); }
    FileBytes& header() {
        return raw(std::string_view("Tarnwick Database\r\n\x1A\0", 21)).u8(0x30);
    }
    FileBytes& oldHeader(uint8_t version) {
        return raw(std::string_view("Old Disk Index\r\n\x1A\0", 18)).u8(version);
    }
    const std::string& str() const { return bytes_; }

  private:
    std::string bytes_;
};

}  // namespace shelfmark::testing
