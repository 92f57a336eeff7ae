#pragma once

#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "archive/daily_normals.h"
#include "ui/thread_runner.h"

class QLabel;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace skyrill {

class HistoryArchive;
class SameDayChart;
struct PrintSheet;

// The day the climate window follows, as the main window shows it.
struct ShownDay {
  QString station;  // the number the archive files its days under
  QString caption;  // "哈尔滨 50953", or the number alone
  int date = 0;     // YYYYMMDD
  // Its values as its panels show them; none where the window shows no day.
  std::optional<ClimateDay> values;
};

// "历史同期": the day on display in its station's climate. For its highest,
// lowest and mean temperature and its precipitation: the value, the normal
// of its calendar day, the departure, its rank among the same date of the
// saved years and that date's records; a chart of the date over the years;
// and a table of the date in every saved year, the day's year marked. A
// modeless window of its owner; closing it deletes it.
//
// The days around the date in every year are read off the GUI thread, and
// kept while the station and the calendar day stay; a newer day takes over
// from a read under way. With fewer than three years of the date it says so
// and offers to download the years missing.
class ClimateWindow : public QWidget {
  Q_OBJECT

 public:
  // Reads the day once the event loop runs.
  ClimateWindow(const HistoryArchive& archive, ShownDay day, QWidget* owner);
  ~ClimateWindow() override;

  // Follows the day on display.
  void showDay(ShownDay day);
  // Reads files with `readFile` in place of the disk's own reading; a read
  // under way starts over with it.
  void setFileReader(std::function<std::string(const std::filesystem::path&)> readFile);

  const ShownDay& day() const { return day_; }
  // A read is under way or about to begin.
  bool isReading() const { return readPending_ || reading_ != nullptr; }
  // The day in its climate as on display; its date is 0 until it is read.
  const DayInClimate& climate() const { return climate_; }

  // What a printed page shows: the chart, the day's figures and the table.
  PrintSheet climateSheet() const;
  bool printClimate(QPrinter& printer) const;

 public slots:
  // Reads the days again, e.g. after days of the station were saved.
  void refresh();
  void daysAdded(const QString& station);
  // "导出…" (Ctrl+S): the chart as a picture by its ending, or the table of
  // the date as CSV (as skyrill-summary --on writes it).
  void exportClimate();
  // Ctrl+C: the chart as a picture and the tables as tab-separated text; in
  // a table, the cells selected there.
  void copyClimate();
  // "打印…" (Ctrl+P).
  void printClimate();
  // "下载多日…": asks the owner to download the days the climate needs.
  void downloadMissing();

 signals:
  // The day's climate has been read and is on display.
  void climateShown();
  // The station's days from `first` to `last` (YYYYMMDD) are wanted.
  void downloadRequested(const QString& station, int first, int last);

 private:
  struct Reading;

  void buildElements();
  void addKeys();
  void startReading();
  void finishReading(const std::shared_ptr<Reading>& reading);
  void showClimate();
  void showHeading();
  QString exportBaseName() const;

  std::filesystem::path archiveRoot_;
  ShownDay day_;
  std::function<std::string(const std::filesystem::path&)> readFile_;
  // The days around the calendar day of `daysKey_` (station and MMDD).
  std::shared_ptr<const StationDays> days_;
  std::string daysKey_;
  DayInClimate climate_;
  std::shared_ptr<Reading> reading_;
  bool readPending_ = false;

  QLabel* heading_ = nullptr;
  QLabel* fewYearsNote_ = nullptr;
  QPushButton* downloadButton_ = nullptr;
  QTableWidget* figuresTable_ = nullptr;
  SameDayChart* chart_ = nullptr;
  QTableWidget* yearsTable_ = nullptr;

  // Last: going away, it waits for a read, which the destructor cancels first.
  ThreadRunner runner_;
};

}  // namespace skyrill
