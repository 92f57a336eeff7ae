#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/archive_names.h"
#include "archive/day_figures.h"
#include "core/calendar_date.h"
#include "core/headless_view.h"
#include "core/query_pipeline.h"
#include "tests/archive/generated_archive.h"
#include "tests/store/temp_folder.h"

// The summary reads a day without building what the window shows; these
// cases hold it to the window's own path, row for row and message for
// message.
namespace skyrill {
namespace {

namespace fs = std::filesystem;

// A day read the window's way: the whole display path into a view without
// a screen, its panels then taken apart.
std::optional<SummaryRow> readAsTheWindowShowsIt(const DayFileBytes& day,
                                                 const std::string& pathText, std::string& message,
                                                 DayVariants variants) {
  QueryRequest request;
  request.windVariant = variants.wind;
  request.visibilityVariant = variants.visibility;
  HeadlessView view(request);
  QueryPipeline pipeline(view, nullptr, nullptr);
  const std::string name = fileNameOfPath(pathText);
  if (!pipeline.openDayText(day.bytes, name, false, day.problem)) {
    message = view.lastMessage() ? view.lastMessage()->text : std::string();
    return std::nullopt;
  }
  const QueryState& state = pipeline.state();
  SummaryRow row;
  row.file = pathText;
  row.mode = state.displayedMode;
  if (const auto parts = readObservationName(name)) {
    row.station = parts->station;
    row.date = parts->date;
    row.fetchTime = parts->fetchTime;
  } else {
    row.station = state.document.getText("wmo");
    row.date = readDateNumber(state.document.getText("date")).value_or(0);
  }
  const std::string& title = view.title();
  row.stationName = title.substr(title.rfind('\n') + 1);
  row.statistics = statisticRowOf(view.statusLines());
  row.figures = dayFiguresOf(row.statistics, state.series);
  return row;
}

// One input: the bytes and what stood in their way.
struct Input {
  std::string what;
  DayFileBytes day;
};

std::vector<Input> filesUnder(const fs::path& folder) {
  std::vector<Input> inputs;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    inputs.push_back(
        {entry.path().string(), {testing::readBytes(entry.path()), FileProblem::None}});
  }
  return inputs;
}

std::vector<Input> serviceDays() {
  using namespace std::chrono_literals;
  namespace generated = testing::generated;
  const auto config = generated::unwarmedService();
  const auto asked = std::chrono::sys_days(std::chrono::year(2024) / std::chrono::March / 1);
  std::vector<Input> inputs;
  for (const char* station : generated::kStations) {
    for (int i = 0; i < generated::kDayCount; ++i) {
      const auto day = generated::kFirstDay + std::chrono::days(i * 29);
      inputs.push_back({"past day", {generated::pastDay(station, day), FileProblem::None}});
      for (const auto clock : {0min, 45min, 13h + 5min, 23h + 59min}) {
        inputs.push_back(
            {"current day", {generated::currentDay(station, day, clock), FileProblem::None}});
      }
    }
    for (const char* endpoint : {"history2", "today2", "nowhere"}) {
      inputs.push_back(
          {endpoint,
           {sample::answerWeatherQuery(config, {station, endpoint, "demo", "2024-01-05"}, asked)
                .body,
            FileProblem::None}});
    }
    inputs.push_back(
        {"wrong key",
         {sample::answerWeatherQuery(config, {station, "history", "nokey", "2024-01-05"}, asked)
              .body,
          FileProblem::None}});
  }
  inputs.push_back({"error page", {sample::errorPage(404).body, FileProblem::None}});
  for (const FileProblem problem :
       {FileProblem::Missing, FileProblem::Unreadable, FileProblem::TooLarge}) {
    inputs.push_back({"file problem", {std::string(), problem}});
  }
  return inputs;
}

// The sample day with a record or the names edited the way hand-made
// files are: line breaks in the names, texts where numbers stood, full-width
// digits, brackets, missing values and "acc" objects.
std::vector<Input> editedSamples() {
  const std::string sample =
      testing::readBytes(fs::path(SKYRILL_SAMPLES_DIR) / "0_57083_0_20190705.json");
  const struct {
    const char* from;
    const char* to;
  } edits[] = {
      {R"j("name":"郑州")j", R"j("name":"郑\r\n州")j"},
      {R"j("wmo":"57083")j", R"j("wmo":"570\n83")j"},
      {R"j("T":19.8,"P":1002.5,"RH":80)j", R"j("T":"19.8(x)","P":"abc","RH":"８０")j"},
      {R"j("R1h":0,"V10m":12.0)j", R"j("R1h":"(3.5)","V10m":"-1","acc":{"R1h":"1h","T":"x"})j"},
      {R"j("WS0mMAX1h":3.0)j", R"j("WS0mMAX1h":"17.2 m/s")j"},
      {R"j("T":18.8)j", R"j("T":null)j"},
      {R"j("V10m":11.146)j", R"j("V10m":"")j"},
      {R"j("T":18.2,"P":1001.8,"RH":84)j", R"j("T":2.5e0,"P":1.0018e3,"RH":-0.0)j"},
      {R"j("WS0mMAX1h":4.6)j", R"j("WS0mMAX1h":4.6,"acc":{"WS0mMAX1h":"gust","R1h":"x"})j"},
      {R"j("R1h":0,"V10m":10.309)j", R"j("R1h":1e-9,"V10m":12345678901234567890)j"},
  };
  std::vector<Input> inputs;
  for (const auto& edit : edits) {
    std::string bytes = sample;
    const std::size_t at = bytes.find(edit.from);
    if (at == std::string::npos)
      ADD_FAILURE() << "no " << edit.from << " in the sample";
    else
      bytes.replace(at, std::string_view(edit.from).size(), edit.to);
    inputs.push_back({std::string("edited: ") + edit.to, {bytes, FileProblem::None}});
  }
  return inputs;
}

// The names a day is opened under: each mode, a name made by hand, one whose
// mode no request has, and the file's own.
std::vector<std::string> namesFor(const Input& input) {
  std::vector<std::string> names = {"History/2019/0_57083_0_20190705.json",
                                    "Current/1_54511_0_20240105_130500.json", "by hand/day.json",
                                    "2_57083_0_20190705.json"};
  if (fs::exists(input.what)) names.push_back(input.what);
  return names;
}

void expectSameRows(const SummaryRow& window, const SummaryRow& summary, const std::string& where) {
  EXPECT_EQ(window.file, summary.file) << where;
  EXPECT_EQ(window.mode, summary.mode) << where;
  EXPECT_EQ(window.station, summary.station) << where;
  EXPECT_EQ(window.date, summary.date) << where;
  EXPECT_EQ(window.fetchTime, summary.fetchTime) << where;
  EXPECT_EQ(window.stationName, summary.stationName) << where;
  for (std::size_t i = 0; i < window.statistics.size(); ++i) {
    EXPECT_EQ(window.statistics[i].value, summary.statistics[i].value) << where << " panel " << i;
    EXPECT_EQ(window.statistics[i].label, summary.statistics[i].label) << where << " panel " << i;
    EXPECT_EQ(window.statistics[i].mark, summary.statistics[i].mark) << where << " panel " << i;
  }
  const DayFigures& a = window.figures;
  const DayFigures& b = summary.figures;
  // Compared as bits: a -0 or a last-place difference would show in a table.
  const auto same = [](const std::optional<double>& x, const std::optional<double>& y) {
    return x.has_value() == y.has_value() &&
           (!x || std::bit_cast<std::uint64_t>(*x) == std::bit_cast<std::uint64_t>(*y));
  };
  EXPECT_TRUE(same(a.highestTemperature, b.highestTemperature)) << where;
  EXPECT_TRUE(same(a.lowestTemperature, b.lowestTemperature)) << where;
  EXPECT_TRUE(same(a.meanTemperature, b.meanTemperature)) << where;
  EXPECT_TRUE(same(a.precipitationTotal, b.precipitationTotal)) << where;
  for (std::size_t i = 0; i < a.precipitation.size(); ++i) {
    EXPECT_TRUE(same(a.precipitation[i], b.precipitation[i])) << where << " phase " << i;
  }
  EXPECT_EQ(a.visibilityClass, b.visibilityClass) << where;
  EXPECT_TRUE(same(a.meanHumidity, b.meanHumidity)) << where;
}

TEST(SummaryPath, givesTheWindowsRowOrMessageForEveryDay) {
  std::vector<Input> inputs = serviceDays();
  for (Input& input : editedSamples()) inputs.push_back(std::move(input));
  for (const char* folder : {SKYRILL_FUZZ_CORPUS_DIR, SKYRILL_TEST_DATA_DIR, SKYRILL_SAMPLES_DIR}) {
    for (Input& input : filesUnder(folder)) inputs.push_back(std::move(input));
  }
  const WindVariant winds[] = {WindVariant::MaxInstant, WindVariant::TwoMinuteMean,
                               WindVariant::HourlyInstant};
  const VisibilityVariant visibilities[] = {VisibilityVariant::TenMinuteMean,
                                            VisibilityVariant::Reported};
  int rows = 0;
  int refusals = 0;
  for (const Input& input : inputs) {
    for (const std::string& name : namesFor(input)) {
      for (const WindVariant wind : winds) {
        for (const VisibilityVariant visibility : visibilities) {
          const DayVariants variants{wind, visibility};
          const std::string where = input.what + " as " + name;
          std::string windowMessage = "unset";
          std::string summaryMessage = "unset";
          const auto window = readAsTheWindowShowsIt(input.day, name, windowMessage, variants);
          const auto summary = summariseDayFile(input.day, name, summaryMessage, variants);
          ASSERT_EQ(window.has_value(), summary.has_value()) << where << ": " << windowMessage;
          if (window) {
            expectSameRows(*window, *summary, where);
            ++rows;
          } else {
            EXPECT_EQ(windowMessage, summaryMessage) << where;
            ++refusals;
          }
        }
      }
    }
  }
  // Both ways were taken: days shown and days refused.
  EXPECT_GT(rows, 0);
  EXPECT_GT(refusals, 0);
}

}  // namespace
}  // namespace skyrill
