// The texts lists show for sizes, lengths and dates.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "foundation/NumberFormat.h"

namespace shelfmark {

enum class SizeTextMode {
    Bytes,      // "1,234 Bytes"
    Kilobytes,  // rounded up: "2 KB"
    Automatic,  // "1,000 Bytes", "0.98 KB", "10.0 MB", "4.66 GB"
};

std::string SizeText(uint64_t size, SizeTextMode mode,
                     const NumberFormat& format = NumberFormat::User());

// A playing time: "%d:%02d:%02d" above one hour, else "%d:%02d" (so 3600 s is "60:00").
std::string LengthText(uint32_t seconds);

// The user's short date and time without seconds, as strftime patterns.
struct DateFormat {
    std::string datePattern = "%m/%d/%y";
    std::string timePattern = "%H:%M";

    // D_FMT and T_FMT of the named locale ("" = the environment's), seconds removed.
    static DateFormat FromLocale(const char* localeName = "");
    static const DateFormat& User();
    static void SetUser(DateFormat format);
};

// A strftime time pattern without its seconds field ("%H:%M:%S" -> "%H:%M", "%r" -> "%I:%M %p").
std::string TimePatternWithoutSeconds(const std::string& pattern);

// The date (seconds since 1970 UTC) in local time: the short date, a blank and the time.
std::string DateText(int64_t time, const DateFormat& format = DateFormat::User());

}  // namespace shelfmark
