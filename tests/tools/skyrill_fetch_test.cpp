// skyrill-fetch against the sample service on 127.0.0.1: its command line,
// its counts and exit statuses, the window's settings and History folder as
// defaults, and Ctrl+C.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "faults.h"
#include "json/json_document.h"
#include "run_program.h"
#include "server_thread.h"
#include "tests/store/temp_folder.h"
#include "tests/support/closed_port.h"
#include "weather_routes.h"

extern char** environ;

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using testing::Outcome;
using testing::TempFolder;

Outcome runFetch(const std::string& args) {
  return testing::runProgram(SKYRILL_FETCH_PROGRAM, args);
}

std::size_t dayFiles(const fs::path& folder) {
  std::size_t count = 0;
  if (!fs::exists(folder)) return 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    count += entry.is_regular_file() && entry.path().extension() == ".json" ? 1 : 0;
  }
  return count;
}

class SkyrillFetch : public ::testing::Test {
 protected:
  void SetUp() override {
    sample::addWeatherRoutes(service_.server(), {}, false);
    base_ = "http://127.0.0.1:" + std::to_string(service_.start("127.0.0.1", 0));
  }
  std::string into() const { return " --into " + folder_.path().string(); }

  sample::ServerThread service_{std::make_unique<httplib::Server>()};
  std::string base_;
  TempFolder folder_;
};

TEST(SkyrillFetchUsage, BadCommandLinesExitWith2) {
  const char* cases[] = {
      "",
      "--station 54511 --from 2024-01-01",
      "--station 54511 --from 2024-01-05 --to 2024-01-01",
      "--station 54511 --from 2024-01-01 --to 2999-01-01",
      "--station 54511 --from 2000-01-01 --to 2021-01-01",
      "--station 5451! --from 2024-01-01 --to 2024-01-02",
      "--station 54511,,58453 --from 2024-01-01 --to 2024-01-02",
      "--station 54511 --from 2024-02-30 --to 2024-03-02",
      "--station 54511 --from 2024-01-01 --to 2024-01-02 --jobs 0",
      "--station 54511 --from 2024-01-01 --to 2024-01-02 --jobs 17",
      "--station 54511 --from 2024-01-01 --to 2024-01-02 --rate fast",
      "--station 54511 --from 2024-01-01 --to 2024-01-02 --bogus",
      "--station 54511 --from 2024-01-01 --to 2024-01-02 extra",
  };
  for (const char* args : cases) {
    const Outcome outcome = runFetch(args);
    EXPECT_EQ(outcome.status, 2) << args;
    EXPECT_TRUE(outcome.err.starts_with("skyrill-fetch: ")) << args << "\n" << outcome.err;
    EXPECT_NE(outcome.err.find("Usage:"), std::string::npos) << args;
  }
  const Outcome help = runFetch("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage:"));
  EXPECT_EQ(runFetch("--version").out, "skyrill-fetch " SKYRILL_VERSION "\n");
}

TEST_F(SkyrillFetch, FetchesARangeAndASecondRunAsksForNothing) {
  const std::string args = "--station 54511 --from 2024-02-28 --to=20240301 --key demo --server " +
                           base_ + " --rate 0" + into();
  const Outcome first = runFetch(args);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.err.find("fetched 3, already there 0, refused 0, failed 0 (of 3 days into " +
                           folder_.path().string() + ")"),
            std::string::npos)
      << first.err;
  EXPECT_TRUE(fs::exists(folder_ / "2024/0_54511_0_20240229.json"));
  const Outcome second = runFetch(args);
  EXPECT_EQ(second.status, 0);
  EXPECT_NE(second.err.find("fetched 0, already there 3"), std::string::npos) << second.err;
}

TEST_F(SkyrillFetch, RefusedDaysAreNamedAndGiveStatus1) {
  const Outcome outcome = runFetch(
      "--station 54511,05845 --from 2024-01-01 --to 2024-01-02 "
      "--key demo --server " +
      base_ + into());
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("05845 2024-01-01 refused: 获取失败！错误报告：\n站点不存在"),
            std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("fetched 2, already there 0, refused 2, failed 0"), std::string::npos);
  EXPECT_EQ(dayFiles(folder_.path()), 2u);
}

// Without --key, --server and --into the window's settings and History folder
// are used: the program beside the tool decides where they are.
TEST_F(SkyrillFetch, TakesTheWindowsSettingsAndHistoryFolder) {
  TempFolder installed;
  fs::copy_file(SKYRILL_FETCH_PROGRAM, installed / "skyrill-fetch");
  testing::writeBytes(installed / "skyrill", "");
  testing::writeBytes(installed / "Stormbook.ini",
                      "[Api]\nApiKey=\"demo\"\nServer=" + base_ + "\n");
  const Outcome outcome = testing::runProgram((installed / "skyrill-fetch").string(),
                                              "--station 54511 --from 20240101 --to 20240102");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(dayFiles(installed / "History"), 2u);
}

// Ctrl+C stops the run at once: the days saved stay, nothing is half-written.
TEST(SkyrillFetchStop, InterruptEndsTheRunAndKeepsTheSavedDays) {
  sample::ServerThread stalling{std::make_unique<httplib::Server>()};
  sample::FaultConfig faults;
  faults.fault = sample::Fault::StallBeforeHeaders;
  faults.stall = std::chrono::seconds(5);
  sample::addWeatherRoutes(stalling.server(), {}, false, faults);
  const std::string base = "http://127.0.0.1:" + std::to_string(stalling.start("127.0.0.1", 0));
  TempFolder folder;
  const std::string into = folder.path().string();
  std::vector<std::string> args = {SKYRILL_FETCH_PROGRAM,
                                   "--station",
                                   "54511",
                                   "--from",
                                   "2024-01-01",
                                   "--to",
                                   "2024-03-31",
                                   "--key",
                                   "demo",
                                   "--server",
                                   base,
                                   "--into",
                                   into};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // requests are waiting
  ::kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(dayFiles(folder.path()), 0u);
  for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
  }
}

// A year against a service that is down, or into a folder that cannot be
// written: the run ends with status 1 and a line that says why, naming the
// server and the cause, or the folder and the real cause before any request.
TEST(SkyrillFetchTrouble, ServiceDownOrUnwritableFolderEndsTheRunWithItsCause) {
  TempFolder folder;
  testing::writeBytes(folder / "file", "");
  const std::string closed = "http://127.0.0.1:" + std::to_string(testing::closedPort());
  const struct {
    std::string into;
    std::string line;
  } cases[] = {
      {(folder / "History").string(),
       "skyrill-fetch: 连续 12 次请求失败，已停止。最后一次：服务器 " + closed +
           "：连接被拒绝。\n"},
      {(folder / "file/History").string(),
       "skyrill-fetch: 无法写入 " + (folder / "file/History").string() + "：Not a directory\n"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = runFetch(
        "--station 54511 --from 2024-01-01 --to 2024-12-31 --key demo "
        "--rate 0 --server " +
        closed + " --into " + c.into);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find(c.line), std::string::npos) << outcome.err;
    EXPECT_EQ(dayFiles(folder.path()), 0u);
  }
}

// The largest resident size of a run of skyrill-fetch, in KiB.
long peakKibOfFetch(std::vector<std::string> args) {
  args.insert(args.begin(), SKYRILL_FETCH_PROGRAM);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  if (error != 0 || wait4(pid, &status, 0, &usage) != pid) return -1;
  return usage.ru_maxrss;
}

// A service whose answers never end: each request in flight holds no more
// than the largest answer a day can be, and a little.
TEST(SkyrillFetchTrouble, EndlessAnswersStayWithinTheBoundOfADay) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's memory is not the program's";
#endif
  sample::ServerThread endless{std::make_unique<httplib::Server>()};
  sample::FaultConfig faults;
  faults.fault = sample::Fault::HugeBody;
  sample::addWeatherRoutes(endless.server(), {}, false, faults);
  const std::string base = "http://127.0.0.1:" + std::to_string(endless.start("127.0.0.1", 0));
  TempFolder folder;
  constexpr long kJobs = 4;
  const long peak =
      peakKibOfFetch({"--station", "54511", "--from", "2024-01-01", "--to", "2024-12-31", "--jobs",
                      std::to_string(kJobs), "--key", "demo", "--rate", "0", "--server", base,
                      "--into", folder.path().string()});
  ASSERT_GT(peak, 0);
  // A day's answer, the steps of its growth and the buffers of its
  // transfer; and what the program takes for itself.
  constexpr long kPerRequestKib = (JsonDocument::kMaxTextBytes >> 10) + 4 * 1024;
  constexpr long kProgramKib = 32 * 1024;
  EXPECT_LE(peak, kJobs * kPerRequestKib + kProgramKib);
  EXPECT_EQ(dayFiles(folder.path()), 0u);
}

// Memory that runs out, wherever it does (the network library cannot be
// loaded, a thread cannot start, a buffer cannot grow), ends a run with
// status 3 and one line, never as refused days.
TEST(SkyrillFetchTrouble, OutOfMemoryEndsWithStatus3AndOneLine) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer reserves more address space than any limit here";
#endif
  sample::ServerThread service{std::make_unique<httplib::Server>()};
  sample::addWeatherRoutes(service.server(), {}, false);
  const std::string base = "http://127.0.0.1:" + std::to_string(service.start("127.0.0.1", 0));
  int ranOut = 0;
  int finished = 0;
  // Limits of the address space from too small for the first request to
  // enough for all.
  for (int mebibytes = 8; mebibytes <= 128; mebibytes += 8) {
    TempFolder folder;
    const Outcome outcome = testing::runProgram(
        "ulimit -v " + std::to_string(mebibytes * 1024) + "; exec " SKYRILL_FETCH_PROGRAM,
        "--station 54511 --from 2024-01-01 --to 2024-01-05 --key demo --rate 0 --server " + base +
            " --into " + folder.path().string());
    SCOPED_TRACE(std::to_string(mebibytes) + " MiB");
    if (outcome.status == 0) {
      ++finished;
      EXPECT_EQ(dayFiles(folder.path()), 5u);
      continue;
    }
    ++ranOut;
    EXPECT_EQ(outcome.status, 3) << outcome.err;
    EXPECT_TRUE(outcome.err.ends_with("skyrill-fetch: out of memory\n")) << outcome.err;
    EXPECT_EQ(outcome.err.find("refused"), std::string::npos) << outcome.err;
  }
  EXPECT_GT(ranOut, 0);
  EXPECT_GT(finished, 0);
}

}  // namespace
}  // namespace skyrill
