#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "weather_api.h"

// The sample service's station directory: every province-level division
// with the national surface stations of its main cities, bundled from
// data/station_directory.json.
namespace skyrill::sample {

// The bundled directory file as it is in the repository.
std::string_view bundledDirectoryJson();

// "/rest/province": code and name of each province, in directory order.
ServiceReply provinceListReply();
// "/rest/province/{code}": number, province and city of each of its
// stations; an error body for a code the directory does not know.
ServiceReply stationListReply(std::string_view provinceCode);

// The city name of a station in the directory; nullopt when it is not listed.
std::optional<std::string> directoryCity(std::string_view station);

}  // namespace skyrill::sample
