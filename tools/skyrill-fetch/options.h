#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/trust/run_trust.h"

namespace skyrill {

// The command line of skyrill-fetch. Texts left empty take the window's
// settings, or its History folder.
struct FetchCommand {
  std::vector<std::string> stations;
  int firstDay = 0;  // YYYYMMDD
  int lastDay = 0;
  std::string folder;  // the History folder to fetch into
  unsigned jobs = 4;
  double rate = 10;
  bool advanced = false;
  std::optional<std::string> key;
  std::optional<std::string> proxy;
  std::optional<std::string> server;
  TrustOptions trust;
  bool help = false;
  bool version = false;
};

// Parses the arguments (without the program name) on the day `today`
// (YYYYMMDD); an error text on failure.
std::optional<FetchCommand> parseFetchCommand(const std::vector<std::string>& args, int today,
                                              std::string& error);

extern const char* const kFetchUsage;

}  // namespace skyrill
