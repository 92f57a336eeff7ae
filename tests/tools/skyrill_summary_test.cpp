// Runs skyrill-summary over a small History tree: the table, the reports of
// refused files, the filters, the chart files and the exit statuses.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "store/whole_file.h"
#include "tests/archive/climate_archive.h"
#include "tests/archive/climate_model.h"
#include "tests/archive/comparison_archive.h"
#include "tests/archive/generated_archive.h"
#include "tests/store/temp_folder.h"
#include "tests/tools/run_program.h"

namespace {

namespace fs = std::filesystem;
using skyrill::testing::Outcome;

const fs::path kDayData = fs::path(SKYRILL_TEST_DATA_DIR) / "day";
constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string readAll(const fs::path& path) {
  return skyrill::readWholeFile(path).value_or("");
}

std::size_t lineCount(const std::string& csv) {
  std::size_t count = 0;
  for (auto at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2)) ++count;
  return count;
}

// Two stations in both modes, a day saved in two folders, a current day saved
// twice, and a file that is no answer.
class SkyrillSummary : public ::testing::Test {
 protected:
  void SetUp() override {
    copy("0_57083_0_20190705.json", "History/2019/0_57083_0_20190705.json");
    copy("0_57083_0_20190705.json", "Copy/0_57083_0_20190705.json");
    copy("1_57083_0_20190705_130500.json", "History/2019/1_57083_0_20190706_090000.json");
    copy("1_57083_0_20190705_130500.json", "History/2019/1_57083_0_20190706_130500.json");
    copy("0_54511_0_20240120.json", "History/2024/0_54511_0_20240120.json");
    copy("0_not_json.json", "History/2024/0_54511_0_20240121.json");
  }

  void copy(const std::string& fixture, const std::string& name) {
    fs::create_directories((folder_ / name).parent_path());
    fs::copy_file(kDayData / fixture, folder_ / name);
  }

  Outcome run(const std::string& args) const {
    return skyrill::testing::runProgram(SKYRILL_SUMMARY_PROGRAM,
                                        folder_.path().string() + " " + args);
  }

  skyrill::testing::TempFolder folder_;
};

TEST_F(SkyrillSummary, reportsRefusedFilesAndGoesOn) {
  const Outcome outcome = run("");
  EXPECT_EQ(outcome.status, 1);
  ASSERT_TRUE(outcome.out.starts_with(kBom));
  EXPECT_TRUE(outcome.out.substr(kBom.size()).starts_with("文件,模式,站号,日期,最高气温 (℃),"));
  EXPECT_EQ(lineCount(outcome.out), 1u + 3u) << outcome.out;
  EXPECT_NE(outcome.out.find(",1,57083,2019-07-06,30.0,,*,"), std::string::npos);
  EXPECT_NE(outcome.out.find(",0,54511,2024-01-20,25.0,,*,"), std::string::npos);
  EXPECT_NE(outcome.out.find("2.7,小雨,*,"), std::string::npos);
  EXPECT_EQ(outcome.err,
            "skyrill-summary: " + (folder_ / "History/2024/0_54511_0_20240121.json").string() +
                ":\n获取失败！可能的原因：\n1. 获取数据时数据源需要提供密钥，但未设置"
                "密钥或密钥无效。\n2. 获取数据时本地网络或目标服务器出现问题。\n"
                "<html><body>401 Unauthorized</body></html>\n\n"
                "文件“0_54511_0_20240121.json”：文件不是 JSON 文本。\n")
      << "no progress bar off a terminal";
}

TEST_F(SkyrillSummary, filtersByStationAndPeriod) {
  const struct {
    const char* args;
    int status;
    std::size_t days;
  } cases[] = {
      {"--station 57083", 0, 2},  // the refused file is left out by its name, unread
      {"--station 54511", 1, 1}, {"--from 2019-07-06 --to 20190706", 0, 1},
      {"--from 20240101", 1, 1}, {"--to 2019-07-05", 0, 1},
  };
  for (const auto& c : cases) {
    const Outcome outcome = run(c.args);
    EXPECT_EQ(outcome.status, c.status) << c.args << "\n" << outcome.err;
    EXPECT_EQ(lineCount(outcome.out), 1 + c.days) << c.args;
  }
}

TEST_F(SkyrillSummary, writesTheCsvFileAndTheChartInBothFormats) {
  const fs::path csv = folder_ / "out/summary.csv";
  fs::create_directories(csv.parent_path());
  for (const char* ending : {"png", "svg"}) {
    const fs::path chart = folder_ / ("out/chart." + std::string(ending));
    const Outcome outcome = run("--station 57083 --csv " + csv.string() + " --chart " +
                                chart.string() + " --from 2019-07-01 --to 2019-07-10");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(lineCount(readAll(csv)), 3u);
    const std::string picture = readAll(chart);
    if (std::string(ending) == "png") {
      EXPECT_TRUE(picture.starts_with("\x89PNG\r\n")) << "not a PNG";
      continue;
    }
    EXPECT_NE(picture.find("<svg"), std::string::npos);
    // Three days of one year give no normals and no records.
    for (const char* text : {">郑州 57083　2019-07-01 至 2019-07-10</text>", ">气温 (", ">降水量 (",
                             ">日期</text>", ">能见度</text>", ">07-01</text>", ">07-11</text>",
                             ">常年值</text>", ">最高纪录</text>"}) {
      const bool absent = std::string(text) == ">07-11</text>" ||
                          std::string(text) == ">常年值</text>" ||
                          std::string(text) == ">最高纪录</text>";
      EXPECT_EQ(picture.find(text) != std::string::npos, !absent) << text;
    }
  }
}

// A table that cannot be written out fails the run and says so, whichever
// way it goes: rows to standard output as they come, held for a chart, or
// into a file.
TEST_F(SkyrillSummary, aTableThatCannotBeWrittenFailsTheRun) {
  const std::string chart = (folder_ / "chart.svg").string();
  const std::string cases[] = {
      "--station 57083 > /dev/full",
      "--station 57083 --chart " + chart + " > /dev/full",
      "--station 57083 --csv " + (folder_ / "missing" / "table.csv").string(),
      "--station 57083 --csv /dev/full",
  };
  for (const std::string& args : cases) {
    // The braces let the run's own redirection stand.
    const Outcome outcome = skyrill::testing::runProgram(
        "{ " SKYRILL_SUMMARY_PROGRAM, folder_.path().string() + " " + args + "; }");
    EXPECT_EQ(outcome.status, 1) << args << "\n" << outcome.err;
    EXPECT_NE(outcome.err.find("skyrill-summary: cannot write "), std::string::npos) << args;
  }
  EXPECT_TRUE(fs::exists("/dev/full") && !fs::is_regular_file("/dev/full")) << "left as it was";
}

TEST_F(SkyrillSummary, chartNeedsOneStation) {
  const struct {
    const char* args;
    const char* error;
  } cases[] = {
      {"--chart x.png",
       "several stations (54511, 57083); choose one with --station, or compare them with "
       "--compare ELEMENT"},
      {"--chart x.png --station 99999", "no day to draw"},
      {"--chart x.png --station 57083,54511", "compare several with --compare ELEMENT"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = run(c.args);
    EXPECT_EQ(outcome.status, 2) << c.args;
    EXPECT_NE(outcome.err.find(c.error), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "") << "no table without its chart";
    EXPECT_FALSE(fs::exists("x.png"));
  }
}

TEST_F(SkyrillSummary, reportsWhatItFoundButCouldNotRead) {
  skyrill::testing::TempFolder odd;
  fs::create_directories(odd / "days");
  fs::create_symlink(odd / "nowhere.json", odd / "days/0_57083_0_20190708.json");
  fs::create_symlink(odd / "loop", odd / "loop");
  const struct {
    fs::path folder;
    std::string report;
  } cases[] = {
      {odd / "days", "文件“0_57083_0_20190708.json”：文件不存在。\n"},
      {odd / "loop", "skyrill-summary: cannot read " + (odd / "loop").string() + ": "},
  };
  for (const auto& c : cases) {
    const Outcome outcome = run("--station 57083 " + c.folder.string());
    EXPECT_EQ(outcome.status, 1) << c.folder;
    EXPECT_EQ(lineCount(outcome.out), 1u + 2u) << c.folder;
    EXPECT_NE(outcome.err.find(c.report), std::string::npos) << outcome.err;
  }
}

TEST_F(SkyrillSummary, namesThatAreNotUtf8AreMendedInTheCsvAndReported) {
  const fs::path day = folder_ / "History/2024/0_54511_0_20240120.json";
  const fs::path refused = folder_ / "History/2024/0_54511_0_20240121.json";
  fs::rename(day, folder_ / "History/2024/0_54511_0_20240120_\xFF\xFE.json");
  fs::rename(refused, folder_ / "History/2024/0_54511_0_20240121\xFF.json");
  const std::string mended =
      (folder_ / "History/2024/0_54511_0_20240120_\uFFFD\uFFFD.json").string();

  const Outcome outcome = run("--from 20240101");
  EXPECT_EQ(outcome.status, 1) << "the refused file";
  EXPECT_NE(outcome.out.find(mended + ",0,54511,2024-01-20,"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.err.find(mended + ": the name is not valid UTF-8"), std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("0_54511_0_20240121\uFFFD.json"), std::string::npos) << outcome.err;
  for (const std::string& text : {outcome.out, outcome.err})
    EXPECT_EQ(text.find_first_of("\xFF\xFE"), std::string::npos) << text;
}

// The summary of the generated archive as the tool writes it: its lines of
// the station (all when empty), ended by CR LF after a byte-order mark.
std::string generatedSummary(const fs::path& archive, const std::string& station) {
  std::istringstream in(readAll(skyrill::testing::generatedArchiveSummary()));
  std::string csv(kBom);
  std::string line;
  for (bool header = true; std::getline(in, line); header = false) {
    const std::string marker = "<archive>";
    if (header) {
      csv += line + "\r\n";
    } else if (station.empty() || line.find("," + station + ",") != std::string::npos) {
      csv += line.replace(0, marker.size(), archive.string()) + "\r\n";
    }
  }
  return csv;
}

// Over three stations, with days fetched twice in every way and files named
// by hand, the tool writes the bytes it wrote before it streamed, to standard
// output or to a file, with any number of threads.
TEST(SkyrillSummaryOfGeneratedArchive, writesTheBytesOfTheSummaryBeforeItStreamed) {
  skyrill::testing::TempFolder folder;
  const fs::path archive = folder / "archive";
  skyrill::testing::makeGeneratedArchive(archive);
  const fs::path csv = folder / "summary.csv";
  const struct {
    std::string args;
    std::string station;
  } cases[] = {
      {"", ""},
      {"--threads 1", ""},
      {"--threads 2", ""},
      {"--csv " + csv.string(), ""},
      {"--threads 1 --csv " + csv.string(), ""},
      {"--station 59287", "59287"},
      {"--station 54511 --csv " + csv.string(), "54511"},
  };
  for (const auto& c : cases) {
    fs::remove(csv);
    const Outcome outcome =
        skyrill::testing::runProgram(SKYRILL_SUMMARY_PROGRAM, archive.string() + " " + c.args);
    const std::string written =
        c.args.find("--csv") == std::string::npos ? outcome.out : readAll(csv);
    EXPECT_EQ(written, generatedSummary(archive, c.station)) << c.args;
    // A file named by hand is read whatever the station; one named for
    // another station is not.
    EXPECT_EQ(outcome.status, 1) << c.args << "\n" << outcome.err;
    EXPECT_NE(outcome.err.find("Hand/notes.json:\n"), std::string::npos) << c.args;
    EXPECT_EQ(outcome.err.find("Broken/0_50953_0_20231226.json:\n") != std::string::npos,
              c.station.empty())
        << c.args;
  }
}

// The climate table and one calendar day over four years with holes, as a
// model of the rules written apart computes them from the tool's own rows of
// the days; to standard output or a file.
TEST(SkyrillSummaryClimate, tablesMatchAModelOfTheRulesOverTheDailyRows) {
  namespace model = skyrill::testing::climate_model;
  skyrill::testing::TempFolder folder;
  const fs::path archive = folder / "archive";
  skyrill::testing::makeClimateArchive(archive);
  const std::string station = std::string(" --station ") + skyrill::testing::kClimateStation;
  const auto summary = [&](const std::string& args) {
    return skyrill::testing::runProgram(SKYRILL_SUMMARY_PROGRAM,
                                        archive.string() + station + " " + args);
  };
  const Outcome days = summary("");
  const auto modelDays = model::daysOfSummary(days.out);
  ASSERT_GT(modelDays.size(), 1400u);

  const fs::path csv = folder / "climate.csv";
  const struct {
    std::string args;
    std::string expected;
    int status;  // 1 when the file that is no day is among the days read
  } cases[] = {
      {"--climate", model::climateCsv(modelDays), 1},
      {"--climate --threads 1 --csv " + csv.string(), model::climateCsv(modelDays), 1},
      {"--on 02-29", model::sameDayCsv(modelDays, 229), 0},
      {"--on 1-12 --csv " + csv.string(), model::sameDayCsv(modelDays, 112), 0},
      {"--on 02-10", model::sameDayCsv(modelDays, 210), 1},
  };
  for (const auto& c : cases) {
    fs::remove(csv);
    const Outcome outcome = summary(c.args);
    const bool toFile = c.args.find("--csv") != std::string::npos;
    EXPECT_EQ(toFile ? readAll(csv) : outcome.out, c.expected) << c.args;
    EXPECT_EQ(toFile, outcome.out.empty()) << c.args;
    EXPECT_EQ(outcome.status, c.status) << c.args << "\n" << outcome.err;
    EXPECT_EQ(outcome.err.find("0_54511_0_20190210.json:\n") != std::string::npos, c.status == 1)
        << c.args;
  }

  // Within a period the months cut off at its ends lack days.
  const Outcome period = summary("--climate --from 2018-01-15 --to 2019-12-31");
  std::map<int, model::Day> periodDays;
  for (const auto& [date, day] : modelDays) {
    if (date >= 20180115) periodDays[date] = day;
  }
  EXPECT_EQ(period.out, model::climateCsv(periodDays));
}

// The chart of a period takes the normals and records from every year: the
// band and the marks show; the table stays the period's, byte for byte, and
// a file outside the period that cannot be read is no concern of its.
TEST(SkyrillSummaryClimate, theChartOfAPeriodDrawsTheNormalsOfEveryYear) {
  skyrill::testing::TempFolder folder;
  const fs::path archive = folder / "archive";
  skyrill::testing::makeClimateArchive(archive);
  const std::string period = archive.string() + " --station " + skyrill::testing::kClimateStation +
                             " --from 2018-06-01 --to 2018-12-31";
  const Outcome table = skyrill::testing::runProgram(SKYRILL_SUMMARY_PROGRAM, period);
  EXPECT_EQ(table.status, 0) << table.err;
  const fs::path chart = folder / "chart.svg";
  const Outcome charted =
      skyrill::testing::runProgram(SKYRILL_SUMMARY_PROGRAM, period + " --chart " + chart.string());
  EXPECT_EQ(charted.status, 0) << charted.err;
  EXPECT_EQ(charted.err.find("20190210"), std::string::npos) << charted.err;
  EXPECT_EQ(charted.out, table.out);
  const std::string picture = readAll(chart);
  for (const char* text : {">常年值</text>", ">最高纪录</text>", ">降水纪录</text>"})
    EXPECT_NE(picture.find(text), std::string::npos) << text;
}

// The climate, one calendar day and a comparison without a saved day.
TEST(SkyrillSummaryClimate, aStationWithoutDaysEndsWith1AndAMessage) {
  const std::string day = (kDayData / "0_57083_0_20190705.json").string();
  const struct {
    std::string args;
    std::string message;
  } cases[] = {
      {"--station 54511 --climate", "no saved day of station 54511\n"},
      {"--station 57083 --on 07-06", "no saved day of station 57083 on 07-06\n"},
      {"--station 57083 --climate --from 2020-01-01",
       "no saved day of station 57083 from 2020-01-01\n"},
      {"--station 54511,50953 --compare tmax", "no saved day of stations 54511, 50953\n"},
      {"--station 57083 --compare wind --from 2019-07-06",
       "no saved day of station 57083 from 2019-07-06\n"},
  };
  for (const auto& c : cases) {
    const Outcome outcome =
        skyrill::testing::runProgram(SKYRILL_SUMMARY_PROGRAM, day + " " + c.args);
    EXPECT_EQ(outcome.status, 1) << c.args;
    EXPECT_EQ(outcome.out, "") << c.args;
    EXPECT_EQ(outcome.err, "skyrill-summary: " + c.message) << c.args;
  }
  const Outcome found =
      skyrill::testing::runProgram(SKYRILL_SUMMARY_PROGRAM, day + " --station 57083 --on 07-05");
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_NE(found.out.find("\r\n2019,2019-07-05,"), std::string::npos) << found.out;
}

// Splits CSV text into lines of cells (no cell here is quoted).
std::vector<std::vector<std::string>> csvCells(std::string csv) {
  if (csv.starts_with(kBom)) csv.erase(0, kBom.size());
  std::vector<std::vector<std::string>> lines;
  for (std::size_t at = 0, end; (end = csv.find("\r\n", at)) != std::string::npos; at = end + 2) {
    std::vector<std::string> cells(1);
    for (std::size_t i = at; i < end; ++i) {
      if (csv[i] == ',')
        cells.emplace_back();
      else
        cells.back() += csv[i];
    }
    lines.push_back(std::move(cells));
  }
  return lines;
}

// The stations side by side as the tool compares them, against its own
// summary rows of the same files: each cell is the value cell of the row of
// that station and date, empty where there is none; the period is the one
// asked for, else from the first to the last day any station has.
TEST(SkyrillSummaryCompare, cellsAreTheValueCellsOfTheSummaryRows) {
  skyrill::testing::TempFolder folder;
  skyrill::testing::makeComparisonArchive(folder.path());
  const Outcome summary =
      skyrill::testing::runProgram(SKYRILL_SUMMARY_PROGRAM, folder.path().string());
  std::map<std::pair<std::string, std::string>, std::vector<std::string>> rows;
  for (auto& cells : csvCells(summary.out)) rows[{cells[2], cells[3]}] = cells;
  const fs::path csv = folder / "compare.csv";
  const struct {
    std::string args;
    std::string column;  // of the element's value in a summary row
    std::string firstDate, lastDate;
    int status;  // 1 when the file that is no day lies within the period
  } cases[] = {
      {"--compare tmax", "最高气温 (℃)", "2024-01-01", "2024-01-10", 1},
      {"--compare 平均气压 --threads 1", "平均气压 (hPa)", "2024-01-01", "2024-01-10", 1},
      {"--compare vis --from 2023-12-30 --to 2024-01-02", "最低能见度 (km)", "2023-12-30",
       "2024-01-02", 0},
      {"--compare rain1h --from 20240106 --csv " + csv.string(), "最大小时雨强 (mm)", "2024-01-06",
       "2024-01-10", 1},
  };
  const auto header = csvCells(summary.out).front();
  for (const auto& c : cases) {
    fs::remove(csv);
    const Outcome outcome = skyrill::testing::runProgram(
        SKYRILL_SUMMARY_PROGRAM, folder.path().string() + " --station 50953,54511,59287 " + c.args);
    EXPECT_EQ(outcome.status, c.status) << c.args << "\n" << outcome.err;
    EXPECT_EQ(outcome.err.find("0_50953_0_20240109.json:\n") != std::string::npos, c.status == 1)
        << c.args;
    const bool toFile = c.args.find("--csv") != std::string::npos;
    const std::string written = toFile ? readAll(csv) : outcome.out;
    EXPECT_TRUE(written.starts_with(kBom)) << c.args;
    const auto lines = csvCells(written);
    ASSERT_GT(lines.size(), 1u) << c.args;
    const std::string element = c.column.substr(0, c.column.find(' '));
    EXPECT_EQ(lines.front(), (std::vector<std::string>{"日期", "50953 " + c.column,
                                                       "54511 " + c.column, "59287 " + c.column}));
    EXPECT_EQ(lines[1][0], c.firstDate) << c.args;
    EXPECT_EQ(lines.back()[0], c.lastDate) << c.args;
    const auto column = std::find(header.begin(), header.end(), c.column) - header.begin();
    for (std::size_t line = 1; line < lines.size(); ++line) {
      for (std::size_t station = 1; station <= 3; ++station) {
        const auto row = rows.find({lines[0][station].substr(0, 5), lines[line][0]});
        EXPECT_EQ(lines[line][station],
                  row == rows.end() ? "" : row->second[static_cast<std::size_t>(column)])
            << c.args << " " << lines[line][0] << " " << lines[0][station];
      }
    }
  }
}

TEST(SkyrillSummaryCompare, drawsTheStationsOnOneChart) {
  skyrill::testing::TempFolder folder;
  skyrill::testing::makeComparisonArchive(folder.path());
  const fs::path chart = folder / "compare.svg";
  const Outcome outcome = skyrill::testing::runProgram(
      SKYRILL_SUMMARY_PROGRAM, folder.path().string() +
                                   " --station 54511,50953 --compare tmin --from 2024-01-02 "
                                   "--chart " +
                                   chart.string());
  EXPECT_EQ(outcome.status, 1) << outcome.err;
  EXPECT_EQ(csvCells(outcome.out).size(), 1u + 9u) << "the table goes out too";
  const std::string picture = readAll(chart);
  for (const char* text : {">最低气温　2024-01-02 至 2024-01-10</text>", ">北京 54511</text>",
                           ">哈尔滨 50953</text>", ">最低气温 (℃)</text>", ">日期</text>"})
    EXPECT_NE(picture.find(text), std::string::npos) << text;
}

TEST(SkyrillSummaryUsage, badCommandLinesExitWith2) {
  const std::string day = (kDayData / "0_57083_0_20190705.json").string();
  for (const std::string& args : {std::string(""),
                                  "--bogus " + day,
                                  "--from 2019-13-01 " + day,
                                  "--to 2019-2-30 " + day,
                                  "--from 20190706 --to 20190705 " + day,
                                  "--threads 0 " + day,
                                  std::string("--csv"),
                                  std::string("/no/such/folder"),
                                  "--climate " + day,
                                  "--on 07-05 " + day,
                                  "--station 57083 --climate --chart c.png " + day,
                                  "--station 57083 --on 07-05 --chart c.png " + day,
                                  "--station 57083 --climate --on 07-05 " + day,
                                  "--station 57083 --on 02-30 " + day,
                                  "--station 57083 --on 13-01 " + day,
                                  "--station 57083 --on 0705 " + day,
                                  "--station 57083 --on= " + day,
                                  "--compare tmax " + day,
                                  "--station 57083,54511 --compare tmaximum " + day,
                                  "--station 57083,54511 --compare " + day,
                                  "--station 57083,54511 --chart c.png " + day,
                                  "--station 57083,,54511 --compare tmax " + day,
                                  "--station 57083,57083 --compare tmax " + day,
                                  "--station 57083, --compare tmax " + day,
                                  "--station 57083,54511 --climate " + day,
                                  "--station 57083 --compare tmax --climate " + day,
                                  "--station 1,2,3,4,5,6,7 --compare tmax --chart c.png " + day}) {
    const Outcome outcome = skyrill::testing::runProgram(SKYRILL_SUMMARY_PROGRAM, args);
    EXPECT_EQ(outcome.status, 2) << args;
    EXPECT_EQ(outcome.out, "") << args;
    EXPECT_TRUE(outcome.err.starts_with("skyrill-summary: ")) << args;
  }
}

}  // namespace
