#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "archive/station_comparison.h"

// What the comparison chart draws, worked out apart from the drawing: each
// station's values place by place (the hours of a day or the days of a
// period) on one shared scale, and what the pointer at a place reads.
namespace skyrill {

struct ComparisonPlot {
  // One station's values, a place each; nothing where it has none.
  struct Line {
    std::size_t station = 0;  // its colour and legend entry
    bool dashed = false;      // the second line of a station (its lowest)
    std::vector<std::optional<double>> values;
    std::string element{};  // what the line shows, when a station has two
  };

  std::string title;         // "最高气温　2024-01-01 至 2024-12-31"
  std::string valueCaption;  // "气温 (℃)"
  std::string unit;          // "℃"
  std::string lineNote;      // what solid and dashed lines stand for, when a station has two
  int decimals = 1;          // of a value in the readout
  bool hourly = false;       // the places are the 24 hours of period.first, else its days
  bool bars = false;         // amounts: bars side by side, from 0
  Period period;
  std::vector<std::string> stations;  // the legend: "哈尔滨 50953", in colour order
  std::vector<Line> lines;

  int placeCount() const { return hourly ? 24 : period.length(); }
  // Whether any line has a value.
  bool empty() const;
};

// The period chart: one value a day per station (two lines when the element
// has two daily elements), gaps where a day is missing. `name` names the
// element in the title.
ComparisonPlot periodPlot(const PeriodComparison& comparison,
                          const std::vector<DailyElement>& elements, const std::string& name);
// The day chart: the element hour by hour per station.
ComparisonPlot dayPlot(const std::vector<ComparedDay>& days, int date, HourElement element,
                       const std::string& name);

// What the pointer at a place reads: the hour or date, then each station's
// value(s) with the unit, "—" where it has none: "2024-01-20  哈尔滨 50953
// -12.0℃  北京 54511 —".
std::string placeReadout(const ComparisonPlot& plot, int place);

// The plot as the rows of a printed table, the header first: a row per
// place (its hour or date, then each line's value, empty where it has none);
// over more than `mostPlaces` places, a row per line instead: its station,
// how many places have a value, their mean (or total, for amounts), highest
// and lowest with the place.
std::vector<std::vector<std::string>> plotTable(const ComparisonPlot& plot, int mostPlaces = 62);

// The station whose mark at the place lies nearest: the bar a fraction
// (0 to 1) across the place stands for, or the line whose value is nearest
// `value`; nothing where no station has a value.
std::optional<std::size_t> stationAt(const ComparisonPlot& plot, int place, double fraction,
                                     double value);

}  // namespace skyrill
