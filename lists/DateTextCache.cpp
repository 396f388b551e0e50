#include "lists/DateTextCache.h"

#include <ctime>

namespace shelfmark {

namespace {

constexpr int64_t kBlock = 15 * 60;

int64_t FloorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

// DateText of a format with an empty time (or date) pattern: the text without the blank that
// joins the two parts.
std::string Part(int64_t time, const DateFormat& format, bool datePart) {
    std::string text = DateText(time, format);
    if (!text.empty())
        text.erase(datePart ? text.size() - 1 : 0, 1);
    return text;
}

}  // namespace

DateTextCache::DateTextCache(const DateFormat& format)
    : dateOnly_{format.datePattern, ""}, timeOnly_{"", format.timePattern} {}

const std::string& DateTextCache::text(int64_t time) {
    const int64_t block = FloorDiv(time, kBlock);
    Offset& offset = offsets_[size_t(block) % offsets_.size()];
    if (offset.block != block) {
        const std::time_t seconds = static_cast<std::time_t>(block * kBlock);
        std::tm local{};
        if (!localtime_r(&seconds, &local)) {
            result_ = DateText(time, DateFormat{dateOnly_.datePattern, timeOnly_.timePattern});
            return result_;
        }
        offset = {block, int64_t(local.tm_gmtoff)};
    }
    const int64_t localTime = time + offset.seconds;
    const int64_t day = FloorDiv(localTime, 86400);
    Day& cached = days_[size_t(day) % days_.size()];
    if (cached.day != day) {
        cached.day = day;
        cached.text = Part(time, dateOnly_, true);
    }
    const size_t minute = size_t((localTime - day * 86400) / 60);
    std::string& clock = minutes_[minute];
    if (clock.empty())
        clock = Part(time, timeOnly_, false);
    result_.assign(cached.text);
    result_ += ' ';
    result_ += clock;
    return result_;
}

}  // namespace shelfmark
