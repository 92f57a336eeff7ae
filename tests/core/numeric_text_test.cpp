#include "core/numeric_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

namespace skyrill {
namespace {

struct NumberCase {
  const char* text;
  double value;
};

TEST(NumericValue, readsTheNumberAtTheStart) {
  const NumberCase cases[] = {
      {"", 0},
      {"abc", 0},
      {"12.5", 12.5},
      {"  -3.25", -3.25},
      {"\t7", 0},   // only spaces are skipped
      {" \t7", 0},  // after them, a tab ends the number too
      {"\n7", 0},
      {"+4", 4},
      {"5.", 5},
      {".5", 0},  // digits come before the point
      {"-.5", 0},
      {"  .5", 0},
      {"．５", 0},  // full-width, the same
      {"５．", 5},
      {".", 0},
      {"-", 0},
      {"+.", 0},
      {"1e3", 1000},
      {"1E-2", 0.01},
      {"2e", 2},
      {"2e+", 2},
      {"2ex", 2},
      {"3.4（2级）", 3.4},
      {"0.8（大雾）", 0.8},
      {"23 {24}", 23},
      {" {24}", 0},
      {"(0.3)", 0},
      {"1.2.3", 1.2},
      {"--1", 0},
      {"１２．５", 12.5},  // full-width digits and point
      {"－３", -3},        // full-width minus
      {"＋１e２", 100},    // full-width plus, ASCII exponent
      {"1２", 12},         // ASCII and full-width mixed
      {"ｅ5", 0},          // a full-width letter is not a number character
      {"\xEF\xBC", 0},     // a cut-off full-width sequence
      {"-0", 0},
      {"0x10", 0},
      {"1,5", 1},
  };
  for (const NumberCase& c : cases) {
    EXPECT_DOUBLE_EQ(numericValue(c.text), c.value) << c.text;
  }
}

TEST(NumericValue, holdsHugeAndTinyNumbersFinite) {
  const double largest = std::numeric_limits<double>::max();
  const NumberCase cases[] = {
      {"1e999", largest},      {"-1e999", -largest},  {"1e99999999999999999999", largest},
      {"0.0001e313", largest}, {"0.0001e312", 1e308}, {"1e-999", 0},
      {"-1e-999", 0},          {"0.0000001e-400", 0}, {"100e-400", 0},
  };
  for (const NumberCase& c : cases) {
    const double value = numericValue(c.text);
    EXPECT_TRUE(std::isfinite(value)) << c.text;
    EXPECT_DOUBLE_EQ(value, c.value) << c.text;
  }
  const std::string manyDigits = std::string(400, '9');
  EXPECT_DOUBLE_EQ(numericValue(manyDigits), largest);
  EXPECT_DOUBLE_EQ(numericValue("0." + std::string(400, '0') + "1"), 0);
  EXPECT_DOUBLE_EQ(numericValue("nan"), 0);
  EXPECT_DOUBLE_EQ(numericValue("inf"), 0);
  EXPECT_DOUBLE_EQ(numericValue("-Infinity"), 0);
}

// A zero written with a minus is 0, while a negative number too small for
// a double keeps its sign, as one just above that does.
TEST(NumericValue, tinyNegativeNumbersKeepTheirSign) {
  const struct {
    const char* text;
    bool negative;
  } cases[] = {
      {"-0", false},       {"-0.0", false},   {"-0e-400", false}, {"-0.000e5", false},
      {"-1e-320", true},   {"-1e-400", true}, {"-1e-999", true},  {"-0.0001e-400", true},
      {"－１e-400", true}, {"1e-400", false}, {"+1e-400", false}, {"-1e-400（大雾）", true},
  };
  for (const auto& c : cases) {
    const double value = numericValue(c.text);
    EXPECT_TRUE(value == 0 || std::fabs(value) < 1e-300) << c.text;
    EXPECT_EQ(std::signbit(value), c.negative) << c.text;
  }
}

TEST(IntegerValue, dropsTheFractionWithinRange) {
  EXPECT_EQ(integerValue("85.9"), 85);
  EXPECT_EQ(integerValue("-3.7"), -3);
  EXPECT_EQ(integerValue("x"), 0);
  EXPECT_EQ(integerValue("1e999"), std::numeric_limits<long long>::max());
  EXPECT_EQ(integerValue("-1e999"), std::numeric_limits<long long>::min());
}

TEST(SlotText, cleaningRemovesOnlyAsciiParentheses) {
  EXPECT_EQ(cleanSlotText("(0.3)"), "0.3");
  EXPECT_EQ(cleanSlotText("()"), "");
  EXPECT_EQ(cleanSlotText("3.4（2级）"), "3.4（2级）");
  EXPECT_DOUBLE_EQ(slotNumber("(0.3)"), 0.3);
  EXPECT_DOUBLE_EQ(slotNumber("0.8（大雾）"), 0.8);
  EXPECT_DOUBLE_EQ(slotNumber("（1）"), 0);
  // A parenthesis inside the number joins its parts once removed; one
  // after it changes nothing; a text of parentheses alone has no value.
  const struct {
    const char* text;
    bool hasText;
    double number;
  } cases[] = {
      {"", false, 0},
      {"()", false, 0},
      {")(", false, 0},
      {"(", false, 0},
      {"5", true, 5},
      {"5(0)", true, 50},
      {"5.(2)", true, 5.2},
      {"1e(2)", true, 100},
      {"-(3)", true, -3},
      {" (7)", true, 7},
      {"5 (3)", true, 5},
      {"5(", true, 5},
      {"0.8（大雾）", true, 0.8},
      {"(0.3)（小）", true, 0.3},
      {"()x", true, 0},
      {"\t(5)", true, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hasSlotText(c.text), c.hasText) << c.text;
    EXPECT_DOUBLE_EQ(slotNumber(c.text), c.number) << c.text;
  }
}

TEST(RoundHalfAway, roundsHalvesAwayFromZero) {
  struct Case {
    double x;
    int decimals;
    double rounded;
  };
  const Case cases[] = {
      {0, 1, 0},        {2.25, 1, 2.3}, {-2.25, 1, -2.3}, {7.125, 2, 7.13},
      {31.25, 1, 31.3}, {2.24, 1, 2.2}, {-2.24, 1, -2.2}, {0.05, 1, 0.1},
      {1.005, 2, 1.01}, {12.5, 0, 13},  {-0.04, 1, 0},    {1e300, 1, 1e300},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(roundHalfAway(c.x, c.decimals), c.rounded) << c.x << " to " << c.decimals;
  }
  EXPECT_TRUE(std::signbit(roundHalfAway(-0.0, 1)));  // a zero keeps its sign
  EXPECT_TRUE(std::signbit(roundHalfAway(-1e-320, 1)));
  const double largest = std::numeric_limits<double>::max();
  EXPECT_EQ(roundHalfAway(largest, 3), largest);
  EXPECT_EQ(roundHalfAway(-largest, 3), -largest);
}

TEST(FormatFixed, writesPrintfFixedPointAndNeverInfOrNan) {
  EXPECT_EQ(formatFixed(31.3, 1), "31.3");
  EXPECT_EQ(formatFixed(7.13, 2), "7.13");
  EXPECT_EQ(formatFixed(999, 3), "999.000");
  EXPECT_EQ(formatFixed(-2.3, 1), "-2.3");
  EXPECT_EQ(formatFixed(0.25, 1), "0.2");  // printf rounds the binary value, half to even
  EXPECT_EQ(formatFixed(1013.25, 1), "1013.2");
  const double inf = std::numeric_limits<double>::infinity();
  const std::string largest = formatFixed(DBL_MAX, 1);
  EXPECT_EQ(largest.size(), 311u);
  EXPECT_EQ(largest.substr(0, 5), "17976");
  EXPECT_EQ(formatFixed(inf, 1), largest);
  EXPECT_EQ(formatFixed(-inf, 1), "-" + largest);
  EXPECT_EQ(formatFixed(std::nan(""), 2), "0.00");
}

}  // namespace
}  // namespace skyrill
