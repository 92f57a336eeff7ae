#include "json/json_tree.h"

#include <algorithm>

#include "json/json_text.h"

namespace skyrill::json_detail {

JsonTree::JsonTree(Entry root, std::unique_ptr<Entry[]> entries, std::size_t entryCount,
                   std::string arena)
    : root_(root),
      entries_(std::move(entries)),
      entryCount_(entryCount),
      arena_(std::move(arena)),
      holdsStoredBackslash_(arena_.find(kStoredBackslash) != std::string::npos) {}

JsonTree::JsonTree(const JsonTree& other)
    : root_(other.root_),
      entries_(std::make_unique_for_overwrite<Entry[]>(other.entryCount_)),
      entryCount_(other.entryCount_),
      arena_(other.arena_),
      holdsStoredBackslash_(other.holdsStoredBackslash_) {
  std::copy_n(other.entries_.get(), entryCount_, entries_.get());
}

JsonTree& JsonTree::operator=(const JsonTree& other) {
  if (this != &other) *this = JsonTree(other);
  return *this;
}

const Entry* JsonTree::member(const Entry& object, std::string_view name) const {
  if (!object.isObject()) return nullptr;
  const std::uint32_t wanted = Entry::tagOf(Entry::Kind::Name, name);
  const std::span<const Entry> members = children(object);
  for (std::size_t i = 0; i < members.size(); i += 2) {
    if (members[i].isName(name, wanted, arena_.data())) return &members[i + 1];
  }
  return nullptr;
}

const Entry* JsonTree::member(const Entry& object, std::string_view name, std::uint32_t wanted,
                              std::size_t& next) const {
  if (!object.isObject()) return nullptr;
  const std::span<const Entry> members = children(object);
  const std::size_t count = object.size;
  for (std::size_t looked = 0, i = next < count ? next : 0; looked < count; ++looked) {
    if (members[2 * i].isName(name, wanted, arena_.data())) {
      next = i + 1;
      return &members[2 * i + 1];
    }
    i = i + 1 < count ? i + 1 : 0;
  }
  return nullptr;
}

const Entry* JsonTree::element(const Entry& array, std::size_t index) const {
  if (!array.isArray() || index >= array.size) return nullptr;
  return entries_.get() + array.payload + index;
}

}  // namespace skyrill::json_detail
