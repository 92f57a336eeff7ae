#include "json/object_index.h"

#include <vector>

namespace skyrill::json_detail {

namespace {

// The hash of the name a word names.
std::uint32_t hashOfName(const char* strings, Word name) {
  const char* at = strings + (name & tape::kOffset);
  return NameKey::hashAt(at, NameKey::headAt(at));
}

// Fills the table of a large object. The slots of the names a few places
// ahead are fetched early, so that their cache misses overlap.
void indexObject(const Word* tape, const char* strings, const Word* object,
                 std::span<ObjectIndexes::Slot> table) {
  const std::size_t mask = table.size() - 1;
  const Word* const close = valueAfter(tape, object) - 1;
  const auto nextName = [tape](const Word* name) { return valueAfter(tape, name + 1); };
  constexpr int kAhead = 16;
  const Word* ahead = object + 1;
  for (int i = 0; i < kAhead && ahead != close; ++i) ahead = nextName(ahead);
  for (const Word* name = object + 1; name != close; name = nextName(name)) {
    if (ahead != close) {
      __builtin_prefetch(&table[hashOfName(strings, *ahead) & mask]);
      ahead = nextName(ahead);
    }
    const std::uint32_t hash = hashOfName(strings, *name);
    const ObjectIndexes::Slot slot =
        ObjectIndexes::slot(hash, static_cast<std::size_t>(name - tape));
    std::size_t at = hash & mask;
    for (; table[at] != 0; at = (at + 1) & mask) {
      if (ObjectIndexes::hashOf(table[at]) != hash) continue;
      const Word* earlier = tape + ObjectIndexes::placeOf(table[at]);
      if (JsonTree::textAt(strings, *earlier) == JsonTree::textAt(strings, *name)) break;
    }
    table[at] = slot;  // a repeated name's later member takes its place
  }
}

}  // namespace

ObjectIndexes indexLargeObjects(const Word* tape, const char* strings) {
  ObjectIndexes indexes;
  // Every container is looked into once; those still to be looked into wait
  // on a stack.
  std::vector<const Word*> waiting;
  if (isContainerWord(tape[1])) waiting.push_back(tape + 1);
  while (!waiting.empty()) {
    const Word* const container = waiting.back();
    waiting.pop_back();
    const bool isObject = JsonTree::isObject(container);
    if (isObject && childCount(tape, container) > JsonTree::kIndexedMembers) {
      indexObject(tape, strings, container,
                  indexes.add(static_cast<std::uint32_t>(container - tape),
                              2 * childCount(tape, container)));
    }
    const Word* const close = valueAfter(tape, container) - 1;
    for (const Word* at = container + 1; at != close; at = valueAfter(tape, at)) {
      if (isObject) ++at;  // the value after its name
      if (isContainerWord(*at)) waiting.push_back(at);
    }
  }
  indexes.finish();
  return indexes;
}

}  // namespace skyrill::json_detail
