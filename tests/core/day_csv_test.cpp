#include "core/day_csv.h"

#include <gtest/gtest.h>

#include "core/csv_text.h"

namespace skyrill {
namespace {

TEST(CsvField, quotesOnlyWhatMustBeQuoted) {
  const struct {
    const char* text;
    const char* field;
  } cases[] = {
      {"", ""},
      {"12.5", "12.5"},
      {"（4级）", "（4级）"},
      {"a b", "a b"},
      {"1,5", "\"1,5\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"\"", "\"\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"cr\r", "\"cr\r\""},
      {"semi;colon", "semi;colon"},
  };
  for (const auto& c : cases) EXPECT_EQ(csvField(c.text), c.field) << c.text;
}

TEST(CsvLine, joinsWithCommasAndEndsWithCrLf) {
  EXPECT_EQ(csvLine({"a", "", "b,c", ""}), "a,,\"b,c\",\r\n");
  EXPECT_EQ(csvLine({""}), "\r\n");
}

// The CSV lines after the byte-order mark.
std::vector<std::string> linesOf(const std::string& csv) {
  EXPECT_TRUE(csv.starts_with(kUtf8ByteOrderMark));
  std::vector<std::string> lines;
  std::size_t start = kUtf8ByteOrderMark.size();
  for (std::size_t end; (end = csv.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(csv.substr(start, end - start));
  EXPECT_EQ(start, csv.size()) << "text after the last line end";
  return lines;
}

TEST(DaySlotsCsv, putsValuesAccTextsAndLabelsInTheirOwnCells) {
  DaySeries series;
  HourlyRecord& hour = series.slot(1);
  hour.timeText = "2019/07/05 08:00:00";
  hour.temperature = "23.4";
  hour.pressure = "999.95 {a,b}";
  hour.humidity = "40";
  hour.windDirection = "180";
  hour.windSpeed = "5.5（4级）";
  hour.precipitation = "2.6 {0.4}（中）";
  hour.visibility = "0.05（特强沙尘暴）";
  hour.snowDepth = "";
  // Labels not (yet) attached are still given in their columns.
  HourlyRecord& bare = series.slot(24);
  bare.timeText = "2019/07/06 07:00:00";
  bare.windSpeed = "3.4";
  bare.precipitation = "0";
  bare.visibility = "12 {\"x\"}";
  bare.humidity = "80";

  const auto lines = linesOf(daySlotsCsv(series));
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[0],
            "时次,时间,气温 (°C),气温 acc,气压 (hPa),气压 acc,湿度 (%),湿度 acc,风向 (°),风向 acc,"
            "风速 (m/s),风速 acc,风力,降水量 (mm),降水量 acc,降水强度,能见度 (km),能见度 acc,"
            "能见度等级,积雪深度 (cm),积雪深度 acc");
  EXPECT_EQ(lines[1],
            "1,2019/07/05 08:00:00,23.4,,999.95,\"a,b\",40,,180,,5.5,,4级,2.6,0.4,中,0.05,,"
            "特强沙尘暴,,");
  EXPECT_EQ(lines[2], "2,,,,,,,,,,,,,,,,,,,,");
  EXPECT_EQ(lines[24], "24,2019/07/06 07:00:00,,,,,80,,,,3.4,,3级,0,,,12,\"\"\"x\"\"\",,,");
}

TEST(DataGridCsv, followsEachColouredColumnWithItsBackground) {
  DataGrid grid;
  grid.caption = "郑州 (57083) 的历史天气";
  GridRow row;
  row[0].text = "2019/07/05 08:00:00";
  row[1] = {"31.2", CellColours{{0xff, 0xff, 0x00}, false}};
  row[4] = {"0.050", CellColours{{0x40, 0x20, 0x08}, true}};
  row[5].text = "1000.0";
  row[9].text = "1,2";
  grid.rows.push_back(row);

  const auto lines = linesOf(dataGridCsv(grid));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "数据时间,气温,气温 颜色,降水量,降水量 颜色,湿度,湿度 颜色,能见度,能见度 颜色,气压,"
            "极大风速,极大风速 颜色,极大风向,积雪深度,天气现象,2分钟风速,2分钟风速 颜色,2分钟风向");
  EXPECT_EQ(lines[1], "2019/07/05 08:00:00,31.2,#ffff00,,,,,0.050,#402008,1000.0,,,,,\"1,2\",,,");
}

}  // namespace
}  // namespace skyrill
