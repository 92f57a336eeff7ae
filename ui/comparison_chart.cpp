#include "ui/comparison_chart.h"

#include <QPainter>
#include <QPen>
#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/chart_axes.h"
#include "ui/chart_colours.h"
#include "ui/picture_files.h"

namespace skyrill {
namespace {

// The plot's frame: places run from kLeft to kRight.
constexpr double kLeft = 64;
constexpr double kRight = 944;
constexpr double kTop = kComparisonPlotTop;
constexpr double kBottom = kComparisonPlotBottom;
constexpr double kPlaceLabelTop = 402;
constexpr double kLegendTop = 452;

constexpr double kLineWidth = 2;
constexpr double kDotRadius = 2.5;
constexpr double kDottedFrom = 8;  // places at least this wide show a dot on each value
constexpr int kBandAlpha = 0x70;   // a line's band where days are narrower than a pixel
constexpr QRgb kMessageColour = 0xFF606060;

QColor stationColour(std::size_t station, int alpha = 255) {
  QColor colour = QColor::fromRgba(kStationColours[station % kStationColours.size()]);
  colour.setAlpha(alpha);
  return colour;
}

PlaceAxis placeAxis(const ComparisonPlot& plot) {
  return PlaceAxis(plot.placeCount(), kLeft, kRight);
}

// One scale for every station: from the least to the most value of all of
// them, amounts from 0.
ValueAxis valueAxis(const ComparisonPlot& plot) {
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (const ComparisonPlot::Line& line : plot.lines) {
    for (const auto& value : line.values) {
      if (!value) continue;
      low = std::min(low, *value);
      high = std::max(high, *value);
    }
  }
  if (low > high) low = 0, high = 1;  // nothing to draw
  if (plot.bars) low = std::min(low, 0.0), high = std::max(high, 1.0);
  // A flat line goes in the middle, off the plot's edges.
  if (high - low < 1) low -= 0.5, high += 0.5;
  return spanningAxis(low, high, 6, kTop, kBottom);
}

QPen linePen(const ComparisonPlot::Line& line, double width) {
  QPen pen(stationColour(line.station), width, line.dashed ? Qt::DashLine : Qt::SolidLine);
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

// A line through the places with values, broken at those without; a dot on
// each value where the places are wide, and on a lone value always.
void drawLine(QPainter& painter, const ComparisonPlot::Line& line, const PlaceAxis& axis,
              const ValueAxis& values) {
  const bool dotted = axis.width() >= kDottedFrom;
  QPolygonF run;
  const auto endRun = [&] {
    painter.setPen(linePen(line, kLineWidth));
    if (run.size() > 1) painter.drawPolyline(run);
    if (run.size() == 1 || dotted) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(stationColour(line.station));
      for (const QPointF& point : run) painter.drawEllipse(point, kDotRadius, kDotRadius);
      painter.setBrush(Qt::NoBrush);
    }
    run.clear();
  };
  for (int place = 0; place < axis.count(); ++place) {
    const auto& value = line.values[static_cast<std::size_t>(place)];
    if (value)
      run << QPointF(axis.centre(place), values.y(*value));
    else
      endRun();
  }
  endRun();
}

// Over days narrower than a pixel, a line becomes the band of its values in
// each pixel column: filled lightly, its edges in the line's pen.
void drawDenseLine(QPainter& painter, const ComparisonPlot::Line& line, const PlaceAxis& axis,
                   const ValueAxis& values) {
  PlaceRanges range(line.values.size());
  for (std::size_t place = 0; place < line.values.size(); ++place) {
    if (line.values[place]) range[place] = {*line.values[place], *line.values[place]};
  }
  const std::vector<BandRun> runs = bandRuns(range, axis, values);
  fillBand(painter, runs, stationColour(line.station, kBandAlpha).rgba());
  const QPen edge = edgePen(stationColour(line.station).rgba(), 1.2, axis,
                            line.dashed ? Qt::DashLine : Qt::SolidLine);
  drawBandEdges(painter, runs, edge, edge);
}

// Amounts as bars side by side in each place, a station each, from 0; where
// a bar would be narrower than a pixel, each station's tops as a line.
void drawBars(QPainter& painter, const ComparisonPlot& plot, const PlaceAxis& axis,
              const ValueAxis& values) {
  const double group = axis.width() * 0.8;
  const double barWidth =
      group / static_cast<double>(std::max<std::size_t>(1, plot.stations.size()));
  for (const ComparisonPlot::Line& line : plot.lines) {
    if (barWidth < 1) {
      PlaceRanges range(line.values.size());
      for (std::size_t place = 0; place < line.values.size(); ++place) {
        if (line.values[place]) range[place] = {0, *line.values[place]};
      }
      drawBandEdges(painter, bandRuns(range, axis, values),
                    edgePen(stationColour(line.station).rgba(), 1.2, axis), Qt::NoPen);
      continue;
    }
    for (int place = 0; place < axis.count(); ++place) {
      const auto& value = line.values[static_cast<std::size_t>(place)];
      if (!value) continue;
      const double left =
          axis.centre(place) - group / 2 + barWidth * static_cast<double>(line.station);
      // An amount of 0 still shows a hairline, so that it reads as a value.
      const double top = std::min(values.y(*value), values.y(0) - 2);
      painter.fillRect(QRectF(QPointF(left, top), QPointF(left + barWidth, values.y(0))),
                       stationColour(line.station));
    }
  }
}

// The hours of the day under the plot: every hour, or every other one when
// the labels would touch.
void drawHourAxis(QPainter& painter, const PlaceAxis& axis) {
  painter.setPen(QPen(QColor::fromRgba(kAxisColour), 1));
  painter.drawLine(QPointF(kLeft, kBottom), QPointF(kRight, kBottom));
  for (int hour = 0; hour < axis.count(); ++hour) {
    const double x = axis.centre(hour);
    painter.setPen(QPen(QColor::fromRgba(kGuideColour), 1));
    painter.drawLine(QPointF(x, kBottom), QPointF(x, kBottom + 4));
    painter.setPen(QColor::fromRgba(kAxisColour));
    painter.drawText(QRectF(x - 15, kPlaceLabelTop, 30, 16), Qt::AlignCenter,
                     QStringLiteral("%1").arg(hour, 2, 10, QChar('0')));
  }
  painter.drawText(QRectF(kLeft, kPlaceLabelTop + 18, kRight - kLeft, 16), Qt::AlignCenter,
                   QStringLiteral("时（北京时间）"));
}

void drawLegend(QPainter& painter, const ComparisonPlot& plot) {
  double x = kLeft;
  for (std::size_t station = 0; station < plot.stations.size(); ++station)
    drawSwatch(painter, x, kLegendTop, stationColour(station),
               QString::fromStdString(plot.stations[station]));
  if (plot.lineNote.empty()) return;
  painter.setPen(QColor::fromRgba(kAxisColour));
  painter.drawText(QRectF(x + 8, kLegendTop, kComparisonChartWidth - x - 8, 18),
                   Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(plot.lineNote));
}

}  // namespace

void paintComparisonChart(QPainter& painter, const ComparisonPlot& plot) {
  painter.save();
  painter.fillRect(QRect(0, 0, kComparisonChartWidth, kComparisonChartHeight),
                   QColor::fromRgba(kCanvasBackground));
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);

  painter.setPen(QColor::fromRgba(kAxisColour));
  painter.setFont(chartFont(14));
  painter.drawText(QRectF(0, 8, kComparisonChartWidth, 22), Qt::AlignCenter,
                   QString::fromStdString(plot.title));
  painter.setFont(chartFont(12));

  const PlaceAxis axis = placeAxis(plot);
  const ValueAxis values = valueAxis(plot);
  drawValueAxis(painter, values, kLeft, kRight);
  drawSideCaption(painter, kTop, kBottom, QString::fromStdString(plot.valueCaption));
  if (plot.hourly) {
    drawHourAxis(painter, axis);
  } else {
    drawDateAxis(painter, DayAxis(plot.period.first, plot.period.last, kLeft, kRight),
                 {kBottom, kTop, kBottom + 4, kPlaceLabelTop, kComparisonChartWidth});
  }

  painter.save();
  painter.setClipRect(QRectF(kLeft, kTop - 8, kRight - kLeft, kBottom - kTop + 10));
  if (plot.bars) {
    drawBars(painter, plot, axis, values);
  } else {
    for (const ComparisonPlot::Line& line : plot.lines) {
      if (axis.dense())
        drawDenseLine(painter, line, axis, values);
      else
        drawLine(painter, line, axis, values);
    }
  }
  painter.restore();
  if (plot.empty()) {
    painter.setPen(QColor::fromRgba(kMessageColour));
    painter.setFont(chartFont(16));
    painter.drawText(QRectF(kLeft, kTop, kRight - kLeft, kBottom - kTop), Qt::AlignCenter,
                     QStringLiteral("无数据"));
    painter.setFont(chartFont(12));
  }
  drawLegend(painter, plot);
  painter.restore();
}

QImage drawComparisonChart(const ComparisonPlot& plot, qreal pixelRatio) {
  return paintedCanvas(
      kComparisonChartWidth, kComparisonChartHeight,
      [&plot](QPainter& painter) { paintComparisonChart(painter, plot); }, pixelRatio);
}

std::optional<ComparisonHit> comparisonHitAt(const ComparisonPlot& plot, double x, double y) {
  const PlaceAxis axis = placeAxis(plot);
  const auto place = axis.indexAt(x);
  if (!place || y < kTop - 8 || y > kBottom) return std::nullopt;
  return ComparisonHit{*place, (x - axis.left(*place)) / axis.width(), valueAxis(plot).valueAt(y)};
}

double comparisonPlaceCentre(const ComparisonPlot& plot, int place) {
  return placeAxis(plot).centre(place);
}

bool saveComparisonChart(const ComparisonPlot& plot, const QString& path, std::error_code* error) {
  return savePicture(
      path, QSize(kComparisonChartWidth, kComparisonChartHeight),
      [&plot](QPainter& painter) { paintComparisonChart(painter, plot); },
      [&plot] { return drawComparisonChart(plot); }, {}, error);
}

}  // namespace skyrill
