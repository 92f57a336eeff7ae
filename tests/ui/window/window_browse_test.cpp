// Browsing in the window: a day back and on with Page Up and Page Down,
// from the archive when it holds the day, and the hours from the keyboard.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <fstream>

#include "archive/history_archive.h"
#include "tests/store/temp_folder.h"
#include "ui/canvas.h"
#include "ui/overview_window.h"
#include "window_fixture.h"

namespace skyrill::test {
namespace {

// A day of two hours with the temperature given.
std::string dayAt(const char* date, const char* temperature) {
  return std::string(R"({"date":")") + date + R"(","wmo":"58453","res":[{"name":"杭州",)" +
         R"("time":")" + date + R"(T00:00:00","T":)" + temperature + R"(},{"time":")" + date +
         R"(T01:00:00","T":1}]})";
}

class BrowseTest : public WindowFixture {
 protected:
  BrowseTest() : archive(HistoryArchive::inFolder(folder.path())) {
    window.setArchive(&archive);
    source.answer = dayAt("2024-03-06", "6");
  }

  QAction* item(const QString& caption) {
    for (QAction* action : window.findChildren<QAction*>()) {
      if (action->text() == caption) return action;
    }
    ADD_FAILURE() << "no menu item " << caption.toStdString();
    return nullptr;
  }
  QDate shownDate() { return window.dateLists().selectedDate(); }
  QString title() { return child<QLabel>(QStringLiteral("标签14"))->text(); }
  void keep(const char* name, const std::string& bytes) {
    std::filesystem::create_directories(folder / "2024");
    std::ofstream(folder / "2024" / name) << bytes;
  }
  // The key pressed where the focus is, as the user presses it.
  void press(QWidget* focus, Qt::Key key) {
    focus->setFocus();
    QTest::keyClick(focus, key);
  }
  QString readout(int row) {
    return child<QLineEdit>(QStringLiteral("编辑框%1").arg(2 + row))->text();
  }

  testing::TempFolder folder;
  HistoryArchive archive;
};

TEST_F(BrowseTest, StepsShowArchivedDaysAndFetchTheOthers) {
  window.show();
  QApplication::setActiveWindow(&window);
  keep("0_58453_0_20240305.json", dayAt("2024-03-05", "5"));
  MessageAnswerer answerer;

  // 03-06 is not held: fetched as "获取" would.
  press(child(QStringLiteral("编辑框1")), Qt::Key_PageUp);
  EXPECT_EQ(shownDate(), QDate(2024, 3, 6));
  ASSERT_EQ(source.requests.size(), 1u);
  EXPECT_EQ(source.requests[0].day, "6");
  EXPECT_TRUE(title().contains(QStringLiteral("2024-03-06")));

  // 03-05 is: shown from the file, no request.
  press(child(QStringLiteral("组合框3")), Qt::Key_PageUp);
  EXPECT_EQ(shownDate(), QDate(2024, 3, 5));
  EXPECT_EQ(source.requests.size(), 1u);
  EXPECT_EQ(pipeline.state().sourceLabel, "本地文件");
  EXPECT_TRUE(title().contains(QStringLiteral("2024-03-05")));

  // Up to today, and not past it.
  item(QStringLiteral("&N.后一天"))->trigger();
  item(QStringLiteral("&N.后一天"))->trigger();
  EXPECT_EQ(shownDate(), QDate(2024, 3, 7));
  EXPECT_EQ(source.requests.size(), 3u);
  item(QStringLiteral("&N.后一天"))->trigger();
  EXPECT_EQ(shownDate(), QDate(2024, 3, 7));
  EXPECT_EQ(source.requests.size(), 3u);
  EXPECT_TRUE(answerer.shown().empty());
}

// A held file that is no day ends in the window's message; the chart keeps
// the day it had.
TEST_F(BrowseTest, AnArchivedFileThatIsNoDayIsReported) {
  keep("0_58453_0_20240306.json", "not json");
  window.fetch();
  const QString shown = title();
  MessageAnswerer answerer;
  item(QStringLiteral("&B.前一天"))->trigger();
  ASSERT_EQ(answerer.shown().size(), 1u);
  EXPECT_TRUE(answerer.shown()[0].text.endsWith(
      QStringLiteral("文件“0_58453_0_20240306.json”：文件不是 JSON 文本。")));
  EXPECT_EQ(title(), shown);
  EXPECT_EQ(source.requests.size(), 1u);
}

TEST_F(BrowseTest, StepsWaitWhileARunIsBusyAndInTodayMode) {
  pipeline.state().busy = true;
  item(QStringLiteral("&B.前一天"))->trigger();
  EXPECT_EQ(shownDate(), QDate(2024, 3, 7));
  pipeline.state().busy = false;
  window.setRealtime(true);
  EXPECT_FALSE(item(QStringLiteral("&B.前一天"))->isEnabled());
  EXPECT_FALSE(item(QStringLiteral("&N.后一天"))->isEnabled());
  window.setRealtime(false);
  EXPECT_TRUE(item(QStringLiteral("&B.前一天"))->isEnabled());
}

// The arrow keys on the chart read the hours as the pointer would.
TEST_F(BrowseTest, ArrowKeysWalkTheHoursAsThePointerReadsThem) {
  source.answer = dayAt("2024-03-07", "23.5");
  window.fetch();
  window.show();
  QApplication::setActiveWindow(&window);
  Canvas& chart = window.chartCanvas();

  const auto readouts = [this] {
    QStringList texts;
    for (int row = 0; row < kReadoutCount; ++row) texts << readout(row);
    return texts;
  };
  const struct {
    Qt::Key key;
    int slot;
  } steps[] = {{Qt::Key_Right, 1}, {Qt::Key_Right, 2},  {Qt::Key_Left, 1}, {Qt::Key_Left, 1},
               {Qt::Key_End, 24},  {Qt::Key_Right, 24}, {Qt::Key_Home, 1}};
  for (const auto& step : steps) {
    press(&chart, step.key);
    const auto byKey = std::make_pair(readouts(), chart.picture());
    // The pointer at that hour shows the same texts and the same line.
    QMouseEvent move(
        QEvent::MouseMove, QPointF(chart.contentsRect().topLeft() + QPoint(20 * step.slot, 50)),
        chart.mapToGlobal(QPointF(20 * step.slot, 50)), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&chart, &move);
    EXPECT_EQ(byKey.first, readouts()) << step.slot;
    EXPECT_EQ(byKey.second, chart.picture()) << step.slot;
  }
  EXPECT_EQ(readout(0), QStringLiteral("2024/03/07 08:00:00"));  // Home: the first hour
  EXPECT_EQ(readout(1), QStringLiteral("23.5"));
}

// F2 opens the overview of the station's saved days around the day on
// display; a day chosen there is shown in the window from the archive.
TEST_F(BrowseTest, OverviewFollowsTheDayOnDisplayAndShowsAChosenDay) {
  keep("0_58453_0_20240305.json", dayAt("2024-03-05", "5"));
  keep("0_58453_0_20240306.json", dayAt("2024-03-06", "6"));
  window.openDayFile(QString::fromStdString((folder / "2024/0_58453_0_20240306.json").string()));
  item(QStringLiteral("&L.时段概览…"))->trigger();
  auto* overview = window.findChild<OverviewWindow*>();
  ASSERT_NE(overview, nullptr);
  EXPECT_EQ(overview->station(), QStringLiteral("58453"));
  EXPECT_EQ(overview->period().last, 20240306);

  emit overview->dayChosen(
      QString::fromStdString((folder / "2024/0_58453_0_20240305.json").string()));
  EXPECT_TRUE(title().contains(QStringLiteral("2024-03-05")));
  EXPECT_EQ(pipeline.state().sourceLabel, "本地文件");
  EXPECT_TRUE(source.requests.empty());

  // The same command brings the open overview forward.
  item(QStringLiteral("&L.时段概览…"))->trigger();
  EXPECT_EQ(window.findChildren<OverviewWindow*>().size(), 1);
}

TEST_F(BrowseTest, ReadoutBoxesAreNamedForScreenReaders) {
  const QStringList names = {"时次", "气温", "气压",        "相对湿度",
                             "风向", "风速", "降水 [雪深]", "能见度"};
  for (int row = 0; row < kReadoutCount; ++row) {
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("编辑框%1").arg(2 + row))->accessibleName(),
              names[row]);
  }
}

}  // namespace
}  // namespace skyrill::test
