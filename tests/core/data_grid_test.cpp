#include "core/data_grid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json/json_document.h"

namespace skyrill {
namespace {

JsonDocument parsed(const std::string& text) {
  JsonDocument document;
  EXPECT_TRUE(document.parse(text)) << text;
  return document;
}

// The texts of one grid row.
std::vector<std::string> texts(const GridRow& row) {
  std::vector<std::string> out;
  for (const GridCell& cell : row) out.push_back(cell.text);
  return out;
}

// A record with a service time and `hour` as temperature.
std::string hourRecord(int hour) {
  return R"({"time":"2019-07-0)" + std::to_string(4 + hour / 24) + "T" +
         (hour % 24 < 10 ? "0" : "") + std::to_string(hour % 24) + R"(:00:00","T":)" +
         std::to_string(hour) + "}";
}

TEST(DataGrid, columnsHeadersAndWidths) {
  const char* headers[] = {"数据时间", "气温",     "降水量",    "湿度",
                           "能见度",   "气压",     "极大风速",  "极大风向",
                           "积雪深度", "天气现象", "2分钟风速", "2分钟风向"};
  for (std::size_t column = 0; column < kGridColumns.size(); ++column) {
    EXPECT_STREQ(kGridColumns[column].header, headers[column]);
    const int width = column == 0 ? 150 : column >= 10 ? 100 : 80;
    EXPECT_EQ(kGridColumns[column].widthPx, width) << column;
  }
}

TEST(DataGrid, formatsEachValueOfARecord) {
  const JsonDocument document = parsed(R"({"wmo":"57083","res":[{"name":"郑州",
      "time":"2019-07-05T00:00:00","T":23.45,"R1h":"0.25","RH":80.9,"V10m":12,"P":"1002",
      "WS0mMAX1h":8,"WD0mMAX1h":"95.7","SD":"3 cm","WX":"01","WS2m":-0.04,"WD2m":-3.7,
      "V":1,"WS0m":9,"acc":{"T":99}}]})");
  const DataGrid grid = buildDataGrid(document, QueryMode::History);
  EXPECT_EQ(grid.caption, "郑州 (57083) 的历史天气");
  ASSERT_EQ(grid.rows.size(), 1u);
  // %.1f, %.1f, %d, %.3f, %.1f, %.1f, %d, %d, %d, %.1f, %d; "acc" is not read.
  EXPECT_EQ(texts(grid.rows[0]),
            (std::vector<std::string>{"2019/07/05 08:00:00", "23.4", "0.2", "80", "12.000",
                                      "1002.0", "8.0", "95", "3", "1", "-0.0", "-3"}));
}

TEST(DataGrid, everyRecordInTheAnswersOrder) {
  std::string records;
  for (int hour = 0; hour < 30; ++hour) records += (hour ? "," : "") + hourRecord(hour);
  const DataGrid grid = buildDataGrid(parsed(R"({"res":[)" + records + "]}"), QueryMode::History);
  ASSERT_EQ(grid.rows.size(), 30u);
  EXPECT_EQ(grid.rows[0][0].text, "2019/07/04 08:00:00");
  EXPECT_EQ(grid.rows[24][0].text, "2019/07/05 08:00:00");
  EXPECT_EQ(grid.rows[29][0].text, "2019/07/05 13:00:00");
  EXPECT_EQ(grid.rows[29][1].text, "29.0");
}

TEST(DataGrid, todayKeepsItsOwnOrderAndArray) {
  const JsonDocument document = parsed(R"({"wmo":"57083",
      "res":[{"name":"过去","time":"2019-07-04T00:00:00","T":1}],
      "today":[{"name":"郑州","time":"2019-07-05T05:00:00","T":30},
               {"time":"2019-07-05T04:00:00","T":29},
               {"time":"2019-07-05T02:00:00","T":27}]})");
  const DataGrid grid = buildDataGrid(document, QueryMode::Today);
  EXPECT_EQ(grid.caption, "郑州 (57083) 的天气实况");
  ASSERT_EQ(grid.rows.size(), 3u);
  EXPECT_EQ(grid.rows[0][0].text, "2019/07/05 13:00:00");
  EXPECT_EQ(grid.rows[1][0].text, "2019/07/05 12:00:00");
  EXPECT_EQ(grid.rows[2][0].text, "2019/07/05 10:00:00");
  EXPECT_EQ(grid.rows[2][1].text, "27.0");
}

TEST(DataGrid, missingValuesAndUnreadableTimesKeepTheirRows) {
  const JsonDocument document = parsed(R"({"res":[
      {"time":"2019-07-05T00:00:00","T":null,"RH":"","R1h":3},
      {"time":"","T":-21},
      {"time":"2019-07-05 25:00:00","V10m":0.8},
      {},
      "not a record"]})");
  const DataGrid grid = buildDataGrid(document, QueryMode::History);
  ASSERT_EQ(grid.rows.size(), 5u);
  // Missing values are empty and uncoloured; precipitation with no
  // temperature takes the rain scale.
  EXPECT_EQ(grid.rows[0][1], GridCell{});
  EXPECT_EQ(grid.rows[0][3], GridCell{});
  EXPECT_EQ(grid.rows[0][2].text, "3.0");
  EXPECT_EQ(grid.rows[0][2].colours, (CellColours{{61, 186, 61}, false}));
  // A time that does not read is shown as sent.
  EXPECT_EQ(grid.rows[1][0].text, "");
  EXPECT_EQ(grid.rows[1][1].colours, (CellColours{{0, 0, 0}, true}));
  EXPECT_EQ(grid.rows[2][0].text, "2019-07-05 25:00:00");
  EXPECT_EQ(grid.rows[2][4].colours, (CellColours{{99, 255, 254}, false}));
  EXPECT_EQ(grid.rows[3], GridRow{});
  EXPECT_EQ(grid.rows[4], GridRow{});
}

TEST(DataGrid, coloursFollowTheFormattedTexts) {
  // 1.54 shows as "1.5": snow; 1.56 shows as "1.6": sleet. A visibility of
  // 0.0499 shows as "0.050", no longer below 0.05.
  const JsonDocument document = parsed(R"({"res":[
      {"time":"2019-07-05T00:00:00","T":1.54,"R1h":3,"RH":"49.9","V10m":0.0499},
      {"time":"2019-07-05T01:00:00","T":1.56,"R1h":3,"RH":49,"V10m":0.0489},
      {"time":"2019-07-05T02:00:00","T":18.04,"WS0mMAX1h":7.96,"WS2m":7.94}]})");
  const DataGrid grid = buildDataGrid(document, QueryMode::History);
  ASSERT_EQ(grid.rows.size(), 3u);
  EXPECT_EQ(grid.rows[0][2].colours, (CellColours{{112, 112, 112}, true}));
  EXPECT_EQ(grid.rows[1][2].colours, (CellColours{{255, 144, 144}, false}));
  EXPECT_EQ(grid.rows[0][4].text, "0.050");
  EXPECT_EQ(grid.rows[0][4].colours, (CellColours{{64, 32, 8}, true}));
  EXPECT_EQ(grid.rows[1][4].colours, (CellColours{{32, 16, 4}, true}));
  EXPECT_EQ(grid.rows[2][1].colours, (CellColours{{0, 255, 119}, false}));
  EXPECT_EQ(grid.rows[2][6].colours, (CellColours{{0, 255, 0}, false}));
  EXPECT_EQ(grid.rows[2][10].colours, std::nullopt);
  for (std::size_t column : {0, 5, 7, 8, 9, 11}) EXPECT_FALSE(grid.rows[0][column].colours);
}

TEST(DataGrid, withoutRecordsOnlyTheCaption) {
  struct Case {
    const char* answer;
    QueryMode mode;
    const char* caption;
  };
  const Case cases[] = {
      {"{}", QueryMode::History, " () 的历史天气"},
      {"{}", QueryMode::Today, " () 的天气实况"},
      {R"({"wmo":57083,"res":{"time":"2019-07-05T00:00:00"}})", QueryMode::History,
       " (57083) 的历史天气"},
      // History records are not the current day's.
      {R"({"wmo":"57083","res":[{"name":"郑州","time":"2019-07-05T00:00:00"}]})", QueryMode::Today,
       " (57083) 的天气实况"},
      // A mode other than the two has no record array.
      {R"({"wmo":"57083","res":[{"name":"郑州","time":"2019-07-05T00:00:00"}]})",
       static_cast<QueryMode>(5), " (57083) 的"},
  };
  for (const Case& c : cases) {
    const DataGrid grid = buildDataGrid(parsed(c.answer), c.mode);
    EXPECT_EQ(grid.caption, c.caption) << c.answer;
    EXPECT_TRUE(grid.rows.empty()) << c.answer;
  }
  EXPECT_TRUE(buildDataGrid(JsonDocument(), QueryMode::History).rows.empty());
}

}  // namespace
}  // namespace skyrill
