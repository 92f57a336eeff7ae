// "历史同期…" (F3): the climate window of the day on display, which follows
// it and asks for the days it lacks through the download window.
#include <QDate>
#include <QLabel>

#include "archive/day_figures.h"
#include "core/calendar_date.h"
#include "ui/climate_window.h"
#include "ui/date_numbers.h"
#include "ui/main_window.h"
#include "ui/range_dialog.h"

namespace skyrill {

ShownDay MainWindow::shownDay() const {
  ShownDay day;
  const auto [station, date] = dayOnDisplay();
  day.station = station;
  day.caption = station;
  day.date = date;
  if (date == 0) {
    const QDate selected = dateLists_->selectedDate();
    if (selected.isValid())
      day.date = selected.year() * 10000 + selected.month() * 100 + selected.day();
    return day;
  }
  const JsonDocument& document = pipeline_->state().document;
  const std::string name = document.getText("res[0].name");
  if (!name.empty()) day.caption = QString::fromStdString(name) + QLatin1Char(' ') + station;
  // The values as the status panels show them.
  std::array<StatusLine, kStatusLineCount> lines = initialStatusLines();
  for (StatusLine& line : lines)
    line.text = statusPanel(line.bar, line.panel)->text().toStdString();
  SummaryRow row;
  row.date = date;
  row.statistics = statisticRowOf(lines);
  day.values = climateDayOf(row);
  return day;
}

void MainWindow::showClimate() {
  if (!archive_) return;
  if (climate_) {
    climate_->raise();
    climate_->activateWindow();
    return;
  }
  climate_ = new ClimateWindow(*archive_, shownDay(), this);
  connect(climate_, &ClimateWindow::downloadRequested, this, &MainWindow::downloadDaysOf);
  climate_->show();
}

void MainWindow::updateClimate(bool daysSaved) {
  if (!climate_) return;
  ShownDay day = shownDay();
  if (daysSaved) climate_->daysAdded(day.station);
  if (day.date != 0) climate_->showDay(std::move(day));
}

void MainWindow::downloadDaysOf(const QString& station, int first, int last) {
  if (RangeDialog* dialog = openRangeDialog())
    dialog->setStationAndDays(station, qDateOf(first), qDateOf(last));
}

}  // namespace skyrill
