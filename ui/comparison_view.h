#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

#include "ui/comparison_chart.h"

namespace skyrill {

// The comparison chart drawn to the widget's size at the screen's own
// pixels, the place under the pointer (or chosen by the arrow keys) marked
// on it; a message in its place while there is nothing to draw.
class ComparisonView : public QWidget {
 public:
  explicit ComparisonView(QWidget* parent = nullptr);

  // The place whose readout is asked for; nothing when none is.
  std::function<void(std::optional<int> place)> onPlace;
  // A double-click on the plot.
  std::function<void(const ComparisonHit& hit)> onDoubleClick;

  // Draws the plot (held by the caller while shown), or the message while it
  // is not empty. `picture` is the chart drawn already for the widget's size.
  void showPlot(const ComparisonPlot* plot, const QString& message, QImage picture = {});
  // The plot changed in place (another element): drawn afresh.
  void plotChanged();
  const QString& message() const { return message_; }
  std::optional<int> place() const { return place_; }
  // Marks the place and asks for its readout, as the pointer over it would.
  void choosePlace(std::optional<int> place);

  // The chart as this widget's size and density want it; on any thread.
  static QImage pictureFor(const ComparisonPlot& plot, QSize size, qreal pixelRatio);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::optional<ComparisonHit> hitAt(QPointF point) const;
  void paintMessage(QPainter& painter);
  void paintPlaceMark(QPainter& painter, int place);

  const ComparisonPlot* plot_ = nullptr;
  QString message_;
  QImage picture_;
  std::optional<int> place_;
};

}  // namespace skyrill
