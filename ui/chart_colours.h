#pragma once

#include <QImage>
#include <QPainter>
#include <QRgb>

#include <array>

// Colours (ARGB) of the day's chart and wind strip.
namespace skyrill {

inline constexpr QRgb kCanvasBackground = 0xFFECECEC;

// A plain image in the background colour, ready to paint on: `width` by
// `height` in drawing units, with `pixelRatio` pixels to a unit (2 on a
// high-density screen).
inline QImage plainCanvas(int width, int height, qreal pixelRatio = 1) {
  QImage image(qRound(width * pixelRatio), qRound(height * pixelRatio),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(pixelRatio);
  image.fill(kCanvasBackground);
  return image;
}

// A plain image with `paint(QPainter&)` done on it, in drawing units.
template <typename Paint>
QImage paintedCanvas(int width, int height, Paint paint, qreal pixelRatio = 1) {
  QImage image = plainCanvas(width, height, pixelRatio);
  QPainter painter(&image);
  paint(painter);
  return image;
}

struct ChartColours {
  QRgb pen;
  QRgb brush;
};

inline constexpr ChartColours kRainBar{0xFF0088FF, 0xFF00E080};
inline constexpr ChartColours kSleetBar{0xFFFF5080, 0xFFFF8000};
inline constexpr ChartColours kSnowBar{0xFF606060, 0xFFC0C0C0};
// The bars of each PrecipitationPhase: rain, sleet, snow.
inline constexpr std::array<ChartColours, 3> kPhaseBars = {kRainBar, kSleetBar, kSnowBar};
inline constexpr QRgb kGridPen = 0xBF000000;
inline constexpr ChartColours kVisibilitySquare{0xFF9000FF, 0xFF00FFFF};
inline constexpr ChartColours kTemperatureLine{0xBFFF0000, 0xFFFF0000};
inline constexpr ChartColours kPressureLine{0xBF0000FF, 0xFF0000FF};
inline constexpr ChartColours kHumidityLine{0xBF008000, 0xFF008000};
inline constexpr QRgb kSnowDepthPen = 0xBF606060;
inline constexpr QRgb kHourLabelColour = 0xFF000000;

// The axes, tick labels and captions of the charts over many days, and
// their guide lines.
inline constexpr QRgb kAxisColour = 0xFF404040;
inline constexpr QRgb kGuideColour = 0x40000000;

// The summary chart's temperature lines, the band of their normals and the
// marks of record days.
inline constexpr QRgb kHighestTemperatureLine = 0xFFE02000;
inline constexpr QRgb kLowestTemperatureLine = 0xFF2040E0;
inline constexpr QRgb kNormalBandBrush = 0x50607890;
inline constexpr QRgb kNormalBandEdge = 0xD0304050;
inline constexpr QRgb kWetRecordMark = 0xFF102C70;

}  // namespace skyrill
