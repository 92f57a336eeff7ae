// The window that compares stations, driven offscreen over a small archive:
// its list of stations, the element, the readout, the day a double-click
// opens, and the fetch of missing days against the sample service, which
// Esc stops.
#include "ui/comparison_window.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include <filesystem>
#include <memory>

#include "faults.h"
#include "server_thread.h"
#include "tests/archive/comparison_archive.h"
#include "tests/store/temp_folder.h"
#include "tests/support/dark_desktop.h"
#include "tests/support/wait_for.h"
#include "ui/chart_axes.h"
#include "ui/comparison_chart.h"
#include "ui/print_sheet.h"
#include "weather_routes.h"

// Readable failures.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace skyrill::test {
namespace {

namespace fs = std::filesystem;

// The sample service on a free port, its weather answers spoiled by `fault`.
class Service {
 public:
  explicit Service(sample::Fault fault) {
    sample::FaultConfig faults;
    faults.fault = fault;
    faults.stall = std::chrono::seconds(3);  // the server waits for it at the end
    sample::addWeatherRoutes(server_.server(), {}, false, faults);
    address_ = "http://127.0.0.1:" + std::to_string(server_.start("127.0.0.1", 0));
  }
  const std::string& address() const { return address_; }

 private:
  sample::ServerThread server_{std::make_unique<httplib::Server>()};
  std::string address_;
};

// The comparison archive (50953 and 54511 over 2024-01-01 to 01-10 with
// holes, 59287 without a day) under a window of an owner.
class ComparisonWindowTest : public ::testing::Test {
 protected:
  ComparisonWindowTest() : archive(HistoryArchive::inFolder(folder / "History")) {
    testing::makeComparisonArchive(folder.path());
  }

  // A window comparing 2024-01-03, fetching from `server` when given.
  ComparisonWindow* open(const std::string& server = {}) {
    fetchSettings.apiKey = "demo";
    fetchSettings.server = server;
    fetchSettings.rate = 0;
    // Far beyond the service's stall: only a stop ends a stalled request.
    fetchSettings.limits.stallTimeout = std::chrono::seconds(60);
    fetchSettings.limits.totalTimeout = std::chrono::seconds(60);
    fetchSettings.retryPauses = {};
    window = new ComparisonWindow(
        archive, [this] { return fetchSettings; }, 20240103, &owner);
    window->show();
    return window;
  }

  bool waitForComparison() {
    return waitFor([this] { return !window->isReading() && window->chartMessage().isEmpty(); });
  }

  template <typename Widget = QWidget>
  Widget* child(const QString& name) {
    auto* widget = window->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }

  QStringList listed() {
    QStringList rows;
    auto* list = child<QListWidget>(QStringLiteral("对比站点"));
    for (int row = 0; row < list->count(); ++row) rows << list->item(row)->text();
    return rows;
  }

  // Double-clicks the chart at a place, at the height of a value.
  void doubleClick(int place, double value) {
    auto* view = child(QStringLiteral("对比图"));
    const ComparisonPlot& plot = window->plot();
    // The value's height, found back through the hit test.
    double low = kComparisonPlotTop, high = kComparisonPlotBottom;
    const double x = comparisonPlaceCentre(plot, place);
    for (int step = 0; step < 40; ++step) {
      const double middle = (low + high) / 2;
      (comparisonHitAt(plot, x, middle)->value > value ? low : high) = middle;
    }
    const QTransform toView =
        fitTransform(view->size(), QSizeF(kComparisonChartWidth, kComparisonChartHeight));
    QTest::mouseDClick(view, Qt::LeftButton, {}, toView.map(QPointF(x, low)).toPoint());
  }

  testing::TempFolder folder;
  HistoryArchive archive;
  RangeRequest fetchSettings;  // as the owner has them now
  QWidget owner;
  QPointer<ComparisonWindow> window;
};

TEST_F(ComparisonWindowTest, stationsAreAddedRemovedAndReorderedWithinTwoToSix) {
  open();
  EXPECT_EQ(window->parentWidget(), &owner);
  EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
  EXPECT_FALSE(window->isModal());
  auto* note = child<QLabel>(QStringLiteral("站点提示"));
  const struct {
    const char* text;
    bool added;
    const char* note;
  } additions[] = {
      {"50953", true, ""},
      {"  54511 ", true, ""},
      {"50953", false, "50953 已在列表中。"},
      {"5095!", false, "站号应为 1 到 5 位字母或数字。"},
      {"", false, "请输入站号。"},
      {"哈尔滨 59287", true, ""},  // an entry's number counts
      {"58453", true, ""},
      {"57083", true, ""},
      {"A1", true, ""},
      {"12345", false, "最多对比 6 个站点。"},
  };
  for (const auto& addition : additions) {
    EXPECT_EQ(window->addStation(QString::fromUtf8(addition.text)), addition.added)
        << addition.text;
    EXPECT_EQ(note->text(), QString::fromUtf8(addition.note)) << addition.text;
  }
  EXPECT_EQ(window->stations(),
            (std::vector<std::string>{"50953", "54511", "59287", "58453", "57083", "A1"}));
  EXPECT_FALSE(child<QPushButton>(QStringLiteral("添加"))->isEnabled()) << "the list is full";

  // The buttons act on the selected row.
  auto* list = child<QListWidget>(QStringLiteral("对比站点"));
  list->setCurrentRow(5);
  QTest::mouseClick(child<QPushButton>(QStringLiteral("删除")), Qt::LeftButton);
  list->setCurrentRow(2);
  QTest::mouseClick(child<QPushButton>(QStringLiteral("上移")), Qt::LeftButton);
  QTest::mouseClick(child<QPushButton>(QStringLiteral("上移")), Qt::LeftButton);
  EXPECT_FALSE(child<QPushButton>(QStringLiteral("上移"))->isEnabled()) << "at the top";
  list->setCurrentRow(1);
  QTest::mouseClick(child<QPushButton>(QStringLiteral("下移")), Qt::LeftButton);
  EXPECT_EQ(window->stations(),
            (std::vector<std::string>{"59287", "54511", "50953", "58453", "57083"}));
  window->removeStation(4);
  window->removeStation(3);

  // The chart and its legend follow the list's order, named as the archive's
  // days name them.
  ASSERT_TRUE(waitForComparison());
  const std::vector<std::string> legend = {"59287", "北京 54511", "哈尔滨 50953"};
  EXPECT_TRUE(waitFor([&] { return window->plot().stations == legend; }));
  EXPECT_EQ(listed(), (QStringList{QStringLiteral("59287"), QStringLiteral("北京 54511"),
                                   QStringLiteral("哈尔滨 50953")}));
  window->removeStation(0);
  window->removeStation(0);
  ASSERT_TRUE(waitFor([this] { return !window->isReading(); }));
  EXPECT_TRUE(window->chartMessage().startsWith(QStringLiteral("请添加 2 到 6 个站点")))
      << "one station is no comparison";
}

// Another element redraws the days read, without reading them again; the
// highest and lowest temperature are a period's alone.
TEST_F(ComparisonWindowTest, switchingTheElementRedrawsTheDaysRead) {
  open();
  window->addStation(QStringLiteral("50953"));
  window->addStation(QStringLiteral("54511"));
  window->comparePeriod({20240101, 20240110});
  ASSERT_TRUE(waitForComparison());
  const struct {
    ComparedElement element;
    const char* caption;
    std::size_t lines;
    bool bars;
  } cases[] = {
      {ComparedElement::HighestLowest, "最高/最低气温 (℃)", 4, false},
      {ComparedElement::Precipitation, "降水量 (mm)", 2, true},
      {ComparedElement::Humidity, "相对湿度 (%)", 2, false},
      {ComparedElement::Visibility, "能见度 (km)", 2, false},
      {ComparedElement::Temperature, "气温 (℃)", 2, false},
  };
  for (const auto& c : cases) {
    window->setElement(c.element);
    EXPECT_FALSE(window->isReading()) << c.caption;
    EXPECT_EQ(window->plot().valueCaption, c.caption);
    EXPECT_EQ(window->plot().lines.size(), c.lines) << c.caption;
    EXPECT_EQ(window->plot().bars, c.bars) << c.caption;
    EXPECT_EQ(window->plot().placeCount(), 10) << c.caption;
  }

  window->setElement(ComparedElement::HighestLowest);
  window->compareDay(20240102);
  ASSERT_TRUE(waitForComparison());
  EXPECT_EQ(window->element(), ComparedElement::Temperature) << "a day has no highest and lowest";
  auto* elements = child<QComboBox>(QStringLiteral("要素"));
  auto* model = qobject_cast<QStandardItemModel*>(elements->model());
  ASSERT_NE(model, nullptr);
  EXPECT_FALSE(model->item(1)->isEnabled());
  EXPECT_EQ(window->plot().placeCount(), 24);
  EXPECT_EQ(window->plot().title, "气温　2024-01-02");
  // The wind is named by the variant the days are read with.
  window->setVariants({WindVariant::TwoMinuteMean, VisibilityVariant::TenMinuteMean});
  EXPECT_EQ(elements->itemText(5), QStringLiteral("风速（上小时2分钟平均风）"));
}

// The keys walk the readout place by place; a double-click opens the day of
// the station whose mark is nearest.
TEST_F(ComparisonWindowTest, theReadoutWalksByKeysAndADoubleClickOpensADay) {
  open();
  window->addStation(QStringLiteral("50953"));
  window->addStation(QStringLiteral("54511"));
  window->comparePeriod({20240101, 20240110});
  ASSERT_TRUE(waitForComparison());
  EXPECT_TRUE(
      window->readoutText().startsWith(QStringLiteral("已保存：哈尔滨 50953 8 天（缺 2 天）")))
      << window->readoutText().toStdString();

  auto* view = child(QStringLiteral("对比图"));
  view->setFocus();
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_TRUE(window->readoutText().startsWith(QStringLiteral("2024-01-01  哈尔滨 50953 ")));
  QTest::keyClick(view, Qt::Key_End);
  QTest::keyClick(view, Qt::Key_Left);
  EXPECT_TRUE(
      window->readoutText().startsWith(QStringLiteral("2024-01-09  哈尔滨 50953 —  北京 54511 ")))
      << window->readoutText().toStdString();

  QSignalSpy chosen(window.data(), &ComparisonWindow::dayChosen);
  const auto& lines = window->plot().lines;
  ASSERT_TRUE(lines[0].values[3] && lines[1].values[3]);
  doubleClick(3, *lines[0].values[3]);
  doubleClick(3, *lines[1].values[3]);
  doubleClick(2, 0);  // 50953 lacks 01-03: the other station's day
  ASSERT_EQ(chosen.count(), 3);
  const auto fileOf = [this](const char* station, int date) {
    return QString::fromStdString(archive.pastDayFile(station, date, false).string());
  };
  EXPECT_EQ(chosen[0][0].toString(), fileOf("50953", 20240104));
  EXPECT_EQ(chosen[1][0].toString(), fileOf("54511", 20240104));
  EXPECT_EQ(chosen[2][0].toString(), fileOf("54511", 20240103));
}

// A day the archive lacks is fetched, saved and read again; the same
// comparison does not ask twice.
TEST_F(ComparisonWindowTest, fetchesTheMissingDaysAndReadsThemAgain) {
  const Service service(sample::Fault::None);
  open(service.address());
  QSignalSpy saved(window.data(), &ComparisonWindow::daysSaved);
  QSignalSpy fetched(window.data(), &ComparisonWindow::fetchFinished);
  window->addStation(QStringLiteral("50953"));
  window->addStation(QStringLiteral("54511"));
  ASSERT_TRUE(waitFor([&] { return fetched.count() == 1; }));
  ASSERT_TRUE(waitForComparison());
  EXPECT_TRUE(archive.holdsPastDay("50953", 20240103, false));
  ASSERT_EQ(saved.count(), 1);
  EXPECT_EQ(saved[0][0].toString(), QStringLiteral("50953"));
  EXPECT_EQ(window->readoutText(), QStringLiteral("每个站点都有这一天。"));
  window->refresh();
  ASSERT_TRUE(waitForComparison());
  EXPECT_FALSE(window->isFetching());
  EXPECT_EQ(fetched.count(), 1);
}

// A server set in the owner while the window is open is the one asked.
TEST_F(ComparisonWindowTest, fetchesFromTheServerSetAfterItOpened) {
  open();
  const Service service(sample::Fault::None);
  fetchSettings.server = service.address();
  QSignalSpy fetched(window.data(), &ComparisonWindow::fetchFinished);
  window->addStation(QStringLiteral("50953"));
  window->addStation(QStringLiteral("54511"));
  ASSERT_TRUE(waitFor([&] { return fetched.count() == 1; }));
  EXPECT_TRUE(archive.holdsPastDay("50953", 20240103, false));
}

// Against a service that never answers, Esc stops the fetch at once and
// keeps the window; the next Esc closes it.
TEST_F(ComparisonWindowTest, escStopsAFetchFromAStalledServiceThenCloses) {
  const Service service(sample::Fault::StallBeforeHeaders);
  open(service.address());
  window->addStation(QStringLiteral("59287"));
  window->addStation(QStringLiteral("54511"));
  ASSERT_TRUE(waitFor([this] { return window->isFetching(); }));
  auto* progress = child(QStringLiteral("下载进度"));
  EXPECT_TRUE(progress->isVisible());
  EXPECT_TRUE(child<QLabel>(QStringLiteral("下载说明"))
                  ->text()
                  .startsWith(QStringLiteral("正在下载缺少的日子：")));
  EXPECT_TRUE(window->chartMessage().isEmpty()) << "what the archive holds shows meanwhile";

  QTest::keyClick(window, Qt::Key_Escape);
  ASSERT_TRUE(waitFor([this] { return !window->isFetching(); }));
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(progress->isVisible());
  EXPECT_TRUE(
      child<QLabel>(QStringLiteral("下载说明"))->text().startsWith(QStringLiteral("已停止下载")));
  EXPECT_FALSE(archive.holdsPastDay("59287", 20240103, false));

  QTest::keyClick(window, Qt::Key_Escape);
  ASSERT_TRUE(waitFor([this] { return window.isNull(); }));
}

// "打印…" prints the chart and the table of its values, a station summary
// over a long period; "导出…" writes the values in the form of the command
// line's.
TEST_F(ComparisonWindowTest, printsAndExportsTheComparison) {
  open();
  window->addStation(QStringLiteral("50953"));
  window->addStation(QStringLiteral("54511"));
  window->comparePeriod({20240101, 20240110});
  ASSERT_TRUE(waitForComparison());
  PrintSheet sheet = window->comparisonSheet();
  EXPECT_EQ(sheet.titleLines, (QStringList{QStringLiteral("多站对比"),
                                           QStringLiteral("气温　2024-01-01 至 2024-01-10")}));
  ASSERT_EQ(sheet.pictures.size(), 1u);
  EXPECT_EQ(sheet.pictures[0].size, QSizeF(kComparisonChartWidth, kComparisonChartHeight));
  ASSERT_EQ(sheet.tableRows.size(), 1u + 10u);
  EXPECT_EQ(sheet.tableRows[0], (QStringList{QStringLiteral("日期"), QStringLiteral("哈尔滨 50953"),
                                             QStringLiteral("北京 54511")}));
  EXPECT_EQ(sheet.tableRows[3][1], QString()) << "50953 lacks 01-03";
  EXPECT_TRUE(window->comparisonCsvText().starts_with(
      "\xEF\xBB\xBF日期,50953 平均气温 (℃),54511 平均气温 (℃)\r\n2024-01-01,"));

  testing::TempFolder printed;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString((printed / "comparison.pdf").string()));
  ASSERT_TRUE(window->printComparison(printer));
  EXPECT_TRUE(testing::readBytes(printed / "comparison.pdf").starts_with("%PDF-"));

  window->comparePeriod({20230101, 20240110});
  ASSERT_TRUE(waitForComparison());
  sheet = window->comparisonSheet();
  ASSERT_EQ(sheet.tableRows.size(), 1u + 2u) << "a row a station over a long period";
  EXPECT_EQ(sheet.tableRows[0][2], QStringLiteral("平均"));
  EXPECT_EQ(sheet.tableRows[1][1], QStringLiteral("8"));

  window->compareDay(20240102);
  ASSERT_TRUE(waitForComparison());
  EXPECT_TRUE(window->comparisonCsvText().starts_with(
      "\xEF\xBB\xBF时间,50953 气温 (℃),54511 气温 (℃)\r\n2024-01-02 00:00,"));
}

// Under a dark desktop the window keeps the program's light look: its texts
// read on its grounds.
TEST_F(ComparisonWindowTest, readsUnderADarkDesktop) {
  const DarkDesktop dark;
  open();
  for (const char* name : {"站点提示", "对比读数", "下载说明"}) {
    const QPalette colours = child(QString::fromUtf8(name))->palette();
    EXPECT_GE(contrast(colours.color(QPalette::WindowText), colours.color(QPalette::Window)), 4.5)
        << name;
  }
}

}  // namespace
}  // namespace skyrill::test
