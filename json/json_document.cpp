#include "json/json_document.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <new>
#include <optional>
#include <utility>

#include "json/json_edit.h"
#include "json/json_parse.h"
#include "json/json_path.h"
#include "json/json_text.h"
#include "json/json_tree.h"

namespace skyrill {

using json_detail::JsonTree;
using json_detail::NameKey;
using json_detail::ValueKind;
using json_detail::Word;

namespace {

constexpr std::string_view kLeafSeparator = "[2020年7月20日20时0分0秒]";

// Whether a number's text has no exponent: 0, or at least 0.000001 and
// below 10^21 in size.
bool isPlainNumber(double number) {
  const double magnitude = std::fabs(number);
  return number == 0 || (magnitude >= 1e-6 && magnitude < 1e21);
}

// The text getText hands out for a value, written over `text`; true when
// the value is a plain number, which is then written to `number`, minus
// zero as 0.
// The number of a number value whose text has no exponent, minus zero as 0.
bool plainNumberOf(const Word* value, double& number) {
  const double read = JsonTree::number(value);
  if (!isPlainNumber(read)) return false;
  number = read + 0.0;
  return true;
}

bool assignValueText(const JsonTree& tree, const Word* value, std::string& text, double& number) {
  // Numbers and strings, nearly every read, go straight into the result.
  const ValueKind kind = JsonTree::kind(value);
  if (kind == ValueKind::Number) {
    if (json_detail::tape::kindOf(*value) == json_detail::tape::kInt64) {
      json_detail::assignJsonInteger(static_cast<std::int64_t>(value[1]), text);
    } else {
      json_detail::assignJsonNumber(JsonTree::number(value), text);
    }
    return plainNumberOf(value, number);
  }
  if (kind == ValueKind::String) {
    json_detail::overwrite(text, tree.text(value));
  } else {
    text.clear();
    json_detail::appendValueText(tree, value, text);
  }
  if (tree.holdsStoredBackslash()) json_detail::restoreBackslashes(text);
  return false;
}

std::string valueText(const JsonTree& tree, const Word* value) {
  std::string text;
  double number;
  assignValueText(tree, value, text, number);
  return text;
}

int elementCount(const JsonTree& tree, const Word* value) {
  if (!JsonTree::isArray(value)) return 0;
  return static_cast<int>(std::min<std::size_t>(tree.elementCount(value), INT_MAX));
}

void splitLeaf(std::string_view text, std::vector<std::string>& out) {
  for (std::size_t at = text.find(kLeafSeparator); at != std::string_view::npos;
       at = text.find(kLeafSeparator)) {
    out.emplace_back(text.substr(0, at));
    text.remove_prefix(at + kLeafSeparator.size());
  }
  out.emplace_back(text);
}

void gatherLeaf(const JsonTree& tree, const Word* item, bool recursive,
                std::vector<std::string>& out);

void gatherLeaves(const JsonTree& tree, const Word* container, bool recursive,
                  std::vector<std::string>& out) {
  if (JsonTree::isObject(container)) {
    for (const auto& member : tree.uniqueMembers(container)) {
      gatherLeaf(tree, member.second, recursive, out);
    }
    return;
  }
  const Word* const close = tree.end(container);
  for (const Word* item = container + 1; item != close; item = tree.after(item)) {
    gatherLeaf(tree, item, recursive, out);
  }
}

void gatherLeaf(const JsonTree& tree, const Word* item, bool recursive,
                std::vector<std::string>& out) {
  if (JsonTree::isContainer(item)) {
    if (recursive) gatherLeaves(tree, item, true, out);
  } else if (!JsonTree::isNull(item)) {
    std::string text;
    json_detail::appendValueText(tree, item, text);
    splitLeaf(text, out);
  }
}

}  // namespace

// ---- A value found once -----------------------------------------------------

JsonValue JsonValue::member(std::string_view name) const {
  if (word_ == nullptr) return {};
  return {tree_, tree_->member(word_, NameKey(name))};
}

JsonNames::JsonNames(std::span<const std::string_view> names)
    : count_(std::min(names.size(), kMostNames)) {
  slotName_.fill(kEmpty);
  for (std::size_t k = 0; k < count_; ++k) {
    keys_[k] = NameKey(names[k]);
    std::size_t slot = slotOf(keys_[k].hash);
    while (slotName_[slot] != kEmpty) slot = (slot + 1) % kSlots;
    slotHash_[slot] = keys_[k].hash;
    slotName_[slot] = static_cast<std::uint8_t>(k);
  }
}

void JsonValue::members(const JsonNames& names, std::span<JsonValue> values) const {
  std::fill(values.begin(), values.end(), JsonValue());
  if (!isObject()) return;
  // One pass over the members, each looked up by its hash: most that are
  // not wanted find an empty slot at once. A repeated name is found again,
  // so its last value stays.
  const char* strings = tree_->strings();
  const Word* const close = tree_->end(word_);
  for (const Word* name = word_ + 1; name != close; name = tree_->after(name + 1)) {
    const char* at = strings + (*name & json_detail::tape::kOffset);
    const Word head = NameKey::headAt(at);
    const std::uint32_t hash = NameKey::hashAt(at, head);
    for (std::size_t slot = JsonNames::slotOf(hash); names.slotName_[slot] != JsonNames::kEmpty;
         slot = (slot + 1) % JsonNames::kSlots) {
      if (names.slotHash_[slot] != hash) continue;
      const std::size_t k = names.slotName_[slot];
      if (names.keys_[k].matches(at, head)) {
        values[k] = {tree_, name + 1};
        break;
      }
    }
  }
}

JsonValue JsonValue::element(std::size_t index) const {
  if (word_ == nullptr) return {};
  return {tree_, tree_->element(word_, index)};
}

JsonElements JsonValue::elements() const {
  if (word_ == nullptr || !JsonTree::isArray(word_)) return {tree_, nullptr, nullptr};
  return {tree_, word_ + 1, tree_->end(word_)};
}

JsonElements::Iterator& JsonElements::Iterator::operator++() {
  word_ = tree_->after(word_);
  return *this;
}

bool JsonValue::exists() const {
  return word_ != nullptr && !JsonTree::isNull(word_);
}

bool JsonValue::isObject() const {
  return word_ != nullptr && JsonTree::isObject(word_);
}

std::string JsonValue::text() const {
  return word_ != nullptr ? valueText(*tree_, word_) : std::string();
}

void JsonValue::assignText(std::string& out) const {
  double number;
  assignText(out, number);
}

bool JsonValue::assignText(std::string& out, double& number) const {
  if (word_ != nullptr) return assignValueText(*tree_, word_, out, number);
  out.clear();
  return false;
}

bool JsonValue::plainNumber(double& number) const {
  return word_ != nullptr && JsonTree::kind(word_) == ValueKind::Number &&
         plainNumberOf(word_, number);
}

int JsonValue::count() const {
  return word_ != nullptr ? elementCount(*tree_, word_) : 0;
}

// ---- The document -----------------------------------------------------------

struct JsonDocument::Impl {
  JsonTree tree;
};

JsonDocument::JsonDocument() : impl_(std::make_unique<Impl>(Impl{JsonTree::emptyObject()})) {}
JsonDocument::~JsonDocument() = default;
JsonDocument::JsonDocument(const JsonDocument& other)
    : impl_(std::make_unique<Impl>(other.impl())) {}
JsonDocument& JsonDocument::operator=(const JsonDocument& other) {
  if (this != &other) impl().tree = other.impl().tree;
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
  outOfMemory_ = false;
  if (impl_) impl_->tree = JsonTree();  // the old tree goes first: less memory at the peak
  std::optional<JsonTree> parsed = json_detail::parseTree(text, kMaxDepth, &outOfMemory_);
  if (!parsed) return false;
  try {
    impl().tree = std::move(*parsed);  // a moved-from document makes its state anew
  } catch (const std::bad_alloc&) {
    outOfMemory_ = true;
    return false;
  }
  return !JsonTree::isNull(impl().tree.root());
}

std::string JsonDocument::getText(std::string_view path) const {
  const JsonTree& tree = impl().tree;
  const Word* value = json_detail::readable(tree, path);
  return value != nullptr ? valueText(tree, value) : std::string();
}

int JsonDocument::count(std::string_view path) const {
  const JsonTree& tree = impl().tree;
  const Word* value = json_detail::readable(tree, path);
  return value != nullptr ? elementCount(tree, value) : 0;
}

JsonValue JsonDocument::at(std::string_view path) const {
  const JsonTree& tree = impl().tree;
  return {&tree, json_detail::locate(tree, path).value};
}

void JsonDocument::clear() {
  impl().tree = JsonTree::emptyObject();
}

std::string JsonDocument::toText() const {
  return jsonTextAt("");
}

std::string JsonDocument::jsonTextAt(std::string_view path) const {
  const JsonTree& tree = impl().tree;
  const Word* value = json_detail::readable(tree, path);
  if (value == nullptr) return {};
  try {
    std::string text;
    json_detail::appendJson(tree, value, text);
    json_detail::restoreBackslashes(text);
    return text;
  } catch (const std::exception&) {  // the library's escapes may throw
    return {};
  }
}

bool JsonDocument::exists(std::string_view path) const {
  return json_detail::readable(impl().tree, path) != nullptr;
}

int JsonDocument::kindOf(std::string_view path) const {
  const json_detail::Location where = json_detail::locate(impl().tree, path);
  if (where.earlierStepFailed) return -1;
  if (where.value == nullptr) return 0;
  switch (JsonTree::kind(where.value)) {
    case ValueKind::Boolean:
      return 1;
    case ValueKind::Number:
      return 2;
    case ValueKind::Object:
      return 4;
    case ValueKind::Array:
      return 5;
    case ValueKind::String:
      return 6;
    case ValueKind::Null:
      return 0;
  }
  return 0;
}

std::vector<std::string> JsonDocument::memberNames(std::string_view path) const {
  const JsonTree& tree = impl().tree;
  const Word* value = json_detail::readable(tree, path);
  if (value == nullptr || !JsonTree::isObject(value)) return {};
  std::vector<std::string> names;
  for (const auto& member : tree.uniqueMembers(value)) names.emplace_back(tree.text(member.first));
  return names;
}

double JsonDocument::getNumber(std::string_view path) const {
  const JsonTree& tree = impl().tree;
  const Word* value = json_detail::readable(tree, path);
  if (value == nullptr) return 0;
  const ValueKind kind = JsonTree::kind(value);
  if (kind == ValueKind::Number) return JsonTree::number(value);
  if (kind == ValueKind::String) return json_detail::leadingNumber(tree.text(value));
  return 0;
}

bool JsonDocument::setText(std::string_view path, std::string_view text) {
  return json_detail::setTextAt(impl().tree, path, text);
}

bool JsonDocument::setNumber(std::string_view path, double number) {
  return json_detail::setNumberAt(impl().tree, path, number);
}

bool JsonDocument::setJson(std::string_view path, std::string_view jsonText, bool merge) {
  return json_detail::setJsonAt(impl().tree, path, jsonText, merge, kMaxDepth);
}

bool JsonDocument::append(std::string_view path, std::string_view value, bool asText,
                          bool atFront) {
  return json_detail::appendAt(impl().tree, path, value, asText, atFront, kMaxDepth);
}

bool JsonDocument::setElement(std::string_view path, int n, std::string_view value, bool asText) {
  return json_detail::setElementAt(impl().tree, path, n, value, asText, kMaxDepth);
}

bool JsonDocument::removeElement(std::string_view path, int n) {
  return json_detail::removeElementAt(impl().tree, path, n);
}

bool JsonDocument::remove(std::string_view path) {
  return json_detail::removeAt(impl().tree, path);
}

JsonDocument JsonDocument::subDocument(std::string_view path) const {
  JsonDocument copy;
  const JsonTree& tree = impl().tree;
  const Word* value = json_detail::readable(tree, path);
  copy.impl().tree = value != nullptr ? json_detail::copyOf(tree, value) : JsonTree();
  return copy;
}

std::vector<std::string> JsonDocument::leafValues(std::string_view path, bool recursive) const {
  std::vector<std::string> values;
  const JsonTree& tree = impl().tree;
  const Word* value = json_detail::readable(tree, path);
  if (value != nullptr && JsonTree::isContainer(value))
    gatherLeaves(tree, value, recursive, values);
  return values;
}

}  // namespace skyrill
