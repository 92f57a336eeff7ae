#include "ui/day_chart.h"

#include <QFont>
#include <QPainter>
#include <QPen>
#include <QString>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "core/classifications.h"
#include "core/numeric_text.h"
#include "ui/chart_colours.h"

namespace skyrill {
namespace {

using ElementText = std::string HourlyRecord::*;

// Far-off values are drawn off the image; keeping them finite keeps the
// rasteriser out of trouble without moving anything that can be seen.
constexpr double kFarOff = 1e6;

double slotX(int slot) {
  return 20.0 * slot;
}
double onCanvas(double y) {
  return std::clamp(y, -kFarOff, kFarOff);
}

double precipitationY(double mm) {
  return 441 - 4 * mm;
}
double visibilityY(double km) {
  return (11 - km) * 40;
}
double temperatureY(double celsius) {
  return 240 - 4 * celsius;
}
double pressureY(double hPa) {
  return (1060 - hPa) * 4;
}
double humidityY(double percent) {
  return (110 - percent) * 4;
}
double snowDepthY(double cm) {
  return (44 - cm) * 10;
}

// The element's number in a slot, or nothing when its cleaned text is empty.
std::optional<double> slotValue(const HourlyRecord& hour, ElementText element) {
  const std::string& text = hour.*element;
  if (cleanSlotText(text).empty()) return std::nullopt;
  return slotNumber(text);
}

QPen solidPen(QRgb colour, double width) {
  QPen pen{QColor::fromRgba(colour), width};
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

ChartColours barColours(PrecipitationPhase phase) {
  switch (phase) {
    case PrecipitationPhase::Sleet:
      return kSleetBar;
    case PrecipitationPhase::Snow:
      return kSnowBar;
    case PrecipitationPhase::Rain:
      break;
  }
  return kRainBar;
}

void fillThenOutline(QPainter& painter, const QRectF& rect, ChartColours colours, double penWidth) {
  painter.fillRect(rect, QColor::fromRgba(colours.brush));
  painter.setPen(solidPen(colours.pen, penWidth));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect);
}

// Bars from y = 441 - 4p down to y = 450, coloured by the hour's phase.
void drawPrecipitationBars(QPainter& painter, const DaySeries& series) {
  for (int i = 1; i <= kSlotCount; ++i) {
    const HourlyRecord& hour = series.slot(i);
    const auto amount = slotValue(hour, &HourlyRecord::precipitation);
    if (!amount) continue;
    const ChartColours colours = barColours(precipitationPhase(cleanSlotText(hour.temperature)));
    const QRectF bar(QPointF(slotX(i) - 4, onCanvas(precipitationY(*amount))),
                     QPointF(slotX(i) + 4, 450));
    fillThenOutline(painter, bar, colours, 3);
  }
}

void drawGrid(QPainter& painter) {
  painter.setPen(solidPen(kGridPen, 1));
  for (int j = 1; j <= 13; ++j) painter.drawLine(QPointF(0, 40.0 * j), QPointF(500, 40.0 * j));
}

void drawVisibilitySquares(QPainter& painter, const DaySeries& series) {
  for (int i = 1; i <= kSlotCount; ++i) {
    const auto km = slotValue(series.slot(i), &HourlyRecord::visibility);
    if (!km || !isAtLeast(*km, 0)) continue;
    const QRectF square(slotX(i) - 3, onCanvas(visibilityY(*km)) - 3, 6, 6);
    fillThenOutline(painter, square, kVisibilitySquare, 2);
  }
}

void fillDot(QPainter& painter, QPointF centre, QRgb colour) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgba(colour));
  painter.drawEllipse(QRectF(centre.x() - 2, centre.y() - 2, 4, 4));
}

// Joins consecutive slots that have the element, whatever lies between them;
// each dot goes on after the lines on both sides of it.
void drawBridgingLine(QPainter& painter, const DaySeries& series, ElementText element,
                      double (*yOf)(double), ChartColours colours) {
  const QPen pen = solidPen(colours.pen, 2);
  std::optional<QPointF> previous;
  for (int i = 1; i <= kSlotCount; ++i) {
    const auto value = slotValue(series.slot(i), element);
    if (!value) continue;
    const QPointF point(slotX(i), onCanvas(yOf(*value)));
    if (previous) {
      painter.setPen(pen);
      painter.drawLine(*previous, point);
      fillDot(painter, *previous, colours.brush);
    }
    previous = point;
  }
  if (previous) fillDot(painter, *previous, colours.brush);
}

// A six-pointed star of three lines through each point with snow on the ground.
void drawSnowDepthMarks(QPainter& painter, const DaySeries& series) {
  painter.setPen(solidPen(kSnowDepthPen, 2));
  for (int i = 1; i <= kSlotCount; ++i) {
    const auto cm = slotValue(series.slot(i), &HourlyRecord::snowDepth);
    if (!cm || !isGreater(*cm, 0)) continue;
    const double x = slotX(i);
    const double y = onCanvas(snowDepthY(*cm));
    painter.drawLine(QPointF(x - 5, y), QPointF(x + 5, y));
    painter.drawLine(QPointF(x - 2.5, y - 4.33), QPointF(x + 2.5, y + 4.33));
    painter.drawLine(QPointF(x - 2.5, y + 4.33), QPointF(x + 2.5, y - 4.33));
  }
}

// Characters 12 and 13 of "YYYY/MM/DD HH:MM:SS": the hour.
QString hourLabel(const std::string& timeText) {
  if (timeText.size() <= 11) return {};
  return QString::fromStdString(timeText.substr(11, 2));
}

void drawHourLabels(QPainter& painter, const DaySeries& series) {
  painter.setPen(QColor::fromRgba(kHourLabelColour));
  for (int i = 1; i <= kSlotCount; ++i) {
    const QString label = hourLabel(series.slot(i).timeText);
    if (label.isEmpty()) continue;
    painter.drawText(QRectF(slotX(i) - 2, 240, 100, 100),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, label);
  }
}

struct Scale {
  const char16_t* title;
  double x;
  QRgb colour;
  int top;  // label at the first grid line; each line below is 'step' less
  int step;
};

// Centred on x, top at y, on one line.
void drawCentredText(QPainter& painter, double x, double y, const QString& text) {
  painter.drawText(QRectF(x - 50, y, 100, 100), Qt::AlignHCenter | Qt::AlignTop, text);
}

void drawScale(QPainter& painter, const Scale& scale) {
  painter.setPen(QColor::fromRgba(scale.colour));
  drawCentredText(painter, scale.x, 20, QString::fromUtf16(scale.title));
  for (int j = 1; j <= 12; ++j)
    drawCentredText(painter, scale.x, 40.0 * j - 10,
                    QString::number(scale.top - scale.step * (j - 1)));
}

bool hasSnowDepth(const DaySeries& series) {
  return std::any_of(series.hours.begin(), series.hours.end(), [](const HourlyRecord& hour) {
    return !cleanSlotText(hour.snowDepth).empty();
  });
}

void drawScales(QPainter& painter, const DaySeries& series) {
  constexpr Scale precipitation{u"降水", 16, 0xFF0088FF, 100, 10};
  constexpr Scale visibility{u"能见", 41, 0xFF9000FF, 10, 1};
  constexpr Scale snowDepth{u"雪深", 66, 0xFF606060, 40, 4};
  constexpr Scale temperature{u"气温", 435, 0xFFFF0000, 50, 10};
  constexpr Scale pressure{u"气压", 460, 0xFF0000FF, 1050, 10};
  constexpr Scale humidity{u"湿度", 485, 0xFF008000, 100, 10};

  drawScale(painter, precipitation);
  drawScale(painter, visibility);
  if (hasSnowDepth(series)) drawScale(painter, snowDepth);
  drawScale(painter, temperature);
  drawScale(painter, pressure);
  drawScale(painter, humidity);
}

QFont chartFont() {
  QFont font(QStringLiteral("Noto Sans CJK SC"));
  font.setPixelSize(12);
  font.setWeight(QFont::Normal);
  return font;
}

}  // namespace

void paintDayChart(QPainter& painter, const DaySeries& series) {
  painter.save();
  painter.fillRect(QRect(0, 0, kChartWidth, kChartHeight), QColor::fromRgba(kCanvasBackground));
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  // The chart's coordinates put pixel centres on whole numbers (as GDI+
  // does), so a 1-pixel line at y = 40 fills exactly pixel row 40.
  painter.translate(0.5, 0.5);
  painter.setFont(chartFont());

  drawPrecipitationBars(painter, series);
  drawGrid(painter);
  drawVisibilitySquares(painter, series);
  drawBridgingLine(painter, series, &HourlyRecord::temperature, temperatureY, kTemperatureLine);
  drawBridgingLine(painter, series, &HourlyRecord::pressure, pressureY, kPressureLine);
  drawBridgingLine(painter, series, &HourlyRecord::humidity, humidityY, kHumidityLine);
  drawSnowDepthMarks(painter, series);
  drawHourLabels(painter, series);
  drawScales(painter, series);
  painter.restore();
}

QImage drawDayChart(const DaySeries& series, qreal pixelRatio) {
  return paintedCanvas(
      kChartWidth, kChartHeight, [&series](QPainter& painter) { paintDayChart(painter, series); },
      pixelRatio);
}

}  // namespace skyrill
