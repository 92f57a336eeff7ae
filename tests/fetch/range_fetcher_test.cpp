#include "fetch/range_fetcher.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>

#include "faults.h"
#include "server_thread.h"
#include "tests/store/temp_folder.h"
#include "tests/support/closed_port.h"
#include "weather_routes.h"

namespace skyrill {
namespace {

namespace fs = std::filesystem;
using sample::Fault;
using testing::TempFolder;

// The sample service on a free port, counting the requests that reach it;
// optionally spoilt by a fault, or answering a path's first request with
// a 500 page.
class CountingService {
 public:
  explicit CountingService(Fault fault = Fault::None, bool firstTryFails = false) {
    sample::FaultConfig faults;
    faults.fault = fault;
    faults.stall = std::chrono::seconds(3);
    server_.server().set_pre_routing_handler(
        [this, firstTryFails](const httplib::Request& request, httplib::Response& response) {
          const std::lock_guard lock(mutex_);
          const int tries = ++tries_[request.target];
          ++requests_;
          if (!firstTryFails || tries > 1) return httplib::Server::HandlerResponse::Unhandled;
          response.status = 500;
          response.set_content("<html>busy</html>", "text/html");
          return httplib::Server::HandlerResponse::Handled;
        });
    sample::addWeatherRoutes(server_.server(), {}, false, faults);
    address_ = "http://127.0.0.1:" + std::to_string(server_.start("127.0.0.1", 0));
  }
  const std::string& address() const { return address_; }
  int requests() {
    const std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  sample::ServerThread server_{std::make_unique<httplib::Server>()};
  std::string address_;
  std::mutex mutex_;
  std::map<std::string, int> tries_;
  int requests_ = 0;
};

RangeRequest rangeOver(const std::string& server, int first, int last,
                       std::vector<std::string> stations = {"54511"}) {
  RangeRequest request;
  request.stations = std::move(stations);
  request.firstDay = first;
  request.lastDay = last;
  request.apiKey = "demo";
  request.server = server;
  request.rate = 0;
  request.limits.connectTimeout = std::chrono::seconds(2);
  request.limits.stallTimeout = std::chrono::seconds(1);
  request.limits.totalTimeout = std::chrono::seconds(2);
  request.retryPauses = {std::chrono::milliseconds(10), std::chrono::milliseconds(20),
                         std::chrono::milliseconds(40)};
  return request;
}

// The regular files below a folder, and whether a temporary one is among them.
std::vector<fs::path> filesBelow(const fs::path& folder) {
  std::vector<fs::path> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  return files;
}

bool holdsTemporaryFiles(const fs::path& folder) {
  const auto files = filesBelow(folder);
  return std::any_of(files.begin(), files.end(), [](const fs::path& file) {
    return file.filename().string().find(".tmp-") != std::string::npos;
  });
}

TEST(RangeFetcher, FetchesEachDayIntoItsYearAndSkipsWhatIsThere) {
  CountingService service;
  TempFolder folder;
  const HistoryArchive archive = HistoryArchive::inFolder(folder.path());
  // Two days already saved: they are not asked for, and stay as they were.
  ASSERT_TRUE(archive.save("2023", "0_54511_0_20231231.json", "kept"));
  ASSERT_TRUE(archive.save("2024", "0_54511_0_20240102.json", "kept"));

  RangeFetcher fetcher(rangeOver(service.address(), 20231230, 20240103), archive);
  std::vector<int> reported;
  const RangeReport report =
      fetcher.run([&](const DayResult& day, const RangeCounts&) { reported.push_back(day.date); });
  EXPECT_EQ(report.counts.total, 5u);
  EXPECT_EQ(report.counts.fetched, 3u);
  EXPECT_EQ(report.counts.alreadyThere, 2u);
  EXPECT_TRUE(report.problems.empty());
  EXPECT_FALSE(report.stopped);
  EXPECT_EQ(service.requests(), 3);
  EXPECT_EQ(reported.size(), 5u);
  EXPECT_EQ(testing::readBytes(folder / "2023/0_54511_0_20231231.json"), "kept");
  for (int date : {20231230, 20240101, 20240103}) {
    const fs::path file = archive.pastDayFile("54511", date, false);
    EXPECT_TRUE(testing::readBytes(file).starts_with("{\"date\":")) << file;
  }
  EXPECT_EQ(report.lastSaved, archive.pastDayFile("54511", 20240103, false).string());

  // A second run over the same range asks for nothing.
  RangeFetcher again(rangeOver(service.address(), 20231230, 20240103), archive);
  EXPECT_EQ(again.run().counts.alreadyThere, 5u);
  EXPECT_EQ(service.requests(), 3);
}

// A refusal is never saved nor tried again; a station the service does not
// know ends all its days as refused, and the other stations go on.
TEST(RangeFetcher, RefusalsAreReportedAndNotSaved) {
  CountingService service;
  TempFolder folder;
  const HistoryArchive archive = HistoryArchive::inFolder(folder.path());
  RangeRequest request = rangeOver(service.address(), 20240101, 20240104, {"05845", "54511"});
  request.jobs = 1;
  RangeFetcher fetcher(request, archive);
  const RangeReport report = fetcher.run();
  EXPECT_EQ(report.counts.refused, 4u);
  EXPECT_EQ(report.counts.fetched, 4u);
  EXPECT_EQ(service.requests(), 5);  // one for the unknown station
  ASSERT_EQ(report.problems.size(), 4u);
  EXPECT_EQ(report.problems[0].station, "05845");
  EXPECT_TRUE(report.problems[0].message.starts_with("获取失败！错误报告：\r\n站点不存在"))
      << report.problems[0].message;
  EXPECT_EQ(filesBelow(folder.path()).size(), 4u);

  // A key the service refuses refuses every day.
  TempFolder other;
  RangeRequest badKey = rangeOver(service.address(), 20240101, 20240110);
  badKey.apiKey = "wrong";
  badKey.jobs = 1;
  const RangeReport refused = RangeFetcher(badKey, HistoryArchive::inFolder(other.path())).run();
  EXPECT_EQ(refused.counts.refused, 10u);
  EXPECT_TRUE(refused.problems.back().message.ends_with("HTTP 403：密钥可能无效。"));
  EXPECT_TRUE(filesBelow(other.path()).empty());
}

// Each fault of the service ends in its count, with the window's message and
// nothing half-written in the archive.
TEST(RangeFetcher, FaultsOfTheServiceEndInTheirCounts) {
  const struct {
    Fault fault;
    DayOutcome outcome;
    const char* cause;  // the end of the day's message
  } cases[] = {
      {Fault::CloseMidBody, DayOutcome::Failed, "连接中断，答复不完整。"},
      {Fault::Drip, DayOutcome::Failed, "等待答复超时。"},
      {Fault::StallBeforeHeaders, DayOutcome::Failed, "等待答复超时。"},
      {Fault::ServerError, DayOutcome::Failed, "HTTP 500：服务器内部错误。"},
      {Fault::HugeBody, DayOutcome::Refused, "答复太大（超过 16 MiB），已停止接收。"},
      {Fault::EndlessRedirect, DayOutcome::Refused, "重定向次数过多。"},
      {Fault::InvalidUtf8, DayOutcome::Fetched, ""},
      {Fault::RedirectToOtherHost, DayOutcome::Fetched, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    CountingService service(c.fault);
    TempFolder folder;
    RangeRequest request = rangeOver(service.address(), 20240101, 20240101);
    const RangeReport report = RangeFetcher(request, HistoryArchive::inFolder(folder.path())).run();
    const bool fetched = c.outcome == DayOutcome::Fetched;
    EXPECT_EQ(report.counts.fetched, fetched ? 1u : 0u);
    EXPECT_EQ(filesBelow(folder.path()).size(), fetched ? 1u : 0u);
    if (fetched) continue;
    ASSERT_EQ(report.problems.size(), 1u);
    EXPECT_EQ(report.problems[0].outcome, c.outcome);
    EXPECT_TRUE(report.problems[0].message.ends_with(c.cause)) << report.problems[0].message;
    // A failure on the way is tried four times in all, a refusal once.
    const int tries = c.outcome == DayOutcome::Failed ? 4 : 1;
    if (c.fault != Fault::EndlessRedirect) {
      EXPECT_EQ(service.requests(), tries);
    }
  }
}

// Each day fails once and goes through on its second try: twenty failures
// in all, but never many in a row, so the run goes on to the end.
TEST(RangeFetcher, PassingFailureGoesThroughOnAnotherTry) {
  CountingService service(Fault::None, true);
  TempFolder folder;
  RangeRequest request = rangeOver(service.address(), 20240101, 20240120);
  request.jobs = 1;
  const RangeReport report = RangeFetcher(request, HistoryArchive::inFolder(folder.path())).run();
  EXPECT_EQ(report.counts.fetched, 20u);
  EXPECT_FALSE(report.stopped);
  EXPECT_EQ(service.requests(), 40);
}

// A service that is down, or sends only what no service would, stops a run
// of a year after kMaxFailedInARow requests in a row, naming the server and
// the cause, rather than trying every day of the year four times.
TEST(RangeFetcher, ServiceDownStopsTheRunAfterARunOfFailures) {
  const struct {
    std::optional<Fault> fault;  // nullopt: nothing listens
    const char* cause;
  } cases[] = {{std::nullopt, "连接被拒绝。"},
               {Fault::ServerError, "HTTP 500：服务器内部错误。"},
               {Fault::HugeBody, "答复太大（超过 16 MiB），已停止接收。"}};
  for (const auto& c : cases) {
    std::optional<CountingService> service;
    std::string address = "http://127.0.0.1:" + std::to_string(testing::closedPort());
    if (c.fault) address = service.emplace(*c.fault).address();
    SCOPED_TRACE(address);
    TempFolder folder;
    RangeRequest request = rangeOver(address, 20240101, 20241230);
    // Room for 16 MiB to come however slowly, so that the cap ends each body.
    request.limits.stallTimeout = std::chrono::seconds(30);
    request.limits.totalTimeout = std::chrono::seconds(60);
    const RangeReport report = RangeFetcher(request, HistoryArchive::inFolder(folder.path())).run();
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.stopReason, "连续 12 次请求失败，已停止。最后一次：服务器 " + address + "：" +
                                     std::string(c.cause));
    EXPECT_EQ(report.counts.fetched, 0u);
    EXPECT_LT(report.counts.done(), 20u);
    // The requests under way when the run stopped are given up.
    if (service) {
      EXPECT_LE(service->requests(), kMaxFailedInARow + 4);
    }
    EXPECT_TRUE(filesBelow(folder.path()).empty());
  }
}

// A folder days cannot be put in is told with its real cause before any
// request goes out.
TEST(RangeFetcher, UnwritableFolderIsToldBeforeTheFirstRequest) {
  CountingService service;
  TempFolder folder;
  testing::writeBytes(folder / "file", "");
  struct Case {
    fs::path root;
    std::errc cause;
  };
  std::vector<Case> cases = {{folder / "file/History", std::errc::not_a_directory}};
  // Root may write anywhere.
  if (::geteuid() != 0) {
    fs::create_directories(folder / "locked");
    fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    cases.push_back({folder / "locked/History", std::errc::permission_denied});
  }
  for (const Case& c : cases) {
    const RangeReport report = RangeFetcher(rangeOver(service.address(), 20240101, 20240105),
                                            HistoryArchive::inFolder(c.root))
                                   .run();
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.stopReason,
              "无法写入 " + c.root.string() + "：" + std::make_error_code(c.cause).message());
    EXPECT_EQ(report.counts.done(), 0u);
  }
  EXPECT_EQ(service.requests(), 0);
}

// A stop ends the run at once: waiting requests are given up, the days
// saved stay whole, no temporary file is left.
TEST(RangeFetcher, StopEndsTheRunWithWholeFilesOnly) {
  CountingService service(Fault::StallBeforeHeaders);
  TempFolder folder;
  const HistoryArchive archive = HistoryArchive::inFolder(folder.path());
  ASSERT_TRUE(archive.save("2024", "0_54511_0_20240101.json", "kept"));
  RangeRequest request = rangeOver(service.address(), 20240101, 20240331);
  request.limits.totalTimeout = std::chrono::seconds(60);
  request.limits.stallTimeout = std::chrono::seconds(60);
  RangeFetcher fetcher(request, archive);
  std::thread stopper([&] {
    while (service.requests() < 4) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    fetcher.stop();
  });
  const RangeReport report = fetcher.run();
  stopper.join();
  EXPECT_TRUE(report.stopped);
  EXPECT_EQ(report.counts.alreadyThere, 1u);
  EXPECT_EQ(report.counts.fetched + report.counts.failed + report.counts.refused, 0u);
  EXPECT_EQ(filesBelow(folder.path()).size(), 1u);
  EXPECT_FALSE(holdsTemporaryFiles(folder.path()));
}

// A write that fails (here, a file stands where the year's folder goes)
// stops the run with the error; the days saved before stay.
TEST(RangeFetcher, WriteErrorStopsTheRunAndKeepsEarlierDays) {
  CountingService service;
  TempFolder folder;
  testing::writeBytes(folder / "2025", "in the way");
  RangeRequest request = rangeOver(service.address(), 20241230, 20250102);
  request.jobs = 1;
  const RangeReport report = RangeFetcher(request, HistoryArchive::inFolder(folder.path())).run();
  EXPECT_TRUE(report.stopped);
  EXPECT_EQ(report.counts.fetched, 2u);
  EXPECT_TRUE(report.stopReason.starts_with("无法保存 " + (folder / "2025").string()))
      << report.stopReason;
  EXPECT_EQ(filesBelow(folder / "2024").size(), 2u);
  EXPECT_FALSE(holdsTemporaryFiles(folder.path()));
}

// The rate bound spaces the requests' starts.
TEST(RangeFetcher, RateBoundSpacesTheRequests) {
  CountingService service;
  TempFolder folder;
  RangeRequest request = rangeOver(service.address(), 20240101, 20240105);
  request.rate = 20;  // one every 50 ms
  const auto start = std::chrono::steady_clock::now();
  const RangeReport report = RangeFetcher(request, HistoryArchive::inFolder(folder.path())).run();
  EXPECT_EQ(report.counts.fetched, 5u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(195));
}

TEST(RangeCheck, RefusesWhatCannotBeFetched) {
  const int today = 20241215;
  const struct {
    std::vector<std::string> stations;
    int first;
    int last;
    RangeProblem problem;
  } cases[] = {
      {{"54511"}, 20240101, 20241214, RangeProblem::None},
      {{"54511", "A1b2"}, 20040101, 20231231, RangeProblem::None},  // 20 years
      {{}, 20240101, 20240102, RangeProblem::NoStation},
      {{"54511", ""}, 20240101, 20240102, RangeProblem::BadStation},
      {{"545111"}, 20240101, 20240102, RangeProblem::BadStation},
      {{"../x"}, 20240101, 20240102, RangeProblem::BadStation},
      {{"54511"}, 20240230, 20240301, RangeProblem::BadDate},
      {{"54511"}, 20240102, 20240101, RangeProblem::LastBeforeFirst},
      {{"54511"}, 20240101, 20241215, RangeProblem::NotPast},
      {{"54511"}, 20240101, 20250101, RangeProblem::NotPast},
      {{"54511"}, 20040101, 20240101, RangeProblem::TooLong},
  };
  for (const auto& c : cases) {
    RangeRequest request;
    request.stations = c.stations;
    request.firstDay = c.first;
    request.lastDay = c.last;
    EXPECT_EQ(checkRange(request, today), c.problem) << c.first << "-" << c.last;
  }
  EXPECT_EQ(dayCount(20240101, 20241231), 366);
  EXPECT_EQ(nextDay(20241231), 20250101);
  EXPECT_EQ(previousDay(20240301), 20240229);
}

}  // namespace
}  // namespace skyrill
