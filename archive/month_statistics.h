#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/climate_table.h"
#include "archive/day_figures.h"
#include "archive/period_overview.h"

// The calendar months of a period, each summed up from its saved days as
// their panels show them: what the overview's "月统计" lists and exports.
// Unlike the climate's months, a month here takes whatever days it has; how
// many it counted stands beside its figures.
namespace skyrill {

// What the worst visibility class of a day says it had.
enum class ObscurationKind { None, Fog, Haze, Dust };
ObscurationKind obscurationKind(int visibilityClass);

struct MonthStatistics {
  int month = 0;       // YYYYMM
  int periodDays = 0;  // the month's days within the period
  int savedDays = 0;   // of them, the days with a saved file

  // Means of the days' values over the days that have one, in °C.
  std::optional<double> meanHighest;
  std::optional<double> meanLowest;
  std::optional<double> meanTemperature;
  // The total of the days' amounts, in mm, over the days that have one, and
  // of those the days with at least kWetDayMm.
  std::optional<double> precipitationMm;
  int wetDays = 0;
  // The highest of the highest and the lowest of the lowest temperatures,
  // the earliest date of equal ones.
  ClimateExtreme highest;
  ClimateExtreme lowest;
  // Days by their worst visibility class, over the days that had visibility.
  int visibilityDays = 0;
  int fogDays = 0;
  int hazeDays = 0;
  int dustDays = 0;
};

// One entry for every calendar month the period touches, in order, each
// from the days (by date, one a date) that fall in the period.
std::vector<MonthStatistics> monthStatistics(const std::vector<SummaryRow>& days, Period period);

// The table as text cells: the header, then a row a month, numbers with one
// decimal rounded half away from zero, dates as YYYY-MM-DD, empty cells for
// what a month has no days for.
std::vector<std::string> monthStatisticsHeader();
std::vector<std::vector<std::string>> monthStatisticsRows(
    const std::vector<MonthStatistics>& months);

// The same as CSV: UTF-8 with a byte-order mark, CR LF.
std::string monthStatisticsCsv(const std::vector<MonthStatistics>& months);

}  // namespace skyrill
