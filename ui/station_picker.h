#pragma once

#include <QDialog>

#include <memory>

#include "stations/station_directory.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace skyrill {

class SearchBox;
class ThreadRunner;

// The modal window in which a station is chosen from the directory: the
// provinces on the left, the stations of one province on the right, a
// search box under each list. Confirming a station writes the directory's
// caches and closes the window with the station's number. Downloads run in
// the background: the window goes on, and Esc or "&C.取消" stops them.
class StationPicker : public QDialog, public DirectoryView {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 352;
  static constexpr int kClientHeight = 232;

  // Opens over the owner with the cached lists; asks the service nothing.
  // Downloads run on the runner; without one, on threads of the picker's own.
  StationPicker(StationDirectory& directory, QWidget* owner, TaskRunner* runner = nullptr);
  ~StationPicker() override;

  // The number of the confirmed station; empty unless one was confirmed.
  const QString& confirmedStation() const { return confirmedStation_; }

  // DirectoryView
  void clearProvinceList() override;
  void clearStationList() override;
  void addProvinceItems(const std::vector<std::string>& texts) override;
  void addStationItems(const std::vector<std::string>& texts) override;
  void replaceStationItems(const std::vector<std::string>& texts) override;
  void showFailed() override;
  void showDownloading(bool running) override;
  // Asks whether to trust the certificate; trusted, a refresh goes through.
  void offerCertificate(const ServerCertificate& certificate) override;
  void showAllStationsProgress(const AllStationsProgress& progress) override;

 public slots:
  void refreshProvinces();
  // "&A.全部下载": the stations of every province, so that a search finds any.
  void downloadAllStations();
  void refreshStationsOfSelection();
  void confirmStation();
  // Esc and "&C.取消": stops the download under way, or else closes.
  void reject() override;
  // A closed picker waits for nothing: a download under way is cancelled.
  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildElements();
  void setFocusOrder();
  // Select what the box's typed text finds, or tell that it finds nothing.
  void searchProvinces();
  void searchStations();

  StationDirectory& directory_;
  std::unique_ptr<ThreadRunner> ownRunner_;
  TaskRunner& runner_;
  QPushButton* provinceRefreshButton_ = nullptr;
  QPushButton* stationRefreshButton_ = nullptr;
  QListWidget* provinceList_ = nullptr;
  QListWidget* stationList_ = nullptr;
  SearchBox* provinceSearchBox_ = nullptr;
  SearchBox* stationSearchBox_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* confirmButton_ = nullptr;
  QPushButton* allStationsButton_ = nullptr;
  QProgressBar* allStationsBar_ = nullptr;
  QLabel* allStationsLabel_ = nullptr;
  AllStationsProgress allStations_;  // the last download of every province
  bool allStationsRunning_ = false;
  QString confirmedStation_;
  QPushButton* focusBeforeDownload_ = nullptr;  // the refresh button the focus goes back to
};

}  // namespace skyrill
