#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "stations/directory_lists.h"
#include "stations/directory_service.h"

namespace skyrill {

// Cache file names in the program's directory.
inline constexpr std::string_view kProvinceCacheName = "ProvinceData";
inline constexpr std::string_view kStationCacheName = "SiteData";

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
  // Tells that an answer could not be read.
  virtual void showFailed() = 0;
};

// The province list and the station list of one province, with the answers
// they were read from and their caches beside the program. Lives for the
// whole run; the picker opens over it again and again.
class StationDirectory {
 public:
  StationDirectory(DirectorySource& source, std::filesystem::path cacheFolder)
      : source_(source), cacheFolder_(std::move(cacheFolder)) {}

  // Asks the service for a list and shows it in place of the old one.
  void downloadProvinces(DirectoryView& view);
  void downloadStations(DirectoryView& view, std::string_view provinceCode);

  // Shows the cached lists, provinces first; a missing cache is skipped.
  void readDirectoryCaches(DirectoryView& view);
  // Writes the held answers into the caches, each only when it was read as
  // a list, so that a failed download or an unreadable cache never replaces
  // a good cache.
  void writeDirectoryCaches() const;

  // Entry i is item i of the view's list.
  const std::vector<ProvinceEntry>& provinces() const { return provinces_; }
  const std::vector<StationEntry>& stations() const { return stations_; }
  std::string hostName() const { return source_.hostName(); }

 private:
  void loadProvinces(DirectoryView& view);
  void loadStations(DirectoryView& view);

  DirectorySource& source_;
  std::filesystem::path cacheFolder_;
  std::string provinceBytes_;
  std::string stationBytes_;
  bool provinceBytesRead_ = false;  // provinceBytes_ held a list when last loaded
  bool stationBytesRead_ = false;
  std::vector<ProvinceEntry> provinces_;
  std::vector<StationEntry> stations_;
};

}  // namespace skyrill
