#include "archive/period_overview.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "archive/history_archive.h"
#include "core/calendar_date.h"
#include "tests/store/temp_folder.h"

namespace skyrill {

// Readable failures.
void PrintTo(const Period& period, std::ostream* out) {
  *out << period.first << "-" << period.last;
}

namespace {

namespace fs = std::filesystem;

// A past day's answer of two hours, 08:00 and 09:00 Beijing time: the low
// with `rainMm`, then the high; both at `visibilityKm` in 72 % humidity.
std::string dayAnswer(int date, const std::string& low, const std::string& high,
                      const std::string& rainMm, const std::string& visibilityKm) {
  const std::string day = dateText(date);
  return R"({"date":")" + day + R"(","wmo":"54511","res":[{"name":"北京","time":")" + day +
         R"(T00:00:00","T":)" + low + R"(,"R1h":)" + rainMm + R"(,"RH":72,"V10m":)" + visibilityKm +
         R"(},{"time":")" + day + R"(T01:00:00","T":)" + high + R"(,"R1h":0,"RH":72,"V10m":)" +
         visibilityKm + "}]}";
}

// An hour with the humidity alone: no temperature, precipitation or visibility.
std::string dayWithoutFigures(int date) {
  return R"({"date":")" + dateText(date) + R"(","wmo":"54511","res":[{"time":")" + dateText(date) +
         R"(T00:00:00","RH":50}]})";
}

std::string pastDayName(const std::string& station, int date) {
  return "0_" + station + "_0_" + std::to_string(date) + ".json";
}

// Station 54511 over 2024-01-01 to 01-05: the 1st and 2nd with values, no
// 3rd, the 4th without figures, a 5th that is no JSON; beside them a day of
// another station and one before the period.
class PeriodOverviewTest : public ::testing::Test {
 protected:
  PeriodOverviewTest() : archive(HistoryArchive::inFolder(folder / "History")) {
    save("54511", 20240101, dayAnswer(20240101, "-12.3", "-3.46", "0.4", "4"));
    save("54511", 20240102, dayAnswer(20240102, "-0.04", "5", "0", "20"));
    save("54511", 20240104, dayWithoutFigures(20240104));
    save("54511", 20240105, "not json");
    save("59287", 20240103, dayAnswer(20240103, "10", "20", "1", "20"));
    save("54511", 20231231, dayAnswer(20231231, "1", "2", "0", "20"));
  }

  void save(const std::string& station, int date, const std::string& bytes) {
    ASSERT_TRUE(archive.save(std::to_string(date / 10000), pastDayName(station, date), bytes));
  }

  PeriodDays read(PeriodReadOptions options = {}) {
    return readPeriodDays(archive, "54511", kPeriod, options);
  }

  static constexpr Period kPeriod{20240101, 20240105};
  testing::TempFolder folder;
  HistoryArchive archive;
};

TEST(Period, countsDaysAcrossMonthsYearsAndLeapDays) {
  const struct {
    Period period;
    int length;
    int index;
    int date;
  } cases[] = {
      {{20231230, 20240102}, 4, 2, 20240101},
      {{20240228, 20240301}, 3, 1, 20240229},
      {{20230228, 20230301}, 2, 1, 20230301},
      {{20240105, 20240105}, 1, 0, 20240105},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.period.length(), c.length) << c.period.first;
    EXPECT_EQ(c.period.dateAt(c.index), c.date) << c.period.first;
    EXPECT_EQ(c.period.indexOf(c.date), c.index) << c.period.first;
  }
}

TEST(Period, aYearEndsAtTheDayAndHolds365Days) {
  const struct {
    int last;
    int first;
  } cases[] = {{20240120, 20230121}, {20240229, 20230302}, {20230101, 20220102}};
  for (const auto& c : cases) {
    const Period year = yearEndingAt(c.last);
    EXPECT_EQ(year, (Period{c.first, c.last})) << c.last;
    EXPECT_EQ(year.length(), 365) << c.last;
  }
}

// Counted from the day the overview follows (the anchor), on fixed dates.
TEST(PeriodPreset, periodsCountedFromTheAnchor) {
  const Period saved{20130101, 20240120};
  const struct {
    PeriodPreset preset;
    int anchor;
    int today;
    std::optional<Period> period;
  } cases[] = {
      {PeriodPreset::Last30Days, 20240120, 20250601, Period{20231222, 20240120}},
      {PeriodPreset::Last30Days, 20240301, 20250601, Period{20240201, 20240301}},
      {PeriodPreset::ThisMonth, 20240120, 20250601, Period{20240101, 20240131}},
      {PeriodPreset::ThisMonth, 20240210, 20250601, Period{20240201, 20240229}},
      {PeriodPreset::ThisMonth, 20250520, 20250524, Period{20250501, 20250524}},  // so far
      {PeriodPreset::ThisMonth, 20250620, 20250524, Period{20250601, 20250620}},  // a later day
      {PeriodPreset::LastMonth, 20240120, 20250601, Period{20231201, 20231231}},
      {PeriodPreset::LastMonth, 20240331, 20250601, Period{20240201, 20240229}},
      {PeriodPreset::ThisYear, 20240120, 20250601, Period{20240101, 20241231}},
      {PeriodPreset::ThisYear, 20250120, 20250524, Period{20250101, 20250524}},
      {PeriodPreset::LastYear, 20240229, 20250601, Period{20230101, 20231231}},
      {PeriodPreset::Last365Days, 20240120, 20250601, Period{20230121, 20240120}},
      {PeriodPreset::All, 20240120, 20250601, saved},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(presetPeriod(c.preset, c.anchor, c.today, saved), c.period)
        << presetName(c.preset) << " " << c.anchor;
  }
  EXPECT_EQ(presetPeriod(PeriodPreset::All, 20240120, 20250601), std::nullopt);
}

TEST_F(PeriodOverviewTest, savedPeriodRunsFromTheFirstToTheLastSavedDay) {
  EXPECT_EQ(savedPeriod(archive, "54511"), (Period{20231231, 20240105}));
  EXPECT_EQ(savedPeriod(archive, "59287"), (Period{20240103, 20240103}));
  EXPECT_EQ(savedPeriod(archive, "50953"), std::nullopt);
}

TEST_F(PeriodOverviewTest, holdsTheStationsSavedDaysOfThePeriodWithGaps) {
  const PeriodDays days = read();
  EXPECT_EQ(days.station, "54511");
  EXPECT_EQ(days.period, kPeriod);
  ASSERT_EQ(days.days.size(), 3U);
  for (const int date : {20240101, 20240102, 20240104}) EXPECT_TRUE(days.dayOn(date)) << date;
  // The other station's day and the unreadable file are gaps.
  for (const int date : {20231231, 20240103, 20240105}) EXPECT_FALSE(days.dayOn(date)) << date;
  EXPECT_EQ(days.dayOn(20240102)->file, (archive.pastDayFile("54511", 20240102, false)).string());
  EXPECT_EQ(days.gapCount(), 2);
  ASSERT_EQ(days.skipped.size(), 1U);
  EXPECT_EQ(coverageText(days), "已保存 3 天，缺 2 天，1 个文件无法读取");
  EXPECT_EQ(days.caption(), "北京 54511");
}

// Values to one decimal, halves away from zero, never "-0.0"; the day's
// precipitation whatever its phase; a dash where the day has no value.
TEST_F(PeriodOverviewTest, readoutShowsTheDaysValuesOrThatItHasNone) {
  const PeriodDays days = read();
  const struct {
    int date;
    const char* text;
  } cases[] = {
      {20240101, "2024-01-01  最高 -3.5℃  最低 -12.3℃  降水 0.4mm  能见度等级 3"},
      {20240102, "2024-01-02  最高 5.0℃  最低 0.0℃  降水 0.0mm  能见度等级 0"},
      {20240103, "2024-01-03  无数据"},
      {20240104, "2024-01-04  最高 —  最低 —  降水 —  能见度等级 —"},
      {20240105, "2024-01-05  无数据"},
  };
  for (const auto& c : cases) EXPECT_EQ(dayReadout(days, c.date), c.text);
}

TEST_F(PeriodOverviewTest, aPeriodWithoutDaysIsAllGapAndNamedByTheStation) {
  const PeriodDays days = readPeriodDays(archive, "54511", {20200101, 20200110}, {});
  EXPECT_TRUE(days.days.empty());
  EXPECT_EQ(days.gapCount(), 10);
  EXPECT_EQ(coverageText(days), "已保存 0 天，缺 10 天");
  EXPECT_EQ(days.caption(), "54511");
}

TEST_F(PeriodOverviewTest, readsThroughTheGivenReaderAndPassesOverAllOnceStopped) {
  std::atomic<int> reads{0};
  PeriodReadOptions options;
  options.readFile = [&reads](const fs::path& path) {
    ++reads;
    return testing::readBytes(path);
  };
  EXPECT_EQ(read(options).days.size(), 3U);
  EXPECT_EQ(reads, 4);  // the period's files of the station, and no others

  reads = 0;
  options.stopped = [] { return true; };
  EXPECT_TRUE(read(options).days.empty());
  EXPECT_EQ(reads, 0);
}

}  // namespace
}  // namespace skyrill
