// The one command-line convention of every Skyrill program: "--opt value" and
// "--opt=value", usage errors ending with status 2 and the usage on standard
// error, and one reader for dates that refuses a day that does not exist
// before anything is asked of the service.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "run_program.h"
#include "sample_service_fixture.h"
#include "tests/store/temp_folder.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using skyrill::testing::Outcome;

const fs::path kDayData = fs::path(SKYRILL_TEST_DATA_DIR) / "day";

// The programs run with no display at all, as from a plain terminal.
const std::string kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";

class CommandLines : public testing::SampleServiceTest {
 protected:
  CommandLines() : SampleServiceTest("skyrill-command-lines") {}
  void SetUp() override {
    SampleServiceTest::SetUp();
    service_->server().set_logger(
        [this](const httplib::Request&, const httplib::Response&) { ++requests_; });
  }
  std::atomic<int> requests_ = 0;
};

TEST_F(CommandLines, everyProgramReadsOptionsOneWayAndEndsAUsageErrorWith2) {
  const std::string day = (kDayData / "0_57083_0_20190705.json").string();
  const std::string fetch = " --station 58453 --key demo --server " + base_;
  const std::string range =
      " --station 58453 --key demo --server=" + base_ + " --into " + (dir_ / "History").string();
  const struct {
    const char* program;
    std::string args;
    int status;
  } cases[] = {
      {SKYRILL_DAY_PROGRAM, "--wind=2 --visibility 2 " + day, 0},
      {SKYRILL_DAY_PROGRAM, "--date=2019-7-5" + fetch, 0},
      {SKYRILL_DAY_PROGRAM, "--date 2019-07-05" + fetch, 0},
      {SKYRILL_DAY_PROGRAM, "--date 20190705" + fetch, 0},
      {SKYRILL_DAY_PROGRAM, "--date 2024-02-30" + fetch, 2},
      {SKYRILL_DAY_PROGRAM, "--date 2019/7/5" + fetch, 2},
      {SKYRILL_DAY_PROGRAM, "--wind=4 " + day, 2},
      {SKYRILL_DAY_PROGRAM, "--slots=yes " + day, 2},
      {SKYRILL_DAY_PROGRAM, "--bogus " + day, 2},
      {SKYRILL_DAY_PROGRAM, "", 2},
      {SKYRILL_DAY_PROGRAM, "--chart=" + (dir_ / "c.bmp").string() + " " + day, 2},
      {SKYRILL_DAY_PROGRAM, "--strip " + (dir_ / "strip").string() + " " + day, 2},
      {SKYRILL_FETCH_PROGRAM, "--from=2019-7-5 --to 20190706" + range, 0},
      {SKYRILL_FETCH_PROGRAM, "--from 2019-02-29 --to 2019-03-01" + range, 2},
      {SKYRILL_FETCH_PROGRAM, "--jobs=0 --from 2019-7-5 --to 2019-7-6" + range, 2},
      {SKYRILL_FETCH_PROGRAM, "--bogus", 2},
      {SKYRILL_SUMMARY_PROGRAM, "--from=2019-7-5 --to 20190705 " + day, 0},
      {SKYRILL_SUMMARY_PROGRAM, "--to 2019-2-30 " + day, 2},
      {SKYRILL_SUMMARY_PROGRAM, "--threads=0 " + day, 2},
      {SKYRILL_SUMMARY_PROGRAM, "--bogus " + day, 2},
      {SKYRILL_SUMMARY_PROGRAM, "--from= " + day, 2},
      {SKYRILL_SUMMARY_PROGRAM, "--chart " + (dir_ / "s.gif").string() + " " + day, 2},
      {SKYRILL_SAMPLE_SERVICE, "--port=http", 2},
      {SKYRILL_SAMPLE_SERVICE, "--fault=none", 2},
      {SKYRILL_SAMPLE_SERVICE, "--no-http", 2},
      {SKYRILL_SAMPLE_SERVICE, "--bogus", 2},
#ifdef SKYRILL_PROGRAM
      {SKYRILL_PROGRAM, "--bogus", 2},
      {SKYRILL_PROGRAM, "a.json b.json", 2},
      {SKYRILL_PROGRAM,
       "-platform offscreen -style=Fusion -reverse -title Skyrill -name sky --version", 0},
#endif
  };
  for (const auto& c : cases) {
    const int requestsBefore = requests_;
    const auto outcome = testing::runProgram(kNoDisplay + c.program, c.args);
    const std::string name = fs::path(c.program).filename().string();
    const std::string run = name + " " + c.args;
    EXPECT_EQ(outcome.status, c.status) << run << "\n" << outcome.err;
    if (c.status != 2) continue;
    EXPECT_TRUE(outcome.err.starts_with(name + ": ")) << run << "\n" << outcome.err;
    EXPECT_NE(outcome.err.find("Usage"), std::string::npos) << run;
    EXPECT_EQ(outcome.out, "") << run;
    EXPECT_EQ(requests_, requestsBefore) << run << ": nothing is asked before the line is read";
  }
}

TEST_F(CommandLines, anImpossibleDateIsNamedWithTheFormsTaken) {
  const auto outcome = testing::runProgram(SKYRILL_DAY_PROGRAM,
                                           "--station 58453 --date 2024-02-30 --server " + base_);
  EXPECT_TRUE(outcome.err.starts_with(
      "skyrill-day: --date takes a date that exists, as YYYY-MM-DD, YYYY-M-D or YYYYMMDD "
      "(not \"2024-02-30\")\n"))
      << outcome.err;
}

// The tools move an earlier version's files in as the window does, and say
// on standard error where those that could not be moved still are, and why.
TEST_F(CommandLines, earlierFilesLeftBehindAreToldByTheTools) {
  const fs::path bin = dir_ / "prefix/bin";
  fs::create_directories(bin / "History/2024");
  skyrill::testing::writeBytes(bin / "History/2024/0_54511_0_20240101.json", "day");
  skyrill::testing::writeBytes(bin / "skyrill", "");  // the window beside the tools
  fs::create_directories(dir_ / "home");
  fs::create_directories(dir_ / "data/skyrill");
  skyrill::testing::writeBytes(dir_ / "data/skyrill/History", "");  // in the way
  const std::string environment =
      "env HOME=" + (dir_ / "home").string() + " XDG_DATA_HOME=" + (dir_ / "data").string() + " ";
  const std::string day = (kDayData / "0_57083_0_20190705.json").string();
  const struct {
    const char* program;
    std::string args;
  } cases[] = {
      {SKYRILL_FETCH_PROGRAM, "--station 58453 --from 2019-7-5 --to 2019-7-5 --key demo --server " +
                                  base_ + " --into " + (dir_ / "fetched").string()},
      {SKYRILL_SUMMARY_PROGRAM, day},
  };
  for (const auto& c : cases) {
    const std::string name = fs::path(c.program).filename().string();
    fs::copy_file(c.program, bin / name);
    const Outcome outcome =
        skyrill::testing::runProgram(environment + (bin / name).string(), c.args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const fs::path history = dir_ / "data/skyrill/History";
    EXPECT_NE(outcome.err.find(name + ": an earlier version's files are still in " +
                               (bin / "History").string() + ", not all moved to " +
                               history.string() + ": " + history.string() +
                               ": a file stands where a folder goes; each start tries again\n"),
              std::string::npos)
        << outcome.err;
  }
  EXPECT_EQ(skyrill::testing::readBytes(bin / "History/2024/0_54511_0_20240101.json"), "day");
}

// A write that fails says why, in every tool: the disk is full, a link leads
// nowhere or round in a loop, nobody reads the pipe, the target is a device.
TEST(ToolOutputs, aFailedWriteNamesItsCause) {
  skyrill::testing::TempFolder folder;
  const std::string day = (kDayData / "0_57083_0_20190705.json").string();
  const fs::path dangling = folder / "dangling.csv";
  const fs::path loop = folder / "loop.csv";
  fs::create_symlink(folder / "gone/table.csv", dangling);
  const fs::path danglingPicture = folder / "dangling.png";
  fs::create_symlink(folder / "gone/chart.png", danglingPicture);
  fs::create_symlink(folder / "loop-too.csv", loop);
  fs::create_symlink(loop, folder / "loop-too.csv");
  enum class Output { File, Full, ClosedPipe };
  const struct {
    const char* name;
    const char* program;
    std::string args;
    Output output;
    std::string line;
  } cases[] = {
      {"skyrill-day", SKYRILL_DAY_PROGRAM, "--csv " + dangling.string() + " " + day, Output::File,
       dangling.string() + ": it is a symbolic link to " + (folder / "gone/table.csv").string() +
           ", whose folder does not exist"},
      {"skyrill-day", SKYRILL_DAY_PROGRAM, "--chart " + danglingPicture.string() + " " + day,
       Output::File,
       danglingPicture.string() + ": it is a symbolic link to " +
           (folder / "gone/chart.png").string() + ", whose folder does not exist"},
      {"skyrill-day", SKYRILL_DAY_PROGRAM, "--csv " + loop.string() + " " + day, Output::File,
       loop.string() + ": its symbolic links lead round in a loop"},
      {"skyrill-day", SKYRILL_DAY_PROGRAM, "--csv /dev/full " + day, Output::File,
       "/dev/full: it is no regular file (a device, a pipe or a socket) and is not replaced"},
      {"skyrill-day", SKYRILL_DAY_PROGRAM, "--slots " + day, Output::Full,
       "standard output: no space left on the device"},
      {"skyrill-day", SKYRILL_DAY_PROGRAM, "--slots " + day, Output::ClosedPipe,
       "standard output: nobody reads the pipe any more"},
      {"skyrill-summary", SKYRILL_SUMMARY_PROGRAM, "--csv " + dangling.string() + " " + day,
       Output::File,
       dangling.string() + ": it is a symbolic link to " + (folder / "gone/table.csv").string() +
           ", whose folder does not exist"},
      {"skyrill-summary", SKYRILL_SUMMARY_PROGRAM, "--csv " + loop.string() + " " + day,
       Output::File, loop.string() + ": its symbolic links lead round in a loop"},
      {"skyrill-summary", SKYRILL_SUMMARY_PROGRAM, day, Output::Full,
       "standard output: no space left on the device"},
      {"skyrill-summary", SKYRILL_SUMMARY_PROGRAM, day, Output::ClosedPipe,
       "standard output: nobody reads the pipe any more"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.args);
    skyrill::testing::Outcome outcome;
    switch (c.output) {
      case Output::File:
        outcome = skyrill::testing::runProgram(c.program, c.args);
        break;
      case Output::Full:
        outcome =
            skyrill::testing::runProgram("{ " + std::string(c.program), c.args + " > /dev/full; }");
        break;
      case Output::ClosedPipe:
        outcome = skyrill::testing::runProgramIntoClosedPipe(c.program, c.args);
        break;
    }
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_NE(outcome.err.find(std::string(c.name) + ": cannot write " + c.line + "\n"),
              std::string::npos)
        << outcome.err;
  }
}

}  // namespace
}  // namespace skyrill
