// Each tool meets an allocation that fails (a large one, as under a memory
// limit): it ends with one line on standard error and status 3, never an
// abort.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "run_program.h"
#include "server_thread.h"
#include "tests/store/temp_folder.h"
#include "weather_routes.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;

// A day's answer of about 400 kB: its reading needs allocations of that size.
std::string largeDay() {
  std::string records;
  for (int i = 0; i < 1600; ++i) {
    if (!records.empty()) records += ',';
    records += R"({"time":"2019-07-05T)" + std::string(i % 24 < 10 ? "0" : "") +
               std::to_string(i % 24) + R"(:00:00","T":1.5,"name":")" + std::string(200, 'x') +
               R"("})";
  }
  return R"({"date":"2019-07-05","wmo":"57083","res":[)" + records + "]}";
}

TEST(OutOfMemory, ToolsEndWithOneLineAndStatus3) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's own allocator takes no preloaded one";
#endif
  testing::TempFolder folder;
  const fs::path history = folder / "History/2019";
  fs::create_directories(history);
  // Enough days for the summary to read them on several threads.
  for (int day = 1; day <= 80; ++day) {
    const std::string name = "0_57083_0_201907" + std::string(day < 10 ? "0" : "") +
                             std::to_string(day % 31 + 1) + "_" + std::to_string(day) + ".json";
    testing::writeBytes(history / name, largeDay());
  }
  testing::writeBytes(history / "0_57083_0_20190705.json", largeDay());
  const std::string day = (history / "0_57083_0_20190705.json").string();
  sample::ServerThread service{std::make_unique<httplib::Server>()};
  sample::addWeatherRoutes(service.server(), {}, false);
  const std::string server = "http://127.0.0.1:" + std::to_string(service.start("127.0.0.1", 0));
  const struct {
    const char* program;
    std::string args;
    int failFrom;      // the size of the smallest allocation that fails
    const char* line;  // how the tool says it on standard error
  } cases[] = {
      {SKYRILL_DAY_PROGRAM, day, 300000, "skyrill-day: out of memory\n"},
      {SKYRILL_SUMMARY_PROGRAM, (folder / "History").string(), 300000,
       "skyrill-summary: out of memory\n"},
      // Its answers are small: smaller allocations fail, on its fetching threads.
      {SKYRILL_FETCH_PROGRAM,
       "--station 54511 --from 2024-01-01 --to 2024-01-31 --key demo --rate 0 --server " + server +
           " --into " + (folder / "fetched").string(),
       4096, "skyrill-fetch: out of memory\n"},
  };
  for (const auto& c : cases) {
    const std::string preload = "LD_PRELOAD=" SKYRILL_FAIL_ALLOCATIONS
                                " SKYRILL_FAIL_ALLOCATIONS_FROM=" +
                                std::to_string(c.failFrom) + " ";
    const testing::Outcome outcome = testing::runProgram(preload + c.program, c.args);
    EXPECT_EQ(outcome.status, 3) << c.program << "\n" << outcome.err;
    EXPECT_NE(outcome.err.find(c.line), std::string::npos) << c.program << "\n" << outcome.err;
    EXPECT_EQ(outcome.err.find("terminate"), std::string::npos) << outcome.err;
  }
}

}  // namespace
}  // namespace skyrill
