#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "json/json_tree.h"

// The rules that turn values into the texts a document hands out.
namespace skyrill::json_detail {

// U+2400 SYMBOL FOR NULL: how a backslash written through setText is kept.
inline constexpr std::string_view kStoredBackslash = "\xE2\x90\x80";

// Writes `text` over `out`, reusing its room: for short texts quicker than
// assign, which is made for replacing any part of a string.
inline void overwrite(std::string& out, std::string_view text) {
  out.clear();
  out.append(text);
}

// Turns each stored backslash back into a plain one.
void restoreBackslashes(std::string& text);
// Replaces each occurrence of `from` by `to`.
void replaceAll(std::string& text, std::string_view from, std::string_view to);

// The text of a value before the backslash rule: a string as is, a number in
// its shortest form, "[object Object]", an array's element texts joined with
// ","; nothing for null.
void appendValueText(const JsonTree& tree, const Word* value, std::string& out);

// The value as compact JSON, before the backslash rule.
void appendJson(const JsonTree& tree, const Word* value, std::string& out);

// A JSON string literal; invalid UTF-8 written as U+FFFD.
void appendJsonString(std::string_view text, std::string& out);

// The number's shortest text (formatJsonNumber) written over `out`, whose
// room is reused.
void assignJsonNumber(double value, std::string& out);
// The same for an integer, read as the nearest double.
void assignJsonInteger(std::int64_t value, std::string& out);

// The decimal number at the start of a text, after white space; 0 when there
// is none. Unlike strtod: no hex, no "inf"/"nan", no locale.
double leadingNumber(std::string_view text);

}  // namespace skyrill::json_detail
