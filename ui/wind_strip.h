#pragma once

#include <QImage>

class QPainter;

#include "core/day_series.h"

namespace skyrill {

// Size of the wind strip's drawing area.
inline constexpr int kStripWidth = 500;
inline constexpr int kStripHeight = 20;

// One wind-barb icon per hour on a #ECECEC background, turned by the wind
// direction.
// `pixelRatio` pixels to a unit give the sharp picture of a high-density screen.
QImage drawWindStrip(const DaySeries& series, qreal pixelRatio = 1);
// The same picture painted on any device of the strip's size.
void paintWindStrip(QPainter& painter, const DaySeries& series);

}  // namespace skyrill
