// MS-DOS dates and times as every archive format stores them.
#pragma once

#include <cstdint>
#include <optional>

namespace shelfmark::archive {

// Seconds since 1970 UTC for an MS-DOS date and time read as local time (daylight saving decided
// by the C library), or nothing when the fields name no real moment (month or day 0, day past the
// month's end, hours above 23, minutes or seconds above 59).
std::optional<int64_t> DosDateTimeToUnix(uint16_t date, uint16_t time);

// The same for a 32-bit field that keeps the date in its high and the time in its low 16 bits.
inline std::optional<int64_t> DosDateTimeToUnix(uint32_t packed) {
    return DosDateTimeToUnix(static_cast<uint16_t>(packed >> 16), static_cast<uint16_t>(packed));
}

}  // namespace shelfmark::archive
