#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "core/query_types.h"

// How the History archive names a fetched day, and how a name is read back.
namespace skyrill {

// The name a fetched day is saved under: mode digit, station, advanced flag
// and date stamp joined by "_", then ".json". The date stamp is the local
// time of `now` as YYYYMMDD_HHMMSS in today mode, else the selected date as
// YYYYMMDD. Folder separators in the station text become "_".
std::string makeSuggestedFileName(const QueryRequest& request,
                                  std::chrono::system_clock::time_point now);

// A text as one part of a file path: a folder separator in it becomes "_",
// so that the file cannot leave its folder.
std::string nameField(std::string_view text);

// The name a user reads for a day handed on, without an ending: station
// name, WMO number and date joined by "_" (哈尔滨_50953_2024-01-20), each
// as a name field; empty parts are left out, and "skyrill" stands for none.
std::string readableDayName(std::string_view stationName, std::string_view wmo,
                            std::string_view date);

// What the name of an observation file tells: mode digit, station, advanced
// flag, date stamp (YYYYMMDD) and, for a current day, the time of the fetch
// (HHMMSS), joined by "_" before ".json".
struct ObservationName {
  std::string station;
  int date = 0;           // YYYYMMDD as a number
  int fetchTime = 0;      // HHMMSS; 0 for a past day
  bool pastDay = true;    // the mode digit is 0
  bool advanced = false;  // the advanced flag is 1
};

// Nothing when the name is not made that way.
std::optional<ObservationName> readObservationName(std::string_view fileName);

}  // namespace skyrill
