// What the parser and the compact tree can get wrong beyond the document's
// reading rules: repeated names at every object size, integers beyond 64
// bits, the size cap, invalid UTF-8 in names, very deep and very wide input,
// and values found once and read from.

#include <array>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "json/json_document.h"

namespace skyrill {
namespace {

using ::testing::ElementsAreArray;

std::string name(int i) {
  return "k" + std::to_string(i);
}

// An object of `count` names k0, k1, ... holding their number, then every
// third name again holding its number negated, then k0 a third time.
std::string objectWithRepeats(int count) {
  std::string text = "{";
  for (int i = 0; i < count; ++i) text += "\"" + name(i) + "\":" + std::to_string(i) + ",";
  for (int i = 0; i < count; i += 3) text += "\"" + name(i) + "\":" + std::to_string(-i) + ",";
  return text + "\"k0\":\"last\"}";
}

// Objects small and large find repeated names in different ways.
TEST(JsonDocumentScale, repeatedNamesKeepTheirFirstPlaceAndLastValueAtEverySize) {
  for (const int count : {2, 5, 17, 64, 65, 1000, 100000}) {
    JsonDocument document;
    ASSERT_TRUE(document.parse(objectWithRepeats(count))) << count;
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(name(i));
    EXPECT_THAT(document.memberNames(""), ElementsAreArray(names)) << count;
    EXPECT_EQ(document.getText("k0"), "last") << count;
    for (int i = 1; i < count; ++i) {
      const std::string expected = std::to_string(i % 3 == 0 ? -i : i);
      ASSERT_EQ(document.getText(name(i)), expected) << count << " " << i;
    }
  }
}

// A large object's names are indexed by the first lookup that needs them:
// readers on several threads that race to it all read alike.
TEST(JsonDocumentScale, firstLookupsOnSeveralThreadsReadAlike) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(objectWithRepeats(5000)));
  const JsonDocument& shared = document;
  std::vector<int> wrong(4, 0);
  std::vector<std::thread> readers;
  for (std::size_t t = 0; t < wrong.size(); ++t) {
    readers.emplace_back([&shared, &wrong, t] {
      for (int i = 1; i < 5000; ++i) {
        const std::string expected = std::to_string(i % 3 == 0 ? -i : i);
        if (shared.getText(name(i)) != expected) ++wrong[t];
      }
    });
  }
  for (std::thread& reader : readers) reader.join();
  EXPECT_THAT(wrong, ::testing::Each(0));
  EXPECT_EQ(shared.getText("k0"), "last");
}

TEST(JsonDocumentScale, repeatedNamesInsideRepeatedObjectsKeepTheLastWhole) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(
      R"({"r": {"a": 1, "a": {"b": [1, 2]}}, "x": 0, "r": {"a": {"b": 3}, "c": 4}})"));
  EXPECT_EQ(document.toText(), R"({"r":{"a":{"b":3},"c":4},"x":0})");
}

TEST(JsonDocumentScale, integersBeyondSixtyFourBitsReadAsTheNearestDouble) {
  const struct {
    const char* json;
    const char* path;
    const char* text;
  } cases[] = {
      {"[18446744073709551615]", "[0]", "18446744073709552000"},  // the largest uint64
      {"[18446744073709551616]", "[0]", "18446744073709552000"},
      {"[-9223372036854775809]", "[0]", "-9223372036854776000"},
      {"[123456789012345678901234567890]", "[0]", "1.2345678901234568e+29"},
      {"[-123456789012345678901234567890]", "[0]", "-1.2345678901234568e+29"},
      {R"({"res": [{"T": 100000000000000000000000, "P": 1.5}]})", "res[0].T", "1e+23"},
      {R"({"res": [{"T": 100000000000000000000000, "P": 1.5}]})", "res[0].P", "1.5"},
      // Beside such an integer, long decimals still read as their nearest double.
      {"[18446744073709551616, 0.95000000000000000000]", "[1]", "0.95"},
      {"[18446744073709551616, -0.037777777777777777777]", "[1]", "-0.03777777777777778"},
      {"[18446744073709551616, 1000000000.000000001e-3]", "[1]", "1000000"},
      {"[18446744073709551616, 0.00000000000000000000012345678901234567890]", "[1]",
       "1.2345678901234568e-22"},
      {"[18446744073709551616, 0.00000000000000000000000000000000000001e-300]", "[1]", "0"},
      {"[18446744073709551616, 1221e-40004000000000000000, 5]", "[1]", "0"},
      {"[18446744073709551616, 1221e-40004000000000000000, 5]", "[2]", "5"},
  };
  for (const auto& c : cases) {
    JsonDocument document;
    ASSERT_TRUE(document.parse(c.json)) << c.json;
    EXPECT_EQ(document.getText(c.path), c.text) << c.json;
  }
  // Numbers beyond the largest double fail the parse, long or short.
  for (const char* text : {"[1e400]", "[-0.24883630761758248086545305337206e+315]",
                           "[18446744073709551616, 0.000000000000000000012e+330]",
                           "[18446744073709551616, 1e40004000000000000000]",
                           "[18446744073709551616, 0.00000000000000000000001x]",
                           "[18446744073709551616, 01234567890123456789012]",
                           "[18446744073709551616, 1.e12345678901234567890]"}) {
    EXPECT_FALSE(JsonDocument().parse(text)) << text;
  }
}

TEST(JsonDocumentScale, byteOrderMarkAndWhiteSpaceAroundTheValueAreSkipped) {
  const struct {
    const char* json;
    const char* text;
  } cases[] = {
      {"\xEF\xBB\xBF{\"a\": 1}", "[object Object]"},
      {"\xEF\xBB\xBF\t\"\xE4\xB8\xAD\"\n", "\xE4\xB8\xAD"},
      {"false  \r\n  ", "false"},
      {"\ttrue   \n\n", "true"},
      {"-2.5     ", "-2.5"},
      {"[1]\n\n\n", "1"},
  };
  for (const auto& c : cases) {
    JsonDocument document;
    ASSERT_TRUE(document.parse(c.json)) << c.json;
    EXPECT_EQ(document.getText(""), c.text) << c.json;
  }
  JsonDocument document;
  EXPECT_FALSE(document.parse("\xEF\xBB\xBF"));
  EXPECT_FALSE(document.parse(" \xEF\xBB\xBF[1]"));  // only at the very start
}

// Texts up to 1 MiB and larger ones are read by different engines:
// the same value must read the same behind 1 MiB of white space.
TEST(JsonDocumentScale, smallAndLargeTextsReadAlike) {
  const std::string padding(1024 * 1024 + 1, ' ');
  const char* cases[] = {
      R"({"a": [1, -0, 2.50, 1e-7, 18446744073709551616, true, null, "x\u00e9"], "a": {"b": {}}})",
      R"([{"k": 1, "k": 2, "j": [[]]}, "\\", -123456789012345678901234567890])",
      "\"tail\"",
      "[1, 2,]",
      "{\"a\": 1} x",
      "[\"\xff\"]",
      "[1e400]",
      "[0.95000000000000000000, -0.037777777777777777777]",
      "[-0.24883630761758248086545305337206e+315]",
      "[0.000000000000000000000000000000000000000000012e+330]",
      "[0.00000000000000000000000000000000000001e-300]",
  };
  for (const char* text : cases) {
    JsonDocument small;
    JsonDocument large;
    const bool smallParsed = small.parse(text);
    EXPECT_EQ(large.parse(padding + text), smallParsed) << text;
    EXPECT_EQ(large.toText(), small.toText()) << text;
  }
}

TEST(JsonDocumentScale, textsBeyondTheSizeCapFailToParse) {
  const auto stringOf = [](std::size_t bytes) { return "\"" + std::string(bytes - 2, 'a') + "\""; };
  JsonDocument document;
  EXPECT_TRUE(document.parse(stringOf(JsonDocument::kMaxTextBytes)));
  EXPECT_EQ(document.getText("").size(), JsonDocument::kMaxTextBytes - 2);
  EXPECT_FALSE(document.parse(stringOf(JsonDocument::kMaxTextBytes + 1)));
  EXPECT_EQ(document.getText(""), "");
  EXPECT_TRUE(document.parse("[1]"));
}

TEST(JsonDocumentScale, invalidUtf8InNamesFailsToParse) {
  const char* cases[] = {
      "{\"\xff\": 1}",
      "{\"a\xc3\": 1}",             // cut short
      "{\"\xc0\xaf\": 1}",          // overlong "/"
      "{\"\xed\xa0\x80\": 1}",      // a surrogate
      "{\"\xf4\x90\x80\x80\": 1}",  // beyond U+10FFFF
      R"({"\ud800": 1})",           // an escaped lone surrogate
      "{\"ok\": {\"\xfe\": 1}}",
  };
  for (const char* text : cases) {
    JsonDocument document;
    EXPECT_FALSE(document.parse(text)) << text;
  }
  JsonDocument document;
  ASSERT_TRUE(document.parse(R"({"\u4e2d": 1, "\ud83d\ude00": 2})"));
  EXPECT_EQ(document.getText("中"), "1");
  EXPECT_EQ(document.getText("\xF0\x9F\x98\x80"), "2");
}

TEST(JsonDocumentScale, wideInputAtTheDeepestLevelReadsWhole) {
  // Arrays, then an object of arrays at the deepest level.
  const int depth = JsonDocument::kMaxDepth - 2;
  std::string text(static_cast<std::size_t>(depth), '[');
  text += "{";
  for (int i = 0; i < 100000; ++i)
    text += (i > 0 ? ",\"" : "\"") + name(i) + "\":[" + std::to_string(i) + "]";
  text += "}" + std::string(static_cast<std::size_t>(depth), ']');
  JsonDocument document;
  ASSERT_TRUE(document.parse(text));
  std::string path;
  for (int i = 0; i < depth; ++i) path += "[0]";
  EXPECT_EQ(document.memberNames(path).size(), 100000u);
  EXPECT_EQ(document.getText(path + ".k99999"), "99999");
  EXPECT_EQ(document.kindOf(path + ".k99999[0]"), 2);
  EXPECT_EQ(document.toText(), text);
  EXPECT_FALSE(document.parse("[" + text + "]"));
}

TEST(JsonDocumentScale, millionElementArrayReadsWhole) {
  std::string text = "[";
  for (int i = 0; i < 1000000; ++i) text += (i > 0 ? "," : "") + std::to_string(i % 10);
  text += "]";
  JsonDocument document;
  ASSERT_TRUE(document.parse(text));
  EXPECT_EQ(document.count(""), 1000000);
  EXPECT_EQ(document.getText("[999999]"), "9");
  EXPECT_EQ(document.getText("[1000000]"), "");
}

TEST(JsonDocumentScale, mixedNestingIsBoundedAtMaxDepth) {
  std::string mixed;
  for (int i = 0; i < JsonDocument::kMaxDepth; ++i) mixed += i % 2 ? "{\"a\":" : "[";
  std::string closing;
  for (int i = JsonDocument::kMaxDepth - 1; i >= 0; --i) closing += i % 2 ? "}" : "]";
  JsonDocument document;
  EXPECT_TRUE(document.parse(mixed + "1" + closing));
  EXPECT_FALSE(document.parse("[" + mixed + "1" + closing + "]"));
}

// ---- Values found once ------------------------------------------------------

constexpr std::string_view kAnswer = R"({
  "res": [
    {"name": "a", "time": "t0", "T": 23.40, "P": null, "acc": {"T": 1e-7}},
    {"WX": 0, "T": -5, "flags": [1, null, "x"], "name": "b"}
  ],
  "wmo": "58453"
})";

TEST(JsonValue, readsAsThePathsThatLeadToIt) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(kAnswer));
  const JsonValue records = document.at("res");
  const struct {
    JsonValue value;
    const char* path;
  } cases[] = {
      {records.element(0).member("name"), "res[0].name"},
      {records.element(0).member("T"), "res[0].T"},
      {records.element(0).member("P"), "res[0].P"},
      {records.element(0).member("acc").member("T"), "res[0].acc.T"},
      {records.element(1).member("flags"), "res[1].flags"},
      {records.element(1), "res[1]"},
      {records.element(2).member("name"), "res[2].name"},
      {records.member("name"), "res.name"},
      {document.at("wmo").member("x"), "wmo.x"},
      {document.at("wmo").element(0), "wmo[0]"},
      {document.at("absent").member("x"), "absent.x"},
      {document.at("res[x]"), "res[x]"},
      {document.at(""), ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.value.text(), document.getText(c.path)) << c.path;
    EXPECT_EQ(c.value.count(), document.count(c.path)) << c.path;
    EXPECT_EQ(c.value.exists(), document.exists(c.path)) << c.path;
    EXPECT_EQ(c.value.isObject(), document.kindOf(c.path) == 4) << c.path;
  }
}

TEST(JsonValue, elementsAreReadInOrderAndOnlyFromArrays) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(kAnswer));
  std::vector<std::string> names;
  for (const JsonValue record : document.at("res").elements()) {
    names.push_back(record.member("name").text());
  }
  EXPECT_THAT(names, ElementsAreArray({"a", "b"}));
  std::vector<std::string> flags;
  for (const JsonValue flag : document.at("res[1].flags").elements()) flags.push_back(flag.text());
  EXPECT_THAT(flags, ElementsAreArray({"1", "", "x"}));
  for (const char* path : {"wmo", "res[0]", "absent", "res[1].flags[1]"}) {
    EXPECT_EQ(document.at(path).elements().begin(), document.at(path).elements().end()) << path;
  }
}

// One pass over an object finds every name asked for, a repeated one with its last value.
TEST(JsonValue, membersFoundInOnePassReadAsTheirPaths) {
  JsonDocument document;
  ASSERT_TRUE(
      document.parse(R"({"T": 1, "WS0mMAX1h": 2, "WS0mMAX1x": 3, "T": "again", "acc": {"T": 4}})"));
  const std::array<std::string_view, 5> texts = {"acc", "T", "WS0mMAX1x", "WS0mMAX1h", "absent"};
  const JsonNames names(texts);
  std::array<JsonValue, 5> values;
  document.at("").members(names, values);
  for (std::size_t k = 0; k < names.size(); ++k) {
    const std::string path(names[k]);
    EXPECT_EQ(values[k].text(), document.getText(path)) << path;
    EXPECT_EQ(values[k].exists(), document.exists(path)) << path;
  }
  EXPECT_EQ(values[1].text(), "again");
  document.at("acc").members(names, values);
  EXPECT_EQ(values[1].text(), "4");
  EXPECT_FALSE(values[0].exists());
}

}  // namespace
}  // namespace skyrill
