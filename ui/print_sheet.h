#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace skyrill {

// A picture on a sheet: its size in its own units and how it paints itself
// into them (a chart at 500 × 440, say, drawn as on screen).
struct SheetPicture {
  QSizeF size;
  std::function<void(QPainter&)> paint;
};

// What a printed sheet shows, top to bottom: a title of a line or more,
// pictures stacked without a gap, each as wide as the page allows and no
// taller than leaves room for the rest, a table, and a caption line at the
// foot of every page. Rows of a table too long for one page go on over the
// next ones, under the header again when it has one.
struct PrintSheet {
  QStringList titleLines;
  std::vector<SheetPicture> pictures;
  std::vector<QStringList> tableRows;
  bool tableHasHeader = false;  // the first row heads the columns
  QString caption;
};

// Where the parts of a sheet land on one page, in the page's units.
struct SheetPage {
  QRectF title;                    // empty on pages after the first
  std::vector<QRectF> pictures;    // on the first page only
  std::vector<qreal> columnLefts;  // the table's columns, then its right end
  std::vector<std::size_t> rows;   // the table rows on this page, the header first
  std::vector<QRectF> rowRects;    // and where each of them goes
  QRectF caption;
};

// Lays the sheet out on pages of `page` (the printable rectangle of the
// device, in its units), measuring text as `device` draws it.
std::vector<SheetPage> layoutSheet(const PrintSheet& sheet, const QRectF& page,
                                   QPaintDevice& device);

// Paints the laid-out pages; `nextPage` starts each page after the first
// and says whether it could.
void paintSheet(QPainter& painter, const PrintSheet& sheet, const std::vector<SheetPage>& pages,
                const std::function<bool()>& nextPage);

// Prints the sheet as the printer is set up; false when nothing could be
// printed (no printer to start, a file that cannot be written).
bool printSheet(QPrinter& printer, const PrintSheet& sheet);

// "打印…" of a window: the print dialog, owned by `owner`, for a document
// of that name on pages of that lie (landscape or not); once accepted,
// `print` prints on the printer as set up, and a print that fails is told.
void printThroughDialog(QWidget* owner, const QString& documentName, bool landscape,
                        const std::function<bool(QPrinter&)>& print);

}  // namespace skyrill
