#pragma once

#include <QDate>
#include <QDialog>

#include <memory>

#include "fetch/range_fetcher.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace skyrill {

class DateField;
class HistoryArchive;
class RangeRun;
class StationDirectory;

// The window in which many past days of one station are fetched into the
// History archive. It does not block its owner: the fetch runs on a thread
// of its own, "取消" stops it, and so does closing the window. At the end it
// tells what was fetched and offers to open the last day.
class RangeDialog : public QDialog {
  Q_OBJECT

 public:
  // `settings` gives how to ask (key, proxy, server, source, limits); the
  // station and the days come from the dialog. The archive must outlive it.
  // Without a directory the station picker cannot be opened.
  RangeDialog(const RangeRequest& settings, const HistoryArchive& archive, const QString& station,
              StationDirectory* directory, QWidget* owner);
  ~RangeDialog() override;

  bool running() const { return run_ != nullptr; }
  // Fills in the station and the days to fetch, unless a run is under way.
  void setStationAndDays(const QString& station, const QDate& first, const QDate& last);

 signals:
  // "打开最后一天": the file of the latest day now in the archive.
  void openDayRequested(const QString& path);
  // A run has ended having saved days of the station.
  void daysSaved(const QString& station);

 public slots:
  // Checks the inputs and starts the run, or says why it cannot.
  void start();
  // Stops a run under way; closes the dialog when none is.
  void cancel();
  // Any close (the close box, Esc) stops a run under way first.
  void done(int result) override;

 private:
  void buildElements();
  QWidget* buildInputs();
  QWidget* buildButtons();
  void pickStation();
  // The request the inputs make, with the settings from the owner.
  RangeRequest requestFromInputs() const;
  void runOnWorker(const RangeRequest& request);
  void showCounts(const RangeCounts& counts);
  // The problem line over the progress; empty hides it.
  void showProblem(const QString& problem);
  void finishRun(const RangeReport& report);
  void stopRun();
  void setRunning(bool running);

  RangeRequest settings_;
  const HistoryArchive& archive_;
  StationDirectory* directory_;
  std::unique_ptr<RangeRun> run_;
  QString runStation_;  // the station of the run under way or last run
  QString lastSaved_;

  QLineEdit* stationField_ = nullptr;
  QPushButton* pickButton_ = nullptr;
  DateField* firstDayEdit_ = nullptr;
  DateField* lastDayEdit_ = nullptr;
  QLabel* problemLabel_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* countsLabel_ = nullptr;
  QPlainTextEdit* summaryText_ = nullptr;
  QPushButton* openLastDayButton_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace skyrill
