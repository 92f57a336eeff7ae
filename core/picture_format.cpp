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

}  // namespace skyrill
