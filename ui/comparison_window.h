#pragma once

#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "archive/comparison_plot.h"
#include "archive/history_archive.h"
#include "archive/station_comparison.h"
#include "fetch/range_fetcher.h"
#include "ui/thread_runner.h"

class QComboBox;
class QPrinter;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace skyrill {

class ComparisonView;
class DateField;
class RangeRun;
class StationDirectory;
struct PrintSheet;
struct ComparisonHit;

// Stations side by side: 2 to 6 stations, one day hour by hour or a period
// day by day, one element on one shared scale. A resizable, modeless window
// of its owner; closing it deletes it.
//
// The days come from the archive, read off the GUI thread as the summary
// reads them; days the archive lacks are then fetched through the range
// fetcher on a thread of its own (Esc or "取消" stops it), saved there and
// read again, each comparison's range once. A newer comparison takes over
// from a read under way. The pointer over the chart (or the arrow keys)
// gives every station's value at that hour or day; a double-click on a
// station's mark asks the owner to show that station's day.
class ComparisonWindow : public QWidget {
  Q_OBJECT

 public:
  enum class Mode { Day, Period };

  // How to ask the data service for missing days (key, proxy, server,
  // source, bounds), asked at each fetch so that a change made in the owner
  // meanwhile counts; the stations and days come from the window.
  using FetchSettings = std::function<RangeRequest()>;

  // The first comparison is of `date` (YYYYMMDD).
  ComparisonWindow(const HistoryArchive& archive, FetchSettings fetchSettings, int date,
                   QWidget* owner);
  ~ComparisonWindow() override;

  // The station on display in the owner, which "本站" adds; the first
  // station of a window that has none yet.
  void setStationOnDisplay(const QString& station);
  // The directory "选择站点…" picks from; without one the button is off.
  void setStationDirectory(StationDirectory* directory);
  // The wind and visibility the days are read with; a change reads again.
  void setVariants(DayVariants variants);

  // Adds a station by its number, or by an archived station's entry as the
  // list offers it; false, with a note shown, when it cannot be added.
  bool addStation(const QString& text);
  void removeStation(int row);
  void moveStation(int row, int step);
  std::vector<std::string> stations() const { return choices_.stations(); }

  void compareDay(int date);
  void comparePeriod(Period period);
  void setElement(ComparedElement element);
  Mode mode() const { return mode_; }
  ComparedElement element() const { return element_; }

  // A read is under way or about to begin; a fetch runs.
  bool isReading() const { return reading_ != nullptr || readPending_; }
  bool isFetching() const { return run_ != nullptr; }
  const ComparisonPlot& plot() const { return plot_; }
  // What the chart area says in place of the chart; empty while it draws one.
  QString chartMessage() const;
  QString readoutText() const;
  // The compared values as the export writes them.
  std::string comparisonCsvText() const;
  // What "打印…" prints: the chart and the table of its values.
  PrintSheet comparisonSheet() const;
  // Prints the comparison on the printer as it is set up; false when nothing
  // could be printed.
  bool printComparison(QPrinter& printer) const;

 public slots:
  // Reads the comparison again.
  void refresh();
  // Reads again when a station compared has new days.
  void daysAdded(const QString& station);
  // Stops the fetch under way; the days saved stay.
  void cancelFetch();
  void exportComparison();
  void printComparison();

 signals:
  // A station's saved day was double-clicked: its file, for the owner.
  void dayChosen(const QString& filePath);
  // A fetch saved days of the station.
  void daysSaved(const QString& station);
  // The comparison read last is on display.
  void comparisonShown();
  // A fetch of missing days has ended.
  void fetchFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct Reading;

  QWidget* buildStationBox();
  QWidget* buildChoiceBox();
  QWidget* buildFooter();
  void connectInputs();
  void showStations();
  void showNote(const QString& note);
  void loadArchivedStations();
  void addTypedStation();
  void addStationOnDisplay();
  void pickStation();
  void takeModeAndDates();
  void showModeInInputs();
  // The inputs and the chart follow the mode and dates.
  void modeOrDatesChanged();
  void showElementChoices();
  void elementChosen();

  void scheduleReading();
  void startReading();
  void finishReading(const std::shared_ptr<Reading>& reading);
  void rebuildPlot();
  std::map<std::string, std::string> knownCaptions() const;
  QString coverageText() const;
  void showPlace(std::optional<int> place);
  void openStationDay(const ComparisonHit& hit);

  // The range of the comparison on display, when days of it are missing.
  std::optional<RangeRequest> missingDaysRequest();
  void startFetch(const RangeRequest& request);
  void showFetchProgress(const DayResult& day, const RangeCounts& counts);
  void finishFetch(const RangeReport& report);
  std::string comparisonKey() const;
  QString exportBaseName() const;

  HistoryArchive archive_;
  FetchSettings fetchSettings_;
  DayVariants variants_;
  StationDirectory* directory_ = nullptr;
  StationChoices choices_;
  std::map<std::string, QString> captions_;  // "哈尔滨 50953" by number, as known
  QString stationOnDisplay_;
  Mode mode_ = Mode::Day;
  int date_ = 0;
  Period period_;
  ComparedElement element_ = ComparedElement::Temperature;

  // The comparison on display and its chart.
  Mode shownMode_ = Mode::Day;
  int shownDate_ = 0;
  PeriodComparison periodData_;
  std::vector<ComparedDay> dayData_;
  ComparisonPlot plot_;
  bool hasData_ = false;

  std::shared_ptr<Reading> reading_;
  bool readPending_ = false;

  std::unique_ptr<RangeRun> run_;
  std::set<std::string> fetchedStations_;  // of the run under way
  std::set<std::string> triedRanges_;      // comparisons whose gaps were asked for

  QComboBox* stationInput_ = nullptr;
  QPushButton* addButton_ = nullptr;
  QPushButton* displayedButton_ = nullptr;
  QPushButton* pickButton_ = nullptr;
  QListWidget* stationList_ = nullptr;
  QPushButton* upButton_ = nullptr;
  QPushButton* downButton_ = nullptr;
  QPushButton* removeButton_ = nullptr;
  QLabel* noteLabel_ = nullptr;
  QRadioButton* dayButton_ = nullptr;
  QRadioButton* periodButton_ = nullptr;
  DateField* dayField_ = nullptr;
  DateField* fromField_ = nullptr;
  DateField* toField_ = nullptr;
  QComboBox* elementList_ = nullptr;
  ComparisonView* view_ = nullptr;
  QLabel* readout_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* progressLabel_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* exportButton_ = nullptr;
  QPushButton* printButton_ = nullptr;

  // Last: going away, it waits for a read, which the destructor cancels first.
  ThreadRunner runner_;
};

}  // namespace skyrill
