#include "foundation/NumberFormat.h"

#include <locale.h>
#include <climits>
#include <clocale>
#include <memory>

namespace shelfmark {

namespace {

struct LocaleDeleter {
    void operator()(locale_t locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

NumberFormat& UserSlot() {
    static NumberFormat format = NumberFormat::FromLocale("");
    return format;
}

}  // namespace

NumberFormat NumberFormat::CommaGrouping() {
    NumberFormat format;
    format.decimalSeparator = ".";
    format.thousandsSeparator = ",";
    format.grouping = {3};
    return format;
}

NumberFormat NumberFormat::FromLocale(const char* localeName) {
    NumberFormat format;
    LocaleHandle locale(newlocale(LC_NUMERIC_MASK, localeName, static_cast<locale_t>(nullptr)));
    if (!locale)
        return format;
    // localeconv() answers for the calling thread's locale, so switch just around the call.
    const locale_t previous = uselocale(locale.get());
    const lconv* conventions = localeconv();
    if (conventions->decimal_point && *conventions->decimal_point)
        format.decimalSeparator = conventions->decimal_point;
    if (conventions->thousands_sep)
        format.thousandsSeparator = conventions->thousands_sep;
    for (const char* group = conventions->grouping; group && *group; ++group) {
        if (*group == CHAR_MAX || *group <= 0) {
            format.grouping.push_back(0);
            break;
        }
        format.grouping.push_back(*group);
    }
    uselocale(previous);
    if (format.thousandsSeparator.empty())
        format.grouping.clear();
    return format;
}

const NumberFormat& NumberFormat::User() {
    return UserSlot();
}

void NumberFormat::SetUser(NumberFormat format) {
    UserSlot() = std::move(format);
}

std::string NumberFormat::groupDigits(std::string_view digits) const {
    if (grouping.empty() || thousandsSeparator.empty())
        return std::string(digits);
    // Cut positions counted from the right.
    std::vector<size_t> cuts;
    size_t taken = 0;
    size_t index = 0;
    int size = grouping.front();
    while (size > 0 && taken + static_cast<size_t>(size) < digits.size()) {
        taken += static_cast<size_t>(size);
        cuts.push_back(digits.size() - taken);
        if (index + 1 < grouping.size())
            size = grouping[++index];
    }
    std::string out;
    out.reserve(digits.size() + cuts.size() * thousandsSeparator.size());
    size_t from = 0;
    for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
        out.append(digits.substr(from, *it - from));
        out += thousandsSeparator;
        from = *it;
    }
    out.append(digits.substr(from));
    return out;
}

std::string NumberFormat::format(uint64_t value) const {
    return groupDigits(std::to_string(value));
}

std::string NumberFormat::format(int64_t value) const {
    if (value >= 0)
        return format(static_cast<uint64_t>(value));
    return "-" + format(0 - static_cast<uint64_t>(value));
}

std::string NumberFormat::formatDecimalText(std::string_view digits, int decimals) const {
    const size_t point = digits.find('.');
    std::string whole(digits.substr(0, point));
    std::string fraction(point == std::string_view::npos ? std::string_view()
                                                         : digits.substr(point + 1));
    if (whole.empty())
        whole = "0";
    const size_t wanted = decimals > 0 ? static_cast<size_t>(decimals) : 0;
    bool carry = fraction.size() > wanted && fraction[wanted] >= '5';
    fraction.resize(wanted, '0');
    // Half up, carrying through the kept fraction digits into the whole part.
    for (size_t i = fraction.size(); carry && i-- > 0;) {
        carry = fraction[i] == '9';
        fraction[i] = carry ? '0' : static_cast<char>(fraction[i] + 1);
    }
    for (size_t i = whole.size(); carry && i-- > 0;) {
        carry = whole[i] == '9';
        whole[i] = carry ? '0' : static_cast<char>(whole[i] + 1);
    }
    if (carry)
        whole.insert(whole.begin(), '1');
    std::string out =
        (whole == "0" && !leadingZero && wanted > 0) ? std::string() : groupDigits(whole);
    if (wanted > 0) {
        out += decimalSeparator;
        out += fraction;
    }
    return out;
}

}  // namespace shelfmark
