#include "ui/table_window.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>

#include <algorithm>

#include "core/data_grid.h"
#include "ui/light_palette.h"
#include "ui/owned_window.h"

namespace skyrill {

namespace {

constexpr int kDefaultColumnWidth = 80;

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

// Every column keeps at least its design width and grows where the font in
// use needs more for its header or its texts.
void fitColumnsToTexts(QTableWidget& grid) {
  for (int column = 0; column < kGridColumnCount; ++column) {
    grid.resizeColumnToContents(column);
    const int designPx = kGridColumns[static_cast<std::size_t>(column)].widthPx;
    if (grid.columnWidth(column) < designPx) grid.setColumnWidth(column, designPx);
  }
}

void setUpGrid(QTableWidget& grid) {
  grid.setColumnCount(kGridColumnCount);
  QStringList headers;
  for (const GridColumn& column : kGridColumns) headers << QString::fromUtf8(column.header);
  grid.setHorizontalHeaderLabels(headers);

  QHeaderView& top = *grid.horizontalHeader();
  top.setFont(headerFont(grid.font()));
  // As high as every other row, whatever the style would add around the font.
  top.setFixedHeight(kGridRowHeightPx);
  top.setDefaultAlignment(Qt::AlignCenter);
  top.setDefaultSectionSize(kDefaultColumnWidth);
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
  fitColumnsToTexts(grid);
}

QList<int> sortedUnique(QList<int> numbers) {
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  return numbers;
}

QStringList headerTexts(const QTableWidget& grid, const QList<int>& columns) {
  QStringList texts;
  for (int column : columns) texts << grid.model()->headerData(column, Qt::Horizontal).toString();
  return texts;
}

// Esc, Ctrl+W and the platform's own close keys, each once: a key bound
// twice to one action is ambiguous and does nothing.
QList<QKeySequence> closeKeys() {
  QList<QKeySequence> keys = {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)};
  for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close)) {
    if (!keys.contains(key)) keys << key;
  }
  return keys;
}

QString tabSeparatedText(const QList<QStringList>& lines) {
  QString text;
  for (const QStringList& cells : lines) text += cells.join(u'\t') + u'\n';
  return text;
}

}  // namespace

QString selectionText(const QTableWidget& grid) {
  const QModelIndexList selected = grid.selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return {};
  QList<int> rows;
  QList<int> columns;
  for (const QModelIndex& index : selected) {
    rows << index.row();
    columns << index.column();
  }
  rows = sortedUnique(rows);
  columns = sortedUnique(columns);
  QList<QStringList> lines(rows.size() + 1, QStringList(columns.size()));
  lines[0] = headerTexts(grid, columns);
  for (const QModelIndex& index : selected) {
    lines[rows.indexOf(index.row()) + 1][columns.indexOf(index.column())] = index.data().toString();
  }
  return tabSeparatedText(lines);
}

TableWindow::TableWindow(QWidget* owner) : QWidget(owner, kOwnedWindowFlags) {
  setObjectName(QStringLiteral("表格窗口"));
  setAttribute(Qt::WA_DeleteOnClose);
  // The program's light look whatever the desktop theme, so that the header
  // reads dark on light like the white cells.
  setPalette(lightPalette());
  grid_ = new QTableWidget(this);
  grid_->setObjectName(QStringLiteral("表格1"));
  setUpGrid(*grid_);
  resize(kTableClientWidth, kTableClientHeight);
  fitTableToWindow();
  centreOnScreen();
  addKeys();
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
  fitColumnsToTexts(*grid_);
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

// Copy takes the whole selection where Qt's own copies the current cell
// only. An open cell editor takes its own Copy and Esc first.
void TableWindow::addKeys() {
  auto* copy = new QAction(grid_);
  copy->setShortcuts(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  connect(copy, &QAction::triggered, this, &TableWindow::copySelection);
  grid_->addAction(copy);

  auto* close = new QAction(this);
  close->setShortcuts(closeKeys());
  close->setShortcutContext(Qt::WindowShortcut);
  connect(close, &QAction::triggered, this, &QWidget::close);
  addAction(close);
}

void TableWindow::copySelection() {
  const QString text = selectionText(*grid_);
  if (!text.isEmpty()) QGuiApplication::clipboard()->setText(text);
}

void TableWindow::centreOnScreen() {
  const QScreen* screen = this->screen();
  if (!screen) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

}  // namespace skyrill
