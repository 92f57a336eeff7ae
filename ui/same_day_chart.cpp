#include "ui/same_day_chart.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>

#include "ui/chart_colours.h"

namespace skyrill {
namespace {

constexpr double kLeft = 56;
constexpr double kRight = 704;
constexpr double kTemperatureTop = 16;
constexpr double kTemperatureBottom = 186;
constexpr double kPrecipitationTop = 204;
constexpr double kPrecipitationBottom = 254;
constexpr double kYearLabelTop = 258;
constexpr double kLegendTop = 280;

constexpr QRgb kAxisColour = 0xFF404040;
constexpr QRgb kGuideColour = 0x40000000;
constexpr QRgb kRangeColour = 0xFF707070;
constexpr QRgb kShownGround = 0x28000080;
constexpr QRgb kShownText = 0xFF000080;

std::size_t index(ClimateElement element) {
  return static_cast<std::size_t>(element);
}

QFont chartFont(int pixels, bool bold = false) {
  QFont font(QStringLiteral("Noto Sans CJK SC"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

using Values = std::array<std::optional<double>, kClimateElementCount>;

// Each year's values of the date, the day on display standing for its year.
std::map<int, Values> yearValues(const DayInClimate& day) {
  std::map<int, Values> years;
  for (const ClimateDay& saved : day.sameDay.days) years[saved.date / 10000] = saved.values;
  Values shown;
  for (std::size_t element = 0; element < kClimateElementCount; ++element)
    shown[element] = day.elements[element].value;
  years[day.date / 10000] = shown;
  return years;
}

// A value axis from `low` to `high` between two y positions, stepped
// evenly at a round number.
struct ValueAxis {
  double low = 0;
  double high = 1;
  double step = 1;
  double top = 0;
  double bottom = 0;
  double y(double value) const { return bottom - (value - low) / (high - low) * (bottom - top); }
};

ValueAxis roundAxis(double low, double high, int ticks, double top, double bottom) {
  const double raw = std::max(high - low, 1.0) / ticks;
  const double magnitude = std::pow(10, std::floor(std::log10(raw)));
  double step = 10 * magnitude;
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (factor * magnitude >= raw) {
      step = factor * magnitude;
      break;
    }
  }
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step, top, bottom};
}

void drawValueAxis(QPainter& painter, const ValueAxis& axis) {
  for (double value = axis.low; value <= axis.high + axis.step / 2; value += axis.step) {
    const double y = axis.y(value);
    painter.setPen(QPen(QColor::fromRgba(kGuideColour), 1));
    painter.drawLine(QPointF(kLeft, y), QPointF(kRight, y));
    painter.setPen(QColor::fromRgba(kAxisColour));
    painter.drawText(QRectF(kLeft - 40, y - 8, 34, 16), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(value, 'g', 6));
  }
}

void drawSideCaption(QPainter& painter, double top, double bottom, const QString& text) {
  painter.save();
  painter.translate(10, (top + bottom) / 2);
  painter.rotate(-90);
  painter.setPen(QColor::fromRgba(kAxisColour));
  painter.drawText(QRectF(-70, -7, 140, 14), Qt::AlignCenter, text);
  painter.restore();
}

// Where the years go across the plot.
struct YearAxis {
  int first = 0;
  int count = 1;
  double width() const { return (kRight - kLeft) / count; }
  double centre(int year) const { return kLeft + (year - first + 0.5) * width(); }
};

// The least step between labelled years that keeps their labels apart.
int labelStep(const YearAxis& years, const QFontMetricsF& metrics) {
  const double label = metrics.horizontalAdvance(QStringLiteral("2000")) + 6;
  for (const int step : {1, 2, 5, 10, 20, 50}) {
    if (years.width() * step >= label) return step;
  }
  return 100;
}

void drawYearLabels(QPainter& painter, const YearAxis& years, int shownYear) {
  const int step = labelStep(years, QFontMetricsF(painter.font()));
  const double half = 20;
  for (int year = years.first; year < years.first + years.count; ++year) {
    const bool shown = year == shownYear;
    // Labels near the shown year's give way to it.
    if (!shown && (year % step != 0 || std::abs(year - shownYear) * years.width() < 2 * half))
      continue;
    painter.setFont(chartFont(11, shown));
    painter.setPen(QColor::fromRgba(shown ? kShownText : kAxisColour));
    painter.drawText(QRectF(years.centre(year) - half, kYearLabelTop, 2 * half, 16),
                     Qt::AlignCenter, QString::number(year));
  }
  painter.setFont(chartFont(11));
}

void drawNormalBand(QPainter& painter, const DayInClimate& day, const ValueAxis& axis) {
  const auto& low = day.elements[index(ClimateElement::Lowest)].normal.value;
  const auto& high = day.elements[index(ClimateElement::Highest)].normal.value;
  if (!low || !high) return;
  const QRectF band(QPointF(kLeft, axis.y(*high)), QPointF(kRight, axis.y(*low)));
  painter.fillRect(band, QColor::fromRgba(kNormalBandBrush));
  painter.setPen(QPen(QColor::fromRgba(kNormalBandEdge), 1.2, Qt::DashLine));
  painter.drawLine(band.topLeft(), band.topRight());
  painter.drawLine(band.bottomLeft(), band.bottomRight());
}

void drawDot(QPainter& painter, QPointF at, QRgb colour) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgba(colour));
  painter.drawEllipse(at, 3.2, 3.2);
  painter.setBrush(Qt::NoBrush);
}

void drawTemperatures(QPainter& painter, const std::map<int, Values>& years, const YearAxis& axis,
                      const ValueAxis& values) {
  const double tick = std::clamp(axis.width() * 0.3, 2.0, 6.0);
  for (const auto& [year, value] : years) {
    const double x = axis.centre(year);
    const auto& high = value[index(ClimateElement::Highest)];
    const auto& low = value[index(ClimateElement::Lowest)];
    const auto& mean = value[index(ClimateElement::Mean)];
    if (high && low) {
      painter.setPen(QPen(QColor::fromRgba(kRangeColour), 1.5));
      painter.drawLine(QPointF(x, values.y(*high)), QPointF(x, values.y(*low)));
    }
    if (mean) {
      painter.setPen(QPen(QColor::fromRgba(kAxisColour), 1.5));
      painter.drawLine(QPointF(x - tick, values.y(*mean)), QPointF(x + tick, values.y(*mean)));
    }
    if (high) drawDot(painter, QPointF(x, values.y(*high)), kHighestTemperatureLine);
    if (low) drawDot(painter, QPointF(x, values.y(*low)), kLowestTemperatureLine);
  }
}

void drawPrecipitation(QPainter& painter, const DayInClimate& day,
                       const std::map<int, Values>& years, const YearAxis& axis,
                       const ValueAxis& values) {
  const double barWidth = std::max(1.0, axis.width() * 0.6);
  for (const auto& [year, value] : years) {
    const auto& amount = value[index(ClimateElement::Precipitation)];
    if (!amount || *amount <= 0) continue;
    const QRectF bar(QPointF(axis.centre(year) - barWidth / 2, values.y(*amount)),
                     QPointF(axis.centre(year) + barWidth / 2, values.y(0)));
    painter.fillRect(bar, QColor::fromRgba(kRainBar.brush));
    painter.setPen(QPen(QColor::fromRgba(kRainBar.pen), 1));
    painter.drawRect(bar);
  }
  if (const auto& normal = day.elements[index(ClimateElement::Precipitation)].normal.value) {
    painter.setPen(QPen(QColor::fromRgba(kNormalBandEdge), 1.2, Qt::DashLine));
    painter.drawLine(QPointF(kLeft, values.y(*normal)), QPointF(kRight, values.y(*normal)));
  }
}

void drawLegend(QPainter& painter) {
  double x = kLeft;
  const auto caption = [&](const QString& text) {
    painter.setPen(QColor::fromRgba(kAxisColour));
    painter.drawText(QRectF(x + 14, kLegendTop, 200, 16), Qt::AlignLeft | Qt::AlignVCenter, text);
    x += 30 + painter.fontMetrics().horizontalAdvance(text);
  };
  const double middle = kLegendTop + 8;
  drawDot(painter, QPointF(x + 5, middle), kHighestTemperatureLine);
  caption(QStringLiteral("最高气温"));
  drawDot(painter, QPointF(x + 5, middle), kLowestTemperatureLine);
  caption(QStringLiteral("最低气温"));
  painter.setPen(QPen(QColor::fromRgba(kAxisColour), 1.5));
  painter.drawLine(QPointF(x, middle), QPointF(x + 10, middle));
  caption(QStringLiteral("平均气温"));
  painter.fillRect(QRectF(x, middle - 5, 10, 10), QColor::fromRgba(kNormalBandBrush));
  caption(QStringLiteral("常年值（前后 7 天）"));
  painter.fillRect(QRectF(x, middle - 5, 10, 10), QColor::fromRgba(kRainBar.brush));
  caption(QStringLiteral("降水量"));
  painter.fillRect(QRectF(x, middle - 6, 10, 12), QColor::fromRgba(kShownGround));
  caption(QStringLiteral("当日"));
}

ValueAxis temperatureAxis(const DayInClimate& day, const std::map<int, Values>& years) {
  std::optional<double> low;
  std::optional<double> high;
  const auto take = [&](const std::optional<double>& value) {
    if (!value) return;
    low = low ? std::min(*low, *value) : *value;
    high = high ? std::max(*high, *value) : *value;
  };
  for (const auto& [year, value] : years) {
    for (const auto element : {ClimateElement::Highest, ClimateElement::Lowest})
      take(value[index(element)]);
  }
  for (const auto element : {ClimateElement::Highest, ClimateElement::Lowest})
    take(day.elements[index(element)].normal.value);
  return roundAxis(low.value_or(0), high.value_or(10), 5, kTemperatureTop, kTemperatureBottom);
}

ValueAxis precipitationAxis(const DayInClimate& day, const std::map<int, Values>& years) {
  double most = day.elements[index(ClimateElement::Precipitation)].normal.value.value_or(0);
  for (const auto& [year, value] : years)
    most = std::max(most, value[index(ClimateElement::Precipitation)].value_or(0));
  return roundAxis(0, std::max(most, 5.0), 2, kPrecipitationTop, kPrecipitationBottom);
}

}  // namespace

void paintSameDayChart(QPainter& painter, const DayInClimate& day) {
  painter.save();
  painter.fillRect(QRectF(0, 0, kSameDayChartWidth, kSameDayChartHeight),
                   QColor::fromRgba(kCanvasBackground));
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  painter.setFont(chartFont(11));
  const std::map<int, Values> years = yearValues(day);
  const int shownYear = day.date / 10000;
  const YearAxis yearAxis{years.begin()->first, years.rbegin()->first - years.begin()->first + 1};
  const ValueAxis temperature = temperatureAxis(day, years);
  const ValueAxis precipitation = precipitationAxis(day, years);

  painter.fillRect(
      QRectF(yearAxis.centre(shownYear) - std::max(yearAxis.width() / 2, 4.0), kTemperatureTop - 6,
             std::max(yearAxis.width(), 8.0), kPrecipitationBottom - kTemperatureTop + 6),
      QColor::fromRgba(kShownGround));
  drawValueAxis(painter, temperature);
  drawValueAxis(painter, precipitation);
  drawSideCaption(painter, kTemperatureTop, kTemperatureBottom, QStringLiteral("气温 (°C)"));
  drawSideCaption(painter, kPrecipitationTop, kPrecipitationBottom, QStringLiteral("降水 (mm)"));
  drawNormalBand(painter, day, temperature);
  drawTemperatures(painter, years, yearAxis, temperature);
  drawPrecipitation(painter, day, years, yearAxis, precipitation);
  drawYearLabels(painter, yearAxis, shownYear);
  drawLegend(painter);
  painter.restore();
}

QImage drawSameDayChart(const DayInClimate& day) {
  return paintedCanvas(kSameDayChartWidth, kSameDayChartHeight,
                       [&day](QPainter& painter) { paintSameDayChart(painter, day); });
}

}  // namespace skyrill
