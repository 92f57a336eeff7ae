#include "json/object_names.h"

#include <bit>
#include <climits>
#include <string_view>
#include <utility>
#include <vector>

#include "json/tree_builder.h"

namespace skyrill::json_detail {

namespace {

// The hash of the name a word names.
std::uint32_t hashOfName(const char* strings, Word name) {
  const char* at = strings + (name & tape::kOffset);
  return NameKey::hashAt(at, NameKey::headAt(at));
}

// Indexes the large objects of a tape and tells whether one repeats a name.
// Every container is looked into once; those still to be looked into wait
// on a stack.
class Indexer {
 public:
  Indexer(const Word* tape, const char* strings) : tape_(tape), strings_(strings) {}

  // True when some large object repeats a name.
  bool index() {
    bool repeats = false;
    if (JsonTree::isContainer(tape_ + 1)) waiting_.push_back(tape_ + 1);
    while (!waiting_.empty()) {
      const Word* const container = waiting_.back();
      waiting_.pop_back();
      const bool isObject = JsonTree::isObject(container);
      if (isObject && childCount(tape_, container) > JsonTree::kIndexedMembers) {
        repeats = indexObject(container) || repeats;
      }
      const Word* const close = valueAfter(tape_, container) - 1;
      for (const Word* at = container + 1; at != close; at = valueAfter(tape_, at)) {
        if (isObject) ++at;  // the value after its name
        if (isContainerWord(*at)) waiting_.push_back(at);
      }
    }
    return repeats;
  }

  ObjectIndexes takeIndexes() {
    indexes_.finish();
    return std::move(indexes_);
  }

 private:
  // Fills the object's index; a repeated name is found there. The slots of
  // the names a few places ahead are fetched early, so that their cache
  // misses overlap.
  bool indexObject(const Word* object) {
    const std::span<ObjectIndexes::Slot> table =
        indexes_.add(static_cast<std::uint32_t>(object - tape_), 2 * childCount(tape_, object));
    const std::size_t mask = table.size() - 1;
    const Word* const close = valueAfter(tape_, object) - 1;
    const auto nextName = [this](const Word* name) { return valueAfter(tape_, name + 1); };
    constexpr int kAhead = 16;
    const Word* ahead = object + 1;
    for (int i = 0; i < kAhead && ahead != close; ++i) ahead = nextName(ahead);
    bool repeats = false;
    for (const Word* name = object + 1; name != close; name = nextName(name)) {
      if (ahead != close) {
        __builtin_prefetch(&table[hashOfName(strings_, *ahead) & mask]);
        ahead = nextName(ahead);
      }
      const std::uint32_t hash = hashOfName(strings_, *name);
      std::size_t slot = hash & mask;
      for (; table[slot] != 0; slot = (slot + 1) & mask) {
        if (ObjectIndexes::hashOf(table[slot]) != hash) continue;
        const Word* earlier = tape_ + ObjectIndexes::placeOf(table[slot]);
        repeats =
            repeats || JsonTree::textAt(strings_, *earlier) == JsonTree::textAt(strings_, *name);
      }
      table[slot] = ObjectIndexes::slot(hash, static_cast<std::size_t>(name - tape_));
    }
    return repeats;
  }

  const Word* tape_;
  const char* strings_;
  std::vector<const Word*> waiting_;
  ObjectIndexes indexes_;
};

// Writes a value, each object with its members once, as deep as the tree,
// which is bounded.
void copyUnique(const JsonTree& tree, const Word* value, TreeBuilder& builder) {
  switch (JsonTree::kind(value)) {
    case ValueKind::Null:
      builder.addNull();
      break;
    case ValueKind::Boolean:
      builder.addBoolean(JsonTree::boolean(value));
      break;
    case ValueKind::Number:
      builder.addNumber(JsonTree::number(value));
      break;
    case ValueKind::String:
      builder.addString(tree.text(value));
      break;
    case ValueKind::Array: {
      builder.openArray();
      const Word* const close = tree.end(value);
      for (const Word* element = value + 1; element != close; element = tree.after(element)) {
        copyUnique(tree, element, builder);
      }
      builder.close();
      break;
    }
    case ValueKind::Object:
      builder.openObject();
      for (const auto& [name, member] : tree.uniqueMembers(value)) {
        builder.addName(tree.text(name));
        copyUnique(tree, member, builder);
      }
      builder.close();
      break;
  }
}

}  // namespace

JsonTree finishTree(std::unique_ptr<Word[]> tape, std::size_t words,
                    std::unique_ptr<char[]> strings, std::size_t stringBytes) {
  Indexer indexer(tape.get(), strings.get());
  if (!indexer.index()) {
    return JsonTree(std::move(tape), words, std::move(strings), stringBytes, indexer.takeIndexes());
  }
  // Without its indexes, whose objects repeat names.
  const JsonTree tree(std::move(tape), words, std::move(strings), stringBytes, {});
  TreeBuilder builder(tree.wordCount(), tree.stringBytes(), INT_MAX);
  copyUnique(tree, tree.root(), builder);
  return builder.finish();
}

}  // namespace skyrill::json_detail
