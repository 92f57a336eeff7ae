#pragma once

#include <optional>
#include <string_view>

#include "json/json_tree.h"

namespace skyrill::json_detail {

// The tree of a strict JSON text nesting at most maxDepth deep; nothing when
// the text is not one such value, is larger than JsonDocument::kMaxTextBytes,
// or memory runs out, which `outOfMemory` then tells.
std::optional<JsonTree> parseTree(std::string_view text, int maxDepth,
                                  bool* outOfMemory = nullptr) noexcept;

}  // namespace skyrill::json_detail
