#include "core/encoding.h"

#include <gtest/gtest.h>

namespace skyrill {
namespace {

TEST(Encoding, chineseTextRoundTripsThroughGb18030) {
  const std::string text = "获取失败！气温℃ 58453 😀";
  const std::string gb = utf8ToGb18030(text);
  EXPECT_NE(gb, text);
  EXPECT_EQ(gb18030ToUtf8(gb), text);
  // Two bytes per Han character and full-width sign, four for the emoji.
  EXPECT_EQ(gb18030Length("获取"), 4u);
  EXPECT_EQ(gb18030Length("😀"), 4u);
  EXPECT_EQ(gb18030Length("abc"), 3u);
}

TEST(Encoding, invalidInputIsReplacedNotDropped) {
  EXPECT_EQ(utf8ToGb18030("a\xFF"
                          "b"),
            "a?b");
  EXPECT_EQ(gb18030ToUtf8("a\x81"), "a\xEF\xBF\xBD");  // cut two-byte character
}

TEST(Encoding, sanitizeUtf8ReplacesEachInvalidByte) {
  struct Case {
    std::string input;
    std::string expected;
  } cases[] = {
      {"plain", "plain"},
      {"温度", "温度"},
      {"a\xFF"
       "b",
       "a\uFFFD"
       "b"},
      {"\xC0\xAF", "\uFFFD\uFFFD"},                      // overlong "/"
      {"\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},            // surrogate
      {"\xE6\xB8", "\uFFFD\uFFFD"},                      // cut at the end
      {"\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(sanitizeUtf8(c.input), c.expected) << c.input;
}

TEST(Encoding, gb18030PrefixNeverSplitsACharacter) {
  const std::string text = "a获取b";  // GB18030: 1 + 2 + 2 + 1 bytes
  struct Case {
    std::size_t bytes;
    std::string expected;
  } cases[] = {{0, ""},    {1, "a"},     {2, "a"},  {3, "a获"},
               {4, "a获"}, {5, "a获取"}, {6, text}, {100, text}};
  for (const Case& c : cases) EXPECT_EQ(gb18030Prefix(text, c.bytes), c.expected) << c.bytes;
}

}  // namespace
}  // namespace skyrill
