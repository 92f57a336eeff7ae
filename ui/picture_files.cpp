#include "ui/picture_files.h"

#include <QBuffer>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <functional>
#include <string_view>

#include "store/whole_file.h"
#include "ui/chart_colours.h"
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

// PNG keeps the image as it is; JPEG, which has no transparency, gets it
// over white at a quality that keeps thin lines and small text sharp.
QByteArray imageBytes(const QImage& image, PictureFormat format) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (format == PictureFormat::Jpeg) {
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter(&opaque).drawImage(0, 0, image);
    opaque.save(&buffer, "JPEG", 92);
  } else {
    image.save(&buffer, "PNG");
  }
  return buffer.data();
}

// The caption line under a picture `size` big.
void paintCaption(QPainter& painter, QSize size, const QString& caption) {
  const QRectF band(0, size.height(), size.width(), kCaptionHeight);
  painter.fillRect(band, QColor::fromRgba(kCanvasBackground));
  QFont font(QStringLiteral("Noto Sans CJK SC"));
  font.setPixelSize(11);
  painter.setFont(font);
  painter.setPen(QColor(0x40, 0x40, 0x40));
  const QRectF text = band.adjusted(4, 0, -4, 0);
  painter.drawText(
      text, Qt::AlignLeft | Qt::AlignVCenter,
      painter.fontMetrics().elidedText(caption, Qt::ElideRight, static_cast<int>(text.width())));
}

// The image with the caption line under it.
QImage withCaption(const QImage& image, const QString& caption) {
  QImage framed(image.width(), image.height() + kCaptionHeight,
                QImage::Format_ARGB32_Premultiplied);
  framed.fill(QColor::fromRgba(kCanvasBackground));
  QPainter painter(&framed);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  painter.drawImage(0, 0, image);
  paintCaption(painter, image.size(), caption);
  return framed;
}

// Rendered in memory first, so that the picture file is replaced whole.
bool writeBytes(const QString& path, const QByteArray& bytes, std::error_code* error) {
  std::error_code writeError;
  const bool written =
      !bytes.isEmpty() &&
      writeWholeFile(path.toStdString(),
                     std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                     writeError);
  if (error) *error = writeError;
  return written;
}

}  // namespace

// The PNG stays the image the window draws, pixel for pixel.
bool savePicture(const QString& path, QSize size, const Painting& paint,
                 const std::function<QImage()>& image, const QString& caption,
                 std::error_code* error) {
  const auto format = pictureFormatOf(path.toStdString());
  if (!format) return false;
  if (*format == PictureFormat::Png || *format == PictureFormat::Jpeg) {
    const QImage picture = caption.isEmpty() ? image() : withCaption(image(), caption);
    return writeBytes(path, imageBytes(picture, *format), error);
  }
  const QSize pageSize = caption.isEmpty() ? size : size + QSize(0, kCaptionHeight);
  const Painting page = [&](QPainter& painter) {
    paint(painter);
    if (!caption.isEmpty()) paintCaption(painter, size, caption);
  };
  return writeBytes(
      path, *format == PictureFormat::Svg ? svgBytes(pageSize, page) : pdfBytes(pageSize, page),
      error);
}

bool saveDayChart(const DaySeries& series, const QString& path, const QString& caption,
                  std::error_code* error) {
  return savePicture(
      path, QSize(kChartWidth, kChartHeight),
      [&series](QPainter& painter) { paintDayChart(painter, series); },
      [&series] { return drawDayChart(series); }, caption, error);
}

bool saveWindStrip(const DaySeries& series, const QString& path, const QString& caption,
                   std::error_code* error) {
  return savePicture(
      path, QSize(kStripWidth, kStripHeight),
      [&series](QPainter& painter) { paintWindStrip(painter, series); },
      [&series] { return drawWindStrip(series); }, caption, error);
}

bool saveSummaryChart(const SummaryChartDays& chart, const QString& path, std::error_code* error) {
  return savePicture(
      path, QSize(kSummaryChartWidth, kSummaryChartHeight),
      [&chart](QPainter& painter) { paintSummaryChart(painter, chart); },
      [&chart] { return drawSummaryChart(chart); }, {}, error);
}

}  // namespace skyrill
