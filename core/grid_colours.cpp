#include "core/grid_colours.h"

#include <span>
#include <string_view>

#include "core/classifications.h"
#include "core/numeric_text.h"

namespace skyrill {

namespace {

// How a rule compares the cell's number with its bound (with the tolerance).
enum class Test { AtMost, AtLeast, Below, Always };

// One row of a colour table. The first rule that holds decides the cell: its
// colours, or none for a rule that leaves the cell uncoloured.
struct ColourRule {
  Test test = Test::Always;
  double bound = 0;
  long long dryBelow = 0;  // also needs 0 < humidity < dryBelow; 0: no humidity test
  std::optional<CellColours> colours;
};

constexpr bool kWhite = true;

constexpr ColourRule atMost(double bound, Rgb background, bool whiteText = false) {
  return {Test::AtMost, bound, 0, CellColours{background, whiteText}};
}
constexpr ColourRule atLeast(double bound, Rgb background, bool whiteText = false) {
  return {Test::AtLeast, bound, 0, CellColours{background, whiteText}};
}
constexpr ColourRule below(double bound, Rgb background, bool whiteText = false) {
  return {Test::Below, bound, 0, CellColours{background, whiteText}};
}
constexpr ColourRule belowWhenDry(double bound, long long dryBelow, Rgb background,
                                  bool whiteText = false) {
  return {Test::Below, bound, dryBelow, CellColours{background, whiteText}};
}
constexpr ColourRule otherwise(Rgb background, bool whiteText = false) {
  return {Test::Always, 0, 0, CellColours{background, whiteText}};
}
// Rules that leave the cell as it is.
constexpr ColourRule noneAtMost(double bound) {
  return {Test::AtMost, bound, 0, std::nullopt};
}
constexpr ColourRule noneBelow(double bound) {
  return {Test::Below, bound, 0, std::nullopt};
}

constexpr std::array kTemperatureRules = {
    atMost(-20, {0, 0, 0}, kWhite),    atMost(-15, {119, 0, 255}, kWhite),
    atMost(-10, {0, 0, 255}, kWhite),  atMost(-5, {0, 119, 255}, kWhite),
    atMost(0, {0, 119, 0}, kWhite),    atMost(6, {119, 255, 255}),
    atMost(12, {0, 255, 255}),         atMost(18, {0, 255, 119}),
    atLeast(40, {0, 0, 0}, kWhite),    atLeast(38, {255, 0, 0}, kWhite),
    atLeast(35, {255, 68, 0}, kWhite), atLeast(32, {255, 119, 0}),
    atLeast(30, {255, 255, 0}),        atLeast(28, {187, 255, 0}),
    atLeast(25, {119, 255, 0}),        otherwise({0, 255, 0}),
};

// A dry hour has no precipitation to colour.
constexpr ColourRule kNoPrecipitation = noneAtMost(0);

constexpr std::array kRainRules = {
    kNoPrecipitation,
    below(2.6, {166, 242, 143}),
    below(8.1, {61, 186, 61}),
    below(16, {97, 184, 255}),
    below(30, {0, 0, 255}, kWhite),
    below(50, {250, 0, 250}, kWhite),
    below(100, {128, 0, 64}, kWhite),
    below(200, {255, 170, 0}),
    otherwise({255, 102, 0}),
};

constexpr std::array kSleetRules = {
    kNoPrecipitation,
    otherwise({255, 144, 144}),
};

constexpr std::array kSnowRules = {
    kNoPrecipitation,
    below(1.0, {204, 204, 204}),
    below(2.5, {161, 161, 161}),
    below(5.0, {112, 112, 112}, kWhite),
    otherwise({69, 69, 69}, kWhite),
};

// Humidity is a whole percent, so the tolerance of these tests never
// changes their outcome: they are the plain integer comparisons.
constexpr std::array kHumidityRules = {
    noneAtMost(0),
    atLeast(100, {255, 255, 0}),
    atLeast(98, {0, 255, 255}),
    atLeast(95, {0, 255, 0}),
    atMost(10, {255, 0, 0}, kWhite),
    atMost(15, {255, 119, 0}),
    atMost(25, {255, 255, 0}),
};

constexpr std::array kVisibilityRules = {
    noneAtMost(0),
    belowWhenDry(0.05, 50, {32, 16, 4}, kWhite),
    below(0.05, {1, 83, 77}, kWhite),
    belowWhenDry(0.2, 55, {64, 32, 8}, kWhite),
    below(0.2, {0, 154, 156}, kWhite),
    belowWhenDry(0.5, 55, {64, 32, 8}, kWhite),
    below(0.5, {1, 207, 205}),
    belowWhenDry(1.0, 60, {128, 64, 16}, kWhite),
    below(1.0, {99, 255, 254}),
    belowWhenDry(2.0, 65, {124, 0, 34}, kWhite),
    belowWhenDry(3.0, 70, {173, 113, 0}, kWhite),
    belowWhenDry(5.0, 75, {222, 204, 0}),
    belowWhenDry(10.0, 80, {231, 255, 197}),
    below(10.0, {197, 255, 231}),
};

constexpr std::array kWindRules = {
    noneBelow(8.0),
    below(10.8, {0, 255, 0}),
    below(13.9, {0, 255, 255}),
    below(17.2, {255, 255, 0}),
    below(24.5, {255, 119, 0}),
    below(32.7, {255, 0, 0}, kWhite),
    otherwise({0, 0, 0}, kWhite),
};

bool holds(const ColourRule& rule, double value, long long humidity) {
  if (rule.dryBelow != 0 && !(humidity > 0 && humidity < rule.dryBelow)) return false;
  switch (rule.test) {
    case Test::AtMost:
      return isAtMost(value, rule.bound);
    case Test::AtLeast:
      return isAtLeast(value, rule.bound);
    case Test::Below:
      return isLess(value, rule.bound);
    case Test::Always:
      break;
  }
  return true;
}

// The colours of the first rule that holds for the cell's value; none for an
// empty text, when no rule holds, or when the rule leaves the cell alone.
std::optional<CellColours> firstMatch(std::span<const ColourRule> rules, std::string_view text,
                                      double value, long long humidity = 0) {
  if (text.empty()) return std::nullopt;
  for (const ColourRule& rule : rules) {
    if (holds(rule, value, humidity)) return rule.colours;
  }
  return std::nullopt;
}

std::span<const ColourRule> precipitationRules(std::string_view temperatureText) {
  switch (precipitationPhase(temperatureText)) {
    case PrecipitationPhase::Sleet:
      return kSleetRules;
    case PrecipitationPhase::Snow:
      return kSnowRules;
    case PrecipitationPhase::Rain:
      break;
  }
  return kRainRules;
}

// Grid columns that carry colours.
constexpr std::size_t kTemperature = 1;
constexpr std::size_t kPrecipitation = 2;
constexpr std::size_t kHumidity = 3;
constexpr std::size_t kVisibility = 4;
constexpr std::size_t kMaxWindSpeed = 6;
constexpr std::size_t kMeanWindSpeed = 10;

}  // namespace

GridRowColours colourGridRow(const GridRowTexts& texts) {
  const auto byNumber = [&texts](std::span<const ColourRule> rules, std::size_t column,
                                 long long humidity = 0) {
    return firstMatch(rules, texts[column], numericValue(texts[column]), humidity);
  };
  // Humidity counts in whole percent (0 when its text is empty), also for
  // the dry test of visibility.
  const long long humidity = integerValue(texts[kHumidity]);

  GridRowColours colours;
  colours[kTemperature] = byNumber(kTemperatureRules, kTemperature);
  colours[kPrecipitation] = byNumber(precipitationRules(texts[kTemperature]), kPrecipitation);
  colours[kHumidity] = firstMatch(kHumidityRules, texts[kHumidity], static_cast<double>(humidity));
  colours[kVisibility] = byNumber(kVisibilityRules, kVisibility, humidity);
  colours[kMaxWindSpeed] = byNumber(kWindRules, kMaxWindSpeed);
  colours[kMeanWindSpeed] = byNumber(kWindRules, kMeanWindSpeed);
  return colours;
}

bool isColouredGridColumn(std::size_t column) {
  return column == kTemperature || column == kPrecipitation || column == kHumidity ||
         column == kVisibility || column == kMaxWindSpeed || column == kMeanWindSpeed;
}

}  // namespace skyrill
