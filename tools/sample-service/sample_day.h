#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

// Synthetic hourly observations for the sample data service. The same
// station and day always give the same weather.
namespace skyrill::sample {

// Present-weather code numbers of the "WX" key.
inline constexpr int kHazeCode = 5;
inline constexpr int kSquallCode = 18;
inline constexpr int kFogCode = 45;
inline constexpr int kRainCode = 61;
inline constexpr int kSnowCode = 71;

// Five ASCII digits not starting with "0".
bool isKnownStation(std::string_view station);

// The station's city in the bundled directory; "测站" + number for stations
// it does not list.
std::string stationName(std::string_view station);

// How fast the synthetic climate warms by default, in °C a decade: the
// days' temperatures rise by it from year to year, so that a day of a recent
// year stands out against the normals of earlier ones.
inline constexpr double kWarmingPerDecadeC = 0.3;

// The first hourCount hourly records (at most 24) of a Beijing day, oldest
// first, each with its time in UTC as "YYYY-MM-DDTHH:MM:SS". Its
// temperatures are those of the climate of 2006 (the middle of the normal
// period 1991-2020) warmed by `warmingPerDecadeC` a decade since.
nlohmann::ordered_json sampleRecords(std::string_view station, std::chrono::sys_days beijingDay,
                                     int hourCount, double warmingPerDecadeC = kWarmingPerDecadeC);

}  // namespace skyrill::sample
