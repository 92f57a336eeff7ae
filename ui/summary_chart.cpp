#include "ui/summary_chart.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>

#include "core/calendar_date.h"
#include "core/classifications.h"
#include "ui/chart_axes.h"
#include "ui/chart_colours.h"

namespace skyrill {
namespace {

// The plot's frame: days run from kLeft to kRight.
constexpr double kLeft = 64;
constexpr double kRight = 944;
constexpr double kTemperatureTop = 40;
constexpr double kTemperatureBottom = 244;
constexpr double kPrecipitationTop = 280;
constexpr double kPrecipitationBottom = 390;
constexpr double kStripTop = 398;
constexpr double kStripBottom = 412;
constexpr double kDateLabelTop = 418;

constexpr QRgb kBandBrush = 0x60FF6040;
constexpr double kRecordMarkSize = 4.5;      // half the width of a record's triangle
constexpr QRgb kNoClassColour = 0xFFD6EDD6;  // visibility without fog, haze or dust

// Visibility classes 0 to 12: fog in blues, haze in ochres, dust in browns,
// darker as the class is worse.
constexpr std::array<QRgb, 13> kVisibilityColours = {
    kNoClassColour, 0xFFB4C6E4, 0xFFEADCA0, 0xFFDCC274, 0xFFC6A446, 0xFFA6822A, 0xFF8494C4,
    0xFFD49464,     0xFF5E6EA4, 0xFFB06232, 0xFF3E4E84, 0xFF1E2E64, 0xFF7E2E10};

ValueAxis temperatureAxis(const SummaryChartDays& chart) {
  double low = 0;
  double high = 10;
  bool seen = false;
  const auto take = [&](double lowest, double highest) {
    low = seen ? std::min(low, lowest) : lowest;
    high = seen ? std::max(high, highest) : highest;
    seen = true;
  };
  for (const SummaryRow& day : chart.days) {
    const auto& figures = day.figures;
    if (figures.highestTemperature && figures.lowestTemperature)
      take(*figures.lowestTemperature, *figures.highestTemperature);
  }
  for (const NormalBandDay& normal : chart.normals) take(normal.lowest, normal.highest);
  return spanningAxis(low, std::max(high, low + 10), 6, kTemperatureTop, kTemperatureBottom);
}

double dayTotal(const DayFigures& figures) {
  return figures.precipitation[0] + figures.precipitation[1] + figures.precipitation[2];
}

ValueAxis precipitationAxis(const std::vector<SummaryRow>& days) {
  double most = 0;
  for (const SummaryRow& day : days) most = std::max(most, dayTotal(day.figures));
  return spanningAxis(0, std::max(most, 5.0), 3, kPrecipitationTop, kPrecipitationBottom);
}

// The band from each day's lowest to its highest temperature.
void drawTemperatureBand(QPainter& painter, const std::vector<SummaryRow>& days,
                         const DayAxis& dayAxis, const ValueAxis& axis) {
  PlaceRanges range(static_cast<std::size_t>(dayAxis.count()));
  for (const SummaryRow& day : days) {
    const int index = dayAxis.indexOf(day.date);
    if (index < 0 || index >= dayAxis.count()) continue;
    const auto& figures = day.figures;
    if (figures.highestTemperature && figures.lowestTemperature)
      range[static_cast<std::size_t>(index)] = {*figures.lowestTemperature,
                                                *figures.highestTemperature};
  }
  const std::vector<BandRun> runs = bandRuns(range, dayAxis, axis);
  fillBand(painter, runs, kBandBrush);
  drawBandEdges(painter, runs, edgePen(kHighestTemperatureLine, 1.2, dayAxis),
                edgePen(kLowestTemperatureLine, 1.2, dayAxis));
}

// The band of the normals of the highest and lowest temperature: filled
// behind the days, its edges dashed over them, so that both read where they
// overlap.
class NormalBand {
 public:
  NormalBand(const std::vector<NormalBandDay>& normals, const DayAxis& dayAxis,
             const ValueAxis& axis)
      : dayAxis_(dayAxis) {
    PlaceRanges range(static_cast<std::size_t>(dayAxis.count()));
    for (const NormalBandDay& normal : normals) {
      const int index = dayAxis.indexOf(normal.date);
      if (index >= 0 && index < dayAxis.count())
        range[static_cast<std::size_t>(index)] = {normal.lowest, normal.highest};
    }
    runs_ = bandRuns(range, dayAxis, axis);
  }

  void fill(QPainter& painter) const { fillBand(painter, runs_, kNormalBandBrush); }
  void drawEdges(QPainter& painter) const {
    const QPen edge = edgePen(kNormalBandEdge, 1.2, dayAxis_, Qt::DashLine);
    drawBandEdges(painter, runs_, edge, edge);
  }

 private:
  const DayAxis& dayAxis_;
  std::vector<BandRun> runs_;
};

// A small triangle at x, its flat side at y, pointing up or down.
void drawTriangle(QPainter& painter, double x, double y, bool pointsUp, QRgb colour) {
  const double tip = pointsUp ? y - kRecordMarkSize * 1.6 : y + kRecordMarkSize * 1.6;
  const QPointF corners[] = {QPointF(x - kRecordMarkSize, y), QPointF(x + kRecordMarkSize, y),
                             QPointF(x, tip)};
  painter.setPen(QPen(QColor::fromRgba(0xFFFFFFFF), 0.8));
  painter.setBrush(QColor::fromRgba(colour));
  painter.drawPolygon(corners, 3);
  painter.setBrush(Qt::NoBrush);
}

// Where the marks of record days go when days are narrower than a pixel:
// short ticks in rows of their own, over and under the temperatures and
// over the precipitation, where their thickening over the years shows.
constexpr double kWarmTicksTop = 32;
constexpr double kColdTicksTop = 247;
constexpr double kWetTicksTop = 272;
constexpr double kTickLength = 6;

void drawRecordTick(QPainter& painter, double x, double top, QRgb colour) {
  painter.fillRect(QRectF(std::floor(x), top, 1, kTickLength), QColor::fromRgba(colour));
}

// The marks of the days that hold a record: over the day's highest
// temperature, under its lowest, over its precipitation; or ticks where the
// days are too narrow for them.
void drawRecordMarks(QPainter& painter, const SummaryChartDays& chart, const DayAxis& dayAxis,
                     const ValueAxis& temperature, const ValueAxis& precipitation) {
  constexpr double kGap = 2;
  const bool ticks = dayAxis.width() < 1;
  for (const RecordDay& record : chart.records) {
    const int index = dayAxis.indexOf(record.date);
    // The days come by date.
    const auto day =
        std::lower_bound(chart.days.begin(), chart.days.end(), record.date,
                         [](const SummaryRow& row, int date) { return row.date < date; });
    if (index < 0 || index >= dayAxis.count() || day == chart.days.end() ||
        day->date != record.date)
      continue;
    const double x = dayAxis.centre(index);
    const DayFigures& figures = day->figures;
    if (record.warmest && figures.highestTemperature) {
      if (ticks)
        drawRecordTick(painter, x, kWarmTicksTop, kHighestTemperatureLine);
      else
        drawTriangle(painter, x, temperature.y(*figures.highestTemperature) - kGap, true,
                     kHighestTemperatureLine);
    }
    if (record.coldest && figures.lowestTemperature) {
      if (ticks)
        drawRecordTick(painter, x, kColdTicksTop, kLowestTemperatureLine);
      else
        drawTriangle(painter, x, temperature.y(*figures.lowestTemperature) + kGap, false,
                     kLowestTemperatureLine);
    }
    if (record.wettest) {
      const double top = precipitation.y(dayTotal(figures)) - kGap;
      if (ticks)
        drawRecordTick(painter, x, kWetTicksTop, kWetRecordMark);
      else
        drawTriangle(painter, x, top - kRecordMarkSize * 1.6, false, kWetRecordMark);
    }
  }
}

// Each day's amount stacked by phase: rain at the bottom, then sleet, then snow.
void drawPrecipitationBars(QPainter& painter, const std::vector<SummaryRow>& days,
                           const DayAxis& dayAxis, const ValueAxis& axis) {
  const double barWidth = std::max(1.0, dayAxis.width() * 0.8);
  const bool outlined = barWidth >= 4;
  for (const SummaryRow& day : days) {
    const int index = dayAxis.indexOf(day.date);
    if (index < 0 || index >= dayAxis.count()) continue;
    double below = 0;
    for (std::size_t phase = 0; phase < day.figures.precipitation.size(); ++phase) {
      const double amount = day.figures.precipitation[phase];
      if (amount <= 0) continue;
      const ChartColours colours = kPhaseBars[phase];
      const QRectF bar(QPointF(dayAxis.centre(index) - barWidth / 2, axis.y(below + amount)),
                       QPointF(dayAxis.centre(index) + barWidth / 2, axis.y(below)));
      painter.fillRect(bar, QColor::fromRgba(outlined ? colours.brush : colours.pen));
      if (outlined) {
        painter.setPen(QPen(QColor::fromRgba(colours.pen), 1));
        painter.drawRect(bar);
      }
      below += amount;
    }
  }
}

QColor visibilityColour(int visibilityClass) {
  const auto index = static_cast<std::size_t>(std::clamp(visibilityClass, 0, 12));
  return QColor::fromRgba(kVisibilityColours[index]);
}

void drawVisibilityStrip(QPainter& painter, const std::vector<SummaryRow>& days,
                         const DayAxis& dayAxis) {
  painter.setPen(QColor::fromRgba(kAxisColour));
  painter.drawText(QRectF(0, kStripTop - 3, kLeft - 6, kStripBottom - kStripTop + 6),
                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("能见度"));
  for (const SummaryRow& day : days) {
    const int index = dayAxis.indexOf(day.date);
    if (index < 0 || index >= dayAxis.count() || !day.figures.visibilityClass) continue;
    // Whole pixels on both sides: neighbouring days meet without seams.
    const double left = std::floor(dayAxis.left(index));
    const double right = std::max(left + 1, std::floor(dayAxis.left(index + 1)));
    painter.fillRect(QRectF(left, kStripTop, right - left, kStripBottom - kStripTop),
                     visibilityColour(*day.figures.visibilityClass));
  }
}

constexpr DateAxisPlace kDateAxisPlace{kPrecipitationBottom, kTemperatureTop, kStripBottom + 4,
                                       kDateLabelTop, kSummaryChartWidth};
constexpr double kLegendTop = 456;

// A legend entry with a record's triangle for its swatch.
void drawMarkSwatch(QPainter& painter, double& x, bool pointsUp, QRgb colour, const QString& text) {
  const double flat = pointsUp ? 470 : 460;
  drawTriangle(painter, x + 6, flat, pointsUp, colour);
  painter.setPen(QColor::fromRgba(kAxisColour));
  painter.drawText(QRectF(x + 16, 456, 100, 18), Qt::AlignLeft | Qt::AlignVCenter, text);
  x += 24 + painter.fontMetrics().horizontalAdvance(text);
}

void drawLegend(QPainter& painter, const SummaryChartDays& chart) {
  double x = kLeft;
  drawSwatch(painter, x, kLegendTop, QColor::fromRgba(kHighestTemperatureLine),
             QStringLiteral("最高气温"));
  drawSwatch(painter, x, kLegendTop, QColor::fromRgba(kLowestTemperatureLine),
             QStringLiteral("最低气温"));
  if (!chart.normals.empty())
    drawSwatch(painter, x, kLegendTop, QColor::fromRgba(kNormalBandBrush), QStringLiteral("常年值"),
               QColor::fromRgba(kNormalBandEdge));
  const char16_t* phases[] = {u"雨", u"雨夹雪", u"雪"};
  for (std::size_t phase = 0; phase < kPhaseBars.size(); ++phase) {
    drawSwatch(painter, x, kLegendTop, QColor::fromRgba(kPhaseBars[phase].brush),
               QString::fromUtf16(phases[phase]), QColor::fromRgba(kPhaseBars[phase].pen));
  }
  x += 16;
  drawSwatch(painter, x, kLegendTop, visibilityColour(0), QStringLiteral("无雾霾"));
  drawSwatch(painter, x, kLegendTop, visibilityColour(6), QStringLiteral("雾"));
  drawSwatch(painter, x, kLegendTop, visibilityColour(4), QStringLiteral("霾"));
  drawSwatch(painter, x, kLegendTop, visibilityColour(9), QStringLiteral("沙尘"));
  if (chart.records.empty()) return;
  x += 16;
  drawMarkSwatch(painter, x, true, kHighestTemperatureLine, QStringLiteral("最高纪录"));
  drawMarkSwatch(painter, x, false, kLowestTemperatureLine, QStringLiteral("最低纪录"));
  drawMarkSwatch(painter, x, false, kWetRecordMark, QStringLiteral("降水纪录"));
}

}  // namespace

void paintSummaryChart(QPainter& painter, const SummaryChartDays& chart) {
  painter.save();
  painter.fillRect(QRect(0, 0, kSummaryChartWidth, kSummaryChartHeight),
                   QColor::fromRgba(kCanvasBackground));
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  painter.setFont(chartFont(12));

  const DayAxis dayAxis(chart.first, chart.last, kLeft, kRight);
  const ValueAxis temperature = temperatureAxis(chart);
  const ValueAxis precipitation = precipitationAxis(chart.days);

  painter.setPen(QColor::fromRgba(kAxisColour));
  painter.setFont(chartFont(14));
  painter.drawText(
      QRectF(0, 8, kSummaryChartWidth, 22), Qt::AlignCenter,
      QStringLiteral("%1　%2 至 %3")
          .arg(QString::fromStdString(chart.caption), QString::fromStdString(dateText(chart.first)),
               QString::fromStdString(dateText(chart.last))));
  painter.setFont(chartFont(12));

  drawValueAxis(painter, temperature, kLeft, kRight);
  drawValueAxis(painter, precipitation, kLeft, kRight);
  drawSideCaption(painter, kTemperatureTop, kTemperatureBottom, QStringLiteral("气温 (°C)"));
  drawSideCaption(painter, kPrecipitationTop, kPrecipitationBottom, QStringLiteral("降水量 (mm)"));
  drawDateAxis(painter, dayAxis, kDateAxisPlace);
  const NormalBand normals(chart.normals, dayAxis, temperature);
  normals.fill(painter);
  drawTemperatureBand(painter, chart.days, dayAxis, temperature);
  normals.drawEdges(painter);
  drawPrecipitationBars(painter, chart.days, dayAxis, precipitation);
  drawVisibilityStrip(painter, chart.days, dayAxis);
  drawRecordMarks(painter, chart, dayAxis, temperature, precipitation);
  drawLegend(painter, chart);
  painter.restore();
}

std::vector<DateLabel> summaryDateLabels(const SummaryChartDays& chart) {
  return dateLabels(DayAxis(chart.first, chart.last, kLeft, kRight), QFontMetricsF(chartFont(12)),
                    kDateLabelTop, kSummaryChartWidth);
}

QImage drawSummaryChart(const SummaryChartDays& chart) {
  return paintedCanvas(kSummaryChartWidth, kSummaryChartHeight,
                       [&chart](QPainter& painter) { paintSummaryChart(painter, chart); });
}

}  // namespace skyrill
