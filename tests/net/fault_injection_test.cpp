// A service that misbehaves, as the window meets it: each fault ends within
// the client's limits in the message of its kind, the day on display stays,
// and nothing is saved.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "archive/history_archive.h"
#include "core/answer_check.h"
#include "core/headless_view.h"
#include "net/data_service.h"
#include "server_thread.h"
#include "tests/store/temp_folder.h"
#include "weather_routes.h"

namespace skyrill {
namespace {

using sample::Fault;
using sample::ServerThread;

// The limits of these runs: short, so that the table runs in seconds.
WebLimits shortLimits() {
  WebLimits limits;
  limits.connectTimeout = std::chrono::seconds(2);
  limits.stallTimeout = std::chrono::seconds(1);
  limits.totalTimeout = std::chrono::seconds(3);
  return limits;
}

QueryRequest dayRequest() {
  QueryRequest request;
  request.stationNumber = "58453";
  request.year = "2024";
  request.month = "3";
  request.day = "7";
  request.apiKey = "demo";
  return request;
}

// The sample service on a free port, spoiling its answers with the fault.
struct FaultyService {
  explicit FaultyService(Fault fault) {
    sample::FaultConfig faults;
    faults.fault = fault;
    faults.stall = std::chrono::seconds(4);
    sample::addWeatherRoutes(server.server(), {}, false, faults);
    address = "http://127.0.0.1:" + std::to_string(server.start("127.0.0.1", 0));
  }
  ServerThread server{std::make_unique<httplib::Server>()};
  std::string address;
};

// Passes requests on to the service of the moment.
struct SwitchableSource : AnswerSource {
  std::unique_ptr<DataService> service;
  FetchedAnswer fetch(const QueryRequest& request, CancelFlag* cancel) override {
    return service->fetch(request, cancel);
  }
};

int fileCount(const std::filesystem::path& folder) {
  int count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    count += entry.is_regular_file() ? 1 : 0;
  }
  return count;
}

TEST(FaultInjection, eachFaultEndsInItsMessageWithinTheLimits) {
  const struct {
    Fault fault;
    std::optional<AnswerCheck> outcome;  // nullopt: the day is shown
    std::string cause;                   // how the message's last line names the failure
  } cases[] = {
      {Fault::CloseMidBody, AnswerCheck::NotJson, "连接中断，答复不完整。"},
      {Fault::Drip, AnswerCheck::NotJson, "等待答复超时。"},
      {Fault::StallBeforeHeaders, AnswerCheck::NoAnswer, "等待答复超时。"},
      {Fault::ServerError, AnswerCheck::NotJson, "HTTP 500：服务器内部错误。"},
      {Fault::HugeBody, AnswerCheck::NoAnswer, "答复太大（超过 16 MiB），已停止接收。"},
      {Fault::EndlessRedirect, AnswerCheck::NoAnswer, "重定向次数过多。"},
      // Bytes that are no UTF-8 become U+FFFD; the day is shown.
      {Fault::InvalidUtf8, std::nullopt, {}},
      // Followed to the other host, which answers.
      {Fault::RedirectToOtherHost, std::nullopt, {}},
  };
  const std::map<AnswerCheck, std::string> messageStarts = {
      {AnswerCheck::NoAnswer, "获取失败！可能的原因：\r\n获取数据时本地网络"},
      {AnswerCheck::NotJson, "获取失败！可能的原因：\r\n1. 获取数据时数据源需要提供密钥"},
  };

  testing::TempFolder programDir;
  HeadlessView view(dayRequest());
  SwitchableSource source;
  HistoryArchive archive(programDir.path());
  archive.setAutoSave(true);
  QueryPipeline pipeline(view, &source, &archive);

  const FaultyService healthy(Fault::None);
  source.service = std::make_unique<DataService>(healthy.address, shortLimits());
  ASSERT_TRUE(pipeline.runQuery(QueryMode::History, true, false));
  const std::string shownTitle = view.title();
  const int savedFiles = fileCount(programDir.path());
  ASSERT_EQ(savedFiles, 1);

  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    const FaultyService faulty(c.fault);
    source.service = std::make_unique<DataService>(faulty.address, shortLimits());
    // A fault the limits did not cut off (a drip lasts twenty minutes, a
    // stall four seconds, a huge body 200 MB, refused before it comes)
    // would show in the outcome or outlast the test's time-out.
    const bool shown = pipeline.runQuery(QueryMode::History, true, false);
    if (!c.outcome) {
      EXPECT_TRUE(shown);
      continue;
    }
    EXPECT_FALSE(shown);
    ASSERT_TRUE(view.lastMessage());
    EXPECT_EQ(view.lastMessage()->title, kFailureTitle);
    EXPECT_TRUE(view.lastMessage()->text.starts_with(messageStarts.at(*c.outcome)))
        << view.lastMessage()->text.substr(0, 200);
    // After a blank line, the server that failed and why.
    EXPECT_TRUE(
        view.lastMessage()->text.ends_with("\r\n\r\n服务器 " + faulty.address + "：" + c.cause))
        << view.lastMessage()->text;
    EXPECT_EQ(view.title(), shownTitle);
    EXPECT_EQ(fileCount(programDir.path()), savedFiles);
  }
}

}  // namespace
}  // namespace skyrill
