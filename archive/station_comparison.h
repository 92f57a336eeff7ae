#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "archive/compared_elements.h"
#include "archive/day_walk.h"
#include "archive/period_overview.h"

// Several stations side by side: their saved days over a period, each read
// as the summary reads it, or one day of each with its hours.
namespace skyrill {

class HistoryArchive;

// The window compares this many stations at least and at most.
inline constexpr std::size_t kFewestComparedStations = 2;
inline constexpr std::size_t kMostComparedStations = 6;

// The stations' days over a period, each station's as the overview holds
// one station's: by date, the latest fetch of each day.
struct PeriodComparison {
  Period period;
  std::vector<PeriodDays> stations;  // in the order asked
  // The days of the period the stations lack, all stations counted.
  int gapCount() const;
};

// Sorts a walk's rows into the stations' columns as they come (any order of
// stations, each station's days by date); rows of other stations are left.
class ComparisonCollector {
 public:
  explicit ComparisonCollector(const std::vector<std::string>& stations);

  void take(SummaryRow&& row);
  // The comparison from `from` to `to` (YYYYMMDD, both included); a bound
  // that is 0 is the first or the last day any station has. Nothing when no
  // station has a day within the bounds.
  std::optional<PeriodComparison> finish(int from, int to) &&;
  // The comparison over the period, days or none.
  PeriodComparison over(Period period) &&;

 private:
  std::vector<PeriodDays> stations_;
};

// The stations' days of the period held in the archive, read several files
// at a time as the summary reads them; the files that could not be read go
// to the stations' `skipped`.
PeriodComparison readPeriodComparison(const HistoryArchive& archive,
                                      const std::vector<std::string>& stations, Period period,
                                      const PeriodReadOptions& options);

// The comparison's CSV: UTF-8 with a byte-order mark, CR LF, the header
// "日期" then "STATION ELEMENT (unit)" per station (and element, when there
// are two), one row per date of the period with each station's value cell
// as the summary writes it (empty where the station has no day or the day
// no value).
std::string comparisonCsv(const PeriodComparison& comparison,
                          const std::vector<DailyElement>& elements);
inline std::string comparisonCsv(const PeriodComparison& comparison, DailyElement element) {
  return comparisonCsv(comparison, std::vector<DailyElement>{element});
}

// One station's day with its hours, or why there is none.
struct ComparedDay {
  std::string station;
  std::optional<DayWithHours> day;
  std::string message;  // the window's message when a file could not be read
  // "哈尔滨 50953", or the number alone while no day names the city.
  std::string caption() const;
};

// One day of each station, from the archive (the latest fetch of the day),
// read with the variants given.
std::vector<ComparedDay> readDayComparison(const HistoryArchive& archive,
                                           const std::vector<std::string>& stations, int date,
                                           const PeriodReadOptions& options);

// The element's value at each hour of the clock (0 to 23) of `date`, by the
// time of the slot that holds it; nothing where no slot is of that hour.
std::array<std::optional<double>, 24> valuesByHour(const DaySeries& series, int date,
                                                   HourElement element);

// The day's comparison as CSV, in the form of the period's: the header
// "时间" then "STATION NAME (unit)" per station, one row per hour
// ("2024-01-20 08:00"), each value with the element's decimals.
std::string dayComparisonCsv(const std::vector<ComparedDay>& days, int date, HourElement element,
                             const std::string& name);

// The stations chosen for a comparison, in the order they are shown: each
// at most once, kMostComparedStations at most.
class StationChoices {
 public:
  enum class Added { Yes, AlreadyThere, Full };

  Added add(const std::string& station);
  void remove(std::size_t index);
  // Moves the station at `index` one place up (-1) or down (+1), when it can.
  void move(std::size_t index, int step);

  const std::vector<std::string>& stations() const { return stations_; }
  bool enough() const { return stations_.size() >= kFewestComparedStations; }

 private:
  std::vector<std::string> stations_;
};

// The number and name of each station with a saved day in the archive, by
// number: "哈尔滨 50953" as its latest day names it, or the number alone.
struct ArchivedStation {
  std::string station;
  std::string caption;
};
std::vector<ArchivedStation> archivedStations(const HistoryArchive& archive);

}  // namespace skyrill
