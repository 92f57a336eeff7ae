#include "json/object_names.h"

#include <array>
#include <bit>
#include <climits>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "json/tree_builder.h"

namespace skyrill::json_detail {

namespace {

Word* nextOf(Word* tape, Word* at) {
  return tape + (valueAfter(tape, at) - tape);
}

// Writes a name's tag into its word; gives the tag.
inline std::uint32_t tagName(Word* name, const char* strings) {
  const Word word = *name;
  const char* at = strings + (word & tape::kOffset);
  const std::uint32_t tag = NameKey::tagOfStored(NameKey::headAt(at), at + sizeof(std::uint32_t));
  *name = tape::withTag(word, tag);
  return tag;
}

bool sameName(const char* strings, Word name, Word other) {
  return tape::tagOf(name) == tape::tagOf(other) &&
         JsonTree::textAt(strings, name) == JsonTree::textAt(strings, other);
}

// Looks at every object of a tape once: tags its names, tells whether it
// repeats one, and indexes it when it is large. The containers still to be
// looked into wait on a stack.
class NameExaminer {
 public:
  NameExaminer(Word* tape, const char* strings) : tape_(tape), strings_(strings) {}

  // True when some object repeats a name.
  bool examine() {
    bool repeats = false;
    if (JsonTree::isContainer(tape_ + 1)) waiting_.push_back(tape_ + 1);
    while (!waiting_.empty()) {
      Word* const container = waiting_.back();
      waiting_.pop_back();
      if (!JsonTree::isObject(container)) {
        const Word* const close = nextOf(tape_, container) - 1;
        for (Word* at = container + 1; at != close; at = nextOf(tape_, at)) {
          if (JsonTree::isContainer(at)) waiting_.push_back(at);
        }
      } else if (childCount(tape_, container) > JsonTree::kIndexedMembers) {
        repeats = largeObjectRepeats(container) || repeats;
      } else {
        repeats = smallObjectRepeats(container) || repeats;
      }
    }
    return repeats;
  }

  ObjectIndexes takeIndexes() {
    indexes_.finish();
    return std::move(indexes_);
  }

 private:
  // The name after a member whose value is `value`, the value waiting to be
  // looked into when it is a container.
  Word* nextName(Word* value) {
    const Word word = *value;
    if (!isContainerWord(word)) return value + kScalarWords[word >> 56];
    waiting_.push_back(value);
    return tape_ + static_cast<std::uint32_t>(word);
  }

  // Only a name whose filter bit (of 256) was seen is looked for among the
  // earlier ones, by its tag first.
  bool smallObjectRepeats(Word* object) {
    std::array<Word, JsonTree::kIndexedMembers> names;
    std::size_t count = 0;
    std::array<std::uint64_t, 4> seen{};
    bool repeats = false;
    const Word* const close = nextOf(tape_, object) - 1;
    for (Word* name = object + 1; name != close; name = nextName(name + 1)) {
      const std::uint32_t tag = tagName(name, strings_);
      std::uint64_t& seenWord = seen[tag >> 22];
      const std::uint64_t bit = std::uint64_t{1} << ((tag >> 16) & 63);
      if ((seenWord & bit) != 0) {
        for (std::size_t k = 0; k < count; ++k)
          repeats = repeats || sameName(strings_, names[k], *name);
      }
      seenWord |= bit;
      names[count++] = *name;
    }
    return repeats;
  }

  // Fills the object's index; a repeated name is found there. The names are
  // tagged first, so that the slots of the names a few places ahead can be
  // fetched early: their cache misses then overlap.
  bool largeObjectRepeats(Word* object) {
    const Word* const close = nextOf(tape_, object) - 1;
    for (Word* name = object + 1; name != close; name = nextName(name + 1)) tagName(name, strings_);
    const std::span<ObjectIndexes::Slot> table =
        indexes_.add(static_cast<std::uint32_t>(object - tape_), 2 * childCount(tape_, object));
    const std::size_t mask = table.size() - 1;
    const auto nextMember = [this](Word* name) { return nextOf(tape_, name + 1); };
    constexpr int kAhead = 16;
    Word* ahead = object + 1;
    for (int i = 0; i < kAhead && ahead != close; ++i) ahead = nextMember(ahead);
    bool repeats = false;
    for (Word* name = object + 1; name != close; name = nextMember(name)) {
      if (ahead != close) {
        __builtin_prefetch(&table[tape::tagOf(*ahead) & mask]);
        ahead = nextMember(ahead);
      }
      const std::uint32_t tag = tape::tagOf(*name);
      std::size_t slot = tag & mask;
      for (; table[slot] != 0; slot = (slot + 1) & mask) {
        if (ObjectIndexes::tagOf(table[slot]) != tag) continue;
        repeats = repeats || sameName(strings_, tape_[ObjectIndexes::placeOf(table[slot])], *name);
      }
      table[slot] = ObjectIndexes::slot(tag, static_cast<std::size_t>(name - tape_));
    }
    return repeats;
  }

  Word* tape_;
  const char* strings_;
  std::vector<Word*> waiting_;
  ObjectIndexes indexes_;
};

using Member = std::pair<const Word*, const Word*>;  // name, value

// The members of an object, each name once in its first place with its
// last value.
std::vector<Member> uniqueMembers(const JsonTree& tree, const Word* object) {
  std::vector<Member> members;
  std::unordered_map<std::string_view, std::size_t> placeOf;
  const Word* const close = tree.end(object);
  for (const Word* name = object + 1; name != close; name = tree.after(name + 1)) {
    const auto [found, added] = placeOf.try_emplace(tree.text(name), members.size());
    if (added) {
      members.emplace_back(name, name + 1);
    } else {
      members[found->second].second = name + 1;
    }
  }
  return members;
}

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
      for (const auto& [name, member] : uniqueMembers(tree, value)) {
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
  NameExaminer examiner(tape.get(), strings.get());
  const bool repeats = examiner.examine();
  JsonTree tree(std::move(tape), words, std::move(strings), stringBytes, examiner.takeIndexes());
  if (!repeats) return tree;
  TreeBuilder builder(tree.wordCount(), tree.stringBytes(), INT_MAX);
  copyUnique(tree, tree.root(), builder);
  return builder.finish();
}

}  // namespace skyrill::json_detail
