#include "foundation/ValueTexts.h"

#include <langinfo.h>
#include <locale.h>
#include <cctype>
#include <cstdio>

#include "foundation/StringFormat.h"

namespace shelfmark {

namespace {

constexpr uint64_t kKiB = 1024;
constexpr uint64_t kMiB = kKiB * 1024;
constexpr uint64_t kGiB = kMiB * 1024;

// The quotient first printed with two decimals, then rounded to the wanted number of decimals.
std::string Scaled(uint64_t size, uint64_t unit, int decimals, const NumberFormat& format) {
    char printed[64];
    std::snprintf(printed, sizeof printed, "%.2f",
                  static_cast<double>(size) / static_cast<double>(unit));
    return format.formatDecimalText(printed, decimals);
}

DateFormat& UserDateSlot() {
    static DateFormat format = DateFormat::FromLocale("");
    return format;
}

// The environment's LC_TIME, for month names and AM/PM in the patterns.
locale_t TimeLocale() {
    static const locale_t locale = [] {
        locale_t loaded = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
        return loaded ? loaded : newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

}  // namespace

std::string SizeText(uint64_t size, SizeTextMode mode, const NumberFormat& format) {
    switch (mode) {
        case SizeTextMode::Bytes:
            return format.format(size) + " Bytes";
        case SizeTextMode::Kilobytes:
            // Rounded up without overflowing near the top of the range.
            return format.format(size / kKiB + (size % kKiB != 0)) + " KB";
        case SizeTextMode::Automatic:
            break;
    }
    if (size >= (uint64_t{1} << 32) || size > 1000000000)
        return Scaled(size, kGiB,
                      size >= 100 * kGiB  ? 0
                      : size >= 10 * kGiB ? 1
                                          : 2,
                      format) +
               " GB";
    if (size > 1000000)
        return Scaled(size, kMiB, size > 104857599 ? 0 : size > 10485759 ? 1 : 2, format) + " MB";
    if (size > 1000)
        return Scaled(size, kKiB, size >= 102400 ? 0 : size > 10239 ? 1 : 2, format) + " KB";
    return format.format(size) + " Bytes";
}

std::string LengthText(uint32_t seconds) {
    if (seconds > 3600)
        return StringPrintf("%u:%02u:%02u", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return StringPrintf("%u:%02u", seconds / 60, seconds % 60);
}

std::string TimePatternWithoutSeconds(const std::string& pattern) {
    std::string expanded;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            const char conversion = pattern[i + 1];
            if (conversion == 'T')
                expanded += "%H:%M:%S";
            else if (conversion == 'r')
                expanded += "%I:%M:%S %p";
            else
                expanded.append(pattern, i, 2);
            ++i;
        } else {
            expanded += pattern[i];
        }
    }
    std::string out;
    for (size_t i = 0; i < expanded.size(); ++i) {
        if (expanded[i] != '%' || i + 1 >= expanded.size()) {
            out += expanded[i];
            continue;
        }
        // %S, also with the E and O modifiers.
        size_t length = 2;
        if ((expanded[i + 1] == 'E' || expanded[i + 1] == 'O') && i + 2 < expanded.size())
            length = 3;
        if (expanded[i + length - 1] != 'S') {
            out.append(expanded, i, length);
            i += length - 1;
            continue;
        }
        // Drop the separator that led to the seconds (":" or "."), and a unit word written
        // after them in scripts that use one (a non-ASCII suffix).
        while (!out.empty() && out.back() != '%' &&
               std::ispunct(static_cast<unsigned char>(out.back())))
            out.pop_back();
        i += length - 1;
        while (i + 1 < expanded.size() && static_cast<unsigned char>(expanded[i + 1]) >= 0x80)
            ++i;
    }
    return out;
}

DateFormat DateFormat::FromLocale(const char* localeName) {
    DateFormat format;
    locale_t locale = newlocale(LC_TIME_MASK, localeName, static_cast<locale_t>(nullptr));
    if (!locale)
        return format;
    const char* date = nl_langinfo_l(D_FMT, locale);
    const char* time = nl_langinfo_l(T_FMT, locale);
    if (date && *date)
        format.datePattern = date;
    if (time && *time)
        format.timePattern = TimePatternWithoutSeconds(time);
    freelocale(locale);
    return format;
}

const DateFormat& DateFormat::User() {
    return UserDateSlot();
}

void DateFormat::SetUser(DateFormat format) {
    UserDateSlot() = std::move(format);
}

std::string DateText(int64_t time, const DateFormat& format) {
    const std::time_t seconds = static_cast<std::time_t>(time);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return {};
    const std::string pattern = format.datePattern + " " + format.timePattern;
    char buffer[256];
    const size_t length = strftime_l(buffer, sizeof buffer, pattern.c_str(), &local, TimeLocale());
    return std::string(buffer, length);
}

}  // namespace shelfmark
