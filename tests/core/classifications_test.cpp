#include "core/classifications.h"

#include <gtest/gtest.h>

namespace skyrill {
namespace {

TEST(WindForce, levelsAndLabelsAtTheirBounds) {
  struct Case {
    double speedMps;
    int level;
    const char* label;
  };
  const Case cases[] = {
      {-5, 0, "（0级）"},          {0, 0, "（0级）"},       {0.2999998, 0, "（0级）"},
      {0.29999995, 1, "（1级）"},  {0.3, 1, "（1级）"},     {1.6, 2, "（2级）"},
      {3.39999995, 3, "（3级）"},  {5.5, 4, "（4级）"},     {7.99, 4, "（4级）"},
      {8.0, 5, "（5级）"},         {10.8, 6, "（6级）"},    {13.9, 7, "（7级）"},
      {17.2, 8, "（8级）"},        {20.8, 9, "（9级）"},    {24.5, 10, "（10级）"},
      {28.5, 11, "（11级）"},      {32.7, 12, "（12级）"},  {37.0, 13, "（13级）"},
      {41.5, 14, "（14级）"},      {46.2, 15, "（15级）"},  {51.0, 16, "（16级）"},
      {56.1, 17, "（17级）"},      {61.29, 17, "（17级）"}, {61.3, 18, "（17级以上）"},
      {1e308, 18, "（17级以上）"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(windForceLevel(c.speedMps), c.level) << c.speedMps;
    EXPECT_EQ(windForceLabel(c.speedMps), c.label) << c.speedMps;
  }
}

TEST(VisibilityClass, rulesInOrderWithHumidity) {
  struct Case {
    double visibilityKm;
    long long humidity;
    int visibilityClass;
  };
  const Case cases[] = {
      {0.05, 0, 11},  // no humidity number counts as 100 %
      {0.05, -3, 11}, {0.05, 49, 12},      {0.05, 50, 11},        {0.05000005, 49, 12},
      {0.0, 100, 11}, {-1, 30, 0},         {-0.00000005, 30, 12}, {0.15, 54, 9},
      {0.15, 55, 10}, {0.2, 90, 10},       {0.3, 54, 9},          {0.3, 55, 8},
      {0.5, 99, 8},   {0.8, 59, 7},        {0.8, 60, 6},          {1.0, 100, 6},
      {1.5, 64, 5},   {1.5, 68, 4},        {1.5, 90, 1},          {2.5, 69, 4},
      {2.5, 70, 3},   {4.0, 74, 3},        {4.0, 75, 2},          {8.0, 79, 2},
      {10.0, 80, 1},  {10.0000001, 80, 1}, {10.1, 80, 0},         {10.1, 10, 0},
      {25, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(visibilityClass(c.visibilityKm, c.humidity), c.visibilityClass)
        << c.visibilityKm << " km at " << c.humidity << " %";
  }
}

TEST(VisibilityClass, labelsOfEveryClass) {
  const char* labels[] = {
      "",           "（轻雾）",     "（轻微霾）",    "（轻度霾）", "（中度霾）",
      "（重度霾）", "（大雾）",     "（沙尘暴）",    "（浓雾）",   "（强沙尘暴）",
      "（强浓雾）", "（特强浓雾）", "（特强沙尘暴）"};
  for (int visibility = 0; visibility <= 12; ++visibility) {
    EXPECT_EQ(visibilityClassLabel(visibility), labels[visibility]) << visibility;
  }
  EXPECT_EQ(visibilityClassLabel(-1), "");
  EXPECT_EQ(visibilityClassLabel(13), "");
}

TEST(HourlyPrecipitation, scaleByTemperatureText) {
  struct Case {
    double amountMm;
    const char* temperature;
    const char* label;
  };
  const Case cases[] = {
      {0.05, "", ""},
      {0.09999995, "", "（小）"},
      {0.1, "20", "（小）"},
      {2.6, "", "（中）"},
      {8.09, "", "（中）"},
      {8.1, "", "（大）"},
      {16, "", "（暴）"},
      {16, "1.6", "（暴）"},
      {16, "1.5", "（暴雪）"},
      {16, "1.50000005", "（暴雪）"},
      {16, "x", "（暴雪）"},
      {16, "-10", "（暴雪）"},
      {0.1, "0", "（小雪）"},
      {1.0, "0", "（中雪）"},
      {2.5, "0", "（大雪）"},
      {4.99, "0", "（大雪）"},
      {5.0, "0", "（暴雪）"},
      {0.05, "0", ""},
      {-1, "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hourlyPrecipitationLabel(c.amountMm, c.temperature), c.label)
        << c.amountMm << " mm at '" << c.temperature << "'";
  }
}

TEST(DailyPrecipitation, scaleByWetMeanTemperature) {
  struct Case {
    double totalMm;
    double wetMeanC;
    const char* label;
  };
  const Case cases[] = {
      {0.1, 3.0, "（雨夹雪）"},
      {0.1, 3.1, "（小雨）"},
      {0.05, 3.1, ""},
      {10, 20, "（中雨）"},
      {12.5, 12, "（中雨）"},
      {25, 20, "（大雨）"},
      {50, 20, "（暴雨）"},
      {100, 20, "（大暴雨）"},
      {250, 20, "（特大暴雨）"},
      {0.05, 2, ""},
      {30, 1.6, "（雨夹雪）"},
      {0.1, 1.5, "（小雪）"},
      {2.5, 1.5, "（中雪）"},
      {3.0, 1.5, "（中雪）"},
      {5, 0, "（大雪）"},
      {10, -3, "（暴雪）"},
      {20, -3, "（大暴雪）"},
      {30, -3, "（特大暴雪）"},
      {0.05, -3, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dailyPrecipitationLabel(c.totalMm, c.wetMeanC), c.label)
        << c.totalMm << " mm at " << c.wetMeanC;
  }
}

TEST(PrecipitationPhase, byTemperatureText) {
  struct Case {
    const char* temperature;
    PrecipitationPhase phase;
  };
  const Case cases[] = {
      {"", PrecipitationPhase::Rain},     {"3.5", PrecipitationPhase::Rain},
      {"3.0", PrecipitationPhase::Sleet}, {"3.00000005", PrecipitationPhase::Sleet},
      {"2.0", PrecipitationPhase::Sleet}, {"1.5", PrecipitationPhase::Snow},
      {"1.4", PrecipitationPhase::Snow},  {"abc", PrecipitationPhase::Snow},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(precipitationPhase(c.temperature), c.phase) << c.temperature;
  }
}

}  // namespace
}  // namespace skyrill
