#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/compared_elements.h"
#include "archive/day_walk.h"

namespace skyrill {

// The command line of skyrill-summary.
struct SummaryCommand {
  std::vector<std::string> folders;
  std::string csvFile;    // standard output when empty
  std::string chartFile;  // PNG, or SVG by its ending
  SummaryFilter filter;
  std::vector<std::string> stations;    // as --station lists them
  std::optional<DailyElement> compare;  // the stations side by side by this element
  bool climate = false;                 // the station's climate table in place of the days
  bool sameDay = false;                 // one calendar day (filter.monthDay) in every year
  unsigned threads = 0;                 // 0: one per core when there are many files
  bool help = false;
  bool version = false;
};

// Parses the arguments (without the program name); an error text on failure.
std::optional<SummaryCommand> parseSummaryCommand(const std::vector<std::string>& args,
                                                  std::string& error);

extern const char* const kSummaryUsage;

}  // namespace skyrill
