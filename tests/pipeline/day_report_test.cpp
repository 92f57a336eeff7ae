#include "tools/skyrill-day/day_report.h"

#include <gtest/gtest.h>

#include "tools/skyrill-day/grid_report.h"
#include "tools/skyrill-day/options.h"

namespace skyrill {
namespace {

TEST(DayReport, titleLinesThenPanelsInBarOrderThenSlots) {
  std::array<StatusLine, kStatusLineCount> lines = initialStatusLines();
  std::reverse(lines.begin(), lines.end());  // writing order differs from bar order
  DaySeries series;
  series.slot(1) = {"2019/07/05 08:00:00", "23.4", "", "", "", "", "", "", ""};
  const std::string report =
      formatDayReport("历史天气\r\n2019-07-05\r\n郑州 57083", lines, &series);
  const std::string expectedStart =
      "历史天气\n2019-07-05\n郑州 57083\n"
      "最高气温：\n最低气温：\n降水量：\n最大小时雨强：\n"
      "平均气温：\n最高风速：\n最高气压：\n最低气压：\n"
      "平均气压：\n最低能见度：\n数据获取时间：\n"
      "2019/07/05 08:00:00\t23.4\t\t\t\t\t\t\t\n"
      "\t\t\t\t\t\t\t\t\n";
  EXPECT_EQ(report.substr(0, expectedStart.size()), expectedStart);
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 3 + 11 + 24);
}

TEST(GridReport, keepsEveryGridRowOnItsOwnLine) {
  DataGrid grid;
  grid.caption = "北\t京\r\n (54511) 的历史天气";
  GridRow row;
  row[0].text = "bad\ttime\n";
  row[1] = {"-21.0", CellColours{{0, 0, 0}, true}};
  row[2] = {"3.0", CellColours{{255, 144, 144}, false}};
  grid.rows.push_back(row);
  EXPECT_EQ(formatGridReport(grid),
            "北 京   (54511) 的历史天气\n"
            "数据时间\t气温\t降水量\t湿度\t能见度\t气压\t极大风速\t极大风向\t积雪深度\t天气现象\t"
            "2分钟风速\t2分钟风向\n"
            "bad time \t-21.0@#000000/#ffffff\t3.0@#ff9090\t\t\t\t\t\t\t\t\t\n");
}

TEST(DayOptions, parsesBothFormsAndRefusesBadOnes) {
  std::string error;
  auto file = parseDayOptions({"--wind=2", "--visibility", "2", "--slots", "a.json"}, error);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->wind, WindVariant::TwoMinuteMean);
  EXPECT_EQ(file->visibility, VisibilityVariant::Reported);
  EXPECT_TRUE(file->printSlots);
  EXPECT_EQ(file->file, "a.json");

  auto grid = parseDayOptions({"--grid", "--realtime", "a.json"}, error);
  ASSERT_TRUE(grid);
  EXPECT_TRUE(grid->printGrid);
  EXPECT_TRUE(grid->realtime);

  for (const char* date : {"2019-7-5", "2019-07-05", "20190705"}) {
    auto fetch = parseDayOptions({"--station", "58453", "--date", date, "--key", "k"}, error);
    ASSERT_TRUE(fetch) << date << ": " << error;
    QueryRequest request;
    setRequestDate(request, fetch->date);
    EXPECT_EQ(request.year + "|" + request.month + "|" + request.day, "2019|7|5") << date;
  }

  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--wind", "4", "a.json"},
      {"--visibility"},
      {"--station", "1"},
      {"--station", "1", "--today", "--date", "2019-7-5"},
      {"--station", "1", "--date", "2024-02-30"},
      {"--station", "1", "--date", "2019/7/5"},
      {"--bogus", "a.json"},
      {"a.json", "b.json"},
      {"--grid", "--slots", "a.json"},
  };
  for (const auto& args : bad) {
    error.clear();
    EXPECT_FALSE(parseDayOptions(args, error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace skyrill
