#include "core/query_pipeline.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fake_answer_source.h"

namespace skyrill {
namespace {

// A day of three hours: 08:00, 09:00 and 11:00 Beijing time.
const std::string kHistoryAnswer = R"({"date":"2019-07-05","wmo":"57083","res":[
  {"name":"郑州","time":"2019-07-05T00:00:00","T":23.4,"P":1001.2,"RH":80,
   "WD0mMAX1h":90,"WS0mMAX1h":5.6,"WD2m":80,"WS2m":2.1,"R1h":0.5,"V10m":12,"SD":0},
  {"time":"2019-07-05T01:00:00","T":24.5,"P":1001.0,"RH":75,
   "WD0mMAX1h":100,"WS0mMAX1h":8.1,"WD2m":85,"WS2m":3.0,"R1h":0,"V10m":0.8},
  {"time":"2019-07-05T03:00:00","T":26,"P":1000.5,"RH":70,
   "WD0mMAX1h":120,"WS0mMAX1h":6.0,"WD2m":95,"WS2m":2.5,"R1h":0,"V10m":9}]})";

const std::string kTodayAnswer = R"({"date":"2019-07-05","wmo":"57083","today":[
  {"name":"郑州","time":"2019-07-05T05:00:00","T":30},
  {"time":"2019-07-05T04:00:00","T":29}]})";

struct FakeView : QueryView {
  QueryRequest inputs;
  const QueryState* state = nullptr;  // to see the busy flag during a run
  std::vector<bool> fetchEnabled;
  std::vector<UserMessage> messages;
  std::string windCaption = "&W.风";
  std::string title;
  std::array<StatusLine, kStatusLineCount> lines = initialStatusLines();
  int draws = 0;
  int tableRefreshes = 0;
  bool busyWhileDrawing = false;

  QueryRequest readRequest() override { return inputs; }
  void setFetchEnabled(bool enabled) override { fetchEnabled.push_back(enabled); }
  void showMessage(const UserMessage& message) override { messages.push_back(message); }
  void showVariantCaptions(const std::string& wind, const std::string&) override {
    windCaption = wind;
  }
  void drawDay(const DaySeries&) override {
    ++draws;
    busyWhileDrawing = state != nullptr && state->busy;
  }
  void showTitle(const std::string& text) override { title = text; }
  void showStatusLines(const std::array<StatusLine, kStatusLineCount>& shown) override {
    lines = shown;
  }
  void refreshTable() override { ++tableRefreshes; }
  void offerCertificate(const ServerCertificate& certificate) override {
    offered.push_back(certificate);
    messagesBeforeOffer = messages.size();
  }

  std::string lastPanel() const { return lines[10].text; }

  std::vector<ServerCertificate> offered;
  std::size_t messagesBeforeOffer = 0;
};

using test::FakeSource;

struct FakeArchive : DayArchive {
  std::vector<std::string> saved;
  std::string suggestFileName(const QueryRequest& request) override {
    return std::to_string(static_cast<int>(request.mode)) + "_" + request.stationNumber + ".json";
  }
  void autoSave(const QueryRequest&, std::string_view fileName, std::string_view bytes) override {
    saved.push_back(std::string(fileName) + ":" + std::string(bytes.substr(0, 1)));
  }
};

class QueryPipelineTest : public ::testing::Test {
 protected:
  QueryPipelineTest() : pipeline(view, &source, &archive) {
    view.state = &pipeline.state();
    view.inputs.stationNumber = "57083";
    pipeline.setClock([] { return std::chrono::system_clock::from_time_t(1562284800); });
  }

  bool fetch(const std::string& answer, QueryMode mode = QueryMode::History) {
    source.answer = answer;
    return pipeline.runQuery(mode, true, false);
  }

  FakeView view;
  FakeSource source;
  FakeArchive archive;
  QueryPipeline pipeline;
};

TEST_F(QueryPipelineTest, fetchShowsTheDayAndNamesIt) {
  ASSERT_TRUE(fetch(kHistoryAnswer));
  const QueryState& state = pipeline.state();
  EXPECT_EQ(view.title, "历史天气\r\n2019-07-05\r\n郑州 57083");
  EXPECT_EQ(view.lines[0].text, "最高气温：26.0℃*");
  EXPECT_EQ(view.lastPanel(),
            "数据获取时间：" + formatLocalTime(std::chrono::system_clock::from_time_t(1562284800)));
  EXPECT_EQ(view.windCaption, "&W.上小时最大瞬时风");
  EXPECT_EQ(state.series.slot(1).windSpeed, "5.6（4级）");
  EXPECT_EQ(state.series.slot(1).precipitation, "0.5（小）");
  EXPECT_EQ(state.series.slot(4).temperature, "26");
  EXPECT_TRUE(state.series.slot(3).timeText.empty());
  EXPECT_EQ(state.responseBytes, kHistoryAnswer);
  EXPECT_EQ(state.responseText, kHistoryAnswer);
  EXPECT_EQ(state.suggestedFileName, "0_57083.json");
  EXPECT_EQ(archive.saved, std::vector<std::string>{"0_57083.json:{"});
  EXPECT_FALSE(state.busy);
  EXPECT_TRUE(view.busyWhileDrawing);
  EXPECT_EQ(view.fetchEnabled, (std::vector<bool>{false, true}));
  EXPECT_EQ(view.tableRefreshes, 1);
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(QueryPipelineTest, todayModeReadsTheTodayRecords) {
  ASSERT_TRUE(fetch(kTodayAnswer, QueryMode::Today));
  EXPECT_EQ(source.requests.at(0).mode, QueryMode::Today);
  EXPECT_EQ(view.title, "天气实况\r\n2019-07-05\r\n 57083");
  EXPECT_EQ(pipeline.state().series.slot(24).temperature, "30");
  EXPECT_EQ(pipeline.state().series.slot(23).temperature, "29");
  EXPECT_EQ(pipeline.state().displayedMode, QueryMode::Today);
}

TEST_F(QueryPipelineTest, failedFetchKeepsTheShownDayAndDropsTheHeldAnswer) {
  struct Case {
    std::string answer;
    std::string messageStart;
  } cases[] = {
      {"", "获取失败！可能的原因：\r\n获取数据时本地网络"},
      {"<html>401</html>", "获取失败！可能的原因：\r\n1. "},
      {R"({"error":"站点不存在"})", "获取失败！错误报告：\r\n站点不存在"},
      {R"({"res":[]})", "获取失败！可能由以下几种原因造成："},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(fetch(kHistoryAnswer));
    const std::string shownTitle = view.title;
    const auto shownSeries = pipeline.state().series.hours;
    const std::string fetchTime = pipeline.state().sourceLabel;
    view.messages.clear();
    view.fetchEnabled.clear();

    EXPECT_FALSE(fetch(c.answer));
    const QueryState& state = pipeline.state();
    ASSERT_EQ(view.messages.size(), 1u) << c.answer;
    EXPECT_EQ(view.messages[0].text.rfind(c.messageStart, 0), 0u) << view.messages[0].text;
    EXPECT_EQ(view.messages[0].title, "未能获取数据");
    EXPECT_EQ(view.messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(state.responseBytes.empty());
    EXPECT_TRUE(state.responseText.empty());
    EXPECT_EQ(view.title, shownTitle);
    EXPECT_EQ(state.series.hours, shownSeries);
    // The data grid reads the document of the day still on display.
    EXPECT_EQ(state.document.getText("res[0].name"), "郑州") << c.answer;
    EXPECT_EQ(state.sourceLabel, fetchTime);
    EXPECT_EQ(state.suggestedFileName, "0_57083.json");
    EXPECT_FALSE(state.busy);
    EXPECT_EQ(view.fetchEnabled, (std::vector<bool>{false, true}));
  }
}

// An answer may echo the request's address: its key stays out of the message.
TEST_F(QueryPipelineTest, refusalMessagesMaskTheKey) {
  view.inputs.apiKey = "k3y-secret";
  const struct {
    std::string answer;
    std::string shown;
  } cases[] = {
      {"<html>GET /api/?key=k3y-secret&date=2019-7-5</html>", "/api/?key=****&date"},
      {R"({"error":"key k3y-secret refused"})", "key **** refused"},
  };
  for (const auto& c : cases) {
    view.messages.clear();
    EXPECT_FALSE(fetch(c.answer));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text.find("k3y-secret"), std::string::npos) << view.messages[0].text;
    EXPECT_NE(view.messages[0].text.find(c.shown), std::string::npos) << view.messages[0].text;
    EXPECT_EQ(view.messages[0].detail.find("k3y-secret"), std::string::npos);
  }
  EXPECT_TRUE(view.offered.empty());
}

// A fetch that failed over the server's certificate offers it for trust,
// after its failure message; no other failure does.
TEST_F(QueryPipelineTest, refusedCertificateIsOfferedAfterTheMessage) {
  ServerCertificate certificate;
  certificate.server = "127.0.0.1:8766";
  certificate.sha256 = "AB:CD";
  source.refusedCertificate = certificate;
  EXPECT_FALSE(fetch(""));
  ASSERT_EQ(view.offered.size(), 1u);
  EXPECT_EQ(view.offered[0].server, "127.0.0.1:8766");
  EXPECT_EQ(view.messagesBeforeOffer, 1u);
  EXPECT_FALSE(pipeline.state().busy);

  source.refusedCertificate.reset();
  EXPECT_FALSE(fetch(""));
  EXPECT_EQ(view.offered.size(), 1u);
}

TEST_F(QueryPipelineTest, variantChangeRedrawsTheHeldTextWithoutARequest) {
  ASSERT_TRUE(fetch(kHistoryAnswer));
  pipeline.setClock([] { return std::chrono::system_clock::from_time_t(1600000000); });
  const std::string fetchPanel = view.lastPanel();
  view.inputs.windVariant = WindVariant::TwoMinuteMean;

  pipeline.redisplay();
  EXPECT_EQ(source.requests.size(), 1u);
  EXPECT_EQ(view.draws, 2);
  EXPECT_EQ(view.windCaption, "&W.上小时2分钟平均风");
  EXPECT_EQ(pipeline.state().series.slot(1).windSpeed, "2.1（2级）");
  EXPECT_EQ(view.lastPanel(), fetchPanel);
  EXPECT_TRUE(pipeline.state().suggestedFileName.empty());
  EXPECT_EQ(pipeline.state().responseBytes, kHistoryAnswer);
}

TEST_F(QueryPipelineTest, variantChangeWithoutAHeldDayDoesNothing) {
  pipeline.redisplay();
  EXPECT_EQ(view.draws, 0);
  EXPECT_TRUE(view.fetchEnabled.empty());
  ASSERT_TRUE(fetch(kHistoryAnswer));
  EXPECT_FALSE(fetch(""));
  view.messages.clear();
  pipeline.redisplay();
  EXPECT_EQ(view.draws, 1);
  EXPECT_TRUE(view.messages.empty());
}

TEST_F(QueryPipelineTest, openedFileTakesItsModeFromTheName) {
  ASSERT_TRUE(fetch(kHistoryAnswer));
  struct Case {
    std::string name;
    bool realtimeTicked;
    std::string answer;
    QueryMode mode;
  } cases[] = {
      {"1_57083_0_20190705_130000.json", false, kTodayAnswer, QueryMode::Today},
      {"0_57083_0_20190705.json", true, kHistoryAnswer, QueryMode::History},
      {"x_57083.json", true, kHistoryAnswer, QueryMode::History},  // non-digit: 0
      {"day.json", true, kTodayAnswer, QueryMode::Today},          // the tick decides
      {"day.json", false, kHistoryAnswer, QueryMode::History},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(pipeline.openDayText(c.answer, c.name, c.realtimeTicked)) << c.name;
    const QueryState& state = pipeline.state();
    EXPECT_EQ(state.displayedMode, c.mode) << c.name;
    EXPECT_EQ(state.sourceLabel, "本地文件");
    EXPECT_EQ(view.lastPanel(), "数据获取时间：本地文件");
    EXPECT_TRUE(state.suggestedFileName.empty());
    EXPECT_EQ(state.responseBytes, kHistoryAnswer) << "opening keeps the fetched bytes";
  }
  // A later variant change keeps the file's mode and label.
  pipeline.redisplay();
  EXPECT_EQ(pipeline.state().displayedMode, QueryMode::History);
  EXPECT_EQ(view.lastPanel(), "数据获取时间：本地文件");
  EXPECT_EQ(source.requests.size(), 1u);
}

TEST(ModeFromFileName, readsTheFirstTwoCharactersOfTheNameAlone) {
  const struct {
    const char* name;
    bool realtimeTicked;
    int mode;
  } cases[] = {
      {"1_57083.json", false, 1},
      {"0_57083.json", true, 0},
      {"5_57083.json", false, 5},
      {"x_57083.json", true, 0},
      {"-_57083.json", true, 0},
      {"１_57083.json", false, 1},  // a full-width digit
      {"中_57083.json", true, 0},   // second character, not second byte
      {"中文.json", true, 1},
      {"History/2019/1_57083.json", false, 1},
      {"1_dir/0_57083.json", false, 0},
      {"C:\\data\\1_57083.json", false, 1},
      {"0_dir/day.json", true, 1},
      {"1", false, 0},
      {"", true, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(modeNumberFromFileName(c.name, c.realtimeTicked), c.mode) << c.name;
  }
}

TEST_F(QueryPipelineTest, fileWithAnUnknownModeIsRefused) {
  ASSERT_TRUE(pipeline.openDayText(kHistoryAnswer, "0_57083.json", false));
  const std::string shownTitle = view.title;
  EXPECT_FALSE(pipeline.openDayText(kHistoryAnswer, "5_57083_0_20190705.json", false));
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].title, "打开文件");
  EXPECT_TRUE(pipeline.state().responseText.empty());
  EXPECT_FALSE(pipeline.state().busy);
  EXPECT_EQ(view.title, shownTitle);
}

TEST_F(QueryPipelineTest, badFileReportsLikeABadAnswer) {
  EXPECT_FALSE(pipeline.openDayText("", "0_1.json", false));
  EXPECT_FALSE(pipeline.openDayText("\xFF\xFE garbage", "0_1.json", false));
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_EQ(view.messages[0].text.rfind("获取失败！可能的原因：\r\n获取数据时本地网络", 0), 0u);
  EXPECT_NE(view.messages[1].text.find("\uFFFD\uFFFD garbage"), std::string::npos);
  EXPECT_TRUE(pipeline.state().responseText.empty());
}

TEST_F(QueryPipelineTest, runWithoutRememberUsesTheRememberedMode) {
  ASSERT_TRUE(fetch(kTodayAnswer, QueryMode::Today));
  EXPECT_TRUE(pipeline.runQuery(QueryMode::History, false, true));
  EXPECT_EQ(pipeline.state().displayedMode, QueryMode::Today);
  EXPECT_EQ(pipeline.state().rememberedMode, QueryMode::Today);
}

}  // namespace
}  // namespace skyrill
