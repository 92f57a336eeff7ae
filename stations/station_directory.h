#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/task_runner.h"
#include "stations/cache_files.h"
#include "stations/directory_lists.h"
#include "stations/directory_service.h"
#include "stations/held_station_lists.h"

namespace skyrill {

// A download of every province's stations: provinces asked so far, of how
// many, and how many of them gave no list.
struct AllStationsProgress {
  std::size_t done = 0;
  std::size_t total = 0;
  std::size_t failed = 0;
  bool finished = false;  // the last province has been asked
};

// What the directory needs of the window that shows its two lists.
class DirectoryView {
 public:
  virtual ~DirectoryView() = default;
  // Empties both lists and resets both search boxes.
  virtual void clearProvinceList() = 0;
  // Empties the station list and resets its search box.
  virtual void clearStationList() = 0;
  virtual void addProvinceItems(const std::vector<std::string>& texts) = 0;
  virtual void addStationItems(const std::vector<std::string>& texts) = 0;
  // Puts these stations in place of the station list's items, leaving its
  // search box as it is: the search being typed there asked for them.
  virtual void replaceStationItems(const std::vector<std::string>& texts) = 0;
  // Tells that an answer could not be read.
  virtual void showFailed() = 0;
  // A download has started (true) or has ended or been cancelled (false).
  virtual void showDownloading(bool running) = 0;
  // The server's certificate that a download just refused, after "Failed":
  // the user may decide to trust it (see StationDirectory::keepCertificate).
  virtual void offerCertificate(const ServerCertificate& /*certificate*/) {}
  // How far a download of every province's stations has come.
  virtual void showAllStationsProgress(const AllStationsProgress& progress) = 0;
};

// Where a typed text found a station.
struct StationFound {
  // The province whose held stations hold it, by its position in
  // provinces(); none when it is in the list on screen.
  std::optional<std::size_t> province;
  std::size_t station = 0;  // its position in that province's list
};

// The province list and the station list of one province, with the answers
// they were read from and their caches beside the program. Lives for the
// whole run; the picker opens over it again and again.
class StationDirectory {
 public:
  StationDirectory(DirectorySource& source, std::filesystem::path cacheFolder);
  ~StationDirectory();
  StationDirectory(const StationDirectory&) = delete;
  StationDirectory& operator=(const StationDirectory&) = delete;

  // Asks the service for a list on the runner and, once the answer is in,
  // shows it in place of the old one on the thread that asked. The view
  // must stay until the download ends or is cancelled. Nothing starts while
  // another download is under way.
  void downloadProvinces(DirectoryView& view, TaskRunner& runner);
  void downloadStations(DirectoryView& view, TaskRunner& runner, std::string provinceCode);
  // Asks for the stations of every province, one province after another,
  // and holds each list as a download of it would, so that a search finds
  // any station; the list on screen stays. The province list comes first
  // when none is shown. The view hears of each province asked.
  void downloadAllStations(DirectoryView& view, TaskRunner& runner);
  bool downloading() const { return pending_ != nullptr; }
  // Ends the download under way as if it had never started: the lists, the
  // answers and the caches stay as they were. A download of every province
  // stops there, keeping the provinces it has. False when none runs.
  bool cancelDownload();

  // Shows the cached lists, provinces first; a missing cache is skipped.
  void readDirectoryCaches(DirectoryView& view);
  // Writes the held answers into the caches, each only when it was read as
  // a list, so that a failed download or an unreadable cache never replaces
  // a good cache.
  void writeDirectoryCaches() const;

  // The first shown province whose name begins with the typed text.
  std::optional<std::size_t> findProvince(std::string_view typed) const;
  // Where the typed text, a city or the first digits of a number, finds a
  // station: in the list on screen first, then in the held stations of the
  // other shown provinces, in their order.
  std::optional<StationFound> findStation(std::string_view typed);
  // Shows the held stations of the province at that position as a download
  // of them would, with the view's search box left alone.
  void showHeldStations(DirectoryView& view, std::size_t province);

  // Entry i is item i of the view's list.
  const std::vector<ProvinceEntry>& provinces() const { return provinces_; }
  const std::vector<StationEntry>& stations() const { return stations_; }
  std::string hostName() const { return source_.hostName(); }

  // What keeps a certificate the user decides to trust, false when it could
  // not be written down; without it, refused certificates are not offered.
  using KeepCertificate = std::function<bool(const ServerCertificate&)>;
  void setCertificateKeeper(KeepCertificate keep) { keepCertificate_ = std::move(keep); }
  // Trusts the certificate from now on; false when it could not be written down.
  bool keepCertificate(const ServerCertificate& certificate) const {
    return keepCertificate_ && keepCertificate_(certificate);
  }

 private:
  struct PendingDownload;
  // A download of every province's stations under way.
  struct AllStationsRun {
    TaskRunner* runner = nullptr;
    std::vector<std::string> provinceCodes;  // empty until the provinces are known
    AllStationsProgress progress;
  };

  void startDownload(DirectoryView& view, TaskRunner& runner,
                     std::optional<std::string> provinceCode);
  void endDownload(PendingDownload& download);
  // Offers the certificate the download's request refused, if it did.
  void offerRefusedCertificate(DirectoryView& view);
  // The next step of the download of every province, after `download`.
  void continueAllStations(DirectoryView& view, PendingDownload& download);
  void askNextProvince(DirectoryView& view);
  void loadProvinces(DirectoryView& view);
  // True when the answer was read as a list and is shown.
  bool loadStations(DirectoryView& view);
  // The code of the shown province of that name; empty when there is none.
  std::string provinceCodeNamed(std::string_view name) const;

  DirectorySource& source_;
  std::filesystem::path cacheFolder_;
  HeldStationLists heldStations_;
  std::string provinceBytes_;
  std::string stationBytes_;
  bool provinceBytesRead_ = false;  // provinceBytes_ held a list when last loaded
  bool stationBytesRead_ = false;
  std::vector<ProvinceEntry> provinces_;
  std::vector<StationEntry> stations_;
  // The view's lists show provinces_ / stations_; after a failed load they
  // are empty while the entries keep their content.
  bool provincesShown_ = false;
  bool stationsShown_ = false;
  std::string stationsProvince_;  // the code of the province of stations_; empty when unknown
  std::shared_ptr<PendingDownload> pending_;  // the download under way, if any
  KeepCertificate keepCertificate_;
  std::optional<AllStationsRun> allStations_;
};

}  // namespace skyrill
