#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include "ui/canvas.h"
#include "window_fixture.h"

namespace skyrill::test {
namespace {

// Three hours of a day: 08:00, 09:00 and 11:00 Beijing time.
const std::string kDay = R"({"date":"2019-07-05","wmo":"57083","res":[
  {"name":"郑州","time":"2019-07-05T00:00:00","T":23.4,"P":1001.2,"RH":80,
   "WD0mMAX1h":90,"WS0mMAX1h":5.6,"WD2m":80,"WS2m":2.1,"R1h":0.5,"V10m":12,"V":10,"SD":0},
  {"time":"2019-07-05T01:00:00","T":24.5,"P":1001.0,"RH":75,
   "WD0mMAX1h":100,"WS0mMAX1h":8.1,"WD2m":85,"WS2m":3.0,"R1h":0,"V10m":0.8,"V":1},
  {"time":"2019-07-05T03:00:00","T":26,"P":1000.5,"RH":70,
   "WD0mMAX1h":120,"WS0mMAX1h":6.0,"WD2m":95,"WS2m":2.5,"R1h":0,"V10m":9,"V":9}]})";

class WindowRunTest : public WindowFixture {
 protected:
  QAction* menuItem(const QString& caption) {
    for (QAction* action : window.findChildren<QAction*>()) {
      if (action->text() == caption) return action;
    }
    ADD_FAILURE() << "no menu item " << caption.toStdString();
    return nullptr;
  }

  QString menuTitle(int index) { return window.menuBar()->actions().at(index)->text(); }
  QString title() { return child<QLabel>(QStringLiteral("标签14"))->text(); }
  QString panel(int bar, int index) { return window.statusPanel(bar, index)->text(); }
  QStringList panels() {
    QStringList texts;
    for (const auto& [bar, count] : {std::pair{1, 4}, {2, 4}, {3, 3}}) {
      for (int index = 0; index < count; ++index) texts << panel(bar, index);
    }
    return texts;
  }

  void fetchWith(const std::string& answer) {
    source.answer = answer;
    child<QPushButton>(QStringLiteral("获取按钮"))->click();
  }

  static bool isPlain(const QImage& picture) {
    return picture == [&] {
      QImage plain(picture.size(), picture.format());
      plain.fill(qRgb(0xEC, 0xEC, 0xEC));
      return plain;
    }();
  }

  const QString fetchTime = QString::fromStdString(formatLocalTime(fetchClock()));
};

TEST_F(WindowRunTest, FetchShowsTheDay) {
  fetchWith(kDay);

  ASSERT_EQ(source.requests.size(), 1u);
  const QueryRequest& request = source.requests[0];
  EXPECT_EQ(request.mode, QueryMode::History);
  EXPECT_EQ(request.stationNumber, "58453");
  EXPECT_EQ(request.year + "-" + request.month + "-" + request.day, "2024-3-7");
  EXPECT_EQ(request.windVariant, WindVariant::MaxInstant);
  EXPECT_EQ(request.visibilityVariant, VisibilityVariant::TenMinuteMean);

  EXPECT_EQ(title(), QStringLiteral("历史天气\n2019-07-05\n郑州 57083"));
  EXPECT_EQ(panel(1, 0), QStringLiteral("最高气温：26.0℃*"));
  EXPECT_EQ(panel(2, 1).left(5), QStringLiteral("最高风速："));
  EXPECT_TRUE(panel(2, 1).contains("8.1"));
  EXPECT_EQ(panel(3, 2), QStringLiteral("数据获取时间：") + fetchTime);
  EXPECT_EQ(menuTitle(1), QStringLiteral("&W.上小时最大瞬时风"));
  EXPECT_EQ(menuTitle(2), QStringLiteral("&V.上小时10分钟平均能见度"));
  EXPECT_FALSE(isPlain(window.chartCanvas().picture()));
  EXPECT_FALSE(isPlain(window.stripCanvas().picture()));
  EXPECT_TRUE(child(QStringLiteral("获取按钮"))->isEnabled());
}

TEST_F(WindowRunTest, RealtimeFetchAsksForToday) {
  window.setRealtime(true);
  fetchWith(R"({"date":"2019-07-05","wmo":"57083","today":[{"time":"2019-07-05T05:00:00"}]})");
  ASSERT_EQ(source.requests.size(), 1u);
  EXPECT_EQ(source.requests[0].mode, QueryMode::Today);
  EXPECT_TRUE(title().startsWith(QStringLiteral("天气实况\n")));
}

TEST_F(WindowRunTest, FailedFetchWarnsAndKeepsThePreviousDay) {
  struct Case {
    const char* answer;
    const char* firstLine;
  };
  const Case cases[] = {
      {"", "获取失败！可能的原因："},
      {"<html>502</html>", "获取失败！可能的原因："},
      {R"({"error":"key invalid"})", "获取失败！错误报告："},
      {R"({"res":[]})", "获取失败！可能由以下几种原因造成："},
  };
  for (const Case& c : cases) {
    fetchWith(kDay);
    const QString shownTitle = title();
    const QStringList shownPanels = panels();

    MessageAnswerer answerer;
    fetchWith(c.answer);
    ASSERT_EQ(answerer.shown().size(), 1u) << c.answer;
    const ShownMessage& message = answerer.shown()[0];
    EXPECT_EQ(message.title, QStringLiteral("未能获取数据"));
    EXPECT_EQ(message.icon, QMessageBox::Warning);
    EXPECT_EQ(message.text.section('\n', 0, 0), QString::fromUtf8(c.firstLine)) << c.answer;
    EXPECT_FALSE(message.text.contains('\r'));

    EXPECT_EQ(title(), shownTitle);
    EXPECT_EQ(panels(), shownPanels);
    EXPECT_TRUE(pipeline.state().responseText.empty());
    EXPECT_TRUE(child(QStringLiteral("获取按钮"))->isEnabled());

    // The held text is gone: a variant change now only moves the tick.
    const std::size_t requests = source.requests.size();
    menuItem(QStringLiteral("整点瞬时风"))->trigger();
    EXPECT_EQ(source.requests.size(), requests);
    EXPECT_EQ(panels(), shownPanels);
    menuItem(QStringLiteral("上小时最大瞬时风"))->trigger();
  }
}

TEST_F(WindowRunTest, VariantChangeRedrawsWithoutARequest) {
  fetchWith(kDay);
  const QString fetchPanel = panel(3, 2);
  pipeline.setClock([] { return fetchClock() + std::chrono::hours(3); });

  menuItem(QStringLiteral("上小时2分钟平均风"))->trigger();
  EXPECT_EQ(source.requests.size(), 1u);
  EXPECT_EQ(menuTitle(1), QStringLiteral("&W.上小时2分钟平均风"));
  EXPECT_TRUE(panel(2, 1).contains("3.0")) << panel(2, 1).toStdString();
  EXPECT_EQ(panel(3, 2), fetchPanel);
  EXPECT_TRUE(menuItem(QStringLiteral("上小时2分钟平均风"))->isChecked());
  EXPECT_FALSE(menuItem(QStringLiteral("上小时最大瞬时风"))->isChecked());

  menuItem(QStringLiteral("报告上小时能见度"))->trigger();
  EXPECT_EQ(source.requests.size(), 1u);
  EXPECT_EQ(menuTitle(2), QStringLiteral("&V.报告上小时能见度"));

  // The item already ticked stays ticked and still redisplays.
  QAction* ticked = menuItem(QStringLiteral("报告上小时能见度"));
  ticked->trigger();
  EXPECT_TRUE(ticked->isChecked());
  EXPECT_EQ(source.requests.size(), 1u);
}

TEST_F(WindowRunTest, VariantChangeBeforeAnyFetchOnlyMovesTheTick) {
  menuItem(QStringLiteral("报告上小时能见度"))->trigger();
  menuItem(QStringLiteral("整点瞬时风"))->trigger();
  EXPECT_TRUE(menuItem(QStringLiteral("报告上小时能见度"))->isChecked());
  EXPECT_FALSE(menuItem(QStringLiteral("上小时10分钟平均能见度"))->isChecked());
  EXPECT_TRUE(menuItem(QStringLiteral("整点瞬时风"))->isChecked());
  EXPECT_EQ(menuTitle(1), QStringLiteral("&W.风"));
  EXPECT_EQ(menuTitle(2), QStringLiteral("&V.能见度"));
  EXPECT_TRUE(source.requests.empty());
  EXPECT_TRUE(isPlain(window.chartCanvas().picture()));
  EXPECT_EQ(panel(3, 2), QStringLiteral("数据获取时间："));

  fetchWith(kDay);
  EXPECT_EQ(source.requests[0].windVariant, WindVariant::HourlyInstant);
  EXPECT_EQ(source.requests[0].visibilityVariant, VisibilityVariant::Reported);
}

}  // namespace
}  // namespace skyrill::test
