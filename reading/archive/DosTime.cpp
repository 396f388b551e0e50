#include "reading/archive/DosTime.h"

#include <ctime>

namespace shelfmark::archive {
namespace {

int DaysInMonth(int month, int year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<int64_t> DosDateTimeToUnix(uint16_t date, uint16_t time) {
    const int seconds = (time & 0x1F) * 2;
    const int minutes = (time >> 5) & 0x3F;
    const int hours = time >> 11;
    const int day = date & 0x1F;
    const int month = (date >> 5) & 0x0F;
    const int year = 1980 + (date >> 9);
    if (seconds > 59 || minutes > 59 || hours > 23 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(month, year))
        return std::nullopt;

    // Archives list many entries with one time; converting it once is worth a comparison.
    thread_local uint32_t cachedKey = 0;
    thread_local int64_t cachedValue = 0;
    const uint32_t key = (static_cast<uint32_t>(date) << 16) | time;
    if (key == cachedKey && key != 0)
        return cachedValue;

    std::tm parts{};
    parts.tm_sec = seconds;
    parts.tm_min = minutes;
    parts.tm_hour = hours;
    parts.tm_mday = day;
    parts.tm_mon = month - 1;
    parts.tm_year = year - 1900;
    parts.tm_isdst = -1;
    const std::time_t value = std::mktime(&parts);
    if (value == static_cast<std::time_t>(-1))
        return std::nullopt;
    cachedKey = key;
    cachedValue = static_cast<int64_t>(value);
    return cachedValue;
}

}  // namespace shelfmark::archive
