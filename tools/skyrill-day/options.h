#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/query_types.h"
#include "tools/trust/run_trust.h"

namespace skyrill {

// The command line of skyrill-day.
struct DayOptions {
  bool realtime = false;
  WindVariant wind = WindVariant::MaxInstant;
  VisibilityVariant visibility = VisibilityVariant::TenMinuteMean;
  bool printSlots = false;
  bool printGrid = false;  // the data grid in place of the day report
  std::string file;        // an observation file to show

  // Fetching instead of a file.
  std::string station;
  int date = 0;  // YYYYMMDD
  bool today = false;
  bool advanced = false;
  std::string key;
  std::string proxy;
  std::string server;
  std::string saveFile;
  TrustOptions trust;

  std::string chartFile;    // the chart canvas: PNG, JPEG, SVG or PDF by its ending
  std::string stripFile;    // the wind strip, likewise
  bool caption = false;     // a caption line under the pictures
  std::string csvFile;      // the 24 hour slots as CSV
  std::string gridCsvFile;  // the data grid as CSV

  bool help = false;
  bool version = false;
  bool fetches() const { return !station.empty(); }
};

// Parses the arguments (without the program name); an error text on failure.
std::optional<DayOptions> parseDayOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kDayUsage;

}  // namespace skyrill
