#include "archive/archive_names.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/calendar_date.h"
#include "core/numeric_text.h"
#include "core/query_pipeline.h"

namespace skyrill {
namespace {

bool isDigits(std::string_view text, std::size_t count) {
  return text.size() == count &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int digitsValue(std::string_view digits) {
  int value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return value;
}

std::vector<std::string_view> splitFields(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    fields.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

std::string dateStamp(const QueryRequest& request, std::chrono::system_clock::time_point now) {
  if (request.mode == QueryMode::Today) return formatLocalTime(now, "%Y%m%d_%H%M%S");
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04lld%02lld%02lld", integerValue(request.year),
                integerValue(request.month), integerValue(request.day));
  return stamp;
}

}  // namespace

std::string nameField(std::string_view text) {
  std::string field(text);
  std::replace_if(
      field.begin(), field.end(), [](char c) { return c == '/' || c == '\\'; }, '_');
  return field;
}

std::string readableDayName(std::string_view stationName, std::string_view wmo,
                            std::string_view date) {
  std::string name;
  for (const std::string_view part : {stationName, wmo, date}) {
    if (part.empty()) continue;
    if (!name.empty()) name += '_';
    name += nameField(part);
  }
  return name.empty() ? "skyrill" : name;
}

std::string makeSuggestedFileName(const QueryRequest& request,
                                  std::chrono::system_clock::time_point now) {
  const char* modeDigit = request.mode == QueryMode::Today ? "1" : "0";
  const char* advancedFlag = request.advancedSource ? "1" : "0";
  return std::string(modeDigit) + "_" + nameField(request.stationNumber) + "_" + advancedFlag +
         "_" + dateStamp(request, now) + ".json";
}

std::optional<ObservationName> readObservationName(std::string_view fileName) {
  constexpr std::string_view kEnding = ".json";
  if (!fileName.ends_with(kEnding)) return std::nullopt;
  fileName.remove_suffix(kEnding.size());
  auto fields = splitFields(fileName, '_');
  ObservationName name;
  if (fields.size() >= 5 && isDigits(fields.back(), 6) && isDigits(fields[fields.size() - 2], 8)) {
    name.fetchTime = digitsValue(fields.back());
    fields.pop_back();
  }
  // Mode, at least one station field, advanced flag, date.
  if (fields.size() < 4) return std::nullopt;
  const auto date = isDigits(fields.back(), 8) ? readDateNumber(fields.back()) : std::nullopt;
  if (!date) return std::nullopt;
  name.date = *date;
  name.pastDay = fields.front() == "0";
  name.advanced = fields[fields.size() - 2] == "1";
  // A "_" in the station text stays: the name joined its parts with "_".
  const std::size_t stationEnd = fields.size() - 2;
  for (std::size_t i = 1; i < stationEnd; ++i) {
    if (i > 1) name.station += '_';
    name.station += fields[i];
  }
  if (name.station.empty()) return std::nullopt;
  return name;
}

}  // namespace skyrill
