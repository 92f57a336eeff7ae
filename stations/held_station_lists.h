#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stations/directory_lists.h"

namespace skyrill {

// A province's station answer as received, with the list read from it.
struct HeldStations {
  std::string bytes;
  std::vector<StationEntry> stations;
};

// The station answer of every province downloaded so far, so that a search
// finds stations of provinces other than the one on screen. Each lives in a
// file of its own in one folder, read when it is first asked for; only
// lists with stations are held, so that an error answer never replaces a
// province's good list.
class HeldStationLists {
 public:
  explicit HeldStationLists(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // Holds a downloaded answer and writes it to the province's file. Write
  // failures are silent: the file only spares a download.
  void keep(const std::string& provinceCode, const HeldStations& answer);
  // Holds an answer read from elsewhere for a province that has none of its
  // own, without writing it.
  void keepIfNone(const std::string& provinceCode, const HeldStations& answer);
  // The answer held for the province; null when there is none.
  const HeldStations* find(const std::string& provinceCode);

 private:
  std::optional<HeldStations> readFile(std::string_view provinceCode) const;

  std::filesystem::path folder_;
  // By province code; nullopt when the province has no answer.
  std::map<std::string, std::optional<HeldStations>, std::less<>> held_;
};

}  // namespace skyrill
