#include "ui/day_chart.h"

#include <gtest/gtest.h>

#include <string>

#include "pixel_checks.h"

namespace skyrill {
namespace {

using testing::changedPixels;
using testing::isNear;
using testing::markedPixels;
using testing::overBackground;
using testing::pixelsNear;

// Slot 5 sits at x = 100 and slot 6 at x = 120; pixel (x, y) is centred on
// the chart point (x, y). Grid lines lie at y = 40, 80, ... 440.

const QImage& emptyChart() {
  static const QImage chart = drawDayChart(DaySeries{});
  return chart;
}

TEST(DayChart, hasTheCanvasSizeAndBackground) {
  const QImage& chart = emptyChart();
  EXPECT_EQ(chart.size(), QSize(kChartWidth, kChartHeight));
  EXPECT_EQ(chart.pixel(250, 100), kCanvasBackground);
  // The grid line at y = 40 fills exactly one pixel row.
  EXPECT_TRUE(isNear(chart.pixel(250, 40), overBackground(kGridPen)));
  EXPECT_EQ(chart.pixel(250, 39), kCanvasBackground);
  EXPECT_EQ(chart.pixel(250, 41), kCanvasBackground);
}

TEST(DayChart, precipitationBarTakesThePhaseColours) {
  struct Case {
    const char* temperature;
    ChartColours colours;
  };
  const Case cases[] = {
      {"", kRainBar},     {"3.5", kRainBar}, {"3.0", kSleetBar},
      {"2.0", kSleetBar}, {"1.5", kSnowBar}, {"1.4", kSnowBar},
  };
  for (const Case& c : cases) {
    DaySeries series;
    series.slot(5).temperature = c.temperature;
    series.slot(5).precipitation = "20（暴）";  // top at y = 361
    const QImage chart = drawDayChart(series);
    EXPECT_TRUE(isNear(chart.pixel(100, 390), c.colours.brush)) << "temperature " << c.temperature;
    EXPECT_TRUE(isNear(chart.pixel(96, 390), c.colours.pen)) << "temperature " << c.temperature;
    EXPECT_TRUE(isNear(chart.pixel(100, 361), c.colours.pen)) << "temperature " << c.temperature;
    EXPECT_EQ(chart.pixel(100, 357), kCanvasBackground) << "temperature " << c.temperature;
  }
}

TEST(DayChart, precipitationInParenthesesStillDraws) {
  DaySeries series;
  series.slot(5).precipitation = "(20)";
  EXPECT_TRUE(isNear(drawDayChart(series).pixel(100, 390), kRainBar.brush));
  series.slot(5).precipitation = "()";
  EXPECT_EQ(drawDayChart(series), emptyChart());
}

TEST(DayChart, visibilitySquareSitsOnItsValue) {
  DaySeries series;
  series.slot(5).visibility = "5（轻度霾）";  // y = 240
  const QImage chart = drawDayChart(series);
  EXPECT_TRUE(isNear(chart.pixel(100, 240), kVisibilitySquare.brush));
  EXPECT_TRUE(isNear(chart.pixel(97, 240), kVisibilitySquare.pen));
  EXPECT_TRUE(isNear(chart.pixel(103, 240), kVisibilitySquare.pen));
  EXPECT_EQ(chart.pixel(100, 245), kCanvasBackground);
}

TEST(DayChart, eachLineHasItsColours) {
  struct Case {
    std::string HourlyRecord::*element;
    const char* first;
    const char* second;
    int y;
    ChartColours colours;
  };
  const Case cases[] = {
      {&HourlyRecord::temperature, "22", "22.0", 152, kTemperatureLine},
      {&HourlyRecord::pressure, "1005", "1005.0", 220, kPressureLine},
      {&HourlyRecord::humidity, "62", "62", 192, kHumidityLine},
  };
  for (const Case& c : cases) {
    DaySeries series;
    series.slot(5).*c.element = c.first;
    series.slot(6).*c.element = c.second;
    const QImage chart = drawDayChart(series);
    EXPECT_TRUE(isNear(chart.pixel(100, c.y), c.colours.brush)) << "dot at y " << c.y;
    EXPECT_TRUE(isNear(chart.pixel(120, c.y), c.colours.brush)) << "dot at y " << c.y;
    EXPECT_TRUE(isNear(chart.pixel(110, c.y), overBackground(c.colours.pen)))
        << "line at y " << c.y;
  }
}

TEST(DayChart, lineBridgesEmptySlots) {
  DaySeries series;
  series.slot(3).temperature = "7";   // (60, 212)
  series.slot(4).temperature = "12";  // (80, 192)
  series.slot(9).temperature = "12";  // (180, 192)
  const QImage chart = drawDayChart(series);
  const QRgb line = overBackground(kTemperatureLine.pen);
  EXPECT_TRUE(isNear(chart.pixel(130, 192), line));
  EXPECT_TRUE(isNear(chart.pixel(170, 192), line));
  EXPECT_TRUE(isNear(chart.pixel(60, 212), kTemperatureLine.brush));
  EXPECT_TRUE(isNear(chart.pixel(80, 192), kTemperatureLine.brush));
  EXPECT_TRUE(isNear(chart.pixel(180, 192), kTemperatureLine.brush));
  // Nothing before the first point or after the last.
  EXPECT_EQ(changedPixels(chart, emptyChart(), QRect(185, 182, 30, 20)), 0);
  EXPECT_EQ(changedPixels(chart, emptyChart(), QRect(30, 200, 25, 25)), 0);
}

TEST(DayChart, singleValueIsOneDot) {
  DaySeries series;
  series.slot(5).temperature = "22";  // (100, 152)
  const QImage chart = drawDayChart(series);
  EXPECT_TRUE(isNear(chart.pixel(100, 152), kTemperatureLine.brush));
  // Diameter 4 about a pixel centre: only the 5 x 5 pixels around it change.
  EXPECT_EQ(changedPixels(chart, emptyChart(), chart.rect()),
            changedPixels(chart, emptyChart(), QRect(98, 150, 5, 5)));
}

TEST(DayChart, valuesAboveTheTopAreOutOfSightButLinesRunToThem) {
  DaySeries series;
  series.slot(5).temperature = "65";  // y = -20
  series.slot(20).pressure = "1070";  // y = -40
  EXPECT_EQ(drawDayChart(series), emptyChart());

  series.slot(6).temperature = "45";  // (120, 60): the line passes (110, 20)
  EXPECT_TRUE(isNear(drawDayChart(series).pixel(110, 20), overBackground(kTemperatureLine.pen)));
}

TEST(DayChart, farOffValuesDrawNothingVisible) {
  DaySeries series;
  series.slot(5).temperature = "1e300";
  series.slot(7).pressure = "-1e300";
  series.slot(9).precipitation = "1e300";
  const QImage chart = drawDayChart(series);
  // Only the bar of slot 9 shows, from the top of the chart down.
  EXPECT_TRUE(isNear(chart.pixel(180, 100), kRainBar.brush));
  EXPECT_EQ(changedPixels(chart, emptyChart(), QRect(0, 0, 170, kChartHeight)), 0);
  EXPECT_EQ(changedPixels(chart, emptyChart(), QRect(190, 0, 310, kChartHeight)), 0);
}

TEST(DayChart, snowDepthStarAndScale) {
  const QRect snowTitle(56, 20, 21, 18);  // around x = 66, above the first grid line
  DaySeries series;
  EXPECT_EQ(markedPixels(drawDayChart(series), snowTitle), 0);

  // All zero: no marks, but the scale shows.
  for (HourlyRecord& hour : series.hours) hour.snowDepth = "0";
  const QImage zeroDepth = drawDayChart(series);
  EXPECT_GT(pixelsNear(zeroDepth, snowTitle, 0xFF606060, 40), 5);

  series.slot(5).snowDepth = "10";  // star at (100, 340)
  const QImage withStar = drawDayChart(series);
  EXPECT_TRUE(isNear(withStar.pixel(104, 340), overBackground(kSnowDepthPen)));
  EXPECT_TRUE(isNear(withStar.pixel(96, 340), overBackground(kSnowDepthPen)));
  EXPECT_EQ(withStar.pixel(100, 346), kCanvasBackground);
}

TEST(DayChart, hourLabelsOnlyForSlotsWithATime) {
  DaySeries series;
  series.slot(5).timeText = "2019/07/05 13:00:00";
  series.slot(7).timeText = "2019/07/05";  // too short for an hour
  const QImage chart = drawDayChart(series);
  const auto darkPixels = [&](int slot) {
    return pixelsNear(chart, QRect(20 * slot - 2, 241, 18, 16), 0xFF000000, 100);
  };
  EXPECT_GT(darkPixels(5), 10);
  EXPECT_EQ(darkPixels(6), 0);
  EXPECT_EQ(darkPixels(7), 0);
}

TEST(DayChart, scaleTitlesTakeTheirColours) {
  struct Case {
    int x;
    QRgb colour;
  };
  const Case cases[] = {
      {16, 0xFF0088FF}, {41, 0xFF9000FF}, {435, 0xFFFF0000}, {460, 0xFF0000FF}, {485, 0xFF008000},
  };
  const QImage& chart = emptyChart();
  for (const Case& c : cases) {
    const QRect title(c.x - 12, 20, 25, 18);
    EXPECT_GT(pixelsNear(chart, title, c.colour, 40), 10) << "scale at x " << c.x;
  }
}

}  // namespace
}  // namespace skyrill
