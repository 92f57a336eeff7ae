#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The two lists of the station directory, read from the service's answers.
namespace skyrill {

// One province of the directory.
struct ProvinceEntry {
  std::string code;  // the directory's own code, used to ask for its stations
  std::string name;
};

// One station of a province.
struct StationEntry {
  std::string code;  // the five-digit station number
  std::string province;
  std::string city;
};

// The longest list read from one answer. A province has a few hundred
// stations at most; the entries of a runaway answer beyond this are left out
// rather than holding the window for seconds while a list box fills.
inline constexpr std::size_t kMaxListEntries = 5000;

// The text a list shows for the entry: the province's name; a station as
// city, space, number and province in full-width brackets, e.g.
// "北京 54511（北京市）".
std::string displayText(const ProvinceEntry& province);
std::string displayText(const StationEntry& station);

// The entries of an answer in its order, up to the first element without a
// code or kMaxListEntries; nullopt when the answer is not JSON.
std::optional<std::vector<ProvinceEntry>> readProvinceList(std::string_view answer);
std::optional<std::vector<StationEntry>> readStationList(std::string_view answer);

}  // namespace skyrill
