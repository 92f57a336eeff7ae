#pragma once

#include <QImage>
#include <QRgb>

#include <array>
#include <optional>
#include <system_error>

#include "archive/comparison_plot.h"

class QPainter;

namespace skyrill {

inline constexpr int kComparisonChartWidth = 960;
inline constexpr int kComparisonChartHeight = 480;

// The stations' colours, in legend order: the Okabe–Ito colours that stay
// apart for colour-blind readers, the yellow left out (it fades on the
// chart's light ground).
inline constexpr std::array<QRgb, 6> kStationColours = {0xFF0072B2, 0xFFD55E00, 0xFF009E73,
                                                        0xFFCC79A7, 0xFFE69F00, 0xFF56B4E9};

// The stations side by side on one value axis: a line per station (and a
// dashed one for its second element), broken where a place has no value, or
// amounts as bars side by side; hour labels under a day, the date axis under
// a period; the legend with each station's number and name. Where days are
// narrower than a pixel, a line is the band of its values within each pixel
// column.
void paintComparisonChart(QPainter& painter, const ComparisonPlot& plot);
QImage drawComparisonChart(const ComparisonPlot& plot, qreal pixelRatio = 1);

// Where the plot lies in the chart's own drawing, for the pointer.
struct ComparisonHit {
  int place = 0;
  double fraction = 0;  // across the place, 0 to 1
  double value = 0;     // on the value axis at the pointer's height
};
// What lies under a point of the chart's own drawing; nothing off the plot.
std::optional<ComparisonHit> comparisonHitAt(const ComparisonPlot& plot, double x, double y);
// The x of a place's middle in the chart's own drawing.
double comparisonPlaceCentre(const ComparisonPlot& plot, int place);
// The plot's top and bottom in the chart's own drawing.
inline constexpr double kComparisonPlotTop = 40;
inline constexpr double kComparisonPlotBottom = 396;

// `error`, when given, tells why the file could not be written.
bool saveComparisonChart(const ComparisonPlot& plot, const QString& path,
                         std::error_code* error = nullptr);

}  // namespace skyrill
