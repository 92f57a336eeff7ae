#include "ui/wind_strip.h"

#include <QPainter>
#include <QTransform>

#include <cmath>

#include "core/numeric_text.h"
#include "ui/barb_icons.h"
#include "ui/barb_table.h"
#include "ui/chart_colours.h"

namespace skyrill {
namespace {

// The leading integer of the cleaned direction text, within one turn
// (0 when the text has no number).
int directionDegrees(const std::string& windDirection) {
  return static_cast<int>(integerValue(cleanSlotText(windDirection)) % 360);
}

// The icon turned clockwise by the angle about its centre (at 0 the staff
// points up, at 90 to the right), on an image grown to the box around the
// turned square with the uncovered corners in the background colour.
QImage turnedIcon(const QImage& icon, int degrees) {
  if (degrees == 0) return icon;
  const QTransform turn = QTransform().rotate(degrees);
  const QSizeF box = turn.mapRect(QRectF(icon.rect())).size();
  // Guard the exact quarter turns against rounding noise in the box.
  const int width = static_cast<int>(std::ceil(box.width() - 1e-6));
  const int height = static_cast<int>(std::ceil(box.height() - 1e-6));

  // Turned in the icon's own pixels, whatever its pixel ratio.
  QImage turned = plainCanvas(width, height);
  QPainter painter(&turned);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.translate(width / 2.0, height / 2.0);
  painter.setTransform(turn, true);
  painter.drawImage(QPointF(-icon.width() / 2.0, -icon.height() / 2.0), icon);
  return turned;
}

}  // namespace

void paintWindStrip(QPainter& painter, const DaySeries& series) {
  painter.save();
  painter.fillRect(QRect(0, 0, kStripWidth, kStripHeight), QColor::fromRgba(kCanvasBackground));
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  // A high-density device gets the icons drawn for it, not 1x ones blown up.
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
  for (int i = 1; i <= kSlotCount; ++i) {
    const HourlyRecord& hour = series.slot(i);
    if (cleanSlotText(hour.windSpeed).empty()) continue;
    const int k = barbSpeed(slotNumber(hour.windSpeed));
    if (k < 0) continue;
    const int icon = barbIconIndex(k);
    const QImage& plain = barbIcon(icon, ratio);
    const QImage picture =
        icon == kCalmIcon ? plain : turnedIcon(plain, directionDegrees(hour.windDirection));
    // A turned icon is larger than the cell and is scaled down into it; the
    // cell runs one pixel past the strip's bottom edge.
    const QRectF cell(20.0 * i - 10, 1, kBarbIconSize, kBarbIconSize);
    const QSize pixels = plain.size();  // the cell's size in the icon's pixels
    painter.drawImage(cell, picture.size() == pixels ? picture
                                                     : picture.scaled(pixels, Qt::IgnoreAspectRatio,
                                                                      Qt::SmoothTransformation));
  }
  painter.restore();
}

QImage drawWindStrip(const DaySeries& series, qreal pixelRatio) {
  return paintedCanvas(
      kStripWidth, kStripHeight, [&series](QPainter& painter) { paintWindStrip(painter, series); },
      pixelRatio);
}

}  // namespace skyrill
