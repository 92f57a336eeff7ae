#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "archive/climate_table.h"
#include "archive/period_overview.h"

// The climate of a calendar day: its normals over a window of calendar days,
// a day's place among the same date of every saved year, the band of daily
// normals and the record days of a period.
namespace skyrill {

// The normal of a calendar day takes the days up to this many calendar days
// either side of it in every year, so that one year's day does not stand
// for it alone.
inline constexpr int kNormalWindowDays = 7;
// A normal, a rank or a record needs this many years at least.
inline constexpr int kLeastClimateYears = 3;

// The dates within the window of a calendar day (MMDD) in one year. 02-29
// in a year without it has the dates of a leap year's window without the
// 29th.
Period normalWindow(int year, int monthDay);

// The days a download brings for the climate of `date` (YYYYMMDD): the
// windows of its calendar day in its year and the kLeastClimateYears - 1
// years before, and the days between them, up to `latest` at most.
Period climateDownloadPeriod(int date, int latest);

// A calendar day's normal of one element: the mean of the element's values
// on the days of its window in every year, and how many years gave one; the
// value only when at least kLeastClimateYears did.
struct DayNormal {
  std::optional<double> value;
  int years = 0;
};
std::array<DayNormal, kClimateElementCount> calendarDayNormals(const StationDays& days,
                                                               int monthDay);

// One day of the band of daily normals: the normals of the highest and the
// lowest temperature of its calendar day.
struct NormalBandDay {
  int date = 0;
  double lowest = 0;   // °C
  double highest = 0;  // °C
};
// The band over the period's days whose calendar day has both normals.
std::vector<NormalBandDay> normalBand(const StationDays& days, Period period);

// A day that holds a record of its calendar day among the saved years: the
// highest of the highest temperatures, the lowest of the lowest, the most
// precipitation (at least 0.1 mm). It holds it when no saved year's same
// date went beyond it: set alone, or equal to another year's value, both of
// them then holding it. A record needs kLeastClimateYears years with a value.
struct RecordDay {
  int date = 0;
  bool warmest = false;
  bool coldest = false;
  bool wettest = false;
};
std::vector<RecordDay> recordDays(const StationDays& days, Period period);

// A record of a calendar day: its value and every year that holds it.
struct YearsRecord {
  double value = 0;
  std::vector<int> years;
};

// One element of a day in its climate.
struct ElementInClimate {
  std::optional<double> value;  // the day's, as its panel shows it
  DayNormal normal;             // of its calendar day
  // The value against the normal shown with one decimal: "偏高 2.3℃",
  // "偏低 …", "偏多 2.3mm", "偏少 …", "持平"; empty without both.
  std::string departure;
  // Its place among the same date of every saved year, counted from the top
  // unless it is below the normal: "1994 年以来同日第 2 高（共 30 年）";
  // empty without a value.
  std::string rank;
  int rankNumber = 0;
  int rankedYears = 0;
  std::optional<YearsRecord> highest;  // the date's records over the years
  std::optional<YearsRecord> lowest;
};

// A day in its climate, as the window shows it for the day on display.
struct DayInClimate {
  int date = 0;
  std::array<std::string, kClimateElementCount> cells;  // the day's values as its panels show them
  std::array<ElementInClimate, kClimateElementCount> elements;
  SameDayTable sameDay;  // the date in every saved year
  // The saved years of the date are fewer than kLeastClimateYears.
  bool fewYears() const;
};

// The day `date` among the days; `shown` stands for the saved day of that
// date when given (the day on display may not be saved, or be another fetch).
DayInClimate dayInClimate(const StationDays& days, int date,
                          const std::optional<ClimateDay>& shown = std::nullopt);

// The day in its climate as a table: a column per element (headed as in the
// one-day table), a row each for the day's value, the normal with its
// years, the departure, the rank and the date's highest and lowest record
// with the years that hold it ("35.1（1997、2004）", "0.0（1991、1992、1993 等
// 25 年）"; none for the least precipitation); "—" where there is nothing.
std::vector<std::string> dayInClimateHeader();
std::vector<std::vector<std::string>> dayInClimateRows(const DayInClimate& day);

}  // namespace skyrill
