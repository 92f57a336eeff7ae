#include "json/json_path.h"

#include <charconv>
#include <utility>

namespace skyrill::json_detail {

bool PathReader::next(PathStep& step) {
  const bool first = std::exchange(first_, false);
  if (rest_.front() == '[') return readIndex(step);
  if (first) return readName(step);
  if (rest_.front() != '.') return false;
  rest_.remove_prefix(1);
  return readName(step);
}

bool PathReader::readName(PathStep& step) {
  std::size_t end = 0;  // a plain loop: find_first_of calls memchr per character
  while (end < rest_.size() && rest_[end] != '.' && rest_[end] != '[') ++end;
  step = {rest_.substr(0, end), 0, false};
  rest_.remove_prefix(end);
  return end > 0;
}

// "[n]" with n a decimal number without sign.
bool PathReader::readIndex(PathStep& step) {
  const std::size_t close = rest_.find(']');
  if (close == std::string_view::npos || close == 1) return false;
  const char* first = rest_.data() + 1;
  const char* last = rest_.data() + close;
  std::size_t index = 0;
  const auto [end, error] = std::from_chars(first, last, index);
  if (error != std::errc() || end != last) return false;
  step = {{}, index, true};
  rest_.remove_prefix(close + 1);
  return true;
}

const Word* childOf(const JsonTree& tree, const Word* container, const PathStep& step) {
  return step.isIndex ? tree.element(container, step.index)
                      : tree.member(container, NameKey(step.name));
}

Location locate(const JsonTree& tree, std::string_view path) {
  Location where{tree.root(), false};
  PathReader reader(path);
  PathStep step;
  while (!reader.atEnd() && where.value != nullptr) {
    if (!reader.next(step)) return {nullptr, true};
    where.value = childOf(tree, where.value, step);
  }
  if (!reader.atEnd()) return {nullptr, true};
  return where;
}

const Word* readable(const JsonTree& tree, std::string_view path) {
  const Word* value = locate(tree, path).value;
  return value != nullptr && !JsonTree::isNull(value) ? value : nullptr;
}

}  // namespace skyrill::json_detail
