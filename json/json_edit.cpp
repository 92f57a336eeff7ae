#include "json/json_edit.h"

#include <climits>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "json/json_parse.h"
#include "json/json_path.h"
#include "json/json_text.h"
#include "json/tree_builder.h"

namespace skyrill::json_detail {

namespace {

// ---- The editable form ----------------------------------------------------

// One value. An object keeps its member names in names, parallel to children.
struct Node {
  ValueKind kind = ValueKind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Node> children;      // array elements or member values
  std::vector<std::string> names;  // member names, objects only

  bool isArray() const { return kind == ValueKind::Array; }
  bool isObject() const { return kind == ValueKind::Object; }

  static Node ofKind(ValueKind kind) {
    Node node;
    node.kind = kind;
    return node;
  }
  static Node ofText(std::string text) {
    Node node = ofKind(ValueKind::String);
    node.text = std::move(text);
    return node;
  }

  // The position of a member; size() when absent.
  std::size_t memberIndex(std::string_view name) const {
    std::size_t i = 0;
    while (i < names.size() && std::string_view(names[i]) != name) ++i;
    return i;
  }
};

// As deep as the tree, which is bounded. Each name of an object comes once.
Node thaw(const JsonTree& tree, const Word* value) {
  Node node = Node::ofKind(JsonTree::kind(value));
  switch (node.kind) {
    case ValueKind::Boolean:
      node.boolean = JsonTree::boolean(value);
      break;
    case ValueKind::Number:
      node.number = JsonTree::number(value);
      break;
    case ValueKind::String:
      node.text = tree.text(value);
      break;
    case ValueKind::Array: {
      const Word* const close = tree.end(value);
      for (const Word* element = value + 1; element != close; element = tree.after(element)) {
        node.children.push_back(thaw(tree, element));
      }
      break;
    }
    case ValueKind::Object:
      for (const auto& [name, member] : tree.uniqueMembers(value)) {
        node.names.emplace_back(tree.text(name));
        node.children.push_back(thaw(tree, member));
      }
      break;
    case ValueKind::Null:
      break;
  }
  return node;
}

// The tape words of a value.
std::size_t wordCount(const Node& node) {
  std::size_t count = node.kind == ValueKind::Number || node.isArray() || node.isObject() ? 2 : 1;
  count += node.names.size();
  for (const Node& child : node.children) count += wordCount(child);
  return count;
}

void addTo(TreeBuilder& builder, const Node& node) {
  switch (node.kind) {
    case ValueKind::Null:
      builder.addNull();
      break;
    case ValueKind::Boolean:
      builder.addBoolean(node.boolean);
      break;
    case ValueKind::Number:
      builder.addNumber(node.number);
      break;
    case ValueKind::String:
      builder.addString(node.text);
      break;
    case ValueKind::Array:
    case ValueKind::Object:
      if (node.isObject()) {
        builder.openObject();
      } else {
        builder.openArray();
      }
      for (std::size_t i = 0; i < node.children.size(); ++i) {
        if (node.isObject()) builder.addName(node.names[i]);
        addTo(builder, node.children[i]);
      }
      builder.close();
      break;
  }
}

JsonTree freeze(const Node& root) {
  // Writes keep within the depth bound themselves.
  TreeBuilder builder(wordCount(root) + 2, 0, INT_MAX);
  addTo(builder, root);
  return builder.finish();
}

// ---- Paths in the editable form -------------------------------------------

// Where a path leads.
struct NodeLocation {
  Node* value = nullptr;   // null when unresolved
  Node* parent = nullptr;  // where the last step looked; null when an earlier step failed
  PathStep lastStep;
  int steps = 0;  // the containers above the value
};

Node* childOf(Node& container, const PathStep& step) {
  if (step.isIndex) {
    if (!container.isArray() || step.index >= container.children.size()) return nullptr;
    return &container.children[step.index];
  }
  if (!container.isObject()) return nullptr;
  const std::size_t i = container.memberIndex(step.name);
  return i < container.children.size() ? &container.children[i] : nullptr;
}

NodeLocation locate(Node& root, std::string_view path) {
  NodeLocation where;
  where.value = &root;
  PathReader reader(path);
  while (!reader.atEnd() && where.value != nullptr) {
    if (!reader.next(where.lastStep)) return {nullptr, nullptr, {}, where.steps};
    where.parent = where.value;
    where.value = childOf(*where.parent, where.lastStep);
    ++where.steps;
  }
  if (!reader.atEnd()) return {nullptr, nullptr, {}, where.steps};
  return where;
}

// The value at a located path for writing, the last member created when it is
// absent from an object; null when the path leads nowhere.
Node* writable(const NodeLocation& where) {
  if (where.value != nullptr) return where.value;
  if (where.parent == nullptr || !where.parent->isObject() || where.lastStep.isIndex) {
    return nullptr;
  }
  where.parent->names.emplace_back(where.lastStep.name);
  return &where.parent->children.emplace_back();
}

// ---- Writing --------------------------------------------------------------

// The value of a JSON text nesting at most maxDepth deep.
std::optional<Node> parseNode(std::string_view text, int maxDepth) {
  std::optional<JsonTree> tree = parseTree(text, maxDepth);
  if (!tree) return std::nullopt;
  return thaw(*tree, tree->root());
}

// The value a write stores: a string, or the parsed JSON text when asText is
// false; nothing when the text does not parse within maxDepth.
std::optional<Node> valueToStore(std::string_view value, bool asText, int maxDepth) {
  if (asText) return Node::ofText(std::string(value));
  return parseNode(value, maxDepth);
}

// Merges the members of source into target: nested objects merged, arrays
// appended, anything else replaced.
void mergeObject(Node& target, Node&& source) {
  for (std::size_t i = 0; i < source.children.size(); ++i) {
    Node& value = source.children[i];
    const std::size_t at = target.memberIndex(source.names[i]);
    if (at == target.children.size()) {
      target.names.push_back(std::move(source.names[i]));
      target.children.push_back(std::move(value));
      continue;
    }
    Node& found = target.children[at];
    if (found.isObject() && value.isObject()) {
      mergeObject(found, std::move(value));
    } else if (found.isArray() && value.isArray()) {
      std::move(value.children.begin(), value.children.end(), std::back_inserter(found.children));
    } else {
      found = std::move(value);
    }
  }
}

// The array at a located path, when its element index n exists.
Node* elementArray(const NodeLocation& where, int n) {
  Node* array = where.value;
  if (array == nullptr || !array->isArray() || n < 0 ||
      static_cast<std::size_t>(n) >= array->children.size()) {
    return nullptr;
  }
  return array;
}

// Applies a write to an editable copy of the tree, which the result replaces
// when the write succeeds.
template <typename Write>
bool edit(JsonTree& tree, Write write) {
  Node root = thaw(tree, tree.root());
  if (!write(root)) return false;
  tree = freeze(root);
  return true;
}

}  // namespace

bool setTextAt(JsonTree& tree, std::string_view path, std::string_view text) {
  return edit(tree, [&](Node& root) {
    Node* slot = writable(locate(root, path));
    if (slot == nullptr) return false;
    std::string stored(text);
    replaceAll(stored, "\\", kStoredBackslash);
    *slot = Node::ofText(std::move(stored));
    return true;
  });
}

bool setNumberAt(JsonTree& tree, std::string_view path, double number) {
  return edit(tree, [&](Node& root) {
    Node* slot = writable(locate(root, path));
    if (slot == nullptr) return false;
    Node value;
    if (std::isfinite(number)) {
      value.kind = ValueKind::Number;
      value.number = number;
    }
    *slot = std::move(value);
    return true;
  });
}

bool setJsonAt(JsonTree& tree, std::string_view path, std::string_view jsonText, bool merge,
               int maxDepth) {
  return edit(tree, [&](Node& root) {
    const NodeLocation where = locate(root, path);
    std::optional<Node> value = parseNode(jsonText, maxDepth - where.steps);
    if (!value) return false;
    Node* slot = writable(where);
    if (slot == nullptr) return false;
    if (merge && slot->isObject() && value->isObject()) {
      mergeObject(*slot, std::move(*value));
    } else {
      *slot = std::move(*value);
    }
    return true;
  });
}

bool appendAt(JsonTree& tree, std::string_view path, std::string_view value, bool asText,
              bool atFront, int maxDepth) {
  return edit(tree, [&](Node& root) {
    const NodeLocation where = locate(root, path);
    const int elementDepth = where.steps + 1;  // the array itself is one level more
    if (elementDepth > maxDepth) return false;
    std::optional<Node> element = valueToStore(value, asText, maxDepth - elementDepth);
    if (!element) return false;
    Node* slot = writable(where);
    if (slot == nullptr) return false;
    if (!slot->isArray()) *slot = Node::ofKind(ValueKind::Array);
    std::vector<Node>& elements = slot->children;
    elements.insert(atFront ? elements.begin() : elements.end(), std::move(*element));
    return true;
  });
}

bool setElementAt(JsonTree& tree, std::string_view path, int n, std::string_view value, bool asText,
                  int maxDepth) {
  return edit(tree, [&](Node& root) {
    const NodeLocation where = locate(root, path);
    Node* array = elementArray(where, n);
    if (array == nullptr) return false;
    std::optional<Node> element = valueToStore(value, asText, maxDepth - where.steps - 1);
    if (!element) return false;
    array->children[static_cast<std::size_t>(n)] = std::move(*element);
    return true;
  });
}

bool removeElementAt(JsonTree& tree, std::string_view path, int n) {
  return edit(tree, [&](Node& root) {
    Node* array = elementArray(locate(root, path), n);
    if (array == nullptr) return false;
    array->children.erase(array->children.begin() + n);
    return true;
  });
}

bool removeAt(JsonTree& tree, std::string_view path) {
  return edit(tree, [&](Node& root) {
    const NodeLocation where = locate(root, path);
    if (where.value == nullptr || where.parent == nullptr) return false;
    Node& parent = *where.parent;
    const auto at = where.value - parent.children.data();
    parent.children.erase(parent.children.begin() + at);
    if (parent.isObject()) parent.names.erase(parent.names.begin() + at);
    return true;
  });
}

JsonTree copyOf(const JsonTree& tree, const Word* value) {
  return freeze(thaw(tree, value));
}

}  // namespace skyrill::json_detail
