#include "core/query_types.h"

#include "core/numeric_text.h"

namespace skyrill {

void setRequestDate(QueryRequest& request, int date) {
  request.year = std::to_string(date / 10000);
  request.month = std::to_string(date / 100 % 100);
  request.day = std::to_string(date % 100);
}

std::string_view recordPrefix(QueryMode mode) {
  return mode == QueryMode::Today ? "today" : "res";
}

namespace {

// Bytes of the UTF-8 character whose lead byte is `lead`.
std::size_t utf8CharLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::string fileNameOfPath(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\");
  return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

int modeNumberFromFileName(std::string_view path, bool realtimeTicked) {
  // Only the name counts, not the folders before it.
  const std::string name = fileNameOfPath(path);
  std::string_view fileName = name;
  // The second character, not the second byte: the first may be a Chinese one.
  const std::size_t second =
      fileName.empty() ? 0 : utf8CharLength(static_cast<unsigned char>(fileName[0]));
  if (second >= fileName.size() || fileName[second] != '_') return realtimeTicked ? 1 : 0;
  // The integer value of the first two characters: a digit (ASCII or
  // full-width) gives itself, anything else gives 0.
  return static_cast<int>(integerValue(fileName.substr(0, second + 1)));
}

std::string windMenuCaption(WindVariant variant) {
  switch (variant) {
    case WindVariant::TwoMinuteMean:
      return "&W.上小时2分钟平均风";
    case WindVariant::HourlyInstant:
      return "&W.整点瞬时风";
    case WindVariant::MaxInstant:
      break;
  }
  return "&W.上小时最大瞬时风";
}

std::string visibilityMenuCaption(VisibilityVariant variant) {
  return variant == VisibilityVariant::Reported ? "&V.报告上小时能见度"
                                                : "&V.上小时10分钟平均能见度";
}

}  // namespace skyrill
