#include "ui/comparison_chart.h"

#include <gtest/gtest.h>

#include "pixel_checks.h"
#include "ui/chart_colours.h"

namespace skyrill {
namespace {

using testing::isNear;

constexpr QRgb kFirst = kStationColours[0];
constexpr QRgb kSecond = kStationColours[1];

// Two stations over three days, 880 / 3 pixels each from x = 64, their
// middles at x = 210.7, 504 and 797.3. The first has 10 and 20 and no third
// day; the second 20, no second day, then 30. One scale from 10 to 30 runs
// from y = 396 up to 40: 20 is at y = 218 for both.
ComparisonPlot twoStations() {
  ComparisonPlot plot;
  plot.title = "最高气温　2024-01-01 至 2024-01-03";
  plot.valueCaption = "最高气温 (℃)";
  plot.unit = "℃";
  plot.period = {20240101, 20240103};
  plot.stations = {"哈尔滨 50953", "北京 54511"};
  plot.lines = {{0, false, {10.0, 20.0, std::nullopt}}, {1, false, {20.0, std::nullopt, 30.0}}};
  return plot;
}

TEST(ComparisonChart, drawsEachStationInItsColourOnOneScale) {
  const QImage chart = drawComparisonChart(twoStations());
  ASSERT_EQ(chart.size(), QSize(kComparisonChartWidth, kComparisonChartHeight));
  const struct {
    int x, y;
    QRgb colour;
    const char* what;
  } points[] = {
      {504, 218, kFirst, "the first station's 20 on its second day"},
      {211, 218, kSecond, "the second station's 20 on the first day, at the same height"},
      {357, 307, kFirst, "halfway up the first station's line from 10 to 20"},
      {797, 41, kSecond, "the second station's 30 at the top"},
  };
  for (const auto& point : points)
    EXPECT_TRUE(isNear(chart.pixel(point.x, point.y), point.colour, 12)) << point.what;

  // The second station's missing day breaks its line: nothing between its
  // first and its third day, where the line from 20 to 30 would run.
  EXPECT_EQ(chart.pixel(650, 85), kCanvasBackground);
  EXPECT_EQ(testing::pixelsNear(chart, QRect(560, 41, 380, 354), kFirst, 12), 0)
      << "the first station has no third day";
  // The legend shows both colours.
  EXPECT_GT(testing::pixelsNear(chart, QRect(64, 452, 400, 20), kFirst, 2), 50);
  EXPECT_GT(testing::pixelsNear(chart, QRect(64, 452, 400, 20), kSecond, 2), 50);
}

// Amounts stand side by side in each day from 0: the first station's bar in
// the left half of the group, the second's in the right; 0 mm still shows a
// line at the foot, a missing day nothing. 0 to 10 mm runs from y = 396 up
// to 40.
TEST(ComparisonChart, drawsAmountsAsBarsSideBySide) {
  ComparisonPlot plot = twoStations();
  plot.bars = true;
  plot.lines = {{0, false, {4.0, 0.0, std::nullopt}}, {1, false, {10.0, std::nullopt, 2.0}}};
  const QImage chart = drawComparisonChart(plot);
  EXPECT_TRUE(isNear(chart.pixel(160, 380), kFirst)) << "4 mm, left of the first day's middle";
  EXPECT_EQ(chart.pixel(160, 240), kCanvasBackground) << "above 4 mm";
  EXPECT_TRUE(isNear(chart.pixel(260, 60), kSecond)) << "10 mm, right of the middle";
  EXPECT_TRUE(isNear(chart.pixel(450, 394), kFirst)) << "0 mm: a line at the foot";
  EXPECT_EQ(chart.pixel(450, 380), kCanvasBackground);
  EXPECT_EQ(chart.pixel(560, 394), kCanvasBackground) << "the second station lacks the day";
  EXPECT_TRUE(isNear(chart.pixel(850, 370), kSecond)) << "2 mm";
}

// The pointer's place and value come from the same axes the chart is drawn
// on; a place's middle is where its values stand.
TEST(ComparisonChart, pointsOfTheDrawingGiveThePlaceAndTheValue) {
  const ComparisonPlot plot = twoStations();
  const auto hit = comparisonHitAt(plot, 504, 218);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->place, 1);
  EXPECT_NEAR(hit->fraction, 0.5, 0.01);
  EXPECT_NEAR(hit->value, 20, 0.01);
  EXPECT_NEAR(comparisonPlaceCentre(plot, 2), 797.33, 0.01);
  EXPECT_FALSE(comparisonHitAt(plot, 60, 218)) << "left of the plot";
  EXPECT_FALSE(comparisonHitAt(plot, 504, 420)) << "under it";
}

// A day's hours: 24 places; at twice the density the picture has twice the
// pixels and the same drawing.
TEST(ComparisonChart, hoursOfADayAndHighDensity) {
  ComparisonPlot plot = twoStations();
  plot.hourly = true;
  plot.period = {20240101, 20240101};
  plot.lines = {{0, false, std::vector<std::optional<double>>(24, 15.0)},
                {1, true, std::vector<std::optional<double>>(24)}};
  ASSERT_EQ(plot.placeCount(), 24);
  const QImage chart = drawComparisonChart(plot);
  const QImage sharp = drawComparisonChart(plot, 2);
  ASSERT_EQ(sharp.size(), QSize(2 * kComparisonChartWidth, 2 * kComparisonChartHeight));
  const auto hit = comparisonHitAt(plot, comparisonPlaceCentre(plot, 12), 100);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->place, 12);
  int coloured = 0;
  for (int row = 40; row < 396; ++row)
    coloured += isNear(chart.pixel(500, row), kFirst, 12) ? 1 : 0;
  EXPECT_GT(coloured, 0) << "the flat line crosses x = 500, within the plot";
  EXPECT_LT(coloured, 5);
  int sharpColoured = 0;
  for (int row = 80; row < 792; ++row)
    sharpColoured += isNear(sharp.pixel(1000, row), kFirst, 12) ? 1 : 0;
  EXPECT_GE(sharpColoured, coloured) << "as thick at twice the pixels";
}

}  // namespace
}  // namespace skyrill
