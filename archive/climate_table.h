#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "archive/day_figures.h"

// A station's climate from its own saved days: the days as the climate takes
// them, the monthly table with its year row, and one calendar day in every
// year. Rules only: the days come in as their panels show them.
namespace skyrill {

// The daily figures the climate is made of, in the order of the one-day table.
enum class ClimateElement : std::size_t { Highest, Lowest, Mean, Precipitation };
inline constexpr std::size_t kClimateElementCount = 4;

// A saved day as the climate takes it: its date and, per element, its
// panel's value cell and that number (none where the panel had no data).
struct ClimateDay {
  int date = 0;  // YYYYMMDD
  std::array<std::string, kClimateElementCount> cells;
  std::array<std::optional<double>, kClimateElementCount> values;

  const std::optional<double>& value(ClimateElement element) const {
    return values[static_cast<std::size_t>(element)];
  }
};

ClimateDay climateDayOf(const SummaryRow& row);

// One station's saved days, by date, one a date; days without a date are
// left out.
class StationDays {
 public:
  StationDays() = default;
  explicit StationDays(std::vector<ClimateDay> days);

  const std::vector<ClimateDay>& all() const { return days_; }
  bool empty() const { return days_.empty(); }
  // The day saved on that date; nothing for a gap.
  const ClimateDay* on(int date) const;
  // The days from `first` to `last`, both included.
  std::pair<const ClimateDay*, const ClimateDay*> between(int first, int last) const;
  // The saved days of one calendar day (MMDD), one a year, by year.
  std::vector<const ClimateDay*> onCalendarDay(int monthDay) const;

 private:
  std::vector<ClimateDay> days_;
};

// A normal: the mean over the years that counted, and how many did.
struct ClimateNormal {
  std::optional<double> value;
  int years = 0;
};

// An extreme daily value and its date, the earliest of equal ones.
struct ClimateExtreme {
  std::optional<double> value;
  int date = 0;
};

// One row of the climate table: a calendar month, or the whole year.
struct ClimateRow {
  ClimateNormal mean;
  ClimateNormal highest;
  ClimateNormal lowest;
  ClimateNormal precipitation;  // the month's total
  ClimateNormal wetDays;        // days with at least 0.1 mm; the years of the total
  ClimateExtreme highestExtreme;
  ClimateExtreme lowestExtreme;
  ClimateExtreme wettestDay;
};

// The least a daily amount must be, in mm, for a wet day.
inline constexpr double kWetDayMm = 0.1;

// A year's month counts for a temperature when at most 5 of its days lack
// the value, and never more than 3 in a row (days without a file lack it).
bool monthCountsForMean(const std::vector<bool>& dayHasValue);

struct ClimateTable {
  std::array<ClimateRow, 12> months;  // January first
  ClimateRow year;                    // 全年
};

// The table over every saved day: for each month, a year's value of a
// temperature is the mean of its days when the month counts, of the
// precipitation the month's total when every day has a value (and then its
// wet days); the normals are the means of the years' values, the extremes
// those of every saved day of the month. The year row: the means of the
// twelve temperature normals and the sums of the precipitation ones, each
// only when all twelve months have one; the extremes over all days; as its
// years the fewest of the months.
ClimateTable climateTable(const StationDays& days);

// The table as text cells: the header, then the months 1 to 12 and 全年;
// numbers with one decimal rounded half away from zero, the years as whole
// numbers, dates as YYYY-MM-DD, empty cells for none.
std::vector<std::string> climateHeader();
std::vector<std::vector<std::string>> climateRows(const ClimateTable& table);
// The same as CSV (UTF-8 with a byte-order mark, CR LF).
std::string climateCsv(const ClimateTable& table);

// One calendar day in every saved year: the years' days, and the mean, the
// highest and the lowest of each element over the years with a value.
struct SameDayTable {
  int monthDay = 0;              // MMDD
  std::vector<ClimateDay> days;  // one a year, by year
  std::array<std::optional<double>, kClimateElementCount> mean;
  std::array<std::optional<double>, kClimateElementCount> highest;
  std::array<std::optional<double>, kClimateElementCount> lowest;
};

// The table of a calendar day (MMDD); 0229 has only leap years.
SameDayTable sameDayTable(const StationDays& days, int monthDay);

// The table as text cells: the header, one row per year with the day's
// value cells, then 平均, 最高 and 最低 with one decimal; and as CSV.
std::vector<std::string> sameDayHeader();
std::vector<std::vector<std::string>> sameDayRows(const SameDayTable& table);
std::string sameDayCsv(const SameDayTable& table);

}  // namespace skyrill
