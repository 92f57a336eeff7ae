#include "core/grid_colours.h"

#include <gtest/gtest.h>

#include <string>

namespace skyrill {
namespace {

constexpr std::size_t kTemperature = 1;
constexpr std::size_t kPrecipitation = 2;
constexpr std::size_t kHumidity = 3;
constexpr std::size_t kVisibility = 4;
constexpr std::size_t kMaxWind = 6;
constexpr std::size_t kMeanWind = 10;

// "r,g,b", with " white" when the text turns white; "" for no colour.
std::string describe(const std::optional<CellColours>& colours) {
  if (!colours) return "";
  const Rgb& c = colours->background;
  return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) +
         (colours->whiteText ? " white" : "");
}

struct Case {
  std::size_t column;
  const char* text;
  const char* expected;
  const char* temperature = "";  // column 1 of the row, unless it is the cell
  const char* humidity = "";     // column 3 of the row, unless it is the cell
};

std::string colourOf(const Case& c) {
  GridRowTexts texts;
  texts[kTemperature] = c.temperature;
  texts[kHumidity] = c.humidity;
  texts[c.column] = c.text;
  return describe(colourGridRow(texts)[c.column]);
}

TEST(ColourGridRow, temperatureScale) {
  const Case cases[] = {
      {kTemperature, "-20.0", "0,0,0 white"},
      {kTemperature, "-40.5", "0,0,0 white"},
      {kTemperature, "-19.9", "119,0,255 white"},
      {kTemperature, "-15.0", "119,0,255 white"},
      {kTemperature, "-10.0", "0,0,255 white"},
      {kTemperature, "-5.0", "0,119,255 white"},
      {kTemperature, "0.0", "0,119,0 white"},
      {kTemperature, "-0.0", "0,119,0 white"},
      {kTemperature, "0.1", "119,255,255"},
      {kTemperature, "6.0", "119,255,255"},
      {kTemperature, "12.0", "0,255,255"},
      {kTemperature, "18.0", "0,255,119"},
      {kTemperature, "18.1", "0,255,0"},
      {kTemperature, "24.9", "0,255,0"},
      {kTemperature, "25.0", "119,255,0"},
      {kTemperature, "28.0", "187,255,0"},
      {kTemperature, "30.0", "255,255,0"},
      {kTemperature, "32.0", "255,119,0"},
      {kTemperature, "35.0", "255,68,0 white"},
      {kTemperature, "38.0", "255,0,0 white"},
      {kTemperature, "40.0", "0,0,0 white"},
      {kTemperature, "", ""},
      // Within the tolerance a bound still holds; just beyond it, not.
      {kTemperature, "18.00000005", "0,255,119"},
      {kTemperature, "18.0000002", "0,255,0"},
      {kTemperature, "24.99999995", "119,255,0"},
      {kTemperature, "24.9999998", "0,255,0"},
  };
  for (const Case& c : cases) EXPECT_EQ(colourOf(c), c.expected) << c.text;
}

TEST(ColourGridRow, precipitationByThePhaseOfTheRowsTemperature) {
  const Case cases[] = {
      {kPrecipitation, "0.0", "", "10.0"},
      {kPrecipitation, "-1.0", "", "10.0"},
      {kPrecipitation, "0.00000005", "", "10.0"},
      {kPrecipitation, "", "", "10.0"},
      {kPrecipitation, "2.5", "166,242,143", "10.0"},
      {kPrecipitation, "2.6", "61,186,61", "10.0"},
      {kPrecipitation, "2.59999995", "61,186,61", "10.0"},
      {kPrecipitation, "8.1", "97,184,255", "10.0"},
      {kPrecipitation, "16.0", "0,0,255 white", "10.0"},
      {kPrecipitation, "30.0", "250,0,250 white", "10.0"},
      {kPrecipitation, "50.0", "128,0,64 white", "10.0"},
      {kPrecipitation, "100.0", "255,170,0", "10.0"},
      {kPrecipitation, "200.0", "255,102,0", "10.0"},
      // The phase: above 3 rain, above 1.5 sleet, else snow; empty is rain.
      {kPrecipitation, "3.0", "61,186,61", ""},
      {kPrecipitation, "3.0", "61,186,61", "3.1"},
      {kPrecipitation, "3.0", "255,144,144", "3.0"},
      {kPrecipitation, "3.0", "255,144,144", "2.0"},
      {kPrecipitation, "300.0", "255,144,144", "1.6"},
      {kPrecipitation, "3.0", "112,112,112 white", "1.5"},
      {kPrecipitation, "3.0", "112,112,112 white", "1.0"},
      {kPrecipitation, "0.1", "204,204,204", "-5.0"},
      {kPrecipitation, "1.0", "161,161,161", "-5.0"},
      {kPrecipitation, "2.5", "112,112,112 white", "-5.0"},
      {kPrecipitation, "5.0", "69,69,69 white", "-5.0"},
      {kPrecipitation, "0.0", "", "-5.0"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(colourOf(c), c.expected) << c.text << " at " << c.temperature;
}

TEST(ColourGridRow, humidityInWholePercent) {
  const Case cases[] = {
      {kHumidity, "100", "255,255,0"},
      {kHumidity, "99", "0,255,255"},
      {kHumidity, "98", "0,255,255"},
      {kHumidity, "97", "0,255,0"},
      {kHumidity, "95", "0,255,0"},
      {kHumidity, "94", ""},
      {kHumidity, "50", ""},
      {kHumidity, "26", ""},
      {kHumidity, "25", "255,255,0"},
      {kHumidity, "16", "255,255,0"},
      {kHumidity, "15", "255,119,0"},
      {kHumidity, "11", "255,119,0"},
      {kHumidity, "10", "255,0,0 white"},
      {kHumidity, "1", "255,0,0 white"},
      {kHumidity, "0", ""},
      {kHumidity, "", ""},
      {kHumidity, "-5", ""},
      // The integer value decides: an edited "25.9" is 25, "0.5" is 0.
      {kHumidity, "25.9", "255,255,0"},
      {kHumidity, "0.5", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(colourOf(c), c.expected) << c.text;
}

TEST(ColourGridRow, visibilityWithTheDryTest) {
  const Case cases[] = {
      {kVisibility, "0.800", "128,64,16 white", "", "59"},
      {kVisibility, "0.800", "99,255,254", "", "60"},
      {kVisibility, "0.800", "99,255,254", "", ""},  // empty humidity is 0: not dry
      {kVisibility, "0.800", "99,255,254", "", "0"},
      {kVisibility, "0.049", "32,16,4 white", "", "49"},
      {kVisibility, "0.049", "1,83,77 white", "", "50"},
      {kVisibility, "0.050", "64,32,8 white", "", "49"},
      {kVisibility, "0.199", "64,32,8 white", "", "54"},
      {kVisibility, "0.199", "0,154,156 white", "", "55"},
      {kVisibility, "0.400", "64,32,8 white", "", "54"},
      {kVisibility, "0.400", "1,207,205", "", "55"},
      {kVisibility, "1.500", "124,0,34 white", "", "64"},
      {kVisibility, "1.500", "173,113,0 white", "", "65"},
      {kVisibility, "1.500", "197,255,231", "", "80"},
      {kVisibility, "2.500", "173,113,0 white", "", "69"},
      {kVisibility, "4.000", "222,204,0", "", "74"},
      {kVisibility, "9.999", "231,255,197", "", "79"},
      {kVisibility, "9.999", "197,255,231", "", "80"},
      {kVisibility, "10.000", "", "", "30"},
      {kVisibility, "0.000", "", "", "30"},
      {kVisibility, "", "", "", "30"},
  };
  for (const Case& c : cases) EXPECT_EQ(colourOf(c), c.expected) << c.text << " at " << c.humidity;
}

TEST(ColourGridRow, eachWindSpeedByItself) {
  for (const std::size_t column : {kMaxWind, kMeanWind}) {
    const Case cases[] = {
        {column, "7.9", ""},
        {column, "", ""},
        {column, "7.99999995", "0,255,0"},
        {column, "8.0", "0,255,0"},
        {column, "10.8", "0,255,255"},
        {column, "13.9", "255,255,0"},
        {column, "17.2", "255,119,0"},
        {column, "24.5", "255,0,0 white"},
        {column, "32.7", "0,0,0 white"},
    };
    for (const Case& c : cases) EXPECT_EQ(colourOf(c), c.expected) << column << ": " << c.text;
  }
}

TEST(ColourGridRow, leavesTheOtherColumnsAlone) {
  GridRowTexts texts;
  texts.fill("-30.0");
  const GridRowColours colours = colourGridRow(texts);
  for (const std::size_t column : {0, 5, 7, 8, 9, 11}) {
    EXPECT_FALSE(colours[column]) << column;
  }
}

}  // namespace
}  // namespace skyrill
