#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace skyrill::json_detail {

// One value of a tree, or the name of an object member: 16 bytes. Left
// uninitialised by default: a tree's entries are written once, in bulk.
struct Entry {
  enum class Kind : std::uint8_t { Null, Boolean, Number, String, Array, Object, Name };

  Kind kind;
  char head[3];           // a name's first bytes, zero after its end: most
                          // names compare without reading the arena
  std::uint32_t size;     // text length, element count or member count
  std::uint64_t payload;  // the boolean, the number's bits, the text's offset in
                          // the arena, or the index of the first child

  bool isNull() const { return kind == Kind::Null; }
  bool isArray() const { return kind == Kind::Array; }
  bool isObject() const { return kind == Kind::Object; }
  bool isContainer() const { return isArray() || isObject(); }
  bool boolean() const { return payload != 0; }
  double number() const { return std::bit_cast<double>(payload); }

  static Entry ofKind(Kind kind) { return {kind, {}, 0, 0}; }
  static Entry ofBoolean(bool value) { return {Kind::Boolean, {}, 0, value ? 1u : 0u}; }
  static Entry ofNumber(double value) {
    return {Kind::Number, {}, 0, std::bit_cast<std::uint64_t>(value)};
  }

  // The kind and the head of a text as one word, the first four bytes of
  // an entry: built in a register, it is stored and compared at once.
  static std::uint32_t tagOf(Kind kind, std::string_view text) {
    std::uint32_t tag = static_cast<std::uint8_t>(kind);
    for (std::size_t i = 0; i < sizeof head && i < text.size(); ++i) {
      tag |= std::uint32_t{static_cast<std::uint8_t>(text[i])} << (8 * (i + 1));
    }
    return tag;
  }
  // The same for a text followed by at least sizeof head readable bytes,
  // read at once.
  static std::uint32_t tagOfPadded(Kind kind, const char* text, std::size_t size) {
    std::uint32_t bytes;
    std::memcpy(&bytes, text, sizeof bytes);
    const std::uint32_t head = size >= sizeof head ? 0xFFFFFF : (1u << (8 * size)) - 1;
    return static_cast<std::uint8_t>(kind) | (bytes & head) << 8;
  }
  std::uint32_t tag() const {
    std::uint32_t word;
    std::memcpy(&word, this, sizeof word);
    return word;
  }
  // Sets every field, one word at a time: an entry built whole on the
  // stack and then copied would be read before its parts are written.
  void set(std::uint32_t tag, std::size_t sizeField, std::uint64_t payloadField) {
    std::memcpy(this, &tag, sizeof tag);
    size = static_cast<std::uint32_t>(sizeField);
    payload = payloadField;
  }
  static Entry ofText(Kind kind, std::string_view text, std::size_t offset) {
    Entry entry;
    entry.set(tagOf(kind, text), text.size(), offset);
    return entry;
  }
  // A hash of a name's length and tag, which equal names always share. Its
  // top six bits pick a filter bit of 64: a name whose bit is not in a set
  // of names is none of them.
  static std::uint64_t nameHash(std::size_t size, std::uint32_t tag) {
    return (std::uint64_t{size} << 32 | tag) * 0x9E3779B97F4A7C15u;
  }
  std::uint64_t nameHash() const { return nameHash(size, tag()); }
  static unsigned filterIndex(std::size_t size, std::uint32_t tag) {
    return static_cast<unsigned>(nameHash(size, tag) >> 58);
  }
  unsigned filterIndex() const { return filterIndex(size, tag()); }
  // True when this name is `name`, whose tag is `nameTag`.
  bool isName(std::string_view name, std::uint32_t nameTag, const char* arena) const {
    if (size != name.size() || tag() != nameTag) return false;
    for (std::size_t i = sizeof head; i < name.size(); ++i) {
      if (arena[payload + i] != name[i]) return false;
    }
    return true;
  }
};
static_assert(sizeof(Entry) == 16);
// The tag is the kind in the low byte, then the head.
static_assert(std::endian::native == std::endian::little);
static_assert(offsetof(Entry, head) == 1 && offsetof(Entry, size) == 4);

// An immutable JSON value: every container's children side by side in one
// array (an object's as name, value, name, value...), every text in one
// arena. Its entries stay where they are for its whole life.
class JsonTree {
 public:
  JsonTree() = default;  // null
  JsonTree(Entry root, std::unique_ptr<Entry[]> entries, std::size_t entryCount, std::string arena);
  JsonTree(const JsonTree& other);
  JsonTree& operator=(const JsonTree& other);
  JsonTree(JsonTree&&) noexcept = default;
  JsonTree& operator=(JsonTree&&) noexcept = default;

  static JsonTree emptyObject() { return JsonTree(Entry::ofKind(Entry::Kind::Object), {}, 0, {}); }

  const Entry& root() const { return root_; }

  // The elements of an array, or the names and values of an object.
  std::span<const Entry> children(const Entry& container) const {
    const std::size_t count =
        container.isObject() ? 2 * std::size_t{container.size} : container.size;
    return {entries_.get() + container.payload, count};
  }
  // The text of a string or a member name.
  std::string_view text(const Entry& entry) const {
    return {arena_.data() + entry.payload, entry.size};
  }
  // Where the texts are, as Entry::isName needs it.
  const char* arena() const { return arena_.data(); }

  // The value of member `name`; null when the entry is no object or lacks it.
  const Entry* member(const Entry& object, std::string_view name) const;
  // The same, looking from member number `next` on, then from the first;
  // `next` becomes the number after the member found.
  const Entry* member(const Entry& object, std::string_view name, std::size_t& next) const {
    return member(object, name, Entry::tagOf(Entry::Kind::Name, name), next);
  }
  // The same for a name whose tag is known.
  const Entry* member(const Entry& object, std::string_view name, std::uint32_t tag,
                      std::size_t& next) const;
  // Element `index` of an array; null when the entry is no array or is shorter.
  const Entry* element(const Entry& array, std::size_t index) const;

  // True when some text holds U+2400, the character a stored backslash
  // becomes: only then do the texts handed out need it turned back.
  bool holdsStoredBackslash() const { return holdsStoredBackslash_; }

 private:
  Entry root_ = Entry::ofKind(Entry::Kind::Null);
  std::unique_ptr<Entry[]> entries_;
  std::size_t entryCount_ = 0;
  std::string arena_;
  bool holdsStoredBackslash_ = false;
};

}  // namespace skyrill::json_detail
