#pragma once

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/store/temp_folder.h"
#include "weather_api.h"

// A History archive made from the sample service's days: three stations over
// the turn of a year, each day fetched once, and beside them every way a day
// is found more than once and files named by hand. Its summary, taken before
// the summary learned to stream, is kept beside this file with the archive's
// folder written as "<archive>".
namespace skyrill::testing {

namespace generated {

using std::chrono::sys_days;
using namespace std::chrono_literals;

constexpr const char* kStations[] = {"50953", "54511", "59287"};
constexpr sys_days kFirstDay = std::chrono::year(2023) / std::chrono::December / 25;
constexpr int kDayCount = 13;

// Where every file's modification time starts; later copies go some hours after.
inline std::filesystem::file_time_type writtenAt(int hoursLater = 0) {
  const std::chrono::sys_seconds written =
      sys_days(std::chrono::year(2024) / std::chrono::February / 1) +
      std::chrono::hours(hoursLater);
  return std::chrono::file_clock::from_sys(written);
}

inline std::string dayText(sys_days day, const char* separator) {
  const std::chrono::year_month_day date(day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d%s%02u%s%02u", static_cast<int>(date.year()), separator,
                static_cast<unsigned>(date.month()), separator, static_cast<unsigned>(date.day()));
  return text;
}

// The service as it was when the summary above was taken: its days did not
// warm from year to year yet.
inline sample::ServiceConfig unwarmedService() {
  sample::ServiceConfig config;
  config.warmingPerDecadeC = 0;
  return config;
}

// A past day's answer as the service gives it.
inline std::string pastDay(const char* station, sys_days day) {
  const auto asked = std::chrono::sys_days(std::chrono::year(2024) / std::chrono::March / 1);
  return sample::answerWeatherQuery(unwarmedService(),
                                    {station, "history", "demo", dayText(day, "-")}, asked)
      .body;
}

// A current day's answer as fetched at the Beijing time `clock` of that day.
inline std::string currentDay(const char* station, sys_days day, std::chrono::minutes clock) {
  const auto fetched = day + clock - 8h;  // Beijing is eight hours ahead
  return sample::answerWeatherQuery(unwarmedService(), {station, "today", "demo", std::nullopt},
                                    fetched)
      .body;
}

inline void put(const std::filesystem::path& root, const std::string& name, std::string_view bytes,
                int hoursLater = 0) {
  const std::filesystem::path file = root / name;
  std::filesystem::create_directories(file.parent_path());
  writeBytes(file, bytes);
  std::filesystem::last_write_time(file, writtenAt(hoursLater));
}

inline std::string pastName(const char* station, sys_days day, const char* advanced = "0") {
  const std::string stamp = dayText(day, "");
  return "History/" + stamp.substr(0, 4) + "/0_" + station + "_" + advanced + "_" + stamp + ".json";
}

// The answer with another "date": one the summary cannot read a day from.
inline std::string undated(std::string answer) {
  const std::string date = "\"date\":\"";
  const std::size_t at = answer.find(date) + date.size();
  return answer.replace(at, answer.find('"', at) - at, "sometime");
}

}  // namespace generated

// Found from the test data folder: __FILE__ may be relative to the build.
inline std::filesystem::path generatedArchiveSummary() {
  return std::filesystem::path(SKYRILL_TEST_DATA_DIR).parent_path() / "archive" /
         "generated_archive_summary.csv";
}

// Writes the archive into `root`.
inline void makeGeneratedArchive(const std::filesystem::path& root) {
  using namespace generated;
  for (const char* station : kStations) {
    for (int offset = 0; offset < kDayCount; ++offset) {
      const sys_days day = kFirstDay + std::chrono::days(offset);
      put(root, pastName(station, day), pastDay(station, day));
    }
  }
  const sys_days dec26 = kFirstDay + std::chrono::days(1);
  const sys_days dec27 = kFirstDay + std::chrono::days(2);
  const sys_days dec28 = kFirstDay + std::chrono::days(3);
  const sys_days dec30 = kFirstDay + std::chrono::days(5);
  const sys_days dec31 = kFirstDay + std::chrono::days(6);
  const sys_days jan2 = kFirstDay + std::chrono::days(8);
  const sys_days jan4 = kFirstDay + std::chrono::days(10);
  const sys_days jan8 = kFirstDay + std::chrono::days(14);
  const sys_days jan10 = kFirstDay + std::chrono::days(16);
  // The same name in another folder, written later and earlier.
  put(root, "Copy/0_54511_0_20231230.json", pastDay("54511", dec30), 1);
  put(root, "Copy/0_54511_0_20231231.json", pastDay("54511", dec31), -1);
  // The advanced source's file of a day, written later.
  put(root, pastName("54511", dec27, "1"), pastDay("54511", dec27), 3);
  // A current day fetched twice: the later fetch counts, though written first.
  put(root, "History/2024/1_59287_0_20240108_153000.json", currentDay("59287", jan8, 930min));
  put(root, "History/2024/1_59287_0_20240108_090000.json", currentDay("59287", jan8, 540min), 1);
  // A current day's fetch written after its past day's file.
  put(root, "History/2024/1_50953_0_20240102_120000.json", currentDay("50953", jan2, 720min), 2);
  // A later copy that cannot be read: the one before it counts.
  put(root, "Broken/0_50953_0_20231226.json", "not a day", 1);
  // Named by hand: station and date come from the answer.
  put(root, "Hand/北京 again.json", pastDay("54511", jan4), 1);
  put(root, "Hand/harbin.json", pastDay("50953", jan10));
  put(root, "Hand/undated-a.json", undated(pastDay("59287", dec28)));
  put(root, "Hand/undated-b.json", undated(pastDay("59287", dec26)));
  put(root, "Hand/notes.json", "not a day either");
}

// The summary's CSV with the archive's folder written as "<archive>".
inline std::string withArchiveNamed(std::string csv, const std::filesystem::path& root) {
  const std::string folder = root.string();
  for (std::size_t at = csv.find(folder); at != std::string::npos; at = csv.find(folder, at))
    csv.replace(at, folder.size(), "<archive>");
  return csv;
}

}  // namespace skyrill::testing
