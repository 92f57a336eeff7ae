#include "json/json_tree.h"

#include <algorithm>
#include <bit>
#include <unordered_map>

#include "json/json_text.h"
#include "json/object_index.h"

namespace skyrill::json_detail {

NameKey::NameKey(std::string_view name) : text(name) {
  // The name's form in a tree's strings, with room to read past it: on the
  // stack for the usual names.
  constexpr std::size_t kRoom = sizeof(std::uint32_t) + 16;
  char local[64 + kRoom];
  std::vector<char> large;
  char* form = local;
  if (name.size() + kRoom > sizeof local) {
    large.resize(name.size() + kRoom);
    form = large.data();
  }
  std::fill_n(form, name.size() + kRoom, '\0');
  const auto size = static_cast<std::uint32_t>(name.size());
  std::memcpy(form, &size, sizeof size);
  std::copy(name.begin(), name.end(), form + sizeof size);
  head = headAt(form);
  hash = hashAt(form, head);
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
                   std::size_t stringBytes)
    : tape_(std::move(tape)),
      words_(words),
      strings_(std::move(strings)),
      stringBytes_(stringBytes),
      holdsStoredBackslash_(std::string_view(strings_.get(), stringBytes_).find(kStoredBackslash) !=
                            std::string_view::npos) {}

JsonTree::JsonTree(const JsonTree& other)
    : tape_(std::make_unique_for_overwrite<Word[]>(other.words_)),
      words_(other.words_),
      strings_(std::make_unique_for_overwrite<char[]>(other.stringBytes_ + kStringPadding)),
      stringBytes_(other.stringBytes_),
      holdsStoredBackslash_(other.holdsStoredBackslash_) {
  std::copy_n(other.tape_.get(), words_, tape_.get());
  std::fill_n(std::copy_n(other.strings_.get(), stringBytes_, strings_.get()), kStringPadding, 0);
}

JsonTree& JsonTree::operator=(const JsonTree& other) {
  if (this != &other) *this = JsonTree(other);
  return *this;
}

JsonTree::JsonTree(JsonTree&& other) noexcept
    : tape_(std::move(other.tape_)),
      words_(std::exchange(other.words_, 0)),
      strings_(std::move(other.strings_)),
      stringBytes_(std::exchange(other.stringBytes_, 0)),
      indexes_(other.indexes_.exchange(nullptr)),
      holdsStoredBackslash_(other.holdsStoredBackslash_) {}

JsonTree& JsonTree::operator=(JsonTree&& other) noexcept {
  if (this != &other) {
    delete indexes_.exchange(other.indexes_.exchange(nullptr));
    tape_ = std::move(other.tape_);
    words_ = std::exchange(other.words_, 0);
    strings_ = std::move(other.strings_);
    stringBytes_ = std::exchange(other.stringBytes_, 0);
    holdsStoredBackslash_ = other.holdsStoredBackslash_;
  }
  return *this;
}

JsonTree::~JsonTree() {
  delete indexes_.load();
}

const ObjectIndexes& JsonTree::indexes() const {
  if (const ObjectIndexes* made = indexes_.load(std::memory_order_acquire)) return *made;
  auto made = std::make_unique<const ObjectIndexes>(indexLargeObjects(tape_.get(), strings_.get()));
  const ObjectIndexes* expected = nullptr;
  if (indexes_.compare_exchange_strong(expected, made.get(), std::memory_order_acq_rel)) {
    return *made.release();
  }
  return *expected;  // another reader's, made first
}

JsonTree JsonTree::emptyObject() {
  auto tape = std::make_unique_for_overwrite<Word[]>(4);
  tape[0] = tape::word(tape::kRoot, 4);
  tape[1] = tape::containerWord(tape::kObject, 0, 3);
  tape[2] = tape::word(tape::kObjectEnd, 1);
  tape[3] = tape::word(tape::kRoot, 0);
  auto strings = std::make_unique<char[]>(kStringPadding);
  return JsonTree(std::move(tape), 4, std::move(strings), 0);
}

const Word* JsonTree::member(const Word* object, const NameKey& name) const {
  if (!isObject(object)) return nullptr;
  if (((*object >> 32) & tape::kCountMask) > kIndexedMembers) {
    const auto table = indexes().find(static_cast<std::uint32_t>(object - tape_.get()));
    const std::size_t mask = table.size() - 1;
    for (std::size_t slot = name.hash & mask; table[slot] != 0; slot = (slot + 1) & mask) {
      if (ObjectIndexes::hashOf(table[slot]) != name.hash) continue;
      const Word* found = tape_.get() + ObjectIndexes::placeOf(table[slot]);
      if (isName(found, name)) return found + 1;
    }
    return nullptr;
  }
  // A few members: all are looked at, for the last of a repeated name.
  const Word* found = nullptr;
  const Word* const close = end(object);
  for (const Word* at = object + 1; at != close; at = after(at + 1)) {
    if (isName(at, name)) found = at + 1;
  }
  return found;
}

std::vector<std::pair<const Word*, const Word*>> JsonTree::uniqueMembers(const Word* object) const {
  std::vector<std::pair<const Word*, const Word*>> members;
  members.reserve(memberCount(object));
  const Word* const close = end(object);
  bool repeats = false;
  std::uint64_t seen = 0;  // one bit per hash
  for (const Word* name = object + 1; name != close; name = after(name + 1)) {
    const char* at = strings_.get() + (*name & tape::kOffset);
    const std::uint64_t bit = std::uint64_t{1} << (NameKey::hashAt(at, NameKey::headAt(at)) >> 26);
    repeats = repeats || (seen & bit) != 0;
    seen |= bit;
    members.emplace_back(name, name + 1);
  }
  if (!repeats) return members;
  // Some bits came twice: each name keeps its first place and its last value.
  std::unordered_map<std::string_view, std::size_t> placeOf;
  std::size_t kept = 0;
  for (std::size_t j = 0; j < members.size(); ++j) {
    const auto [found, added] = placeOf.try_emplace(text(members[j].first), kept);
    if (added) {
      members[kept++] = members[j];
    } else {
      members[found->second].second = members[j].second;
    }
  }
  members.resize(kept);
  return members;
}

const Word* JsonTree::element(const Word* array, std::size_t index) const {
  if (!isArray(array)) return nullptr;
  const Word* const close = end(array);
  const Word* at = array + 1;
  for (; index > 0 && at != close; --index) at = after(at);
  return at != close ? at : nullptr;
}

}  // namespace skyrill::json_detail
