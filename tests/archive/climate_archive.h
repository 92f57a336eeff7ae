#pragma once

#include <chrono>
#include <filesystem>
#include <set>

#include "tests/archive/generated_archive.h"

// A History archive of four years of one station from the sample service's
// days, with holes that the climate's rules must see: four days in a row
// missing, six and five days of a month missing, a month missing whole, a
// day whose only file is a current day's fetch, one that cannot be read;
// and a second station's days beside it.
namespace skyrill::testing {

inline constexpr const char* kClimateStation = "54511";
inline constexpr const char* kOtherStation = "50953";

inline void makeClimateArchive(const std::filesystem::path& root) {
  using namespace generated;
  using std::chrono::sys_days;
  const std::set<int> holes = {
      20160110, 20160111, 20160112, 20160113,                      // four in a row
      20170102, 20170105, 20170109, 20170115, 20170120, 20170128,  // six
      20180103, 20180107, 20180111, 20180119, 20180125,            // five
      20190720, 20190721, 20190722,                                // three in a row
      20190210,
  };
  const sys_days first = std::chrono::year(2016) / std::chrono::January / 1;
  const sys_days end = std::chrono::year(2020) / std::chrono::January / 1;
  for (sys_days day = first; day < end; day += std::chrono::days(1)) {
    const std::chrono::year_month_day date(day);
    const int number = static_cast<int>(date.year()) * 10000 +
                       static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
                       static_cast<int>(static_cast<unsigned>(date.day()));
    const bool march2017 = number / 100 == 201703;
    if (!holes.contains(number) && !march2017)
      put(root, pastName(kClimateStation, day), pastDay(kClimateStation, day));
    if (number % 100 == 1) put(root, pastName(kOtherStation, day), pastDay(kOtherStation, day));
  }
  // The day's only file is a current day's fetch; another cannot be read.
  const sys_days january3 = std::chrono::year(2018) / std::chrono::January / 3;
  put(root, std::string("History/2018/1_") + kClimateStation + "_0_20180103_153000.json",
      currentDay(kClimateStation, january3, std::chrono::minutes(930)));
  put(root, std::string("History/2019/0_") + kClimateStation + "_0_20190210.json", "not a day");
}

}  // namespace skyrill::testing
