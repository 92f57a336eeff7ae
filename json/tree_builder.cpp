#include "json/tree_builder.h"

#include <algorithm>

namespace skyrill::json_detail {

TreeBuilder::TreeBuilder(std::size_t words, std::size_t textBytes, int maxDepth)
    : tape_(std::make_unique_for_overwrite<Word[]>(std::max<std::size_t>(words, 4))),
      capacity_(std::max<std::size_t>(words, 4)),
      maxDepth_(maxDepth),
      strings_(std::make_unique_for_overwrite<char[]>(textBytes + kStringPadding)),
      stringsCapacity_(textBytes + kStringPadding) {
  open_.reserve(16);
  push(0);  // the root word, written at the end
}

void TreeBuilder::grow() {
  const std::size_t capacity = 2 * capacity_;
  auto tape = std::make_unique_for_overwrite<Word[]>(capacity);
  std::copy_n(tape_.get(), used_, tape.get());
  tape_ = std::move(tape);
  capacity_ = capacity;
}

std::size_t TreeBuilder::addText(std::string_view text) {
  const std::size_t needed = sizeof(std::uint32_t) + text.size() + 1;
  if (stringsCapacity_ - stringsUsed_ < needed + kStringPadding) {
    const std::size_t capacity =
        std::max(2 * stringsCapacity_, stringsUsed_ + needed + kStringPadding);
    auto strings = std::make_unique_for_overwrite<char[]>(capacity);
    std::copy_n(strings_.get(), stringsUsed_, strings.get());
    strings_ = std::move(strings);
    stringsCapacity_ = capacity;
  }
  const std::size_t offset = stringsUsed_;
  char* out = strings_.get() + offset;
  const auto size = static_cast<std::uint32_t>(text.size());
  std::memcpy(out, &size, sizeof size);
  std::memcpy(out + sizeof size, text.data(), text.size());
  out[sizeof size + text.size()] = '\0';
  stringsUsed_ += needed;
  return offset;
}

bool TreeBuilder::open(char kind) {
  if (std::ssize(open_) >= maxDepth_) return false;
  addWord(0);  // written when the container closes
  open_.push_back({used_ - 1, 0, kind == tape::kObject});
  return true;
}

void TreeBuilder::close() {
  const OpenContainer container = open_.back();
  open_.pop_back();
  const char kind = container.isObject ? tape::kObject : tape::kArray;
  push(tape::word(container.isObject ? tape::kObjectEnd : tape::kArrayEnd, container.place));
  tape_[container.place] = tape::containerWord(kind, container.count, used_);
}

JsonTree TreeBuilder::finish() {
  push(tape::word(tape::kRoot, 0));
  tape_[0] = tape::word(tape::kRoot, used_);
  // Give back the room the first estimate left over when it is worth a copy:
  // more than half as much again as is used (the estimate counts two words
  // for every value).
  if (capacity_ - used_ > used_ / 2 + 64) {
    auto exact = std::make_unique_for_overwrite<Word[]>(used_);
    std::copy_n(tape_.get(), used_, exact.get());
    tape_ = std::move(exact);
  }
  // The strings' room is given back the same way: it grows by doubling.
  if (stringsCapacity_ - stringsUsed_ > stringsUsed_ / 2 + 64 + kStringPadding) {
    auto exact = std::make_unique_for_overwrite<char[]>(stringsUsed_ + kStringPadding);
    std::copy_n(strings_.get(), stringsUsed_, exact.get());
    strings_ = std::move(exact);
  }
  std::fill_n(strings_.get() + stringsUsed_, kStringPadding, 0);
  return JsonTree(std::move(tape_), used_, std::move(strings_), stringsUsed_);
}

}  // namespace skyrill::json_detail
