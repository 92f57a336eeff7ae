#include "ui/picture_files.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <functional>
#include <string_view>

#include "store/whole_file.h"
#include "ui/day_chart.h"
#include "ui/summary_chart.h"
#include "ui/wind_strip.h"

namespace skyrill {
namespace {

using Painting = std::function<void(QPainter&)>;

QByteArray svgBytes(QSize size, const Painting& paint) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  // SVG viewers take 96 user units to the inch: the drawing then shows at
  // its pixel size.
  generator.setResolution(96);
  generator.setTitle(QStringLiteral("Skyrill"));
  QPainter painter(&generator);
  paint(painter);
  painter.end();
  return buffer.data();
}

QByteArray pdfBytes(QSize size, const Painting& paint) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("Skyrill"));
    // At 72 dots per inch a picture pixel is one point of the page.
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    paint(painter);
  }
  return buffer.data();
}

QByteArray pngBytes(const QImage& image) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return buffer.data();
}

// Rendered in memory first, so that the picture file is replaced whole.
bool writeBytes(const QString& path, const QByteArray& bytes) {
  return !bytes.isEmpty() &&
         writeWholeFile(
             path.toStdString(),
             std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace

// The PNG stays the image the window draws, pixel for pixel.
bool savePicture(const QString& path, QSize size, const Painting& paint,
                 const std::function<QImage()>& image) {
  if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
    return writeBytes(path, svgBytes(size, paint));
  if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
    return writeBytes(path, pdfBytes(size, paint));
  return writeBytes(path, pngBytes(image()));
}

bool saveDayChart(const DaySeries& series, const QString& path) {
  return savePicture(
      path, QSize(kChartWidth, kChartHeight),
      [&series](QPainter& painter) { paintDayChart(painter, series); },
      [&series] { return drawDayChart(series); });
}

bool saveWindStrip(const DaySeries& series, const QString& path) {
  return savePicture(
      path, QSize(kStripWidth, kStripHeight),
      [&series](QPainter& painter) { paintWindStrip(painter, series); },
      [&series] { return drawWindStrip(series); });
}

bool saveSummaryChart(const SummaryChartDays& chart, const QString& path) {
  return savePicture(
      path, QSize(kSummaryChartWidth, kSummaryChartHeight),
      [&chart](QPainter& painter) { paintSummaryChart(painter, chart); },
      [&chart] { return drawSummaryChart(chart); });
}

}  // namespace skyrill
