#pragma once

#include <string>
#include <string_view>

// The numeric conventions shared by the analysis, the charts and the readout.
namespace skyrill {

// Tolerance of every numeric comparison of the analysis.
inline constexpr double compareTolerance = 0.0000001;

inline bool isGreater(double a, double b) {
  return a - b > compareTolerance;
}
inline bool isLess(double a, double b) {
  return a - b < -compareTolerance;
}
inline bool isAtLeast(double a, double b) {
  return a - b >= -compareTolerance;
}
inline bool isAtMost(double a, double b) {
  return a - b <= compareTolerance;
}

// The decimal number at the start of a UTF-8 text: leading spaces skipped
// (any other white space ends it), then the longest prefix of sign, digits,
// point and digits, and an exponent ("5." is 5; ".5" is 0, digits must come
// first); full-width digits, signs and points count as ASCII. 0 when the
// text does not start with a number. A number too large for a double reads
// as the largest finite one, one too small as 0, both with their sign; the
// result is never inf or NaN, and -0 only for a negative number too small.
double numericValue(std::string_view text);
// numericValue with its fraction dropped, held within the long long range.
long long integerValue(std::string_view text);
// The same for a number already read.
long long truncatedInteger(double value);

// The text with every ASCII "(" and ")" removed.
std::string cleanSlotText(std::string_view text);
// The same without a copy when there is nothing to remove, as nearly
// always; otherwise the cleaned text is kept in `room`.
std::string_view cleanSlotText(std::string_view text, std::string& room);
// Whether the cleaned text is not empty: the slot has the element.
bool hasSlotText(std::string_view text);
// numericValue of the cleaned text.
double slotNumber(std::string_view text);

// x rounded to n decimals, halves away from zero (2.25 -> 2.3, -2.25 -> -2.3).
// A value too large to hold a fraction comes back unchanged, and so does a
// zero, its sign included.
double roundHalfAway(double x, int n);
// x within the finite range: inf becomes the largest finite double, NaN 0.
double clampFinite(double x);
// printf "%.Nf" of x in the C locale, whatever the process locale; a
// non-finite x is clamped first, so the text is never "inf" or "nan".
std::string formatFixed(double x, int decimals);
// x rounded half away from zero to that many decimals and written so; a
// value that rounds to zero is written without a minus sign ("0.0").
std::string roundedText(double x, int decimals);

}  // namespace skyrill
