#include "weather_api.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "sample_day.h"

namespace skyrill::sample {
namespace {

using nlohmann::ordered_json;
using std::chrono::sys_days;

constexpr std::string_view kJsonType = "application/json; charset=utf-8";
constexpr auto kBeijingOffset = std::chrono::hours(8);

struct Endpoint {
  bool today = false;
  bool advanced = false;
};

std::optional<Endpoint> parseEndpoint(std::string_view name) {
  if (name == "history") return Endpoint{false, false};
  if (name == "history2") return Endpoint{false, true};
  if (name == "today") return Endpoint{true, false};
  if (name == "today2") return Endpoint{true, true};
  return std::nullopt;
}

std::optional<unsigned> parseNumber(std::string_view text) {
  unsigned number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || text.size() > 4 || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return number;
}

// "Y-M-D" with unpadded or padded numbers, e.g. "2019-7-5".
std::optional<sys_days> parseDate(std::string_view text) {
  const std::size_t first = text.find('-');
  const std::size_t second = text.find('-', first + 1);
  if (first == std::string_view::npos || second == std::string_view::npos) return std::nullopt;
  const auto year = parseNumber(text.substr(0, first));
  const auto month = parseNumber(text.substr(first + 1, second - first - 1));
  const auto day = parseNumber(text.substr(second + 1));
  if (!year || !month || !day) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(*year)),
                                         std::chrono::month(*month), std::chrono::day(*day)};
  if (!date.ok()) return std::nullopt;
  return sys_days(date);
}

std::string dateText(sys_days day, const char* format) {
  const std::chrono::year_month_day date(day);
  char text[16];
  std::snprintf(text, sizeof text, format, static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return text;
}

sys_days beijingDay(std::chrono::system_clock::time_point now) {
  return std::chrono::floor<std::chrono::days>(now + kBeijingOffset);
}

int beijingHour(std::chrono::system_clock::time_point now) {
  const auto local = now + kBeijingOffset;
  return static_cast<int>(
      std::chrono::floor<std::chrono::hours>(local - std::chrono::floor<std::chrono::days>(local))
          .count());
}

ServiceReply jsonReply(int status, const ordered_json& body) {
  return {status, std::string(kJsonType), body.dump()};
}

ServiceReply dayReply(std::string_view prefix, const std::string& station, sys_days day,
                      ordered_json records) {
  ordered_json body;
  body["date"] = dateText(day, "%04d-%02u-%02u");
  body["wmo"] = station;
  body["name"] = stationName(station);
  body[std::string(prefix)] = std::move(records);
  return jsonReply(200, body);
}

// A regular file's bytes. The open neither follows a link nor waits for the
// writer of a pipe put there in its place after the folder was read.
std::optional<std::string> readFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  char buffer[65536];
  for (ssize_t count = 0; ok && (count = ::read(fd, buffer, sizeof buffer)) != 0;) {
    ok = count > 0;
    if (ok) bytes.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(fd);
  if (!ok) return std::nullopt;
  return bytes;
}

// Saved files are named mode_station_advanced_YYYYMMDD[_HHMMSS].json.
std::string savedNamePrefix(bool today, const WeatherQuery& query, const Endpoint& endpoint,
                            sys_days day) {
  return std::string(today ? "1_" : "0_") + query.station + (endpoint.advanced ? "_1_" : "_0_") +
         dateText(day, "%04d%02u%02u");
}

// The latest saved file whose name starts with the prefix and ends in ".json".
std::optional<std::string> savedDay(const std::filesystem::path& dir, const std::string& prefix) {
  if (dir.empty()) return std::nullopt;
  std::error_code error;
  std::string latest;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    const std::string name = entry.path().filename().string();
    // Only the folder's own regular files: a link could lead anywhere.
    std::error_code kind;
    if (entry.is_symlink(kind) || !entry.is_regular_file(kind)) continue;
    if (name.starts_with(prefix) && name.ends_with(".json")) latest = std::max(latest, name);
  }
  if (latest.empty()) return std::nullopt;
  return readFile(dir / latest);
}

ServiceReply historyAnswer(const ServiceConfig& config, const WeatherQuery& query,
                           const Endpoint& endpoint, std::chrono::system_clock::time_point now) {
  const auto day = parseDate(query.date.value_or(""));
  if (!day) return jsonReply(400, {{"error", "日期格式错误"}});
  const std::string fileName = savedNamePrefix(false, query, endpoint, *day) + ".json";
  if (auto saved = savedDay(config.dataDir, fileName)) return {200, std::string(kJsonType), *saved};
  if (!isKnownStation(query.station)) return jsonReply(404, {{"error", "站点不存在"}});
  const sys_days today = beijingDay(now);
  if (*day < kFirstRecordedDay || *day > today)
    return jsonReply(200, {{"res", ordered_json::array()}});
  const int hours = *day == today ? beijingHour(now) + 1 : 24;
  return dayReply("res", query.station, *day,
                  sampleRecords(query.station, *day, hours, config.warmingPerDecadeC));
}

ServiceReply todayAnswer(const ServiceConfig& config, const WeatherQuery& query,
                         const Endpoint& endpoint, std::chrono::system_clock::time_point now) {
  const sys_days today = beijingDay(now);
  if (auto saved = savedDay(config.dataDir, savedNamePrefix(true, query, endpoint, today) + "_")) {
    return {200, std::string(kJsonType), *saved};
  }
  if (!isKnownStation(query.station)) return jsonReply(404, {{"error", "站点不存在"}});
  ordered_json records =
      sampleRecords(query.station, today, beijingHour(now) + 1, config.warmingPerDecadeC);
  std::reverse(records.begin(), records.end());  // newest first
  return dayReply("today", query.station, today, std::move(records));
}

std::string reasonPhrase(int status) {
  switch (status) {
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    default:
      return "Error";
  }
}

}  // namespace

ServiceReply errorPage(int status) {
  const std::string title = std::to_string(status) + " " + reasonPhrase(status);
  return {status, "text/html; charset=utf-8",
          "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head>\n<body><h1>" + title +
              "</h1></body></html>\n"};
}

ServiceReply answerWeatherQuery(const ServiceConfig& config, const WeatherQuery& query,
                                std::chrono::system_clock::time_point now) {
  if (!config.apiKeys.contains(query.apiKey)) return errorPage(403);
  const auto endpoint = parseEndpoint(query.endpoint);
  if (!endpoint) return errorPage(404);
  return endpoint->today ? todayAnswer(config, query, *endpoint, now)
                         : historyAnswer(config, query, *endpoint, now);
}

}  // namespace skyrill::sample
