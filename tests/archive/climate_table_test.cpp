#include "archive/climate_table.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <sstream>

#include "archive/day_walk.h"
#include "archive/summary_csv.h"
#include "core/csv_text.h"
#include "core/numeric_text.h"
#include "store/observation_files.h"
#include "tests/archive/climate_archive.h"
#include "tests/archive/climate_model.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

using Value = std::optional<double>;

// A saved day with its four values; its cells as its panels write them.
ClimateDay day(int date, Value highest, Value lowest, Value mean, Value precipitation) {
  ClimateDay day;
  day.date = date;
  day.values = {highest, lowest, mean, precipitation};
  const int decimals[] = {1, 1, 2, 1};
  for (std::size_t i = 0; i < kClimateElementCount; ++i)
    day.cells[i] = day.values[i] ? formatFixed(*day.values[i], decimals[i]) : "";
  return day;
}

int daysIn(int year, int month) {
  const std::chrono::year_month_day_last last{
      std::chrono::year(year),
      std::chrono::month_day_last(std::chrono::month(static_cast<unsigned>(month)))};
  return static_cast<int>(static_cast<unsigned>(last.day()));
}

// Every day of a month but the ones left out, all with the same values.
void addMonth(std::vector<ClimateDay>& days, int year, int month, std::set<int> leftOut,
              Value highest, Value lowest, Value mean, Value precipitation) {
  for (int d = 1; d <= daysIn(year, month); ++d) {
    if (!leftOut.contains(d))
      days.push_back(day(year * 10000 + month * 100 + d, highest, lowest, mean, precipitation));
  }
}

// The cells of a row of a CSV ("1" to "12", "全年"; or a year's, "平均").
std::vector<std::string> rowOf(const std::string& csv, const std::string& first) {
  std::istringstream in(csv);
  for (std::string line; std::getline(in, line);) {
    line.pop_back();  // CR
    std::vector<std::string> cells;
    std::istringstream split(line + ",");
    for (std::string cell; std::getline(split, cell, ',');) cells.push_back(cell);
    if (cells[0] == first) return cells;
  }
  return {};
}

// The columns of the climate table.
enum Column {
  kMean = 1,
  kMeanYears,
  kHighest,
  kHighestYears,
  kLowest,
  kLowestYears,
  kHighestExtreme,
  kHighestExtremeDate,
  kLowestExtreme,
  kLowestExtremeDate,
  kPrecipitation,
  kPrecipitationYears,
  kWetDays,
  kWettestDay,
  kWettestDayDate,
};

std::string cell(const std::string& csv, const std::string& row, Column column) {
  const std::vector<std::string> cells = rowOf(csv, row);
  return cells.empty() ? "<no row>" : cells[column];
}

// A cell that a table is expected to hold.
struct ExpectedCell {
  const char* row;
  Column column;
  const char* value;
};

void expectCells(const std::string& csv, std::initializer_list<ExpectedCell> cells) {
  for (const ExpectedCell& expected : cells)
    EXPECT_EQ(cell(csv, expected.row, expected.column), expected.value)
        << expected.row << " " << expected.column;
}

// A month counts for a mean with at most five days missing and at most
// three of them in a row ("x" a day without a value).
TEST(ClimateRules, aMonthCountsForAMeanByTheThreeFiveRule) {
  const struct {
    const char* days;
    bool counts;
  } cases[] = {
      {"...............................", true},
      {"x.....x.....x.....x.....x......", true},   // five missing
      {"x.....x.....x.....x.....x.....x", false},  // six
      {"..........xxx..................", true},   // three in a row
      {"..........xxxx.................", false},  // four in a row
      {"xxx......x.....x...............", true},   // three in a row and two: five
      {"xxx......x.....x..............x", false},  // and one more: six
      {"...........................xxxx", false},  // four in a row at the end
      {"...........................xxx", true},    // a month of 30 days
      {"xxxx", false},
  };
  for (const auto& c : cases) {
    std::vector<bool> hasValue;
    for (const char* d = c.days; *d; ++d) hasValue.push_back(*d == '.');
    EXPECT_EQ(monthCountsForMean(hasValue), c.counts) << c.days;
  }
}

// Each element counts its years by its own rule: a temperature by the 3/5
// rule over the days with its value, the precipitation only with every day.
TEST(ClimateTable, eachElementCountsTheYearsItsRuleLets) {
  std::vector<ClimateDay> days;
  addMonth(days, 2001, 1, {}, 10, 0, 5, 0);
  // Five days missing: the temperatures count, the precipitation does not.
  addMonth(days, 2002, 1, {3, 9, 15, 21, 27}, 12, 2, 7, 1);
  // Six missing: none counts.
  addMonth(days, 2003, 1, {2, 6, 10, 14, 18, 22}, 30, 20, 25, 9);
  // The mean temperature missing four days in a row in files that are there.
  for (ClimateDay& d : days) {
    if (d.date >= 20010110 && d.date <= 20010113) d.values[2].reset();
  }
  // Three wet days in 2001.
  for (ClimateDay& d : days) {
    if (d.date == 20010105 || d.date == 20010106 || d.date == 20010130) d.values[3] = 0.1;
  }
  const std::string csv = climateCsv(climateTable(StationDays(days)));
  expectCells(csv, {
                       {"1", kHighest, "11.0"},
                       {"1", kHighestYears, "2"},
                       {"1", kLowest, "1.0"},
                       {"1", kLowestYears, "2"},
                       {"1", kMean, "7.0"},
                       {"1", kMeanYears, "1"},
                       {"1", kPrecipitation, "0.3"},
                       {"1", kPrecipitationYears, "1"},
                       {"1", kWetDays, "3.0"},
                       // The extremes take every saved day, counted or not.
                       {"1", kHighestExtreme, "30.0"},
                       {"1", kHighestExtremeDate, "2003-01-01"},
                       {"1", kLowestExtreme, "0.0"},
                       {"1", kLowestExtremeDate, "2001-01-01"},
                       {"1", kWettestDay, "9.0"},
                       {"1", kWettestDayDate, "2003-01-01"},
                   });
}

// February has 29 days in a leap year: a leap February without its 29th
// lacks a day, a February of 28 days in another year lacks none.
TEST(ClimateTable, februaryHasItsLeapDayInLeapYears) {
  std::vector<ClimateDay> days;
  addMonth(days, 2023, 2, {}, 10, 0, 5, 1);      // 28 days, complete
  addMonth(days, 2024, 2, {29}, 20, 10, 15, 2);  // the 29th missing
  addMonth(days, 2020, 2, {}, 30, 20, 25, 3);    // 29 days, complete
  const std::string csv = climateCsv(climateTable(StationDays(days)));
  expectCells(csv, {{"2", kHighest, "20.0"},
                    {"2", kHighestYears, "3"},
                    {"2", kPrecipitation, "57.5"},  // (28 × 1 + 29 × 3) / 2
                    {"2", kPrecipitationYears, "2"},
                    {"2", kWetDays, "28.5"}});
}

// Of equal extremes the earliest date stands, within a month, over the
// years and over the year's months.
TEST(ClimateTable, extremesTakeTheEarliestOfEqualDays) {
  std::vector<ClimateDay> days = {
      day(20050310, 21.5, -3.0, 9, 12.0),
      day(20010320, 21.5, -3.0, 9, 12.0),  // an earlier year: it stands
      day(20010325, 21.5, -3.0, 9, 12.0),
      day(20010105, 21.5, -3.0, 9, 12.0),  // January: it stands for the year
      day(20010106, 21.45, -2.95, 9, 11.9),
  };
  const std::string csv = climateCsv(climateTable(StationDays(days)));
  expectCells(csv, {{"3", kHighestExtremeDate, "2001-03-20"},
                    {"3", kLowestExtremeDate, "2001-03-20"},
                    {"3", kWettestDayDate, "2001-03-20"},
                    {"全年", kHighestExtremeDate, "2001-01-05"},
                    {"全年", kLowestExtremeDate, "2001-01-05"},
                    {"全年", kWettestDayDate, "2001-01-05"},
                    {"全年", kHighestExtreme, "21.5"}});
}

// One year is its own normal; a month without a day leaves its row empty
// and the year row without its means and sums, not without its extremes.
TEST(ClimateTable, oneYearWithAnEmptyMonth) {
  std::vector<ClimateDay> days;
  for (int month = 1; month <= 12; ++month) {
    // Halves round away from zero: 2.25 to 2.3, -2.25 to -2.3.
    if (month != 3) addMonth(days, 2023, month, {}, month + 0.25, -2.25, 2.25, 0);
  }
  const ClimateTable table = climateTable(StationDays(days));
  const std::string csv = climateCsv(table);
  EXPECT_EQ(rowOf(csv, "3"), (std::vector<std::string>{"3", "", "0", "", "0", "", "0", "", "", "",
                                                       "", "", "0", "", "", ""}));
  expectCells(csv, {{"1", kMean, "2.3"},
                    {"1", kLowest, "-2.3"},
                    {"1", kHighestYears, "1"},
                    {"1", kPrecipitation, "0.0"},
                    {"1", kWetDays, "0.0"},
                    {"1", kWettestDay, "0.0"},
                    {"全年", kMean, ""},
                    {"全年", kMeanYears, "0"},
                    {"全年", kPrecipitation, ""},
                    {"全年", kHighestExtreme, "12.3"},
                    {"全年", kHighestExtremeDate, "2023-12-01"}});
  EXPECT_TRUE(csv.starts_with(std::string(kUtf8ByteOrderMark) + "月份,平均气温 (℃),"));

  // With March too, the year row is whole: means of the twelve normals,
  // sums of the precipitation.
  addMonth(days, 2023, 3, {}, 3.25, -2.25, 2.25, 0.5);
  const std::string whole = climateCsv(climateTable(StationDays(days)));
  expectCells(whole, {{"全年", kHighest, "6.8"},  // (1 + … + 12) / 12 + 0.25 = 6.75
                      {"全年", kHighestYears, "1"},
                      {"全年", kPrecipitation, "15.5"},
                      {"全年", kWetDays, "31.0"}});
}

// One calendar day in every year: 02-29 only in leap years; the rows over
// the years take those with a value.
TEST(SameDayTable, listsTheYearsOfTheDateAndTheirMeanHighestAndLowest) {
  const StationDays days(std::vector<ClimateDay>{
      day(20200229, 10.0, 1.0, 5.5, 0.0),
      day(20210228, 40.0, 40.0, 40.0, 40.0),
      day(20210301, 40.0, 40.0, 40.0, 40.0),
      day(20240229, 12.5, std::nullopt, 6.25, 3.2),
      day(20280229, -1.0, -8.0, -4.5, std::nullopt),
  });
  EXPECT_EQ(sameDayCsv(sameDayTable(days, 229)),
            std::string(kUtf8ByteOrderMark) +
                "年份,日期,最高气温 (℃),最低气温 (℃),平均气温 (℃),降水量 (mm)\r\n"
                "2020,2020-02-29,10.0,1.0,5.50,0.0\r\n"
                "2024,2024-02-29,12.5,,6.25,3.2\r\n"
                "2028,2028-02-29,-1.0,-8.0,-4.50,\r\n"
                "平均,,7.2,-3.5,2.4,1.6\r\n"
                "最高,,12.5,1.0,6.3,3.2\r\n"
                "最低,,-1.0,-8.0,-4.5,0.0\r\n");
  EXPECT_EQ(sameDayCsv(sameDayTable(days, 1231)),
            std::string(kUtf8ByteOrderMark) +
                "年份,日期,最高气温 (℃),最低气温 (℃),平均气温 (℃),降水量 (mm)\r\n"
                "平均,,,,,\r\n最高,,,,,\r\n最低,,,,,\r\n");
}

// The station's days of the climate archive as the summary walks them.
struct WalkedDays {
  std::string summaryCsv;
  StationDays days;
  std::size_t skipped = 0;
};

WalkedDays walkStation(const std::filesystem::path& root, const std::string& station) {
  SummaryOptions options;
  options.filter.station = station;
  options.readFile = readDayFile;
  const SummaryTable table = buildSummaryTable(walkObservationFiles({root}).files.paths(), options);
  std::vector<ClimateDay> days;
  for (const SummaryRow& row : table.rows) days.push_back(climateDayOf(row));
  return {summaryCsv(table.rows), StationDays(days), table.skipped.size()};
}

// Four years with holes of every kind: both tables as a model of the rules
// written apart computes them from the daily summary's values.
TEST(ClimateCsvs, matchAModelOfTheRulesOnAnArchiveWithHoles) {
  testing::TempFolder folder;
  testing::makeClimateArchive(folder.path());
  const WalkedDays walked = walkStation(folder.path(), testing::kClimateStation);
  EXPECT_EQ(walked.skipped, 1u) << "the file that is no day";
  const auto modelDays = testing::climate_model::daysOfSummary(walked.summaryCsv);
  ASSERT_GT(modelDays.size(), 1400u);

  const std::string csv = climateCsv(climateTable(walked.days));
  EXPECT_EQ(csv, testing::climate_model::climateCsv(modelDays));
  // The holes show: January's temperatures count two years of four (four
  // days in a row missing, then six), its precipitation one; March three.
  expectCells(csv, {{"1", kHighestYears, "2"},
                    {"1", kPrecipitationYears, "1"},
                    {"3", kMeanYears, "3"},
                    {"7", kMeanYears, "4"},
                    {"7", kPrecipitationYears, "3"}});

  for (const int monthDay : {229, 112, 721, 103, 101, 1231}) {
    EXPECT_EQ(sameDayCsv(sameDayTable(walked.days, monthDay)),
              testing::climate_model::sameDayCsv(modelDays, monthDay))
        << monthDay;
  }
}

}  // namespace
}  // namespace skyrill
