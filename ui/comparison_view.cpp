#include "ui/comparison_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QStyleOptionFocusRect>

#include "ui/chart_axes.h"
#include "ui/chart_colours.h"
#include "ui/place_keys.h"

namespace skyrill {
namespace {

constexpr QRgb kMessageColour = 0xFF404040;
constexpr QRgb kPlaceFill = 0x20000080;
constexpr QRgb kPlaceLine = 0x90000080;
constexpr QRgb kFocusColour = 0xFF3060C0;

QTransform chartTransform(QSizeF size) {
  return fitTransform(size, QSizeF(kComparisonChartWidth, kComparisonChartHeight));
}

}  // namespace

ComparisonView::ComparisonView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(kComparisonChartWidth / 2, kComparisonChartHeight / 2);
}

QImage ComparisonView::pictureFor(const ComparisonPlot& plot, QSize size, qreal pixelRatio) {
  QImage picture(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
  picture.setDevicePixelRatio(pixelRatio);
  picture.fill(kCanvasBackground);
  QPainter painter(&picture);
  painter.setTransform(chartTransform(size));
  paintComparisonChart(painter, plot);
  return picture;
}

void ComparisonView::showPlot(const ComparisonPlot* plot, const QString& message, QImage picture) {
  plot_ = plot;
  message_ = message;
  picture_ = std::move(picture);
  if (plot_ && place_ && *place_ >= plot_->placeCount()) place_.reset();
  update();
}

void ComparisonView::plotChanged() {
  picture_ = {};
  update();
}

void ComparisonView::choosePlace(std::optional<int> place) {
  if (!plot_ || !message_.isEmpty()) place.reset();
  place_ = place;
  update();
  if (onPlace) onPlace(place_);
}

void ComparisonView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!message_.isEmpty() || !plot_) {
    painter.fillRect(rect(), QColor::fromRgba(kCanvasBackground));
    paintMessage(painter);
  } else {
    const qreal pixelRatio = devicePixelRatioF();
    if (picture_.deviceIndependentSize() != QSizeF(size()) ||
        picture_.devicePixelRatio() != pixelRatio)
      picture_ = pictureFor(*plot_, size(), pixelRatio);
    painter.drawImage(QPointF(0, 0), picture_);
    if (place_) paintPlaceMark(painter, *place_);
  }
  // The keys walk the readout while the chart has the focus: it says so.
  if (hasFocus()) {
    painter.resetTransform();
    painter.setPen(QPen(QColor::fromRgba(kFocusColour), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
  }
}

void ComparisonView::mouseMoveEvent(QMouseEvent* event) {
  const auto hit = hitAt(event->position());
  const std::optional<int> place = hit ? std::optional(hit->place) : std::nullopt;
  if (place != place_) choosePlace(place);
}

void ComparisonView::leaveEvent(QEvent*) {
  if (place_) choosePlace(std::nullopt);
}

void ComparisonView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (const auto hit = hitAt(event->position()); hit && onDoubleClick) onDoubleClick(*hit);
}

void ComparisonView::keyPressEvent(QKeyEvent* event) {
  if (!plot_ || !message_.isEmpty()) return QWidget::keyPressEvent(event);
  const auto place = placeAfterKey(event->key(), place_, plot_->placeCount());
  if (!place) return QWidget::keyPressEvent(event);
  choosePlace(place);
}

std::optional<ComparisonHit> ComparisonView::hitAt(QPointF point) const {
  if (!message_.isEmpty() || !plot_) return std::nullopt;
  const QPointF inChart = chartTransform(size()).inverted().map(point);
  return comparisonHitAt(*plot_, inChart.x(), inChart.y());
}

void ComparisonView::paintMessage(QPainter& painter) {
  QFont font = this->font();
  font.setPixelSize(16);
  painter.setFont(font);
  painter.setPen(QColor::fromRgba(kMessageColour));
  painter.drawText(rect().adjusted(24, 24, -24, -24), Qt::AlignCenter | Qt::TextWordWrap, message_);
}

// The place's column across the plot, lightly, and a line at its middle
// that shows even where a place is narrower than a pixel.
void ComparisonView::paintPlaceMark(QPainter& painter, int place) {
  painter.save();
  painter.setTransform(chartTransform(size()));
  const double centre = comparisonPlaceCentre(*plot_, place);
  const double width = comparisonPlaceCentre(*plot_, 1) - comparisonPlaceCentre(*plot_, 0);
  const double height = kComparisonPlotBottom - kComparisonPlotTop;
  painter.fillRect(QRectF(centre - width / 2, kComparisonPlotTop, width, height),
                   QColor::fromRgba(kPlaceFill));
  painter.setPen(QPen(QColor::fromRgba(kPlaceLine), 0));  // one pixel at any scale
  painter.drawLine(QPointF(centre, kComparisonPlotTop), QPointF(centre, kComparisonPlotBottom));
  painter.restore();
}

}  // namespace skyrill
