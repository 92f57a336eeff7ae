#include "archive/daily_normals.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "archive/climate_days.h"
#include "archive/history_archive.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using Value = std::optional<double>;

ClimateDay day(int date, Value highest, Value lowest = {}, Value mean = {},
               Value precipitation = {}) {
  ClimateDay day;
  day.date = date;
  day.values = {highest, lowest, mean, precipitation};
  return day;
}

const ElementInClimate& element(const DayInClimate& day, ClimateElement which) {
  return day.elements[static_cast<std::size_t>(which)];
}

TEST(NormalWindow, takesSevenCalendarDaysEitherSideAcrossTheNewYear) {
  const struct {
    int year;
    int monthDay;
    Period window;
  } cases[] = {
      {2023, 705, {20230628, 20230712}},
      {2023, 105, {20221229, 20230112}},  // into the year before
      {2023, 1230, {20231223, 20240106}},
      {2024, 229, {20240222, 20240307}},
      {2023, 229, {20230222, 20230307}},  // a leap day's window without the leap day
      {2024, 301, {20240223, 20240308}},
      {2023, 301, {20230222, 20230308}},
  };
  for (const auto& c : cases) {
    const Period window = normalWindow(c.year, c.monthDay);
    EXPECT_EQ(window.first, c.window.first) << c.year << " " << c.monthDay;
    EXPECT_EQ(window.last, c.window.last) << c.year << " " << c.monthDay;
  }
}

// Three years of the date's window, the last one cut at the latest day asked.
TEST(ClimateDownloadPeriod, windowsOfThreeYearsUpToTheLatestDay) {
  const struct {
    int date;
    int latest;
    Period period;
  } cases[] = {
      {20240705, 20250101, {20220628, 20240712}},
      {20240105, 20250101, {20211229, 20240112}},
      {20240705, 20240708, {20220628, 20240708}},
      {20240229, 20250101, {20220222, 20240307}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(climateDownloadPeriod(c.date, c.latest), c.period) << c.date;
  }
}

// The normal is the mean of every day of the windows, whichever year holds
// more of them; a year counts with one day in its window, even one of the
// December before; fewer than three years give no normal.
TEST(CalendarDayNormals, meanOfTheWindowsDaysOverTheYears) {
  const StationDays days(std::vector<ClimateDay>{
      day(20001229, 10, 1),  // in 2001's window of 01-05
      day(20010112, 10),
      day(20010113, 1000, 1000),  // outside every window
      day(20020105, 40, 3),
      day(20030101, 40),
  });
  const auto normals = calendarDayNormals(days, 105);
  const DayNormal& highest = normals[static_cast<std::size_t>(ClimateElement::Highest)];
  EXPECT_EQ(highest.years, 3);
  EXPECT_EQ(highest.value, 25.0) << "(10 + 10 + 40 + 40) / 4";
  const DayNormal& lowest = normals[static_cast<std::size_t>(ClimateElement::Lowest)];
  EXPECT_EQ(lowest.years, 2);
  EXPECT_FALSE(lowest.value) << "two years are too few";
}

// 07-05 in five years, and the day on display among them.
StationDays fiveJulyFifths() {
  return StationDays(std::vector<ClimateDay>{
      day(20010705, 30, 20, 25, 0),
      day(20020705, 33, std::nullopt, 25, 5),
      day(20030705, 31, std::nullopt, 25, 0),
      day(20040705, 33, std::nullopt, 25, 0),
      day(20050705, 28, 19, 25, 2),
  });
}

TEST(DayInClimate, departureRankAndRecordsAmongTheYears) {
  const DayInClimate saved = dayInClimate(fiveJulyFifths(), 20050705);
  EXPECT_FALSE(saved.fewYears());
  const ElementInClimate& highest = element(saved, ClimateElement::Highest);
  EXPECT_EQ(highest.value, 28.0);
  EXPECT_EQ(highest.normal.value, 31.0);
  EXPECT_EQ(highest.normal.years, 5);
  EXPECT_EQ(highest.departure, "偏低 3.0℃");
  EXPECT_EQ(highest.rank, "2001 年以来同日第 1 低（共 5 年）")
      << "counted from the foot below the normal";
  ASSERT_TRUE(highest.highest && highest.lowest);
  EXPECT_EQ(highest.highest->value, 33.0);
  EXPECT_EQ(highest.highest->years, (std::vector<int>{2002, 2004}));
  EXPECT_EQ(highest.lowest->years, std::vector<int>{2005});

  const ElementInClimate& precipitation = element(saved, ClimateElement::Precipitation);
  EXPECT_EQ(precipitation.departure, "偏多 0.6mm");
  EXPECT_EQ(precipitation.rank, "2001 年以来同日第 2 多（共 5 年）");
  EXPECT_EQ(element(saved, ClimateElement::Mean).departure, "持平");

  const ElementInClimate& lowest = element(saved, ClimateElement::Lowest);
  EXPECT_EQ(lowest.value, 19.0);
  EXPECT_FALSE(lowest.normal.value);
  EXPECT_EQ(lowest.departure, "");
  EXPECT_EQ(lowest.rank, "") << "two years give no rank";
  EXPECT_FALSE(lowest.highest);
}

// The day on display stands for its year, saved or not; the date's table
// stays the archive's.
TEST(DayInClimate, theDayOnDisplayStandsForItsYear) {
  const DayInClimate shown =
      dayInClimate(fiveJulyFifths(), 20060705, day(20060705, 33, 18, 27.555, 0));
  const ElementInClimate& highest = element(shown, ClimateElement::Highest);
  EXPECT_EQ(highest.departure, "偏高 2.0℃");
  EXPECT_EQ(highest.rank, "2001 年以来同日第 1 高（共 6 年）") << "equal to two years: first";
  EXPECT_EQ(highest.highest->years, (std::vector<int>{2002, 2004, 2006}));
  EXPECT_EQ(element(shown, ClimateElement::Mean).departure, "偏高 2.6℃") << "27.555 - 25.0";
  EXPECT_EQ(element(shown, ClimateElement::Precipitation).departure, "偏少 1.4mm");
  EXPECT_EQ(element(shown, ClimateElement::Lowest).rank, "2001 年以来同日第 3 高（共 3 年）")
      << "without a normal, from the top";
  EXPECT_EQ(shown.sameDay.days.size(), 5u);

  const DayInClimate replaced =
      dayInClimate(fiveJulyFifths(), 20050705, day(20050705, 34, 18, 25, 0));
  EXPECT_EQ(element(replaced, ClimateElement::Highest).rank, "2001 年以来同日第 1 高（共 5 年）");
  EXPECT_EQ(element(replaced, ClimateElement::Highest).highest->years, std::vector<int>{2005});

  const DayInClimate few = dayInClimate(fiveJulyFifths(), 20050706);
  EXPECT_TRUE(few.fewYears());
  EXPECT_FALSE(element(few, ClimateElement::Highest).value);
}

// A day holds a record when no year's same date went beyond it: set alone
// or equal to another year's, which then holds it too; three years at least,
// and a wet record needs 0.1 mm.
// The window's table of the day: the panels' texts, the normal with its
// years, departure, rank, and the records with the years that hold them.
TEST(DayInClimate, asRowsOfTextsPerElement) {
  ClimateDay shown = day(20060705, 33, 18, 27.555, 0);
  shown.cells = {"33.0", "18.0", "27.56", "0.0"};
  std::vector<ClimateDay> days = fiveJulyFifths().all();
  days.push_back(day(20070705, 20, 18, 25, 0));
  const auto rows = dayInClimateRows(dayInClimate(StationDays(days), 20060705, shown));
  EXPECT_EQ(dayInClimateHeader(), (std::vector<std::string>{"", "最高气温 (℃)", "最低气温 (℃)",
                                                            "平均气温 (℃)", "降水量 (mm)"}));
  const std::vector<std::vector<std::string>> expected = {
      {"当日", "33.0", "18.0", "27.56", "0.0"},
      {"常年值（前后 7 天）", "29.2（6 年）", "19.0（3 年）", "25.0（6 年）", "1.2（6 年）"},
      {"距平", "偏高 3.8℃", "偏低 1.0℃", "偏高 2.6℃", "偏少 1.2mm"},
      {"排位", "2001 年以来同日第 1 高（共 7 年）", "2001 年以来同日第 1 低（共 4 年）",
       "2001 年以来同日第 1 高（共 7 年）", "2001 年以来同日第 1 少（共 7 年）"},
      {"同日最高", "33.0（2002、2004、2006）", "20.0（2001）", "27.6（2006）", "5.0（2002）"},
      {"同日最低", "20.0（2007）", "18.0（2006、2007）", "25.0（2001、2002、2003 等 6 年）", "—"},
  };
  EXPECT_EQ(rows, expected);
}

TEST(RecordDays, holdersOfTheRecordsOfTheirCalendarDays) {
  const StationDays days(std::vector<ClimateDay>{
      day(20010301, 10, -5, 0, 0),
      day(20020301, 12, -6, 0, 0),
      day(20030301, 12, -4, 0, 0),
      day(20040301, 11, -6, 0, 0),
      day(20030302, 20, -20, 0, 9),
      day(20040302, 10, -10, 0, 1),  // two years only
      day(20010303, 5, 1, 0, 0.1),
      day(20020303, 6, 2, 0, 0.0),
      day(20030303, 7, 3, 0, 0.1),
  });
  const std::vector<RecordDay> records = recordDays(days, {20010101, 20041231});
  std::vector<std::string> found;
  for (const RecordDay& record : records) {
    found.push_back(std::to_string(record.date) + (record.warmest ? " warmest" : "") +
                    (record.coldest ? " coldest" : "") + (record.wettest ? " wettest" : ""));
  }
  EXPECT_EQ(found, (std::vector<std::string>{"20010303 coldest wettest", "20020301 warmest coldest",
                                             "20030301 warmest", "20030303 warmest wettest",
                                             "20040301 coldest"}));
  EXPECT_EQ(recordDays(days, {20030301, 20030301}).size(), 1u) << "the period's days only";
}

TEST(NormalBand, coversTheDaysWhoseWindowsHaveThreeYears) {
  std::vector<ClimateDay> saved;
  for (int year = 2001; year <= 2003; ++year) {
    for (int date = year * 10000 + 210; date <= year * 10000 + 228; ++date)
      saved.push_back(day(date, 10, 0));
    for (int date = year * 10000 + 301; date <= year * 10000 + 320; ++date)
      saved.push_back(day(date, 10, 0));
  }
  const std::vector<NormalBandDay> band = normalBand(StationDays(saved), {20040227, 20040331});
  ASSERT_EQ(band.size(), 30u);
  EXPECT_EQ(band.front().date, 20040227);
  EXPECT_EQ(band[2].date, 20040229) << "the leap day has the common years' windows";
  EXPECT_EQ(band.back().date, 20040327) << "the last window that reaches 03-20";
  EXPECT_EQ(band.back().lowest, 0);
  EXPECT_EQ(band.back().highest, 10);
}

// Around a date only the files within its windows are read, and they give
// what the whole station's days give.
TEST(ReadDaysAround, readsTheWindowsFilesAlone) {
  testing::TempFolder folder;
  const HistoryArchive archive = HistoryArchive::inFolder(folder / "History");
  const std::string bytes =
      testing::readBytes(fs::path(SKYRILL_TEST_DATA_DIR) / "day/0_57083_0_20190705.json");
  const std::chrono::sys_days first = std::chrono::year(2021) / std::chrono::January / 1;
  for (int i = 0; i < 3 * 365; ++i) {
    const std::chrono::year_month_day date(first + std::chrono::days(i));
    const int number = static_cast<int>(date.year()) * 10000 +
                       static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
                       static_cast<int>(static_cast<unsigned>(date.day()));
    // Written plainly: the archive's own writer syncs every file.
    const fs::path file = archive.placeOf(std::to_string(number / 10000),
                                          "0_57083_0_" + std::to_string(number) + ".json");
    fs::create_directories(file.parent_path());
    testing::writeBytes(file, bytes);
  }
  std::atomic<int> reads{0};
  PeriodReadOptions options;
  options.readFile = [&reads](const fs::path& path) {
    ++reads;
    return testing::readBytes(path);
  };
  const StationDays around = readDaysAround(archive, "57083", 20220105, options);
  EXPECT_EQ(reads, 12 + 15 + 15 + 3) << "2021-01-01 to 2023-12-31, the windows of 01-05";
  EXPECT_EQ(around.all().size(), 45u);
  EXPECT_EQ(around.all().front().date, 20210101);
  EXPECT_EQ(around.all().back().date, 20231231);

  const StationDays all = readStationDays(archive, "57083", {});
  EXPECT_EQ(all.all().size(), 3u * 365);

  // With a period read already, only the days beyond it are read, and the
  // period's days are those given.
  PeriodDays known = readPeriodDays(archive, "57083", {20220101, 20220131}, {});
  known.days.front().statistics[kHighestTemperatureStat].value = "99.0";
  reads = 0;
  const StationDays beyond = readStationDaysBeyond(archive, known, options);
  EXPECT_EQ(reads, 3 * 365 - 31);
  EXPECT_EQ(beyond.all().size(), 3u * 365);
  EXPECT_EQ(beyond.on(20220101)->value(ClimateElement::Highest), 99.0);
  const DayInClimate fromAround = dayInClimate(around, 20220105);
  const DayInClimate fromAll = dayInClimate(all, 20220105);
  for (std::size_t e = 0; e < kClimateElementCount; ++e) {
    EXPECT_EQ(fromAround.elements[e].normal.value, fromAll.elements[e].normal.value) << e;
    EXPECT_EQ(fromAround.elements[e].normal.years, fromAll.elements[e].normal.years) << e;
    EXPECT_EQ(fromAround.elements[e].rank, fromAll.elements[e].rank) << e;
  }
}

}  // namespace
}  // namespace skyrill
