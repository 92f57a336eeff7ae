#include "ui/hover_readout.h"

#include <QLineEdit>
#include <QMouseEvent>

#include "ui/canvas.h"
#include "window_fixture.h"

namespace skyrill::test {
namespace {

TEST(HoverSlot, NearestHourWithHalvesGoingUp) {
  const std::pair<int, int> cases[] = {{0, 0},    {9, 0},    {10, 1},   {29, 1},  {30, 2},
                                       {480, 24}, {489, 24}, {490, 25}, {-10, -1}};
  for (const auto& [x, slot] : cases) EXPECT_EQ(hoverSlot(x), slot) << "x = " << x;
}

TEST(ReadoutTexts, EmptyTextsShowDashes) {
  const auto texts = readoutTexts(HourlyRecord{});
  for (const std::string& text : texts) EXPECT_EQ(text, "-");
}

TEST(ReadoutTexts, SnowDepthFollowsThePrecipitationWhenAboveZero) {
  struct Case {
    const char* precipitation;
    const char* snowDepth;
    const char* shown;
  };
  const Case cases[] = {
      {"0.2（小雨）", "3", "0.2（小雨） [3]"},
      {"0.2（小雨）", "0", "0.2（小雨）"},
      {"", "5", "- [5]"},
      {"1.5", "", "1.5"},
      {"1.5", "0.00000001", "1.5"},  // within the tolerance of zero
      {"1.5", "2 {acc}", "1.5 [2 {acc}]"},
  };
  for (const Case& c : cases) {
    HourlyRecord record;
    record.precipitation = c.precipitation;
    record.snowDepth = c.snowDepth;
    EXPECT_EQ(readoutTexts(record)[6], c.shown) << c.precipitation << " / " << c.snowDepth;
  }
}

// Read aloud, each value has its unit, before its class label.
TEST(ReadoutTexts, SpokenTextsCarryTheUnits) {
  HourlyRecord hour{"2019/07/05 08:00:00", "23.4",        "1001.2",     "80", "90",
                    "5.6（4级）",          "0.5（小雨）", "12（轻雾）", "3"};
  const std::array<std::string, kReadoutCount> spoken = {
      "2019/07/05 08:00:00",       "23.4 ℃",       "1001.2 hPa", "80 %", "90 °", "5.6 m/s（4级）",
      "0.5 mm（小雨），雪深 3 cm", "12 km（轻雾）"};
  EXPECT_EQ(spokenReadoutTexts(hour), spoken);
  hour.precipitation.clear();
  hour.snowDepth = "0";
  EXPECT_EQ(spokenReadoutTexts(hour)[6], "无数据");
  for (const std::string& text : spokenReadoutTexts(HourlyRecord{})) EXPECT_EQ(text, "无数据");
}

class HoverTest : public WindowFixture {
 protected:
  HoverTest() {
    HourlyRecord& hour = pipeline.state().series.slot(1);
    hour = {"2019/07/05 08:00:00", "23.4",        "1001.2",    "80", "90",
            "5.6（4级）",          "0.5（小雨）", "12（0级）", "3"};
  }

  // A pointer move at x, y of the chart's drawing area.
  void moveTo(int x, int y = 100) {
    Canvas& canvas = window.chartCanvas();
    const QPointF local(x + canvas.contentsRect().left(), y + canvas.contentsRect().top());
    QMouseEvent move(QEvent::MouseMove, local, canvas.mapToGlobal(local), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &move);
  }

  QStringList boxes() {
    QStringList texts;
    for (int index = 2; index <= 9; ++index) {
      texts << child<QLineEdit>(QStringLiteral("编辑框%1").arg(index))->text();
    }
    return texts;
  }

  // Columns of the drawing area that differ from the plain background.
  std::vector<int> markedColumns() {
    const QImage& picture = window.chartCanvas().picture();
    std::vector<int> columns;
    for (int x = 0; x < picture.width(); ++x) {
      for (int y = 0; y < picture.height(); ++y) {
        if (picture.pixel(x, y) != qRgb(0xEC, 0xEC, 0xEC)) {
          EXPECT_EQ(picture.pixel(x, y), qRgb(0x13, 0x13, 0x13)) << x << "," << y;
          columns.push_back(x);
          break;
        }
      }
    }
    return columns;
  }
};

TEST_F(HoverTest, MarksTheNearestHourAndShowsItsTexts) {
  moveTo(10);
  EXPECT_EQ(markedColumns(), std::vector<int>{20});
  EXPECT_EQ(boxes(), (QStringList{"2019/07/05 08:00:00", "23.4", "1001.2", "80", "90",
                                  QStringLiteral("5.6（4级）"), QStringLiteral("0.5（小雨） [3]"),
                                  QStringLiteral("12（0级）")}));
  // The whole height of the drawing area is inverted.
  const QImage& picture = window.chartCanvas().picture();
  EXPECT_EQ(picture.pixel(20, 0), qRgb(0x13, 0x13, 0x13));
  EXPECT_EQ(picture.pixel(20, 439), qRgb(0x13, 0x13, 0x13));
}

TEST_F(HoverTest, SlotWithoutRecordShowsDashes) {
  moveTo(489);
  EXPECT_EQ(markedColumns(), std::vector<int>{480});
  EXPECT_EQ(boxes(), QStringList(8, QStringLiteral("-")));
}

TEST_F(HoverTest, OutsideTheHoursTheLineGoesAndTheBoxesStay) {
  moveTo(10);
  const QStringList shown = boxes();
  for (int x : {9, 490}) {
    moveTo(x);
    EXPECT_TRUE(markedColumns().empty()) << "x = " << x;
    EXPECT_EQ(boxes(), shown) << "x = " << x;
  }
}

TEST_F(HoverTest, NothingHappensWhileARunIsUnderWay) {
  moveTo(10);
  const QStringList shown = boxes();
  pipeline.state().busy = true;
  moveTo(489);
  EXPECT_EQ(markedColumns(), std::vector<int>{20});
  EXPECT_EQ(boxes(), shown);
}

TEST_F(HoverTest, LineInvertsTheChartPicture) {
  QImage chart(500, 440, QImage::Format_RGB32);
  chart.fill(qRgb(0x10, 0x80, 0xF0));
  window.chartCanvas().setBackgroundPicture(chart);
  moveTo(30);
  const QImage& picture = window.chartCanvas().picture();
  EXPECT_EQ(picture.pixel(40, 200), qRgb(0xEF, 0x7F, 0x0F));
  EXPECT_EQ(picture.pixel(39, 200), qRgb(0x10, 0x80, 0xF0));
  moveTo(50);  // the previous line is wiped
  EXPECT_EQ(picture.pixel(40, 200), qRgb(0x10, 0x80, 0xF0));
  EXPECT_EQ(picture.pixel(60, 200), qRgb(0xEF, 0x7F, 0x0F));
}

}  // namespace
}  // namespace skyrill::test
