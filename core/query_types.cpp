#include "core/query_types.h"

namespace skyrill {

std::string_view recordPrefix(QueryMode mode) {
  return mode == QueryMode::Today ? "today" : "res";
}

int modeNumberFromFileName(std::string_view fileName, bool realtimeTicked) {
  if (fileName.size() < 2 || fileName[1] != '_') return realtimeTicked ? 1 : 0;
  // The integer value of the first two characters, whose second is "_":
  // a digit gives itself, anything else (a sign alone included) gives 0.
  const char first = fileName[0];
  return (first >= '0' && first <= '9') ? first - '0' : 0;
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
