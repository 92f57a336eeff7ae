// "历史同期": the day on display in its station's climate, over an archive
// of four years with holes, its tables checked against the summary tool's.
#include "ui/climate_window.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <string>
#include <vector>

#include "archive/history_archive.h"
#include "export_answers.h"
#include "read_gate.h"
#include "tests/archive/climate_archive.h"
#include "tests/support/wait_for.h"
#include "tests/tools/run_program.h"
#include "ui/print_sheet.h"

namespace skyrill::test {

namespace {

namespace fs = std::filesystem;

bool isOf2019(const fs::path& path) {
  return path.filename().string().find("_2019") != std::string::npos;
}

class ClimateWindowTest : public ::testing::Test {
 protected:
  ClimateWindowTest() : archive(HistoryArchive::inFolder(folder / "History")) {
    testing::makeClimateArchive(folder.path());
  }

  ShownDay dayOf(const char* station, int date) {
    return {QString::fromUtf8(station), QString::fromUtf8(station), date, std::nullopt};
  }

  ClimateWindow* open(ShownDay day) {
    window = new ClimateWindow(archive, std::move(day), &owner);
    window->setFileReader([this](const fs::path& path) { return gate.read(path); });
    return window;
  }
  bool waitForClimate() {
    return waitFor([this] { return !window->isReading() && window->climate().date != 0; });
  }

  template <typename Widget = QWidget>
  Widget* child(const QString& name) {
    auto* widget = window->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }

  // What `skyrill-summary --on` writes for the station and calendar day.
  std::string summaryOn(const char* station, const char* monthDay) {
#ifdef SKYRILL_SUMMARY_PROGRAM
    return testing::runProgram(SKYRILL_SUMMARY_PROGRAM, folder.path().string() + " --station " +
                                                            station + " --on " + monthDay)
        .out;
#else
    return {};
#endif
  }

  // The day's own year in the table of years: its row in bold.
  std::vector<int> boldRows() {
    auto* table = child<QTableWidget>(QStringLiteral("同日各年"));
    std::vector<int> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
      if (table->item(row, 0)->font().bold()) rows.push_back(row);
    }
    return rows;
  }

  testing::TempFolder folder;
  HistoryArchive archive;
  QWidget owner;
  QPointer<ClimateWindow> window;
  ReadGate gate{isOf2019};  // last: it opens before the owner takes the window away
};

// A saved day among years with holes (07-20 to 07-22 of 2019 are missing):
// its years as the summary lists them, its own marked; the day read off
// the GUI thread. A day on display that is not saved stands for its year.
TEST_F(ClimateWindowTest, showsTheDateInEveryYearAsTheSummaryDoes) {
  open(dayOf(testing::kClimateStation, 20180721));
  ASSERT_TRUE(waitFor([this] { return gate.hasWaiting(); }));
  bool ticked = false;
  QTimer::singleShot(0, [&ticked] { ticked = true; });
  ASSERT_TRUE(waitFor([&ticked] { return ticked; }));
  EXPECT_TRUE(window->isReading());
  EXPECT_EQ(window->windowTitle(), QStringLiteral("历史同期 — 54511　7 月 21 日"));

  QSignalSpy shown(window.data(), &ClimateWindow::climateShown);
  gate.open();
  ASSERT_TRUE(waitForClimate());
  EXPECT_EQ(shown.count(), 1);
  auto* years = child<QTableWidget>(QStringLiteral("同日各年"));
#ifdef SKYRILL_SUMMARY_PROGRAM
  EXPECT_EQ(tableCsv(*years), summaryOn(testing::kClimateStation, "07-21"));
#endif
  ASSERT_EQ(years->rowCount(), 3 + 3);  // the years, then 平均, 最高 and 最低
  EXPECT_EQ(years->item(2, 0)->text(), QStringLiteral("2018"));
  EXPECT_EQ(boldRows(), std::vector<int>{2});
  EXPECT_FALSE(child(QStringLiteral("下载多日"))->isVisibleTo(window));
  auto* figures = child<QTableWidget>(QStringLiteral("同期要素"));
  ASSERT_EQ(figures->rowCount(), 6);
  EXPECT_TRUE(figures->item(3, 1)->text().endsWith(QStringLiteral("（共 3 年）")));
  EXPECT_EQ(figures->item(0, 1)->text(), years->item(2, 2)->text());

  // 2019-07-21 on display, fetched and not saved: its values are ranked
  // among the saved years, which the table lists as the summary does.
  ShownDay fetched = dayOf(testing::kClimateStation, 20190721);
  fetched.values = ClimateDay{20190721, {"40.0", "30.0", "35.00", "0.0"}, {40, 30, 35, 0}};
  window->showDay(fetched);
  ASSERT_TRUE(waitForClimate());
  EXPECT_EQ(years->rowCount(), 3 + 3);
  EXPECT_TRUE(boldRows().empty());
  EXPECT_EQ(figures->item(0, 1)->text(), QStringLiteral("40.0"));
  EXPECT_TRUE(figures->item(3, 1)->text().contains(QStringLiteral("第 1 高（共 4 年）")))
      << figures->item(3, 1)->text().toStdString();
  EXPECT_TRUE(figures->item(4, 1)->text().startsWith(QStringLiteral("40.0（2019）")));
}

// A newer day takes over from the read under way; the older one, once
// over, is dropped.
TEST_F(ClimateWindowTest, aNewerDayTakesOverFromTheReadUnderWay) {
  open(dayOf(testing::kClimateStation, 20190705));
  ASSERT_TRUE(waitFor([this] { return gate.hasWaiting(); }));
  QSignalSpy shown(window.data(), &ClimateWindow::climateShown);
  window->setFileReader([](const fs::path& path) { return testing::readBytes(path); });
  window->showDay(dayOf(testing::kClimateStation, 20170310));  // March 2017 is missing
  ASSERT_TRUE(waitForClimate());
  gate.open();
  QTest::qWait(50);
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(window->climate().date, 20170310);
  EXPECT_EQ(window->climate().sameDay.days.size(), 3U);
  EXPECT_TRUE(boldRows().empty());
}

// Fewer than three years of the date: the window says so and offers the
// download of the years before.
TEST_F(ClimateWindowTest, fewYearsAreToldAndTheirDownloadOffered) {
  const struct {
    int date;
    std::vector<int> savedYears;
    QString told;
  } cases[] = {
      {20190715, {}, QStringLiteral("存档中没有7 月 15 日的数据；")},
      {20190715, {2018, 2019}, QStringLiteral("存档中只有 2 年有7 月 15 日的数据（2018、2019）；")},
  };
  for (const auto& c : cases) {
    for (const int year : c.savedYears) {
      using namespace std::chrono;
      const sys_days day = std::chrono::year(year) / July / 15;
      testing::generated::put(folder.path(),
                              testing::generated::pastName(testing::kOtherStation, day),
                              testing::generated::pastDay(testing::kOtherStation, day));
    }
    gate.open();
    open(dayOf(testing::kOtherStation, c.date));
    ASSERT_TRUE(waitForClimate());
    auto* note = child<QLabel>(QStringLiteral("年数不足"));
    EXPECT_TRUE(note->isVisibleTo(window));
    EXPECT_TRUE(note->text().startsWith(c.told)) << note->text().toStdString();
    EXPECT_EQ(window->climate().sameDay.days.size(), c.savedYears.size());

    QSignalSpy asked(window.data(), &ClimateWindow::downloadRequested);
    child<QPushButton>(QStringLiteral("下载多日"))->click();
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked[0][0].toString(), QString::fromUtf8(testing::kOtherStation));
    EXPECT_EQ(asked[0][1].toInt() / 10000, 2017);
    EXPECT_EQ(asked[0][2].toInt(), 20190722);
    delete window;
  }
}

// Export by ending: the chart in each picture format, the table of years as
// the summary's CSV; Ctrl+C the chart and the tables as text; print the
// chart and both tables.
TEST_F(ClimateWindowTest, exportsCopiesAndPrintsWhatItShows) {
  gate.open();
  open(dayOf(testing::kClimateStation, 20180721));
  ASSERT_TRUE(waitForClimate());
  exportEachPictureEnding(folder.path() / "d", [this] { window->exportClimate(); });
  const fs::path csv = folder / "d.csv";
  answerExportDialog(QString::fromStdString(csv.string()));
  window->exportClimate();
#ifdef SKYRILL_SUMMARY_PROGRAM
  EXPECT_EQ(testing::readBytes(csv), summaryOn(testing::kClimateStation, "07-21"));
#endif

  window->copyClimate();
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_TRUE(copied->hasImage());
  const QStringList lines = copied->text().split(u'\n');
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("\t最高气温 (℃)\t")));
  EXPECT_TRUE(
      lines.contains(QStringLiteral("年份\t日期\t最高气温 (℃)\t最低气温 (℃)\t平均气温 "
                                    "(℃)\t降水量 (mm)")))
      << copied->text().toStdString();

  const PrintSheet sheet = window->climateSheet();
  ASSERT_EQ(sheet.pictures.size(), 1U);
  EXPECT_EQ(sheet.tableRows.size(), 1U + 6U + 6U);  // header, the day's figures, the years
  EXPECT_TRUE(sheet.titleLines.front().startsWith(QStringLiteral("历史同期")));
  EXPECT_TRUE(printsToPdf(folder / "printed.pdf",
                          [this](QPrinter& printer) { return window->printClimate(printer); }));
}

}  // namespace
}  // namespace skyrill::test
