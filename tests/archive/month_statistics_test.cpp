#include "archive/month_statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skyrill {
namespace {

using Value = std::optional<double>;
using Cells = std::vector<std::string>;

SummaryRow day(int date, Value highest, Value lowest, Value mean, Value precipitation,
               std::optional<int> visibilityClass = std::nullopt) {
  SummaryRow row;
  row.date = date;
  row.figures.highestTemperature = highest;
  row.figures.lowestTemperature = lowest;
  row.figures.meanTemperature = mean;
  row.figures.precipitationTotal = precipitation;
  row.figures.visibilityClass = visibilityClass;
  return row;
}

// Each month's row as the pane and the CSV show it.
TEST(MonthStatistics, eachMonthOfThePeriodFromTheDaysItHas) {
  const struct {
    const char* what;
    std::vector<SummaryRow> days;
    Period period;
    std::vector<Cells> rows;
  } cases[] = {
      {"a month with holes: means, total and counts over the days it has",
       {day(20240102, 1.0, -5.0, -2.0, 0.0, 0), day(20240110, 3.0, -7.0, -1.25, 2.35, 1),
        day(20240131, 2.5, -6.0, {}, 0.1, 4)},
       {20240101, 20240131},
       {{"2024-01", "2.2", "-6.0", "-1.6", "2.5", "2", "3.0", "2024-01-10", "-7.0", "2024-01-10",
         "1", "1", "0", "3", "31"}}},
      {"months cut by the period's ends; a day outside it is not taken",
       {day(20240130, 9.0, 9.0, 9.0, 9.0), day(20240131, 1.0, 0.0, 0.5, 0.0),
        day(20240201, 2.0, 1.0, 1.5, 0.0), day(20240202, 9.0, 9.0, 9.0, 9.0)},
       {20240131, 20240201},
       {{"2024-01", "1.0", "0.0", "0.5", "0.0", "0", "1.0", "2024-01-31", "0.0", "2024-01-31", "",
         "", "", "1", "1"},
        {"2024-02", "2.0", "1.0", "1.5", "0.0", "0", "2.0", "2024-02-01", "1.0", "2024-02-01", "",
         "", "", "1", "1"}}},
      {"ties: the earliest date of equal extremes; 0.1 mm is a wet day within the tolerance",
       {day(20230305, 12.0, -3.0, {}, 0.09999999), day(20230306, 12.00000005, -3.0, {}, 0.05),
        day(20230307, 11.0, -2.9, {}, {})},
       {20230301, 20230331},
       {{"2023-03", "11.7", "-3.0", "", "0.1", "1", "12.0", "2023-03-05", "-3.0", "2023-03-05", "",
         "", "", "3", "31"}}},
      {"no data: a month without days, and one whose days have no figures",
       {day(20231201, {}, {}, {}, {})},
       {20231115, 20231202},
       {{"2023-11", "", "", "", "", "", "", "", "", "", "", "", "", "0", "16"},
        {"2023-12", "", "", "", "", "", "", "", "", "", "", "", "", "1", "2"}}},
      {"dust and haze and fog by the day's worst class, over a leap February",
       {day(20240228, 5, 1, 3, {}, 7), day(20240229, 5, 1, 3, {}, 12),
        day(20240301, 5, 1, 3, {}, 5)},
       {20240201, 20240301},
       {{"2024-02", "5.0", "1.0", "3.0", "", "", "5.0", "2024-02-28", "1.0", "2024-02-28", "0", "0",
         "2", "2", "29"},
        {"2024-03", "5.0", "1.0", "3.0", "", "", "5.0", "2024-03-01", "1.0", "2024-03-01", "0", "1",
         "0", "1", "1"}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(monthStatisticsRows(monthStatistics(c.days, c.period)), c.rows) << c.what;
  }
}

TEST(MonthStatistics, visibilityClassesAsFogHazeAndDust) {
  const ObscurationKind kinds[] = {
      ObscurationKind::None, ObscurationKind::Fog,  ObscurationKind::Haze, ObscurationKind::Haze,
      ObscurationKind::Haze, ObscurationKind::Haze, ObscurationKind::Fog,  ObscurationKind::Dust,
      ObscurationKind::Fog,  ObscurationKind::Dust, ObscurationKind::Fog,  ObscurationKind::Fog,
      ObscurationKind::Dust};
  for (int visibilityClass = 0; visibilityClass <= 12; ++visibilityClass) {
    EXPECT_EQ(obscurationKind(visibilityClass), kinds[visibilityClass]) << visibilityClass;
  }
}

TEST(MonthStatistics, csvHasTheHeaderAndARowAMonth) {
  const std::string csv = monthStatisticsCsv(
      monthStatistics({day(20240102, 1.0, -5.0, -2.0, 0.0)}, {20240101, 20240102}));
  EXPECT_EQ(
      csv,
      "\xEF\xBB\xBF"
      "月份,平均最高气温 (℃),平均最低气温 (℃),平均气温 (℃),降水量 (mm),降水日数,最高气温 "
      "(℃),最高气温 日期,最低气温 (℃),最低气温 日期,雾日数,霾日数,沙尘日数,统计日数,时段日数\r\n"
      "2024-01,1.0,-5.0,-2.0,0.0,0,1.0,2024-01-02,-5.0,2024-01-02,,,,1,2\r\n");
}

}  // namespace
}  // namespace skyrill
