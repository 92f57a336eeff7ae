#include "archive/archive_names.h"

#include <gtest/gtest.h>

namespace skyrill {
namespace {

TEST(ObservationName, readsStationDateAndFetchTime) {
  const struct {
    const char* name;
    const char* station;  // nullptr: not a name of that make
    int date;
    int fetchTime;
  } cases[] = {
      {"0_57083_0_20190705.json", "57083", 20190705, 0},
      {"1_57083_1_20190705_130500.json", "57083", 20190705, 130500},
      // A folder separator in the station became "_" when it was saved.
      {"0_a_b_0_20190705.json", "a_b", 20190705, 0},
      {"0_57083_0_20190230.json", nullptr, 0, 0},  // no such day
      {"0_57083_0_2019075.json", nullptr, 0, 0},   // seven digits
      {"0__0_20190705.json", nullptr, 0, 0},       // no station
      {"0_57083_0_20190705.txt", nullptr, 0, 0},   // not an answer file
      {"today_without_mode.json", nullptr, 0, 0},  // made by hand
      {"57083_0_20190705_130500.json", nullptr, 0, 0},
  };
  for (const auto& c : cases) {
    const auto name = readObservationName(c.name);
    ASSERT_EQ(name.has_value(), c.station != nullptr) << c.name;
    if (!name) continue;
    EXPECT_EQ(name->station, c.station) << c.name;
    EXPECT_EQ(name->date, c.date) << c.name;
    EXPECT_EQ(name->fetchTime, c.fetchTime) << c.name;
  }
}

}  // namespace
}  // namespace skyrill
