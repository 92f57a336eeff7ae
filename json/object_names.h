#pragma once

#include <cstddef>
#include <memory>

#include "json/json_tree.h"

// The member names of a tree's objects: each carries its tag in its word,
// comes once in its object, and a large object has an index of them.
namespace skyrill::json_detail {

// The tree of a tape, its name words' tag bits still to be written: with
// each name's tag, an index for each large object, and each name once in
// every object, a name that the tape repeats keeping the place it had first
// and the value it had last (the tree is then built again; nearly every
// tape repeats none).
JsonTree finishTree(std::unique_ptr<Word[]> tape, std::size_t words,
                    std::unique_ptr<char[]> strings, std::size_t stringBytes);

}  // namespace skyrill::json_detail
