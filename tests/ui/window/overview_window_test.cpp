#include "ui/overview_window.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include "date_typing.h"
#include "read_gate.h"
#include "ui/date_field.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "archive/history_archive.h"
#include "tests/store/temp_folder.h"
#include "tests/support/dark_desktop.h"
#include "tests/support/wait_for.h"
#include "ui/light_palette.h"
#include "ui/summary_chart.h"

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace skyrill::test {
namespace {

namespace fs = std::filesystem;

const fs::path kDayFile = fs::path(SKYRILL_TEST_DATA_DIR) / "day" / "0_54511_0_20240120.json";

bool isOf2024(const fs::path& path) {
  return path.filename().string().find("_2024") != std::string::npos;
}

// Station 54511 has 2024-01-01, 01-02 and 01-04 saved, and 2022-06-01;
// the window belongs to an owner, and reads through a gate on 2024's files.
class OverviewWindowTest : public ::testing::Test {
 protected:
  OverviewWindowTest() : archive(HistoryArchive::inFolder(folder / "History")) {
    for (const int date : {20240101, 20240102, 20240104, 20220601}) save(date);
  }

  void save(int date) {
    const std::string name = "0_54511_0_" + std::to_string(date) + ".json";
    archive.save(std::to_string(date / 10000), name, testing::readBytes(kDayFile));
  }

  QString fileOf(int date) const {
    return QString::fromStdString(archive.pastDayFile("54511", date, false).string());
  }

  // Opens the window over 54511's year to 2024-01-05, its reads held at the gate.
  OverviewWindow* openHeld() {
    window = new OverviewWindow(archive, QStringLiteral("54511"), 20240105, &owner);
    window->setFileReader([this](const fs::path& path) { return gate.read(path); });
    return window;
  }

  // Opens the window over the period and waits for its days.
  OverviewWindow* openOver(Period period) {
    gate.open();
    openHeld();
    window->setPeriod(period);
    EXPECT_TRUE(waitForDays());
    return window;
  }

  bool waitForDays() {
    return waitFor([this] { return !window->isReading() && window->chartMessage() != reading(); });
  }

  static QString reading() { return QStringLiteral("正在读取…"); }

  template <typename Widget = QWidget>
  Widget* child(const QString& name) {
    auto* widget = window->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }

  QString readout() { return child<QLabel>(QStringLiteral("概览读数"))->text(); }

  testing::TempFolder folder;
  HistoryArchive archive;
  QWidget owner;
  QPointer<OverviewWindow> window;
  ReadGate gate{isOf2024};  // last: it opens before the owner takes the window away
};

TEST_F(OverviewWindowTest, readsTheYearToTheDayOffTheGuiThread) {
  openHeld();
  EXPECT_EQ(window->parentWidget(), &owner);
  EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
  EXPECT_EQ(child<DateField>(QStringLiteral("起始日期"))->date(), QDate(2023, 1, 6));
  EXPECT_EQ(child<DateField>(QStringLiteral("结束日期"))->date(), QDate(2024, 1, 5));
  ASSERT_TRUE(waitFor([this] { return gate.hasWaiting(); }));

  // The read waits at the gate; the window meanwhile goes on.
  bool ticked = false;
  QTimer::singleShot(0, [&ticked] { ticked = true; });
  ASSERT_TRUE(waitFor([&ticked] { return ticked; }));
  EXPECT_TRUE(window->isReading());
  EXPECT_EQ(window->chartMessage(), reading());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("时段概览 — 54511"));

  QSignalSpy shown(window.data(), &OverviewWindow::daysShown);
  gate.open();
  ASSERT_TRUE(waitForDays());
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(window->chartMessage(), QString());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("时段概览 — 北京 54511"));
  EXPECT_EQ(readout(), QStringLiteral("已保存 3 天，缺 362 天"));
}

TEST_F(OverviewWindowTest, aNewerPeriodTakesOverFromTheReadUnderWay) {
  openHeld();
  ASSERT_TRUE(waitFor([this] { return gate.hasWaiting(); }));
  QSignalSpy shown(window.data(), &OverviewWindow::daysShown);
  // Typed whole, each end of the period is one change.
  typeDate(*child<DateField>(QStringLiteral("起始日期")), QStringLiteral("2022/5/1"));
  typeDate(*child<DateField>(QStringLiteral("结束日期")), QStringLiteral("20220630"));
  ASSERT_TRUE(waitForDays());
  EXPECT_EQ(window->period(), (Period{20220501, 20220630}));

  // The older read comes to its end after the newer one and is dropped.
  gate.open();
  QTest::qWait(100);
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(window->shownDays().period, (Period{20220501, 20220630}));
  ASSERT_EQ(window->shownDays().days.size(), 1U);
  EXPECT_EQ(window->shownDays().days[0].date, 20220601);
}

TEST_F(OverviewWindowTest, refreshesForItsStationAndReadsAgainAfterARead) {
  openOver({20240101, 20240110});
  window->daysAdded(QStringLiteral("59287"));
  EXPECT_FALSE(window->isReading());

  gate.close();
  save(20240103);
  window->daysAdded(QStringLiteral("54511"));
  EXPECT_TRUE(window->isReading());
  ASSERT_TRUE(waitFor([this] { return gate.hasWaiting(); }));
  // The days on display stay while their period is read again.
  EXPECT_EQ(window->chartMessage(), QString());
  // A day saved after the read had found its files comes with the next read.
  save(20240105);
  window->refresh();
  gate.open();
  ASSERT_TRUE(waitFor([this] { return window->shownDays().dayOn(20240105) != nullptr; }));
  EXPECT_EQ(window->shownDays().days.size(), 5U);
}

TEST_F(OverviewWindowTest, followsTheDayOnDisplay) {
  const struct {
    const char* station;
    int date;
    Period period;
    bool reads;
  } cases[] = {
      {"54511", 20240103, {20240101, 20240110}, false},  // within the period
      {"54511", 20240301, yearEndingAt(20240301), true},
      {"59287", 20240301, yearEndingAt(20240301), true},  // another station
  };
  for (const auto& c : cases) {
    openOver({20240101, 20240110});
    window->showDay(QString::fromLatin1(c.station), c.date);
    EXPECT_EQ(window->period(), c.period) << c.date;
    EXPECT_EQ(window->isReading(), c.reads) << c.date;
    EXPECT_EQ(window->station(), QString::fromLatin1(c.station));
    delete window;
  }
}

TEST_F(OverviewWindowTest, anEmptyPeriodSaysHowToFetchOne) {
  openOver({20230101, 20230131});
  EXPECT_EQ(window->chartMessage(),
            QStringLiteral("这一时段没有保存的日子。可用“数据” → “下载多日…”或 skyrill-fetch "
                           "下载一段时间的数据。"));
  EXPECT_EQ(readout(), QString());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("时段概览 — 54511"));
}

// Sweeps the pointer across the chart's middle, left to right: the readouts
// it shows, each once.
std::vector<QString> sweepReadouts(QWidget& chart, QLabel& readout) {
  std::vector<QString> seen;
  for (int x = 0; x < chart.width(); ++x) {
    QTest::mouseMove(&chart, QPoint(x, chart.height() / 2));
    if (seen.empty() || seen.back() != readout.text()) seen.push_back(readout.text());
  }
  return seen;
}

// At any window shape the chart fits and is centred, and the pointer finds
// the day drawn under it.
TEST_F(OverviewWindowTest, pointerShowsEachDayInTurnAndDoubleClickChoosesIt) {
  const Period period{20240101, 20240105};
  for (const QSize size : {QSize(1200, 500), QSize(700, 900)}) {
    openOver(period);
    window->resize(size);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    auto* chart = child(QStringLiteral("概览图"));
    const std::vector<QString> seen =
        sweepReadouts(*chart, *child<QLabel>(QStringLiteral("概览读数")));

    const QString coverage = QStringLiteral("已保存 3 天，缺 2 天");
    std::vector<QString> expected = {coverage};
    for (int i = 0; i < period.length(); ++i)
      expected.push_back(QString::fromStdString(dayReadout(window->shownDays(), period.dateAt(i))));
    expected.push_back(coverage);
    EXPECT_EQ(seen, expected) << size.width();
    EXPECT_EQ(seen[2],
              QStringLiteral("2024-01-02  最高 25.0℃  最低 -21.0℃  降水 8.4mm  能见度等级 12"));
    EXPECT_EQ(seen[3], QStringLiteral("2024-01-03  无数据"));

    QSignalSpy chosen(window.data(), &OverviewWindow::dayChosen);
    const auto doubleClickOn = [&](const QString& text) {
      for (int x = 0; x < chart->width(); ++x) {
        const QPoint point(x, chart->height() / 2);
        QTest::mouseMove(chart, point);
        if (readout() != text) continue;
        QTest::mouseDClick(chart, Qt::LeftButton, {}, point);
        return;
      }
    };
    doubleClickOn(seen[2]);
    doubleClickOn(seen[3]);  // a gap: nothing to show
    ASSERT_EQ(chosen.count(), 1) << size.width();
    EXPECT_EQ(chosen[0][0].toString(), fileOf(20240102));
    delete window;
  }
}

// The pointer's day is the day the chart draws there: over three days with
// only the middle one foggy, the fog's colour stands where x finds that day.
TEST(SummaryChartDateAt, findsTheDayTheChartDrawsAtX) {
  const Period period{20240101, 20240103};
  SummaryChartDays days{"x", period.first, period.last, {}};
  days.days.resize(1);
  days.days[0].date = 20240102;
  days.days[0].figures.visibilityClass = 12;
  const QImage chart = drawSummaryChart(days);
  const QRgb fog = chart.pixel(kSummaryChartWidth / 2, 405);
  int left = 0;
  int right = 0;
  for (int x = 0; x < kSummaryChartWidth; ++x) {
    if (chart.pixel(x, 405) != fog) continue;
    if (left == 0) left = x;
    right = x;
  }
  ASSERT_GT(right - left, 200);
  EXPECT_EQ(summaryChartDateAt(left + 1, period), 20240102);
  EXPECT_EQ(summaryChartDateAt(right, period), 20240102);
  EXPECT_EQ(summaryChartDateAt(left - 1, period), 20240101);
  EXPECT_EQ(summaryChartDateAt(right + 2, period), 20240103);
  EXPECT_EQ(summaryChartDateAt(10, period), std::nullopt);
  EXPECT_EQ(summaryChartDateAt(kSummaryChartWidth - 10, period), std::nullopt);
}

TEST_F(OverviewWindowTest, readsLightOnADarkDesktop) {
  const DarkDesktop dark;
  openOver({20240101, 20240105});
  const auto* label = child<QLabel>(QStringLiteral("概览读数"));
  EXPECT_GE(contrast(label->palette().color(QPalette::WindowText),
                     window->palette().color(QPalette::Window)),
            4.5);
  const auto* chooser = child<DateField>(QStringLiteral("起始日期"));
  EXPECT_GE(
      contrast(chooser->palette().color(QPalette::Text), chooser->palette().color(QPalette::Base)),
      4.5);
  EXPECT_EQ(window->palette().color(QPalette::Window), kWindowGrey);
}

}  // namespace
}  // namespace skyrill::test
