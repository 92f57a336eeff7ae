#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdlib>

#include "ui/chart_colours.h"

namespace skyrill::testing {

// Each channel within the tolerance.
inline bool isNear(QRgb actual, QRgb expected, int tolerance = 2) {
  return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
         std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
         std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

// A colour of the given alpha painted over the canvas background.
inline QRgb overBackground(QRgb colour) {
  const int alpha = qAlpha(colour);
  const auto blend = [&](int source, int background) {
    return (source * alpha + background * (255 - alpha) + 127) / 255;
  };
  return qRgb(blend(qRed(colour), 0xEC), blend(qGreen(colour), 0xEC), blend(qBlue(colour), 0xEC));
}

// Pixels in the area that are not the plain background.
inline int markedPixels(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (!isNear(image.pixel(x, y), kCanvasBackground, 0)) ++count;
  return count;
}

// Pixels in the area that differ between two images.
inline int changedPixels(const QImage& image, const QImage& reference, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (image.pixel(x, y) != reference.pixel(x, y)) ++count;
  return count;
}

// Pixels in the area near the colour.
inline int pixelsNear(const QImage& image, const QRect& area, QRgb colour, int tolerance) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (isNear(image.pixel(x, y), colour, tolerance)) ++count;
  return count;
}

}  // namespace skyrill::testing
