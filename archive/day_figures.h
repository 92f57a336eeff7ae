#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/day_series.h"
#include "core/day_texts.h"
#include "core/query_types.h"
#include "store/observation_files.h"

// One saved day as every view over many days takes it: the observation file
// read by the window's rules, its eleven status panels as cells, and the
// numbers drawn from them. The summary, its chart, the period overview and
// the climate all read a day here, so that they agree; only what they keep
// is built (no title, no panel texts, no hour texts a figure does not read).
namespace skyrill {

// One status panel taken apart: its value without the unit, its class label
// without brackets and "*" when some hour lacked the element. All empty when
// the panel says there is no data.
struct StatisticCells {
  std::string value;
  std::string label;
  std::string mark;
};

// The eleven panels in bar order (the order of initialStatusLines()).
using StatisticRow = std::array<StatisticCells, kStatusLineCount>;

// Index of each panel in a StatisticRow.
enum StatisticIndex : std::size_t {
  kHighestTemperatureStat = 0,
  kLowestTemperatureStat = 1,
  kPrecipitationStat = 2,
  kLargestHourlyStat = 3,
  kMeanTemperatureStat = 4,
  kHighestWindStat = 5,
  kHighestPressureStat = 6,
  kLowestPressureStat = 7,
  kMeanPressureStat = 8,
  kLowestVisibilityStat = 9,
  kFetchTimeStat = 10,
};

// A panel's name as its caption gives it, without the colon ("最高气温").
std::string statisticName(std::size_t index);
// The unit its panel writes after the value ("℃"); none for the fetch time.
std::string_view statisticUnit(std::size_t index);

// The panels' texts taken apart, each into the place of its panel.
StatisticRow statisticRowOf(const std::array<StatusLine, kStatusLineCount>& lines);

// The number of a value cell; nothing when the panel had no data.
std::optional<double> shownValue(const StatisticCells& cells);

// A day's numbers as its panels show them, for views over many days.
struct DayFigures {
  std::optional<double> highestTemperature;  // °C, one decimal as the panel shows it
  std::optional<double> lowestTemperature;   // °C, one decimal
  std::optional<double> meanTemperature;     // °C, two decimals
  std::optional<double> precipitationTotal;  // mm, one decimal; set when some hour had an amount
  std::array<double, 3> precipitation{};     // mm per PrecipitationPhase, by each hour's phase
  std::optional<int> visibilityClass;        // the day's highest class, when it had visibility
  std::optional<double> meanHumidity;        // %, one decimal; over the hours that have one
};

// A day's figures from its panels' cells and its hour slots (precipitation
// labels attached), with the numbers the extraction kept, if any.
DayFigures dayFiguresOf(const StatisticRow& statistics, const DaySeries& series,
                        const DayNumbers& numbers = {});

// One saved day: where it was found, what its name or answer says it is,
// its panels and its figures.
struct SummaryRow {
  std::string file;  // the path as found
  QueryMode mode = QueryMode::History;
  std::string station;
  int date = 0;  // YYYYMMDD
  std::string stationName;
  StatisticRow statistics;
  DayFigures figures;

  int fetchTime = 0;  // HHMMSS from the name of a current day's file
};

// The wind and visibility a day is read with; the summary's are the
// window's defaults.
struct DayVariants {
  WindVariant wind = WindVariant::MaxInstant;
  VisibilityVariant visibility = VisibilityVariant::TenMinuteMean;
};

// Reads one observation file's bytes as the window opens a file (mode from
// the name, no realtime tick) and sums its day up: the cells are those the
// window's panel texts would split into. Station and date come
// from the name, or from the answer when the name is not made the usual way.
// On failure, the message the window would show.
std::optional<SummaryRow> summariseDay(std::string_view bytes, const std::filesystem::path& path,
                                       std::string& message, DayVariants variants = {});
// The same for a file as loaded: what stood in the way of its bytes, if
// anything, explains a refusal as the window would.
std::optional<SummaryRow> summariseDayFile(const DayFileBytes& day, const std::string& pathText,
                                           std::string& message, DayVariants variants = {});

// A day summed up together with its hour slots as the window shows them.
struct DayWithHours {
  SummaryRow row;
  DaySeries series;
};
std::optional<DayWithHours> readDayWithHours(const DayFileBytes& day, const std::string& pathText,
                                             std::string& message, DayVariants variants = {});

}  // namespace skyrill
