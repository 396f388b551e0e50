#include "exchange/JsonReader.h"

#include <gtest/gtest.h>

#include <string>

namespace shelfmark::json {
namespace {

Value MustParse(std::string_view text) {
    ParseError error;
    std::optional<Value> value = Parse(text, error);
    EXPECT_TRUE(value) << error.describe() << " in " << text;
    return value ? std::move(*value) : Value();
}

ParseError MustFail(std::string_view text) {
    ParseError error;
    EXPECT_FALSE(Parse(text, error)) << text;
    return error;
}

TEST(JsonReader, ReadsNestedValuesWithTheirOffsets) {
    const Value top = MustParse(" {\"a\": [1, -2.5e3, true, false, null, \"x\"], \"b\": {}, \"c\": []}\n");
    ASSERT_TRUE(top.isObject());
    ASSERT_EQ(top.keys().size(), 3u);
    const Value* a = top.find("a");
    ASSERT_TRUE(a && a->isArray());
    ASSERT_EQ(a->items().size(), 6u);
    EXPECT_EQ(a->items()[0].asInt64(), 1);
    EXPECT_EQ(a->items()[1].asDouble(), -2500.0);
    EXPECT_FALSE(a->items()[1].asInt64());
    EXPECT_TRUE(a->items()[2].boolean());
    EXPECT_TRUE(a->items()[3].isBool());
    EXPECT_FALSE(a->items()[3].boolean());
    EXPECT_TRUE(a->items()[4].isNull());
    EXPECT_EQ(a->items()[5].text(), "x");
    EXPECT_EQ(a->offset(), 7u);
    EXPECT_TRUE(top.find("b")->isObject());
    EXPECT_EQ(top.find("missing"), nullptr);
    EXPECT_EQ(top.stringMember("a"), std::nullopt);
}

TEST(JsonReader, NumbersKeepEveryDigitUntilAsked) {
    const Value big = MustParse("18446744073695368676");
    EXPECT_EQ(big.asUint64(), 18446744073695368676u);
    EXPECT_FALSE(big.asInt64());
    EXPECT_EQ(MustParse("18446744073709551616").asUint64(), std::nullopt);  // 2^64
    EXPECT_EQ(MustParse("-9223372036854775808").asInt64(), INT64_MIN);
    EXPECT_EQ(MustParse("1709642096.6351154").asSeconds(), 1709642096);
    EXPECT_EQ(MustParse("-14182940.25").asSeconds(), -14182941);
    EXPECT_EQ(MustParse("-0").asInt64(), 0);
    EXPECT_EQ(MustParse("1e400").asDouble(), std::nullopt);
}

TEST(JsonReader, StringEscapesSurrogatesAndRawBytes) {
    EXPECT_EQ(MustParse(R"("a\"b\\c\/d\b\f\n\r\t")").text(), "a\"b\\c/d\b\f\n\r\t");
    EXPECT_EQ(MustParse(R"("\u00e9\u65e5")").text(), "\xC3\xA9\xE6\x97\xA5");
    EXPECT_EQ(MustParse(R"("\ud83d\ude00")").text(), "\xF0\x9F\x98\x80");
    // Python's escape of an undecodable byte is that byte.
    EXPECT_EQ(MustParse(R"("latin1-\udce9t\udce9.txt")").text(), "latin1-\xE9t\xE9.txt");
    // Other lone surrogates cannot be UTF-8: the replacement character.
    EXPECT_EQ(MustParse(R"("\ud800x")").text(), "\xEF\xBF\xBDx");
    EXPECT_EQ(MustParse(R"("\ud800\u0041")").text(), "\xEF\xBF\xBD" "A");
    // Raw bytes that are not UTF-8 (ncdu copies names byte for byte) stay.
    EXPECT_EQ(MustParse("\"caf\xE9\"").text(), "caf\xE9");
}

TEST(JsonReader, RejectsWhatIsNotStrictJsonWithLineAndColumn) {
    struct Case {
        const char* text;
        size_t line, column;
    };
    const Case cases[] = {
        {"[1,]", 1, 4},          {"[1 2]", 1, 4},        {"{\"a\" 1}", 1, 6},
        {"{\"a\":1,}", 1, 8},    {"{a:1}", 1, 2},        {"[01]", 1, 2},
        {"[1.]", 1, 4},          {"[1e]", 1, 4},         {"[-]", 1, 3},
        {"[+1]", 1, 2},          {"\"abc", 1, 5},        {"\"a\x01\"", 1, 3},
        {"\"\\x\"", 1, 3},       {"\"\\u12g4\"", 1, 4},  {"[tru]", 1, 2},
        {"[1]\n  x", 2, 3},      {"", 1, 1},             {"[\n1,\n", 3, 1},
        {"// c\n1", 1, 1},       {"[NaN]", 1, 2},        {"[1] [2]", 1, 5},
    };
    for (const Case& c : cases) {
        const ParseError error = MustFail(c.text);
        EXPECT_EQ(error.line, c.line) << c.text << ": " << error.describe();
        EXPECT_EQ(error.column, c.column) << c.text << ": " << error.describe();
        EXPECT_FALSE(error.message.empty());
    }
}

TEST(JsonReader, NestingHasALimit) {
    const std::string deep = std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']');
    MustParse(deep);
    const std::string tooDeep =
        std::string(kMaxJsonDepth + 1, '[') + std::string(kMaxJsonDepth + 1, ']');
    const ParseError error = MustFail(tooDeep);
    EXPECT_NE(error.message.find("nesting"), std::string::npos);
    // A hundred thousand levels must fail cleanly rather than exhaust the stack.
    MustFail(std::string(100000, '['));
}

}  // namespace
}  // namespace shelfmark::json
