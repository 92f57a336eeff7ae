#pragma once

#include <QImage>

// Which wind-barb icon an hour gets, and the icons themselves.
namespace skyrill {

// Barb speed k of a wind speed in m/s: twice its whole part, plus 1 unless
// the speed is an even whole number (1.0 gives 3, 2.0 gives 4, 2.5 gives 5).
int barbSpeed(double windSpeedMps);

// Index into kBarbGlyphs of the first row whose bound k reaches, or kCalmIcon
// when k is below 3.
int barbIconIndex(int barbSpeed);

// The icon (20 x 20, opaque) from the program's resources; for a pixel ratio
// above 1 the one drawn at twice the size (40 x 40 pixels).
const QImage& barbIcon(int icon, qreal pixelRatio = 1);

}  // namespace skyrill
