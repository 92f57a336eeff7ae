#include <gtest/gtest.h>

#include "core/answer_check.h"
#include "json/json_document.h"
#include "net/data_service.h"
#include "pinned_https.h"
#include "raw_server.h"
#include "server_thread.h"
#include "weather_routes.h"

namespace skyrill {
namespace {

using sample::ServerThread;

// The sample service over HTTP and HTTPS on free ports, its certificate pinned.
class SampleServiceRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    for (ServerThread* listener : {&http_, &https_.listener}) {
      sample::addWeatherRoutes(listener->server(), {}, false);
    }
    httpBase_ = "http://127.0.0.1:" + std::to_string(http_.start("127.0.0.1", 0));
    httpsBase_ = "https://127.0.0.1:" + std::to_string(https_.start());
  }

  static QueryRequest request(QueryMode mode, std::string station = "58453",
                              std::string key = "demo", std::string year = "2019") {
    QueryRequest result;
    result.mode = mode;
    result.stationNumber = std::move(station);
    result.year = std::move(year);
    result.month = "7";
    result.day = "5";
    result.apiKey = std::move(key);
    return result;
  }

  DataService service(const std::string& base) const {
    return DataService(base, {}, &https_.trust);
  }

  AnswerCheck outcomeOf(const std::string& base, const QueryRequest& query) const {
    const std::string text = decodeAnswer(service(base).fetch(query).bytes);
    JsonDocument document;
    const bool parsed = document.parse(text);
    return checkAnswer(text, parsed, document, recordPrefix(query.mode)).outcome;
  }

  ServerThread http_{std::make_unique<httplib::Server>()};
  testing::PinnedHttps https_;
  std::string httpBase_;
  std::string httpsBase_;
};

TEST_F(SampleServiceRequests, eachAnswerCheckOutcomeIsReachedOverHttpAndHttps) {
  const std::string unreachable = "http://127.0.0.1:" + std::to_string(testing::unusedPort());
  struct Case {
    QueryRequest request;
    AnswerCheck outcome;
  } cases[] = {
      {request(QueryMode::History), AnswerCheck::Ok},
      {request(QueryMode::Today), AnswerCheck::Ok},
      {request(QueryMode::History, "58453", "wrong"), AnswerCheck::NotJson},
      {request(QueryMode::Today, "58453", ""), AnswerCheck::NotJson},
      {request(QueryMode::History, "05845"), AnswerCheck::ServiceError},
      {request(QueryMode::History, "58453", "demo", "1990"), AnswerCheck::NoRecords},
  };
  for (const std::string& base : {httpBase_, httpsBase_}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(buildQueryUrl(base, c.request));
      EXPECT_EQ(outcomeOf(base, c.request), c.outcome);
    }
  }
  EXPECT_EQ(outcomeOf(unreachable, request(QueryMode::History)), AnswerCheck::NoAnswer);
  EXPECT_EQ(outcomeOf("https" + unreachable.substr(4), request(QueryMode::Today)),
            AnswerCheck::NoAnswer);
}

// The note a refusal gets: a key the service refuses shows its status; no
// key at all points to the key menu, unless the service was not reached.
TEST_F(SampleServiceRequests, refusalsCarryANoteOnWhatWentWrong) {
  const std::string unreachable = "http://127.0.0.1:" + std::to_string(testing::unusedPort());
  const struct {
    std::string base;
    QueryRequest request;
    std::string note;
  } cases[] = {
      {httpBase_, request(QueryMode::History), ""},
      {httpBase_, request(QueryMode::History, "58453", "wrong"),
       "服务器 " + httpBase_ + "：HTTP 403：密钥可能无效。"},
      {httpsBase_, request(QueryMode::Today, "58453", ""), missingKeyNote()},
      {unreachable, request(QueryMode::Today, "58453", ""),
       "服务器 " + unreachable + "：连接被拒绝。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(service(c.base).fetch(c.request).note, c.note) << c.base << " " << c.request.apiKey;
  }
}

// A hint set on the service follows a failure at the server, and only
// there: not a refusal the service was reached for, nor a proxy's failure.
TEST_F(SampleServiceRequests, theFailureHintFollowsFailuresAtTheServer) {
  const std::string unreachable = "http://127.0.0.1:" + std::to_string(testing::unusedPort());
  const std::string hint = "（可在“数据 → 服务器…”中更改。）";
  QueryRequest viaDeadProxy = request(QueryMode::History);
  viaDeadProxy.proxyEnabled = true;
  viaDeadProxy.proxyAddress = unreachable.substr(7);
  const struct {
    std::string base;
    QueryRequest request;
    bool hinted;
  } cases[] = {
      {unreachable, request(QueryMode::History), true},
      {httpBase_, request(QueryMode::History, "58453", "wrong"), true},  // HTTP 403
      {httpBase_, request(QueryMode::History), false},
      {httpBase_, request(QueryMode::History, "58453", ""), false},  // the key note
      {httpBase_, viaDeadProxy, false},
  };
  for (const auto& c : cases) {
    DataService service(c.base);
    service.setServerFailureHint(hint);
    const std::string note = service.fetch(c.request).note;
    EXPECT_EQ(note.ends_with(hint), c.hinted) << c.base << " " << note;
  }
}

// One request of a day, told in a line: the day that came, or what did not.
TEST_F(SampleServiceRequests, aProbeSaysWhatTheServiceAnswered) {
  const std::string unreachable = "http://127.0.0.1:" + std::to_string(testing::unusedPort());
  const struct {
    std::string base;
    QueryRequest request;
    std::string line;
  } cases[] = {
      {httpBase_, request(QueryMode::History),
       "数据服务 " + httpBase_ + "：连接成功，收到 柯桥 58453 2019-07-05 的 24 条记录。"},
      {httpsBase_, request(QueryMode::History, "58453", "wrong"),
       "数据服务：服务器 " + httpsBase_ + "：HTTP 403：密钥可能无效。"},
      {httpBase_, request(QueryMode::History, "58453", ""),
       "数据服务 " + httpBase_ + "：已连接，但" + missingKeyNote()},
      {httpBase_, request(QueryMode::History, "05845"),
       "数据服务 " + httpBase_ + "：已连接，但服务答复错误：站点不存在。"},
      {httpBase_, request(QueryMode::History, "58453", "demo", "1990"),
       "数据服务 " + httpBase_ + "：已连接，但答复中没有记录（日期或站号可能不被记录）。"},
      {unreachable, request(QueryMode::History),
       "数据服务：服务器 " + unreachable + "：连接被拒绝。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(probeDataService(c.base, c.request, nullptr, {}, &https_.trust), c.line) << c.base;
  }
}

TEST(BaseAddress, anAddressNeedsAWebSchemeAndAHost) {
  const struct {
    const char* address;
    const char* problem;
  } cases[] = {
      {"http://127.0.0.1:8765", ""},
      {"HTTPS://weather.example/api", ""},
      {"ftp://host", "地址须以 http:// 或 https:// 开头"},
      {"127.0.0.1:8765", "地址须以 http:// 或 https:// 开头"},
      {"http://", "地址中没有主机名"},
      {"http://host/a b", "地址中不能有空格或控制字符"},
      {"http://host\n[Api]", "地址中不能有空格或控制字符"},
  };
  for (const auto& c : cases) EXPECT_EQ(baseAddressProblem(c.address), c.problem) << c.address;
}

TEST_F(SampleServiceRequests, proxyIsUsedOnlyWhenEnabledAndGiven) {
  testing::RawServer proxy([](int socket, const std::string&) {
    testing::sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\n{\"proxy\":1}\n");
  });
  QueryRequest query = request(QueryMode::Today);
  query.proxyAddress = "127.0.0.1:" + std::to_string(proxy.port());
  EXPECT_EQ(DataService(httpBase_).fetch(query).bytes.substr(0, 8), "{\"date\":");
  query.proxyEnabled = true;
  EXPECT_EQ(DataService(httpBase_).fetch(query).bytes, "{\"proxy\":1}\n");
  query.proxyAddress.clear();
  EXPECT_EQ(DataService(httpBase_).fetch(query).bytes.substr(0, 8), "{\"date\":");
  ASSERT_EQ(proxy.requestHeads().size(), 1u);
  EXPECT_TRUE(proxy.requestHeads()[0].starts_with("GET " + httpBase_ + "/api/weather/"));
}

}  // namespace
}  // namespace skyrill
