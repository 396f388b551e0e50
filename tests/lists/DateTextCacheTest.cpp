// The cached date texts against DateText itself, in zones with daylight saving, half-hour
// changes and odd offsets.
#include "lists/DateTextCache.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <random>

namespace shelfmark {
namespace {

class Zone {
  public:
    explicit Zone(const char* zone) {
        if (const char* tz = std::getenv("TZ"))
            saved_ = tz;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~Zone() {
        if (saved_.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", saved_.c_str(), 1);
        ::tzset();
    }

  private:
    std::string saved_;
};

TEST(DateTextCache, AgreesWithDateTextEverywhere) {
    const DateFormat formats[] = {{"%m/%d/%y", "%H:%M"}, {"%d.%m.%Y", "%I:%M %p"}, {"%a %e %b", "%H.%M"}};
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "Asia/Kathmandu",
                             "America/St_Johns"}) {
        Zone tz(zone);
        for (const DateFormat& format : formats) {
            DateTextCache cache(format);
            std::mt19937 random(11);
            for (int i = 0; i < 20000; ++i) {
                // Spread over 1960-2040, and crowded around the days the clocks change.
                const int64_t time = i % 2 ? int64_t(random() % 2'500'000'000u) - 300'000'000
                                           : 1'711'846'800 + int64_t(random() % 400'000) - 200'000;
                ASSERT_EQ(cache.text(time), DateText(time, format)) << zone << " " << time;
            }
            ASSERT_EQ(cache.text(0), DateText(0, format));
            ASSERT_EQ(cache.text(-1), DateText(-1, format));
        }
    }
}

}  // namespace
}  // namespace shelfmark
