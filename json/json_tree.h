#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace skyrill::json_detail {

// A tree is kept in simdjson's tape format, the form its DOM parser writes,
// so that a parse is kept as it comes, with no second tree built from it.
// Every value is one word whose top byte is its kind, or two words for a
// number (the word after holds its bits). A container's first word holds,
// in bits 32 to 55, its element or member count (saturated at kCountMask)
// and, in its low 32 bits, the place of the word after its last word, which
// closes it. An object's children are name, value, name, value... A string
// or name word holds the offset of its text in the strings (a 32-bit length,
// the bytes, then a zero byte). The tape starts and ends with a root word;
// the first holds the number of words.
using Word = std::uint64_t;

enum class ValueKind { Null, Boolean, Number, String, Array, Object };

namespace tape {
inline constexpr char kRoot = 'r';
inline constexpr char kObject = '{';
inline constexpr char kObjectEnd = '}';
inline constexpr char kArray = '[';
inline constexpr char kArrayEnd = ']';
inline constexpr char kString = '"';
inline constexpr char kInt64 = 'l';
inline constexpr char kUint64 = 'u';
inline constexpr char kDouble = 'd';
inline constexpr char kTrue = 't';
inline constexpr char kFalse = 'f';
inline constexpr char kNull = 'n';
inline constexpr Word kPayload = 0x00FFFFFFFFFFFFFF;
inline constexpr Word kCountMask = 0xFFFFFF;
inline constexpr Word kOffset = 0xFFFFFFFF;

inline char kindOf(Word word) {
  return static_cast<char>(word >> 56);
}
inline Word word(char kind, Word payload) {
  return Word{static_cast<unsigned char>(kind)} << 56 | payload;
}
// A container's first word: its count and the place after its closing word.
inline Word containerWord(char kind, std::size_t count, std::size_t after) {
  const Word saturated = count < kCountMask ? count : kCountMask;
  return word(kind, saturated << 32 | after);
}
}  // namespace tape

// The words of a scalar of each kind: two for a number, one for the rest.
inline constexpr auto kScalarWords = [] {
  std::array<std::uint8_t, 256> words{};
  words.fill(1);
  for (const char kind : {tape::kInt64, tape::kUint64, tape::kDouble}) {
    words[static_cast<unsigned char>(kind)] = 2;
  }
  return words;
}();

// Whether a value is an array or an object: "[" and "{" differ only in bit 0x20.
inline bool isContainerWord(Word word) {
  return (tape::kindOf(word) | 0x20) == tape::kObject;
}

// The word after a value on the tape that starts at `tape`: where its next
// sibling, or its parent's closing word, starts.
inline const Word* valueAfter(const Word* tape, const Word* value) {
  const Word word = *value;
  if (isContainerWord(word)) return tape + static_cast<std::uint32_t>(word);
  return value + kScalarWords[word >> 56];
}

// The elements of an array, or the members of an object, on the tape that
// starts at `tape`.
std::size_t childCount(const Word* tape, const Word* container);

// A name made ready to be compared with the names of a tree: its form in
// the strings (length, then bytes) as two words, the head (length and first
// four bytes) and the tail (the next eight), each masked to the name, and
// its hash.
struct NameKey {
  NameKey() = default;
  explicit NameKey(std::string_view name);

  std::string_view text;
  Word head = 0;
  Word tail = 0;
  Word tailMask = 0;
  std::uint32_t hash = 0;

  // The head of the text at `at` in the strings, masked as a name's.
  static Word headAt(const char* at) {
    static constexpr Word kHeadMasks[] = {0xFFFFFFFF, 0xFFFFFFFFFF, 0xFFFFFFFFFFFF,
                                          0xFFFFFFFFFFFFFF};
    Word head;
    std::memcpy(&head, at, sizeof head);
    const auto size = static_cast<std::uint32_t>(head);
    return size >= 4 ? head : head & kHeadMasks[size];
  }
  // The hash of the name at `at` in a tree's strings, whose head is `head`;
  // the strings may be read past its end. Of the head alone for a name of
  // four bytes or fewer; the top bits of a product depend on every bit.
  static std::uint32_t hashAt(const char* at, Word head) {
    Word hash = head * kMultiplier;
    const auto size = static_cast<std::uint32_t>(head);
    const char* bytes = at + sizeof size;
    for (std::size_t next = 4; next < size; next += 8) {
      Word chunk;
      std::memcpy(&chunk, bytes + next, sizeof chunk);
      if (size - next < 8) chunk &= (Word{1} << (8 * (size - next))) - 1;
      hash = ((hash ^ (hash >> 29)) ^ chunk) * kMultiplier;
    }
    return static_cast<std::uint32_t>(hash >> 32);
  }
  static constexpr Word kMultiplier = 0x9E3779B97F4A7C15u;

  // True when the text at `at` in the strings, whose head is `textHead`, is
  // this name.
  bool matches(const char* at, Word textHead) const {
    if (textHead != head) return false;
    if (text.size() <= 4) return true;
    Word textTail;
    std::memcpy(&textTail, at + 8, sizeof textTail);
    if ((textTail & tailMask) != tail) return false;
    return text.size() <= 12 || std::memcmp(at + 16, text.data() + 12, text.size() - 12) == 0;
  }
};
static_assert(std::endian::native == std::endian::little);

// The name tables of a tree's large objects: for each object of more than
// JsonTree::kIndexedMembers members, a slot for each name word (the name's
// hash above the word's place + 1; 0 for a free slot), in the slot its hash
// picks or the next free one, so that a lookup takes a probe or two instead
// of a walk, and compares hashes in the table before reading any name.
class ObjectIndexes {
 public:
  using Slot = std::uint64_t;
  static Slot slot(std::uint32_t hash, std::size_t place) { return Slot{hash} << 32 | (place + 1); }
  static std::uint32_t hashOf(Slot slot) { return static_cast<std::uint32_t>(slot >> 32); }
  static std::size_t placeOf(Slot slot) { return static_cast<std::uint32_t>(slot) - 1; }

  // A table of free slots for the object at `objectPlace`, room for
  // `slots` at least; valid until the next call.
  std::span<Slot> add(std::uint32_t objectPlace, std::size_t slots);
  // Orders the tables by place, once they are all added.
  void finish();
  // The table of the object at `objectPlace`; empty when it has none.
  std::span<const Slot> find(std::uint32_t objectPlace) const;

 private:
  struct Table {
    std::uint32_t objectPlace;
    std::uint32_t first;  // in slots_
    std::uint32_t size;
  };
  std::vector<Table> tables_;
  std::vector<Slot> slots_;
};

// An immutable JSON value on a tape. A value is a pointer to its first word;
// pointers stay valid for the tree's life. An object may hold a name twice:
// reads find its last value, and the members as the document shows them
// keep each name once, in the place it had first, with the value it had
// last. The large objects get an index of their names (object_index.h) when
// a name is first looked up in one.
class JsonTree {
 public:
  // Objects with more members than this have an index of their names.
  static constexpr std::size_t kIndexedMembers = 64;

  JsonTree() = default;  // null
  // `strings` holds `stringBytes` bytes and kStringPadding readable bytes
  // after them.
  JsonTree(std::unique_ptr<Word[]> tape, std::size_t words, std::unique_ptr<char[]> strings,
           std::size_t stringBytes);
  JsonTree(const JsonTree& other);
  JsonTree& operator=(const JsonTree& other);
  JsonTree(JsonTree&& other) noexcept;
  JsonTree& operator=(JsonTree&& other) noexcept;
  ~JsonTree();

  static JsonTree emptyObject();

  const Word* root() const { return words_ > 2 ? tape_.get() + 1 : &kNullWord; }

  static ValueKind kind(const Word* value) { return kKinds[*value >> 56]; }
  static bool isNull(const Word* value) { return tape::kindOf(*value) == tape::kNull; }
  static bool isArray(const Word* value) { return tape::kindOf(*value) == tape::kArray; }
  static bool isObject(const Word* value) { return tape::kindOf(*value) == tape::kObject; }
  static bool isContainer(const Word* value) { return isContainerWord(*value); }
  static bool boolean(const Word* value) { return tape::kindOf(*value) == tape::kTrue; }
  static double number(const Word* value) {
    switch (tape::kindOf(*value)) {
      case tape::kInt64:
        return static_cast<double>(static_cast<std::int64_t>(value[1]));
      case tape::kUint64:
        return static_cast<double>(value[1]);
      default:
        return std::bit_cast<double>(value[1]);
    }
  }

  // The word after a value, where its next sibling (or its parent's closing
  // word) starts.
  const Word* after(const Word* value) const { return valueAfter(tape_.get(), value); }
  // A container's closing word: its children lie between it and the container.
  const Word* end(const Word* container) const { return after(container) - 1; }

  // The text of a string or a member name.
  std::string_view text(const Word* value) const { return textAt(strings_.get(), *value); }
  static std::string_view textAt(const char* strings, Word word) {
    const char* at = strings + (word & tape::kOffset);
    std::uint32_t size;
    std::memcpy(&size, at, sizeof size);
    return {at + sizeof size, size};
  }
  // True when the name word is `name`.
  bool isName(const Word* nameWord, const NameKey& name) const {
    const char* at = strings_.get() + (*nameWord & tape::kOffset);
    return name.matches(at, NameKey::headAt(at));
  }

  // The number of elements of an array, or of members of an object.
  std::size_t elementCount(const Word* container) const {
    return childCount(tape_.get(), container);
  }
  std::size_t memberCount(const Word* object) const { return elementCount(object); }
  // The value of member `name`, its last when repeated; null when the value
  // is no object or lacks it.
  const Word* member(const Word* object, const NameKey& name) const;
  // The members of an object as the document shows them: each name once, in
  // the place it had first, with the value it had last; name, then value.
  std::vector<std::pair<const Word*, const Word*>> uniqueMembers(const Word* object) const;
  // Element `index` of an array; null when the value is no array or is shorter.
  const Word* element(const Word* array, std::size_t index) const;

  std::size_t wordCount() const { return words_; }
  const char* strings() const { return strings_.get(); }
  std::size_t stringBytes() const { return stringBytes_; }

  // True when some text holds U+2400, the character a stored backslash
  // becomes: only then do the texts handed out need it turned back.
  bool holdsStoredBackslash() const { return holdsStoredBackslash_; }

 private:
  static constexpr Word kNullWord = Word{static_cast<unsigned char>(tape::kNull)} << 56;
  static constexpr auto kKinds = [] {
    std::array<ValueKind, 256> kinds{};
    kinds.fill(ValueKind::Null);
    for (const char kind : {tape::kTrue, tape::kFalse}) {
      kinds[static_cast<unsigned char>(kind)] = ValueKind::Boolean;
    }
    for (const char kind : {tape::kInt64, tape::kUint64, tape::kDouble}) {
      kinds[static_cast<unsigned char>(kind)] = ValueKind::Number;
    }
    kinds[static_cast<unsigned char>(tape::kString)] = ValueKind::String;
    kinds[static_cast<unsigned char>(tape::kArray)] = ValueKind::Array;
    kinds[static_cast<unsigned char>(tape::kObject)] = ValueKind::Object;
    return kinds;
  }();

  std::unique_ptr<Word[]> tape_;
  std::size_t words_ = 0;
  // The indexes of the large objects, made by the first lookup that needs
  // them; readers on other threads may race to make them, and the first
  // one made is kept.
  const ObjectIndexes& indexes() const;

  std::unique_ptr<char[]> strings_;
  std::size_t stringBytes_ = 0;
  mutable std::atomic<const ObjectIndexes*> indexes_{nullptr};
  bool holdsStoredBackslash_ = false;
};

// The room a tree's strings need after their last byte, for reading a name's
// head, tail and rest eight bytes at a time.
inline constexpr std::size_t kStringPadding = 8;

}  // namespace skyrill::json_detail
