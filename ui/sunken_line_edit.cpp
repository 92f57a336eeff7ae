#include "ui/sunken_line_edit.h"

#include <QPainter>

namespace skyrill {

namespace {

constexpr int kBorderWidth = 2;

// The border's four shades, outer ring first.
const QColor kOuterShadow(0xA0, 0xA0, 0xA0);
const QColor kInnerShadow(0x69, 0x69, 0x69);
const QColor kOuterLight(0xFF, 0xFF, 0xFF);
const QColor kInnerLight(0xE3, 0xE3, 0xE3);

// One ring of the border `inset` pixels inside the rectangle.
void drawRing(QPainter& painter, const QRect& rect, int inset, const QColor& shadow,
              const QColor& light) {
  const QRect ring = rect.adjusted(inset, inset, -inset, -inset);
  painter.setPen(shadow);
  painter.drawLine(ring.topLeft(), ring.topRight());
  painter.drawLine(ring.topLeft(), ring.bottomLeft());
  painter.setPen(light);
  painter.drawLine(ring.bottomLeft(), ring.bottomRight());
  painter.drawLine(ring.topRight(), ring.bottomRight());
}

}  // namespace

SunkenLineEdit::SunkenLineEdit(QWidget* parent) : QLineEdit(parent) {
  setFrame(false);
  setTextMargins(kBorderWidth, kBorderWidth, kBorderWidth, kBorderWidth);
}

void SunkenLineEdit::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  QPainter painter(this);
  drawRing(painter, rect(), 0, kOuterShadow, kOuterLight);
  drawRing(painter, rect(), 1, kInnerShadow, kInnerLight);
}

}  // namespace skyrill
