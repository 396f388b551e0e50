// DateText for many items at once: a list of a million files would otherwise convert and format
// every date from scratch (a time-zone lookup and a strftime each). The date part is the same
// for every time of a local day, and the time part (without seconds) for every minute of the
// day, so each is made once and kept; the zone's offset is looked up once per quarter hour of
// UTC time, the finest step at which zones change their offset.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "foundation/ValueTexts.h"

namespace shelfmark {

class DateTextCache {
  public:
    explicit DateTextCache(const DateFormat& format = DateFormat::User());
    // The same text as DateText(time, format).
    const std::string& text(int64_t time);

  private:
    struct Offset {
        int64_t block = INT64_MIN;
        int64_t seconds = 0;
    };
    struct Day {
        int64_t day = INT64_MIN;
        std::string text;
    };
    DateFormat dateOnly_;
    DateFormat timeOnly_;
    std::array<Offset, 1024> offsets_;
    std::array<Day, 4096> days_;
    std::array<std::string, 1440> minutes_;
    std::string result_;
};

}  // namespace shelfmark
