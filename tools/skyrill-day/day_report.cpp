#include "tools/skyrill-day/day_report.h"

#include <algorithm>

namespace skyrill {
namespace {

std::string slotLine(const HourlyRecord& r) {
  const std::string* fields[] = {&r.timeText,      &r.temperature,   &r.pressure,
                                 &r.humidity,      &r.windDirection, &r.windSpeed,
                                 &r.precipitation, &r.visibility,    &r.snowDepth};
  std::string line;
  for (const std::string* field : fields) {
    if (field != fields[0]) line += '\t';
    line += *field;
  }
  return line;
}

}  // namespace

std::string plainLines(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::string formatDayReport(const std::string& title,
                            const std::array<StatusLine, kStatusLineCount>& lines,
                            const DaySeries* slots) {
  std::string report = plainLines(title) + '\n';
  auto inBarOrder = lines;
  std::stable_sort(inBarOrder.begin(), inBarOrder.end(), [](const auto& a, const auto& b) {
    return a.bar != b.bar ? a.bar < b.bar : a.panel < b.panel;
  });
  for (const StatusLine& line : inBarOrder) report += line.text + '\n';
  if (slots != nullptr) {
    for (const HourlyRecord& record : slots->hours) report += slotLine(record) + '\n';
  }
  return report;
}

}  // namespace skyrill
