#include "stations/list_search.h"

#include <algorithm>

#include "net/ascii_text.h"
#include "stations/pinyin_match.h"

namespace skyrill {
namespace {

template <typename Entry, typename Matches>
std::optional<std::size_t> firstMatch(const std::vector<Entry>& entries, Matches matches) {
  const auto found = std::find_if(entries.begin(), entries.end(), matches);
  if (found == entries.end()) return std::nullopt;
  return static_cast<std::size_t>(found - entries.begin());
}

}  // namespace

bool beginsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         lowerCaseAscii(text.substr(0, prefix.size())) == lowerCaseAscii(prefix);
}

std::optional<std::size_t> findProvince(const std::vector<ProvinceEntry>& provinces,
                                        std::string_view typed) {
  if (typed.empty()) return std::nullopt;
  if (auto byText = firstMatch(provinces, [typed](const ProvinceEntry& province) {
        return beginsWithIgnoringCase(displayText(province), typed);
      })) {
    return byText;
  }
  return firstMatch(provinces, [typed](const ProvinceEntry& province) {
    return pinyinBeginsWith(province.name, typed);
  });
}

std::optional<std::size_t> findStation(const std::vector<StationEntry>& stations,
                                       std::string_view typed) {
  if (typed.empty()) return std::nullopt;
  if (auto byText = firstMatch(stations, [typed](const StationEntry& station) {
        return beginsWithIgnoringCase(displayText(station), typed);
      })) {
    return byText;
  }
  if (auto byNumber = firstMatch(stations, [typed](const StationEntry& station) {
        return station.code.starts_with(typed);
      })) {
    return byNumber;
  }
  return firstMatch(stations, [typed](const StationEntry& station) {
    return pinyinBeginsWith(station.city, typed);
  });
}

}  // namespace skyrill
