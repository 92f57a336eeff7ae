#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

class QPainter;

// The pieces the charts over many days or hours share: places across the
// plot, value axes with round ticks, the date axis, bands painted for
// days narrower than a pixel, and the legend's swatches.
namespace skyrill {

// The charts' font: Noto Sans CJK SC at a size in pixels.
QFont chartFont(int pixels);

// From a chart's own drawing of size `drawing` to an area of size `area`:
// as large as fits, centred, never stretched.
QTransform fitTransform(QSizeF area, QSizeF drawing);

// Places side by side (hours, days) from `left` to `right`, each as wide.
class PlaceAxis {
 public:
  PlaceAxis(int count, double left, double right)
      : count_(std::max(1, count)), left_(left), right_(right) {}

  int count() const { return count_; }
  // Where the first place begins and the last ends.
  double start() const { return left_; }
  double end() const { return right_; }
  double width() const { return (right_ - left_) / count_; }
  double left(int index) const { return left_ + index * width(); }
  double centre(int index) const { return left(index) + width() / 2; }
  // The place under x, if any.
  std::optional<int> indexAt(double x) const;
  // Whether places are too narrow to draw each on its own.
  bool dense() const { return width() < 2; }

 private:
  int count_;
  double left_;
  double right_;
};

// The days from `first` to `last` (YYYYMMDD, both included) as places.
class DayAxis : public PlaceAxis {
 public:
  DayAxis(int first, int last, double left, double right);

  std::chrono::sys_days first() const { return first_; }
  int indexOf(int date) const;

 private:
  std::chrono::sys_days first_;
};

// A value axis from `low` to `high` drawn between two y positions.
struct ValueAxis {
  double low;
  double high;
  double step;
  double top;
  double bottom;
  double y(double value) const { return bottom - (value - low) / (high - low) * (bottom - top); }
  double valueAt(double atY) const { return low + (bottom - atY) / (bottom - top) * (high - low); }
};

// A round step (1, 2 or 5 times a power of ten) that cuts the span into
// about `wantedTicks` parts.
double niceStep(double span, int wantedTicks);
// The axis over `low` to `high`, widened to whole steps.
ValueAxis spanningAxis(double low, double high, int wantedTicks, double top, double bottom);

// Tick labels left of the plot, guide lines across it from `left` to `right`.
void drawValueAxis(QPainter& painter, const ValueAxis& axis, double left, double right);
// A caption turned to read upwards, centred on the span of y.
void drawSideCaption(QPainter& painter, double top, double bottom, const QString& text);

// A label of the date axis: its text, where it stands and the day's x. The
// axis steps by days, months, quarters, half years or years, the finest step
// whose labels keep clear of each other over the period.
struct DateLabel {
  QString text;
  QRectF box;
  double tickX = 0;
};
// The labels, their boxes from `top` down, kept within the chart's width.
std::vector<DateLabel> dateLabels(const DayAxis& dayAxis, const QFontMetricsF& metrics, double top,
                                  double chartWidth);

// Where the date axis goes: its line, the guides across the plot at the
// ticks, and the labels under the line.
struct DateAxisPlace {
  double baseline;
  double guideTop;
  double guideBottom;
  double labelTop;
  double chartWidth;
};
void drawDateAxis(QPainter& painter, const DayAxis& dayAxis, const DateAxisPlace& place);

// The lowest and highest value of each place, where it has them.
using PlaceRanges = std::vector<std::optional<std::pair<double, double>>>;

// The edges of a band over one run of places with values: its highs and its lows.
struct BandRun {
  QPolygonF highs;
  QPolygonF lows;
};

// A band from each place's low to its high, broken where a place has none.
// Where places are narrower than two pixels, those that share a pixel column
// give one point, their lowest low and highest high, so that the band looks
// the same with a point a column at most.
std::vector<BandRun> bandRuns(const PlaceRanges& range, const PlaceAxis& axis,
                              const ValueAxis& values);
void fillBand(QPainter& painter, const std::vector<BandRun>& runs, QRgb brush);
void drawBandEdges(QPainter& painter, const std::vector<BandRun>& runs, const QPen& high,
                   const QPen& low);
// An edge's line: thinner where places are narrower than two pixels.
QPen edgePen(QRgb colour, double width, const PlaceAxis& axis, Qt::PenStyle style = Qt::SolidLine);

// A legend entry at x on the row from `top`: a square of the colour (with
// an outline when it is not transparent) and the text; x moves past it.
void drawSwatch(QPainter& painter, double& x, double top, QColor colour, const QString& text,
                QColor outline = Qt::transparent);

}  // namespace skyrill
