#include "core/day_texts.h"

#include <gtest/gtest.h>

#include <string>

#include "json/json_document.h"

namespace skyrill {
namespace {

constexpr ElementCoverage kComplete{true, false};
constexpr ElementCoverage kIncomplete{true, true};
constexpr ElementCoverage kAbsent{false, true};

// A day with every element in every hour.
DailySummary wholeDay() {
  DailySummary summary;
  summary.temperatureCoverage = kComplete;
  summary.maxTemperature = 31.25;
  summary.minTemperature = -2.25;
  summary.temperatureSum = 7.125 * 24;
  summary.temperatureCount = 24;
  summary.pressureCoverage = kComplete;
  summary.maxPressure = 1013.25;
  summary.minPressure = 1001.05;
  summary.pressureSum = 1013.25 * 2;
  summary.pressureCount = 2;
  summary.precipitationCoverage = kComplete;
  summary.totalPrecipitation = 12.5;
  summary.maxHourlyPrecipitation = 2.25;
  summary.dayPrecipitationLabel = "（中雨）";
  summary.maxHourlyLabel = "（小）";
  summary.windSpeedCoverage = kComplete;
  summary.maxWindSpeed = 8.25;
  summary.maxWindForceLabel = "（5级）";
  summary.visibilityCoverage = kComplete;
  summary.minVisibility = 0.5;
  return summary;
}

std::vector<std::string> texts(const std::array<StatusLine, kStatusLineCount>& lines) {
  std::vector<std::string> result;
  for (const StatusLine& line : lines) result.push_back(line.text);
  return result;
}

// Each line's bar and panel, as {bar, panel} pairs.
void expectPlaces(const std::array<StatusLine, kStatusLineCount>& lines,
                  const int (&places)[kStatusLineCount][2]) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].bar, places[i][0]) << lines[i].text;
    EXPECT_EQ(lines[i].panel, places[i][1]) << lines[i].text;
  }
}

TEST(StatusLines, wholeDayInWritingOrderWithPlaces) {
  const auto lines = composeStatusLines(wholeDay(), 8, "2019/07/05 16:03:09");
  EXPECT_EQ(texts(lines), (std::vector<std::string>{
                              "最高气温：31.3℃",
                              "最低气温：-2.3℃",
                              "平均气温：7.13℃",
                              "最高气压：1013.2hPa",  // not rounded before formatting
                              "最低气压：1001.0hPa",
                              "平均气压：1013.3hPa",
                              "降水量：12.5mm（中雨）",
                              "最大小时雨强：2.3mm（小）",
                              "最高风速：8.2m/s（5级）",  // not rounded before formatting
                              "最低能见度：0.500km（浓雾）",
                              "数据获取时间：2019/07/05 16:03:09",
                          }));
  const int places[kStatusLineCount][2] = {{1, 0}, {1, 1}, {2, 0}, {2, 2}, {2, 3}, {3, 0},
                                           {1, 2}, {1, 3}, {2, 1}, {3, 1}, {3, 2}};
  expectPlaces(lines, places);
}

TEST(StatusLines, incompleteElementsGetTheMarkBeforeTheLabel) {
  DailySummary summary = wholeDay();
  summary.pressureCoverage = kIncomplete;
  summary.precipitationCoverage = kIncomplete;
  summary.windSpeedCoverage = kIncomplete;
  summary.visibilityCoverage = kIncomplete;
  const auto lines = texts(composeStatusLines(summary, 0, "本地文件"));
  EXPECT_EQ(lines[0], "最高气温：31.3℃");
  EXPECT_EQ(lines[3], "最高气压：1013.2hPa*");
  EXPECT_EQ(lines[4], "最低气压：1001.0hPa*");
  EXPECT_EQ(lines[5], "平均气压：1013.3hPa*");
  EXPECT_EQ(lines[6], "降水量：12.5mm*（中雨）");
  EXPECT_EQ(lines[7], "最大小时雨强：2.3mm*（小）");
  EXPECT_EQ(lines[8], "最高风速：8.2m/s*（5级）");
  EXPECT_EQ(lines[9], "最低能见度：0.500km*");  // class 0 has no label
  EXPECT_EQ(lines[10], "数据获取时间：本地文件");
}

TEST(StatusLines, absentElementsShowNoData) {
  DailySummary summary;  // start values, nothing present
  summary.temperatureCoverage = kAbsent;
  const auto lines = texts(composeStatusLines(summary, 12, ""));
  EXPECT_EQ(lines,
            (std::vector<std::string>{"最高气温：无数据", "最低气温：无数据", "平均气温：无数据",
                                      "最高气压：无数据", "最低气压：无数据", "平均气压：无数据",
                                      "降水量：无数据", "最大小时雨强：无数据", "最高风速：无数据",
                                      "最低能见度：无数据", "数据获取时间："}));
}

TEST(StatusLines, fromTheSeriesThroughTheSummary) {
  DaySeries series;
  for (HourlyRecord& hour : series.hours) {
    hour.precipitation = "0";
    hour.visibility = "-1";
    hour.windSpeed = "0.0（0级）";
  }
  const auto lines = texts(composeStatusLines(computeDailySummary(series), 0, "x"));
  EXPECT_EQ(lines[6], "降水量：0.0mm");
  EXPECT_EQ(lines[7], "最大小时雨强：0.0mm");
  EXPECT_EQ(lines[8], "最高风速：0.0m/s（0级）");
  EXPECT_EQ(lines[9], "最低能见度：999.000km");
  EXPECT_EQ(lines[0], "最高气温：无数据");
}

// The same text in every slot's temperature, pressure and visibility, read
// by the rule for the numeric value of a text: a tiny negative number shows
// as -0 whether or not a double can hold it; a tab or a leading point ends
// the number at once.
TEST(StatusLines, slotTextsShowAsTheirNumericValue) {
  const struct {
    const char* text;
    const char* lowestTemperature;
    const char* meanTemperature;
    const char* lowestPressure;
    const char* meanPressure;
    const char* lowestVisibility;
  } cases[] = {
      {"-1e-320", "-0.0", "-0.00", "-0.0", "-0.0", "-0.000"},
      {"-1e-400", "-0.0", "-0.00", "-0.0", "-0.0", "-0.000"},
      {"-0", "0.0", "0.00", "0.0", "0.0", "0.000"},
      {"-0e-400", "0.0", "0.00", "0.0", "0.0", "0.000"},
      {" 7", "7.0", "7.00", "7.0", "7.0", "7.000"},
      {"\t7", "0.0", "0.00", "0.0", "0.0", "0.000"},
      {".5", "0.0", "0.00", "0.0", "0.0", "0.000"},
      {"-.5", "0.0", "0.00", "0.0", "0.0", "0.000"},
  };
  for (const auto& c : cases) {
    DaySeries series;
    for (HourlyRecord& hour : series.hours) {
      hour.temperature = hour.pressure = hour.visibility = c.text;
    }
    const auto lines = texts(composeStatusLines(computeDailySummary(series), 0, ""));
    EXPECT_EQ(lines[1], std::string("最低气温：") + c.lowestTemperature + "℃") << c.text;
    EXPECT_EQ(lines[2], std::string("平均气温：") + c.meanTemperature + "℃") << c.text;
    EXPECT_EQ(lines[4], std::string("最低气压：") + c.lowestPressure + "hPa") << c.text;
    EXPECT_EQ(lines[5], std::string("平均气压：") + c.meanPressure + "hPa") << c.text;
    EXPECT_EQ(lines[9], std::string("最低能见度：") + c.lowestVisibility + "km") << c.text;
  }
}

TEST(StatusLines, initialCaptionsInBarOrder) {
  const auto lines = initialStatusLines();
  EXPECT_EQ(texts(lines),
            (std::vector<std::string>{"最高气温：", "最低气温：", "降水量：", "最大小时雨强：",
                                      "平均气温：", "最高风速：", "最高气压：", "最低气压：",
                                      "平均气压：", "最低能见度：", "数据获取时间："}));
  const int places[kStatusLineCount][2] = {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 0}, {2, 1},
                                           {2, 2}, {2, 3}, {3, 0}, {3, 1}, {3, 2}};
  expectPlaces(lines, places);
}

TEST(DayTitle, kindDateAndStationFromTheSamePathsInBothModes) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(
      R"({"date":"2019-07-05","wmo":58453,"res":[{"name":"杭州"}],"today":[{"name":"x"}]})"));
  EXPECT_EQ(composeDayTitle(QueryMode::History, document), "历史天气\r\n2019-07-05\r\n杭州 58453");
  EXPECT_EQ(composeDayTitle(QueryMode::Today, document), "天气实况\r\n2019-07-05\r\n杭州 58453");

  ASSERT_TRUE(document.parse(R"({"today":[{"name":"x"}]})"));
  EXPECT_EQ(composeDayTitle(QueryMode::Today, document), "天气实况\r\n\r\n ");
}

TEST(PictureCaption, stationDateKindAndSourceOnOneLine) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(R"({"date":"2019-07-05","wmo":58453,"res":[{"name":"杭州"}]})"));
  EXPECT_EQ(composePictureCaption(QueryMode::History, document, "2019/07/06 08:00:00"),
            "杭州 58453　2019-07-05　历史天气　来源：数据服务（2019/07/06 08:00:00 获取）");
  EXPECT_EQ(composePictureCaption(QueryMode::Today, document, kLocalFileLabel),
            "杭州 58453　2019-07-05　天气实况　来源：本地文件");
}

}  // namespace
}  // namespace skyrill
