// The TOML reader on hand-written texts. Python's tomllib checks independently that the valid
// texts are TOML and decode to the same values, and that the faulty ones are not TOML at all.
#include "exchange/TomlReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace shelfmark::toml {
namespace {

json::Value MustParse(std::string_view text) {
    json::ParseError error;
    std::optional<json::Value> value = ParseToml(text, error);
    EXPECT_TRUE(value) << error.describe() << " in\n" << text;
    return value ? std::move(*value) : json::Value();
}

const json::Value& At(const json::Value& top, std::initializer_list<std::string_view> path) {
    static const json::Value missing;
    const json::Value* at = &top;
    for (const std::string_view key : path) {
        at = at->find(key);
        if (!at) {
            ADD_FAILURE() << "no member " << key;
            return missing;
        }
    }
    return *at;
}

// Every form of value, tables of every kind among them.
constexpr std::string_view kValues = R"(# a comment at the top
title = "TOML \"example\"\tend"   # trailing comment
"quoted key" = 'C:\Users\nodejs'
'' = "empty key"
site."google.com" = true
escapes = "\b\f\n\r\\ \u00E9 \U0001F600"
multi = """
Roses are red
Violets are blue"""
folded = """\
    The quick \
    brown fox."""
quotes = """Here are two quotation marks: "". Simple enough."""
ends = """"This," she said, "is just a pointless statement.""""
raw = '''
The first newline is
trimmed in raw strings.
   All other whitespace
   is preserved. \n'''
rawquotes = '''''Two'' quotes'''''
ints = [+99, 42, 0, -17, 1_000, 5_349_221, 0xDEAD_beef, 0o755, 0b1101_0110, -0, 9223372036854775807, -9223372036854775808]
floats = [+1.0, 3.1415, -0.01, 5e+22, 1e06, -2E-2, 6.626e-34, 224_617.445_991_228, 0.0, -0.0]
specials = [inf, +inf, -inf, nan]
bools = [true, false]
odt = [1979-05-27T07:32:00Z, 1979-05-27T00:32:00-07:00, 1979-05-27T00:32:00.999999-07:00, 1979-05-27 07:32:00Z, 1969-12-31T23:59:59.5Z]
ldt = 1979-05-27T07:32:00
ld = 1979-05-27
lt = 07:32:00
mixed = [ 1, "two", [3.0, ['four']], {five = 5},
  # a comment inside
  6, ]
point = { x = 1, y = 2, nested.deep = "z" }
empty = {}

[dog."tater.man"]
type.name = "pug"

[a.b.c]
d = 1
[a]
e = 2
[a.b.f]

[[products]]
name = "Hammer"
sku = 738594937

[[products]]  # empty table within the array

[[products]]
name = "Nail"
color = "gray"
  [products.dims]
  length = 3
  [[products.parts]]
  name = "tip"

[fruit]
apple.color = "red"
apple.taste.sweet = true
[fruit.apple.texture]
smooth = true
)";

TEST(TomlReader, EveryFormOfValue) {
    const json::Value top = MustParse(kValues);
    ASSERT_TRUE(top.isObject());
    EXPECT_EQ(top.keys()[0], "title");
    EXPECT_EQ(At(top, {"title"}).text(), "TOML \"example\"\tend");
    EXPECT_EQ(At(top, {"quoted key"}).text(), "C:\\Users\\nodejs");
    EXPECT_EQ(At(top, {""}).text(), "empty key");
    EXPECT_TRUE(At(top, {"site", "google.com"}).boolean());
    EXPECT_EQ(At(top, {"escapes"}).text(), "\b\f\n\r\\ \xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(At(top, {"multi"}).text(), "Roses are red\nViolets are blue");
    EXPECT_EQ(At(top, {"folded"}).text(), "The quick brown fox.");
    EXPECT_EQ(At(top, {"ends"}).text(), "\"This,\" she said, \"is just a pointless statement.\"");
    EXPECT_EQ(At(top, {"raw"}).text(),
              "The first newline is\ntrimmed in raw strings.\n   All other whitespace\n   is "
              "preserved. \\n");
    EXPECT_EQ(At(top, {"rawquotes"}).text(), "''Two'' quotes''");

    const std::vector<int64_t> ints = {99,         42,   0,    -17, 1000,      5349221,
                                       0xDEADBEEF, 0755, 0xD6, 0,   INT64_MAX, INT64_MIN};
    const json::Value& intValues = At(top, {"ints"});
    ASSERT_EQ(intValues.items().size(), ints.size());
    for (size_t i = 0; i < ints.size(); ++i)
        EXPECT_EQ(intValues.items()[i].asInt64(), ints[i]) << i;
    const std::vector<double> floats = {1.0,       3.1415,           -0.01, 5e22, 1e6, -2e-2,
                                        6.626e-34, 224617.445991228, 0.0,   -0.0};
    const json::Value& floatValues = At(top, {"floats"});
    ASSERT_EQ(floatValues.items().size(), floats.size());
    for (size_t i = 0; i < floats.size(); ++i) {
        EXPECT_FALSE(floatValues.items()[i].asInt64()) << i;
        EXPECT_EQ(floatValues.items()[i].asDouble(), floats[i]) << i;
    }
    for (const json::Value& special : At(top, {"specials"}).items()) {
        EXPECT_TRUE(special.isNumber());
        EXPECT_FALSE(special.asDouble());  // the typed accessors take finite numbers only
    }
    EXPECT_TRUE(At(top, {"bools"}).items()[0].boolean());
    EXPECT_FALSE(At(top, {"bools"}).items()[1].boolean());

    // Offset date-times are instants: seconds since 1970, a fraction dropped toward the past.
    const std::vector<int64_t> instants = {296638320, 296638320, 296638320, 296638320, -1};
    const json::Value& odt = At(top, {"odt"});
    ASSERT_EQ(odt.items().size(), instants.size());
    for (size_t i = 0; i < instants.size(); ++i)
        EXPECT_EQ(odt.items()[i].asSeconds(), instants[i]) << i;
    EXPECT_EQ(At(top, {"ldt"}).text(), "1979-05-27T07:32:00");
    EXPECT_EQ(At(top, {"ld"}).text(), "1979-05-27");
    EXPECT_EQ(At(top, {"lt"}).text(), "07:32:00");

    const json::Value& mixed = At(top, {"mixed"});
    ASSERT_EQ(mixed.items().size(), 5u);
    EXPECT_EQ(mixed.items()[1].text(), "two");
    EXPECT_EQ(mixed.items()[2].items()[1].items()[0].text(), "four");
    EXPECT_EQ(mixed.items()[3].find("five")->asInt64(), 5);
    EXPECT_EQ(At(top, {"point", "nested", "deep"}).text(), "z");
    EXPECT_TRUE(At(top, {"empty"}).isObject());

    EXPECT_EQ(At(top, {"dog", "tater.man", "type", "name"}).text(), "pug");
    EXPECT_EQ(At(top, {"a", "b", "c", "d"}).asInt64(), 1);
    EXPECT_EQ(At(top, {"a", "e"}).asInt64(), 2);
    EXPECT_TRUE(At(top, {"a", "b", "f"}).isObject());

    const json::Value& products = At(top, {"products"});
    ASSERT_TRUE(products.isArray());
    ASSERT_EQ(products.items().size(), 3u);
    EXPECT_EQ(products.items()[0].stringMember("name"), "Hammer");
    EXPECT_TRUE(products.items()[1].keys().empty());
    EXPECT_EQ(products.items()[2].find("dims")->find("length")->asInt64(), 3);
    EXPECT_EQ(products.items()[2].find("parts")->items()[0].stringMember("name"), "tip");
    EXPECT_TRUE(At(top, {"fruit", "apple", "taste", "sweet"}).boolean());
    EXPECT_TRUE(At(top, {"fruit", "apple", "texture", "smooth"}).boolean());
}

TEST(TomlReader, OffsetsPointIntoTheText) {
    const std::string_view text = "a = 1\n\n[[t]]\n  b = \"x\"\n";
    const json::Value top = MustParse(text);
    EXPECT_EQ(At(top, {"a"}).offset(), 4u);
    EXPECT_EQ(At(top, {"t"}).items()[0].offset(), text.find("[[t]]"));
    EXPECT_EQ(At(top, {"t"}).items()[0].find("b")->offset(), text.find("\"x\""));
}

TEST(TomlReader, LineEndsEmptyTextsAndByteOrderMarks) {
    EXPECT_TRUE(MustParse("").isObject());
    EXPECT_TRUE(MustParse("# only a comment").keys().empty());
    const json::Value crlf = MustParse(
        "\xEF\xBB\xBF"
        "a = \"\"\"x\r\ny\"\"\"\r\n[t]\r\nb = 2");
    EXPECT_EQ(At(crlf, {"a"}).text(), "x\ny");
    EXPECT_EQ(At(crlf, {"t", "b"}).asInt64(), 2);
    // A leap second is a time of its own (the next minute's first second as an instant).
    EXPECT_EQ(At(MustParse("t = 2016-12-31T23:59:60Z"), {"t"}).asSeconds(), 1483228800);
    // Dotted keys may define a table a header only named on its way.
    EXPECT_EQ(At(MustParse("[a.b.c]\n[a]\nb.d = 1\n"), {"a", "b", "d"}).asInt64(), 1);
}

struct Fault {
    std::string_view text;
    size_t line;
    size_t column;
    std::string_view message;
    // Python's integers have no 64-bit limit, so tomllib takes what TOML says must be refused.
    bool pythonRefuses = true;
};

// Each is not TOML: the reader names where and why.
const Fault kFaults[] = {
    {"a = 1\na = 2\n", 2, 1, "the key 'a' is defined twice"},
    {"[t]\n[t]\n", 2, 2, "the table 't' is defined twice"},
    {"[a]\nb.c = 1\n[a.b]\n", 3, 4, "the table 'a.b' is defined twice"},
    {"[a.b.c]\nz = 9\n[a]\nb.c.t = 1\n", 4, 3, "cannot be added to here"},
    {"a = {b = 1}\n[a.c]\n", 2, 2, "the inline table 'a' cannot be added to"},
    {"a = {b = 1}\na.c = 2\n", 2, 1, "cannot be added to here"},
    {"a = [1]\n[[a]]\n", 2, 3, "the key 'a' already holds a value"},
    {"[[a]]\n[a]\n", 2, 2, "'a' is an array of tables, not a table"},
    {"[a]\n[[a]]\n", 2, 3, "'a' is a table, not an array of tables"},
    {"a = 1\na.b = 2\n", 2, 1, "the key 'a' already holds a value"},
    {"a = \n", 1, 5, "expected a value"},
    {"a = 1 b = 2\n", 1, 7, "expected the end of the line"},
    {"a = \"tab\tok, bell\x07 not\"\n", 1, 18, "a control character in a string"},
    {"a = \"no end\nb = 1\n", 1, 12, "unterminated string"},
    {"a = \"\\x41\"\n", 1, 6, "unknown escape sequence"},
    {"a = \"\\uD800\"\n", 1, 6, "the escape names no Unicode character"},
    {"a = \"\xC3\x28\"\n", 1, 6, "bytes that are not UTF-8"},
    {"# bad \x01 comment\n", 1, 7, "a control character in a comment"},
    {"a = 1\rb = 2\n", 1, 6, "a carriage return without a line feed"},
    {"a = 012\n", 1, 5, "a number cannot start with a zero"},
    {"a = 1__0\n", 1, 5, "not a valid number"},
    {"a = _1\n", 1, 5, "expected a value"},
    {"a = 1.\n", 1, 5, "expected digits after the decimal point"},
    {"a = .5\n", 1, 5, "expected a value"},
    {"a = -0x10\n", 1, 5, "cannot have a sign"},
    {"a = 9223372036854775808\n", 1, 5, "does not fit in 64 bits", false},
    {"a = 0x8000000000000000\n", 1, 5, "does not fit in 64 bits", false},
    {"a = 2023-02-29\n", 1, 5, "the date does not exist"},
    {"a = 2023-01-01T25:00:00Z\n", 1, 16, "the time does not exist"},
    {"a = 07:32\n", 1, 5, "expected a time as HH:MM:SS"},
    {"a = [1, 2\n", 2, 1, "unterminated array"},
    {"a = [1 2]\n", 1, 8, "expected ',' or ']' in an array"},
    {"a = {b = 1,}\n", 1, 12, "a comma before '}' in an inline table"},
    {"a = {b = 1,\nc = 2}\n", 1, 12, "expected a key"},
    {"a = {b = 1\n}\n", 1, 11, "a line break inside an inline table"},
    {"[a\n", 1, 3, "expected ']' to end the table header"},
    {"[ [a] ]\n", 1, 3, "expected a key"},
    {"a = truth\n", 1, 5, "expected a value"},
    {"\"\"\"key\"\"\" = 1\n", 1, 1, "a multi-line string cannot be a key"},
    {"a = \"\"\"x\\ y\"\"\"\n", 1, 9, "unknown escape sequence"},
    {"a = '''never closed\n", 2, 1, "unterminated multi-line string"},
};

TEST(TomlReader, FaultsAreNamedByLineAndColumn) {
    for (const Fault& fault : kFaults) {
        json::ParseError error;
        EXPECT_FALSE(ParseToml(fault.text, error)) << fault.text;
        EXPECT_EQ(error.line, fault.line) << fault.text << error.describe();
        EXPECT_EQ(error.column, fault.column) << fault.text << error.describe();
        EXPECT_NE(error.message.find(fault.message), std::string::npos)
            << fault.text << error.describe();
    }
}

TEST(TomlReader, NestingAndHeadersAreLimited) {
    const int deep = kMaxTomlDepth + 5;
    json::ParseError error;
    EXPECT_FALSE(ParseToml("a = " + std::string(deep, '[') + std::string(deep, ']'), error));
    EXPECT_NE(error.message.find("nesting deeper than"), std::string::npos) << error.describe();
    std::string header = "[t";
    for (int i = 0; i < deep; ++i)
        header += ".t";
    EXPECT_FALSE(ParseToml(header + "]\n", error));
    EXPECT_NE(error.message.find("nesting deeper than"), std::string::npos) << error.describe();
    std::string inlineTables = "a = ";
    for (int i = 0; i < deep; ++i)
        inlineTables += "{b = ";
    inlineTables += "1" + std::string(deep, '}');
    EXPECT_FALSE(ParseToml(inlineTables, error));
    // Just inside the limit is fine.
    const int fits = kMaxTomlDepth - 1;
    EXPECT_TRUE(ParseToml("a = " + std::string(fits, '[') + std::string(fits, ']'), error))
        << error.describe();
}

TEST(TomlReader, TellsTomlFromJson) {
    EXPECT_TRUE(LooksLikeToml("# gocatcli\n\ntool = \"x\"\n"));
    EXPECT_TRUE(LooksLikeToml("[[storages]]\n  name = \"usb\"\n"));
    EXPECT_TRUE(LooksLikeToml("\"quoted\" . key = 1"));
    EXPECT_TRUE(LooksLikeToml("[a . \"b\"]  # comment\n"));
    EXPECT_FALSE(LooksLikeToml("{\"storages\": []}"));
    EXPECT_FALSE(LooksLikeToml("[1,2,{\"progname\":\"ncdu\"},\n[{\"name\":\"/\"}]]"));
    EXPECT_FALSE(LooksLikeToml("[\n  {\"a\": 1}\n]"));
    EXPECT_FALSE(LooksLikeToml("\"just a string\""));
    EXPECT_FALSE(LooksLikeToml("<?xml version=\"1.0\"?>"));
    EXPECT_FALSE(LooksLikeToml(""));
}

// --- Python's tomllib as a second reader ---

// Texts on one line: backslashes and line breaks escaped.
std::string OneLine(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// One value as a line of text both sides can write alike: sorted keys, integers and floats
// told apart, floats by all their digits, instants as seconds.
std::string Canonical(const json::Value& value) {
    switch (value.type()) {
        case json::Type::Object: {
            std::vector<std::pair<std::string, const json::Value*>> members;
            for (size_t i = 0; i < value.keys().size(); ++i)
                members.emplace_back(value.keys()[i], &value.items()[i]);
            std::sort(members.begin(), members.end());
            std::string out = "{";
            for (const auto& [key, member] : members)
                out += "k:" + OneLine(key) + "=" + Canonical(*member) + ";";
            return out + "}";
        }
        case json::Type::Array: {
            std::string out = "[";
            for (const json::Value& item : value.items())
                out += Canonical(item) + ";";
            return out + "]";
        }
        case json::Type::String:
            return "s:" + OneLine(value.text());
        case json::Type::Bool:
            return value.boolean() ? "true" : "false";
        case json::Type::Number: {
            if (const std::optional<int64_t> whole = value.asInt64())
                return "i:" + std::to_string(*whole);
            const std::string literal(value.text());
            const double number = std::strtod(literal.c_str(), nullptr);
            if (std::isnan(number))
                return "f:nan";
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "f:%.17g", number);
            return buffer;
        }
        case json::Type::Null:
            break;
    }
    return "null";
}

// The same form written by Python from tomllib's result; "error" when tomllib refuses the file.
constexpr std::string_view kPythonCanonical = R"(
import calendar, datetime, math, sys, tomllib
def line(s):
    return s.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r")
def canon(v):
    if isinstance(v, dict):
        return "{" + "".join("k:%s=%s;" % (line(k), canon(v[k])) for k in sorted(v)) + "}"
    if isinstance(v, list):
        return "[" + "".join(canon(x) + ";" for x in v) + "]"
    if isinstance(v, bool):
        return "true" if v else "false"
    if isinstance(v, int):
        return "i:%d" % v
    if isinstance(v, float):
        return "f:nan" if math.isnan(v) else "f:%.17g" % v
    if isinstance(v, datetime.datetime) and v.tzinfo is not None:
        return "i:%d" % calendar.timegm(v.utctimetuple())
    if isinstance(v, (datetime.datetime, datetime.date, datetime.time)):
        return "s:" + v.isoformat()
    return "s:" + line(v)
for path in sys.argv[1:]:
    try:
        with open(path, "rb") as f:
            print(canon(tomllib.load(f)))
    except (tomllib.TOMLDecodeError, UnicodeDecodeError):
        print("error")
)";

class TomlAgainstPython : public ::testing::Test {
  protected:
    void SetUp() override {
        if (testing::RunCommand("python3 -c 'import tomllib' 2>/dev/null").exitCode != 0)
            GTEST_SKIP() << "python3 with tomllib is not installed";
        testing::WriteFile(dir / "canon.py", kPythonCanonical);
    }
    // tomllib's reading of each text, one Python run for all.
    std::vector<std::string> python(const std::vector<std::string_view>& texts) {
        std::string command = "python3 " + testing::ShellQuote((dir / "canon.py").string());
        for (size_t i = 0; i < texts.size(); ++i) {
            const std::filesystem::path path = dir / ("doc" + std::to_string(i) + ".toml");
            testing::WriteFile(path, texts[i]);
            command += " " + testing::ShellQuote(path.string());
        }
        const std::string out = testing::RunCommand(command).out;
        std::vector<std::string> lines;
        for (size_t start = 0; start < out.size();) {
            const size_t end = out.find('\n', start);
            lines.emplace_back(out.substr(start, end - start));
            start = end == std::string::npos ? out.size() : end + 1;
        }
        return lines;
    }
    testing::TempDir dir;
};

TEST_F(TomlAgainstPython, ValidTextsDecodeToTheSameValues) {
    const std::vector<std::string_view> texts = {
        kValues,
        "a = 1\n[b]\nc = [ { d = 'e' }, { d = \"\"\"f\"\"\" } ]\n[[g.h]]\n[[g.h]]\ni = "
        "1979-05-27\n",
        "\"\\u0041\" = \"\\U0010FFFF\"\nx = 0o17\ny = 1e-7\nz = 123_456.789e3\n",
        "[a.b.c]\n[a]\nb.d = 1\n",
    };
    const std::vector<std::string> fromPython = python(texts);
    ASSERT_EQ(fromPython.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(Canonical(MustParse(texts[i])), fromPython[i]) << texts[i];
}

TEST_F(TomlAgainstPython, FaultyTextsAreRefusedByBoth) {
    std::vector<std::string_view> texts;
    for (const Fault& fault : kFaults) {
        if (fault.pythonRefuses)
            texts.push_back(fault.text);
    }
    const std::vector<std::string> fromPython = python(texts);
    ASSERT_EQ(fromPython.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(fromPython[i], "error") << texts[i];
}

}  // namespace
}  // namespace shelfmark::toml
