// The period overview over four years of one station with holes: its
// climate table, band of normals and record marks, months, presets, and what
// it exports, copies and prints, checked against the summary tool's output.
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <string>
#include <vector>

#include "archive/history_archive.h"
#include "export_answers.h"
#include "tests/archive/climate_archive.h"
#include "tests/support/wait_for.h"
#include "tests/tools/run_program.h"
#include "ui/overview_window.h"
#include "ui/print_sheet.h"

namespace skyrill::test {
namespace {

namespace fs = std::filesystem;

class OverviewClimateTest : public ::testing::Test {
 protected:
  OverviewClimateTest() : archive(HistoryArchive::inFolder(folder / "History")) {
    testing::makeClimateArchive(folder.path());
  }

  // The window over the period, once its days and the station's climate
  // are on display.
  OverviewWindow* openOver(Period period) {
    window = new OverviewWindow(archive, QString::fromUtf8(testing::kClimateStation), period.last,
                                &owner);
    window->setToday([] { return QDate(2019, 8, 20); });
    window->setPeriod(period);
    EXPECT_TRUE(waitForAll());
    return window;
  }
  bool waitForAll() {
    return waitFor([this] {
      return !window->isReading() && !window->isReadingClimate() &&
             !window->climateCsvText().empty() && !window->chartDays().normals.empty();
    });
  }

  template <typename Widget = QWidget>
  Widget* child(const QString& name) {
    auto* widget = window->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }

  // What skyrill-summary writes for the station with the options given.
  std::string summary(const std::string& options) {
#ifdef SKYRILL_SUMMARY_PROGRAM
    return testing::runProgram(SKYRILL_SUMMARY_PROGRAM,
                               (folder / "History").string() + " --station " +
                                   testing::kClimateStation + " " + options)
        .out;
#else
    return {};
#endif
  }

  testing::TempFolder folder;
  HistoryArchive archive;
  QWidget owner;
  QPointer<OverviewWindow> window;
};

// The 气候表 tab holds the station's climate table of all its saved days,
// the bytes of its CSV those of the summary's; the chart has the band of
// normals and the record marks, off and on again with the box.
TEST_F(OverviewClimateTest, climateTableBandAndRecordsOfTheStation) {
  openOver({20180201, 20190131});
#ifdef SKYRILL_SUMMARY_PROGRAM
  const std::string expected = summary("--climate");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(window->climateCsvText(), expected);
  EXPECT_EQ(tableCsv(*child<QTableWidget>(QStringLiteral("气候表"))), expected);
  const fs::path csv = folder / "climate.csv";
  answerExportDialog(QString::fromStdString(csv.string()));
  child<QPushButton>(QStringLiteral("导出气候表"))->click();
  EXPECT_EQ(testing::readBytes(csv), expected);
#endif

  const SummaryChartDays& chart = window->chartDays();
  EXPECT_EQ(chart.normals.front().date, 20180201);
  EXPECT_EQ(chart.normals.back().date, 20190131);
  EXPECT_FALSE(chart.records.empty());
  auto* box = child<QCheckBox>(QStringLiteral("常年值和纪录"));
  box->setChecked(false);
  ASSERT_TRUE(waitFor([this] { return window->chartDays().normals.empty(); }));
  EXPECT_TRUE(window->chartDays().records.empty());
  EXPECT_EQ(window->chartDays().days.size(), window->shownDays().days.size());
  box->setChecked(true);
  ASSERT_TRUE(waitForAll());
  EXPECT_FALSE(window->chartDays().records.empty());
}

// 月统计: a row per calendar month of the period, cut at its ends; a month
// with no saved day (March 2017) stays, with no days counted.
TEST_F(OverviewClimateTest, monthsOfThePeriodCutAtItsEnds) {
  openOver({20170215, 20170410});
  auto* months = child<QTableWidget>(QStringLiteral("月统计"));
  ASSERT_EQ(months->rowCount(), 3);
  ASSERT_EQ(window->months().size(), 3U);
  EXPECT_EQ(window->months()[0].periodDays, 14);
  EXPECT_EQ(window->months()[1].savedDays, 0);
  EXPECT_EQ(window->months()[2].periodDays, 10);
  for (int row = 0; row < 3; ++row)
    EXPECT_TRUE(months->item(row, 0)->text().startsWith(QStringLiteral("2017")));
}

// The presets count from the day followed (2019-01-31) and today
// (2019-08-20): this year ends today; 全部 runs from the first to the last
// saved day.
TEST_F(OverviewClimateTest, presetsGiveTheirPeriods) {
  openOver({20190101, 20190131});
  auto* presets = child<QComboBox>(QStringLiteral("时段预设"));
  const struct {
    const char* name;
    Period period;
  } cases[] = {
      {"近30天", {20190102, 20190131}}, {"本月", {20190101, 20190131}},
      {"上月", {20181201, 20181231}},   {"今年", {20190101, 20190820}},
      {"去年", {20180101, 20181231}},   {"近365天", {20180201, 20190131}},
      {"全部", {20160101, 20191231}},
  };
  for (const auto& c : cases) {
    const int index = presets->findText(QString::fromUtf8(c.name));
    ASSERT_GE(index, 0) << c.name;
    presets->setCurrentIndex(index);
    emit presets->activated(index);
    ASSERT_TRUE(waitFor([&] { return window->period() == c.period; })) << c.name;
    EXPECT_EQ(presets->currentIndex(), index) << c.name;
  }
}

// 导出…: the chart by its ending; the days as the summary's CSV with the
// months beside; Ctrl+C the chart and the days; 打印… the chart and months.
TEST_F(OverviewClimateTest, exportsCopiesAndPrintsThePeriod) {
  openOver({20170215, 20170410});
  exportEachPictureEnding(folder.path() / "p", [this] { window->exportOverview(); });
  const fs::path days = folder / "p.csv";
  answerExportDialog(QString::fromStdString(days.string()));
  window->exportOverview();
#ifdef SKYRILL_SUMMARY_PROGRAM
  EXPECT_EQ(testing::readBytes(days), summary("--from 2017-02-15 --to 2017-04-10"));
#endif
  EXPECT_EQ(testing::readBytes(folder / "p_月统计.csv"), monthStatisticsCsv(window->months()));

  // A months' file already there is replaced only when the user says so.
  const fs::path others = folder / "q_月统计.csv";
  testing::writeBytes(others, "mine");
  for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
    answerExportDialog(QString::fromStdString((folder / "q.csv").string()));
    answerNextQuestion(answer);
    window->exportOverview();
    const bool replaced = answer == QMessageBox::Yes;
    EXPECT_EQ(fs::exists(folder / "q.csv"), replaced);
    EXPECT_EQ(testing::readBytes(others) == "mine", !replaced);
  }

  window->copyOverview();
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_TRUE(copied->hasImage());
  const QStringList lines = copied->text().split(u'\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 1 + static_cast<int>(window->shownDays().days.size()));
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("文件\t模式\t站号\t日期\t")));

  const PrintSheet sheet = window->overviewSheet();
  ASSERT_EQ(sheet.pictures.size(), 1U);
  EXPECT_EQ(sheet.tableRows.size(), 1U + 3U);
  EXPECT_TRUE(printsToPdf(folder / "printed.pdf",
                          [this](QPrinter& printer) { return window->printOverview(printer); }));
}

// A month as a chart for a report and as a CSV, by keys alone: the period
// typed in the date fields, the days exported under the name offered with
// its ending made .csv, then the chart under the name offered; and a preset
// chosen by keys.
TEST_F(OverviewClimateTest, aMonthAsChartAndCsvByKeysAlone) {
  openOver({20180201, 20190131});
  window->show();
  QApplication::setActiveWindow(window);
  const auto press = [this](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : window.data(), key, modifiers);
  };
  const auto type = [](const char* keys) {
    QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(keys));
  };
  // In the export dialog, in the test's folder: `keys` typed in the name
  // ('>' for End, '<' for Backspace), then Enter; a dialog that stays is
  // closed.
  const auto answerByKeys = [this](const char* keys) {
    auto* timer = new QTimer(window);
    QObject::connect(timer, &QTimer::timeout, [this, timer, keys] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      timer->stop();
      dialog->setDirectory(QString::fromStdString(folder.path().string()));
      QWidget* name = dialog->focusWidget();
      EXPECT_EQ(name, dialog->findChild<QWidget*>(QStringLiteral("fileNameEdit")));
      for (const char* key = keys; *key; ++key) {
        if (*key == '<') {
          QTest::keyClick(name, Qt::Key_Backspace);
        } else if (*key == '>') {
          QTest::keyClick(name, Qt::Key_End);
        } else {
          QTest::keyClick(name, *key);
        }
      }
      QTest::keyClick(name, Qt::Key_Return);
      if (dialog->isVisible()) dialog->reject();
    });
    timer->start(5);
  };

  // The window opens with the focus in 从: the shortcut does not move it
  // and leaves the text as it is.
  press(Qt::Key_F, Qt::AltModifier);
  press(Qt::Key_A, Qt::ControlModifier);
  type("20190101");
  press(Qt::Key_Return);
  press(Qt::Key_T, Qt::AltModifier);  // 到, its text selected
  type("20190131");
  press(Qt::Key_Return);
  ASSERT_TRUE(waitFor([this] { return window->period() == Period{20190101, 20190131}; }));
  ASSERT_TRUE(waitForAll());
  answerByKeys("><<<csv");
  press(Qt::Key_S, Qt::ControlModifier);
  QApplication::setActiveWindow(window);  // as the window manager does once the dialog is gone
  answerByKeys("");
  press(Qt::Key_S, Qt::ControlModifier);

  // A preset by keys: the first two of the list, counted from the day followed.
  QApplication::setActiveWindow(window);
  press(Qt::Key_P, Qt::AltModifier);
  press(Qt::Key_Down);
  ASSERT_TRUE(waitFor([this] { return window->period() == Period{20190102, 20190131}; }));
  press(Qt::Key_Down);
  ASSERT_TRUE(waitFor([this] { return window->period() == Period{20190101, 20190131}; }));

  const fs::path stem = folder / "北京_54511_2019-01-01_2019-01-31";
  EXPECT_TRUE(testing::readBytes(stem.string() + ".png").starts_with("\x89PNG"));
#ifdef SKYRILL_SUMMARY_PROGRAM
  EXPECT_EQ(testing::readBytes(stem.string() + ".csv"),
            summary("--from 2019-01-01 --to 2019-01-31"));
#endif
}

}  // namespace
}  // namespace skyrill::test
