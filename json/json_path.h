#pragma once

#include <cstddef>
#include <string_view>

#include "json/json_tree.h"

// Paths: "" is the root; "[0].time" starts at an element of a root array;
// "res[0].name" at a member of a root object; then ".name" or "[n]" steps.
namespace skyrill::json_detail {

struct PathStep {
  std::string_view name;  // member step
  std::size_t index = 0;  // element step
  bool isIndex = false;
};

// Reads the steps of a path one by one, without copying.
class PathReader {
 public:
  explicit PathReader(std::string_view path) : rest_(path) {}

  bool atEnd() const { return rest_.empty(); }
  // The next step; false when the path is malformed there.
  bool next(PathStep& step);

 private:
  bool readName(PathStep& step);
  bool readIndex(PathStep& step);

  std::string_view rest_;
  bool first_ = true;
};

// Where a path leads in a tree.
struct Location {
  const Word* value = nullptr;  // null when unresolved
  bool earlierStepFailed = false;
};

// The child a step selects; null when there is none.
const Word* childOf(const JsonTree& tree, const Word* container, const PathStep& step);

Location locate(const JsonTree& tree, std::string_view path);

// The value at the path for reading: null when unresolved or null.
const Word* readable(const JsonTree& tree, std::string_view path);

}  // namespace skyrill::json_detail
