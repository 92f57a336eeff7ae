#include "ui/hover_readout.h"

#include "core/numeric_text.h"

namespace skyrill {

namespace {

// Pixels between two hour slots on the chart.
constexpr double kSlotSpacing = 20.0;

std::string orDash(const std::string& text) {
  return text.empty() ? "-" : text;
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

}  // namespace skyrill
