#pragma once

#include <string_view>

#include "json/json_tree.h"

// The writes of a document. A tree is immutable: a write copies it into an
// editable form, changes that and builds a new tree. Writes are rare (the
// program reads its documents), so each costs time in the document's size.
namespace skyrill::json_detail {

// Each write returns false, changing nothing, when the path leads nowhere or
// the value cannot be stored (see JsonDocument).
bool setTextAt(JsonTree& tree, std::string_view path, std::string_view text);
bool setNumberAt(JsonTree& tree, std::string_view path, double number);
bool setJsonAt(JsonTree& tree, std::string_view path, std::string_view jsonText, bool merge,
               int maxDepth);
bool appendAt(JsonTree& tree, std::string_view path, std::string_view value, bool asText,
              bool atFront, int maxDepth);
bool setElementAt(JsonTree& tree, std::string_view path, int n, std::string_view value, bool asText,
                  int maxDepth);
bool removeElementAt(JsonTree& tree, std::string_view path, int n);
bool removeAt(JsonTree& tree, std::string_view path);

// A new tree holding a copy of the value.
JsonTree copyOf(const JsonTree& tree, const Word* value);

}  // namespace skyrill::json_detail
