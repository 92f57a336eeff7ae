#include "ui/print_sheet.h"

#include <QFont>
#include <QFontMetricsF>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace skyrill {
namespace {

const QString kFontFamily = QStringLiteral("Noto Sans CJK SC");
const QColor kTitleColour(0x00, 0x00, 0x80);
const QColor kRuleGrey(0x80, 0x80, 0x80);
const QColor kHeaderGround(0xE8, 0xE8, 0xE8);
const QColor kCaptionGrey(0x40, 0x40, 0x40);
constexpr int kTitlePoints = 13;
constexpr int kTablePoints = 9;
constexpr int kCaptionPoints = 8;
constexpr qreal kRowLines = 1.6;  // a table row is this many text lines high
// The pictures keep at least this share of the first page's room, however
// long the table: what does not fit goes on to the next page.
constexpr qreal kLeastPictureShare = 0.5;

QFont sheetFont(int points, bool bold = false) {
  QFont font(kFontFamily, points);
  font.setBold(bold);
  return font;
}

// The fonts of a sheet's parts and what their lines measure on the device.
struct SheetFonts {
  explicit SheetFonts(QPaintDevice& device)
      : title(sheetFont(kTitlePoints, true), &device),
        table(sheetFont(kTablePoints), &device),
        header(sheetFont(kTablePoints, true), &device),
        caption(sheetFont(kCaptionPoints), &device) {}
  QFontMetricsF title;
  QFontMetricsF table;
  QFontMetricsF header;
  QFontMetricsF caption;
};

// The columns' left edges, then the right end: each column as wide as its
// widest text, all of them widened or narrowed together to the page's width.
std::vector<qreal> columnEdges(const PrintSheet& sheet, const QRectF& page,
                               const SheetFonts& fonts) {
  std::vector<qreal> widths;
  for (std::size_t row = 0; row < sheet.tableRows.size(); ++row) {
    const QFontMetricsF& metrics = sheet.tableHasHeader && row == 0 ? fonts.header : fonts.table;
    const QStringList& cells = sheet.tableRows[row];
    if (widths.size() < static_cast<std::size_t>(cells.size())) widths.resize(cells.size(), 0);
    for (qsizetype cell = 0; cell < cells.size(); ++cell) {
      const qreal padded = metrics.horizontalAdvance(cells[cell]) + 2 * metrics.averageCharWidth();
      widths[static_cast<std::size_t>(cell)] =
          std::max(widths[static_cast<std::size_t>(cell)], padded);
    }
  }
  qreal total = 0;
  for (const qreal width : widths) total += width;
  std::vector<qreal> edges{page.left()};
  for (const qreal width : widths) {
    edges.push_back(edges.back() + (total > 0 ? width * page.width() / total : 0));
  }
  return edges;
}

// The pictures stacked at one scale, centred, from `top`, no higher than `room`.
std::vector<QRectF> placePictures(const PrintSheet& sheet, const QRectF& page, qreal top,
                                  qreal room) {
  qreal width = 0;
  qreal height = 0;
  for (const SheetPicture& picture : sheet.pictures) {
    width = std::max(width, picture.size.width());
    height += picture.size.height();
  }
  std::vector<QRectF> rects;
  if (width <= 0 || height <= 0) return rects;
  const qreal scale = std::max<qreal>(0, std::min(page.width() / width, room / height));
  for (const SheetPicture& picture : sheet.pictures) {
    const QSizeF size = picture.size * scale;
    rects.emplace_back(page.left() + (page.width() - size.width()) / 2, top, size.width(),
                       size.height());
    top += size.height();
  }
  return rects;
}

void paintPicture(QPainter& painter, const SheetPicture& picture, const QRectF& rect) {
  if (rect.isEmpty()) return;
  painter.save();
  painter.translate(rect.topLeft());
  painter.scale(rect.width() / picture.size.width(), rect.height() / picture.size.height());
  painter.setClipRect(QRectF(QPointF(0, 0), picture.size));
  picture.paint(painter);
  painter.restore();
}

void paintRow(QPainter& painter, const QStringList& cells, const QRectF& rect,
              const std::vector<qreal>& edges, bool header, qreal hairline) {
  painter.setFont(sheetFont(kTablePoints, header));
  if (header) painter.fillRect(rect, kHeaderGround);
  painter.setPen(Qt::black);
  const qreal padding = painter.fontMetrics().averageCharWidth();
  for (qsizetype cell = 0; cell < cells.size(); ++cell) {
    const auto column = static_cast<std::size_t>(cell);
    if (column + 1 >= edges.size()) break;
    const QRectF text(edges[column] + padding, rect.top(),
                      edges[column + 1] - edges[column] - 2 * padding, rect.height());
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(cells[cell], Qt::ElideRight,
                                                      static_cast<int>(text.width())));
  }
  painter.setPen(QPen(kRuleGrey, hairline));
  painter.drawLine(QLineF(rect.bottomLeft(), rect.bottomRight()));
}

void paintPage(QPainter& painter, const PrintSheet& sheet, const SheetPage& page, qreal hairline) {
  if (!page.title.isEmpty()) {
    painter.setFont(sheetFont(kTitlePoints, true));
    painter.setPen(kTitleColour);
    painter.drawText(page.title, Qt::AlignHCenter | Qt::AlignTop, sheet.titleLines.join('\n'));
  }
  for (std::size_t index = 0; index < page.pictures.size(); ++index) {
    paintPicture(painter, sheet.pictures[index], page.pictures[index]);
  }
  painter.setPen(QPen(kRuleGrey, hairline));
  if (!page.rowRects.empty()) {
    painter.drawLine(QLineF(page.rowRects.front().topLeft(), page.rowRects.front().topRight()));
  }
  for (std::size_t index = 0; index < page.rows.size(); ++index) {
    const std::size_t row = page.rows[index];
    const bool header = sheet.tableHasHeader && row == 0;
    paintRow(painter, sheet.tableRows[row], page.rowRects[index], page.columnLefts, header,
             hairline);
  }
  if (!page.caption.isEmpty() && !sheet.caption.isEmpty()) {
    painter.setPen(QPen(kRuleGrey, hairline));
    painter.drawLine(QLineF(page.caption.topLeft(), page.caption.topRight()));
    painter.setFont(sheetFont(kCaptionPoints));
    painter.setPen(kCaptionGrey);
    painter.drawText(page.caption, Qt::AlignLeft | Qt::AlignVCenter,
                     painter.fontMetrics().elidedText(sheet.caption, Qt::ElideRight,
                                                      static_cast<int>(page.caption.width())));
  }
}

}  // namespace

std::vector<SheetPage> layoutSheet(const PrintSheet& sheet, const QRectF& page,
                                   QPaintDevice& device) {
  const SheetFonts fonts(device);
  const qreal gap = fonts.table.lineSpacing();
  const qreal rowHeight = fonts.table.lineSpacing() * kRowLines;
  const qreal captionHeight = fonts.caption.lineSpacing() * kRowLines;
  const QRectF caption(page.left(), page.bottom() - captionHeight, page.width(), captionHeight);
  const qreal bottom = caption.top() - gap;
  const std::vector<qreal> edges = columnEdges(sheet, page, fonts);
  const std::size_t header = sheet.tableHasHeader && !sheet.tableRows.empty() ? 1 : 0;

  SheetPage first;
  first.caption = caption;
  first.columnLefts = edges;
  qreal top = page.top();
  if (!sheet.titleLines.isEmpty()) {
    const qreal height = fonts.title.lineSpacing() * sheet.titleLines.size();
    first.title = QRectF(page.left(), top, page.width(), height);
    top += height + gap;
  }
  const qreal room = bottom - top;
  const qreal tableHeight =
      sheet.tableRows.empty() ? 0 : gap + rowHeight * static_cast<qreal>(sheet.tableRows.size());
  first.pictures =
      placePictures(sheet, page, top, std::max(room - tableHeight, room * kLeastPictureShare));
  if (!first.pictures.empty()) top = first.pictures.back().bottom() + gap;

  // Each page takes the header, when there is one, and as many rows as fit
  // above the caption; a fresh page takes one at least.
  std::size_t row = header;
  const auto placeRows = [&](SheetPage& onPage, qreal from, bool fresh) {
    const auto fitting = static_cast<std::size_t>(std::max<qreal>(0, (bottom - from) / rowHeight));
    std::size_t count =
        std::min(fitting > header ? fitting - header : 0, sheet.tableRows.size() - row);
    if (count == 0 && fresh) count = 1;
    if (count == 0) return;
    std::vector<std::size_t> rows;
    if (header > 0) rows.push_back(0);
    for (std::size_t taken = 0; taken < count; ++taken) rows.push_back(row++);
    for (const std::size_t placed : rows) {
      onPage.rows.push_back(placed);
      onPage.rowRects.emplace_back(page.left(), from, page.width(), rowHeight);
      from += rowHeight;
    }
  };
  std::vector<SheetPage> pages{first};
  if (row < sheet.tableRows.size()) placeRows(pages.back(), top, false);
  while (row < sheet.tableRows.size()) {
    SheetPage next;
    next.caption = caption;
    next.columnLefts = edges;
    placeRows(next, page.top(), true);
    pages.push_back(std::move(next));
  }
  return pages;
}

void paintSheet(QPainter& painter, const PrintSheet& sheet, const std::vector<SheetPage>& pages,
                const std::function<bool()>& nextPage) {
  const qreal hairline = painter.device()->logicalDpiY() / 72.0 * 0.5;
  painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
  for (std::size_t index = 0; index < pages.size(); ++index) {
    if (index > 0 && !nextPage()) return;
    paintPage(painter, sheet, pages[index], hairline);
  }
}

bool printSheet(QPrinter& printer, const PrintSheet& sheet) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // The painter's origin is the printable area's corner.
  const QRectF page(QPointF(0, 0),
                    printer.pageLayout().paintRectPixels(printer.resolution()).size());
  paintSheet(painter, sheet, layoutSheet(sheet, page, printer),
             [&printer] { return printer.newPage(); });
  return painter.end();
}

void printThroughDialog(QWidget* owner, const QString& documentName, bool landscape,
                        const std::function<bool(QPrinter&)>& print) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(documentName);
  printer.setCreator(QStringLiteral("Skyrill"));
  if (landscape) printer.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialog(&printer, owner);
  dialog.setObjectName(QStringLiteral("打印对话框"));
  dialog.setWindowTitle(QStringLiteral("打印"));
  if (dialog.exec() != QDialog::Accepted) return;
  if (print(printer)) return;
  QMessageBox::warning(
      owner, QStringLiteral("打印"),
      QStringLiteral("打印失败：无法开始打印，或无法写入文件：\n") + printer.outputFileName());
}

}  // namespace skyrill
