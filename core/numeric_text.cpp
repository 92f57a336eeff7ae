#include "core/numeric_text.h"

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
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }

  // False when the text does not start with a number.
  bool scan() {
    acceptSign(ascii_);
    const std::size_t integerDigits = acceptDigits(ascii_, true);
    std::size_t fractionDigits = 0;
    if (peek().ascii == '.') {
      take(ascii_);
      fractionDigits = acceptDigits(ascii_, false);
    }
    if (integerDigits + fractionDigits == 0) return false;
    scanExponent();
    return true;
  }

  const std::string& ascii() const { return ascii_; }

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
};

// The usual case, read without copying: optional "-", up to 15 digits with
// at most one point, no exponent. Such a number is its digits divided by a
// power of ten, both exact in a double, and the division rounds correctly.
// Nothing when the text needs the full scan.
std::optional<double> plainNumericValue(std::string_view text) {
  static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  std::uint64_t digits = 0;
  std::size_t digitCount = 0;
  std::size_t decimals = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (isDigit(c)) {
      if (++digitCount > 15) return std::nullopt;
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      if (point) ++decimals;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      // An exponent or a full-width form may continue the number.
      if (c == 'e' || c == 'E' || numberCharAt(text, i).length > 1) return std::nullopt;
      break;
    }
  }
  if (digitCount == 0) return std::nullopt;
  const double value = static_cast<double>(digits) / kPowersOfTen[decimals];
  return negative ? -value : value;
}

}  // namespace

double numericValue(std::string_view text) {
  if (const std::optional<double> plain = plainNumericValue(text)) {
    return *plain == 0 ? 0.0 : *plain;  // no "-0"
  }
  NumberScanner scanner(text);
  if (!scanner.scan()) return 0;
  const std::string& ascii = scanner.ascii();
  // from_chars takes no leading "+"; it is also free of the C locale.
  const std::size_t skip = ascii.front() == '+' ? 1 : 0;
  double value = 0;
  const auto [end, error] =
      std::from_chars(ascii.data() + skip, ascii.data() + ascii.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Too large: the largest finite number; too small: zero.
    const bool negative = ascii.front() == '-';
    value = scanner.magnitude() > 0 ? (negative ? -kLargest : kLargest) : 0.0;
  } else if (error != std::errc()) {
    return 0;
  }
  return value == 0 ? 0.0 : value;  // no "-0"
}

long long integerValue(std::string_view text) {
  const double value = std::trunc(numericValue(text));
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

double slotNumber(std::string_view text) {
  return numericValue(cleanSlotText(text));
}

double roundHalfAway(double x, int n) {
  if (x == 0) return 0;
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

}  // namespace skyrill
