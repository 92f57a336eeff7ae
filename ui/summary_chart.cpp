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
#include "ui/chart_colours.h"

namespace skyrill {
namespace {

using std::chrono::sys_days;

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

constexpr QRgb kAxisColour = 0xFF404040;
constexpr QRgb kGuideColour = 0x40000000;
constexpr QRgb kBandBrush = 0x60FF6040;
constexpr double kRecordMarkSize = 4.5;      // half the width of a record's triangle
constexpr QRgb kNoClassColour = 0xFFD6EDD6;  // visibility without fog, haze or dust

// Visibility classes 0 to 12: fog in blues, haze in ochres, dust in browns,
// darker as the class is worse.
constexpr std::array<QRgb, 13> kVisibilityColours = {
    kNoClassColour, 0xFFB4C6E4, 0xFFEADCA0, 0xFFDCC274, 0xFFC6A446, 0xFFA6822A, 0xFF8494C4,
    0xFFD49464,     0xFF5E6EA4, 0xFFB06232, 0xFF3E4E84, 0xFF1E2E64, 0xFF7E2E10};

sys_days dayOf(int date) {
  return sys_days(calendarDate(date));
}

// Where the days of the period go across the plot.
class DayAxis {
 public:
  DayAxis(int first, int last)
      : first_(dayOf(first)),
        count_(std::max(1, static_cast<int>((dayOf(last) - first_).count()) + 1)) {}

  int count() const { return count_; }
  sys_days first() const { return first_; }
  double width() const { return (kRight - kLeft) / count_; }
  int indexOf(int date) const { return static_cast<int>((dayOf(date) - first_).count()); }
  double left(int index) const { return kLeft + index * width(); }
  double centre(int index) const { return left(index) + width() / 2; }

 private:
  sys_days first_;
  int count_;
};

// A value axis from `low` to `high` drawn between two y positions.
struct ValueAxis {
  double low;
  double high;
  double step;
  double top;
  double bottom;
  double y(double value) const { return bottom - (value - low) / (high - low) * (bottom - top); }
};

double niceStep(double span, int wantedTicks) {
  const double raw = span / wantedTicks;
  const double magnitude = std::pow(10, std::floor(std::log10(raw)));
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (factor * magnitude >= raw) return factor * magnitude;
  }
  return 10 * magnitude;
}

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
  if (high - low < 10) high = low + 10;
  const double step = niceStep(high - low, 6);
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step, kTemperatureTop,
          kTemperatureBottom};
}

double dayTotal(const DayFigures& figures) {
  return figures.precipitation[0] + figures.precipitation[1] + figures.precipitation[2];
}

ValueAxis precipitationAxis(const std::vector<SummaryRow>& days) {
  double most = 0;
  for (const SummaryRow& day : days) most = std::max(most, dayTotal(day.figures));
  const double top = std::max(most, 5.0);
  const double step = niceStep(top, 3);
  return {0, std::ceil(top / step) * step, step, kPrecipitationTop, kPrecipitationBottom};
}

QFont chartFont(int pixels) {
  QFont font(QStringLiteral("Noto Sans CJK SC"));
  font.setPixelSize(pixels);
  font.setWeight(QFont::Normal);
  return font;
}

QString numberText(double value) {
  return QString::number(value, 'g', 6);
}

// Tick labels left of the plot, guide lines across it.
void drawValueAxis(QPainter& painter, const ValueAxis& axis) {
  for (double value = axis.low; value <= axis.high + axis.step / 2; value += axis.step) {
    const double y = axis.y(value);
    painter.setPen(QPen(QColor::fromRgba(kGuideColour), value == 0 ? 1.5 : 1));
    painter.drawLine(QPointF(kLeft, y), QPointF(kRight, y));
    painter.setPen(QColor::fromRgba(kAxisColour));
    painter.drawText(QRectF(kLeft - 48, y - 8, 42, 16), Qt::AlignRight | Qt::AlignVCenter,
                     numberText(value));
  }
}

// A caption turned to read upwards, centred on the span of y.
void drawSideCaption(QPainter& painter, double top, double bottom, const QString& text) {
  painter.save();
  painter.translate(12, (top + bottom) / 2);
  painter.rotate(-90);
  painter.setPen(QColor::fromRgba(kAxisColour));
  painter.drawText(QRectF(-80, -8, 160, 16), Qt::AlignCenter, text);
  painter.restore();
}

// The lowest and highest value of each day of the axis, where it has them.
using DayRanges = std::vector<std::optional<std::pair<double, double>>>;

// The edges of a band over one run of days with values: its highs and its lows.
struct BandRun {
  QPolygonF highs;
  QPolygonF lows;
};

// A band from each day's low to its high, broken where a day has none. Over
// years a day is a fraction of a pixel: days that share a pixel column give
// one point, their lowest low and highest high, so that the band looks the
// same with a point a column at most.
std::vector<BandRun> bandRuns(const DayRanges& range, const DayAxis& dayAxis,
                              const ValueAxis& axis) {
  const bool dense = dayAxis.width() < 2;
  std::vector<BandRun> runs;
  for (int start = 0; start < dayAxis.count();) {
    if (!range[static_cast<std::size_t>(start)]) {
      ++start;
      continue;
    }
    int end = start;
    while (end + 1 < dayAxis.count() && range[static_cast<std::size_t>(end + 1)]) ++end;
    BandRun run;
    const auto add = [&](double x, double low, double high) {
      run.highs << QPointF(x, axis.y(high));
      run.lows << QPointF(x, axis.y(low));
    };
    const auto rangeOf = [&](int i) { return *range[static_cast<std::size_t>(i)]; };
    // The run covers its days' slots whole, so that a lone day shows too.
    add(dayAxis.left(start), rangeOf(start).first, rangeOf(start).second);
    for (int i = start; i <= end;) {
      auto [low, high] = rangeOf(i);
      const double column = std::floor(dayAxis.centre(i));
      int last = i;
      while (dense && last + 1 <= end && std::floor(dayAxis.centre(last + 1)) == column) {
        ++last;
        low = std::min(low, rangeOf(last).first);
        high = std::max(high, rangeOf(last).second);
      }
      add((dayAxis.centre(i) + dayAxis.centre(last)) / 2, low, high);
      i = last + 1;
    }
    add(dayAxis.left(end + 1), rangeOf(end).first, rangeOf(end).second);
    runs.push_back(std::move(run));
    start = end + 1;
  }
  return runs;
}

void fillBand(QPainter& painter, const std::vector<BandRun>& runs, QRgb brush) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgba(brush));
  for (const BandRun& run : runs) {
    QPolygonF band = run.highs;
    for (auto point = run.lows.rbegin(); point != run.lows.rend(); ++point) band << *point;
    painter.drawPolygon(band);
  }
  painter.setBrush(Qt::NoBrush);
}

void drawBandEdges(QPainter& painter, const std::vector<BandRun>& runs, const QPen& high,
                   const QPen& low) {
  for (const BandRun& run : runs) {
    painter.setPen(high);
    painter.drawPolyline(run.highs);
    painter.setPen(low);
    painter.drawPolyline(run.lows);
  }
}

// An edge's line: thinner over years, where days are narrower than a pixel.
QPen edgePen(QRgb colour, double width, const DayAxis& dayAxis,
             Qt::PenStyle style = Qt::SolidLine) {
  const bool dense = dayAxis.width() < 2;
  return QPen(QColor::fromRgba(colour), dense ? width * 2 / 3 : width, style);
}

// The band from each day's lowest to its highest temperature.
void drawTemperatureBand(QPainter& painter, const std::vector<SummaryRow>& days,
                         const DayAxis& dayAxis, const ValueAxis& axis) {
  DayRanges range(static_cast<std::size_t>(dayAxis.count()));
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
    DayRanges range(static_cast<std::size_t>(dayAxis.count()));
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

std::chrono::year_month_day dateOf(sys_days day) {
  return std::chrono::year_month_day(day);
}

// The steps of the date axis, finest first: its labels take the finest
// step whose labels keep clear of each other.
enum class DateStep {
  Day,
  FiveDays,
  TenDays,
  Month,
  Quarter,
  HalfYear,
  Year,
  TwoYears,
  FiveYears,
  TenYears
};
constexpr DateStep kDateSteps[] = {DateStep::Day,     DateStep::FiveDays, DateStep::TenDays,
                                   DateStep::Month,   DateStep::Quarter,  DateStep::HalfYear,
                                   DateStep::Year,    DateStep::TwoYears, DateStep::FiveYears,
                                   DateStep::TenYears};
constexpr double kDateLabelGap = 8;  // the least room between two labels

bool stepsInDays(DateStep step) {
  return step == DateStep::Day || step == DateStep::FiveDays || step == DateStep::TenDays;
}

// Whether the step puts a tick on this day (never the 31st for five or ten
// days, so that a month's last tick keeps clear of the next month's first).
bool isTick(std::chrono::year_month_day date, DateStep step) {
  const unsigned day = static_cast<unsigned>(date.day());
  const unsigned month = static_cast<unsigned>(date.month());
  const int year = static_cast<int>(date.year());
  const bool newYear = day == 1 && month == 1;
  switch (step) {
    case DateStep::Day:
      return true;
    case DateStep::FiveDays:
      return day % 5 == 1 && day != 31;
    case DateStep::TenDays:
      return day % 10 == 1 && day != 31;
    case DateStep::Month:
      return day == 1;
    case DateStep::Quarter:
      return day == 1 && month % 3 == 1;
    case DateStep::HalfYear:
      return day == 1 && month % 6 == 1;
    case DateStep::Year:
      return newYear;
    case DateStep::TwoYears:
      return newYear && year % 2 == 0;
    case DateStep::FiveYears:
      return newYear && year % 5 == 0;
    case DateStep::TenYears:
      return newYear && year % 10 == 0;
  }
  return false;
}

QString tickText(std::chrono::year_month_day date, DateStep step) {
  const auto twoDigits = [](unsigned n) { return QStringLiteral("%1").arg(n, 2, 10, QChar('0')); };
  const int year = static_cast<int>(date.year());
  const unsigned month = static_cast<unsigned>(date.month());
  if (stepsInDays(step))
    return QStringLiteral("%1-%2").arg(twoDigits(month),
                                       twoDigits(static_cast<unsigned>(date.day())));
  if (step == DateStep::Month || step == DateStep::Quarter || step == DateStep::HalfYear)
    return QStringLiteral("%1-%2").arg(year).arg(twoDigits(month));
  return QString::number(year);
}

// The labels of one step, or nothing when two of them would touch.
std::optional<std::vector<DateLabel>> labelsOfStep(const DayAxis& dayAxis, DateStep step,
                                                   const QFontMetricsF& metrics) {
  std::vector<DateLabel> labels;
  for (int i = 0; i < dayAxis.count(); ++i) {
    const auto date = dateOf(dayAxis.first() + std::chrono::days(i));
    if (!isTick(date, step)) continue;
    DateLabel label;
    label.text = tickText(date, step);
    // Days are ticked at their middle, where their bars stand; months and
    // years where they begin.
    label.tickX = stepsInDays(step) ? dayAxis.centre(i) : dayAxis.left(i);
    const double width = std::ceil(metrics.horizontalAdvance(label.text)) + 2;
    const double left = std::clamp(label.tickX - width / 2, 0.0, kSummaryChartWidth - width);
    label.box = QRectF(left, kDateLabelTop, width, 16);
    if (!labels.empty() && labels.back().box.right() + kDateLabelGap > label.box.left())
      return std::nullopt;
    labels.push_back(label);
  }
  return labels;
}

// The labels of the finest step that keeps them clear of each other.
std::vector<DateLabel> dateLabels(const DayAxis& dayAxis, const QFontMetricsF& metrics) {
  for (const DateStep step : kDateSteps) {
    if (auto labels = labelsOfStep(dayAxis, step, metrics)) return std::move(*labels);
  }
  return {};
}

void drawDateAxis(QPainter& painter, const DayAxis& dayAxis) {
  painter.setPen(QPen(QColor::fromRgba(kAxisColour), 1));
  painter.drawLine(QPointF(kLeft, kPrecipitationBottom), QPointF(kRight, kPrecipitationBottom));
  for (const DateLabel& label : dateLabels(dayAxis, QFontMetricsF(painter.font()))) {
    painter.setPen(QPen(QColor::fromRgba(kGuideColour), 1));
    painter.drawLine(QPointF(label.tickX, kTemperatureTop), QPointF(label.tickX, kStripBottom + 4));
    painter.setPen(QColor::fromRgba(kAxisColour));
    painter.drawText(label.box, Qt::AlignCenter, label.text);
  }
  painter.drawText(QRectF(kLeft, kDateLabelTop + 18, kRight - kLeft, 16), Qt::AlignCenter,
                   QStringLiteral("日期"));
}

void drawSwatch(QPainter& painter, double& x, QColor colour, const QString& text,
                QColor outline = Qt::transparent) {
  painter.fillRect(QRectF(x, 459, 12, 12), colour);
  if (outline.alpha() > 0) {
    painter.setPen(QPen(outline, 2));
    painter.drawRect(QRectF(x + 1, 460, 10, 10));
  }
  painter.setPen(QColor::fromRgba(kAxisColour));
  painter.drawText(QRectF(x + 16, 456, 100, 18), Qt::AlignLeft | Qt::AlignVCenter, text);
  x += 24 + painter.fontMetrics().horizontalAdvance(text);
}

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
  drawSwatch(painter, x, QColor::fromRgba(kHighestTemperatureLine), QStringLiteral("最高气温"));
  drawSwatch(painter, x, QColor::fromRgba(kLowestTemperatureLine), QStringLiteral("最低气温"));
  if (!chart.normals.empty())
    drawSwatch(painter, x, QColor::fromRgba(kNormalBandBrush), QStringLiteral("常年值"),
               QColor::fromRgba(kNormalBandEdge));
  const char16_t* phases[] = {u"雨", u"雨夹雪", u"雪"};
  for (std::size_t phase = 0; phase < kPhaseBars.size(); ++phase) {
    drawSwatch(painter, x, QColor::fromRgba(kPhaseBars[phase].brush),
               QString::fromUtf16(phases[phase]), QColor::fromRgba(kPhaseBars[phase].pen));
  }
  x += 16;
  drawSwatch(painter, x, visibilityColour(0), QStringLiteral("无雾霾"));
  drawSwatch(painter, x, visibilityColour(6), QStringLiteral("雾"));
  drawSwatch(painter, x, visibilityColour(4), QStringLiteral("霾"));
  drawSwatch(painter, x, visibilityColour(9), QStringLiteral("沙尘"));
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

  const DayAxis dayAxis(chart.first, chart.last);
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

  drawValueAxis(painter, temperature);
  drawValueAxis(painter, precipitation);
  drawSideCaption(painter, kTemperatureTop, kTemperatureBottom, QStringLiteral("气温 (°C)"));
  drawSideCaption(painter, kPrecipitationTop, kPrecipitationBottom, QStringLiteral("降水量 (mm)"));
  drawDateAxis(painter, dayAxis);
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
  return dateLabels(DayAxis(chart.first, chart.last), QFontMetricsF(chartFont(12)));
}

QImage drawSummaryChart(const SummaryChartDays& chart) {
  return paintedCanvas(kSummaryChartWidth, kSummaryChartHeight,
                       [&chart](QPainter& painter) { paintSummaryChart(painter, chart); });
}

}  // namespace skyrill
