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
