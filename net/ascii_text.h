#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace skyrill {

// The text with ASCII letters in lower case; other bytes unchanged.
inline std::string lowerCaseAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(c < 0x80 ? std::tolower(c) : c); });
  return lower;
}

}  // namespace skyrill
