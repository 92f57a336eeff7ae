#include "json/json_document.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

namespace skyrill {

namespace {

using Json = nlohmann::ordered_json;

// U+2400 SYMBOL FOR NULL: how a backslash written through setText is kept.
constexpr std::string_view kStoredBackslash = "\xE2\x90\x80";
constexpr std::string_view kLeafSeparator = "[2020年7月20日20时0分0秒]";
constexpr std::string_view kObjectText = "[object Object]";

// ---- Paths ----------------------------------------------------------------

struct PathStep {
  std::string_view name;  // member step
  std::size_t index = 0;  // element step
  bool isIndex = false;
};

// Reads the steps of a path one by one, without copying.
class PathReader {
 public:
  explicit PathReader(std::string_view path) : rest_(path) {}

  bool atEnd() const { return rest_.empty(); }

  // The next step; false when the path is malformed there.
  bool next(PathStep& step) {
    const bool first = std::exchange(first_, false);
    if (rest_.front() == '[') return readIndex(step);
    if (first) return readName(step);
    if (rest_.front() != '.') return false;
    rest_.remove_prefix(1);
    return readName(step);
  }

 private:
  bool readName(PathStep& step) {
    std::size_t end = 0;  // a plain loop: find_first_of calls memchr per character
    while (end < rest_.size() && rest_[end] != '.' && rest_[end] != '[') ++end;
    step = {rest_.substr(0, end), 0, false};
    rest_.remove_prefix(end);
    return end > 0;
  }

  // "[n]" with n a decimal number without sign.
  bool readIndex(PathStep& step) {
    const std::size_t close = rest_.find(']');
    if (close == std::string_view::npos || close == 1) return false;
    const char* first = rest_.data() + 1;
    const char* last = rest_.data() + close;
    std::size_t index = 0;
    const auto [end, error] = std::from_chars(first, last, index);
    if (error != std::errc() || end != last) return false;
    step = {{}, index, true};
    rest_.remove_prefix(close + 1);
    return true;
  }

  std::string_view rest_;
  bool first_ = true;
};

// Where a path leads.
struct Location {
  const Json* value = nullptr;   // null when unresolved
  const Json* parent = nullptr;  // where the last step looked; null when an earlier step failed
  PathStep lastStep;
  int steps = 0;  // the containers above the value
  bool earlierStepFailed = false;
};

const Json* childOf(const Json& container, const PathStep& step) {
  if (step.isIndex) {
    if (!container.is_array() || step.index >= container.size()) return nullptr;
    return &container[step.index];
  }
  if (!container.is_object()) return nullptr;
  for (const auto& member : container.get_ref<const Json::object_t&>()) {
    if (std::string_view(member.first) == step.name) return &member.second;
  }
  return nullptr;
}

Location locate(const Json& root, std::string_view path) {
  Location where;
  where.value = &root;
  PathReader reader(path);
  while (!reader.atEnd() && where.value != nullptr) {
    if (!reader.next(where.lastStep)) return {nullptr, nullptr, {}, where.steps, true};
    where.parent = where.value;
    where.value = childOf(*where.parent, where.lastStep);
    ++where.steps;
  }
  if (!reader.atEnd()) return {nullptr, nullptr, {}, where.steps, true};
  return where;
}

// The value at the path for reading: null when unresolved or null.
const Json* readable(const Json& root, std::string_view path) {
  const Json* value = locate(root, path).value;
  return value != nullptr && !value->is_null() ? value : nullptr;
}

// The value at a located path for writing, the last member created when it is
// absent from an object; null when the path leads nowhere.
Json* writable(const Location& where) {
  // The tree belongs to a non-const document; locate() only reads it.
  if (where.value != nullptr) return const_cast<Json*>(where.value);
  if (where.parent == nullptr || !where.parent->is_object() || where.lastStep.isIndex) {
    return nullptr;
  }
  Json& parent = const_cast<Json&>(*where.parent);
  return &parent[std::string(where.lastStep.name)];
}

// ---- Parsing --------------------------------------------------------------

// True when the brackets of a JSON text, outside its strings, nest no deeper
// than maxDepth and the text holds no NUL byte (the parser would take one for
// the end of the text). Runs before the parser: it would build any depth, but
// copying and writing a value recurse and overflow the stack when deep.
bool isShallowEnough(std::string_view text, int maxDepth) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\0') return false;
    if (inString) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth) return false;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return true;
}

// The value of a strict JSON text nesting at most maxDepth deep; nothing when
// the text is not one such value.
std::optional<Json> parseJson(std::string_view text, int maxDepth) {
  if (maxDepth < 0 || !isShallowEnough(text, maxDepth)) return std::nullopt;
  try {
    Json value = Json::parse(text.begin(), text.end(), nullptr, false);
    if (value.is_discarded()) return std::nullopt;
    return value;
  } catch (const Json::exception&) {
    return std::nullopt;
  }
}

// The value a write stores: a string, or the parsed JSON text when asText is
// false; nothing when the text does not parse within maxDepth.
std::optional<Json> valueToStore(std::string_view value, bool asText, int maxDepth) {
  if (asText) return Json(std::string(value));
  return parseJson(value, maxDepth);
}

// ---- Texts ----------------------------------------------------------------

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

void restoreBackslashes(std::string& text) {
  replaceAll(text, kStoredBackslash, "\\");
}

// The text of a value without the backslash rule; arrays joined with ",".
// Integers that a double holds exactly are written as they are; larger ones
// read as the double they round to, like every other number.
void appendIntegerText(const Json& value, std::string& out) {
  constexpr std::int64_t kExactLimit = std::int64_t{1} << 53;
  const bool isSigned = value.is_number_integer();
  const std::int64_t integer = isSigned ? value.get<std::int64_t>() : 0;
  const std::uint64_t magnitude = isSigned ? 0 : value.get<std::uint64_t>();
  const bool exact = isSigned ? (integer >= -kExactLimit && integer <= kExactLimit)
                              : magnitude <= static_cast<std::uint64_t>(kExactLimit);
  if (!exact) {
    out += formatJsonNumber(value.get<double>());
    return;
  }
  char buffer[24];
  const auto written = isSigned ? std::to_chars(buffer, buffer + sizeof buffer, integer)
                                : std::to_chars(buffer, buffer + sizeof buffer, magnitude);
  out.append(buffer, written.ptr);
}

void appendValueText(const Json& value, std::string& out) {
  switch (value.type()) {
    case Json::value_t::string:
      out += value.get_ref<const std::string&>();
      break;
    case Json::value_t::boolean:
      out += value.get<bool>() ? "true" : "false";
      break;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
      appendIntegerText(value, out);
      break;
    case Json::value_t::number_float:
      out += formatJsonNumber(value.get<double>());
      break;
    case Json::value_t::object:
      out += kObjectText;
      break;
    case Json::value_t::array:
      for (std::size_t i = 0; i < value.size(); ++i) {
        if (i > 0) out += ',';
        appendValueText(value[i], out);
      }
      break;
    default:  // null
      break;
  }
}

// Compact JSON; invalid UTF-8 in strings written as U+FFFD.
std::string dumpJson(const Json& value) {
  try {
    std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    restoreBackslashes(text);
    return text;
  } catch (const Json::exception&) {
    return {};
  }
}

// The decimal number at the start of a text, after white space; 0 when there
// is none. Unlike strtod: no hex, no "inf"/"nan", no locale.
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

// ---- Writing --------------------------------------------------------------

// Merges the members of source into target: nested objects merged, arrays
// appended, anything else replaced.
void mergeObject(Json& target, Json&& source) {
  for (auto& [name, value] : source.get_ref<Json::object_t&>()) {
    auto found = target.find(name);
    if (found == target.end()) {
      target[name] = std::move(value);
    } else if (found->is_object() && value.is_object()) {
      mergeObject(*found, std::move(value));
    } else if (found->is_array() && value.is_array()) {
      for (Json& element : value) found->push_back(std::move(element));
    } else {
      *found = std::move(value);
    }
  }
}

// The array at a located path, when its element index n exists.
Json* elementArray(const Location& where, int n) {
  const Json* array = where.value;
  if (array == nullptr || !array->is_array() || n < 0 ||
      static_cast<std::size_t>(n) >= array->size()) {
    return nullptr;
  }
  return const_cast<Json*>(array);
}

void splitLeaf(std::string_view text, std::vector<std::string>& out) {
  for (std::size_t at = text.find(kLeafSeparator); at != std::string_view::npos;
       at = text.find(kLeafSeparator)) {
    out.emplace_back(text.substr(0, at));
    text.remove_prefix(at + kLeafSeparator.size());
  }
  out.emplace_back(text);
}

void gatherLeaves(const Json& container, bool recursive, std::vector<std::string>& out) {
  for (const Json& item : container) {
    if (item.is_structured()) {
      if (recursive) gatherLeaves(item, true, out);
    } else if (!item.is_null()) {
      std::string text;
      appendValueText(item, text);
      splitLeaf(text, out);
    }
  }
}

}  // namespace

// ---- The document ---------------------------------------------------------

struct JsonDocument::Impl {
  Json root;
};

JsonDocument::JsonDocument() : impl_(std::make_unique<Impl>(Impl{Json::object()})) {}
JsonDocument::~JsonDocument() = default;
JsonDocument::JsonDocument(const JsonDocument& other)
    : impl_(std::make_unique<Impl>(other.impl())) {}
JsonDocument& JsonDocument::operator=(const JsonDocument& other) {
  if (this != &other) impl().root = other.impl().root;
  return *this;
}
JsonDocument::JsonDocument(JsonDocument&&) noexcept = default;
JsonDocument& JsonDocument::operator=(JsonDocument&&) noexcept = default;

const JsonDocument::Impl& JsonDocument::impl() const {
  static const Impl kEmpty{};
  return impl_ ? *impl_ : kEmpty;
}

JsonDocument::Impl& JsonDocument::impl() {
  if (!impl_) impl_ = std::make_unique<Impl>();
  return *impl_;
}

bool JsonDocument::parse(std::string_view text) {
  Json& root = impl().root;
  root = nullptr;
  std::optional<Json> parsed = parseJson(text, kMaxDepth);
  if (!parsed) return false;
  root = std::move(*parsed);
  return !root.is_null();
}

std::string JsonDocument::getText(std::string_view path) const {
  const Json* value = readable(impl().root, path);
  if (value == nullptr) return {};
  std::string text;
  appendValueText(*value, text);
  restoreBackslashes(text);
  return text;
}

int JsonDocument::count(std::string_view path) const {
  const Json* value = readable(impl().root, path);
  if (value == nullptr || !value->is_array()) return 0;
  return static_cast<int>(std::min<std::size_t>(value->size(), INT_MAX));
}

void JsonDocument::clear() {
  impl().root = Json::object();
}

std::string JsonDocument::toText() const {
  return jsonTextAt("");
}

std::string JsonDocument::jsonTextAt(std::string_view path) const {
  const Json* value = readable(impl().root, path);
  return value != nullptr ? dumpJson(*value) : std::string();
}

bool JsonDocument::exists(std::string_view path) const {
  return readable(impl().root, path) != nullptr;
}

int JsonDocument::kindOf(std::string_view path) const {
  const Location where = locate(impl().root, path);
  if (where.earlierStepFailed) return -1;
  if (where.value == nullptr) return 0;
  switch (where.value->type()) {
    case Json::value_t::boolean:
      return 1;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      return 2;
    case Json::value_t::object:
      return 4;
    case Json::value_t::array:
      return 5;
    case Json::value_t::string:
      return 6;
    default:
      return 0;
  }
}

std::vector<std::string> JsonDocument::memberNames(std::string_view path) const {
  std::vector<std::string> names;
  const Json* value = readable(impl().root, path);
  if (value == nullptr || !value->is_object()) return names;
  for (const auto& member : value->get_ref<const Json::object_t&>()) names.push_back(member.first);
  return names;
}

double JsonDocument::getNumber(std::string_view path) const {
  const Json* value = readable(impl().root, path);
  if (value == nullptr) return 0;
  if (value->is_number()) return value->get<double>();
  if (value->is_string()) return leadingNumber(value->get_ref<const std::string&>());
  return 0;
}

bool JsonDocument::setText(std::string_view path, std::string_view text) {
  Json* slot = writable(locate(impl().root, path));
  if (slot == nullptr) return false;
  std::string stored(text);
  replaceAll(stored, "\\", kStoredBackslash);
  *slot = std::move(stored);
  return true;
}

bool JsonDocument::setNumber(std::string_view path, double number) {
  Json* slot = writable(locate(impl().root, path));
  if (slot == nullptr) return false;
  *slot = std::isfinite(number) ? Json(number) : Json(nullptr);
  return true;
}

bool JsonDocument::setJson(std::string_view path, std::string_view jsonText, bool merge) {
  const Location where = locate(impl().root, path);
  std::optional<Json> value = parseJson(jsonText, kMaxDepth - where.steps);
  if (!value) return false;
  Json* slot = writable(where);
  if (slot == nullptr) return false;
  if (merge && slot->is_object() && value->is_object()) {
    mergeObject(*slot, std::move(*value));
  } else {
    *slot = std::move(*value);
  }
  return true;
}

bool JsonDocument::append(std::string_view path, std::string_view value, bool asText,
                          bool atFront) {
  const Location where = locate(impl().root, path);
  const int elementDepth = where.steps + 1;  // the array itself is one level more
  if (elementDepth > kMaxDepth) return false;
  std::optional<Json> element = valueToStore(value, asText, kMaxDepth - elementDepth);
  if (!element) return false;
  Json* slot = writable(where);
  if (slot == nullptr) return false;
  if (!slot->is_array()) *slot = Json::array();
  if (atFront) {
    slot->insert(slot->begin(), std::move(*element));
  } else {
    slot->push_back(std::move(*element));
  }
  return true;
}

bool JsonDocument::setElement(std::string_view path, int n, std::string_view value, bool asText) {
  const Location where = locate(impl().root, path);
  Json* array = elementArray(where, n);
  if (array == nullptr) return false;
  std::optional<Json> element = valueToStore(value, asText, kMaxDepth - where.steps - 1);
  if (!element) return false;
  (*array)[static_cast<std::size_t>(n)] = std::move(*element);
  return true;
}

bool JsonDocument::removeElement(std::string_view path, int n) {
  Json* array = elementArray(locate(impl().root, path), n);
  if (array == nullptr) return false;
  array->erase(static_cast<std::size_t>(n));
  return true;
}

bool JsonDocument::remove(std::string_view path) {
  const Location where = locate(impl().root, path);
  if (where.value == nullptr || where.parent == nullptr) return false;
  Json& parent = const_cast<Json&>(*where.parent);
  if (where.lastStep.isIndex) {
    parent.erase(where.lastStep.index);
  } else {
    parent.erase(parent.find(where.lastStep.name));
  }
  return true;
}

JsonDocument JsonDocument::subDocument(std::string_view path) const {
  JsonDocument copy;
  const Json* value = readable(impl().root, path);
  copy.impl().root = value != nullptr ? *value : Json();
  return copy;
}

std::vector<std::string> JsonDocument::leafValues(std::string_view path, bool recursive) const {
  std::vector<std::string> values;
  const Json* value = readable(impl().root, path);
  if (value != nullptr && value->is_structured()) gatherLeaves(*value, recursive, values);
  return values;
}

std::string formatJsonNumber(double value) {
  if (!std::isfinite(value)) return {};
  if (value == 0) return "0";  // minus zero too

  // Below 1e15 every double's plain form shows its shortest digits, so the
  // library's shortest form is the text wanted whenever it chose plain digits
  // (it does for most values). Larger whole numbers would show all their
  // exact digits instead of the shortest ones followed by zeros.
  const double magnitude = std::fabs(value);
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

}  // namespace skyrill
