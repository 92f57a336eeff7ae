#include "core/numeric_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace skyrill {

namespace {

constexpr double kLargest = std::numeric_limits<double>::max();

// The ASCII form of the number character at `pos` ("0"-"9", "+", "-", ".",
// "e", "E", or their full-width forms for digits, signs and point) and its
// length in bytes; 0 for any other character.
struct NumberChar {
  char ascii = 0;
  std::size_t length = 0;
};

NumberChar numberCharAt(std::string_view text, std::size_t pos) {
  const char c = text[pos];
  if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E') {
    return {c, 1};
  }
  // Full-width forms U+FF0B "＋", U+FF0D "－", U+FF0E "．", U+FF10-FF19 "０"-"９"
  // are EF BC 8B, EF BC 8D, EF BC 8E, EF BC 90-99 in UTF-8.
  if (pos + 2 < text.size() && static_cast<unsigned char>(c) == 0xEF &&
      static_cast<unsigned char>(text[pos + 1]) == 0xBC) {
    const auto last = static_cast<unsigned char>(text[pos + 2]);
    if (last >= 0x90 && last <= 0x99) return {static_cast<char>('0' + (last - 0x90)), 3};
    if (last == 0x8B) return {'+', 3};
    if (last == 0x8D) return {'-', 3};
    if (last == 0x8E) return {'.', 3};
  }
  return {};
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads the longest number prefix of a text (after leading spaces) into
// plain ASCII, and notes its decimal magnitude so that an overflow can be
// told from an underflow.
class NumberScanner {
 public:
  explicit NumberScanner(std::string_view text) : text_(text) {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }

  // False when the text does not start with a number: digits must come
  // before any point.
  bool scan() {
    acceptSign(ascii_);
    if (acceptDigits(ascii_, true) == 0) return false;
    if (peek().ascii == '.') {
      take(ascii_);
      acceptDigits(ascii_, false);
    }
    scanExponent();
    return true;
  }

  const std::string& ascii() const { return ascii_; }
  bool isNegative() const { return ascii_.front() == '-'; }
  // Whether any digit before the exponent is not 0.
  bool hasNonzeroDigit() const { return nonzero_; }

  // Position of the leading significant digit relative to the point, plus
  // the exponent: positive for values of 1 or more.
  long long magnitude() const {
    const long long digitsPart = significantIntegerDigits_ > 0
                                     ? static_cast<long long>(significantIntegerDigits_)
                                     : -static_cast<long long>(leadingFractionZeros_);
    return digitsPart + exponent_;
  }

 private:
  NumberChar peek() const { return pos_ < text_.size() ? numberCharAt(text_, pos_) : NumberChar{}; }
  void take(std::string& out) {
    const NumberChar c = peek();
    out += c.ascii;
    pos_ += c.length;
  }
  void acceptSign(std::string& out) {
    const char c = peek().ascii;
    if (c == '+' || c == '-') take(out);
  }

  std::size_t acceptDigits(std::string& out, bool integerPart) {
    std::size_t count = 0;
    bool significant = false;
    while (isDigit(peek().ascii)) {
      significant = significant || peek().ascii != '0';
      nonzero_ = nonzero_ || significant;
      if (integerPart && significant) ++significantIntegerDigits_;
      if (!integerPart && !significant) ++leadingFractionZeros_;
      take(out);
      ++count;
    }
    return count;
  }

  // An exponent counts only when at least one digit follows "e" and its sign.
  void scanExponent() {
    const char e = peek().ascii;
    if (e != 'e' && e != 'E') return;
    const std::size_t start = pos_;
    std::string part;
    take(part);
    acceptSign(part);
    const bool negative = part.back() == '-';
    std::size_t digits = 0;
    while (isDigit(peek().ascii)) {
      const int digit = peek().ascii - '0';
      if (exponent_ < 1'000'000'000) exponent_ = exponent_ * 10 + digit;
      take(part);
      ++digits;
    }
    if (digits == 0) {
      pos_ = start;
      exponent_ = 0;
      return;
    }
    if (negative) exponent_ = -exponent_;
    ascii_ += part;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string ascii_;
  std::size_t significantIntegerDigits_ = 0;
  std::size_t leadingFractionZeros_ = 0;
  long long exponent_ = 0;
  bool nonzero_ = false;
};

// A full-width digit, sign or point at `at`, which continues a number.
bool isFullWidthNumberChar(const char* at, const char* end) {
  return end - at >= 3 && numberCharAt({at, 3}, 0).length == 3;
}

// The usual case, read without copying: optional sign, up to 15 ASCII
// digits with at most one point after the first, no exponent. Such a number
// is its digits divided by a power of ten, both exact in a double, and the
// division rounds correctly. Nothing when the text needs the full scan,
// or, for a slot text, when an ASCII parenthesis ends the number: without
// it, the number might go on.
std::optional<double> plainNumericValue(std::string_view text, bool slotText = false) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const char* at = text.data();
  const char* const end = at + text.size();
  while (at != end && *at == ' ') ++at;
  const bool negative = at != end && *at == '-';
  if (at != end && (*at == '-' || *at == '+')) ++at;
  std::uint64_t digits = 0;
  const char* const first = at;
  for (; at != end && isDigit(*at); ++at) digits = digits * 10 + static_cast<unsigned>(*at - '0');
  const std::size_t integerDigits = static_cast<std::size_t>(at - first);
  if (integerDigits == 0) return std::nullopt;
  std::size_t decimals = 0;
  if (at != end && *at == '.') {
    const char* const fraction = ++at;
    for (; at != end && isDigit(*at); ++at) {
      digits = digits * 10 + static_cast<unsigned>(*at - '0');
    }
    decimals = static_cast<std::size_t>(at - fraction);
  }
  if (integerDigits + decimals > 15) return std::nullopt;
  // An exponent or a full-width form may continue the number.
  if (at != end && (*at == 'e' || *at == 'E' || isFullWidthNumberChar(at, end) ||
                    (slotText && (*at == '(' || *at == ')')))) {
    return std::nullopt;
  }
  if (digits == 0) return 0.0;  // no "-0"
  const double value = static_cast<double>(digits) / kPowersOfTen[decimals];
  return negative ? -value : value;
}

// The value of any other text, through a copy of its number in ASCII.
// Kept out of line: the usual case should not pay for its frame.
[[gnu::noinline]] double scannedNumericValue(std::string_view text) {
  NumberScanner scanner(text);
  if (!scanner.scan()) return 0;
  const std::string& ascii = scanner.ascii();
  // from_chars takes no leading "+"; it is also free of the C locale.
  const std::size_t skip = ascii.front() == '+' ? 1 : 0;
  double value = 0;
  const auto [end, error] =
      std::from_chars(ascii.data() + skip, ascii.data() + ascii.size(), value);
  (void)end;
  const bool negative = scanner.isNegative();
  if (error == std::errc::result_out_of_range) {
    // Too large: the largest finite number; too small: zero.
    value = scanner.magnitude() > 0 ? kLargest : 0.0;
    if (negative) value = -value;
  } else if (error != std::errc()) {
    return 0;
  }
  // A zero written with a minus is 0; a negative number too small for a
  // double keeps its sign, as one just above that does.
  if (value == 0) return negative && scanner.hasNonzeroDigit() ? -0.0 : 0.0;
  return value;
}

}  // namespace

double numericValue(std::string_view text) {
  if (const std::optional<double> plain = plainNumericValue(text)) return *plain;
  return scannedNumericValue(text);
}

long long integerValue(std::string_view text) {
  return truncatedInteger(numericValue(text));
}

long long truncatedInteger(double number) {
  const double value = std::trunc(number);
  constexpr double kLimit = 9.2e18;  // inside the range of long long
  if (value >= kLimit) return std::numeric_limits<long long>::max();
  if (value <= -kLimit) return std::numeric_limits<long long>::min();
  return static_cast<long long>(value);
}

std::string cleanSlotText(std::string_view text) {
  std::string cleaned;
  cleaned.reserve(text.size());
  for (const char c : text) {
    if (c != '(' && c != ')') cleaned += c;
  }
  return cleaned;
}

std::string_view cleanSlotText(std::string_view text, std::string& room) {
  // A loop: find_first_of calls memchr for each character.
  if (std::none_of(text.begin(), text.end(), [](char c) { return c == '(' || c == ')'; })) {
    return text;
  }
  room = cleanSlotText(text);
  return room;
}

bool hasSlotText(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c != '(' && c != ')'; });
}

double slotNumber(std::string_view text) {
  // Parentheses after the number change nothing: the text is cleaned only
  // when one may.
  if (const std::optional<double> plain = plainNumericValue(text, true)) return *plain;
  std::string room;
  return numericValue(cleanSlotText(text, room));
}

double roundHalfAway(double x, int n) {
  if (x == 0) return x;  // -0, the value of a tiny negative number, stays negative
  const double scale = std::pow(10.0, n);
  const double scaled = std::fabs(x) * scale;
  // Beyond 2^52 a double has no fraction left to round (and scaling a huge
  // value could overflow).
  if (!std::isfinite(x) || !(scaled < 4503599627370496.0)) return x;
  const double y = scaled + 0.000000000001;
  double whole = 0;
  const double fraction = std::modf(y, &whole);
  if (fraction >= 0.5) whole += 1;
  return std::copysign(whole, x) / scale;
}

double clampFinite(double x) {
  if (std::isnan(x)) return 0;
  if (x > kLargest) return kLargest;
  if (x < -kLargest) return -kLargest;
  return x;
}

std::string formatFixed(double x, int decimals) {
  // The largest double has 309 integer digits.
  char buffer[330 + 20];
  const int precision = decimals < 0 ? 0 : (decimals > 20 ? 20 : decimals);
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, clampFinite(x),
                                    std::chars_format::fixed, precision);
  return std::string(buffer, result.ptr);
}

std::string roundedText(double x, int decimals) {
  // Adding 0 turns a rounded -0 into 0.
  return formatFixed(roundHalfAway(x, decimals) + 0.0, decimals);
}

}  // namespace skyrill
