#include "core/picture_format.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace skyrill {

std::optional<PictureFormat> pictureFormatOf(std::string_view fileName) {
  const std::size_t dot = fileName.find_last_of("./");
  if (dot == std::string_view::npos || fileName[dot] != '.') return std::nullopt;
  std::string ending(fileName.substr(dot));
  std::ranges::transform(ending, ending.begin(),
                         [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const PictureEnding& known : kPictureFileEndings) {
    if (known.ending == ending) return known.format;
  }
  return std::nullopt;
}

std::string pictureEndingsText(std::string_view separator, std::string_view lastSeparator) {
  std::string text;
  for (std::size_t i = 0; i < kPictureFileEndings.size(); ++i) {
    if (i > 0) text += i + 1 == kPictureFileEndings.size() ? lastSeparator : separator;
    text += kPictureFileEndings[i].ending;
  }
  return text;
}

}  // namespace skyrill
