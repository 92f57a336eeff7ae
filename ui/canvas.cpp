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

namespace {

// Repaints a surface from the background colour and picture.
void repaintSurface(QImage& surface, const QImage& background) {
  surface.fill(kCanvasColour);
  if (background.isNull()) return;
  QPainter painter(&surface);
  painter.drawImage(0, 0, background);
}

// Turns the pixel columns from x to x + width - 1, rows y0 to y1, into the
// complement of their colours, within the image.
void invertColumns(QImage& image, int x, int width, int y0, int y1) {
  const int left = std::max(0, x);
  const int right = std::min(image.width() - 1, x + width - 1);
  const int top = std::max(0, std::min(y0, y1));
  const int bottom = std::min(image.height() - 1, std::max(y0, y1));
  for (int y = top; y <= bottom; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int column = left; column <= right; ++column) {
      row[column] = (~row[column] & 0x00FFFFFFu) | 0xFF000000u;
    }
  }
}

}  // namespace

void Canvas::setBackgroundPicture(const QImage& picture, const QImage& sharp) {
  background_ = picture;
  sharpBackground_ = sharp;
  // The sharp surface follows the sharp picture's density, or goes.
  if (sharp.isNull()) {
    sharpSurface_ = QImage();
  } else if (sharpSurface_.size() != sharp.size()) {
    sharpSurface_ = QImage(sharp.size(), QImage::Format_RGB32);
    sharpSurface_.setDevicePixelRatio(sharp.devicePixelRatio());
  }
  clear();
}

void Canvas::removeBackgroundPicture() {
  setBackgroundPicture(QImage());
}

void Canvas::clear() {
  repaintSurface(surface_, background_);
  if (showsSharp()) repaintSurface(sharpSurface_, sharpBackground_);
  update();
}

void Canvas::drawImage(const QImage& image, const QRect& target, const QImage& sharp) {
  QPainter painter(&surface_);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image);
  if (!sharp.isNull()) {
    if (sharpSurface_.devicePixelRatio() != sharp.devicePixelRatio() || !showsSharp()) {
      sharpSurface_ = QImage(surface_.size() * sharp.devicePixelRatio(), QImage::Format_RGB32);
      sharpSurface_.setDevicePixelRatio(sharp.devicePixelRatio());
      repaintSurface(sharpSurface_, sharpBackground_);
    }
    QPainter sharpPainter(&sharpSurface_);
    sharpPainter.setRenderHint(QPainter::SmoothPixmapTransform);
    sharpPainter.drawImage(target, sharp);
  } else if (showsSharp()) {
    QPainter sharpPainter(&sharpSurface_);
    sharpPainter.setRenderHint(QPainter::SmoothPixmapTransform);
    sharpPainter.drawImage(target, image);
  }
  update();
}

void Canvas::invertVerticalLine(int x, int y0, int y1) {
  if (x < 0 || x >= surface_.width()) return;
  invertColumns(surface_, x, 1, y0, y1);
  if (showsSharp()) {
    // One drawing unit wide: as many pixel columns as the density gives.
    const qreal ratio = sharpSurface_.devicePixelRatio();
    invertColumns(sharpSurface_, qRound(x * ratio), qRound(ratio), qRound(y0 * ratio),
                  qRound((y1 + 1) * ratio) - 1);
  }
  update();
}

void Canvas::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  // A sharp surface of another density than the screen's would be scaled:
  // the plain one is as good then.
  const bool sharp = showsSharp() && sharpSurface_.devicePixelRatio() == devicePixelRatioF();
  painter.drawImage(contentsRect().topLeft(), sharp ? sharpSurface_ : surface_);
  if (hasFocus()) {
    // Two pixels wide, over the border and the drawing area's edge; the
    // picture itself stays as it is.
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
  }
}

void Canvas::focusInEvent(QFocusEvent* event) {
  QFrame::focusInEvent(event);
  update();
}

void Canvas::focusOutEvent(QFocusEvent* event) {
  QFrame::focusOutEvent(event);
  update();
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint() - contentsRect().topLeft();
  emit mouseMoved(point.x(), point.y());
  QFrame::mouseMoveEvent(event);
}

}  // namespace skyrill
