#include "json/json_document.h"

#include <algorithm>
#include <array>
#include <climits>
#include <new>
#include <optional>
#include <utility>

#include "json/json_edit.h"
#include "json/json_parse.h"
#include "json/json_path.h"
#include "json/json_text.h"
#include "json/json_tree.h"

namespace skyrill {

using json_detail::Entry;
using json_detail::JsonTree;

namespace {

constexpr std::string_view kLeafSeparator = "[2020年7月20日20时0分0秒]";

// The text getText hands out for a value, written over `text`.
void assignValueText(const JsonTree& tree, const Entry& value, std::string& text) {
  // Numbers and strings, nearly every read, go straight into the result.
  if (value.kind == Entry::Kind::Number) {
    json_detail::assignJsonNumber(value.number(), text);
    return;
  }
  if (value.kind == Entry::Kind::String) {
    json_detail::overwrite(text, tree.text(value));
  } else {
    text.clear();
    json_detail::appendValueText(tree, value, text);
  }
  if (tree.holdsStoredBackslash()) json_detail::restoreBackslashes(text);
}

std::string valueText(const JsonTree& tree, const Entry& value) {
  std::string text;
  assignValueText(tree, value, text);
  return text;
}

int elementCount(const Entry& value) {
  if (!value.isArray()) return 0;
  return static_cast<int>(std::min<std::uint32_t>(value.size, INT_MAX));
}

void splitLeaf(std::string_view text, std::vector<std::string>& out) {
  for (std::size_t at = text.find(kLeafSeparator); at != std::string_view::npos;
       at = text.find(kLeafSeparator)) {
    out.emplace_back(text.substr(0, at));
    text.remove_prefix(at + kLeafSeparator.size());
  }
  out.emplace_back(text);
}

void gatherLeaves(const JsonTree& tree, const Entry& container, bool recursive,
                  std::vector<std::string>& out) {
  const std::span<const Entry> children = tree.children(container);
  const std::size_t stride = container.isObject() ? 2 : 1;
  for (std::size_t i = stride - 1; i < children.size(); i += stride) {
    const Entry& item = children[i];
    if (item.isContainer()) {
      if (recursive) gatherLeaves(tree, item, true, out);
    } else if (!item.isNull()) {
      std::string text;
      json_detail::appendValueText(tree, item, text);
      splitLeaf(text, out);
    }
  }
}

}  // namespace

// ---- A value found once -----------------------------------------------------

JsonValue JsonValue::member(std::string_view name) const {
  if (entry_ == nullptr) return {};
  return {tree_, tree_->member(*entry_, name)};
}

JsonValue JsonValue::member(std::string_view name, std::size_t& next) const {
  if (entry_ == nullptr) return {};
  return {tree_, tree_->member(*entry_, name, next)};
}

JsonName::JsonName(std::string_view name)
    : text_(name), tag_(Entry::tagOf(Entry::Kind::Name, name)) {}

void JsonValue::members(std::span<const JsonName> names, std::span<JsonValue> values) const {
  std::fill(values.begin(), values.end(), JsonValue());
  if (!isObject()) return;
  // One pass over the members, each looked up by its filter bit: most that
  // are not wanted find no name there, and a tree holds each name once.
  constexpr std::uint8_t kNone = 0xFF;
  constexpr std::uint8_t kSeveral = 0xFE;  // names sharing the bit: all compared
  std::array<std::uint8_t, 64> nameAt;
  nameAt.fill(kNone);
  for (std::size_t k = 0; k < names.size(); ++k) {
    std::uint8_t& at = nameAt[Entry::filterIndex(names[k].text_.size(), names[k].tag_)];
    at = at == kNone && k < kSeveral ? static_cast<std::uint8_t>(k) : kSeveral;
  }
  const auto matches = [&](const Entry& member, std::size_t k) {
    return member.isName(names[k].text_, names[k].tag_, tree_->arena());
  };
  const std::span<const Entry> members = tree_->children(*entry_);
  for (std::size_t i = 0; i < members.size(); i += 2) {
    const Entry& member = members[i];
    const std::uint8_t at = nameAt[member.filterIndex()];
    if (at == kNone) continue;
    std::size_t k = at;
    if (at == kSeveral) {
      k = 0;
      while (k < names.size() && !matches(member, k)) ++k;
    }
    if (k < names.size() && matches(member, k)) values[k] = {tree_, &members[i + 1]};
  }
}

JsonValue JsonValue::element(std::size_t index) const {
  if (entry_ == nullptr) return {};
  return {tree_, tree_->element(*entry_, index)};
}

bool JsonValue::exists() const {
  return entry_ != nullptr && !entry_->isNull();
}

bool JsonValue::isObject() const {
  return entry_ != nullptr && entry_->isObject();
}

std::string JsonValue::text() const {
  return entry_ != nullptr ? valueText(*tree_, *entry_) : std::string();
}

void JsonValue::assignText(std::string& out) const {
  if (entry_ != nullptr) {
    assignValueText(*tree_, *entry_, out);
  } else {
    out.clear();
  }
}

int JsonValue::count() const {
  return entry_ != nullptr ? elementCount(*entry_) : 0;
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
  return !impl().tree.root().isNull();
}

std::string JsonDocument::getText(std::string_view path) const {
  const JsonTree& tree = impl().tree;
  const Entry* value = json_detail::readable(tree, path);
  return value != nullptr ? valueText(tree, *value) : std::string();
}

int JsonDocument::count(std::string_view path) const {
  const Entry* value = json_detail::readable(impl().tree, path);
  return value != nullptr ? elementCount(*value) : 0;
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
  const Entry* value = json_detail::readable(tree, path);
  if (value == nullptr) return {};
  try {
    std::string text;
    json_detail::appendJson(tree, *value, text);
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
  switch (where.value->kind) {
    case Entry::Kind::Boolean:
      return 1;
    case Entry::Kind::Number:
      return 2;
    case Entry::Kind::Object:
      return 4;
    case Entry::Kind::Array:
      return 5;
    case Entry::Kind::String:
      return 6;
    case Entry::Kind::Null:
    case Entry::Kind::Name:
      return 0;
  }
  return 0;
}

std::vector<std::string> JsonDocument::memberNames(std::string_view path) const {
  const JsonTree& tree = impl().tree;
  const Entry* value = json_detail::readable(tree, path);
  if (value == nullptr || !value->isObject()) return {};
  std::vector<std::string> names;
  names.reserve(value->size);
  const std::span<const Entry> members = tree.children(*value);
  for (std::size_t i = 0; i < members.size(); i += 2) names.emplace_back(tree.text(members[i]));
  return names;
}

double JsonDocument::getNumber(std::string_view path) const {
  const JsonTree& tree = impl().tree;
  const Entry* value = json_detail::readable(tree, path);
  if (value == nullptr) return 0;
  if (value->kind == Entry::Kind::Number) return value->number();
  if (value->kind == Entry::Kind::String) return json_detail::leadingNumber(tree.text(*value));
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
  const Entry* value = json_detail::readable(tree, path);
  copy.impl().tree = value != nullptr ? json_detail::copyOf(tree, *value) : JsonTree();
  return copy;
}

std::vector<std::string> JsonDocument::leafValues(std::string_view path, bool recursive) const {
  std::vector<std::string> values;
  const JsonTree& tree = impl().tree;
  const Entry* value = json_detail::readable(tree, path);
  if (value != nullptr && value->isContainer()) gatherLeaves(tree, *value, recursive, values);
  return values;
}

}  // namespace skyrill
