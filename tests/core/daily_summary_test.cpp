#include "core/daily_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace skyrill {
namespace {

// A series whose every slot has the same texts.
DaySeries fullDay(const HourlyRecord& hour) {
  DaySeries series;
  series.hours.fill(hour);
  return series;
}

HourlyRecord mildHour() {
  HourlyRecord hour;
  hour.temperature = "20";
  hour.pressure = "1000";
  hour.precipitation = "0";
  hour.windSpeed = "2.0（2级）";
  hour.visibility = "12";
  return hour;
}

TEST(DailySummary, emptySeriesKeepsStartValuesAndMarksEverythingLacking) {
  const DailySummary summary = computeDailySummary(DaySeries{});
  for (const ElementCoverage* coverage :
       {&summary.temperatureCoverage, &summary.pressureCoverage, &summary.precipitationCoverage,
        &summary.windSpeedCoverage, &summary.visibilityCoverage}) {
    EXPECT_FALSE(coverage->present);
    EXPECT_TRUE(coverage->incomplete);
  }
  EXPECT_EQ(summary.maxTemperature, -999);
  EXPECT_EQ(summary.minTemperature, 999);
  EXPECT_EQ(summary.maxPressure, 0);
  EXPECT_EQ(summary.minPressure, 9999);
  EXPECT_EQ(summary.minVisibility, 999);
  EXPECT_EQ(summary.dayPrecipitationLabel, "");
  EXPECT_EQ(summary.maxHourlyLabel, "");
  EXPECT_EQ(summary.maxWindForceLabel, "（0级）");
}

TEST(DailySummary, fullDayIsCompleteAndOneEmptySlotMakesItIncomplete) {
  DaySeries series = fullDay(mildHour());
  DailySummary summary = computeDailySummary(series);
  EXPECT_TRUE(summary.temperatureCoverage.present);
  EXPECT_FALSE(summary.temperatureCoverage.incomplete);
  EXPECT_FALSE(summary.pressureCoverage.incomplete);
  EXPECT_EQ(summary.temperatureCount, 24);
  EXPECT_DOUBLE_EQ(summary.temperatureSum, 480);

  series.slot(17).temperature = "";
  series.slot(3).pressure = "()";  // empty once cleaned
  summary = computeDailySummary(series);
  EXPECT_TRUE(summary.temperatureCoverage.present);
  EXPECT_TRUE(summary.temperatureCoverage.incomplete);
  EXPECT_TRUE(summary.pressureCoverage.incomplete);
  EXPECT_FALSE(summary.precipitationCoverage.incomplete);
  EXPECT_EQ(summary.temperatureCount, 23);
  EXPECT_EQ(summary.pressureCount, 23);
}

TEST(DailySummary, extremesKeepTheFirstOfValuesEqualWithinTolerance) {
  DaySeries series;
  series.slot(1).temperature = "12.0";
  series.slot(2).temperature = "12.00000005";
  series.slot(3).temperature = "11.99999995";
  series.slot(4).pressure = "1013.2";
  series.slot(5).pressure = "1009.8";
  const DailySummary summary = computeDailySummary(series);
  EXPECT_EQ(summary.maxTemperature, 12.0);
  EXPECT_EQ(summary.minTemperature, 12.0);
  EXPECT_EQ(summary.maxPressure, 1013.2);
  EXPECT_EQ(summary.minPressure, 1009.8);
  EXPECT_DOUBLE_EQ(summary.pressureSum, 2023.0);
}

TEST(DailySummary, precipitationReadsThroughParenthesesAndLabels) {
  DaySeries series;
  series.slot(1).precipitation = "(0.3)";
  series.slot(2).precipitation = "()";
  series.slot(3).precipitation = "2.0（小）";
  series.slot(4).precipitation = "-1";
  const DailySummary summary = computeDailySummary(series);
  EXPECT_DOUBLE_EQ(summary.totalPrecipitation, 2.3);
  EXPECT_EQ(summary.maxHourlyPrecipitation, 2.0);
  EXPECT_TRUE(summary.precipitationCoverage.present);
  EXPECT_TRUE(summary.wetSlots[0]);
  EXPECT_FALSE(summary.wetSlots[1]);
  EXPECT_TRUE(summary.wetSlots[2]);
  EXPECT_FALSE(summary.wetSlots[3]);
}

TEST(DailySummary, wetHoursWithoutTemperatureGiveNoLabels) {
  DaySeries series;
  series.slot(5).precipitation = "4.0";
  series.slot(6).temperature = "10";
  const DailySummary summary = computeDailySummary(series);
  EXPECT_DOUBLE_EQ(summary.totalPrecipitation, 4.0);
  EXPECT_EQ(summary.wetTemperatureCount, 0);
  EXPECT_EQ(summary.dayPrecipitationLabel, "");
  EXPECT_EQ(summary.maxHourlyLabel, "");
}

TEST(DailySummary, dayLabelByWetMeanWhileHourlyLabelStaysOnTheRainScale) {
  DaySeries series;
  series.slot(1).precipitation = "1.0";
  series.slot(1).temperature = "1.0";
  series.slot(2).precipitation = "2.0";
  series.slot(2).temperature = "2.0";
  series.slot(3).temperature = "30";  // dry hour: not in the wet mean
  const DailySummary summary = computeDailySummary(series);
  EXPECT_EQ(summary.wetTemperatureCount, 2);
  EXPECT_DOUBLE_EQ(summary.wetTemperatureSum, 3.0);
  EXPECT_EQ(summary.dayPrecipitationLabel, "（中雪）");
  EXPECT_EQ(summary.maxHourlyLabel, "（小）");
}

TEST(DailySummary, negativeVisibilityCountsAsPresentButNotAsMinimum) {
  DaySeries series;
  series.slot(1).visibility = "-1";
  DailySummary summary = computeDailySummary(series);
  EXPECT_TRUE(summary.visibilityCoverage.present);
  EXPECT_EQ(summary.minVisibility, 999);

  series.slot(2).visibility = "0.8（大雾）";
  series.slot(3).visibility = "0（特强浓雾）";
  summary = computeDailySummary(series);
  EXPECT_EQ(summary.minVisibility, 0);
}

TEST(DailySummary, windSpeedReadsThroughItsLabel) {
  DaySeries series;
  series.slot(1).windSpeed = "3.4（3级）";
  series.slot(2).windSpeed = "17.2（8级）";
  series.slot(3).windSpeed = "abc";
  const DailySummary summary = computeDailySummary(series);
  EXPECT_EQ(summary.maxWindSpeed, 17.2);
  EXPECT_EQ(summary.maxWindForceLabel, "（8级）");
  EXPECT_TRUE(summary.windSpeedCoverage.present);
}

TEST(DailySummary, hugeValuesKeepSumsFinite) {
  HourlyRecord hour;
  hour.temperature = "1e999";
  hour.pressure = "-1e308";
  hour.precipitation = "1e999";
  DaySeries series = fullDay(hour);
  series.slot(24).temperature = "-1e999";
  const DailySummary summary = computeDailySummary(series);
  const double largest = std::numeric_limits<double>::max();
  EXPECT_EQ(summary.maxTemperature, largest);
  EXPECT_EQ(summary.minTemperature, -largest);
  EXPECT_TRUE(std::isfinite(summary.temperatureSum));
  EXPECT_TRUE(std::isfinite(summary.pressureSum));
  EXPECT_EQ(summary.totalPrecipitation, largest);
  EXPECT_EQ(summary.dayPrecipitationLabel, "（特大暴雪）");  // saturated sums cancel: wet mean 0
}

}  // namespace
}  // namespace skyrill
