#include "stations/station_directory.h"

#include <cstdint>
#include <optional>
#include <system_error>

#include "store/whole_file.h"

namespace skyrill {
namespace {

// A cache holds an answer the web client read, which never exceeds its body
// bound; a larger file is no cache of ours and is not read into memory.
constexpr std::uintmax_t kMaxCacheBytes = WebLimits{}.maxBodyBytes;

// The content of a cache file; nullopt when there is none, "" when there is
// one that cannot be read as an answer (a folder, unreadable, too large).
std::optional<std::string> readCache(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxCacheBytes) return std::string();
  return readWholeFile(path).value_or(std::string());
}

template <typename Entry>
std::vector<std::string> displayTexts(const std::vector<Entry>& entries) {
  std::vector<std::string> texts;
  texts.reserve(entries.size());
  for (const Entry& entry : entries) texts.push_back(displayText(entry));
  return texts;
}

}  // namespace

void StationDirectory::downloadProvinces(DirectoryView& view) {
  provinceBytes_ = source_.provinceList();
  loadProvinces(view);
}

void StationDirectory::downloadStations(DirectoryView& view, std::string_view provinceCode) {
  stationBytes_ = source_.stationList(provinceCode);
  loadStations(view);
}

void StationDirectory::loadProvinces(DirectoryView& view) {
  view.clearProvinceList();
  auto provinces = readProvinceList(provinceBytes_);
  provinceBytesRead_ = provinces.has_value();
  if (!provinces) {
    view.showFailed();
    return;
  }
  provinces_ = std::move(*provinces);
  view.addProvinceItems(displayTexts(provinces_));
}

void StationDirectory::loadStations(DirectoryView& view) {
  view.clearStationList();
  auto stations = readStationList(stationBytes_);
  stationBytesRead_ = stations.has_value();
  if (!stations) {
    view.showFailed();
    return;
  }
  stations_ = std::move(*stations);
  view.addStationItems(displayTexts(stations_));
}

void StationDirectory::readDirectoryCaches(DirectoryView& view) {
  if (auto bytes = readCache(cacheFolder_ / kProvinceCacheName)) {
    provinceBytes_ = std::move(*bytes);
    loadProvinces(view);
  }
  if (auto bytes = readCache(cacheFolder_ / kStationCacheName)) {
    stationBytes_ = std::move(*bytes);
    loadStations(view);
  }
}

void StationDirectory::writeDirectoryCaches() const {
  // Failures are silent: the caches only spare a download next time.
  if (provinceBytesRead_) writeWholeFile(cacheFolder_ / kProvinceCacheName, provinceBytes_);
  if (stationBytesRead_) writeWholeFile(cacheFolder_ / kStationCacheName, stationBytes_);
}

}  // namespace skyrill
