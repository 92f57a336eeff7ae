#include "core/csv_text.h"

namespace skyrill {

std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

std::string labelWithoutBrackets(std::string_view label) {
  constexpr std::string_view kOpenBracket = "（";
  constexpr std::string_view kCloseBracket = "）";
  if (label.starts_with(kOpenBracket) && label.ends_with(kCloseBracket)) {
    label.remove_prefix(kOpenBracket.size());
    label.remove_suffix(kCloseBracket.size());
  }
  return std::string(label);
}

std::string csvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += ',';
    line += csvField(fields[i]);
  }
  line += "\r\n";
  return line;
}

}  // namespace skyrill
