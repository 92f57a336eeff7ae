#include "ui/summary_chart.h"

#include <gtest/gtest.h>

#include "pixel_checks.h"
#include "ui/chart_colours.h"

namespace skyrill {
namespace {

using testing::isNear;

// Three days, the middle one without a file: each day is 880 / 3 pixels
// wide from x = 64; x = 150, 450 and 750 lie inside the days, off the ticks
// at their middles.
// Temperatures 0 to 12 °C fill y = 244 up to 40; 8 mm of precipitation on
// a scale to 10 mm fills y = 390 up to 302; the visibility strip is at y = 405.
SummaryChartDays threeDays() {
  SummaryChartDays chart;
  chart.caption = "测站 57083";
  chart.first = 20240101;
  chart.last = 20240103;
  SummaryRow first;
  first.date = 20240101;
  first.figures.highestTemperature = 10;
  first.figures.lowestTemperature = 0;
  first.figures.precipitation = {6, 0, 2};  // rain below, snow on top
  first.figures.precipitationTotal = 8;
  first.figures.visibilityClass = 6;
  SummaryRow third;
  third.date = 20240103;
  third.figures.highestTemperature = 12;
  third.figures.lowestTemperature = 2;
  third.figures.visibilityClass = 0;
  chart.days = {first, third};
  return chart;
}

TEST(SummaryChart, drawsTheDaysAndLeavesTheMissingOneEmpty) {
  const QImage chart = drawSummaryChart(threeDays());
  ASSERT_EQ(chart.size(), QSize(kSummaryChartWidth, kSummaryChartHeight));
  const int band = 159;  // 5 °C
  EXPECT_NE(chart.pixel(150, band), kCanvasBackground) << "the first day's band";
  EXPECT_EQ(chart.pixel(450, band), kCanvasBackground) << "no band over the missing day";
  EXPECT_NE(chart.pixel(750, band), kCanvasBackground) << "the third day's band";

  EXPECT_TRUE(isNear(chart.pixel(150, 357), kRainBar.brush)) << "rain from 0 to 6 mm";
  EXPECT_TRUE(isNear(chart.pixel(150, 313), kSnowBar.brush)) << "snow from 6 to 8 mm";
  EXPECT_EQ(chart.pixel(150, 295), kCanvasBackground) << "nothing above 8 mm";
  EXPECT_EQ(chart.pixel(750, 357), kCanvasBackground) << "a dry day has no bar";

  const QRgb fog = chart.pixel(150, 405);
  const QRgb clear = chart.pixel(750, 405);
  EXPECT_EQ(chart.pixel(450, 405), kCanvasBackground) << "no class for the missing day";
  EXPECT_NE(fog, kCanvasBackground);
  EXPECT_NE(clear, kCanvasBackground);
  EXPECT_NE(fog, clear);
}

// Normals of 4 to 8 °C on all three days: y = 176 up to 108 (the guide
// lines of even degrees cross it). The band fills the missing day, lies
// behind the days' band elsewhere, and has dashed edges.
TEST(SummaryChart, drawsTheBandOfNormalsBehindTheDays) {
  SummaryChartDays chart = threeDays();
  const QImage without = drawSummaryChart(chart);
  chart.normals = {{20240101, 4, 8}, {20240102, 4, 8}, {20240103, 4, 8}};
  const QImage with = drawSummaryChart(chart);
  const int normal = 159;  // 5 °C
  EXPECT_TRUE(
      testing::isNear(with.pixel(450, normal), testing::overBackground(kNormalBandBrush), 3))
      << "the band alone over the missing day";
  EXPECT_EQ(without.pixel(450, normal), kCanvasBackground);
  EXPECT_NE(with.pixel(150, normal), without.pixel(150, normal)) << "behind the first day's band";
  EXPECT_EQ(with.pixel(450, 100), kCanvasBackground) << "nothing above 8 °C on the missing day";
  EXPECT_EQ(with.pixel(450, 184), kCanvasBackground) << "nor below 4 °C";
  // The upper edge over the missing day, dashed: dark along y = 108, with
  // gaps.
  int dark = 0;
  for (int x = 370; x < 640; ++x) dark += qGray(with.pixel(x, 108)) < 0x90 ? 1 : 0;
  EXPECT_GT(dark, 270 / 2);
  EXPECT_LT(dark, 270 * 9 / 10);
  EXPECT_GT(testing::changedPixels(with, without, QRect(64, 455, 880, 20)), 0)
      << "the legend names the band";
}

// Marks over the first day's highest (10 °C, y = 74), under its lowest
// (0 °C, y = 244) and over its 8 mm (y = 302); the third day's highest
// (12 °C, y = 40) alone. The marks stand at the days' middles (x = 210.7 and
// 797.3), where the day ticks are: they are looked at beside them.
TEST(SummaryChart, marksTheDaysThatHoldARecord) {
  SummaryChartDays chart = threeDays();
  const QImage without = drawSummaryChart(chart);
  chart.records = {{20240101, true, true, true}, {20240103, true, false, false}};
  const QImage with = drawSummaryChart(chart);
  const struct {
    int x, y;
    QRgb colour;
    const char* what;
  } marks[] = {
      {209, 70, kHighestTemperatureLine, "the first day's warm record"},
      {209, 248, kLowestTemperatureLine, "its cold record"},
      {209, 295, kWetRecordMark, "its wet record"},
      {796, 36, kHighestTemperatureLine, "the third day's warm record"},
  };
  for (const auto& mark : marks) {
    EXPECT_TRUE(testing::isNear(with.pixel(mark.x, mark.y), mark.colour, 8)) << mark.what;
    EXPECT_EQ(without.pixel(mark.x, mark.y), kCanvasBackground) << mark.what;
  }
  EXPECT_EQ(with.pixel(796, 248), without.pixel(796, 248)) << "no cold record on the third day";
  EXPECT_EQ(with.pixel(450, 36), without.pixel(450, 36)) << "none on the missing day";

  // Over three years a day is 0.8 pixels wide: the marks become ticks in
  // rows of their own, 2024-01-01 at x = 650.
  chart.first = 20220101;
  chart.last = 20241231;
  const QImage years = drawSummaryChart(chart);
  const struct {
    int y;
    QRgb colour;
  } ticks[] = {{35, kHighestTemperatureLine}, {250, kLowestTemperatureLine}, {275, kWetRecordMark}};
  for (const auto& tick : ticks) {
    EXPECT_TRUE(testing::isNear(years.pixel(650, tick.y), tick.colour)) << tick.y;
    EXPECT_EQ(years.pixel(640, tick.y), kCanvasBackground) << tick.y;
  }
  EXPECT_EQ(years.pixel(1 + static_cast<int>(64 + 732.5 * 880 / 1096.0), 250), kCanvasBackground)
      << "no cold record on 2024-01-03";
}

// Over any period the date labels keep clear of each other and of the
// picture's edges, and step by what the period's length allows.
TEST(SummaryChart, dateLabelsNeverOverlap) {
  const struct {
    int first, last;
    const char* firstLabel;
    const char* secondLabel;
  } periods[] = {
      {20240101, 20240110, "01-01", "01-02"},      // days
      {20240101, 20240301, "01-01", "01-06"},      // fives of days
      {20240101, 20241231, "2024-01", "2024-02"},  // months over a year
      {20230101, 20241231, "2023-01", "2023-04"},  // quarters over two
      {20200101, 20241231, "2020-01", "2020-07"},  // half years over five
      {20150101, 20241231, "2015", "2016"},        // years over ten
      {20050301, 20241231, "2006", "2007"},        // twenty years, starting in March
  };
  for (const auto& period : periods) {
    SummaryChartDays chart;
    chart.first = period.first;
    chart.last = period.last;
    const std::vector<DateLabel> labels = summaryDateLabels(chart);
    ASSERT_GE(labels.size(), 2u) << period.first;
    EXPECT_EQ(labels[0].text.toStdString(), period.firstLabel) << period.first;
    EXPECT_EQ(labels[1].text.toStdString(), period.secondLabel) << period.first;
    for (std::size_t i = 0; i < labels.size(); ++i) {
      EXPECT_GE(labels[i].box.left(), 0) << period.first;
      EXPECT_LE(labels[i].box.right(), kSummaryChartWidth) << period.first;
      if (i > 0) {
        EXPECT_FALSE(labels[i].box.intersects(labels[i - 1].box))
            << period.first << ": " << labels[i - 1].text.toStdString() << " and "
            << labels[i].text.toStdString();
      }
    }
  }
}

}  // namespace
}  // namespace skyrill
