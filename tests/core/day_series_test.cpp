#include "core/day_series.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/daily_summary.h"
#include "core/day_texts.h"
#include "core/numeric_text.h"
#include "json/json_document.h"

namespace skyrill {
namespace {

// One record with a service time (shown 8 hours later) and more members.
std::string record(const std::string& serviceTime, const std::string& members = "") {
  return R"({"time":")" + serviceTime + "\"" + (members.empty() ? "" : "," + members) + "}";
}

// An answer whose `prefix` array holds the records.
JsonDocument answer(const std::vector<std::string>& records, const std::string& prefix = "res") {
  std::string text = "{\"" + prefix + "\":[";
  for (std::size_t i = 0; i < records.size(); ++i) text += (i > 0 ? "," : "") + records[i];
  JsonDocument document;
  EXPECT_TRUE(document.parse(text + "]}")) << text;
  return document;
}

DaySeries extract(const JsonDocument& document, QueryMode mode = QueryMode::History,
                  WindVariant wind = WindVariant::MaxInstant,
                  VisibilityVariant visibility = VisibilityVariant::TenMinuteMean) {
  DaySeries series;
  series.slot(7).temperature = "left over";
  series.maxVisibilityClass = 9;
  extractDaySeries(document, mode, wind, visibility, series);
  return series;
}

// The slots (1..24) that hold a record.
std::vector<int> filledSlots(const DaySeries& series) {
  std::vector<int> slots;
  for (int n = 1; n <= kSlotCount; ++n) {
    if (!(series.slot(n) == HourlyRecord{})) slots.push_back(n);
  }
  return slots;
}

TEST(ShiftedRecordTime, readsTheTimeAndAddsEightHours) {
  struct Case {
    const char* serviceTime;
    const char* shown;  // "" when the time does not read
  };
  const Case cases[] = {
      {"2019-07-05T08:00:00", "2019/07/05 16:00:00"},
      {"2019-07-04 16:00", "2019/07/05 00:00:00"},
      {"2019-7-5 8:5:9", "2019/07/05 16:05:09"},
      {"2019-07-05 08:00:00Z", "2019/07/05 16:00:00"},
      {"2019-07-05T08:00:00+00:00", "2019/07/05 16:00:00"},
      {"2019-07-05 08:00:00.000", "2019/07/05 16:00:00"},
      {"2019-07-05 08:30 UTC", "2019/07/05 16:30:00"},
      {"2019/07/05 08:00:00", "2019/07/05 16:00:00"},
      {"  2019:07:05:08:00:00", "2019/07/05 16:00:00"},
      {"2019-12-31 20:00:00", "2020/01/01 04:00:00"},
      {"2020-02-28 18:00:00", "2020/02/29 02:00:00"},
      {"2019-02-28 18:00:00", "2019/03/01 02:00:00"},
      {"2000-02-29 00:00:00", "2000/02/29 08:00:00"},
      {"2019-01-31 23:59:59", "2019/02/01 07:59:59"},
      {"", ""},
      {"abc", ""},
      {"2019-07-05", ""},
      {"2019-07-05 08", ""},
      {"2019-07-05t08:00:00", ""},
      {"2019-13-01 00:00:00", ""},
      {"2019-00-01 00:00:00", ""},
      {"2019-02-29 00:00:00", ""},
      {"2100-02-29 00:00:00", ""},
      {"2019-04-31 00:00:00", ""},
      {"2019-07-05 24:00:00", ""},
      {"2019-07-05 08:60:00", ""},
      {"2019-07-05 08:00:60", ""},
      {"2019-07-05 08:00:001", ""},
      {"19-07-05 08:00:00", ""},
      {"20190-07-05 08:00:00", ""},
      {"２０１９-07-05 08:00:00", ""},
      {"9999-12-31 16:00:00", ""},  // would leave four-digit years
      {"9999-12-31 15:59:59", "9999/12/31 23:59:59"},
  };
  for (const Case& c : cases) {
    const auto shifted = shiftedRecordTime(c.serviceTime);
    EXPECT_EQ(shifted ? formatShownTime(*shifted) : "", c.shown) << c.serviceTime;
  }
}

TEST(ReadCell, joinsTheValueWithItsAccText) {
  JsonDocument document;
  ASSERT_TRUE(document.parse(R"({"today":[{"T":25.3,"P":"1002","RH":80,"R1h":0,
      "acc":{"T":"26","P":"","R1h":null,"SD":3}}]})"));
  EXPECT_EQ(readCell(document, "today", 0, "T"), "25.3 {26}");
  EXPECT_EQ(readCell(document, "today", 0, "P"), "1002");
  EXPECT_EQ(readCell(document, "today", 0, "RH"), "80");
  EXPECT_EQ(readCell(document, "today", 0, "R1h"), "0");
  EXPECT_EQ(readCell(document, "today", 0, "SD"), " {3}");
  EXPECT_EQ(readCell(document, "today", 0, "V"), "");
  EXPECT_EQ(readCell(document, "today", 1, "T"), "");
  EXPECT_EQ(readCell(document, "res", 0, "T"), "");
}

TEST(ExtractDaySeries, historyFillsSlotsByTheClock) {
  const DaySeries series = extract(answer({record("2019-07-04 16:00:00", R"("T":20)"),
                                           record("2019-07-04 17:00:00", R"("T":21)"),
                                           record("2019-07-04 19:00:00", R"("T":23)")}));
  EXPECT_EQ(filledSlots(series), (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(series.slot(1).timeText, "2019/07/05 00:00:00");
  EXPECT_EQ(series.slot(2).temperature, "21");
  EXPECT_EQ(series.slot(4).timeText, "2019/07/05 03:00:00");
  EXPECT_EQ(series.maxVisibilityClass, 0);
}

TEST(ExtractDaySeries, todayFillsFromSlot24Downwards) {
  const DaySeries series = extract(answer({record("2019-07-05T05:00:00", R"("T":13)"),
                                           record("2019-07-05T04:00:00", R"("T":12)"),
                                           record("2019-07-05T03:00:00", R"("T":11)")},
                                          "today"),
                                   QueryMode::Today);
  EXPECT_EQ(filledSlots(series), (std::vector<int>{22, 23, 24}));
  EXPECT_EQ(series.slot(24).timeText, "2019/07/05 13:00:00");
  EXPECT_EQ(series.slot(22).temperature, "11");
}

TEST(ExtractDaySeries, gapsAndSkippedRecords) {
  struct Case {
    const char* name;
    QueryMode mode;
    std::vector<const char*> serviceTimes;  // "" for a record without time
    std::vector<int> slotOfRecord;          // 0 when the record is not placed or overwritten
  };
  const Case cases[] = {
      {"same hour overwrites",
       QueryMode::History,
       {"2019-07-05 00:00", "2019-07-05 00:00"},
       {0, 1}},
      {"59 minutes count 0", QueryMode::History, {"2019-07-05 00:00", "2019-07-05 00:59"}, {0, 1}},
      {"61 minutes count 1", QueryMode::History, {"2019-07-05 00:00", "2019-07-05 01:01"}, {1, 2}},
      {"gap from the last placed record",
       QueryMode::History,
       {"2019-07-05 00:00", "", "2019-07-05 02:00", "bad", "2019-07-05 03:00"},
       {1, 0, 3, 0, 4}},
      {"first records without time", QueryMode::History, {"", "x", "2019-07-05 05:00"}, {0, 0, 1}},
      {"out of order within the day",
       QueryMode::History,
       {"2019-07-05 05:00", "2019-07-05 07:00", "2019-07-05 06:00"},
       {1, 3, 2}},
      {"before slot 1 is skipped",
       QueryMode::History,
       {"2019-07-05 05:00", "2019-07-05 06:00", "2019-07-05 04:00", "2019-07-05 07:00"},
       {1, 2, 0, 3}},
      {"far-off time is skipped",
       QueryMode::History,
       {"2019-07-05 05:00", "1970-01-01 00:00", "9999-01-01 00:00", "2019-07-05 06:00"},
       {1, 0, 0, 2}},
      {"after slot 24 in today mode is skipped",
       QueryMode::Today,
       {"2019-07-05 05:00", "2019-07-05 06:00", "2019-07-05 04:00"},
       {24, 0, 23}},
      {"today listed oldest first keeps only the first",
       QueryMode::Today,
       {"2019-07-05 03:00", "2019-07-05 04:00", "2019-07-05 05:00"},
       {24, 0, 0}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> records;
    for (std::size_t i = 0; i < c.serviceTimes.size(); ++i) {
      records.push_back(record(c.serviceTimes[i], R"("T":")" + std::to_string(i) + "\""));
    }
    const std::string prefix(recordPrefix(c.mode));
    const DaySeries series = extract(answer(records, prefix), c.mode);
    std::vector<int> expectedSlots;
    for (std::size_t i = 0; i < c.slotOfRecord.size(); ++i) {
      const int slot = c.slotOfRecord[i];
      if (slot == 0) continue;
      expectedSlots.push_back(slot);
      EXPECT_EQ(series.slot(slot).temperature, std::to_string(i)) << c.name << ", record " << i;
    }
    std::sort(expectedSlots.begin(), expectedSlots.end());
    EXPECT_EQ(filledSlots(series), expectedSlots) << c.name;
  }
}

TEST(ExtractDaySeries, dayLongerThan24HoursKeepsItsFirst24Hours) {
  std::vector<std::string> records;
  for (int i = 0; i < 24; ++i) {
    const std::string hour = std::to_string(100 + 2 * i).substr(1);  // every 2 hours
    const std::string time =
        i < 12 ? "2019-07-05 " + hour + ":00"
               : "2019-07-06 " + std::to_string(100 + 2 * i - 24).substr(1) + ":00";
    records.push_back(record(time, R"("T":)" + std::to_string(i)));
  }
  const DaySeries series = extract(answer(records));
  EXPECT_EQ(filledSlots(series), (std::vector<int>{1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23}));
  EXPECT_EQ(series.slot(23).temperature, "11");
}

TEST(ExtractDaySeries, onlyTheFirst24RecordsAreRead) {
  for (const int recordCount : {25, 10'000}) {
    std::vector<std::string> records;
    for (int i = 0; i < recordCount; ++i) {
      const int hour = i < 24 ? i : 23;  // the later ones would overwrite slot 24
      records.push_back(
          record("2019-07-05 " + std::to_string(hour) + ":00", R"("T":)" + std::to_string(i)));
    }
    const DaySeries series = extract(answer(records));
    EXPECT_EQ(filledSlots(series).size(), 24u) << recordCount;
    EXPECT_EQ(series.slot(24).temperature, "23") << recordCount;
  }
}

TEST(ExtractDaySeries, fillsEveryFieldWithLabels) {
  const DaySeries series = extract(answer({record("2019-07-05 00:00:00", R"(
      "T":-1.5,"P":1013.2,"RH":49.9,"WD0mMAX1h":270,"WS0mMAX1h":17.2,"R1h":0.3,"V10m":0.05,
      "SD":4,"WD2m":90,"WS2m":3.4,"WD0m":180,"WS0m":0.2,"V":12.5,"WX":"fog")")}));
  const HourlyRecord& hour = series.slot(1);
  EXPECT_EQ(hour.timeText, "2019/07/05 08:00:00");
  EXPECT_EQ(hour.temperature, "-1.5");
  EXPECT_EQ(hour.pressure, "1013.2");
  EXPECT_EQ(hour.humidity, "49.9");
  EXPECT_EQ(hour.windDirection, "270");
  EXPECT_EQ(hour.windSpeed, "17.2（8级）");
  EXPECT_EQ(hour.precipitation, "0.3");
  EXPECT_EQ(hour.visibility, "0.05（特强沙尘暴）");  // humidity 49.9 reads as 49
  EXPECT_EQ(hour.snowDepth, "4");
  EXPECT_EQ(series.maxVisibilityClass, 12);
}

TEST(ExtractDaySeries, variantsChangeOnlyWindAndVisibilityFields) {
  const JsonDocument document = answer({record("2019-07-05 00:00:00", R"(
      "T":20,"P":1000,"RH":95,"R1h":1,"SD":0,"WD0mMAX1h":270,"WS0mMAX1h":17.2,
      "WD2m":90,"WS2m":3.4,"WD0m":180,"V10m":0.8,"V":3)")});
  const DaySeries maxInstant = extract(document);
  const DaySeries twoMinute = extract(document, QueryMode::History, WindVariant::TwoMinuteMean,
                                      VisibilityVariant::Reported);
  const DaySeries hourly = extract(document, QueryMode::History, WindVariant::HourlyInstant);

  EXPECT_EQ(maxInstant.slot(1).visibility, "0.8（大雾）");
  EXPECT_EQ(maxInstant.maxVisibilityClass, 6);
  EXPECT_EQ(twoMinute.slot(1).windDirection, "90");
  EXPECT_EQ(twoMinute.slot(1).windSpeed, "3.4（3级）");
  EXPECT_EQ(twoMinute.slot(1).visibility, "3（轻雾）");
  EXPECT_EQ(twoMinute.maxVisibilityClass, 1);
  EXPECT_EQ(hourly.slot(1).windDirection, "180");
  EXPECT_EQ(hourly.slot(1).windSpeed, "");  // no "WS0m": no label either

  HourlyRecord same = twoMinute.slot(1);
  same.windDirection = maxInstant.slot(1).windDirection;
  same.windSpeed = maxInstant.slot(1).windSpeed;
  same.visibility = maxInstant.slot(1).visibility;
  EXPECT_EQ(same, maxInstant.slot(1));
}

TEST(ExtractDaySeries, accObjectsAndMissingKeys) {
  const DaySeries series = extract(answer({
      record("2019-07-05 00:00", R"("acc":{"T":"5"})"),
      record("2019-07-05 01:00", R"("T":3,"WS0mMAX1h":"","V10m":null,"acc":{"T":4,"RH":""})"),
      record("2019-07-05 02:00", R"("acc":{"WS0mMAX1h":9,"V10m":"0.5"})"),
      record("2019-07-05 03:00"),
  }));
  EXPECT_EQ(series.slot(1).temperature, " {5}");
  EXPECT_EQ(computeDailySummary(series).maxTemperature, 3);  // " {5}" reads 0
  EXPECT_EQ(series.slot(2).temperature, "3 {4}");
  EXPECT_EQ(series.slot(2).humidity, "");
  EXPECT_EQ(series.slot(2).windSpeed, "");
  EXPECT_EQ(series.slot(2).visibility, "");
  EXPECT_EQ(series.slot(3).windSpeed, " {9}（0级）");
  EXPECT_EQ(series.slot(3).visibility, " {0.5}（特强浓雾）");  // 0 km at humidity 100
  EXPECT_EQ(series.maxVisibilityClass, 11);
  HourlyRecord onlyTime;
  onlyTime.timeText = "2019/07/05 11:00:00";
  EXPECT_EQ(series.slot(4), onlyTime);
}

TEST(ExtractDaySeries, overwrittenRecordStillCountsForTheWorstVisibility) {
  const DaySeries series = extract(answer({
      record("2019-07-05 00:00", R"("V10m":0.05,"RH":90,"T":1)"),
      record("2019-07-05 00:00", R"("V10m":20,"RH":90)"),
  }));
  EXPECT_EQ(series.slot(1).visibility, "20");
  EXPECT_EQ(series.slot(1).temperature, "");  // all nine fields replaced
  EXPECT_EQ(series.maxVisibilityClass, 11);
}

TEST(ExtractDaySeries, negativeVisibilityGetsNoClass) {
  const DaySeries series = extract(answer({record("2019-07-05 00:00", R"("V10m":-1,"RH":30)")}));
  EXPECT_EQ(series.slot(1).visibility, "-1");
  EXPECT_EQ(series.maxVisibilityClass, 0);
}

TEST(ExtractDaySeries, answersWithoutUsableRecordsGiveAnEmptyDay) {
  for (const char* text : {R"({"res":{"time":"2019-07-05 00:00"}})", R"({"res":[null,1,"x",[]]})",
                           R"({"today":[{"time":"2019-07-05 00:00"}]})", R"([1,2])"}) {
    JsonDocument document;
    ASSERT_TRUE(document.parse(text)) << text;
    const DaySeries series = extract(document);
    EXPECT_TRUE(filledSlots(series).empty()) << text;
    EXPECT_EQ(series.maxVisibilityClass, 0) << text;
  }
}

TEST(ExtractDaySeries, hugeAndNanLikeTextsNeverShowInfOrNan) {
  const DaySeries series = extract(answer({record("2019-07-05 00:00", R"(
      "T":"1e999","P":"-1e999","RH":"NaN","WS0mMAX1h":"1e999","R1h":"1e999","V10m":"-inf")"),
                                           record("2019-07-05 01:00", R"(
      "T":"-1e999","P":"1e400","WS0mMAX1h":"nan","R1h":"1e999","V10m":"1e-999")")}));
  EXPECT_EQ(series.slot(1).windSpeed, "1e999（17级以上）");
  EXPECT_EQ(series.slot(2).windSpeed, "nan（0级）");
  EXPECT_EQ(series.slot(1).visibility, "-inf（特强浓雾）");  // no number: 0 km
  DaySeries labelled = series;
  attachPrecipitationLabels(labelled);
  const DailySummary summary = computeDailySummary(labelled);
  for (const StatusLine& line : composeStatusLines(summary, series.maxVisibilityClass, "")) {
    EXPECT_EQ(line.text.find("inf"), std::string::npos) << line.text;
    EXPECT_EQ(line.text.find("nan"), std::string::npos) << line.text;
  }
}

// The numbers the extraction keeps must be the ones its texts read as: the
// day's labels and statistics use them instead of reading the texts again.
TEST(ExtractDaySeries, keptNumbersAreWhatTheCellTextsReadAs) {
  struct Case {
    const char* value;  // the temperature member as written in the answer
    bool kept;
  };
  const Case cases[] = {
      {"23.40", true},      {"-5", true},          {"-0", true},
      {"0.000001", true},   {"1e-7", false},       {"99999999999999999999", true},
      {"1e21", false},      {"1234567.125", true}, {"123456789012345678", true},
      {"-0.0000015", true}, {"\"23.4\"", false},   {"\"(3)\"", false},
      {"true", false},      {"[1,2]", false},      {"null", false},
      {"{}", false},
  };
  for (const Case& c : cases) {
    for (const char* acc : {"", R"x(,"acc":{"T":"(2)"})x"}) {
      const std::string members = std::string(R"("T":)") + c.value + acc;
      DaySeries series;
      const DayNumbers numbers =
          extractDaySeries(answer({record("2019-07-05 00:00", members)}), QueryMode::History,
                           WindVariant::MaxInstant, VisibilityVariant::TenMinuteMean, series);
      const std::optional<double> kept = numbers[0].temperature;
      const std::string& text = series.slot(1).temperature;
      EXPECT_EQ(kept.has_value(), c.kept) << members;
      if (!kept) continue;
      EXPECT_EQ(numericValue(text), *kept) << members;
      EXPECT_EQ(slotNumber(text), *kept) << members;
      EXPECT_TRUE(hasSlotText(text)) << members;
      EXPECT_FALSE(std::signbit(*kept) && *kept == 0) << members;  // 0, as its text reads
    }
  }
}

TEST(AttachPrecipitationLabels, labelsTheUncleanedAmountByTheCleanedTemperature) {
  struct Case {
    const char* precipitation;
    const char* temperature;
    const char* labelled;
  };
  const Case cases[] = {
      {"2", "", "2（小）"},
      {"2", "1.6", "2（小）"},
      {"2", "1.4", "2（中雪）"},
      {"2", "(1.4)", "2（中雪）"},
      {"(0.3)", "", "(0.3)"},
      {"0.05", "", "0.05"},
      {"0", "20", "0"},
      {"", "20", ""},
      {"16 {1}", "1.5", "16 {1}（暴雪）"},
      {"16", "()", "16（暴）"},
  };
  DaySeries series;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    series.hours[i].precipitation = cases[i].precipitation;
    series.hours[i].temperature = cases[i].temperature;
  }
  attachPrecipitationLabels(series);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(series.hours[i].precipitation, cases[i].labelled)
        << cases[i].precipitation << " at '" << cases[i].temperature << "'";
  }
}

}  // namespace
}  // namespace skyrill
