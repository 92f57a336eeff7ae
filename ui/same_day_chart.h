#pragma once

#include <QImage>

#include "archive/daily_normals.h"

class QPainter;

namespace skyrill {

inline constexpr int kSameDayChartWidth = 720;
inline constexpr int kSameDayChartHeight = 300;

// One calendar day over the saved years, a column a year: the day's
// highest and lowest temperature joined by a line with its mean marked,
// over the band of the normals of the highest and lowest temperature, and
// its precipitation as a bar under them, the normal a dashed line. The year
// of the day on display stands out, with its own values.
void paintSameDayChart(QPainter& painter, const DayInClimate& day);
QImage drawSameDayChart(const DayInClimate& day);

}  // namespace skyrill
