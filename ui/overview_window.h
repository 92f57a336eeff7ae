#pragma once

#include <QDate>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/daily_normals.h"
#include "archive/month_statistics.h"
#include "archive/period_overview.h"
#include "ui/summary_chart.h"
#include "ui/text_table.h"
#include "ui/thread_runner.h"

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPrinter;
class QTableWidget;
class QTabWidget;

namespace skyrill {

class DateField;
class HistoryArchive;
class OverviewChart;
struct PrintSheet;

// The day under x of the summary chart in its own 960 × 480 drawing, by the
// chart's day axis; nothing left or right of the plot.
std::optional<int> summaryChartDateAt(double chartX, const Period& period);

// The period overview: the summary chart of one station's saved days over a
// period, drawn to the window's size, and below it the period's months
// ("月统计") and the station's climate table ("气候表"). A resizable,
// modeless window of its owner; closing it deletes it.
//
// The days are read off the GUI thread; a newer period takes over from a
// read under way, and a refresh during a read of the same period reads again
// once it is over. The station's days of every year follow in the
// background, for the climate table and for the band of normals and the
// record marks on the chart, which are kept while the station stays. The
// pointer over a day shows that day's values under the chart; a
// double-click on a saved day asks the owner to show it.
class OverviewWindow : public QWidget {
  Q_OBJECT

 public:
  // The station's 365 days that end at `date` (YYYYMMDD), read once the
  // event loop runs: what the owner sets up before then is taken.
  OverviewWindow(const HistoryArchive& archive, const QString& station, int date, QWidget* owner);
  ~OverviewWindow() override;

  // Follows the day on display: the period stays while it holds the date and
  // the station is the same; otherwise the 365 days that end at the date.
  // The presets count from the date.
  void showDay(const QString& station, int date);
  // Reads another period; the date choosers follow.
  void setPeriod(Period period);
  // The period of a preset, from the day followed and today.
  void choosePreset(PeriodPreset preset);
  // Reads files with `readFile` in place of the disk's own reading; a read
  // under way starts over with it.
  void setFileReader(std::function<std::string(const std::filesystem::path&)> readFile);
  // Where today comes from, for the presets; the local clock by default.
  void setToday(std::function<QDate()> today) { today_ = std::move(today); }

  QString station() const { return station_; }
  Period period() const { return period_; }
  // A read is under way or about to begin.
  bool isReading() const;
  // The station's days of every year are being read.
  bool isReadingClimate() const { return climateReading_ != nullptr; }
  // The days on display; none while the first read of a period is under way.
  const PeriodDays& shownDays() const { return *shown_; }
  // What the chart draws: the days, and the normals and records when shown.
  const SummaryChartDays& chartDays() const { return chartDays_; }
  // The months of the period on display.
  const std::vector<MonthStatistics>& months() const { return months_; }
  // The station's climate table as CSV, as skyrill-summary --climate
  // writes it; empty until its days are read.
  const std::string& climateCsvText() const { return climateCsv_; }
  // What the chart area says in place of the chart; empty while it draws one.
  QString chartMessage() const;

  // What a printed page of the overview shows: the chart and the months.
  PrintSheet overviewSheet() const;
  // Prints it on the printer as set up; false when nothing could be printed.
  bool printOverview(QPrinter& printer) const;

 public slots:
  // Reads the period again, e.g. after a fetch saved days of the station.
  void refresh();
  // Refreshes when the days added are of the station shown.
  void daysAdded(const QString& station);
  // "导出…" (Ctrl+S): the chart as a picture by its ending, or as CSV the
  // period's days with its months beside them, or the climate table.
  void exportOverview();
  // The climate table as CSV.
  void exportClimateTable();
  // Ctrl+C: the chart as a picture and the days as tab-separated text; in
  // a table, the cells selected there.
  void copyOverview();
  // "打印…" (Ctrl+P): the chart and the months through the print dialog.
  void printOverview();

 signals:
  // A saved day was double-clicked: its file, for the owner to show.
  void dayChosen(const QString& filePath);
  // The days of the period have been read and are on display.
  void daysShown();
  // The station's climate table has been read and is on display, and with
  // it the band of normals and the records on the chart when they are shown.
  void climateShown();

 private:
  struct Reading;
  struct ClimateReading;
  struct Drawing;

  QHBoxLayout* buildTopRow();
  QWidget* buildTables();
  void addKeys();
  void choosePeriodFromChoosers();
  void showPeriodInChoosers();
  void startReading();
  void showReadingIfNew();
  void finishReading(const std::shared_ptr<Reading>& reading);
  void startClimateReading();
  void finishClimateReading(const std::shared_ptr<ClimateReading>& reading);
  void startDrawing();
  void finishDrawing(const std::shared_ptr<Drawing>& drawing);
  // The climate is read for the station on display.
  bool holdsClimate() const;
  bool drawsClimate() const;
  void forgetClimate();
  void showClimateTable();
  void showMonths();
  void showTitle();
  void hoverDate(std::optional<int> date);
  void chooseDate(int date);
  void chooseAllDays();
  // The name a file of the overview is offered under, without its ending.
  QString exportBaseName() const;
  bool writeDaysCsv(const QString& path);

  std::filesystem::path archiveRoot_;
  QString station_;
  Period period_;
  int anchor_ = 0;  // the day followed, YYYYMMDD
  std::function<std::string(const std::filesystem::path&)> readFile_;
  std::function<QDate()> today_;

  std::shared_ptr<const PeriodDays> shown_;
  SummaryChartDays chartDays_;
  std::vector<MonthStatistics> months_;
  std::shared_ptr<Reading> reading_;  // the read under way, if any
  bool readPending_ = false;          // the first read waits for the event loop
  bool readAgain_ = false;            // a refresh came during the read

  // The station's days of every year, once read, and what they make.
  std::string climateStation_;
  std::shared_ptr<const StationDays> climate_;
  std::shared_ptr<ClimateReading> climateReading_;
  std::shared_ptr<Drawing> drawing_;
  TextRows climateRows_;
  std::string climateCsv_;

  DateField* fromChooser_ = nullptr;
  DateField* toChooser_ = nullptr;
  QComboBox* presetChooser_ = nullptr;
  QCheckBox* climateBox_ = nullptr;
  OverviewChart* chart_ = nullptr;
  QLabel* readout_ = nullptr;
  QTabWidget* tables_ = nullptr;
  QTableWidget* monthTable_ = nullptr;
  QTableWidget* climateTable_ = nullptr;
  QLabel* climateNote_ = nullptr;

  // Last: going away, it waits for a read, which the destructor cancels first.
  ThreadRunner runner_;
};

}  // namespace skyrill
