#include "ui/canvas.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace skyrill {

namespace {

const QColor kCanvasColour(0xEC, 0xEC, 0xEC);

}  // namespace

Canvas::Canvas(QSize drawingSize, QWidget* parent)
    : QFrame(parent), surface_(drawingSize, QImage::Format_RGB32) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setLineWidth(1);
  setMouseTracking(true);
  clear();
}

void Canvas::setBackgroundPicture(const QImage& picture) {
  background_ = picture;
  clear();
}

void Canvas::removeBackgroundPicture() {
  background_ = QImage();
  clear();
}

void Canvas::clear() {
  surface_.fill(kCanvasColour);
  if (!background_.isNull()) {
    QPainter painter(&surface_);
    painter.drawImage(0, 0, background_);
  }
  update();
}

void Canvas::drawImage(const QImage& image, const QRect& target) {
  QPainter painter(&surface_);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image);
  update();
}

void Canvas::invertVerticalLine(int x, int y0, int y1) {
  if (x < 0 || x >= surface_.width()) return;
  const int top = std::max(0, std::min(y0, y1));
  const int bottom = std::min(surface_.height() - 1, std::max(y0, y1));
  for (int y = top; y <= bottom; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(surface_.scanLine(y));
    row[x] = (~row[x] & 0x00FFFFFFu) | 0xFF000000u;
  }
  update();
}

void Canvas::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.drawImage(contentsRect().topLeft(), surface_);
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint() - contentsRect().topLeft();
  emit mouseMoved(point.x(), point.y());
  QFrame::mouseMoveEvent(event);
}

}  // namespace skyrill
