#include "json/json_document.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace skyrill {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A small answer in the shape the data service sends.
constexpr std::string_view kAnswer = R"({
  "wmo": "58453",
  "res": [
    {"name": "Hangzhou", "time": "2019-07-05 00:00", "T": 23.40, "t": -5, "P": null,
     "acc": {"T": 1e-7}},
    {"name": "Xiaoshan", "flags": [1, null, "a", [2, [3]], {}], "ok": true, "wet": false}
  ],
  "empty": []
})";

JsonDocument parsed(std::string_view text) {
  JsonDocument document;
  EXPECT_TRUE(document.parse(text)) << text;
  return document;
}

std::string nestedArrays(int depth) {
  return std::string(static_cast<std::size_t>(depth), '[') +
         std::string(static_cast<std::size_t>(depth), ']');
}

// Every read of a document that holds nothing.
void expectNothingReadable(const JsonDocument& document) {
  EXPECT_EQ(document.getText(""), "");
  EXPECT_EQ(document.getText("wmo"), "");
  EXPECT_EQ(document.getText("res[0].name"), "");
  EXPECT_EQ(document.count(""), 0);
  EXPECT_EQ(document.count("res"), 0);
  EXPECT_EQ(document.toText(), "");
  EXPECT_EQ(document.kindOf(""), 0);
  EXPECT_FALSE(document.exists(""));
  EXPECT_THAT(document.memberNames(""), IsEmpty());
  EXPECT_THAT(document.leafValues("", true), IsEmpty());
}

// ---- Numbers as text ------------------------------------------------------

TEST(FormatJsonNumber, writesShortestRoundTripFormLikeJavaScript) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {23.40, "23.4"},
      {100.0, "100"},
      {-5, "-5"},
      {-0.0, "0"},
      {0.1 + 0.2, "0.30000000000000004"},
      {1e-7, "1e-7"},
      {-1e-7, "-1e-7"},
      {1.5e-7, "1.5e-7"},
      {0.000001, "0.000001"},
      {0.0000015, "0.0000015"},
      {1e14, "100000000000000"},
      {-999999999999999.0, "-999999999999999"},
      {1e15, "1000000000000000"},
      {9007199254740993.0, "9007199254740992"},
      {1e20, "100000000000000000000"},
      {123456789012345680000.0, "123456789012345680000"},
      {1e21, "1e+21"},
      {1.2345e21, "1.2345e+21"},
      {5e-324, "5e-324"},
      {1.7976931348623157e308, "1.7976931348623157e+308"},
      {std::numeric_limits<double>::quiet_NaN(), ""},
      {std::numeric_limits<double>::infinity(), ""},
      {-std::numeric_limits<double>::infinity(), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(formatJsonNumber(c.value), c.text) << c.text;
}

// Across magnitudes: the text reads back to the same double, with no more
// significant digits than the shortest form, in the notation of its range.
TEST(FormatJsonNumber, roundTripsWithShortestDigitsAtEveryMagnitude) {
  std::mt19937_64 random(20190705);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-12, 25);
  for (int i = 0; i < 20000; ++i) {
    const double value = (i % 2 ? -1 : 1) * mantissa(random) * std::pow(10.0, exponent(random));
    const std::string text = formatJsonNumber(value);
    double back = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
    ASSERT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
    EXPECT_EQ(back, value) << text;
    char shortest[32];
    const auto written =
        std::to_chars(shortest, shortest + sizeof shortest, value, std::chars_format::scientific);
    const std::string_view digits(shortest, static_cast<std::size_t>(written.ptr - shortest));
    const auto significant = [](std::string_view t) {
      t = t.substr(0, t.find('e'));
      std::string d;
      for (char c : t) {
        if (c >= '0' && c <= '9') d += c;
      }
      d.erase(0, d.find_first_not_of('0'));
      d.erase(d.find_last_not_of('0') + 1);
      return d;
    };
    EXPECT_EQ(significant(text), significant(digits)) << text;
    const bool exponentForm = text.find('e') != std::string::npos;
    EXPECT_EQ(exponentForm, std::fabs(value) < 1e-6 || std::fabs(value) >= 1e21) << text;
  }
}

TEST(JsonDocumentRead, numbersReadAsDoublesInTheirShortestForm) {
  const struct {
    const char* json;
    const char* text;
  } cases[] = {
      {"[23.40]", "23.4"},
      {"[100.0]", "100"},
      {"[-0]", "0"},
      {"[1E2]", "100"},
      {"[0.0000001]", "1e-7"},
      {"[1000000000000000000000]", "1e+21"},
      // Whole numbers beyond 2^53 read as the double they round to.
      {"[12345678901234567890]", "12345678901234567000"},
      {"[-9223372036854775807]", "-9223372036854776000"},
  };
  for (const auto& c : cases) EXPECT_EQ(parsed(c.json).getText("[0]"), c.text) << c.json;
}

// ---- Paths ----------------------------------------------------------------

TEST(JsonDocumentRead, pathsResolveOrReadEmpty) {
  const JsonDocument document = parsed(kAnswer);
  const struct {
    const char* path;
    const char* text;
  } cases[] = {
      {"wmo", "58453"},
      {"res[0].name", "Hangzhou"},
      {"res[1].name", "Xiaoshan"},
      {"res[0].T", "23.4"},
      {"res[0].t", "-5"},  // names are case sensitive
      {"res[0].acc.T", "1e-7"},
      {"res[1].ok", "true"},
      {"res[1].wet", "false"},
      {"res[1].flags", "1,,a,2,3,[object Object]"},
      {"res[0]", "[object Object]"},
      {"", "[object Object]"},
      {"res[0].P", ""},     // null
      {"res[0].rain", ""},  // absent
      {"res[2].name", ""},  // beyond the end
      {"empty[0]", ""},     // empty array
      {"wmo.name", ""},     // member step on a string
      {"res[0].P.x", ""},   // step on null
      {"res.name", ""},     // member step on an array
      {"res[0][0]", ""},    // index step on an object
      {"[0]", ""},          // index step on a root object
      {"WMO", ""},
      // Malformed paths lead nowhere.
      {"res[-1].name", ""},
      {"res[+0].name", ""},
      {"res[x].name", ""},
      {"res[].name", ""},
      {"res[0", ""},
      {"res[0]name", ""},
      {"res[0]..name", ""},
      {"res[0].", ""},
      {".wmo", ""},
      {"res[99999999999999999999999]", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(document.getText(c.path), c.text) << c.path;
}

TEST(JsonDocumentRead, rootArrayPathsStartWithAnIndex) {
  const JsonDocument document = parsed(R"([{"code": "ABJ"}, {"code": "AGD"}])");
  EXPECT_EQ(document.getText("[0].code"), "ABJ");
  EXPECT_EQ(document.getText("[1].code"), "AGD");
  EXPECT_EQ(document.getText("code"), "");
  EXPECT_EQ(document.count(""), 2);
  EXPECT_EQ(parsed("[1, 2]").getText(""), "1,2");
  EXPECT_EQ(parsed("[[1, [2, null]], []]").getText(""), "1,2,,");
  EXPECT_EQ(parsed("[null]").getText(""), "");
}

TEST(JsonDocumentRead, countIsOnlyForArrays) {
  const JsonDocument document = parsed(kAnswer);
  EXPECT_EQ(document.count("res"), 2);
  EXPECT_EQ(document.count("empty"), 0);
  EXPECT_EQ(document.count("res[1].flags"), 5);
  EXPECT_EQ(document.count("wmo"), 0);
  EXPECT_EQ(document.count("res[0]"), 0);
  EXPECT_EQ(document.count("res[0].P"), 0);
  EXPECT_EQ(document.count("absent"), 0);
  EXPECT_EQ(document.count(""), 0);
}

TEST(JsonDocumentRead, stringEscapesAreDecoded) {
  const JsonDocument document = parsed(R"({"s": "say \"hi\" C:\\dir\n\u4e2d\/"})");
  EXPECT_EQ(document.getText("s"), "say \"hi\" C:\\dir\n中/");
  // A parsed backslash is an ordinary character and is escaped again.
  EXPECT_EQ(document.toText(), R"({"s":"say \"hi\" C:\\dir\n中/"})");
}

TEST(JsonDocumentRead, kindOfTellsWhereAPathStops) {
  const JsonDocument document = parsed(kAnswer);
  const struct {
    const char* path;
    int kind;
  } cases[] = {
      {"res[1].ok", 1}, {"res[0].T", 2},     {"res[0]", 4},       {"", 4},
      {"res", 5},       {"wmo", 6},          {"res[0].P", 0},     {"res[0].rain", 0},
      {"res[5]", 0},    {"res[0].P.x", 0},   {"absent.x", -1},    {"res[5].name", -1},
      {"wmo.a.b", -1},  {"res[0].acc.T", 2}, {"res[x].name", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(document.kindOf(c.path), c.kind) << c.path;
}

TEST(JsonDocumentRead, existsAndMemberNames) {
  const JsonDocument document = parsed(kAnswer);
  EXPECT_TRUE(document.exists("res[0].T"));
  EXPECT_FALSE(document.exists("res[0].P"));
  EXPECT_FALSE(document.exists("res[0].rain"));
  EXPECT_THAT(document.memberNames(""), ElementsAre("wmo", "res", "empty"));
  EXPECT_THAT(document.memberNames("res[0].acc"), ElementsAre("T"));
  EXPECT_THAT(document.memberNames("res"), IsEmpty());
}

TEST(JsonDocumentRead, getNumberReadsTheLeadingDecimalNumber) {
  const JsonDocument document = parsed(R"({"n": 23.4, "i": -7, "s": "12.5mm", "lead": "  -3",
    "dot": ".5", "exp": "1e3x", "none": "abc", "hex": "0x10", "inf": "inf", "nan": "NaN",
    "huge": "1e400", "empty": "", "b": true, "z": null, "o": {}, "a": [5]})");
  const struct {
    const char* path;
    double number;
  } cases[] = {
      {"n", 23.4}, {"i", -7},  {"s", 12.5}, {"lead", -3}, {"dot", 0.5},  {"exp", 1000},
      {"none", 0}, {"hex", 0}, {"inf", 0},  {"nan", 0},   {"huge", 0},   {"empty", 0},
      {"b", 0},    {"z", 0},   {"o", 0},    {"a", 0},     {"absent", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(document.getNumber(c.path), c.number) << c.path;
}

TEST(JsonDocumentRead, repeatedMemberKeepsTheLastValue) {
  const JsonDocument document = parsed(R"({"a": 1, "b": 2, "a": 3})");
  EXPECT_EQ(document.getText("a"), "3");
  EXPECT_THAT(document.memberNames(""), ElementsAre("a", "b"));
}

TEST(JsonDocumentRead, repeatedMemberInsideNestedObjectsKeepsTheLastValue) {
  const JsonDocument document = parsed(
      R"({"o": {"x": {"deep": 1}, "y": 2, "x": [3, {"z": 1, "z": 4}]}, "a": [{"k": 1, "k": {"m": 5}}]})");
  EXPECT_EQ(document.toText(), R"({"o":{"x":[3,{"z":4}],"y":2},"a":[{"k":{"m":5}}]})");
  EXPECT_THAT(document.memberNames("o"), ElementsAre("x", "y"));
  EXPECT_EQ(document.getText("a[0].k.m"), "5");
}

TEST(JsonDocumentRead, leafValuesGatherScalarsInOrder) {
  const JsonDocument document =
      parsed(R"({"a": "x", "n": 1.50, "z": null, "o": {"b": true, "c": ["d", [2]]}, "e": "f"})");
  EXPECT_THAT(document.leafValues(""), ElementsAre("x", "1.5", "f"));
  EXPECT_THAT(document.leafValues("", true), ElementsAre("x", "1.5", "true", "d", "2", "f"));
  EXPECT_THAT(document.leafValues("o.c"), ElementsAre("d"));
  EXPECT_THAT(document.leafValues("a"), IsEmpty());
  EXPECT_THAT(document.leafValues("absent"), IsEmpty());
}

TEST(JsonDocumentRead, leafValueHoldingTheSeparatorComesBackAsTwo) {
  const JsonDocument document = parsed(R"(["a[2020年7月20日20时0分0秒]b", ""])");
  EXPECT_THAT(document.leafValues(""), ElementsAre("a", "b", ""));
}

// ---- Parsing --------------------------------------------------------------

TEST(JsonDocumentParse, acceptsOneValueWithSurroundingWhiteSpace) {
  JsonDocument document;
  EXPECT_TRUE(document.parse(" \r\n\t{\"a\": 1} \n"));
  EXPECT_EQ(document.getText("a"), "1");
  // Top-level scalars are values too.
  EXPECT_TRUE(document.parse("\"text\""));
  EXPECT_EQ(document.getText(""), "text");
  EXPECT_TRUE(document.parse("-2.50"));
  EXPECT_EQ(document.getText(""), "-2.5");
  EXPECT_TRUE(document.parse("false"));
  EXPECT_EQ(document.getText(""), "false");
}

TEST(JsonDocumentParse, badTextFailsAndLeavesNothingReadable) {
  using namespace std::string_literals;
  const std::string cases[] = {
      "",
      "   ",
      "null",
      "not json",
      "{\"wmo\": \"58453\"} x",
      "{\"wmo\": \"58453\"}{}",
      "{\"res\": [{\"name\": \"Hangzhou\"}",  // cut short
      "{\"res\": [1,]}",
      "{'wmo': 1}",
      "{wmo: 1}",
      "[1] // note",
      "NaN",
      "[Infinity]",
      "[-Infinity]",
      "[1e400]",  // beyond a double: never read as an infinity
      "-1e400",
      "[\"\xff\xfe\"]",  // invalid UTF-8
      "[\"\xc3\"]",      // UTF-8 sequence cut short
      "[\"a\x01\"]",     // raw control character
      "{}\0{}"s,         // NUL byte after the value
      "{\"a\": 1}\0"s,
      "[\"a\0b\"]"s,
      "\0"s,
      nestedArrays(100000),
      std::string(100000, '{'),
  };
  for (const std::string& text : cases) {
    JsonDocument document = parsed(kAnswer);
    EXPECT_FALSE(document.parse(text)) << text.substr(0, 40);
    expectNothingReadable(document);
  }
}

TEST(JsonDocumentParse, parseAfterAFailedParseStartsAfresh) {
  JsonDocument document = parsed(kAnswer);
  EXPECT_FALSE(document.parse(R"({"wmo": "1", "res": [{"name": "cut)"));
  EXPECT_TRUE(document.parse(R"({"res": [{"T": 1}]})"));
  EXPECT_EQ(document.toText(), R"({"res":[{"T":1}]})");
  EXPECT_FALSE(document.parse(nestedArrays(JsonDocument::kMaxDepth + 1)));
  EXPECT_TRUE(document.parse("[2]"));
  EXPECT_EQ(document.toText(), "[2]");
}

TEST(JsonDocumentParse, nestingIsBoundedAtMaxDepth) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(nestedArrays(JsonDocument::kMaxDepth)));
  EXPECT_EQ(document.getText(""), "");
  EXPECT_EQ(document.toText(), nestedArrays(JsonDocument::kMaxDepth));
  JsonDocument copy = document;
  EXPECT_EQ(copy.count(""), 1);
  EXPECT_FALSE(document.parse(nestedArrays(JsonDocument::kMaxDepth + 1)));

  std::string objects;
  for (int i = 0; i < JsonDocument::kMaxDepth; ++i) objects += "{\"a\":";
  objects += "1" + std::string(JsonDocument::kMaxDepth, '}');
  EXPECT_TRUE(document.parse(objects));
  EXPECT_FALSE(document.parse("[" + objects + "]"));
}

TEST(JsonDocumentParse, bracketsInsideStringsDoNotCountAsNesting) {
  const std::string brackets(1000, '[');
  const JsonDocument document = parsed("[\"" + brackets + "\", \"\\\"" + brackets + "\"]");
  EXPECT_EQ(document.getText("[0]"), brackets);
  EXPECT_EQ(document.getText("[1]"), "\"" + brackets);
}

TEST(JsonDocumentParse, readsTenThousandRecords) {
  std::string text = "{\"res\":[";
  for (int i = 0; i < 10000; ++i) {
    if (i > 0) text += ',';
    text += "{\"T\":" + std::to_string(i) + ".50,\"name\":\"s" + std::to_string(i) + "\"}";
  }
  text += "]}";
  const JsonDocument document = parsed(text);
  EXPECT_EQ(document.count("res"), 10000);
  EXPECT_EQ(document.getText("res[9999].T"), "9999.5");
  EXPECT_EQ(document.getText("res[5000].name"), "s5000");
  EXPECT_EQ(document.getText("res[10000].name"), "");
}

// ---- Writing --------------------------------------------------------------

TEST(JsonDocumentWrite, backslashFromSetTextReadsBackUnchanged) {
  JsonDocument document;
  ASSERT_TRUE(document.setText("path", "C:\\dir\\file"));
  EXPECT_EQ(document.getText("path"), "C:\\dir\\file");
  EXPECT_EQ(document.toText(), "{\"path\":\"C:\\dir\\file\"}");
  EXPECT_EQ(document.jsonTextAt("path"), "\"C:\\dir\\file\"");
  EXPECT_THAT(document.leafValues(""), ElementsAre("C:\u2400dir\u2400file"));
}

TEST(JsonDocumentWrite, setTextReplacesOrCreatesTheLastMember) {
  JsonDocument document = parsed(kAnswer);
  EXPECT_TRUE(document.setText("res[0].name", "New"));
  EXPECT_TRUE(document.setText("res[1].rain", "0.5"));
  EXPECT_TRUE(document.setText("empty", "now a string"));
  EXPECT_EQ(document.getText("res[0].name"), "New");
  EXPECT_EQ(document.getText("res[1].rain"), "0.5");
  EXPECT_EQ(document.getText("empty"), "now a string");
  EXPECT_THAT(document.memberNames("res[1]"), ElementsAre("name", "flags", "ok", "wet", "rain"));

  const std::string before = document.toText();
  EXPECT_FALSE(document.setText("absent.name", "x"));  // only the last member is created
  EXPECT_FALSE(document.setText("res[2]", "x"));
  EXPECT_FALSE(document.setText("wmo.x", "x"));
  EXPECT_FALSE(document.setText("res[x]", "x"));
  EXPECT_EQ(document.toText(), before);
}

TEST(JsonDocumentWrite, setNumberStoresTheDouble) {
  JsonDocument document;
  EXPECT_TRUE(document.setNumber("T", 23.40));
  EXPECT_EQ(document.getText("T"), "23.4");
  EXPECT_EQ(document.kindOf("T"), 2);
  EXPECT_TRUE(document.setNumber("T", std::nan("")));
  EXPECT_EQ(document.kindOf("T"), 0);
  EXPECT_EQ(document.toText(), "{\"T\":null}");
}

TEST(JsonDocumentWrite, toTextEscapesStringsAndWritesNumbersInTheirShortestForm) {
  const JsonDocument document = parsed(
      R"({"q\"k": "a\u0001\t\b\f\r\n/\u007f", "n": [1e-7, 100.0, -0, 12345678901234567890]})");
  EXPECT_EQ(
      document.toText(),
      "{\"q\\\"k\":\"a\\u0001\\t\\b\\f\\r\\n/\x7f\",\"n\":[1e-7,100,0,12345678901234567000]}");
  JsonDocument reread;
  ASSERT_TRUE(reread.parse(document.toText()));
  EXPECT_EQ(reread.toText(), document.toText());
}

TEST(JsonDocumentWrite, invalidUtf8IsWrittenAsReplacementCharacter) {
  JsonDocument document;
  ASSERT_TRUE(document.setText("s", "a\xff"));
  EXPECT_EQ(document.toText(), "{\"s\":\"a\xEF\xBF\xBD\"}");
}

TEST(JsonDocumentWrite, setJsonReplacesOrMerges) {
  JsonDocument document =
      parsed(R"({"s": "old", "b": true, "n": 1, "o": {"x": 1, "y": 2}, "a": [1], "keep": 0})");
  EXPECT_TRUE(document.setJson(
      "", R"({"s": "new", "b": false, "n": [9], "o": {"y": 3, "z": 4}, "a": [2, 3], "add": null})",
      true));
  EXPECT_EQ(
      document.toText(),
      R"({"s":"new","b":false,"n":[9],"o":{"x":1,"y":3,"z":4},"a":[1,2,3],"keep":0,"add":null})");

  EXPECT_TRUE(document.setJson("o", R"({"only": 1})"));
  EXPECT_EQ(document.jsonTextAt("o"), R"({"only":1})");
  EXPECT_TRUE(document.setJson("s", R"({"m": 1})", true));  // not an object before: replaced
  EXPECT_EQ(document.jsonTextAt("s"), R"({"m":1})");
  EXPECT_TRUE(document.setJson("fresh", "[1, 2]"));
  EXPECT_EQ(document.getText("fresh"), "1,2");

  const std::string before = document.toText();
  EXPECT_FALSE(document.setJson("s", "{bad"));
  EXPECT_FALSE(document.setJson("made", "{bad"));
  EXPECT_FALSE(document.setJson("absent.x", "1"));
  EXPECT_EQ(document.toText(), before);
}

TEST(JsonDocumentWrite, appendAddsAtEitherEnd) {
  JsonDocument document = parsed(R"({"list": ["b"], "s": "was text"})");
  EXPECT_TRUE(document.append("list", "c"));
  EXPECT_TRUE(document.append("list", "a", true, true));
  EXPECT_TRUE(document.append("list", R"({"k": [1]})", false));
  EXPECT_EQ(document.jsonTextAt("list"), R"(["a","b","c",{"k":[1]}])");
  EXPECT_TRUE(document.append("s", "1", false));  // not an array: becomes one
  EXPECT_TRUE(document.append("new", "x"));
  EXPECT_EQ(document.jsonTextAt("s"), "[1]");
  EXPECT_EQ(document.jsonTextAt("new"), R"(["x"])");

  const std::string before = document.toText();
  EXPECT_FALSE(document.append("list", "[1,", false));
  EXPECT_FALSE(document.append("other", "[1,", false));  // nothing created on failure
  EXPECT_FALSE(document.append("absent.x", "x"));
  EXPECT_EQ(document.toText(), before);
}

TEST(JsonDocumentWrite, setAndRemoveElements) {
  JsonDocument document = parsed(R"({"a": [1, 2, 3], "o": {"x": 1, "y": 2}})");
  EXPECT_TRUE(document.setElement("a", 1, "two"));
  EXPECT_TRUE(document.setElement("a", 2, "[3]", false));
  EXPECT_EQ(document.jsonTextAt("a"), R"([1,"two",[3]])");
  EXPECT_TRUE(document.removeElement("a", 0));
  EXPECT_EQ(document.jsonTextAt("a"), R"(["two",[3]])");
  EXPECT_TRUE(document.remove("o.x"));
  EXPECT_TRUE(document.remove("a[1]"));
  EXPECT_EQ(document.toText(), R"({"a":["two"],"o":{"y":2}})");

  const std::string before = document.toText();
  EXPECT_FALSE(document.setElement("a", 1, "x"));
  EXPECT_FALSE(document.setElement("a", -1, "x"));
  EXPECT_FALSE(document.setElement("o", 0, "x"));
  EXPECT_FALSE(document.setElement("a", 0, "{bad", false));
  EXPECT_FALSE(document.removeElement("a", 1));
  EXPECT_FALSE(document.removeElement("o", 0));
  EXPECT_FALSE(document.remove("o.absent"));
  EXPECT_FALSE(document.remove(""));
  EXPECT_EQ(document.toText(), before);
}

TEST(JsonDocumentWrite, writesCannotNestDeeperThanMaxDepth) {
  // The innermost array sits kMaxDepth - 1 levels down: what is stored in it
  // may add one level, no more.
  JsonDocument document = parsed(nestedArrays(JsonDocument::kMaxDepth - 1));
  std::string innermost;
  for (int i = 0; i < JsonDocument::kMaxDepth - 2; ++i) innermost += "[0]";

  EXPECT_FALSE(document.append(innermost, "[[]]", false));
  EXPECT_FALSE(document.setJson(innermost, "[[[]]]"));
  EXPECT_FALSE(document.setElement(innermost, 0, "x"));  // no element yet
  EXPECT_TRUE(document.append(innermost, "[\"s\"]", false));
  EXPECT_FALSE(document.setElement(innermost, 0, "[[]]", false));
  EXPECT_FALSE(document.append(innermost + "[0][0]", "x"));  // "s" would become an array
  EXPECT_TRUE(document.setElement(innermost + "[0]", 0, "t"));

  JsonDocument reread;
  EXPECT_TRUE(reread.parse(document.toText()));
  EXPECT_EQ(reread.getText(""), "t");
}

// ---- Whole documents ------------------------------------------------------

TEST(JsonDocument, newAndClearedDocumentsHoldAnEmptyObject) {
  JsonDocument document;
  EXPECT_EQ(document.toText(), "{}");
  EXPECT_EQ(document.kindOf(""), 4);
  ASSERT_TRUE(document.parse(kAnswer));
  document.clear();
  EXPECT_EQ(document.toText(), "{}");
}

TEST(JsonDocument, toTextIsCompactAndKeepsMemberOrder) {
  const JsonDocument document = parsed(R"({ "z" : [ 1 , 2.50 ] , "a" : { "b" : "中" } })");
  EXPECT_EQ(document.toText(), R"({"z":[1,2.5],"a":{"b":"中"}})");
  EXPECT_EQ(document.jsonTextAt("a"), R"({"b":"中"})");
  EXPECT_EQ(document.jsonTextAt("absent"), "");
}

TEST(JsonDocument, copiesAndSubDocumentsAreIndependent) {
  JsonDocument document = parsed(kAnswer);
  JsonDocument copy = document;
  JsonDocument record = document.subDocument("res[0]");
  document.setText("wmo", "changed");
  document.setText("res[0].name", "changed");
  EXPECT_EQ(copy.getText("wmo"), "58453");
  EXPECT_EQ(record.getText("name"), "Hangzhou");
  EXPECT_EQ(record.getText("acc.T"), "1e-7");
  expectNothingReadable(document.subDocument("absent"));
}

TEST(JsonDocument, assignedDocumentsAreIndependentCopies) {
  JsonDocument document = parsed(kAnswer);
  JsonDocument copy;
  copy = document;
  JsonDocument moved;
  moved = std::move(copy);
  document.setText("res[1].flags[2]", "changed");
  EXPECT_EQ(moved.getText("res[1].flags[2]"), "a");
  EXPECT_EQ(moved.toText(), parsed(kAnswer).toText());
  moved = moved.subDocument("res[1]");
  EXPECT_EQ(moved.getText("name"), "Xiaoshan");
}

TEST(JsonDocument, movedFromDocumentReadsEmptyAndCanParseAgain) {
  JsonDocument document = parsed(kAnswer);
  JsonDocument taken = std::move(document);
  EXPECT_EQ(taken.getText("wmo"), "58453");
  expectNothingReadable(document);  // NOLINT(bugprone-use-after-move)
  EXPECT_TRUE(document.parse("[1]"));
  EXPECT_EQ(document.getText(""), "1");
}

}  // namespace
}  // namespace skyrill
