#pragma once

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>

#include "tests/archive/generated_archive.h"

// A History archive for comparing stations: 50953 and 54511 over
// 2024-01-01 to 01-10 from the sample service's days, with holes (50953
// lacks 01-03, 54511 lacks 01-07 and 01-08), a day of 54511 whose hours have
// the humidity alone (01-05: every panel without data), a day of 50953
// without pressure (01-06), a file of 50953 that is no day (01-09), and a
// day of another station; 59287 has none.
namespace skyrill::testing {

inline constexpr const char* kComparedStations[] = {"50953", "54511", "59287"};
inline constexpr int kComparisonFirst = 20240101;
inline constexpr int kComparisonLast = 20240110;

inline std::string comparisonDayName(const char* station, int date) {
  const std::string stamp = std::to_string(date);
  return "History/" + stamp.substr(0, 4) + "/0_" + station + "_0_" + stamp + ".json";
}

inline void makeComparisonArchive(const std::filesystem::path& root) {
  using namespace generated;
  const auto first = std::chrono::sys_days(std::chrono::year(2024) / 1 / 1);
  for (const char* station : {"50953", "54511"}) {
    for (int offset = 0; offset < 10; ++offset) {
      const int date = kComparisonFirst + offset;
      if ((std::string(station) == "50953" && date == 20240103) ||
          (std::string(station) == "54511" && (date == 20240107 || date == 20240108)))
        continue;
      std::string answer = pastDay(station, first + std::chrono::days(offset));
      if (std::string(station) == "50953" && date == 20240106)
        answer = std::regex_replace(answer, std::regex(R"("P":[-0-9.]+,)"), "");
      if (std::string(station) == "54511" && date == 20240105)
        answer = R"({"date":"2024-01-05","wmo":"54511","res":[{"name":"北京",)"
                 R"("time":"2024-01-04T16:00:00","RH":50}]})";
      if (std::string(station) == "50953" && date == 20240109) answer = "not a day";
      put(root, comparisonDayName(station, date), answer);
    }
  }
  put(root, comparisonDayName("58453", 20240104), pastDay("58453", first + std::chrono::days(3)));
}

}  // namespace skyrill::testing
