#include "json/tree_builder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>

namespace skyrill::json_detail {

namespace {

// Objects with more members than this find repeated names through a hash
// table; smaller ones through a 64-bit filter and a scan on its hits.
constexpr std::size_t kMaxFilteredMembers = 64;

bool sameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size()) == 0;
}

// Moves member `from` to position `to` of a name, value, name, value... block.
void moveMember(Entry* members, std::size_t from, std::size_t to) {
  if (from == to) return;
  members[2 * to] = members[2 * from];
  members[2 * to + 1] = members[2 * from + 1];
}

std::string_view nameOf(const Entry& name, const char* arena) {
  return {arena + name.payload, name.size};
}

std::size_t keepLastOfRepeatedNamesHashed(Entry* members, std::size_t count, const char* arena,
                                          std::vector<std::uint64_t>& table) {
  // A slot holds the upper half of a name's hash above its member's place
  // + 1 (0 is free): names are compared only when their hashes agree, so a
  // large object costs about one cache miss a member.
  const std::size_t mask = std::bit_ceil(2 * count) - 1;
  table.assign(mask + 1, 0);
  // The slots of the names a few members ahead are fetched early, so that
  // their cache misses overlap.
  constexpr std::size_t kAhead = 16;
  std::size_t hashes[kAhead];
  const auto hashAhead = [&](std::size_t j) {
    if (j >= count) return;
    hashes[j % kAhead] = std::hash<std::string_view>{}(nameOf(members[2 * j], arena));
    __builtin_prefetch(table.data() + (hashes[j % kAhead] & mask));
  };
  for (std::size_t j = 0; j < kAhead; ++j) hashAhead(j);
  std::size_t kept = 0;
  for (std::size_t j = 0; j < count; ++j) {
    const std::string_view name = nameOf(members[2 * j], arena);
    const std::size_t hash = hashes[j % kAhead];
    hashAhead(j + kAhead);
    const std::uint64_t tag = static_cast<std::uint64_t>(hash >> 32) << 32;
    std::size_t slot = hash & mask;
    std::size_t found = 0;  // place + 1
    for (; table[slot] != 0; slot = (slot + 1) & mask) {
      const std::uint64_t held = table[slot];
      if ((held & ~std::uint64_t{0xFFFFFFFF}) != tag) continue;
      const std::size_t place = (held & 0xFFFFFFFF) - 1;
      if (sameText(nameOf(members[2 * place], arena), name)) {
        found = place + 1;
        break;
      }
    }
    if (found != 0) {
      members[2 * (found - 1) + 1] = members[2 * j + 1];
      continue;
    }
    moveMember(members, j, kept++);
    table[slot] = tag | kept;
  }
  table = {};
  return kept;
}

}  // namespace

std::size_t keepLastOfRepeatedNames(Entry* members, std::size_t count, const char* arena,
                                    std::vector<std::uint64_t>& table) {
  if (count > kMaxFilteredMembers) {
    return keepLastOfRepeatedNamesHashed(members, count, arena, table);
  }
  // Two filters of 64 bits, from different bits of the name's hash: only a
  // name found in both is looked for among the earlier ones, which a name
  // seen before always is and a new one seldom.
  std::uint64_t seen = 0;
  std::uint64_t seenToo = 0;
  std::size_t kept = 0;
  for (std::size_t j = 0; j < count; ++j) {
    const Entry& name = members[2 * j];
    const std::uint64_t hash = name.nameHash();
    const std::uint64_t bit = std::uint64_t{1} << (hash >> 58);
    const std::uint64_t bitToo = std::uint64_t{1} << ((hash >> 52) & 63);
    if ((seen & bit) != 0 && (seenToo & bitToo) != 0) {
      std::size_t earlier = 0;
      while (earlier < kept &&
             !members[2 * earlier].isName(nameOf(name, arena), name.tag(), arena)) {
        ++earlier;
      }
      if (earlier < kept) {
        members[2 * earlier + 1] = members[2 * j + 1];
        continue;
      }
    }
    seen |= bit;
    seenToo |= bitToo;
    moveMember(members, j, kept++);
  }
  return kept;
}

TreeBuilder::TreeBuilder(std::size_t entryCount, std::size_t textBytes, int maxDepth)
    : slots_(std::make_unique_for_overwrite<Entry[]>(std::max<std::size_t>(entryCount, 1))),
      capacity_(std::max<std::size_t>(entryCount, 1)),
      maxDepth_(maxDepth) {
  open_.reserve(16);
  arena_.resize(textBytes);
}

// Room for a text of `size` more bytes.
void TreeBuilder::growArena(std::size_t size) {
  arena_.resize(std::max(2 * arena_.size(), arenaUsed_ + size));
}

bool TreeBuilder::open(Entry::Kind kind) {
  if (std::ssize(open_) >= maxDepth_) return false;
  open_.push_back({kind, waiting_});
  return true;
}

void TreeBuilder::close() {
  const OpenContainer container = open_.back();
  open_.pop_back();
  const std::size_t first = placed_;
  std::size_t count = placeChildren(container.firstWaiting);
  if (container.kind == Entry::Kind::Object) {
    count = keepLastOfRepeatedNames(slots_.get() + first, count / 2, arena_.data(), nameTable_);
    placed_ = first + 2 * count;
  }
  push(container.kind, count, first);
}

// Moves the waiting values from firstWaiting on, in their order, to the end
// of the placed ones; returns how many.
std::size_t TreeBuilder::placeChildren(std::size_t firstWaiting) {
  const std::size_t count = waiting_ - firstWaiting;
  Entry* latest = slots_.get() + capacity_ - waiting_;
  std::reverse(latest, latest + count);
  // Both runs may overlap when the buffer is nearly full.
  std::memmove(slots_.get() + placed_, latest, count * sizeof(Entry));
  placed_ += count;
  waiting_ = firstWaiting;
  return count;
}

JsonTree TreeBuilder::finish() {
  const Entry root = slots_[capacity_ - 1];
  // Give back the room the size estimate left over when it is worth a copy.
  if (capacity_ - placed_ > placed_ / 4 + 64) {
    auto exact = std::make_unique_for_overwrite<Entry[]>(placed_);
    std::copy_n(slots_.get(), placed_, exact.get());
    slots_ = std::move(exact);
  }
  arena_.resize(arenaUsed_);
  if (arena_.capacity() - arena_.size() > arena_.size() / 4 + 64) arena_.shrink_to_fit();
  return JsonTree(root, std::move(slots_), placed_, std::move(arena_));
}

}  // namespace skyrill::json_detail
