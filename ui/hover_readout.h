#pragma once

#include <array>
#include <string>

#include "core/day_series.h"

namespace skyrill {

inline constexpr int kReadoutCount = 8;

// The hour slot nearest to x (pixels of the chart's drawing area): x / 20
// rounded half away from zero. May lie outside 1..24.
int hoverSlot(int x);

// The readout texts of one slot: time, temperature, pressure, humidity, wind
// direction, wind speed, precipitation [snow depth], visibility; "-" for an
// empty text.
std::array<std::string, kReadoutCount> readoutTexts(const HourlyRecord& record);

// The same as a screen reader says them: each value with its unit before
// its class label ("5.6 m/s（4级）"), the snow depth named, "无数据" for an
// empty text.
std::array<std::string, kReadoutCount> spokenReadoutTexts(const HourlyRecord& record);

}  // namespace skyrill
