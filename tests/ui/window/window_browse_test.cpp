// Browsing in the window: a day back and on with Page Up and Page Down,
// from the archive when it holds the day, and the hours from the keyboard.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <fstream>
#include <map>

#include "archive/history_archive.h"
#include "tests/store/temp_folder.h"
#include "ui/canvas.h"
#include "ui/climate_window.h"
#include "ui/date_field.h"
#include "ui/overview_window.h"
#include "ui/range_dialog.h"
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

// F3 opens the day on display in its climate, with the values its panels
// show; the window follows the day shown, and its download of the years
// missing opens the download window filled in.
TEST_F(BrowseTest, ClimateFollowsTheDayOnDisplayAndAsksForTheYearsMissing) {
  window.show();
  QApplication::setActiveWindow(&window);
  keep("0_58453_0_20240305.json", dayAt("2024-03-05", "5"));
  keep("0_58453_0_20240306.json", dayAt("2024-03-06", "6"));
  press(child(QStringLiteral("组合框3")), Qt::Key_PageUp);  // 03-07 to 03-06, from its file
  EXPECT_EQ(item(QStringLiteral("&Y.历史同期…"))->shortcut(), QKeySequence(Qt::Key_F3));
  item(QStringLiteral("&Y.历史同期…"))->trigger();
  auto* climate = window.findChild<ClimateWindow*>();
  ASSERT_NE(climate, nullptr);
  EXPECT_EQ(climate->day().station, QStringLiteral("58453"));
  EXPECT_EQ(climate->day().caption, QStringLiteral("杭州 58453"));
  EXPECT_EQ(climate->day().date, 20240306);
  ASSERT_TRUE(climate->day().values.has_value());
  EXPECT_EQ(climate->day().values->cells[0], "6.0");

  press(child(QStringLiteral("组合框3")), Qt::Key_PageUp);
  EXPECT_EQ(climate->day().date, 20240305);
  EXPECT_EQ(climate->day().values->cells[0], "5.0");
  item(QStringLiteral("&Y.历史同期…"))->trigger();
  EXPECT_EQ(window.findChildren<ClimateWindow*>().size(), 1);

  emit climate->downloadRequested(QStringLiteral("58453"), 20220226, 20240312);
  auto* dialog = window.findChild<RangeDialog*>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->findChild<QLineEdit*>(QStringLiteral("stationField"))->text(),
            QStringLiteral("58453"));
  EXPECT_EQ(dialog->findChild<DateField*>(QStringLiteral("firstDayEdit"))->date(),
            QDate(2022, 2, 26));
  EXPECT_EQ(dialog->findChild<DateField*>(QStringLiteral("lastDayEdit"))->date(),
            QDate(2024, 3, 12));
}

// A screen reader hears what each box holds, and once an hour shows, its
// value with the unit; the date lists say which part of the date they
// hold; the chart says what it draws, and the day's figures.
TEST_F(BrowseTest, ReadoutsListsAndTheChartAreNamedForScreenReaders) {
  const QStringList names = {"时次", "气温", "气压",        "相对湿度",
                             "风向", "风速", "降水 [雪深]", "能见度"};
  const auto name = [this](int row) {
    return child<QLineEdit>(QStringLiteral("编辑框%1").arg(2 + row))->accessibleName();
  };
  for (int row = 0; row < kReadoutCount; ++row) EXPECT_EQ(name(row), names[row]);
  EXPECT_TRUE(window.chartCanvas().accessibleDescription().contains(QStringLiteral("尚无数据")));

  source.answer = dayAt("2024-03-07", "23.5");
  window.fetch();
  window.showReadoutSlot(1);
  EXPECT_EQ(name(0), QStringLiteral("时次：2024/03/07 08:00:00"));
  EXPECT_EQ(name(1), QStringLiteral("气温：23.5 ℃"));
  EXPECT_EQ(name(2), QStringLiteral("气压：无数据"));
  const QString described = window.chartCanvas().accessibleDescription();
  EXPECT_TRUE(described.startsWith(QStringLiteral("历史天气 2024-03-07 杭州 58453的逐小时图表")))
      << described.toStdString();
  EXPECT_TRUE(described.contains(QStringLiteral("最高气温：23.5℃*"))) << described.toStdString();

  const std::pair<const char*, const char*> lists[] = {
      {"组合框1", "年"}, {"组合框2", "月"}, {"组合框3", "日"}, {"编辑框1", "气象站号"}};
  for (const auto& [object, spoken] : lists) {
    EXPECT_EQ(child(QString::fromUtf8(object))->accessibleName(), QString::fromUtf8(spoken));
  }
}

// An hour chosen by the keyboard stays through Page Up and Page Down while
// the pointer rests on the chart; the pointer counts again once it moves.
TEST_F(BrowseTest, TheKeyboardsHourStaysUntilThePointerMoves) {
  keep("0_58453_0_20240306.json", dayAt("2024-03-06", "6"));
  source.answer = dayAt("2024-03-07", "23.5");
  window.show();
  QApplication::setActiveWindow(&window);
  window.fetch();
  Canvas& chart = window.chartCanvas();
  const auto pointerAt = [&chart](int x) {
    const QPointF local(chart.contentsRect().topLeft() + QPoint(x, 50));
    QCursor::setPos(chart.mapToGlobal(local.toPoint()));
    QMouseEvent move(QEvent::MouseMove, local, chart.mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&chart, &move);
  };
  pointerAt(40);  // the pointer rests over 09:00, the second hour
  ASSERT_EQ(readout(0), QStringLiteral("2024/03/07 09:00:00"));
  press(&chart, Qt::Key_Home);
  EXPECT_EQ(readout(0), QStringLiteral("2024/03/07 08:00:00"));

  press(&chart, Qt::Key_PageUp);
  EXPECT_TRUE(title().contains(QStringLiteral("2024-03-06")));
  EXPECT_EQ(readout(0), QStringLiteral("2024/03/06 08:00:00"));
  pointerAt(40);  // the same place, as Qt sends when a window changes under the pointer
  EXPECT_EQ(readout(0), QStringLiteral("2024/03/06 08:00:00"));
  press(&chart, Qt::Key_PageDown);
  EXPECT_EQ(readout(0), QStringLiteral("2024/03/07 08:00:00"));

  pointerAt(41);
  EXPECT_EQ(readout(0), QStringLiteral("2024/03/07 09:00:00"));
  press(&chart, Qt::Key_PageUp);
  EXPECT_EQ(readout(0), QStringLiteral("2024/03/06 09:00:00")) << "the pointer's hour again";
}

// With the focus the chart's border shows it, in the highlight colour; its
// picture stays the same.
TEST_F(BrowseTest, TheChartShowsWhenItHasTheFocus) {
  window.show();
  QApplication::setActiveWindow(&window);
  Canvas& chart = window.chartCanvas();
  child(QStringLiteral("获取按钮"))->setFocus();
  const QImage without = chart.grab().toImage();
  const QImage picture = chart.picture();
  chart.setFocus();
  ASSERT_TRUE(chart.hasFocus());
  const QImage with = chart.grab().toImage();
  const QColor highlight = chart.palette().color(QPalette::Highlight);
  for (const QPoint corner : {QPoint(0, 0), QPoint(1, 1), QPoint(250, 1), QPoint(1, 200)}) {
    EXPECT_EQ(QColor(with.pixel(corner)), highlight) << corner.x() << "," << corner.y();
    EXPECT_NE(QColor(without.pixel(corner)), highlight) << corner.x() << "," << corner.y();
  }
  EXPECT_EQ(with.pixel(250, 200), without.pixel(250, 200));
  EXPECT_EQ(chart.picture(), picture);
}

// The keyboard path the README gives is the one Tab takes: driven here key
// by key, and found word for word in the README.
TEST_F(BrowseTest, TabGoesRoundTheWindowAsTheReadmeSays) {
  window.show();
  QApplication::setActiveWindow(&window);
  const std::map<QString, QString> readmeNames = {
      {QStringLiteral("选择框1"), QStringLiteral("\"R.实况\"")},
      {QStringLiteral("组合框1"), QStringLiteral("year")},
      {QStringLiteral("组合框2"), QStringLiteral("month")},
      {QStringLiteral("组合框3"), QStringLiteral("day")},
      {QStringLiteral("编辑框1"), QStringLiteral("station number")},
      {QStringLiteral("选择站点按钮"), QStringLiteral("\"C.选择站点\"")},
      {QStringLiteral("获取按钮"), QStringLiteral("\"G.获取\"")},
      {QStringLiteral("画板1"), QStringLiteral("the chart")},
  };
  QWidget* start = child(QStringLiteral("选择框1"));
  start->setFocus();
  QStringList path{readmeNames.at(start->objectName())};
  for (int step = 0; step < 20; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    if (focused == start) break;
    ASSERT_EQ(readmeNames.count(focused->objectName()), 1u) << focused->objectName().toStdString();
    path << readmeNames.at(focused->objectName());
  }
  EXPECT_EQ(path.size(), 8);
  const std::string sentence =
      "Tab goes round the window: " + path.join(QStringLiteral(" → ")).toStdString() +
      " and back to \"R.实况\".";
  const std::string readme = testing::readBytes(
      std::filesystem::path(SKYRILL_TEST_DATA_DIR).parent_path().parent_path() / "README.md");
  EXPECT_NE(readme.find(sentence), std::string::npos) << sentence;
}

}  // namespace
}  // namespace skyrill::test
