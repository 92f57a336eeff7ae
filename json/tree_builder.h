#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "json/json_tree.h"

namespace skyrill::json_detail {

// Drops each repeated name of an object's members (name, value, name,
// value... from `members`), the last value taking the first one's place;
// returns the members left. `arena` holds the names' texts; `table` is
// scratch room, kept by the caller for the next object.
std::size_t keepLastOfRepeatedNames(Entry* members, std::size_t count, const char* arena,
                                    std::vector<std::uint64_t>& table);

// Builds a JsonTree in one pass from a parser's events, in the order of the
// text. Every entry is stored once in a buffer sized for the whole tree up
// front: containers closed so far fill it from the front, the values still
// waiting for their container to close fill it from the back. An object
// keeps the first position and the last value of a repeated member name.
class TreeBuilder {
 public:
  // entryCount: no fewer than the values and member names to come.
  // textBytes: the room for strings and names to start with.
  // maxDepth: the deepest nesting accepted; opening a container below it fails.
  TreeBuilder(std::size_t entryCount, std::size_t textBytes, int maxDepth);

  void addNull() { push(Entry::Kind::Null, 0, 0); }
  void addBoolean(bool value) { push(Entry::Kind::Boolean, 0, value ? 1 : 0); }
  void addNumber(double value) {
    push(Entry::Kind::Number, 0, std::bit_cast<std::uint64_t>(value));
  }
  void addString(std::string_view text) { addText(Entry::Kind::String, text); }
  // The name of the object member whose value comes next.
  void addName(std::string_view name) { addText(Entry::Kind::Name, name); }
  // False when the container would nest deeper than allowed.
  bool openArray() { return open(Entry::Kind::Array); }
  bool openObject() { return open(Entry::Kind::Object); }
  void close();

  // True when more values came than the entry count allowed for.
  bool overflowed() const { return overflowed_; }
  // The tree of the one value added; call once, after the last event.
  JsonTree finish();

 private:
  struct OpenContainer {
    Entry::Kind kind;
    std::size_t firstWaiting;  // its first child's place among the waiting values
  };

  // Inline: it runs for every string and name. The entry is written in
  // place, field by field, never copied whole right after being built.
  void addText(Entry::Kind kind, std::string_view text) {
    Entry* entry = nextSlot();
    if (entry == nullptr) return;
    const std::size_t size = text.size();
    if (arena_.size() - arenaUsed_ < size) growArena(size);
    char* out = arena_.data() + arenaUsed_;
    // Most texts are a few bytes: a loop beats a call to memcpy.
    if (size <= 16) {
      for (std::size_t i = 0; i < size; ++i) out[i] = text[i];
    } else {
      std::memcpy(out, text.data(), size);
    }
    entry->set(Entry::tagOf(kind, text), size, arenaUsed_);
    arenaUsed_ += size;
  }
  void growArena(std::size_t size);
  void push(Entry::Kind kind, std::size_t size, std::uint64_t payload) {
    if (Entry* entry = nextSlot()) entry->set(static_cast<std::uint8_t>(kind), size, payload);
  }
  // The place of the next value; null when more values came than promised,
  // which no valid text does.
  Entry* nextSlot() {
    if (placed_ + waiting_ == capacity_) {
      overflowed_ = true;
      return nullptr;
    }
    return &slots_[capacity_ - ++waiting_];
  }
  bool open(Entry::Kind kind);
  std::size_t placeChildren(std::size_t firstWaiting);

  std::unique_ptr<Entry[]> slots_;
  std::size_t capacity_;
  std::size_t placed_ = 0;   // entries placed at the front
  std::size_t waiting_ = 0;  // entries waiting at the back, the latest lowest
  bool overflowed_ = false;
  int maxDepth_;
  std::vector<OpenContainer> open_;
  std::string arena_;  // texts, up to arenaUsed_; the rest is room to grow
  std::size_t arenaUsed_ = 0;
  std::vector<std::uint64_t> nameTable_;  // for objects with many members
};

}  // namespace skyrill::json_detail
