#pragma once

#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "archive/period_overview.h"
#include "ui/summary_chart.h"
#include "ui/thread_runner.h"

class QHBoxLayout;
class QLabel;

namespace skyrill {

class DateField;
class HistoryArchive;
class OverviewChart;

// The day under x of the summary chart in its own 960 × 480 drawing, by the
// chart's day axis; nothing left or right of the plot.
std::optional<int> summaryChartDateAt(double chartX, const Period& period);

// The period overview: the summary chart of one station's saved days over a
// period, drawn to the window's size. A resizable, modeless window of its
// owner; closing it deletes it.
//
// The days are read off the GUI thread; a newer period takes over from a
// read under way, and a refresh during a read of the same period reads again
// once it is over. The pointer over a day shows that day's values under the
// chart; a double-click on a saved day asks the owner to show it.
class OverviewWindow : public QWidget {
  Q_OBJECT

 public:
  // The station's 365 days that end at `date` (YYYYMMDD), read once the
  // event loop runs: what the owner sets up before then is taken.
  OverviewWindow(const HistoryArchive& archive, const QString& station, int date, QWidget* owner);
  ~OverviewWindow() override;

  // Follows the day on display: the period stays while it holds the date and
  // the station is the same; otherwise the 365 days that end at the date.
  void showDay(const QString& station, int date);
  // Reads another period; the date choosers follow.
  void setPeriod(Period period);
  // Reads files with `readFile` in place of the disk's own reading; a read
  // under way starts over with it.
  void setFileReader(std::function<std::string(const std::filesystem::path&)> readFile);

  QString station() const { return station_; }
  Period period() const { return period_; }
  // A read is under way or about to begin.
  bool isReading() const;
  // The days on display; none while the first read of a period is under way.
  const PeriodDays& shownDays() const { return shown_; }
  // What the chart area says in place of the chart; empty while it draws one.
  QString chartMessage() const;

 public slots:
  // Reads the period again, e.g. after a fetch saved days of the station.
  void refresh();
  // Refreshes when the days added are of the station shown.
  void daysAdded(const QString& station);

 signals:
  // A saved day was double-clicked: its file, for the owner to show.
  void dayChosen(const QString& filePath);
  // The days of the period have been read and are on display.
  void daysShown();

 private:
  struct Reading;

  QHBoxLayout* buildTopRow();
  void choosePeriodFromChoosers();
  void showPeriodInChoosers();
  void startReading();
  void showReadingIfNew();
  void finishReading(const std::shared_ptr<Reading>& reading);
  void showTitle();
  void hoverDate(std::optional<int> date);
  void chooseDate(int date);

  std::filesystem::path archiveRoot_;
  QString station_;
  Period period_;
  std::function<std::string(const std::filesystem::path&)> readFile_;

  PeriodDays shown_;
  SummaryChartDays chartDays_;
  std::shared_ptr<Reading> reading_;  // the read under way, if any
  bool readPending_ = false;          // the first read waits for the event loop
  bool readAgain_ = false;            // a refresh came during the read

  DateField* fromChooser_ = nullptr;
  DateField* toChooser_ = nullptr;
  OverviewChart* chart_ = nullptr;
  QLabel* readout_ = nullptr;

  // Last: going away, it waits for a read, which the destructor cancels first.
  ThreadRunner runner_;
};

}  // namespace skyrill
