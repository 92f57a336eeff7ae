#pragma once

#include <QDialog>

#include "stations/station_directory.h"

class QListWidget;
class QPushButton;

namespace skyrill {

class SearchBox;

// The modal window in which a station is chosen from the directory: the
// provinces on the left, the stations of one province on the right, a
// search box under each list. Confirming a station writes the directory's
// caches and closes the window with the station's number.
class StationPicker : public QDialog, public DirectoryView {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 352;
  static constexpr int kClientHeight = 232;

  // Opens over the owner with the cached lists; asks the service nothing.
  StationPicker(StationDirectory& directory, QWidget* owner);
  ~StationPicker() override;

  // The number of the confirmed station; empty unless one was confirmed.
  const QString& confirmedStation() const { return confirmedStation_; }

  // DirectoryView
  void clearProvinceList() override;
  void clearStationList() override;
  void addProvinceItems(const std::vector<std::string>& texts) override;
  void addStationItems(const std::vector<std::string>& texts) override;
  void showFailed() override;

 public slots:
  void refreshProvinces();
  void refreshStationsOfSelection();
  void confirmStation();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void buildElements();
  void setFocusOrder();
  // Selects the first item of the list that begins with the box's typed text.
  void searchList(QListWidget& list, const SearchBox& box);

  StationDirectory& directory_;
  QPushButton* provinceRefreshButton_ = nullptr;
  QPushButton* stationRefreshButton_ = nullptr;
  QListWidget* provinceList_ = nullptr;
  QListWidget* stationList_ = nullptr;
  SearchBox* provinceSearchBox_ = nullptr;
  SearchBox* stationSearchBox_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* confirmButton_ = nullptr;
  QString confirmedStation_;
};

}  // namespace skyrill
