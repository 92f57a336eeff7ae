#include "json/json_tree.h"

#include <algorithm>
#include <bit>

#include "json/json_text.h"

namespace skyrill::json_detail {

Word NameKey::withRest(Word hash, std::string_view name) {
  for (std::size_t at = 4; at < name.size(); at += 8) {
    Word chunk = 0;
    std::memcpy(&chunk, name.data() + at, std::min<std::size_t>(name.size() - at, 8));
    hash = mixed(hash, chunk);
  }
  return hash;
}

NameKey::NameKey(std::string_view name) : text(name) {
  char form[16] = {};
  const auto size = static_cast<std::uint32_t>(name.size());
  std::memcpy(form, &size, sizeof size);
  std::memcpy(form + 4, name.data(), std::min<std::size_t>(name.size(), 12));
  head = headAt(form);
  tag = tagOf(head, name);
  const std::size_t tailBytes = name.size() > 4 ? std::min<std::size_t>(name.size() - 4, 8) : 0;
  tailMask = tailBytes == 8 ? ~Word{0} : (Word{1} << (8 * tailBytes)) - 1;
  std::memcpy(&tail, form + 8, sizeof tail);
  tail &= tailMask;
}

std::size_t childCount(const Word* tape, const Word* container) {
  const std::size_t count = (*container >> 32) & tape::kCountMask;
  if (count < tape::kCountMask) return count;
  // A count too large for its bits: the children are counted.
  std::size_t words = 0;
  const Word* const close = valueAfter(tape, container) - 1;
  for (const Word* at = container + 1; at != close; at = valueAfter(tape, at)) ++words;
  return tape::kindOf(*container) == tape::kObject ? words / 2 : words;
}

std::span<ObjectIndexes::Slot> ObjectIndexes::add(std::uint32_t objectPlace, std::size_t slots) {
  const auto size = static_cast<std::uint32_t>(std::bit_ceil(slots));
  const auto first = static_cast<std::uint32_t>(slots_.size());
  tables_.push_back({objectPlace, first, size});
  slots_.resize(slots_.size() + size, 0);
  return {slots_.data() + first, size};
}

void ObjectIndexes::finish() {
  std::sort(tables_.begin(), tables_.end(),
            [](const Table& a, const Table& b) { return a.objectPlace < b.objectPlace; });
}

std::span<const ObjectIndexes::Slot> ObjectIndexes::find(std::uint32_t objectPlace) const {
  const auto table = std::lower_bound(
      tables_.begin(), tables_.end(), objectPlace,
      [](const Table& table, std::uint32_t place) { return table.objectPlace < place; });
  if (table == tables_.end() || table->objectPlace != objectPlace) return {};
  return {slots_.data() + table->first, table->size};
}

JsonTree::JsonTree(std::unique_ptr<Word[]> tape, std::size_t words, std::unique_ptr<char[]> strings,
                   std::size_t stringBytes, ObjectIndexes indexes)
    : tape_(std::move(tape)),
      words_(words),
      strings_(std::move(strings)),
      stringBytes_(stringBytes),
      indexes_(std::move(indexes)),
      holdsStoredBackslash_(std::string_view(strings_.get(), stringBytes_).find(kStoredBackslash) !=
                            std::string_view::npos) {}

JsonTree::JsonTree(const JsonTree& other)
    : tape_(std::make_unique_for_overwrite<Word[]>(other.words_)),
      words_(other.words_),
      strings_(std::make_unique_for_overwrite<char[]>(other.stringBytes_ + kStringPadding)),
      stringBytes_(other.stringBytes_),
      indexes_(other.indexes_),
      holdsStoredBackslash_(other.holdsStoredBackslash_) {
  std::copy_n(other.tape_.get(), words_, tape_.get());
  std::fill_n(std::copy_n(other.strings_.get(), stringBytes_, strings_.get()), kStringPadding, 0);
}

JsonTree& JsonTree::operator=(const JsonTree& other) {
  if (this != &other) *this = JsonTree(other);
  return *this;
}

JsonTree JsonTree::emptyObject() {
  auto tape = std::make_unique_for_overwrite<Word[]>(4);
  tape[0] = tape::word(tape::kRoot, 4);
  tape[1] = tape::containerWord(tape::kObject, 0, 3);
  tape[2] = tape::word(tape::kObjectEnd, 1);
  tape[3] = tape::word(tape::kRoot, 0);
  auto strings = std::make_unique<char[]>(kStringPadding);
  return JsonTree(std::move(tape), 4, std::move(strings), 0, {});
}

double JsonTree::number(const Word* value) {
  switch (tape::kindOf(*value)) {
    case tape::kInt64:
      return static_cast<double>(static_cast<std::int64_t>(value[1]));
    case tape::kUint64:
      return static_cast<double>(value[1]);
    default:
      return std::bit_cast<double>(value[1]);
  }
}

const Word* JsonTree::member(const Word* object, const NameKey& name) const {
  if (!isObject(object)) return nullptr;
  if (((*object >> 32) & tape::kCountMask) > kIndexedMembers) {
    const auto table = indexes_.find(static_cast<std::uint32_t>(object - tape_.get()));
    const std::size_t mask = table.size() - 1;
    for (std::size_t slot = name.tag & mask; table[slot] != 0; slot = (slot + 1) & mask) {
      if (ObjectIndexes::tagOf(table[slot]) != name.tag) continue;
      const Word* found = tape_.get() + ObjectIndexes::placeOf(table[slot]);
      if (isName(found, name)) return found + 1;
    }
    return nullptr;
  }
  const Word* const close = end(object);
  for (const Word* at = object + 1; at != close; at = after(at + 1)) {
    if (isName(at, name)) return at + 1;
  }
  return nullptr;
}

const Word* JsonTree::element(const Word* array, std::size_t index) const {
  if (!isArray(array)) return nullptr;
  const Word* const close = end(array);
  const Word* at = array + 1;
  for (; index > 0 && at != close; --index) at = after(at);
  return at != close ? at : nullptr;
}

}  // namespace skyrill::json_detail
