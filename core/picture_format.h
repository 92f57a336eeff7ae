#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The picture formats a chart can be written in, told by the file's name.
namespace skyrill {

enum class PictureFormat { Png, Jpeg, Svg, Pdf };

struct PictureEnding {
  std::string_view ending;
  PictureFormat format;
};

// The endings a picture file may have, in the order messages list them.
inline constexpr std::array<PictureEnding, 5> kPictureFileEndings = {{
    {".png", PictureFormat::Png},
    {".jpg", PictureFormat::Jpeg},
    {".jpeg", PictureFormat::Jpeg},
    {".svg", PictureFormat::Svg},
    {".pdf", PictureFormat::Pdf},
}};

// The endings for a message, in its language: pictureEndingsText(", ",
// " or ") gives ".png, .jpg, .jpeg, .svg or .pdf".
std::string pictureEndingsText(std::string_view separator, std::string_view lastSeparator);

// The format the name's ending asks for, in any case; nothing for another
// ending or none.
std::optional<PictureFormat> pictureFormatOf(std::string_view fileName);

}  // namespace skyrill
