#include "json/json_document.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <iterator>
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

// ---- The tree -------------------------------------------------------------

// One value. Every number is kept as a double: that is how the document reads
// them. An object keeps its member names in names, parallel to children.
struct Node {
  enum class Kind : std::uint8_t { Null, Boolean, Number, String, Array, Object };

  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Node> children;      // array elements or member values
  std::vector<std::string> names;  // member names, objects only

  bool isNull() const { return kind == Kind::Null; }
  bool isArray() const { return kind == Kind::Array; }
  bool isObject() const { return kind == Kind::Object; }
  bool isContainer() const { return isArray() || isObject(); }

  static Node ofKind(Kind kind) {
    Node node;
    node.kind = kind;
    return node;
  }
  static Node ofText(std::string text) {
    Node node = ofKind(Kind::String);
    node.text = std::move(text);
    return node;
  }

  // The position of a member; size() when absent.
  std::size_t memberIndex(std::string_view name) const {
    std::size_t i = 0;
    while (i < names.size() && std::string_view(names[i]) != name) ++i;
    return i;
  }
};

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
  const Node* value = nullptr;   // null when unresolved
  const Node* parent = nullptr;  // where the last step looked; null when an earlier step failed
  PathStep lastStep;
  int steps = 0;  // the containers above the value
  bool earlierStepFailed = false;
};

const Node* childOf(const Node& container, const PathStep& step) {
  if (step.isIndex) {
    if (!container.isArray() || step.index >= container.children.size()) return nullptr;
    return &container.children[step.index];
  }
  if (!container.isObject()) return nullptr;
  const std::size_t i = container.memberIndex(step.name);
  return i < container.children.size() ? &container.children[i] : nullptr;
}

Location locate(const Node& root, std::string_view path) {
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
const Node* readable(const Node& root, std::string_view path) {
  const Node* value = locate(root, path).value;
  return value != nullptr && !value->isNull() ? value : nullptr;
}

// The value at a located path for writing, the last member created when it is
// absent from an object; null when the path leads nowhere.
Node* writable(const Location& where) {
  // The tree belongs to a non-const document; locate() only reads it.
  if (where.value != nullptr) return const_cast<Node*>(where.value);
  if (where.parent == nullptr || !where.parent->isObject() || where.lastStep.isIndex) {
    return nullptr;
  }
  Node& parent = const_cast<Node&>(*where.parent);
  parent.names.emplace_back(where.lastStep.name);
  return &parent.children.emplace_back();
}

// ---- Parsing --------------------------------------------------------------

// Builds the tree from the parser's events, refusing containers nested deeper
// than maxDepth: copying and writing a value recurse.
class TreeBuilder {
 public:
  TreeBuilder(Node& root, int maxDepth) : root_(root), maxDepth_(maxDepth) {}

  bool null() {
    slot();
    return true;
  }
  bool boolean(bool value) {
    Node& node = slot();
    node.kind = Node::Kind::Boolean;
    node.boolean = value;
    return true;
  }
  bool number_integer(Json::number_integer_t value) { return number(static_cast<double>(value)); }
  bool number_unsigned(Json::number_unsigned_t value) { return number(static_cast<double>(value)); }
  bool number_float(Json::number_float_t value, const std::string&) { return number(value); }
  bool string(std::string& value) {
    Node& node = slot();
    node.kind = Node::Kind::String;
    node.text = std::move(value);
    return true;
  }
  bool binary(Json::binary_t&) { return false; }  // never sent for JSON text

  bool start_object(std::size_t) { return open(Node::Kind::Object); }
  bool start_array(std::size_t) { return open(Node::Kind::Array); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }

  // A repeated member keeps its first position and takes the last value.
  bool key(std::string& name) {
    Node& object = *open_.back();
    const std::size_t i = object.memberIndex(name);
    if (i < object.names.size()) {
      repeatedMember_ = i;
    } else {
      object.names.push_back(std::move(name));
    }
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception&) {
    return false;
  }

 private:
  static constexpr std::size_t kNoMember = SIZE_MAX;

  // The node the next value goes into.
  Node& slot() {
    if (open_.empty()) return root_;
    Node& container = *open_.back();
    if (repeatedMember_ != kNoMember) {
      Node& member = container.children[std::exchange(repeatedMember_, kNoMember)];
      member = Node();
      return member;
    }
    return container.children.emplace_back();
  }

  bool number(double value) {
    Node& node = slot();
    node.kind = Node::Kind::Number;
    node.number = value;
    return true;
  }

  bool open(Node::Kind kind) {
    const std::size_t depth = open_.size();
    if (static_cast<int>(depth) >= maxDepth_) return false;
    Node& node = slot();
    node.kind = kind;
    // Records side by side tend to have the same size: start at the size of
    // the last container closed at this depth rather than regrow each one.
    if (depth < sizeHints_.size()) {
      node.children.reserve(sizeHints_[depth]);
      if (kind == Node::Kind::Object) node.names.reserve(sizeHints_[depth]);
    }
    open_.push_back(&node);  // its siblings wait until it is closed: the address holds
    return true;
  }

  bool close() {
    Node& node = *open_.back();
    open_.pop_back();
    const std::size_t depth = open_.size();
    if (depth >= sizeHints_.size()) sizeHints_.resize(depth + 1);
    sizeHints_[depth] = node.children.size();
    // A container much smaller than its sibling gives the spare room back.
    if (node.children.capacity() > 2 * node.children.size()) {
      node.children.shrink_to_fit();
      node.names.shrink_to_fit();
    }
    return true;
  }

  Node& root_;
  int maxDepth_;
  std::vector<Node*> open_;             // the containers being filled, innermost last
  std::vector<std::size_t> sizeHints_;  // by depth
  std::size_t repeatedMember_ = kNoMember;
};

// The value of a strict JSON text nesting at most maxDepth deep; nothing when
// the text is not one such value.
std::optional<Node> parseJson(std::string_view text, int maxDepth) {
  // The parser would take a NUL byte for the end of the text.
  if (maxDepth < 0 || text.find('\0') != std::string_view::npos) return std::nullopt;
  Node root;
  TreeBuilder builder(root, maxDepth);
  try {
    if (!Json::sax_parse(text.begin(), text.end(), &builder)) return std::nullopt;
  } catch (const Json::exception&) {
    return std::nullopt;
  }
  return root;
}

// The value a write stores: a string, or the parsed JSON text when asText is
// false; nothing when the text does not parse within maxDepth.
std::optional<Node> valueToStore(std::string_view value, bool asText, int maxDepth) {
  if (asText) return Node::ofText(std::string(value));
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
void appendValueText(const Node& value, std::string& out) {
  switch (value.kind) {
    case Node::Kind::String:
      out += value.text;
      break;
    case Node::Kind::Boolean:
      out += value.boolean ? "true" : "false";
      break;
    case Node::Kind::Number:
      out += formatJsonNumber(value.number);
      break;
    case Node::Kind::Object:
      out += kObjectText;
      break;
    case Node::Kind::Array:
      for (std::size_t i = 0; i < value.children.size(); ++i) {
        if (i > 0) out += ',';
        appendValueText(value.children[i], out);
      }
      break;
    case Node::Kind::Null:
      break;
  }
}

// A JSON string literal; invalid UTF-8 written as U+FFFD.
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

// Compact JSON, without the backslash rule.
void appendJson(const Node& value, std::string& out) {
  switch (value.kind) {
    case Node::Kind::Null:
      out += "null";
      break;
    case Node::Kind::Boolean:
      out += value.boolean ? "true" : "false";
      break;
    case Node::Kind::Number:
      out += formatJsonNumber(value.number);  // stored numbers are always finite
      break;
    case Node::Kind::String:
      appendJsonString(value.text, out);
      break;
    case Node::Kind::Array:
    case Node::Kind::Object: {
      const bool object = value.isObject();
      out += object ? '{' : '[';
      for (std::size_t i = 0; i < value.children.size(); ++i) {
        if (i > 0) out += ',';
        if (object) {
          appendJsonString(value.names[i], out);
          out += ':';
        }
        appendJson(value.children[i], out);
      }
      out += object ? '}' : ']';
      break;
    }
  }
}

std::string dumpJson(const Node& value) {
  try {
    std::string text;
    appendJson(value, text);
    restoreBackslashes(text);
    return text;
  } catch (const nlohmann::json::exception&) {
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
void mergeObject(Node& target, Node&& source) {
  for (std::size_t i = 0; i < source.children.size(); ++i) {
    Node& value = source.children[i];
    const std::size_t at = target.memberIndex(source.names[i]);
    if (at == target.children.size()) {
      target.names.push_back(std::move(source.names[i]));
      target.children.push_back(std::move(value));
      continue;
    }
    Node& found = target.children[at];
    if (found.isObject() && value.isObject()) {
      mergeObject(found, std::move(value));
    } else if (found.isArray() && value.isArray()) {
      std::move(value.children.begin(), value.children.end(), std::back_inserter(found.children));
    } else {
      found = std::move(value);
    }
  }
}

// The array at a located path, when its element index n exists.
Node* elementArray(const Location& where, int n) {
  const Node* array = where.value;
  if (array == nullptr || !array->isArray() || n < 0 ||
      static_cast<std::size_t>(n) >= array->children.size()) {
    return nullptr;
  }
  return const_cast<Node*>(array);
}

void splitLeaf(std::string_view text, std::vector<std::string>& out) {
  for (std::size_t at = text.find(kLeafSeparator); at != std::string_view::npos;
       at = text.find(kLeafSeparator)) {
    out.emplace_back(text.substr(0, at));
    text.remove_prefix(at + kLeafSeparator.size());
  }
  out.emplace_back(text);
}

void gatherLeaves(const Node& container, bool recursive, std::vector<std::string>& out) {
  for (const Node& item : container.children) {
    if (item.isContainer()) {
      if (recursive) gatherLeaves(item, true, out);
    } else if (!item.isNull()) {
      std::string text;
      appendValueText(item, text);
      splitLeaf(text, out);
    }
  }
}

}  // namespace

// ---- The document ---------------------------------------------------------

struct JsonDocument::Impl {
  Node root;
};

JsonDocument::JsonDocument()
    : impl_(std::make_unique<Impl>(Impl{Node::ofKind(Node::Kind::Object)})) {}
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
  Node& root = impl().root;
  root = Node();
  std::optional<Node> parsed = parseJson(text, kMaxDepth);
  if (!parsed) return false;
  root = std::move(*parsed);
  return !root.isNull();
}

std::string JsonDocument::getText(std::string_view path) const {
  const Node* value = readable(impl().root, path);
  if (value == nullptr) return {};
  std::string text;
  appendValueText(*value, text);
  restoreBackslashes(text);
  return text;
}

int JsonDocument::count(std::string_view path) const {
  const Node* value = readable(impl().root, path);
  if (value == nullptr || !value->isArray()) return 0;
  return static_cast<int>(std::min<std::size_t>(value->children.size(), INT_MAX));
}

void JsonDocument::clear() {
  impl().root = Node::ofKind(Node::Kind::Object);
}

std::string JsonDocument::toText() const {
  return jsonTextAt("");
}

std::string JsonDocument::jsonTextAt(std::string_view path) const {
  const Node* value = readable(impl().root, path);
  return value != nullptr ? dumpJson(*value) : std::string();
}

bool JsonDocument::exists(std::string_view path) const {
  return readable(impl().root, path) != nullptr;
}

int JsonDocument::kindOf(std::string_view path) const {
  const Location where = locate(impl().root, path);
  if (where.earlierStepFailed) return -1;
  if (where.value == nullptr) return 0;
  switch (where.value->kind) {
    case Node::Kind::Boolean:
      return 1;
    case Node::Kind::Number:
      return 2;
    case Node::Kind::Object:
      return 4;
    case Node::Kind::Array:
      return 5;
    case Node::Kind::String:
      return 6;
    case Node::Kind::Null:
      return 0;
  }
  return 0;
}

std::vector<std::string> JsonDocument::memberNames(std::string_view path) const {
  const Node* value = readable(impl().root, path);
  if (value == nullptr || !value->isObject()) return {};
  return value->names;
}

double JsonDocument::getNumber(std::string_view path) const {
  const Node* value = readable(impl().root, path);
  if (value == nullptr) return 0;
  if (value->kind == Node::Kind::Number) return value->number;
  if (value->kind == Node::Kind::String) return leadingNumber(value->text);
  return 0;
}

bool JsonDocument::setText(std::string_view path, std::string_view text) {
  Node* slot = writable(locate(impl().root, path));
  if (slot == nullptr) return false;
  std::string stored(text);
  replaceAll(stored, "\\", kStoredBackslash);
  *slot = Node::ofText(std::move(stored));
  return true;
}

bool JsonDocument::setNumber(std::string_view path, double number) {
  Node* slot = writable(locate(impl().root, path));
  if (slot == nullptr) return false;
  Node value;
  if (std::isfinite(number)) {
    value.kind = Node::Kind::Number;
    value.number = number;
  }
  *slot = std::move(value);
  return true;
}

bool JsonDocument::setJson(std::string_view path, std::string_view jsonText, bool merge) {
  const Location where = locate(impl().root, path);
  std::optional<Node> value = parseJson(jsonText, kMaxDepth - where.steps);
  if (!value) return false;
  Node* slot = writable(where);
  if (slot == nullptr) return false;
  if (merge && slot->isObject() && value->isObject()) {
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
  std::optional<Node> element = valueToStore(value, asText, kMaxDepth - elementDepth);
  if (!element) return false;
  Node* slot = writable(where);
  if (slot == nullptr) return false;
  if (!slot->isArray()) *slot = Node::ofKind(Node::Kind::Array);
  std::vector<Node>& elements = slot->children;
  elements.insert(atFront ? elements.begin() : elements.end(), std::move(*element));
  return true;
}

bool JsonDocument::setElement(std::string_view path, int n, std::string_view value, bool asText) {
  const Location where = locate(impl().root, path);
  Node* array = elementArray(where, n);
  if (array == nullptr) return false;
  std::optional<Node> element = valueToStore(value, asText, kMaxDepth - where.steps - 1);
  if (!element) return false;
  array->children[static_cast<std::size_t>(n)] = std::move(*element);
  return true;
}

bool JsonDocument::removeElement(std::string_view path, int n) {
  Node* array = elementArray(locate(impl().root, path), n);
  if (array == nullptr) return false;
  array->children.erase(array->children.begin() + n);
  return true;
}

bool JsonDocument::remove(std::string_view path) {
  const Location where = locate(impl().root, path);
  if (where.value == nullptr || where.parent == nullptr) return false;
  Node& parent = const_cast<Node&>(*where.parent);
  const auto at = where.value - parent.children.data();
  parent.children.erase(parent.children.begin() + at);
  if (parent.isObject()) parent.names.erase(parent.names.begin() + at);
  return true;
}

JsonDocument JsonDocument::subDocument(std::string_view path) const {
  JsonDocument copy;
  const Node* value = readable(impl().root, path);
  copy.impl().root = value != nullptr ? *value : Node();
  return copy;
}

std::vector<std::string> JsonDocument::leafValues(std::string_view path, bool recursive) const {
  std::vector<std::string> values;
  const Node* value = readable(impl().root, path);
  if (value != nullptr && value->isContainer()) gatherLeaves(*value, recursive, values);
  return values;
}

std::string formatJsonNumber(double value) {
  if (!std::isfinite(value)) return {};
  if (value == 0) return "0";  // minus zero too

  // Whole numbers, the most common ones, are quickest written as integers.
  const double magnitude = std::fabs(value);
  if (magnitude < 1e15 && value == std::trunc(value)) {
    char digits[24];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, static_cast<std::int64_t>(value));
    return std::string(digits, end.ptr);
  }

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

}  // namespace skyrill
