#pragma once

#include <string>
#include <string_view>

// The numeric conventions shared by the analysis, the charts and the readout.
namespace skyrill {

// Tolerance of every numeric comparison of the analysis.
inline constexpr double compareTolerance = 0.0000001;

inline bool isGreater(double a, double b) { return a - b > compareTolerance; }
inline bool isLess(double a, double b) { return a - b < -compareTolerance; }
inline bool isAtLeast(double a, double b) { return a - b >= -compareTolerance; }
inline bool isAtMost(double a, double b) { return a - b <= compareTolerance; }

// The decimal number at the start of a text (leading spaces skipped; sign,
// digits, point, exponent; full-width digits, signs and points count as
// ASCII); 0 when the text does not start with a number.
double numericValue(std::string_view text);
// numericValue with its fraction dropped.
long long integerValue(std::string_view text);

// The text with every ASCII "(" and ")" removed.
std::string cleanSlotText(std::string_view text);
// numericValue of the cleaned text.
double slotNumber(std::string_view text);

// x rounded to n decimals, halves away from zero.
double roundHalfAway(double x, int n);
// printf "%.Nf" of x.
std::string formatFixed(double x, int decimals);

}  // namespace skyrill
