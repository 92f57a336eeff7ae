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
  first.figures.hasPrecipitation = true;
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

}  // namespace
}  // namespace skyrill
