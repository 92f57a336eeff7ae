// "打印…": the day on display on one page, as the window shows it, with the
// caption line the exported pictures carry.
#include <QLabel>
#include <QPrinter>

#include "ui/day_chart.h"
#include "ui/main_window.h"
#include "ui/print_sheet.h"
#include "ui/status_strip.h"
#include "ui/wind_strip.h"

namespace skyrill {

PrintSheet MainWindow::daySheet() const {
  PrintSheet sheet;
  if (!hasDayToExport()) return sheet;
  const QueryState& state = pipeline_->state();
  sheet.titleLines = titleLabel_->text().split(QLatin1Char('\n'));
  // The sheet is painted after this returns: the pictures read the series
  // held by the pipeline, which a print dialog leaves as it is.
  const DaySeries* series = &state.series;
  sheet.pictures.push_back({QSizeF(kChartWidth, kChartHeight),
                            [series](QPainter& painter) { paintDayChart(painter, *series); }});
  sheet.pictures.push_back({QSizeF(kStripWidth, kStripHeight),
                            [series](QPainter& painter) { paintWindStrip(painter, *series); }});
  // The status bars, row for row.
  for (const StatusStrip* bar : statusBars_) {
    QStringList cells;
    for (int panel = 0; panel < bar->panelCount(); ++panel) cells << bar->panel(panel)->text();
    sheet.tableRows.push_back(cells);
  }
  sheet.caption = pictureCaption();
  return sheet;
}

bool MainWindow::printDay(QPrinter& printer) const {
  return printSheet(printer, daySheet());
}

void MainWindow::printDay() {
  if (!hasDayToExport()) return;
  printThroughDialog(this, exportBaseName(), false,
                     [this](QPrinter& printer) { return printDay(printer); });
}

}  // namespace skyrill
