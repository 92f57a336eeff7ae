#include "archive/comparison_plot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/calendar_date.h"
#include "core/numeric_text.h"

namespace skyrill {
namespace {

constexpr const char* kNone = "—";

// The decimals the summary's cell of a daily element has.
int decimalsOf(DailyElement element) {
  switch (element) {
    case DailyElement::MeanTemperature:
      return 2;
    case DailyElement::LowestVisibility:
      return 3;
    default:
      return 1;
  }
}

std::string periodText(const Period& period) {
  return dateText(period.first) + " 至 " + dateText(period.last);
}

std::string hourText(int hour) {
  return (hour < 10 ? "0" : "") + std::to_string(hour) + "时";
}

}  // namespace

bool ComparisonPlot::empty() const {
  for (const Line& line : lines) {
    for (const auto& value : line.values)
      if (value) return false;
  }
  return true;
}

ComparisonPlot periodPlot(const PeriodComparison& comparison,
                          const std::vector<DailyElement>& elements, const std::string& name) {
  ComparisonPlot plot;
  const std::string unit(dailyElementUnit(elements.front()));
  plot.title = name + "　" + periodText(comparison.period);
  plot.valueCaption = name + " (" + unit + ")";
  plot.unit = unit;
  plot.decimals = decimalsOf(elements.front());
  plot.bars = elements.front() == DailyElement::Precipitation ||
              elements.front() == DailyElement::LargestHourly;
  plot.period = comparison.period;
  if (elements.size() > 1)
    plot.lineNote =
        "实线 " + dailyElementName(elements[0]) + "　虚线 " + dailyElementName(elements[1]);
  const int places = comparison.period.length();
  for (std::size_t s = 0; s < comparison.stations.size(); ++s) {
    const PeriodDays& station = comparison.stations[s];
    plot.stations.push_back(station.caption());
    for (std::size_t e = 0; e < elements.size(); ++e) {
      ComparisonPlot::Line line{s, e > 0, std::vector<std::optional<double>>(places)};
      for (const SummaryRow& day : station.days) {
        const int place = comparison.period.indexOf(day.date);
        if (place >= 0 && place < places)
          line.values[static_cast<std::size_t>(place)] = dailyValue(day, elements[e]);
      }
      plot.lines.push_back(std::move(line));
    }
  }
  return plot;
}

ComparisonPlot dayPlot(const std::vector<ComparedDay>& days, int date, HourElement element,
                       const std::string& name) {
  ComparisonPlot plot;
  const std::string unit(hourElementUnit(element));
  plot.title = name + "　" + dateText(date);
  plot.valueCaption = name + " (" + unit + ")";
  plot.unit = unit;
  plot.decimals = hourElementDecimals(element);
  plot.hourly = true;
  plot.bars = element == HourElement::Precipitation;
  plot.period = {date, date};
  for (std::size_t s = 0; s < days.size(); ++s) {
    plot.stations.push_back(days[s].caption());
    ComparisonPlot::Line line{s, false, std::vector<std::optional<double>>(24)};
    if (days[s].day) {
      const auto byHour = valuesByHour(days[s].day->series, date, element);
      line.values.assign(byHour.begin(), byHour.end());
    }
    plot.lines.push_back(std::move(line));
  }
  return plot;
}

std::string placeReadout(const ComparisonPlot& plot, int place) {
  std::string text = plot.hourly ? dateText(plot.period.first) + " " + hourText(place)
                                 : dateText(plot.period.dateAt(place));
  for (std::size_t s = 0; s < plot.stations.size(); ++s) {
    std::string values;
    bool any = false;
    for (const ComparisonPlot::Line& line : plot.lines) {
      if (line.station != s) continue;
      const auto& value = line.values[static_cast<std::size_t>(place)];
      if (!values.empty()) values += " / ";
      values += value ? roundedText(*value, plot.decimals) : kNone;
      any = any || value.has_value();
    }
    // A station without any value at the place reads as one dash.
    text += "  " + plot.stations[s] + " " + (any ? values + plot.unit : kNone);
  }
  return text;
}

std::optional<std::size_t> stationAt(const ComparisonPlot& plot, int place, double fraction,
                                     double value) {
  if (place < 0 || place >= plot.placeCount() || plot.stations.empty()) return std::nullopt;
  const auto at = static_cast<std::size_t>(place);
  if (plot.bars) {
    const auto station =
        static_cast<std::size_t>(std::clamp(fraction * static_cast<double>(plot.stations.size()),
                                            0.0, static_cast<double>(plot.stations.size() - 1)));
    for (const ComparisonPlot::Line& line : plot.lines) {
      if (line.station == station && line.values[at]) return station;
    }
    return std::nullopt;
  }
  std::optional<std::size_t> nearest;
  double distance = std::numeric_limits<double>::infinity();
  for (const ComparisonPlot::Line& line : plot.lines) {
    if (!line.values[at] || std::abs(*line.values[at] - value) >= distance) continue;
    distance = std::abs(*line.values[at] - value);
    nearest = line.station;
  }
  return nearest;
}

}  // namespace skyrill
