#pragma once

#include <array>
#include <string>

#include "core/day_series.h"

namespace skyrill {

// Whether an element was seen in any slot, and whether any slot lacked it.
struct ElementCoverage {
  bool present = false;
  bool incomplete = false;
};

// The day's extremes, sums and labels over the 24 slots. Units: °C, hPa,
// mm, m/s and km. The sums start at -0, the zero that adding leaves
// unchanged: a mean of tiny negative values keeps its sign.
struct DailySummary {
  ElementCoverage temperatureCoverage;
  double maxTemperature = -999;
  double minTemperature = 999;
  double temperatureSum = -0.0;
  int temperatureCount = 0;

  ElementCoverage pressureCoverage;
  double maxPressure = 0;
  double minPressure = 9999;
  double pressureSum = -0.0;
  int pressureCount = 0;

  ElementCoverage precipitationCoverage;
  double totalPrecipitation = 0;
  double maxHourlyPrecipitation = 0;
  std::array<bool, kSlotCount> wetSlots{};
  double wetTemperatureSum = 0;
  int wetTemperatureCount = 0;

  ElementCoverage windSpeedCoverage;
  double maxWindSpeed = 0;

  ElementCoverage visibilityCoverage;
  double minVisibility = 999;

  std::string dayPrecipitationLabel;
  std::string maxHourlyLabel;
  std::string maxWindForceLabel;
};

// `numbers`: those the extraction kept, if any.
DailySummary computeDailySummary(const DaySeries& series, const DayNumbers& numbers = {});

}  // namespace skyrill
