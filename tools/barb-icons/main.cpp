// Draws the twenty wind-barb icons into a folder (resources/barbs in the
// source tree): skyrill-barb-icons <folder>. Also renders the application
// icon's PNG sizes from its SVG (resources/icons).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QSvgRenderer>

#include <algorithm>
#include <cstdio>
#include <string>

#include "ui/barb_table.h"

namespace {

using skyrill::BarbGlyph;

// The station sits at the centre so that turning about the centre keeps it in
// place; the staff runs from there to near the top edge.
constexpr QPointF kStation(10.0, 10.0);
constexpr double kStaffTopY = 2.0;
constexpr double kLineWidth = 1.2;
constexpr double kStationRadius = 1.2;
constexpr double kLongBarb = 8.0;
constexpr double kShortBarb = 4.5;
constexpr double kBarbRise = 0.15;  // rise per unit of barb length, toward the tip
constexpr double kPennantBase = 3.5;
constexpr double kCrowdedPennantBase = 2.5;  // when more than two barbs follow
constexpr double kBarbSpacing = 2.2;
constexpr double kLowestBarbY = 8.8;  // barbs stay above the station dot

QPen glyphPen(QRgb colour) {
  QPen pen{QColor::fromRgba(colour), kLineWidth};
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

// A barb of the given length leaving the staff at height y.
void drawBarb(QPainter& painter, double y, double length) {
  painter.drawLine(QPointF(kStation.x(), y),
                   QPointF(kStation.x() + length, y - length * kBarbRise));
}

// A filled triangle on the staff from y down to y + base, outlined so that it
// stays solid when the icon is turned and scaled down.
void drawPennant(QPainter& painter, double y, double base) {
  QPainterPath path;
  path.moveTo(kStation.x(), y);
  path.lineTo(kStation.x() + kLongBarb, y);
  path.lineTo(kStation.x(), y + base);
  path.closeSubpath();
  painter.drawPath(path);
}

void drawBarbGlyph(QPainter& painter, const BarbGlyph& glyph) {
  const int pennants = glyph.value / 50;
  const int longBarbs = glyph.value % 50 / 10;
  const bool shortBarb = glyph.value % 10 == 5;
  const int barbs = longBarbs + (shortBarb ? 1 : 0);

  painter.setPen(glyphPen(glyph.colour));
  painter.drawLine(kStation, QPointF(kStation.x(), kStaffTopY));
  painter.setBrush(QColor::fromRgba(glyph.colour));
  painter.drawEllipse(kStation, kStationRadius, kStationRadius);

  double y = kStaffTopY;
  if (pennants > 0) {
    const double base = barbs > 2 ? kCrowdedPennantBase : kPennantBase;
    drawPennant(painter, y, base);
    y += base;
  }
  // Tight spacing for the crowded glyphs, so their last barb stays above the
  // station.
  const double first = pennants > 0 ? y + 1.0 : y;
  double spacing = kBarbSpacing;
  if (barbs > 1) spacing = std::min(kBarbSpacing, (kLowestBarbY - first) / (barbs - 1));
  y = first;
  // A lone short barb sits one step below the tip, as on weather maps.
  if (barbs == 1 && shortBarb && pennants == 0) y += spacing;
  for (int i = 0; i < longBarbs; ++i, y += spacing) drawBarb(painter, y, kLongBarb);
  if (shortBarb) drawBarb(painter, y, kShortBarb);
}

void drawOverRangeCross(QPainter& painter) {
  QPen pen = glyphPen(skyrill::kBarbRed);
  pen.setWidthF(1.5);
  painter.setPen(pen);
  painter.drawLine(QPointF(1.5, 1.5), QPointF(6.5, 6.5));
  painter.drawLine(QPointF(1.5, 6.5), QPointF(6.5, 1.5));
}

void drawCalmRing(QPainter& painter) {
  QPen pen = glyphPen(skyrill::kCalmGrey);
  pen.setWidthF(1.5);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(kStation, 4.5, 4.5);
}

// The icon at `scale` pixels to a unit: 1 for the 20 x 20 icons, 2 for the
// ones a high-density screen shows.
QImage drawIcon(int icon, int scale) {
  const int size = skyrill::kBarbIconSize * scale;
  QImage image(size, size, QImage::Format_RGB32);
  image.fill(skyrill::kCanvasBackground);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(scale, scale);
  if (icon == skyrill::kCalmIcon) {
    drawCalmRing(painter);
  } else {
    const BarbGlyph& glyph = skyrill::kBarbGlyphs[static_cast<std::size_t>(icon)];
    drawBarbGlyph(painter, glyph);
    if (glyph.overRange) drawOverRangeCross(painter);
  }
  return image;
}

// The sizes a desktop asks an application icon for.
constexpr int kAppIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// skyrill-<size>.png for every size, from the SVG.
int renderAppIcon(const QString& svgFile, const QDir& folder) {
  QSvgRenderer renderer(svgFile);
  if (!renderer.isValid()) {
    std::fprintf(stderr, "cannot read %s\n", qPrintable(svgFile));
    return 1;
  }
  for (const int size : kAppIconSizes) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    const QString path = folder.filePath(QStringLiteral("skyrill-%1.png").arg(size));
    if (!image.save(path, "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}

}  // namespace

constexpr const char* kUsage =
    "Usage: skyrill-barb-icons FOLDER\n"
    "       skyrill-barb-icons --app-icon SVG FOLDER\n"
    "       skyrill-barb-icons --help | --version\n"
    "\n"
    "Draws the twenty wind-barb icons (20 x 20 PNG, and 40 x 40 as NAME@2x.png for\n"
    "high-density screens) into FOLDER, which must exist.\n"
    "With --app-icon, renders the application icon SVG as skyrill-SIZE.png for\n"
    "the sizes 16, 24, 32, 48, 64, 128 and 256 into FOLDER.\n"
    "\n"
    "Exit status: 0 drawn, 1 an icon could not be read or written, 2 usage error.\n";

int main(int argc, char* argv[]) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (first == "--help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (first == "--version") {
    std::puts("skyrill-barb-icons " SKYRILL_VERSION);
    return 0;
  }
  const bool appIcon = first == "--app-icon" && argc == 4;
  if (!appIcon && (argc != 2 || first.starts_with('-'))) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (appIcon)
    return renderAppIcon(QString::fromLocal8Bit(argv[2]), QDir(QString::fromLocal8Bit(argv[3])));
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  for (int icon = 0; icon < skyrill::kBarbIconCount; ++icon) {
    for (const int scale : {1, 2}) {
      QString name = skyrill::barbIconFileName(icon);
      if (scale > 1) name.insert(name.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
      const QString path = folder.filePath(name);
      if (!drawIcon(icon, scale).save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
      }
    }
  }
  return 0;
}
