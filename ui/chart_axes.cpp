#include "ui/chart_axes.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include "core/calendar_date.h"
#include "ui/chart_colours.h"

namespace skyrill {
namespace {

using std::chrono::sys_days;

sys_days dayOf(int date) {
  return sys_days(calendarDate(date));
}

std::chrono::year_month_day dateOf(sys_days day) {
  return std::chrono::year_month_day(day);
}

QString numberText(double value) {
  return QString::number(value, 'g', 6);
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
                                                   const QFontMetricsF& metrics, double top,
                                                   double chartWidth) {
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
    const double left = std::clamp(label.tickX - width / 2, 0.0, chartWidth - width);
    label.box = QRectF(left, top, width, 16);
    if (!labels.empty() && labels.back().box.right() + kDateLabelGap > label.box.left())
      return std::nullopt;
    labels.push_back(label);
  }
  return labels;
}

}  // namespace

QFont chartFont(int pixels) {
  QFont font(QStringLiteral("Noto Sans CJK SC"));
  font.setPixelSize(pixels);
  font.setWeight(QFont::Normal);
  return font;
}

QTransform fitTransform(QSizeF area, QSizeF drawing) {
  const double scale = std::min(area.width() / drawing.width(), area.height() / drawing.height());
  return QTransform()
      .translate((area.width() - drawing.width() * scale) / 2,
                 (area.height() - drawing.height() * scale) / 2)
      .scale(scale, scale);
}

std::optional<int> PlaceAxis::indexAt(double x) const {
  if (x < left_ || x >= right_) return std::nullopt;
  return std::min(count_ - 1, static_cast<int>((x - left_) / width()));
}

DayAxis::DayAxis(int first, int last, double left, double right)
    : PlaceAxis(static_cast<int>((dayOf(last) - dayOf(first)).count()) + 1, left, right),
      first_(dayOf(first)) {}

int DayAxis::indexOf(int date) const {
  return static_cast<int>((dayOf(date) - first_).count());
}

double niceStep(double span, int wantedTicks) {
  const double raw = span / wantedTicks;
  const double magnitude = std::pow(10, std::floor(std::log10(raw)));
  for (const double factor : {1.0, 2.0, 5.0}) {
    if (factor * magnitude >= raw) return factor * magnitude;
  }
  return 10 * magnitude;
}

ValueAxis spanningAxis(double low, double high, int wantedTicks, double top, double bottom) {
  const double step = niceStep(high - low, wantedTicks);
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step, top, bottom};
}

void drawValueAxis(QPainter& painter, const ValueAxis& axis, double left, double right) {
  for (double value = axis.low; value <= axis.high + axis.step / 2; value += axis.step) {
    const double y = axis.y(value);
    painter.setPen(QPen(QColor::fromRgba(kGuideColour), value == 0 ? 1.5 : 1));
    painter.drawLine(QPointF(left, y), QPointF(right, y));
    painter.setPen(QColor::fromRgba(kAxisColour));
    painter.drawText(QRectF(left - 48, y - 8, 42, 16), Qt::AlignRight | Qt::AlignVCenter,
                     numberText(value));
  }
}

void drawSideCaption(QPainter& painter, double top, double bottom, const QString& text) {
  painter.save();
  painter.translate(12, (top + bottom) / 2);
  painter.rotate(-90);
  painter.setPen(QColor::fromRgba(kAxisColour));
  painter.drawText(QRectF(-80, -8, 160, 16), Qt::AlignCenter, text);
  painter.restore();
}

std::vector<DateLabel> dateLabels(const DayAxis& dayAxis, const QFontMetricsF& metrics, double top,
                                  double chartWidth) {
  for (const DateStep step : kDateSteps) {
    if (auto labels = labelsOfStep(dayAxis, step, metrics, top, chartWidth))
      return std::move(*labels);
  }
  return {};
}

void drawDateAxis(QPainter& painter, const DayAxis& dayAxis, const DateAxisPlace& place) {
  painter.setPen(QPen(QColor::fromRgba(kAxisColour), 1));
  painter.drawLine(QPointF(dayAxis.start(), place.baseline),
                   QPointF(dayAxis.end(), place.baseline));
  for (const DateLabel& label :
       dateLabels(dayAxis, QFontMetricsF(painter.font()), place.labelTop, place.chartWidth)) {
    painter.setPen(QPen(QColor::fromRgba(kGuideColour), 1));
    painter.drawLine(QPointF(label.tickX, place.guideTop), QPointF(label.tickX, place.guideBottom));
    painter.setPen(QColor::fromRgba(kAxisColour));
    painter.drawText(label.box, Qt::AlignCenter, label.text);
  }
  painter.drawText(
      QRectF(dayAxis.start(), place.labelTop + 18, dayAxis.end() - dayAxis.start(), 16),
      Qt::AlignCenter, QStringLiteral("日期"));
}

std::vector<BandRun> bandRuns(const PlaceRanges& range, const PlaceAxis& axis,
                              const ValueAxis& values) {
  const bool dense = axis.dense();
  std::vector<BandRun> runs;
  for (int start = 0; start < axis.count();) {
    if (!range[static_cast<std::size_t>(start)]) {
      ++start;
      continue;
    }
    int end = start;
    while (end + 1 < axis.count() && range[static_cast<std::size_t>(end + 1)]) ++end;
    BandRun run;
    const auto add = [&](double x, double low, double high) {
      run.highs << QPointF(x, values.y(high));
      run.lows << QPointF(x, values.y(low));
    };
    const auto rangeOf = [&](int i) { return *range[static_cast<std::size_t>(i)]; };
    // The run covers its places whole, so that a lone place shows too.
    add(axis.left(start), rangeOf(start).first, rangeOf(start).second);
    for (int i = start; i <= end;) {
      auto [low, high] = rangeOf(i);
      const double column = std::floor(axis.centre(i));
      int last = i;
      while (dense && last + 1 <= end && std::floor(axis.centre(last + 1)) == column) {
        ++last;
        low = std::min(low, rangeOf(last).first);
        high = std::max(high, rangeOf(last).second);
      }
      add((axis.centre(i) + axis.centre(last)) / 2, low, high);
      i = last + 1;
    }
    add(axis.left(end + 1), rangeOf(end).first, rangeOf(end).second);
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

QPen edgePen(QRgb colour, double width, const PlaceAxis& axis, Qt::PenStyle style) {
  return QPen(QColor::fromRgba(colour), axis.dense() ? width * 2 / 3 : width, style);
}

void drawSwatch(QPainter& painter, double& x, double top, QColor colour, const QString& text,
                QColor outline) {
  painter.fillRect(QRectF(x, top + 3, 12, 12), colour);
  if (outline.alpha() > 0) {
    painter.setPen(QPen(outline, 2));
    painter.drawRect(QRectF(x + 1, top + 4, 10, 10));
  }
  painter.setPen(QColor::fromRgba(kAxisColour));
  const double textWidth = painter.fontMetrics().horizontalAdvance(text);
  painter.drawText(QRectF(x + 16, top, std::max(100.0, textWidth + 4), 18),
                   Qt::AlignLeft | Qt::AlignVCenter, text);
  x += 24 + textWidth;
}

}  // namespace skyrill
