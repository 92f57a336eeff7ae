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

namespace skyrill {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace skyrill
