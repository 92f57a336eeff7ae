#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "directory_api.h"
#include "sample_day.h"
#include "weather_api.h"

namespace skyrill::sample {
namespace {

using namespace std::chrono;
using nlohmann::ordered_json;

// 2020-07-20 14:30 in Beijing.
const system_clock::time_point kNow = sys_days(2020y / July / 20) + hours(6) + minutes(30);

ServiceReply ask(const std::string& endpoint, const std::string& date,
                 const std::string& station = "58453", const std::string& key = "demo",
                 const ServiceConfig& config = {}) {
  WeatherQuery query{station, endpoint, key, {}};
  if (endpoint.starts_with("history")) query.date = date;
  return answerWeatherQuery(config, query, kNow);
}

std::vector<std::string> timesOf(const ordered_json& records) {
  std::vector<std::string> times;
  for (const auto& record : records) times.push_back(record["time"]);
  return times;
}

TEST(SampleService, historyDayHas24HoursOfTheBeijingDayInUtcOldestFirst) {
  const ServiceReply reply = ask("history", "2019-7-5");
  ASSERT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, ask("history", "2019-07-05").body) << "padding is optional";
  EXPECT_EQ(reply.body, ask("history", "2019-7-5").body) << "the same day answers the same";
  const ordered_json day = ordered_json::parse(reply.body);
  EXPECT_EQ(day["date"], "2019-07-05");
  EXPECT_EQ(day["wmo"], "58453");
  EXPECT_EQ(day["name"], "柯桥");
  const auto times = timesOf(day["res"]);
  ASSERT_EQ(times.size(), 24u);
  EXPECT_EQ(times.front(), "2019-07-04T16:00:00");
  EXPECT_EQ(times[8], "2019-07-05T00:00:00");
  EXPECT_EQ(times.back(), "2019-07-05T15:00:00");
  EXPECT_EQ(day["res"][0]["name"], "柯桥");
}

TEST(SampleService, todayHasTheHoursSoFarNewestFirstMatchingHistory) {
  const ordered_json today = ordered_json::parse(ask("today", "").body);
  const ordered_json history = ordered_json::parse(ask("history", "2020-7-20").body);
  ASSERT_EQ(today["today"].size(), 15u);  // 00:00 to 14:00
  ASSERT_EQ(history["res"].size(), 15u);
  EXPECT_EQ(today["today"][0]["time"], "2020-07-20T06:00:00");
  for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(today["today"][i], history["res"][14 - i]);
  EXPECT_EQ(ask("today2", "").body, ask("today", "").body) << "both sources hold the same days";
}

bool isJson(const std::string& text) {
  return ordered_json::accept(text);
}

TEST(SampleService, refusalsAndEmptyDays) {
  struct Case {
    const char* endpoint;
    const char* date;
    const char* station;
    const char* key;
    int status;
    const char* body;  // "" for an HTML page
  } cases[] = {
      {"history", "2019-7-5", "58453", "wrong", 403, ""},
      {"history", "2019-7-5", "58453", "", 403, ""},
      {"today", "", "58453", "", 403, ""},
      {"history3", "2019-7-5", "58453", "demo", 404, ""},
      {"history", "2019-7-5", "05845", "demo", 404, R"({"error":"站点不存在"})"},
      {"today", "", "5845", "demo", 404, R"({"error":"站点不存在"})"},
      {"history", "2019-7", "58453", "demo", 400, R"({"error":"日期格式错误"})"},
      {"history", "2019-2-29", "58453", "demo", 400, R"({"error":"日期格式错误"})"},
      {"history", "2019-x-5", "58453", "demo", 400, R"({"error":"日期格式错误"})"},
      {"history", "1990-12-31", "58453", "demo", 200, R"({"res":[]})"},
      {"history2", "1990-12-31", "58453", "demo", 200, R"({"res":[]})"},
      {"history", "2020-7-21", "58453", "demo", 200, R"({"res":[]})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.endpoint) + " " + c.date + " " + c.station + " " + c.key);
    const ServiceReply reply = ask(c.endpoint, c.date, c.station, c.key);
    EXPECT_EQ(reply.status, c.status);
    if (*c.body) {
      EXPECT_EQ(reply.body, c.body);
    } else {
      EXPECT_FALSE(isJson(reply.body));
      EXPECT_TRUE(reply.body.starts_with("<!DOCTYPE html>"));
    }
  }
  // Both sources begin on 1991-01-01.
  EXPECT_EQ(ordered_json::parse(ask("history", "1991-1-1").body)["res"].size(), 24u);
  EXPECT_EQ(ordered_json::parse(ask("history2", "1991-1-1").body)["res"].size(), 24u);
}

TEST(SampleService, acceptsOnlyTheConfiguredKeys) {
  ServiceConfig config;
  config.apiKeys = {"k1", "k2"};
  EXPECT_EQ(ask("today", "", "58453", "k2", config).status, 200);
  EXPECT_EQ(ask("today", "", "58453", "demo", config).status, 403);
}

TEST(SampleService, savedFilesAreServedInPlaceOfSynthesizedDays) {
  const auto dir = std::filesystem::path(::testing::TempDir()) / "sample_service_saved";
  std::filesystem::create_directories(dir);
  const auto write = [&](const char* name, const char* text) { std::ofstream(dir / name) << text; };
  write("0_58453_0_20200719.json", "saved history");
  write("0_58453_1_20200719.json", "saved history2");
  write("1_58453_0_20200720_101500.json", "saved early");
  write("1_58453_0_20200720_120000.json", "saved later");
  ServiceConfig config;
  config.dataDir = dir;
  EXPECT_EQ(ask("history", "2020-7-19", "58453", "demo", config).body, "saved history");
  EXPECT_EQ(ask("history2", "2020-7-19", "58453", "demo", config).body, "saved history2");
  EXPECT_EQ(ask("today", "", "58453", "demo", config).body, "saved later");
  EXPECT_TRUE(isJson(ask("history", "2020-7-18", "58453", "demo", config).body));
  EXPECT_EQ(ask("history", "2020-7-19", "58453", "bad", config).status, 403);
  std::filesystem::remove_all(dir);
}

// What a long run of synthesized days holds.
struct Survey {
  int records = 0;
  int missing = 0;
  int corrections = 0;
  bool fog = false, haze = false, rain = false, snow = false, storm = false;
};

void checkRecord(const ordered_json& record, Survey& survey) {
  const auto within = [&](const char* key, double low, double high) {
    if (!record.contains(key) || record[key].is_null()) return ++survey.missing, void();
    const double value = record[key].get<double>();
    EXPECT_TRUE(value >= low && value <= high) << key << "=" << value << " " << record.dump();
  };
  within("T", -45, 45);
  within("P", 985, 1040);
  within("RH", 5, 100);
  within("WS2m", 0, 30);
  within("WS0m", 0, 35);
  within("WS0mMAX1h", 0, 45);
  within("WD2m", 0, 359);
  within("R1h", 0, 30);
  within("V10m", 0.01, 30);
  within("V", 0.01, 32);
  ++survey.records;
  survey.corrections += record.contains("acc");
  const int weather = record["WX"];
  if (record.contains("T") && record["T"].is_number()) {
    const double temperature = record["T"].get<double>();
    if (weather == kRainCode) {
      EXPECT_GE(temperature, -3) << "rain in hard frost " << record.dump();
    }
    if (weather == kSnowCode) {
      EXPECT_LE(temperature, 4) << "snow in warmth " << record.dump();
    }
  }
  survey.fog |= weather == kFogCode;
  survey.haze |= weather == kHazeCode;
  survey.rain |= weather == kRainCode;
  survey.snow |= weather == kSnowCode && record["SD"].is_number();
  survey.storm |= record.contains("WS0mMAX1h") && record["WS0mMAX1h"].is_number() &&
                  record["WS0mMAX1h"].get<double>() >= 24.5;
}

TEST(SampleDay, valuesArePlausibleAndTheWeatherVaries) {
  Survey survey;
  for (const char* station : {"50953", "54511", "58453", "59287", "12345"}) {
    for (sys_days day = sys_days(2019y / January / 1); day < sys_days(2021y / January / 1);
         day += days(3)) {
      for (const auto& record : sampleRecords(station, day, 24)) checkRecord(record, survey);
    }
  }
  EXPECT_TRUE(survey.fog && survey.haze && survey.rain && survey.snow && survey.storm);
  EXPECT_GT(survey.missing, 0);
  EXPECT_GT(survey.corrections, 0);
  EXPECT_LT(survey.missing, survey.records / 10);
}

// The mean temperature of every third day of five years, from 1991 or 2016.
double fiveYearMeanC(int firstYear, double warmingPerDecadeC) {
  double sum = 0;
  int count = 0;
  const sys_days first = year(firstYear) / January / 1;
  for (sys_days day = first; day < first + days(5 * 365); day += days(3)) {
    for (const auto& record : sampleRecords("54511", day, 24, warmingPerDecadeC)) {
      if (!record.contains("T") || !record["T"].is_number()) continue;
      sum += record["T"].get<double>();
      ++count;
    }
  }
  return sum / count;
}

// Each year's days are its own, and the climate warms slowly: by the
// warming asked for between 1991-1995 and 2016-2020 (2.5 decades), not at all
// without it; the days of mid-2006 stay as they are.
TEST(SampleDay, daysVaryFromYearToYearAndWarmSlowly) {
  EXPECT_NE(sampleRecords("54511", sys_days(2019y / July / 5), 24),
            sampleRecords("54511", sys_days(2020y / July / 5), 24));
  const double warmed =
      fiveYearMeanC(2016, kWarmingPerDecadeC) - fiveYearMeanC(1991, kWarmingPerDecadeC);
  EXPECT_NEAR(warmed, 2.5 * kWarmingPerDecadeC, 0.25);
  EXPECT_NEAR(fiveYearMeanC(2016, 0) - fiveYearMeanC(1991, 0), 0, 0.25);
  const sys_days middle = 2006y / July / 1;
  EXPECT_EQ(sampleRecords("54511", middle, 24, 0), sampleRecords("54511", middle, 24, 0.3));
}

TEST(SampleDay, stationsAndNames) {
  EXPECT_TRUE(isKnownStation("58453"));
  for (const char* unknown : {"05845", "5845", "584530", "5845a", ""}) {
    EXPECT_FALSE(isKnownStation(unknown)) << unknown;
  }
  // Names come from the bundled directory, as the picker shows them.
  EXPECT_EQ(stationName("54511"), "北京");
  EXPECT_EQ(stationName("58453"), "柯桥");
  EXPECT_EQ(stationName("45005"), "香港天文台");
  EXPECT_EQ(stationName("12345"), "测站12345");
}

TEST(SampleDirectory, eachStationIsListedOnceInOneProvinceUnderACodeOfItsKind) {
  const ordered_json provinces = ordered_json::parse(provinceListReply().body);
  ASSERT_EQ(provinces.size(), 34u);
  std::set<std::string> provinceCodes;
  std::set<std::string> stations;
  for (const ordered_json& province : provinces) {
    const std::string code = province["code"];
    EXPECT_TRUE(code.size() == 3 && code[0] == 'A') << code;
    EXPECT_TRUE(provinceCodes.insert(code).second) << code;
    const ServiceReply reply = stationListReply(code);
    EXPECT_EQ(reply.status, 200);
    for (const ordered_json& station : ordered_json::parse(reply.body)) {
      const std::string number = station["code"];
      EXPECT_TRUE(isKnownStation(number)) << number;
      EXPECT_TRUE(stations.insert(number).second) << number << " twice";
      EXPECT_EQ(station["province"], province["name"]);
    }
  }
  EXPECT_GT(stations.size(), 300u);
  EXPECT_EQ(stationListReply("XXX").status, 404);
  EXPECT_EQ(stationListReply("").status, 404);
}

}  // namespace
}  // namespace skyrill::sample
