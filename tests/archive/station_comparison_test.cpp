#include "archive/station_comparison.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "archive/comparison_plot.h"
#include "archive/history_archive.h"
#include "core/calendar_date.h"
#include "core/csv_text.h"
#include "core/numeric_text.h"
#include "tests/archive/comparison_archive.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;

// The project's sample day, whose hours have every wind and visibility.
const fs::path kSampleDay =
    fs::path(SKYRILL_TEST_DATA_DIR).parent_path().parent_path() / "samples/0_57083_0_20190705.json";

std::vector<std::string> comparedStations() {
  return {std::begin(testing::kComparedStations), std::end(testing::kComparedStations)};
}

// The cells of a CSV line, none of them quoted.
std::vector<std::string> cellsOf(const std::string& line) {
  std::vector<std::string> cells;
  std::istringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

// The CSV's lines without the byte-order mark and the CR LF ends.
std::vector<std::string> linesOf(std::string csv) {
  EXPECT_TRUE(csv.starts_with(kUtf8ByteOrderMark));
  csv.erase(0, kUtf8ByteOrderMark.size());
  std::vector<std::string> lines;
  for (std::size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(csv.substr(at, end - at));
  return lines;
}

// The panel a header cell "STATION NAME (unit)" names, by the panels'
// own names.
std::size_t panelNamed(const std::string& header) {
  const std::string name =
      header.substr(header.find(' ') + 1, header.find(" (") - header.find(' ') - 1);
  for (std::size_t panel = 0; panel < kStatusLineCount; ++panel) {
    if (statisticName(panel) == name) return panel;
  }
  ADD_FAILURE() << "no panel named " << name;
  return 0;
}

class StationComparisonTest : public ::testing::Test {
 protected:
  StationComparisonTest() : archive(HistoryArchive::inFolder(folder / "History")) {
    testing::makeComparisonArchive(folder.path());
  }

  // The summary's rows of every file, by station and date.
  std::map<std::pair<std::string, int>, SummaryRow> summaryRows() const {
    SummaryOptions options;
    options.readFile = [](const fs::path& path) { return readDayFile(path); };
    std::map<std::pair<std::string, int>, SummaryRow> rows;
    for (SummaryRow& row : buildSummaryTable(findFiles(), options).rows)
      rows[{row.station, row.date}] = std::move(row);
    return rows;
  }

  std::vector<fs::path> findFiles() const {
    std::vector<fs::path> missing;
    return findObservationFiles({folder.path()}, missing);
  }

  // The comparison as the command line makes it: a walk over every file.
  std::optional<PeriodComparison> walkedComparison(int from, int to) const {
    SummaryOptions options;
    options.filter.stations = comparedStations();
    options.filter.from = from;
    options.filter.to = to;
    options.readFile = [](const fs::path& path) { return readDayFile(path); };
    ComparisonCollector collector(comparedStations());
    streamSummaryTable(
        FoundFiles(findFiles()), options,
        {[&collector](SummaryRow&& row) { collector.take(std::move(row)); }, [](SkippedFile&&) {}});
    return std::move(collector).finish(from, to);
  }

  PeriodComparison archivedComparison() const {
    return readPeriodComparison(archive, comparedStations(),
                                {testing::kComparisonFirst, testing::kComparisonLast}, {});
  }

  testing::TempFolder folder;
  HistoryArchive archive;
};

// Every value of the comparison is the value cell of the summary's row of
// that station and day, over holes, a station without a day and days
// without some values; the walk of the command line and the archive's read
// of the window give the same table.
TEST_F(StationComparisonTest, cellsAreTheSummaryRowsValueCells) {
  const auto rows = summaryRows();
  const PeriodComparison archived = archivedComparison();
  const auto walked = walkedComparison(0, 0);
  ASSERT_TRUE(walked);
  EXPECT_EQ(walked->period, archived.period);
  std::size_t emptyCells = 0;
  for (const char* element :
       {"tmax", "tmin", "tmean", "precip", "rain1h", "wind", "pressure", "vis"}) {
    const std::string csv = comparisonCsv(archived, *readDailyElement(element));
    EXPECT_EQ(comparisonCsv(*walked, *readDailyElement(element)), csv) << element;
    const auto lines = linesOf(csv);
    ASSERT_EQ(lines.size(), 1u + 10u) << element;
    const auto header = cellsOf(lines[0]);
    ASSERT_EQ(header.size(), 4u);
    EXPECT_EQ(header[0], "日期");
    for (std::size_t line = 1; line < lines.size(); ++line) {
      const auto cells = cellsOf(lines[line]);
      ASSERT_EQ(cells.size(), 4u) << lines[line];
      EXPECT_EQ(cells[0], dateText(testing::kComparisonFirst + static_cast<int>(line) - 1));
      for (std::size_t column = 1; column < header.size(); ++column) {
        const std::string station = header[column].substr(0, header[column].find(' '));
        const auto row = rows.find({station, *readDateNumber(cells[0])});
        const std::string expected =
            row == rows.end() ? "" : row->second.statistics[panelNamed(header[column])].value;
        EXPECT_EQ(cells[column], expected) << element << " " << station << " " << cells[0];
        emptyCells += cells[column].empty() ? 1 : 0;
      }
    }
  }
  // 59287 has no day, 50953 two gaps, 54511 two and one day without values
  // in every element; 50953's day without pressure lacks its mean.
  EXPECT_EQ(emptyCells, 8u * (10 + 2 + 3) + 1);
  EXPECT_EQ(linesOf(comparisonCsv(archived, DailyElement::HighestTemperature))[0],
            "日期,50953 最高气温 (℃),54511 最高气温 (℃),59287 最高气温 (℃)");
}

TEST_F(StationComparisonTest, periodRunsFromTheBoundsOrTheDaysFound) {
  const struct {
    int from, to;
    std::optional<Period> period;
  } cases[] = {
      {0, 0, Period{20240101, 20240110}},
      {20240105, 0, Period{20240105, 20240110}},
      {0, 20240102, Period{20240101, 20240102}},
      {20231201, 20240131, Period{20231201, 20240131}},
      {20240201, 0, std::nullopt},
      {20240201, 20240203, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto comparison = walkedComparison(c.from, c.to);
    EXPECT_EQ(comparison.has_value(), c.period.has_value()) << c.from << " " << c.to;
    if (!comparison || !c.period) continue;
    EXPECT_EQ(comparison->period, *c.period) << c.from << " " << c.to;
    for (const PeriodDays& station : comparison->stations) {
      for (const SummaryRow& day : station.days) EXPECT_TRUE(c.period->holds(day.date));
    }
  }
}

TEST(DailyElement, isReadByItsPanelsNameOrItsAlias) {
  const struct {
    const char* text;
    std::optional<DailyElement> element;
  } cases[] = {
      {"最高气温", DailyElement::HighestTemperature},
      {"tmin", DailyElement::LowestTemperature},
      {"平均气温", DailyElement::MeanTemperature},
      {"precip", DailyElement::Precipitation},
      {"最大小时雨强", DailyElement::LargestHourly},
      {"wind", DailyElement::HighestWind},
      {"平均气压", DailyElement::MeanPressure},
      {"vis", DailyElement::LowestVisibility},
      {"最高气压", std::nullopt},
      {"Tmax", std::nullopt},
      {"平均相对湿度", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(readDailyElement(c.text), c.element) << c.text;
  EXPECT_EQ(dailyElementUnit(DailyElement::LowestVisibility), "km");
  EXPECT_EQ(dailyElementName(DailyElement::LargestHourly), "最大小时雨强");
}

// Hours go by their clock, not their slot: a day that lacks its first hours
// lines up with one that has them; a slot of another date and a negative
// visibility give nothing.
TEST(ValuesByHour, placeEachValueAtItsClockHour) {
  DaySeries series;
  series.slot(1) = {"2024/01/05 03:00:00", "-3.5", "", "", "", "", "", "-1", ""};
  series.slot(2) = {"2024/01/05 04:00:00", "", "", "", "", "", "", "0.8（大雾）", ""};
  series.slot(3) = {"2024/01/06 00:00:00", "9", "", "", "", "", "", "5", ""};
  series.slot(24) = {"2024/01/05 23:00:00", "(1.0)", "", "", "", "", "", "", ""};
  const auto temperature = valuesByHour(series, 20240105, HourElement::Temperature);
  const auto visibility = valuesByHour(series, 20240105, HourElement::Visibility);
  for (int hour = 0; hour < 24; ++hour) {
    const auto at = static_cast<std::size_t>(hour);
    EXPECT_EQ(temperature[at], hour == 3    ? std::optional(-3.5)
                               : hour == 23 ? std::optional(1.0)
                                            : std::nullopt)
        << hour;
    EXPECT_EQ(visibility[at], hour == 4 ? std::optional(0.8) : std::nullopt) << hour;
  }
}

// One day of each station with its hours: from its file, none where the
// archive has none; the chart's lines and readout follow.
TEST_F(StationComparisonTest, aDayOfEachStationWithItsHours) {
  const auto days = readDayComparison(archive, comparedStations(), 20240103, {});
  ASSERT_EQ(days.size(), 3u);
  EXPECT_FALSE(days[0].day) << "50953 lacks the day";
  ASSERT_TRUE(days[1].day);
  EXPECT_FALSE(days[2].day);
  EXPECT_EQ(days[0].caption(), "50953");
  EXPECT_EQ(days[1].caption(), "北京 54511");

  const ComparisonPlot plot = dayPlot(days, 20240103, HourElement::Temperature, "气温");
  EXPECT_EQ(plot.title, "气温　2024-01-03");
  EXPECT_EQ(plot.valueCaption, "气温 (℃)");
  ASSERT_EQ(plot.lines.size(), 3u);
  const auto& beijing = plot.lines[1].values;
  ASSERT_TRUE(beijing[8]);
  EXPECT_EQ(placeReadout(plot, 8),
            "2024-01-03 08时  50953 —  北京 54511 " + roundedText(*beijing[8], 1) + "℃  59287 —");
}

// Highest and lowest go as two lines per station, the lowest dashed; the
// readout gives both, a dash for a station without the day.
TEST_F(StationComparisonTest, periodPlotOfTwoElementsAndItsReadout) {
  const PeriodComparison comparison = archivedComparison();
  const ComparisonPlot plot =
      periodPlot(comparison, dailyElementsOf(ComparedElement::HighestLowest), "最高/最低气温");
  ASSERT_EQ(plot.lines.size(), 6u);
  EXPECT_FALSE(plot.lines[0].dashed);
  EXPECT_TRUE(plot.lines[1].dashed);
  EXPECT_EQ(plot.lines[1].station, 0u);
  EXPECT_EQ(plot.placeCount(), 10);
  EXPECT_FALSE(plot.lines[0].values[2]) << "50953 lacks 01-03";
  EXPECT_EQ(plot.lineNote, "实线 最高气温　虚线 最低气温");

  const SummaryRow* day = comparison.stations[0].dayOn(20240107);
  ASSERT_TRUE(day);
  EXPECT_EQ(placeReadout(plot, 6),
            "2024-01-07  哈尔滨 50953 " + day->statistics[kHighestTemperatureStat].value + " / " +
                day->statistics[kLowestTemperatureStat].value + "℃  北京 54511 —  59287 —");

  // A printed table: a row a day, or over many days a row a line.
  const auto table = plotTable(plot);
  ASSERT_EQ(table.size(), 1u + 10u);
  EXPECT_EQ(table[0],
            (std::vector<std::string>{"日期", "哈尔滨 50953 最高气温", "哈尔滨 50953 最低气温",
                                      "北京 54511 最高气温", "北京 54511 最低气温",
                                      "59287 最高气温", "59287 最低气温"}));
  EXPECT_EQ(table[7][1], day->statistics[kHighestTemperatureStat].value);
  EXPECT_EQ(table[3][1], "");
  const auto summary = plotTable(plot, 5);
  ASSERT_EQ(summary.size(), 1u + 6u);
  EXPECT_EQ(summary[1][1], "8");
  EXPECT_EQ(summary[5][1], "0");

  // The pointer near a station's line picks it; bars are picked by where
  // across the place the pointer is.
  const double high = *plot.lines[0].values[6];
  EXPECT_EQ(stationAt(plot, 6, 0.5, high + 0.1), 0u);
  EXPECT_EQ(stationAt(plot, 2, 0.5, 0), 1u) << "50953 has no day there";
  const ComparisonPlot bars = periodPlot(comparison, {DailyElement::Precipitation}, "降水量");
  ASSERT_TRUE(bars.bars);
  EXPECT_EQ(stationAt(bars, 0, 0.1, 0), 0u);
  EXPECT_EQ(stationAt(bars, 0, 0.5, 0), 1u);
  EXPECT_EQ(stationAt(bars, 0, 0.9, 0), std::nullopt) << "59287 has no bar";
}

TEST_F(StationComparisonTest, archivedStationsByNumberWithTheirNames) {
  testing::generated::put(folder.path(), testing::comparisonDayName("12345", 20240101),
                          "not a day");
  const auto stations = archivedStations(archive);
  ASSERT_EQ(stations.size(), 4u);
  const std::pair<const char*, const char*> expected[] = {{"12345", "12345"},
                                                          {"50953", "哈尔滨 50953"},
                                                          {"54511", "北京 54511"},
                                                          {"58453", "柯桥 58453"}};
  for (std::size_t i = 0; i < stations.size(); ++i) {
    EXPECT_EQ(stations[i].station, expected[i].first);
    EXPECT_EQ(stations[i].caption, expected[i].second);
  }
}

// The variants a day is read with reach its panels and its hours; the
// humidity's mean is a figure of the day.
TEST(DayVariants, windAndVisibilityOfTheDayAsAsked) {
  const fs::path& file = kSampleDay;
  const DayFileBytes bytes = loadDayFile(file);
  std::string message;
  const auto usual = readDayWithHours(bytes, file.string(), message);
  const auto twoMinute = readDayWithHours(
      bytes, file.string(), message, {WindVariant::TwoMinuteMean, VisibilityVariant::Reported});
  ASSERT_TRUE(usual && twoMinute) << message;
  EXPECT_EQ(slotNumber(usual->series.slot(1).windSpeed), 3.0);
  EXPECT_EQ(slotNumber(twoMinute->series.slot(1).windSpeed), 1.5);
  EXPECT_EQ(slotNumber(usual->series.slot(2).visibility), 11.146);
  EXPECT_EQ(slotNumber(twoMinute->series.slot(2).visibility), 11);
  EXPECT_NE(usual->row.statistics[kHighestWindStat].value,
            twoMinute->row.statistics[kHighestWindStat].value);
  EXPECT_EQ(usual->row.statistics[kHighestTemperatureStat].value,
            twoMinute->row.statistics[kHighestTemperatureStat].value);
  EXPECT_EQ(summariseDay(bytes.bytes, file, message)->statistics[kHighestWindStat].value,
            usual->row.statistics[kHighestWindStat].value)
      << "the summary reads with the usual variants";
  ASSERT_TRUE(usual->row.figures.meanHumidity);
  EXPECT_GT(*usual->row.figures.meanHumidity, 0);
}

}  // namespace
}  // namespace skyrill
