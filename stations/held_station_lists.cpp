#include "stations/held_station_lists.h"

#include <system_error>

#include "stations/cache_files.h"
#include "store/whole_file.h"

namespace skyrill {

void HeldStationLists::keep(const std::string& provinceCode, const HeldStations& answer) {
  const std::optional<std::string> name = stationListFileName(provinceCode);
  if (!name || answer.stations.empty()) return;
  held_[provinceCode] = answer;
  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  writeWholeFile(folder_ / *name, answer.bytes);
}

void HeldStationLists::keepIfNone(const std::string& provinceCode, const HeldStations& answer) {
  if (provinceCode.empty() || answer.stations.empty() || find(provinceCode)) return;
  held_[provinceCode] = answer;
}

const HeldStations* HeldStationLists::find(const std::string& provinceCode) {
  auto found = held_.find(provinceCode);
  if (found == held_.end()) found = held_.emplace(provinceCode, readFile(provinceCode)).first;
  return found->second ? &*found->second : nullptr;
}

std::optional<HeldStations> HeldStationLists::readFile(std::string_view provinceCode) const {
  const std::optional<std::string> name = stationListFileName(provinceCode);
  if (!name) return std::nullopt;
  std::optional<std::string> bytes = readCacheFile(folder_ / *name);
  if (!bytes) return std::nullopt;
  std::optional<std::vector<StationEntry>> stations = readStationList(*bytes);
  if (!stations || stations->empty()) return std::nullopt;
  return HeldStations{std::move(*bytes), std::move(*stations)};
}

}  // namespace skyrill
