#pragma once

#include <QImage>

class QPainter;

#include "core/day_series.h"

namespace skyrill {

// Size of the chart canvas's drawing area.
inline constexpr int kChartWidth = 500;
inline constexpr int kChartHeight = 440;

// The combined chart of the day (bars, squares, lines, marks, hour labels and
// scales) on a #ECECEC background, anti-aliased. Reads the precipitation
// texts with their intensity labels already attached.
// `pixelRatio` pixels to a unit give the sharp picture of a high-density screen.
QImage drawDayChart(const DaySeries& series, qreal pixelRatio = 1);
// The same picture painted on any device of the chart's size (an SVG or a
// PDF page as well as an image).
void paintDayChart(QPainter& painter, const DaySeries& series);

}  // namespace skyrill
