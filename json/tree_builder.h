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

// Writes a tree's tape in one pass from a parser's events, in the order of
// the text, as simdjson's DOM parser writes its own.
class TreeBuilder {
 public:
  // words: the tape words to make room for at first (it grows as needed).
  // textBytes: the room for strings and names to start with.
  // maxDepth: the deepest nesting accepted; opening a container below it fails.
  TreeBuilder(std::size_t words, std::size_t textBytes, int maxDepth);

  void addNull() { addWord(tape::word(tape::kNull, 0)); }
  void addBoolean(bool value) { addWord(tape::word(value ? tape::kTrue : tape::kFalse, 0)); }
  void addNumber(double value) {
    addWord(tape::word(tape::kDouble, 0));
    push(std::bit_cast<Word>(value));
  }
  void addString(std::string_view text) { addWord(tape::word(tape::kString, addText(text))); }
  // The name of the object member whose value comes next.
  void addName(std::string_view name) {
    ++open_.back().count;
    push(tape::word(tape::kString, addText(name)));
  }
  // False when the container would nest deeper than allowed.
  bool openArray() { return open(tape::kArray); }
  bool openObject() { return open(tape::kObject); }
  void close();

  // The tree of the one value added; call once, after the last event.
  JsonTree finish();

 private:
  struct OpenContainer {
    std::size_t place;  // of its first word
    std::size_t count;  // elements, or members
    bool isObject;
  };

  // A value's first word; counts it as an element of an open array.
  void addWord(Word word) {
    if (!open_.empty() && !open_.back().isObject) ++open_.back().count;
    push(word);
  }
  void push(Word word) {
    if (used_ == capacity_) grow();
    tape_[used_++] = word;
  }
  void grow();
  // Stores a text in the strings; gives its offset.
  std::size_t addText(std::string_view text);
  bool open(char kind);

  std::unique_ptr<Word[]> tape_;
  std::size_t capacity_;
  std::size_t used_ = 0;
  int maxDepth_;
  std::vector<OpenContainer> open_;
  std::unique_ptr<char[]> strings_;  // up to stringsUsed_; the rest is room to grow
  std::size_t stringsCapacity_;
  std::size_t stringsUsed_ = 0;
};

}  // namespace skyrill::json_detail
