#pragma once

#include <cstddef>
#include <memory>

#include "json/json_tree.h"

// The member names of a tree's large objects: each comes once in its object,
// which has an index of them.
namespace skyrill::json_detail {

// The tree of a tape, with an index for each large object. When a large
// object repeats a name, the tree is built again with each name once in
// every object, keeping the place it had first and the value it had last
// (smaller objects may keep a repeated name: the tree's reads see to it).
JsonTree finishTree(std::unique_ptr<Word[]> tape, std::size_t words,
                    std::unique_ptr<char[]> strings, std::size_t stringBytes);

}  // namespace skyrill::json_detail
