// The user's number format (digit grouping and separators, read once from the locale at start-up)
// and the number texts built with it. Tests and the command-line tool can install their own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace shelfmark {

struct NumberFormat {
    std::string decimalSeparator = ".";
    std::string thousandsSeparator;
    // Group sizes from the decimal separator leftwards; the last one repeats, 0 ends grouping
    // (the shape of the C library's grouping). Empty: no grouping.
    std::vector<int> grouping;
    // Whether a value below 1 shows its "0" before the decimal separator.
    bool leadingZero = true;

    // "1,234,567.89" style: groups of three, "," and ".".
    static NumberFormat CommaGrouping();
    // The LC_NUMERIC conventions of the named locale ("" = the environment's); the C format when
    // the locale cannot be loaded.
    static NumberFormat FromLocale(const char* localeName = "");

    // The format all number texts use: the environment's, read at the first call, unless
    // SetUser() installed another one before.
    static const NumberFormat& User();
    static void SetUser(NumberFormat format);

    // A whole number with digit grouping.
    std::string format(uint64_t value) const;
    std::string format(int64_t value) const;
    std::string format(int value) const { return format(static_cast<int64_t>(value)); }
    std::string format(unsigned value) const { return format(static_cast<uint64_t>(value)); }
    // A non-negative decimal given as text ("1234.567"), rounded half up to `decimals` digits.
    std::string formatDecimalText(std::string_view digits, int decimals) const;

  private:
    std::string groupDigits(std::string_view digits) const;
};

}  // namespace shelfmark
