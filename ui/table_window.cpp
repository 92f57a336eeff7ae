#include "ui/table_window.h"

#include <QHeaderView>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>

#include "core/data_grid.h"

namespace skyrill {

namespace {

constexpr int kDefaultColumnWidth = 80;

// Resizable border with close and maximize boxes, no minimize box.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

// The largest font of the family whose line fits the header's cell height.
QFont headerFont(QFont font) {
  for (int pixels = kHeaderFontCellPx; pixels > 1; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).height() <= kHeaderFontCellPx) break;
  }
  return font;
}

void paintCell(QTableWidgetItem& item, const std::optional<CellColours>& colours) {
  if (!colours) {
    item.setBackground(Qt::white);
    item.setForeground(Qt::black);
    return;
  }
  const Rgb& background = colours->background;
  item.setBackground(QColor(background.red, background.green, background.blue));
  item.setForeground(colours->whiteText ? Qt::white : Qt::black);
}

void setUpGrid(QTableWidget& grid) {
  grid.setColumnCount(kGridColumnCount);
  QStringList headers;
  for (const GridColumn& column : kGridColumns) headers << QString::fromUtf8(column.header);
  grid.setHorizontalHeaderLabels(headers);

  QHeaderView& top = *grid.horizontalHeader();
  top.setFont(headerFont(grid.font()));
  top.setDefaultAlignment(Qt::AlignCenter);
  top.setDefaultSectionSize(kDefaultColumnWidth);
  for (int column = 0; column < kGridColumnCount; ++column) {
    grid.setColumnWidth(column, kGridColumns[static_cast<std::size_t>(column)].widthPx);
  }
  // Rows have no header column of their own.
  QHeaderView& side = *grid.verticalHeader();
  side.hide();
  side.setMinimumSectionSize(1);
  side.setSectionResizeMode(QHeaderView::Fixed);
  side.setDefaultSectionSize(kGridRowHeightPx);

  grid.setWordWrap(false);
  QPalette colours = grid.palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Text, Qt::black);
  grid.setPalette(colours);
}

}  // namespace

TableWindow::TableWindow(QWidget* owner) : QWidget(owner, kWindowFlags) {
  setObjectName(QStringLiteral("表格窗口"));
  setAttribute(Qt::WA_DeleteOnClose);
  grid_ = new QTableWidget(this);
  grid_->setObjectName(QStringLiteral("表格1"));
  setUpGrid(*grid_);
  resize(kTableClientWidth, kTableClientHeight);
  fitTableToWindow();
  centreOnScreen();
  // Only the user's edits reach this: fills and colourings are silent.
  connect(grid_, &QTableWidget::itemChanged, this, &TableWindow::colourTable);
}

void TableWindow::fillTable(const JsonDocument& document, QueryMode displayedMode) {
  const DataGrid table = buildDataGrid(document, displayedMode);
  setWindowTitle(fromUtf8(table.caption));
  const QSignalBlocker silent(grid_);
  grid_->clearContents();
  grid_->setRowCount(static_cast<int>(table.rows.size()));
  for (int row = 0; row < grid_->rowCount(); ++row) {
    const GridRow& cells = table.rows[static_cast<std::size_t>(row)];
    for (int column = 0; column < kGridColumnCount; ++column) {
      const GridCell& cell = cells[static_cast<std::size_t>(column)];
      auto* item = new QTableWidgetItem(fromUtf8(cell.text));
      item->setTextAlignment(Qt::AlignCenter);
      paintCell(*item, cell.colours);
      grid_->setItem(row, column, item);
    }
  }
}

void TableWindow::colourTable() {
  const QSignalBlocker silent(grid_);
  for (int row = 0; row < grid_->rowCount(); ++row) {
    GridRowTexts texts;
    for (int column = 0; column < kGridColumnCount; ++column) {
      const QTableWidgetItem* item = grid_->item(row, column);
      if (item) texts[static_cast<std::size_t>(column)] = item->text().toStdString();
    }
    const GridRowColours colours = colourGridRow(texts);
    for (int column = 0; column < kGridColumnCount; ++column) {
      if (QTableWidgetItem* item = grid_->item(row, column)) {
        paintCell(*item, colours[static_cast<std::size_t>(column)]);
      }
    }
  }
}

void TableWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fitTableToWindow();
}

void TableWindow::fitTableToWindow() {
  grid_->setGeometry(0, 0, width(), height());
}

void TableWindow::centreOnScreen() {
  const QScreen* screen = this->screen();
  if (!screen) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

}  // namespace skyrill
