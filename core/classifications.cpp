#include "core/classifications.h"

#include <array>

#include "core/numeric_text.h"

namespace skyrill {

namespace {

// A class label with the lowest value that reaches it.
struct Bound {
  double atLeast;
  const char* label;
};

// The label of the first bound the value reaches; "" below all of them.
template <std::size_t N>
std::string_view firstReached(const std::array<Bound, N>& bounds, double value) {
  for (const Bound& bound : bounds) {
    if (isAtLeast(value, bound.atLeast)) return bound.label;
  }
  return "";
}

// Lower bounds of wind force levels 1 to 18, m/s.
constexpr std::array<double, 18> kWindForceBounds = {0.3,  1.6,  3.4,  5.5,  8.0,  10.8,
                                                     13.9, 17.2, 20.8, 24.5, 28.5, 32.7,
                                                     37.0, 41.5, 46.2, 51.0, 56.1, 61.3};

constexpr std::array<Bound, 4> kHourlyRain = {
    {{16.0, "（暴）"}, {8.1, "（大）"}, {2.6, "（中）"}, {0.1, "（小）"}}};
constexpr std::array<Bound, 4> kHourlySnow = {
    {{5.0, "（暴雪）"}, {2.5, "（大雪）"}, {1.0, "（中雪）"}, {0.1, "（小雪）"}}};

constexpr std::array<Bound, 6> kDailyRain = {{{250, "（特大暴雨）"},
                                              {100, "（大暴雨）"},
                                              {50, "（暴雨）"},
                                              {25, "（大雨）"},
                                              {10, "（中雨）"},
                                              {0.1, "（小雨）"}}};
constexpr std::array<Bound, 1> kDailySleet = {{{0.1, "（雨夹雪）"}}};
constexpr std::array<Bound, 6> kDailySnow = {{{30, "（特大暴雪）"},
                                              {20, "（大暴雪）"},
                                              {10, "（暴雪）"},
                                              {5, "（大雪）"},
                                              {2.5, "（中雪）"},
                                              {0.1, "（小雪）"}}};

constexpr std::array<const char*, 13> kVisibilityLabels = {
    "",           "（轻雾）",     "（轻微霾）",    "（轻度霾）", "（中度霾）",
    "（重度霾）", "（大雾）",     "（沙尘暴）",    "（浓雾）",   "（强沙尘暴）",
    "（强浓雾）", "（特强浓雾）", "（特强沙尘暴）"};

// One rule of the visibility classes: visibility at most `atMostKm` and
// humidity below `humidityBelow` (no humidity test when 0).
struct VisibilityRule {
  double atMostKm;
  long long humidityBelow;
  int visibilityClass;
};

// Tried in order; the first that holds gives the class.
constexpr std::array<VisibilityRule, 13> kVisibilityRules = {{
    {0.05, 50, 12},
    {0.05, 0, 11},
    {0.2, 55, 9},
    {0.2, 0, 10},
    {0.5, 55, 9},
    {0.5, 0, 8},
    {1.0, 60, 7},
    {1.0, 0, 6},
    {2.0, 65, 5},
    {3.0, 70, 4},
    {5.0, 75, 3},
    {10.0, 80, 2},
    {10.0, 0, 1},
}};

}  // namespace

int windForceLevel(double speedMps) {
  for (int level = static_cast<int>(kWindForceBounds.size()); level >= 1; --level) {
    if (isAtLeast(speedMps, kWindForceBounds[static_cast<std::size_t>(level - 1)])) return level;
  }
  return 0;
}

std::string_view windForceLabel(double speedMps) {
  static constexpr std::array<std::string_view, 19> kLabels = {
      "（0级）",  "（1级）",  "（2级）",  "（3级）",  "（4级）",     "（5级）",  "（6级）",
      "（7级）",  "（8级）",  "（9级）",  "（10级）", "（11级）",    "（12级）", "（13级）",
      "（14级）", "（15级）", "（16级）", "（17级）", "（17级以上）"};
  return kLabels[static_cast<std::size_t>(windForceLevel(speedMps))];
}

int visibilityClass(double visibilityKm, long long humidityPercent) {
  // A negative visibility is a mark, not a distance (the statistics and the
  // chart skip it too): it must not read as the thickest fog.
  if (isLess(visibilityKm, 0)) return 0;
  const long long humidity = humidityPercent <= 0 ? 100 : humidityPercent;
  for (const VisibilityRule& rule : kVisibilityRules) {
    const bool humidityHolds = rule.humidityBelow == 0 || humidity < rule.humidityBelow;
    if (isAtMost(visibilityKm, rule.atMostKm) && humidityHolds) return rule.visibilityClass;
  }
  return 0;
}

std::string_view visibilityClassLabel(int visibilityClass) {
  if (visibilityClass < 0 || visibilityClass >= static_cast<int>(kVisibilityLabels.size())) {
    return "";
  }
  return kVisibilityLabels[static_cast<std::size_t>(visibilityClass)];
}

std::string_view hourlyPrecipitationLabel(double amountMm, std::string_view temperatureText) {
  return hourlyPrecipitationLabel(amountMm, temperatureText.empty()
                                                ? std::nullopt
                                                : std::optional(numericValue(temperatureText)));
}

std::string_view hourlyPrecipitationLabel(double amountMm, std::optional<double> temperatureC) {
  const bool rainScale = !temperatureC || isGreater(*temperatureC, 1.5);
  return rainScale ? firstReached(kHourlyRain, amountMm) : firstReached(kHourlySnow, amountMm);
}

std::string_view dailyPrecipitationLabel(double totalMm, double wetMeanTemperatureC) {
  if (isGreater(wetMeanTemperatureC, 3.0)) return firstReached(kDailyRain, totalMm);
  if (isGreater(wetMeanTemperatureC, 1.5)) return firstReached(kDailySleet, totalMm);
  return firstReached(kDailySnow, totalMm);
}

PrecipitationPhase precipitationPhase(std::string_view temperatureText) {
  if (temperatureText.empty()) return PrecipitationPhase::Rain;
  return precipitationPhase(numericValue(temperatureText));
}

PrecipitationPhase precipitationPhase(std::optional<double> temperatureC) {
  if (!temperatureC) return PrecipitationPhase::Rain;
  if (isGreater(*temperatureC, 3.0)) return PrecipitationPhase::Rain;
  if (isGreater(*temperatureC, 1.5)) return PrecipitationPhase::Sleet;
  return PrecipitationPhase::Snow;
}

}  // namespace skyrill
