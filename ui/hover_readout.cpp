#include "ui/hover_readout.h"

#include "core/numeric_text.h"

#include <algorithm>
#include <string_view>

namespace skyrill {

namespace {

// Pixels between two hour slots on the chart.
constexpr double kSlotSpacing = 20.0;

std::string orDash(const std::string& text) {
  return text.empty() ? "-" : text;
}

constexpr std::string_view kNoData = "无数据";

// The unit goes after the number, before a class label in full-width brackets.
std::string withUnit(const std::string& text, std::string_view unit) {
  if (text.empty()) return std::string(kNoData);
  const std::size_t label = std::min(text.find("（"), text.size());
  return text.substr(0, label) + " " + std::string(unit) + text.substr(label);
}

}  // namespace

int hoverSlot(int x) {
  return static_cast<int>(roundHalfAway(x / kSlotSpacing, 0));
}

std::array<std::string, kReadoutCount> readoutTexts(const HourlyRecord& record) {
  std::string precipitation = orDash(record.precipitation);
  if (isGreater(numericValue(record.snowDepth), 0)) {
    precipitation += " [" + record.snowDepth + "]";
  }
  return {orDash(record.timeText), orDash(record.temperature),   orDash(record.pressure),
          orDash(record.humidity), orDash(record.windDirection), orDash(record.windSpeed),
          precipitation,           orDash(record.visibility)};
}

std::array<std::string, kReadoutCount> spokenReadoutTexts(const HourlyRecord& record) {
  std::string precipitation = withUnit(record.precipitation, "mm");
  if (isGreater(numericValue(record.snowDepth), 0)) {
    precipitation += "，雪深 " + withUnit(record.snowDepth, "cm");
  }
  return {record.timeText.empty() ? std::string(kNoData) : record.timeText,
          withUnit(record.temperature, "℃"),
          withUnit(record.pressure, "hPa"),
          withUnit(record.humidity, "%"),
          withUnit(record.windDirection, "°"),
          withUnit(record.windSpeed, "m/s"),
          precipitation,
          withUnit(record.visibility, "km")};
}

}  // namespace skyrill
