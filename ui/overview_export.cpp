// What the period overview hands on: its chart and tables exported, copied
// and printed.
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QTableWidget>

#include <filesystem>

#include "archive/archive_names.h"
#include "archive/summary_csv.h"
#include "core/calendar_date.h"
#include "store/whole_file.h"
#include "ui/export_dialog.h"
#include "ui/overview_window.h"
#include "ui/picture_files.h"
#include "ui/print_sheet.h"
#include "ui/table_window.h"

namespace skyrill {
namespace {

const QString kDaysCsvFilter = QStringLiteral("CSV 逐日数据和月统计（*.csv） (*.csv)");
const QString kClimateCsvFilter = QStringLiteral("CSV 气候表（*.csv） (*.csv)");

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

bool writeText(const QString& path, const std::string& text) {
  return writeWholeFile(std::filesystem::path(path.toStdString()), text);
}

bool isCsvName(const QString& path) {
  return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive);
}

// The months' file beside the days' one: 哈尔滨_50953_….csv gives
// 哈尔滨_50953_…_月统计.csv.
QString monthsFileBeside(const QString& daysPath) {
  const QString stem = isCsvName(daysPath) ? daysPath.chopped(4) : daysPath;
  return stem + QStringLiteral("_月统计.csv");
}

// "哈尔滨 50953" as its name and its number; a caption without a name is
// the number alone.
std::pair<std::string, std::string> nameAndNumber(const std::string& caption) {
  const std::size_t space = caption.rfind(' ');
  if (space == std::string::npos) return {{}, caption};
  return {caption.substr(0, space), caption.substr(space + 1)};
}

QString periodText(const Period& period) {
  return fromUtf8(dateText(period.first)) + QStringLiteral(" 至 ") +
         fromUtf8(dateText(period.last));
}

}  // namespace

QString OverviewWindow::exportBaseName() const {
  const auto [name, number] = nameAndNumber(shownDays().caption());
  return fromUtf8(readableDayName(
      name, number, dateText(shownDays().period.first) + "_" + dateText(shownDays().period.last)));
}

bool OverviewWindow::writeDaysCsv(const QString& path) {
  // The dialog asked about the days' file only: the months' file beside it
  // is the user's to keep too.
  const QString months = monthsFileBeside(path);
  if (QFileInfo::exists(months) &&
      QMessageBox::question(
          this, QStringLiteral("导出"),
          QStringLiteral("%1 已存在。\n要替换它吗？").arg(QFileInfo(months).fileName()),
          QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
    return false;
  if (!writeText(path, summaryCsv(shownDays().days))) {
    tellExportFailed(this, path);
    return false;
  }
  if (writeText(months, monthStatisticsCsv(months_))) return true;
  tellExportFailed(this, months);
  return false;
}

void OverviewWindow::exportOverview() {
  if (isReading() || shownDays().days.empty()) return;
  QStringList filters = pictureExportFilters();
  filters << kDaysCsvFilter << kClimateCsvFilter;
  const ExportChoice choice =
      askExportFile(this, true, filters, exportBaseName() + QStringLiteral(".png"));
  if (choice.path.isEmpty()) return;
  if (isCsvName(choice.path)) {
    if (choice.filter == kClimateCsvFilter) {
      if (climateCsv_.empty()) {
        QMessageBox::information(this, QStringLiteral("导出"),
                                 QStringLiteral("气候表还在读取，稍后再导出。"));
      } else if (!writeText(choice.path, climateCsv_)) {
        tellExportFailed(this, choice.path);
      }
      return;
    }
    writeDaysCsv(choice.path);
    return;
  }
  if (!acceptPictureName(this, choice.path)) return;
  if (!saveSummaryChart(chartDays_, choice.path)) tellExportFailed(this, choice.path);
}

void OverviewWindow::exportClimateTable() {
  if (climateCsv_.empty()) return;
  const auto [name, number] = nameAndNumber(shownDays().caption());
  const QString suggested =
      fromUtf8(readableDayName(name, number.empty() ? station_.toStdString() : number, "气候表")) +
      QStringLiteral(".csv");
  const ExportChoice choice =
      askExportFile(this, false, {kClimateCsvFilter}, suggested, std::nullopt, kClimateCsvFilter);
  if (choice.path.isEmpty()) return;
  if (!writeText(choice.path, climateCsv_)) tellExportFailed(this, choice.path);
}

void OverviewWindow::copyOverview() {
  // A table with cells selected copies them, as the data grid does.
  if (copyFocusedSelection({monthTable_, climateTable_})) return;
  if (isReading() || shownDays().days.empty()) return;
  TextRows rows;
  for (const SummaryRow& day : shownDays().days) rows.push_back(summaryCells(day));
  auto* data = new QMimeData;
  data->setImageData(drawSummaryChart(chartDays_));
  data->setText(tabSeparatedRows(summaryHeader(), rows));
  QGuiApplication::clipboard()->setMimeData(data);
}

PrintSheet OverviewWindow::overviewSheet() const {
  PrintSheet sheet;
  if (shownDays().days.empty()) return sheet;
  const QString caption = fromUtf8(shownDays().caption());
  sheet.titleLines = {QStringLiteral("时段概览　") + caption, periodText(shownDays().period)};
  // The sheet is painted after this returns, from the days on display.
  const SummaryChartDays* chart = &chartDays_;
  sheet.pictures.push_back({QSizeF(kSummaryChartWidth, kSummaryChartHeight),
                            [chart](QPainter& painter) { paintSummaryChart(painter, *chart); }});
  sheet.tableRows.push_back({});
  for (const std::string& cell : monthStatisticsHeader()) sheet.tableRows.back() << fromUtf8(cell);
  for (const auto& row : monthStatisticsRows(months_)) {
    QStringList cells;
    for (const std::string& cell : row) cells << fromUtf8(cell);
    sheet.tableRows.push_back(cells);
  }
  sheet.tableHasHeader = true;
  sheet.caption = caption + QStringLiteral("　") + periodText(shownDays().period) +
                  QStringLiteral("　") + fromUtf8(coverageText(shownDays()));
  return sheet;
}

bool OverviewWindow::printOverview(QPrinter& printer) const {
  return printSheet(printer, overviewSheet());
}

void OverviewWindow::printOverview() {
  if (isReading() || shownDays().days.empty()) return;
  // The chart is twice as wide as it is high, the months' table wide too.
  printThroughDialog(this, exportBaseName(), true,
                     [this](QPrinter& printer) { return printOverview(printer); });
}

}  // namespace skyrill
