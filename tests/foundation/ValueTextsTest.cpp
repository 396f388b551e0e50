#include "foundation/ValueTexts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tests/support/TestSupport.h"

namespace shelfmark {
namespace {

const NumberFormat kComma = NumberFormat::CommaGrouping();

TEST(NumberFormat, GroupsDigits) {
    EXPECT_EQ(kComma.format(uint64_t{0}), "0");
    EXPECT_EQ(kComma.format(uint64_t{999}), "999");
    EXPECT_EQ(kComma.format(uint64_t{1000}), "1,000");
    EXPECT_EQ(kComma.format(uint64_t{1234567}), "1,234,567");
    EXPECT_EQ(kComma.format(UINT64_MAX), "18,446,744,073,709,551,615");
    EXPECT_EQ(kComma.format(int64_t{-1234}), "-1,234");
    EXPECT_EQ(kComma.format(INT64_MIN), "-9,223,372,036,854,775,808");
    NumberFormat indian = kComma;
    indian.grouping = {3, 2};
    EXPECT_EQ(indian.format(uint64_t{123456789}), "12,34,56,789");
    NumberFormat once = kComma;
    once.grouping = {3, 0};
    EXPECT_EQ(once.format(uint64_t{123456789}), "123456,789");
    NumberFormat german;
    german.decimalSeparator = ",";
    german.thousandsSeparator = ".";
    german.grouping = {3};
    EXPECT_EQ(german.format(uint64_t{10485760}), "10.485.760");
    EXPECT_EQ(german.formatDecimalText("4.66", 2), "4,66");
}

// Python's "{:,}" format is an independent source of three-digit grouping.
TEST(NumberFormat, CommaGroupingAgreesWithPython) {
    SHELFMARK_REQUIRE_PROGRAM("python3");
    std::vector<uint64_t> values = {0, 1, 12, 123, 1234, 12345, 999999, 1000000, UINT64_MAX};
    uint64_t value = 7;
    for (int i = 0; i < 40; ++i, value = value * 31 + 17)
        values.push_back(value);
    std::string arguments;
    for (uint64_t v : values)
        arguments += " " + std::to_string(v);
    const testing::CommandResult result = testing::RunCommand(
        "python3 -c 'import sys; print(\"\\n\".join(f\"{int(a):,}\" for a in sys.argv[1:]))'" +
        arguments);
    ASSERT_EQ(result.exitCode, 0);
    std::istringstream lines(result.out);
    std::string expected;
    for (uint64_t v : values) {
        ASSERT_TRUE(std::getline(lines, expected));
        EXPECT_EQ(kComma.format(v), expected);
    }
}

TEST(NumberFormat, RoundsDecimalTextHalfUp) {
    EXPECT_EQ(kComma.formatDecimalText("0.98", 2), "0.98");
    EXPECT_EQ(kComma.formatDecimalText("10.45", 1), "10.5");
    EXPECT_EQ(kComma.formatDecimalText("10.44", 1), "10.4");
    EXPECT_EQ(kComma.formatDecimalText("99.95", 1), "100.0");
    EXPECT_EQ(kComma.formatDecimalText("999.50", 0), "1,000");
    EXPECT_EQ(kComma.formatDecimalText("1234.5", 2), "1,234.50");
    NumberFormat noZero = kComma;
    noZero.leadingZero = false;
    EXPECT_EQ(noZero.formatDecimalText("0.98", 2), ".98");
}

TEST(NumberFormat, CLocaleHasNoGrouping) {
    const NumberFormat c = NumberFormat::FromLocale("C");
    EXPECT_EQ(c.decimalSeparator, ".");
    EXPECT_EQ(c.format(uint64_t{1234567}), "1234567");
    // An unknown locale leaves the C conventions.
    EXPECT_EQ(NumberFormat::FromLocale("xx_NOWHERE.UTF-8").format(uint64_t{1234567}), "1234567");
}

TEST(NumberFormat, UserFormatCanBeInstalled) {
    const NumberFormat saved = NumberFormat::User();
    NumberFormat::SetUser(kComma);
    EXPECT_EQ(SizeText(1000, SizeTextMode::Bytes), "1,000 Bytes");
    NumberFormat::SetUser(saved);
}

TEST(SizeText, AutomaticExamples) {
    EXPECT_EQ(SizeText(1000, SizeTextMode::Automatic, kComma), "1,000 Bytes");
    EXPECT_EQ(SizeText(1001, SizeTextMode::Automatic, kComma), "0.98 KB");
    EXPECT_EQ(SizeText(10485760, SizeTextMode::Automatic, kComma), "10.0 MB");
    EXPECT_EQ(SizeText(5000000000, SizeTextMode::Automatic, kComma), "4.66 GB");
    EXPECT_EQ(SizeText(0, SizeTextMode::Automatic, kComma), "0 Bytes");
}

TEST(SizeText, AutomaticThresholds) {
    // Kilobytes: 2 decimals up to 10,239 bytes, 1 up to 102,399, then none.
    EXPECT_EQ(SizeText(10239, SizeTextMode::Automatic, kComma), "10.00 KB");
    EXPECT_EQ(SizeText(10240, SizeTextMode::Automatic, kComma), "10.0 KB");
    EXPECT_EQ(SizeText(102399, SizeTextMode::Automatic, kComma), "100.0 KB");
    EXPECT_EQ(SizeText(102400, SizeTextMode::Automatic, kComma), "100 KB");
    EXPECT_EQ(SizeText(1000000, SizeTextMode::Automatic, kComma), "977 KB");
    // Megabytes above 1,000,000 bytes.
    EXPECT_EQ(SizeText(1000001, SizeTextMode::Automatic, kComma), "0.95 MB");
    EXPECT_EQ(SizeText(10485759, SizeTextMode::Automatic, kComma), "10.00 MB");
    EXPECT_EQ(SizeText(104857599, SizeTextMode::Automatic, kComma), "100.0 MB");
    EXPECT_EQ(SizeText(104857600, SizeTextMode::Automatic, kComma), "100 MB");
    EXPECT_EQ(SizeText(1000000000, SizeTextMode::Automatic, kComma), "954 MB");
    // Gigabytes above 1,000,000,000 bytes.
    EXPECT_EQ(SizeText(1000000001, SizeTextMode::Automatic, kComma), "0.93 GB");
    EXPECT_EQ(SizeText(10ull << 30, SizeTextMode::Automatic, kComma), "10.0 GB");
    EXPECT_EQ(SizeText((10ull << 30) - 1, SizeTextMode::Automatic, kComma), "10.00 GB");
    EXPECT_EQ(SizeText(100ull << 30, SizeTextMode::Automatic, kComma), "100 GB");
    EXPECT_EQ(SizeText(3ull << 40, SizeTextMode::Automatic, kComma), "3,072 GB");
    EXPECT_EQ(SizeText(UINT64_MAX, SizeTextMode::Automatic, kComma), "17,179,869,184 GB");
}

TEST(SizeText, BytesAndKilobytes) {
    EXPECT_EQ(SizeText(1000, SizeTextMode::Bytes, kComma), "1,000 Bytes");
    EXPECT_EQ(SizeText(1000, SizeTextMode::Kilobytes, kComma), "1 KB");
    EXPECT_EQ(SizeText(0, SizeTextMode::Kilobytes, kComma), "0 KB");
    EXPECT_EQ(SizeText(1024, SizeTextMode::Kilobytes, kComma), "1 KB");
    EXPECT_EQ(SizeText(1025, SizeTextMode::Kilobytes, kComma), "2 KB");
    EXPECT_EQ(SizeText(5000000000, SizeTextMode::Kilobytes, kComma), "4,882,813 KB");
    EXPECT_EQ(SizeText(UINT64_MAX, SizeTextMode::Kilobytes, kComma), "18,014,398,509,481,984 KB");
}

TEST(LengthText, HoursOnlyAboveOneHour) {
    EXPECT_EQ(LengthText(0), "0:00");
    EXPECT_EQ(LengthText(59), "0:59");
    EXPECT_EQ(LengthText(245), "4:05");
    EXPECT_EQ(LengthText(3600), "60:00");
    EXPECT_EQ(LengthText(3601), "1:00:01");
    EXPECT_EQ(LengthText(86399), "23:59:59");
    EXPECT_EQ(LengthText(360000), "100:00:00");
}

TEST(DateText, PatternsLoseTheirSeconds) {
    EXPECT_EQ(TimePatternWithoutSeconds("%H:%M:%S"), "%H:%M");
    EXPECT_EQ(TimePatternWithoutSeconds("%T"), "%H:%M");
    EXPECT_EQ(TimePatternWithoutSeconds("%r"), "%I:%M %p");
    EXPECT_EQ(TimePatternWithoutSeconds("%I:%M:%S %p"), "%I:%M %p");
    EXPECT_EQ(TimePatternWithoutSeconds("%H.%M.%S"), "%H.%M");
    EXPECT_EQ(TimePatternWithoutSeconds("%H:%M"), "%H:%M");
    EXPECT_EQ(TimePatternWithoutSeconds("%H:%M:%OS"), "%H:%M");
    EXPECT_EQ(TimePatternWithoutSeconds("%H時%M分%S秒"), "%H時%M分");
    EXPECT_EQ(TimePatternWithoutSeconds("%%S %H"), "%%S %H");
}

class DateTextInUtc : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* tz = std::getenv("TZ")) {
            saved_ = tz;
            hadTz_ = true;
        }
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
    }
    void TearDown() override {
        if (hadTz_)
            ::setenv("TZ", saved_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    std::string saved_;
    bool hadTz_ = false;
};

TEST_F(DateTextInUtc, ShortDateBlankAndTime) {
    DateFormat german{"%d.%m.%Y", "%H:%M"};
    // 2004-03-30 14:05:59 UTC
    EXPECT_EQ(DateText(1080655559, german), "30.03.2004 14:05");
    EXPECT_EQ(DateText(0, german), "01.01.1970 00:00");
    EXPECT_EQ(DateText(-1, german), "31.12.1969 23:59");
    const DateFormat c = DateFormat::FromLocale("C");
    EXPECT_EQ(c.datePattern, "%m/%d/%y");
    EXPECT_EQ(c.timePattern, "%H:%M");
    EXPECT_EQ(DateText(1080655559, c), "03/30/04 14:05");
}

TEST_F(DateTextInUtc, LocalTimeIsUsed) {
    ::setenv("TZ", "CET-1", 1);
    ::tzset();
    EXPECT_EQ(DateText(1080655559, DateFormat{"%Y-%m-%d", "%H:%M"}), "2004-03-30 15:05");
}

}  // namespace
}  // namespace shelfmark
