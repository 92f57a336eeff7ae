// Runs the skyrill-day program on small answer files and compares what it
// prints with the expected reports.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "sample_service_fixture.h"
#include "server_thread.h"
#include "weather_routes.h"

#include "store/whole_file.h"
#include "tests/store/temp_folder.h"
#include "tests/tools/run_program.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDayData = fs::path(SKYRILL_TEST_DATA_DIR) / "day";

std::string readAll(const fs::path& path) {
  return skyrill::readWholeFile(path).value_or("");
}

using skyrill::testing::Outcome;

Outcome runDay(const std::string& args) {
  return skyrill::testing::runProgram(SKYRILL_DAY_PROGRAM, args);
}

std::string dayFile(const std::string& name) {
  return (kDayData / name).string();
}

TEST(SkyrillDay, printsTheReportsOfSavedDays) {
  struct Case {
    std::string args;
    std::string reference;
  } cases[] = {
      // Gaps, a duplicate hour, an acc value, a skipped time, tolerance edges.
      {dayFile("0_57083_0_20190705.json"), "0_57083_0_20190705.ref"},
      {"--slots " + dayFile("0_57083_0_20190705.json"), "0_57083_0_20190705.slots.ref"},
      // Variants whose keys the records lack: no wind, no visibility.
      {"--wind 2 --visibility 2 " + dayFile("0_57083_0_20190705.json"),
       "0_57083_0_20190705.wind2-vis2.ref"},
      // The current day fills the slots from 24 down.
      {"--slots " + dayFile("1_57083_0_20190705_130500.json"),
       "1_57083_0_20190705_130500.slots.ref"},
      // A name without a mode opens in the mode of the realtime box.
      {"--realtime " + dayFile("today_without_mode.json"), "1_57083_0_20190705_130500.ref"},
      // The data grid: every record in the answer's order, the colour rules'
      // edges, missing values and a time that does not read.
      {"--grid " + dayFile("0_54511_0_20240120.json"), "0_54511_0_20240120.grid.ref"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = runDay(c.args);
    EXPECT_EQ(outcome.status, 0) << c.args << "\n" << outcome.err;
    EXPECT_EQ(outcome.out, readAll(kDayData / c.reference)) << c.args;
  }
}

TEST(SkyrillDay, failedChecksGoToStandardErrorWithStatus1) {
  struct Case {
    std::string file;
    std::string message;
  } cases[] = {
      {"0_empty.json",
       "获取失败！可能的原因：\n获取数据时本地网络或目标服务器出现问题。\n\n"
       "文件“0_empty.json”：文件是空的。\n"},
      {"does_not_exist.json",
       "获取失败！可能的原因：\n获取数据时本地网络或目标服务器出现问题。\n\n"
       "文件“does_not_exist.json”：文件不存在。\n"},
      {"0_service_error.json",
       "获取失败！错误报告：\n未知站点\n\n"
       "文件“0_service_error.json”：文件保存的是数据服务的错误答复，不是一天的观测数据。\n"},
      {"0_no_records.json",
       "获取失败！可能由以下几种原因造成：\n1. 获取数据时所选择的日期超出范围或尚未更新。\n"
       "2. 获取数据时气象站号不存在或不被网站所记录。\n\n"
       "文件“0_no_records.json”：文件是 JSON，但不是一天的观测数据。\n"},
      {"0_not_json.json",
       "获取失败！可能的原因：\n1. 获取数据时数据源需要提供密钥，但未设置密钥或密钥无效。\n"
       "2. 获取数据时本地网络或目标服务器出现问题。\n<html><body>401 Unauthorized</body></html>\n\n"
       "文件“0_not_json.json”：文件不是 JSON 文本。\n"},
  };
  for (const Case& c : cases) {
    for (const char* report : {"", "--grid "}) {
      const Outcome outcome = runDay(report + dayFile(c.file));
      EXPECT_EQ(outcome.status, 1) << report << c.file;
      EXPECT_EQ(outcome.out, "") << report << c.file;
      EXPECT_EQ(outcome.err, c.message) << report << c.file;
    }
  }
}

// The message is cut at 1024 bytes as the window shows it; the whole error
// text follows it.
TEST(SkyrillDay, longServiceErrorIsPrintedWhole) {
  const fs::path file = fs::temp_directory_path() / ("0_long_error_" + std::to_string(getpid()));
  const std::string error(3000, 'e');
  skyrill::writeWholeFile(file, R"({"error":")" + error + R"("})");
  const Outcome outcome = runDay(file.string());
  fs::remove(file);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "获取失败！错误报告：\n" + error.substr(0, 1024) + "\n\n文件“" +
                             file.filename().string() +
                             "”：文件保存的是数据服务的错误答复，不是一天的观测数据。\n\n" + error +
                             "\n");
}

TEST(SkyrillDay, refusesAFileWhoseNameCarriesAnUnknownMode) {
  const Outcome outcome = runDay(dayFile("5_57083_0_20190705.json"));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_FALSE(outcome.err.empty());
}

std::size_t countOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(SkyrillDay, exportsTheDayAsCsvAndVectorPictures) {
  const fs::path dir =
      fs::temp_directory_path() / ("skyrill-day-exports-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const Outcome outcome =
      runDay("--csv " + (dir / "day.csv").string() + " --grid-csv " + (dir / "grid.csv").string() +
             " --chart " + (dir / "chart.svg").string() + " --strip " +
             (dir / "strip.pdf").string() + " " + dayFile("0_54511_0_20240120.json"));
  EXPECT_EQ(outcome.status, 0) << outcome.err;

  const std::string slots = readAll(dir / "day.csv");
  EXPECT_TRUE(slots.starts_with("\xEF\xBB\xBF时次,时间,气温 (°C),"));
  EXPECT_EQ(countOf(slots, "\r\n"), 25u);
  const std::string grid = readAll(dir / "grid.csv");
  EXPECT_TRUE(grid.starts_with("\xEF\xBB\xBF数据时间,气温,气温 颜色,"));
  // One line per grid line of the text report, less its caption line.
  const std::string gridReport = runDay("--grid " + dayFile("0_54511_0_20240120.json")).out;
  EXPECT_EQ(countOf(grid, "\r\n"), countOf(gridReport, "\n") - 1);

  const std::string svg = readAll(dir / "chart.svg");
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 500 440\""), std::string::npos);
  for (const char* label : {">气温</text>", ">降水</text>", ">湿度</text>", ">1050</text>"})
    EXPECT_NE(svg.find(label), std::string::npos) << label;
  const std::string pdf = readAll(dir / "strip.pdf");
  EXPECT_TRUE(pdf.starts_with("%PDF-"));
  EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
  EXPECT_NE(pdf.find("/Image"), std::string::npos) << "the barbs are images";

  // With --caption the pictures carry the day's line under them.
  const Outcome captioned = runDay("--caption --chart " + (dir / "captioned.svg").string() + " " +
                                   dayFile("0_54511_0_20240120.json"));
  EXPECT_EQ(captioned.status, 0) << captioned.err;
  const std::string captionedSvg = readAll(dir / "captioned.svg");
  EXPECT_NE(captionedSvg.find("viewBox=\"0 0 500 460\""), std::string::npos);
  EXPECT_NE(captionedSvg.find("来源：本地文件</text>"), std::string::npos);

  // A file that cannot be written fails the run after the report.
  const Outcome unwritable = runDay("--csv " + (dir / "no" / "day.csv").string() + " " +
                                    dayFile("0_54511_0_20240120.json"));
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot write"), std::string::npos);
  fs::remove_all(dir);
}

// Days fetched from the sample service and written out, each output in a
// folder of the test's own.
class SkyrillDayOutputs : public skyrill::testing::SampleServiceTest {
 protected:
  SkyrillDayOutputs() : SampleServiceTest("skyrill-day-outputs") {}

  // Fetches a day with the output options; `shell` runs first in the shell.
  Outcome fetch(const std::string& outputs, const std::string& shell = "") {
    return skyrill::testing::runProgram(
        shell + SKYRILL_DAY_PROGRAM,
        "--station 58453 --date 2019-7-5 --key demo --server " + base_ + " " + outputs);
  }
};

// Every kind of output, by option and file name.
const std::pair<std::string, std::string> kOutputs[] = {{"--save", "day.json"},
                                                        {"--csv", "day.csv"},
                                                        {"--grid-csv", "grid.csv"},
                                                        {"--chart", "chart.png"},
                                                        {"--strip", "strip.pdf"}};

TEST_F(SkyrillDayOutputs, linkedOutputsAreWrittenThroughToTheirTargets) {
  fs::create_directory(dir_ / "real");
  std::string options;
  for (const auto& [option, name] : kOutputs) {
    skyrill::testing::writeBytes(dir_ / "real" / name, "old");
    fs::create_symlink(fs::path("real") / name, dir_ / name);
    options += option + " " + (dir_ / name).string() + " ";
  }
  const Outcome outcome = fetch(options);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  for (const auto& [option, name] : kOutputs) {
    EXPECT_TRUE(fs::is_symlink(dir_ / name)) << option;
    EXPECT_NE(readAll(dir_ / "real" / name), "old") << option;
  }
  EXPECT_EQ(skyrill::testing::entryCount(dir_ / "real"), static_cast<int>(std::size(kOutputs)));
}

// A write that fails fails the run and leaves the old file as it was.
TEST_F(SkyrillDayOutputs, failedWritesLeaveTheOldFilesAlone) {
  const struct {
    const char* why;
    bool readOnly;
    std::string shell;
    const char* cause;
  } ways[] = {
      {"read-only file", true, "", "permission denied"},
      // No file may grow past 512 bytes (1 KB in bash); every output is larger.
      {"size limit", false, "ulimit -f 1; trap '' XFSZ; exec ",
       "the file would grow past the largest size allowed"},
  };
  for (const auto& way : ways) {
    for (const auto& [option, name] : kOutputs) {
      const fs::path file = dir_ / name;
      skyrill::testing::writeBytes(file, "old");
      if (way.readOnly) fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
      const Outcome outcome = fetch(option + " " + file.string(), way.shell);
      EXPECT_EQ(outcome.status, 1) << way.why << " " << option;
      EXPECT_NE(
          outcome.err.find("skyrill-day: cannot write " + file.string() + ": " + way.cause + "\n"),
          std::string::npos)
          << way.why << " " << option << ": " << outcome.err;
      EXPECT_EQ(readAll(file), "old") << way.why << " " << option;
      EXPECT_EQ(skyrill::testing::entryCount(dir_), 1) << way.why << " " << option;
      fs::remove(file);
    }
  }
}

// ---- Light runs ----------------------------------------------------------
// A run loads Qt only to draw a picture and the network libraries only to
// fetch; ld.so tells with LD_DEBUG=files what a run loaded.

const char* const kQtLibraries[] = {"libQt6Core", "libQt6Gui", "libQt6Svg", "libQt6DBus",
                                    "libdbus-1"};
const char* const kNetworkLibraries[] = {"libcurl", "libssl", "libcrypto"};
constexpr const char* kLoadTrace = "LD_DEBUG=files ";

bool loads(const Outcome& traced, const std::string& library) {
  return traced.err.find("file=" + library + ".so") != std::string::npos;
}

// Whether the traced run loaded Qt and the network libraries as expected.
void expectLoads(const Outcome& traced, bool qt, bool network, const std::string& run) {
  EXPECT_EQ(traced.status, 0) << run;
  EXPECT_EQ(loads(traced, "libQt6Gui"), qt) << run;
  EXPECT_EQ(loads(traced, "libQt6Svg"), qt) << run;
  if (!qt) {
    for (const char* library : kQtLibraries)
      EXPECT_FALSE(loads(traced, library)) << run << ": " << library;
  }
  for (const char* library : kNetworkLibraries)
    EXPECT_EQ(loads(traced, library), network) << run << ": " << library;
}

TEST(LightRuns, savedDaysLoadNoQtAndNoNetworkUnlessAPictureIsAsked) {
  skyrill::testing::TempFolder folder;
  fs::create_directory(folder / "days");
  fs::copy_file(dayFile("0_57083_0_20190705.json"), folder / "days/0_57083_0_20190705.json");
  const std::string out = (folder / "out").string();
  const std::string day = dayFile("0_57083_0_20190705.json");
  const std::string days = (folder / "days").string();
  const struct {
    std::string program;
    std::string args;
    bool qt;
  } cases[] = {
      {SKYRILL_DAY_PROGRAM, day, false},
      {SKYRILL_DAY_PROGRAM, "--slots --csv " + out + ".csv " + day, false},
      {SKYRILL_DAY_PROGRAM, "--grid --grid-csv " + out + ".csv " + day, false},
      {SKYRILL_DAY_PROGRAM, "--chart " + out + ".png " + day, true},
      {SKYRILL_DAY_PROGRAM, "--strip " + out + ".svg " + day, true},
      {SKYRILL_SUMMARY_PROGRAM, days, false},
      {SKYRILL_SUMMARY_PROGRAM, "--csv " + out + ".csv " + days, false},
      {SKYRILL_SUMMARY_PROGRAM, "--chart " + out + ".pdf " + days, true},
  };
  for (const auto& c : cases) {
    const Outcome traced = skyrill::testing::runProgram(kLoadTrace + c.program, c.args);
    expectLoads(traced, c.qt, false, c.program + " " + c.args);
  }
}

TEST_F(SkyrillDayOutputs, fetchesLoadTheNetworkAndQtOnlyForAPicture) {
  const std::string chart = "--chart " + (dir_ / "chart.png").string();
  for (const std::string& outputs : {std::string(), chart}) {
    expectLoads(fetch(outputs, kLoadTrace), !outputs.empty(), true, "fetch " + outputs);
  }
}

// A copy of the program without its modules beside it: it still shows a
// file, and says which module a picture lacks.
TEST(LightRuns, withoutItsModulesTheProgramShowsFilesAndNamesWhatIsMissing) {
  skyrill::testing::TempFolder folder;
  fs::create_directories(folder / "bin");
  const std::string program = (folder / "bin/skyrill-day").string();
  fs::copy_file(SKYRILL_DAY_PROGRAM, program);
  const std::string day = dayFile("0_57083_0_20190705.json");
  const std::string chart = (folder / "chart.png").string();
  const struct {
    std::string args;
    int status;
    std::string report;  // the reference of the report on standard output
    const char* module;  // the module named on standard error
    const char* line;    // and the line that follows from its lack
  } cases[] = {
      {day, 0, "0_57083_0_20190705.ref", nullptr, nullptr},
      {"--chart " + chart + " " + day, 1, "0_57083_0_20190705.ref", "skyrill-pictures.so",
       "skyrill-day: cannot write "},
  };
  for (const auto& c : cases) {
    const Outcome outcome = skyrill::testing::runProgram(program, c.args);
    EXPECT_EQ(outcome.status, c.status) << c.args << "\n" << outcome.err;
    EXPECT_EQ(outcome.out, c.report.empty() ? "" : readAll(kDayData / c.report)) << c.args;
    if (c.module == nullptr) {
      EXPECT_EQ(outcome.err, "") << c.args;
      continue;
    }
    // Looked for from the copy's own folder.
    EXPECT_TRUE(outcome.err.starts_with("skyrill-day: cannot load " +
                                        fs::canonical(folder.path()).string()))
        << outcome.err;
    EXPECT_NE(outcome.err.find(c.module), std::string::npos) << c.args << "\n" << outcome.err;
    if (c.line != nullptr) {
      EXPECT_NE(outcome.err.find(c.line), std::string::npos) << outcome.err;
    }
  }
  EXPECT_FALSE(fs::exists(chart));
}

// Each tool tells its use, its exit statuses and its version.
TEST(Tools, answerHelpAndVersion) {
  const struct {
    std::string program;
    std::string name;
  } tools[] = {{SKYRILL_DAY_PROGRAM, "skyrill-day"},
               {SKYRILL_SUMMARY_PROGRAM, "skyrill-summary"},
               {SKYRILL_SAMPLE_SERVICE, "skyrill-sample-service"},
               {SKYRILL_BARB_ICONS, "skyrill-barb-icons"}};
  for (const auto& tool : tools) {
    const fs::path out = fs::temp_directory_path() / ("skyrill-tool-" + std::to_string(getpid()));
    const auto run = [&](const std::string& option) {
      const int raw = std::system((tool.program + " " + option + " > " + out.string()).c_str());
      EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << tool.name << " " << option;
      return readAll(out);
    };
    EXPECT_EQ(run("--version"), tool.name + " " SKYRILL_VERSION "\n");
    const std::string help = run("--help");
    EXPECT_TRUE(help.starts_with("Usage:")) << help;
    EXPECT_NE(help.find(tool.name + " "), std::string::npos) << help;
    EXPECT_NE(help.find("Exit status"), std::string::npos) << help;
    fs::remove(out);
  }
}

}  // namespace
