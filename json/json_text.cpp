#include "json/json_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

#include <nlohmann/json.hpp>

#include "json/json_document.h"

namespace skyrill {

namespace json_detail {

namespace {

constexpr std::string_view kObjectText = "[object Object]";

}  // namespace

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

void restoreBackslashes(std::string& text) {
  replaceAll(text, kStoredBackslash, "\\");
}

void appendValueText(const JsonTree& tree, const Word* value, std::string& out) {
  switch (JsonTree::kind(value)) {
    case ValueKind::String:
      out += tree.text(value);
      break;
    case ValueKind::Boolean:
      out += JsonTree::boolean(value) ? "true" : "false";
      break;
    case ValueKind::Number:
      out += formatJsonNumber(JsonTree::number(value));
      break;
    case ValueKind::Object:
      out += kObjectText;
      break;
    case ValueKind::Array: {
      bool first = true;
      const Word* const close = tree.end(value);
      for (const Word* element = value + 1; element != close; element = tree.after(element)) {
        if (!std::exchange(first, false)) out += ',';
        appendValueText(tree, element, out);  // as deep as the tree, which is bounded
      }
      break;
    }
    case ValueKind::Null:
      break;
  }
}

void appendJsonString(std::string_view text, std::string& out) {
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != '"' && c != '\\';
  });
  if (plain) {
    out += '"';
    out += text;
    out += '"';
    return;
  }
  // Escapes and UTF-8 checks are the library's.
  out += nlohmann::json(std::string(text))
             .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void appendJson(const JsonTree& tree, const Word* value, std::string& out) {
  switch (JsonTree::kind(value)) {
    case ValueKind::Null:
      out += "null";
      break;
    case ValueKind::Boolean:
      out += JsonTree::boolean(value) ? "true" : "false";
      break;
    case ValueKind::Number:
      out += formatJsonNumber(JsonTree::number(value));  // stored numbers are always finite
      break;
    case ValueKind::String:
      appendJsonString(tree.text(value), out);
      break;
    case ValueKind::Array: {
      out += '[';
      bool first = true;
      const Word* const close = tree.end(value);
      for (const Word* element = value + 1; element != close; element = tree.after(element)) {
        if (!std::exchange(first, false)) out += ',';
        appendJson(tree, element, out);
      }
      out += ']';
      break;
    }
    case ValueKind::Object: {
      out += '{';
      bool first = true;
      for (const auto& [name, member] : tree.uniqueMembers(value)) {
        if (!std::exchange(first, false)) out += ',';
        appendJsonString(tree.text(name), out);
        out += ':';
        appendJson(tree, member, out);
      }
      out += '}';
      break;
    }
  }
}

double leadingNumber(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t\n\v\f\r");
  if (start == std::string_view::npos) return 0;
  text.remove_prefix(start);
  const bool negative = text.front() == '-';
  if (negative || text.front() == '+') text.remove_prefix(1);
  const auto isDigit = [&](std::size_t i) {
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
  };
  if (!isDigit(0) && !(text.starts_with('.') && isDigit(1))) return 0;
  double number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc()) return 0;
  return negative ? -number : number;
}

}  // namespace json_detail

namespace {

// The shortest text of a number with at most six decimals, written from its
// integer digits to the end of `buffer`; its first character, or null when
// it needs more decimals or is out of range. A decimal m / 10^k names the
// value exactly when the correctly rounded division gives it back, so the
// first k that does is the shortest form.
char* writeShortDecimal(double value, char* bufferEnd) {
  const double magnitude = std::fabs(value);
  if (magnitude < 1e-6 || magnitude >= 1e9) return nullptr;
  constexpr double kScales[] = {10, 100, 1e3, 1e4, 1e5, 1e6};
  for (int decimals = 1; decimals <= 6; ++decimals) {
    const double scale = kScales[decimals - 1];
    // Any candidate is checked, so rounding halves either way does no harm.
    const auto scaled = static_cast<double>(static_cast<std::uint64_t>(magnitude * scale + 0.5));
    if (scaled / scale != magnitude) continue;
    // Digits written backwards from the last decimal, the point put in place.
    char* first = bufferEnd;
    auto whole = static_cast<std::uint64_t>(scaled);
    for (int written = 0; whole != 0 || written <= decimals; ++written) {
      if (written == decimals) *--first = '.';
      *--first = static_cast<char>('0' + whole % 10);
      whole /= 10;
    }
    if (value < 0) *--first = '-';
    return first;
  }
  return nullptr;
}

// The text of a finite number that is whole or has a few decimals, the
// common ones, in the buffer; empty for any other number.
std::string_view commonNumberText(double value, std::span<char, 32> buffer) {
  if (value == 0) return "0";  // minus zero too
  // Whole numbers, the most common ones, are quickest written as integers.
  if (std::fabs(value) < 1e15 && value == static_cast<double>(static_cast<std::int64_t>(value))) {
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                   static_cast<std::int64_t>(value));
    return {buffer.data(), end.ptr};
  }
  // Then measurements with a few decimals.
  char* const end = buffer.data() + buffer.size();
  if (const char* first = writeShortDecimal(value, end)) return {first, end};
  return {};
}

}  // namespace

void json_detail::assignJsonNumber(double value, std::string& out) {
  char buffer[32];
  if (std::isfinite(value)) {
    if (const std::string_view text = commonNumberText(value, buffer); !text.empty()) {
      overwrite(out, text);
      return;
    }
  }
  out = formatJsonNumber(value);
}

void json_detail::assignJsonInteger(std::int64_t value, std::string& out) {
  // Below 10^15 an integer is its own shortest text; larger ones may be
  // rounded as doubles.
  constexpr std::int64_t kExact = 1'000'000'000'000'000;
  if (value <= -kExact || value >= kExact) {
    assignJsonNumber(static_cast<double>(value), out);
    return;
  }
  char buffer[24];
  overwrite(out, {buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr});
}

std::string formatJsonNumber(double value) {
  if (!std::isfinite(value)) return {};
  char common[32];
  if (const std::string_view text = commonNumberText(value, common); !text.empty()) {
    return std::string(text);
  }
  const double magnitude = std::fabs(value);

  // Below 1e15 every double's plain form shows its shortest digits, so the
  // library's shortest form is the text wanted whenever it chose plain digits
  // (it does for most values). Larger whole numbers would show all their
  // exact digits instead of the shortest ones followed by zeros.
  if (magnitude >= 1e-6 && magnitude < 1e15) {
    char plain[32];
    const auto end = std::to_chars(plain, plain + sizeof plain, value).ptr;
    if (std::find(plain, end, 'e') == end) return std::string(plain, end);
  }

  // Shortest round-trip digits and the decimal exponent of the first one.
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                     std::chars_format::scientific);
  const std::string_view scientific(buffer, static_cast<std::size_t>(written.ptr - buffer));
  const std::size_t e = scientific.find('e');
  std::string digits(1, scientific[0]);
  if (e > 1) digits += scientific.substr(2, e - 2);
  int exponent = 0;
  std::from_chars(scientific.data() + e + 2, written.ptr, exponent);  // after "e+" or "e-"
  if (scientific[e + 1] == '-') exponent = -exponent;

  // Placed the way JavaScript writes a number.
  const int k = static_cast<int>(digits.size());
  const int n = exponent + 1;  // digits before the decimal point
  std::string text = value < 0 ? "-" : "";
  if (k <= n && n <= 21) {
    text += digits;
    text.append(static_cast<std::size_t>(n - k), '0');
  } else if (0 < n && n <= 21) {
    text += digits.substr(0, static_cast<std::size_t>(n));
    text += '.';
    text += digits.substr(static_cast<std::size_t>(n));
  } else if (-6 < n && n <= 0) {
    text += "0.";
    text.append(static_cast<std::size_t>(-n), '0');
    text += digits;
  } else {
    text += digits[0];
    if (k > 1) text += '.' + digits.substr(1);
    text += exponent < 0 ? "e-" : "e+";
    text += std::to_string(std::abs(exponent));
  }
  return text;
}

std::string jsonWriterLibrary() {
  return "nlohmann/json " + std::to_string(NLOHMANN_JSON_VERSION_MAJOR) + "." +
         std::to_string(NLOHMANN_JSON_VERSION_MINOR) + "." +
         std::to_string(NLOHMANN_JSON_VERSION_PATCH);
}

}  // namespace skyrill
