#pragma once

#include "json/json_tree.h"

namespace skyrill::json_detail {

// The name tables of every object of a tape with more than
// JsonTree::kIndexedMembers members. A name an object repeats has the place
// of its last member in the table.
ObjectIndexes indexLargeObjects(const Word* tape, const char* strings);

}  // namespace skyrill::json_detail
