#pragma once

#include <QString>
#include <QWidget>

#include "core/query_types.h"

class QTableWidget;

namespace skyrill {

class JsonDocument;

// Client size of the data grid window when it opens.
inline constexpr int kTableClientWidth = 784;
inline constexpr int kTableClientHeight = 624;
// Line height of the header row's font.
inline constexpr int kHeaderFontCellPx = 22;

// The grid's selection as a spreadsheet pastes it: one line per row, each
// ended by "\n", cells split by tabs, the header texts of the columns first.
// Scattered cells copy as the rows and columns that hold them, the cells
// not selected among those empty, so each value pastes under its header.
// Empty when nothing is selected.
QString selectionText(const QTableWidget& grid);

// The data grid window: every record of the day on display as one row of a
// twelve-column grid, with severity colours. A resizable, modeless window of
// its owner; the grid fills it. Closing it deletes it.
//
// The user may edit a cell (double-click, F2 or typing on it); each edit
// re-colours the grid from the texts as they then stand. The answer itself
// is not changed: the next fill shows it again. Copy puts the selection on
// the clipboard for a spreadsheet; Esc and Ctrl+W close the window.
class TableWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TableWindow(QWidget* owner);

  // Shows the records of the displayed mode's array of the document.
  void fillTable(const JsonDocument& document, QueryMode displayedMode);
  // Colours every record row by the rules from the texts in the grid; a
  // cell no rule colours gets the grid's white background and black text.
  void colourTable();

  QTableWidget& grid() { return *grid_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The grid covers the whole client area.
  void fitTableToWindow();
  void centreOnScreen();
  void addKeys();
  void copySelection();

  QTableWidget* grid_ = nullptr;
};

}  // namespace skyrill
