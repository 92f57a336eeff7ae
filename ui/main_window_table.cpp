// The data grid window of the main window.
#include "ui/main_window.h"
#include "ui/table_window.h"

namespace skyrill {

namespace {

// The open data grid window, or null. A closed one is hidden until Qt
// deletes it.
TableWindow* openTableWindow(const MainWindow& window) {
  for (TableWindow* table : window.findChildren<TableWindow*>(Qt::FindDirectChildrenOnly)) {
    if (!table->isHidden()) return table;
  }
  return nullptr;
}

// Fills the grid with the day on display; with no pipeline, with no day.
void fillFromDay(TableWindow& table, const QueryPipeline* pipeline) {
  if (pipeline) {
    table.fillTable(pipeline->state().document, pipeline->state().displayedMode);
  } else {
    table.fillTable(JsonDocument(), QueryMode::History);
  }
}

}  // namespace

void MainWindow::showTable() {
  if (TableWindow* open = openTableWindow(*this)) {
    open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
    open->raise();
    open->activateWindow();
    return;
  }
  auto* table = new TableWindow(this);
  fillFromDay(*table, pipeline_);
  table->show();
}

void MainWindow::refreshTable() {
  if (TableWindow* open = openTableWindow(*this)) fillFromDay(*open, pipeline_);
}

}  // namespace skyrill
