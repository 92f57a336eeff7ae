#include "archive/day_figures.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/answer_check.h"
#include "core/classifications.h"
#include "core/encoding.h"
#include "json/json_document.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;

const fs::path kDayData = fs::path(SKYRILL_TEST_DATA_DIR) / "day";

// The lines after the title in a skyrill-day reference: the panels in bar order.
std::vector<std::string> panelLines(const fs::path& reference) {
  std::istringstream in(readBytes(reference));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return {lines.begin() + 3, lines.end()};
}

// Each panel's cells put together again give the text the window shows.
TEST(SummariseDay, cellsAreThePanelTextsOfTheWindow) {
  const struct {
    const char* file;
    const char* reference;
    QueryMode mode;
  } cases[] = {
      {"0_57083_0_20190705.json", "0_57083_0_20190705.ref", QueryMode::History},
      {"1_57083_0_20190705_130500.json", "1_57083_0_20190705_130500.ref", QueryMode::Today},
  };
  const auto captions = initialStatusLines();
  const char* units[] = {"℃", "℃", "mm", "mm", "℃", "m/s", "hPa", "hPa", "hPa", "km", ""};
  for (const auto& c : cases) {
    std::string message;
    const auto row = summariseDay(readBytes(kDayData / c.file), kDayData / c.file, message);
    ASSERT_TRUE(row) << c.file << ": " << message;
    EXPECT_EQ(row->mode, c.mode);
    EXPECT_EQ(row->station, "57083");
    EXPECT_EQ(row->date, 20190705);
    const auto expected = panelLines(kDayData / c.reference);
    ASSERT_EQ(expected.size(), row->statistics.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const StatisticCells& cells = row->statistics[i];
      const std::string label = cells.label.empty() ? "" : "（" + cells.label + "）";
      EXPECT_EQ(captions[i].text + cells.value + units[i] + cells.mark + label, expected[i])
          << c.file;
    }
  }
}

// Each hour's amount goes to its own phase: snow at -21 °C, sleet at 2.04 °C,
// rain where the hour has no temperature; they add up to the day's 8.4 mm.
TEST(SummariseDay, figuresOfTheChartSplitPrecipitationByTheHoursPhase) {
  std::string message;
  const fs::path file = kDayData / "0_54511_0_20240120.json";
  const auto row = summariseDay(readBytes(file), file, message);
  ASSERT_TRUE(row) << message;
  const DayFigures& figures = row->figures;
  EXPECT_EQ(figures.highestTemperature, 25.0);
  EXPECT_EQ(figures.lowestTemperature, -21.0);
  EXPECT_DOUBLE_EQ(figures.precipitationTotal.value_or(0), 8.4);
  EXPECT_DOUBLE_EQ(figures.precipitation[static_cast<std::size_t>(PrecipitationPhase::Rain)], 5);
  EXPECT_DOUBLE_EQ(figures.precipitation[static_cast<std::size_t>(PrecipitationPhase::Sleet)], 3);
  EXPECT_DOUBLE_EQ(figures.precipitation[static_cast<std::size_t>(PrecipitationPhase::Snow)], 0.4);
  EXPECT_EQ(figures.visibilityClass, 12);
  EXPECT_EQ(row->stationName, "北京 54511");
}

TEST(SummariseDay, refusedFilesGiveTheWindowsMessage) {
  const std::string notJson = readBytes(kDayData / "0_not_json.json");
  JsonDocument unparsed;
  const std::string expected =
      checkAnswer(decodeAnswer(notJson), unparsed.parse(notJson), unparsed, "res").message;
  const struct {
    const char* name;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"0_54511_0_20240121.json", notJson,
       expected + "\r\n\r\n文件“0_54511_0_20240121.json”：文件不是 JSON 文本。"},
      {"0_54511_0_20240122.json", "",
       checkAnswer("", false, unparsed, "res").message +
           "\r\n\r\n文件“0_54511_0_20240122.json”：文件是空的。"},
      {"5_57083_0_20190705.json", readBytes(kDayData / "5_57083_0_20190705.json"),
       "无法识别文件名中的数据模式，未打开该文件。"},
  };
  for (const auto& c : cases) {
    std::string message;
    EXPECT_FALSE(summariseDay(c.bytes, c.name, message)) << c.name;
    EXPECT_EQ(message, c.message) << c.name;
  }
}

}  // namespace
}  // namespace skyrill
