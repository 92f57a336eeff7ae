#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace skyrill {

// One JSON value, read and written by path.
//
// Paths: "" is the root; "[0].time" starts at an element of a root array;
// "res[0].name" starts at a member of a root object. After the first step,
// ".name" selects a member and "[n]" an element. A path is unresolved when a
// step finds nothing; unresolved paths read as "" or 0, never as an error.
//
// Texts are UTF-8. Numbers read as their shortest round-trip decimal form.
class JsonDocument {
 public:
  // Deepest nesting a parsed text may have; deeper texts fail to parse.
  static constexpr int kMaxDepth = 512;

  JsonDocument();  // holds an empty object
  ~JsonDocument();
  JsonDocument(const JsonDocument& other);
  JsonDocument& operator=(const JsonDocument& other);
  JsonDocument(JsonDocument&&) noexcept;
  JsonDocument& operator=(JsonDocument&&) noexcept;

  // Replaces the root with the parsed text. True when the text is one JSON
  // value that is not null; otherwise false and the root is null.
  bool parse(std::string_view text);

  // The text of the value at the path; "" when unresolved or null.
  std::string getText(std::string_view path) const;
  // The number of elements of the array at the path; 0 for anything else.
  int count(std::string_view path) const;

  // The root becomes an empty object.
  void clear();
  // The whole document as compact JSON.
  std::string toText() const;
  // The value at the path as compact JSON; "" when unresolved.
  std::string jsonTextAt(std::string_view path) const;
  // True when the path resolves to a value other than null.
  bool exists(std::string_view path) const;
  // 1 boolean, 2 number, 4 object, 5 array, 6 string; 0 when the last step
  // finds null or nothing; -1 when an earlier step already finds nothing.
  int kindOf(std::string_view path) const;
  // Member names of the object at the path, in order.
  std::vector<std::string> memberNames(std::string_view path) const;
  // The value as a double: numeric strings convert, anything else gives 0.
  double getNumber(std::string_view path) const;

  // The value at the path becomes the string text (the last member created
  // when absent).
  void setText(std::string_view path, std::string_view text);
  void setNumber(std::string_view path, double number);
  // The value at the path becomes the parsed JSON text; with merge, an object
  // is merged member by member into an existing object. False when the text
  // does not parse.
  bool setJson(std::string_view path, std::string_view jsonText, bool merge = false);
  // Adds a value (a string when asText, else parsed JSON) at the end or the
  // front of the array at the path, making it an array first when needed.
  void append(std::string_view path, std::string_view value, bool asText = true,
              bool atFront = false);
  // Element n of the array at the path becomes the value.
  void setElement(std::string_view path, int n, std::string_view value, bool asText = true);
  // Removes element n of the array at the path.
  void removeElement(std::string_view path, int n);
  // Removes the member at the path.
  void remove(std::string_view path);
  // A new document holding a copy of the value at the path.
  JsonDocument subDocument(std::string_view path) const;
  // The strings, numbers and booleans inside the object or array at the
  // path, in order; with recursive, nested values depth first.
  std::vector<std::string> leafValues(std::string_view path, bool recursive = false) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The shortest round-trip text of a number: 23.4, 100, 1e-7, 1e+21, 0 for -0.
std::string formatJsonNumber(double value);

}  // namespace skyrill
