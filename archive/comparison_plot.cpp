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
      ComparisonPlot::Line line{s, e > 0, std::vector<std::optional<double>>(places),
                                elements.size() > 1 ? dailyElementName(elements[e]) : ""};
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

namespace {

std::string placeName(const ComparisonPlot& plot, int place) {
  return plot.hourly ? hourText(place) : dateText(plot.period.dateAt(place));
}

std::string lineName(const ComparisonPlot& plot, const ComparisonPlot::Line& line) {
  const std::string& station = plot.stations[line.station];
  return line.element.empty() ? station : station + " " + line.element;
}

// A line's values summed up: a row of the table over many places.
std::vector<std::string> lineSummary(const ComparisonPlot& plot, const ComparisonPlot::Line& line) {
  int count = 0;
  double sum = 0;
  std::optional<int> highest, lowest;
  for (int place = 0; place < plot.placeCount(); ++place) {
    const auto& value = line.values[static_cast<std::size_t>(place)];
    if (!value) continue;
    ++count;
    sum += *value;
    if (!highest || *value > *line.values[static_cast<std::size_t>(*highest)]) highest = place;
    if (!lowest || *value < *line.values[static_cast<std::size_t>(*lowest)]) lowest = place;
  }
  const auto extreme = [&](std::optional<int> place) {
    if (!place) return std::string();
    return roundedText(*line.values[static_cast<std::size_t>(*place)], plot.decimals) + "（" +
           placeName(plot, *place) + "）";
  };
  const double shown = plot.bars ? sum : sum / std::max(count, 1);
  return {lineName(plot, line), std::to_string(count),
          count > 0 ? roundedText(shown, plot.decimals) : "", extreme(highest), extreme(lowest)};
}

}  // namespace

std::vector<std::vector<std::string>> plotTable(const ComparisonPlot& plot, int mostPlaces) {
  std::vector<std::vector<std::string>> rows;
  if (plot.placeCount() > mostPlaces) {
    rows.push_back({"站点", "有值", plot.bars ? "合计" : "平均", "最高", "最低"});
    for (const ComparisonPlot::Line& line : plot.lines) rows.push_back(lineSummary(plot, line));
    return rows;
  }
  rows.push_back({plot.hourly ? "时" : "日期"});
  for (const ComparisonPlot::Line& line : plot.lines) rows[0].push_back(lineName(plot, line));
  for (int place = 0; place < plot.placeCount(); ++place) {
    std::vector<std::string> row = {placeName(plot, place)};
    for (const ComparisonPlot::Line& line : plot.lines) {
      const auto& value = line.values[static_cast<std::size_t>(place)];
      row.push_back(value ? roundedText(*value, plot.decimals) : "");
    }
    rows.push_back(std::move(row));
  }
  return rows;
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
