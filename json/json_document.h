#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_tree.h"

namespace skyrill {

class JsonValue;
class JsonElements;

// Member names made ready once for many one-pass reads of objects
// (JsonValue::members), such as the keys of every record of an answer.
// They refer to the texts they were made from, which must outlive them.
class JsonNames {
 public:
  static constexpr std::size_t kMostNames = 32;

  // The names, all different, at most kMostNames of them.
  explicit JsonNames(std::span<const std::string_view> names);
  std::size_t size() const { return count_; }
  std::string_view operator[](std::size_t k) const { return keys_[k].text; }

 private:
  friend class JsonValue;
  static constexpr std::uint8_t kEmpty = 0xFF;
  static constexpr std::size_t kSlots = 2 * kMostNames;  // found by hash, one after another
  static std::size_t slotOf(std::uint32_t hash) { return hash >> 26; }

  std::array<json_detail::NameKey, kMostNames> keys_{};
  std::size_t count_ = 0;
  std::array<std::uint32_t, kSlots> slotHash_{};
  std::array<std::uint8_t, kSlots> slotName_{};
};

// One JSON value, read and written by path.
//
// Paths: "" is the root; "[0].time" starts at an element of a root array;
// "res[0].name" starts at a member of a root object. After the first step,
// ".name" selects a member and "[n]" an element. A path is unresolved when a
// step finds nothing; unresolved paths read as "" or 0, never as an error.
// A path whose last step lands on null reads like an unresolved one.
//
// Texts are UTF-8. Numbers read as their shortest round-trip decimal form.
// Texts larger than kMaxTextBytes do not parse, nor do texts whose parse
// runs out of memory. Nothing here throws.
class JsonDocument {
 public:
  // Deepest nesting a parsed text may have; deeper texts fail to parse, and
  // no write makes the document deeper.
  static constexpr int kMaxDepth = 512;
  // Largest text a parse accepts, as for an answer of the data service.
  static constexpr std::size_t kMaxTextBytes = 16 * 1024 * 1024;

  JsonDocument();  // holds an empty object
  ~JsonDocument();
  JsonDocument(const JsonDocument& other);
  JsonDocument& operator=(const JsonDocument& other);
  JsonDocument(JsonDocument&&) noexcept;  // the moved-from document reads as empty
  JsonDocument& operator=(JsonDocument&&) noexcept;

  // Replaces the root with the parsed text. True when the text is one JSON
  // value that is not null; otherwise false and the root is null.
  bool parse(std::string_view text);
  // The last parse failed because memory ran out, not because of the text.
  bool ranOutOfMemory() const { return outOfMemory_; }

  // The text of the value at the path; "" when unresolved or null.
  std::string getText(std::string_view path) const;
  // The number of elements of the array at the path; 0 for anything else.
  int count(std::string_view path) const;
  // The value at the path, to read what lies under it step by step without
  // resolving the path again; it leads nowhere when unresolved.
  JsonValue at(std::string_view path) const;

  // The root becomes an empty object.
  void clear();
  // The whole document as compact JSON; "" when the root is null.
  std::string toText() const;
  // The value at the path as compact JSON; "" when unresolved or null.
  std::string jsonTextAt(std::string_view path) const;
  // True when the path resolves to a value other than null.
  bool exists(std::string_view path) const;
  // 1 boolean, 2 number, 4 object, 5 array, 6 string; 0 when the last step
  // finds null or nothing; -1 when an earlier step already finds nothing or
  // the path is malformed.
  int kindOf(std::string_view path) const;
  // Member names of the object at the path, in order.
  std::vector<std::string> memberNames(std::string_view path) const;
  // The value as a double: a number as is, a string by the decimal number at
  // its start; anything else gives 0.
  double getNumber(std::string_view path) const;

  // The writes below change the value at the path, creating the last member
  // when it is absent from an existing object. They return false, changing
  // nothing, when the path leads nowhere or the value cannot be stored.

  // The value becomes the string text; each backslash is kept as U+2400 so
  // that getText and toText hand it back as one plain backslash.
  bool setText(std::string_view path, std::string_view text);
  // The value becomes the number; a NaN or infinity becomes null.
  bool setNumber(std::string_view path, double number);
  // The value becomes the parsed JSON text; with merge, an object is merged
  // member by member into an existing object (nested objects merged, arrays
  // appended, anything else replaced).
  bool setJson(std::string_view path, std::string_view jsonText, bool merge = false);
  // Adds a value (a string when asText, else parsed JSON) at the end or the
  // front of the array at the path, making it an empty array first when it
  // is something else.
  bool append(std::string_view path, std::string_view value, bool asText = true,
              bool atFront = false);
  // Element n of the array at the path becomes the value.
  bool setElement(std::string_view path, int n, std::string_view value, bool asText = true);
  // Removes element n of the array at the path.
  bool removeElement(std::string_view path, int n);
  // Removes the member (or element) at the path.
  bool remove(std::string_view path);

  // A new document holding a copy of the value at the path; its root is null
  // when the path is unresolved.
  JsonDocument subDocument(std::string_view path) const;
  // The strings, numbers and booleans inside the object or array at the
  // path, in order; with recursive, nested values depth first. A value that
  // contains the separator "[2020年7月20日20时0分0秒]" comes back as the pieces
  // between its separators.
  std::vector<std::string> leafValues(std::string_view path, bool recursive = false) const;

 private:
  struct Impl;
  const Impl& impl() const;
  Impl& impl();

  std::unique_ptr<Impl> impl_;
  bool outOfMemory_ = false;
};

// A value of a document, found once and read from with further steps (a
// path's ".name" and "[n]"); reads as getText and count do. Valid until the
// document is next parsed, cleared, written, assigned or destroyed.
class JsonValue {
 public:
  JsonValue() = default;  // leads nowhere

  // Member `name`; nowhere unless this is an object that has it.
  JsonValue member(std::string_view name) const;
  // The members named `names` written to `values` (nowhere when absent),
  // found in one pass over the object; `values` holds as many values as
  // there are names.
  void members(const JsonNames& names, std::span<JsonValue> values) const;
  // Element `index`; nowhere unless this is an array that long. Found by
  // stepping over the ones before it: to read them all, use elements().
  JsonValue element(std::size_t index) const;
  // The elements of an array in order; none for anything else.
  JsonElements elements() const;

  // True when this leads to a value other than null.
  bool exists() const;
  bool isObject() const;
  // As JsonDocument::getText and count for the path that led here.
  std::string text() const;
  // The same text written over `out`, whose room is reused: for reads into
  // strings that live on, such as a day's hour slots.
  void assignText(std::string& out) const;
  // The same; true when this is a number whose text has no exponent (0, or
  // at least 0.000001 and below 10^21 in size), which is then written to
  // `number`: that text reads back as the number with any decimal reader
  // (minus zero as 0, which `number` then is too).
  bool assignText(std::string& out, double& number) const;
  // The number alone, when assignText would give one; no text is made.
  bool plainNumber(double& number) const;
  int count() const;

 private:
  friend class JsonDocument;
  friend class JsonElements;
  JsonValue(const json_detail::JsonTree* tree, const json_detail::Word* word)
      : tree_(tree), word_(word) {}

  const json_detail::JsonTree* tree_ = nullptr;
  const json_detail::Word* word_ = nullptr;  // its first word on the tree's tape; null when nowhere
};

// The elements of an array, each found from the one before.
class JsonElements {
 public:
  class Iterator {
   public:
    JsonValue operator*() const { return {tree_, word_}; }
    Iterator& operator++();
    bool operator==(const Iterator& other) const { return word_ == other.word_; }

   private:
    friend class JsonElements;
    Iterator(const json_detail::JsonTree* tree, const std::uint64_t* word)
        : tree_(tree), word_(word) {}
    const json_detail::JsonTree* tree_;
    const std::uint64_t* word_;
  };

  Iterator begin() const { return {tree_, first_}; }
  Iterator end() const { return {tree_, end_}; }

 private:
  friend class JsonValue;
  JsonElements(const json_detail::JsonTree* tree, const std::uint64_t* first,
               const std::uint64_t* end)
      : tree_(tree), first_(first), end_(end) {}
  const json_detail::JsonTree* tree_ = nullptr;
  const std::uint64_t* first_ = nullptr;
  const std::uint64_t* end_ = nullptr;
};

// The shortest round-trip text of a number: 23.4, 100, 1e-7, 1e+21, 0 for -0;
// "" for NaN and infinities.
std::string formatJsonNumber(double value);

// The libraries under the document, with their versions: the parser
// ("simdjson 3.0.1"), whose tape the document keeps, and the string writer
// ("nlohmann/json 3.11.2").
std::string jsonParserLibrary();
std::string jsonWriterLibrary();

}  // namespace skyrill
