#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "sample_day.h"

// The sample data service's answers, apart from any transport.
namespace skyrill::sample {

// The first day either source has records of: earlier days get no records,
// as the real service answers a day it has none of.
inline constexpr std::chrono::sys_days kFirstRecordedDay{std::chrono::year(1991) /
                                                         std::chrono::January / 1};

struct ServiceConfig {
  std::set<std::string> apiKeys{"demo"};
  std::filesystem::path dataDir;  // saved observation files served in place of synthesized days
  double warmingPerDecadeC = kWarmingPerDecadeC;  // the synthetic days' slow warming
};

// One request to "/api/weather/{station}/{endpoint}/".
struct WeatherQuery {
  std::string station;
  std::string endpoint;  // "history", "today", "history2" or "today2"
  std::string apiKey;
  std::optional<std::string> date;  // "Y-M-D", history only
};

struct ServiceReply {
  int status = 200;
  std::string contentType;
  std::string body;
};

ServiceReply answerWeatherQuery(const ServiceConfig& config, const WeatherQuery& query,
                                std::chrono::system_clock::time_point now);

// The page a web server shows for a refused or unknown request.
ServiceReply errorPage(int status);

}  // namespace skyrill::sample
