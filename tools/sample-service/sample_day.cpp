#include "sample_day.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <utility>

#include "directory_api.h"

namespace skyrill::sample {
namespace {

using nlohmann::ordered_json;

// splitmix64: small, fast and the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double uniform(double low, double high) {
    return low + (high - low) * static_cast<double>(next() >> 11) * 0x1.0p-53;
  }
  bool chance(double probability) { return uniform(0, 1) < probability; }
  int pick(int count) { return static_cast<int>(next() % static_cast<std::uint64_t>(count)); }

 private:
  std::uint64_t state_;
};

std::uint64_t seedOf(std::string_view station, std::chrono::sys_days day, int salt) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;  // FNV-1a
  for (unsigned char c : station) hash = (hash ^ c) * 0x100000001B3ULL;
  hash ^= static_cast<std::uint64_t>(day.time_since_epoch().count()) * 0x9E3779B97F4A7C15ULL;
  return hash + static_cast<std::uint64_t>(salt) * 0xD1B54A32D192ED03ULL;
}

enum class Sky { Clear, Cloudy, Rain, Snow, Fog, Haze, Windy };

// What one day is like; the hours vary around it.
struct DayWeather {
  Sky sky = Sky::Clear;
  double meanTemperatureC = 0;
  double temperatureRangeC = 0;  // coolest to warmest hour
  double pressureHpa = 1013;
  double humidityPercent = 60;
  double windSpeedMps = 2;
  double windDirectionDeg = 0;
  bool storm = false;
  int wetFromHour = 0;  // precipitation falls in [wetFromHour, wetToHour)
  int wetToHour = 0;
  double precipitationMmPerHour = 0;
  double snowDepthCm = 0;  // at the start of the day
};

// 0 (cold north) to 9 (warm south), read from the station's second digit.
int climateZone(std::string_view station) {
  return station.size() > 1 ? (station[1] - '0') : 5;
}

double seasonalMeanC(std::string_view station, std::chrono::sys_days day) {
  const std::chrono::year_month_day date(day);
  const auto newYear = std::chrono::sys_days(date.year() / std::chrono::January / 1);
  const double dayOfYear = static_cast<double>((day - newYear).count());
  const int zone = climateZone(station);
  const double annualMeanC = 2 + 2.2 * zone;
  const double amplitudeC = 20 - 1.3 * zone;
  return annualMeanC - amplitudeC * std::cos(2 * std::numbers::pi * (dayOfYear - 15) / 365.25);
}

Sky pickSky(Random& random, double meanC) {
  const double summer = std::clamp((meanC - 5) / 20, 0.0, 1.0);
  const std::array<std::pair<Sky, double>, 6> weights = {{
      {Sky::Snow, meanC < 2 ? 0.18 : 0.0},
      // Rain only when the day is not frozen; near freezing it is rare.
      {Sky::Rain, meanC < 0   ? 0.0
                  : meanC < 2 ? 0.03
                              : 0.12 + 0.18 * summer},
      {Sky::Fog, 0.05},
      {Sky::Haze, 0.05 + 0.08 * (1 - summer)},
      {Sky::Windy, 0.08},
      {Sky::Cloudy, 0.25},
  }};
  double roll = random.uniform(0, 1);
  for (const auto& [sky, weight] : weights) {
    if (roll < weight) return sky;
    roll -= weight;
  }
  return Sky::Clear;
}

void setPrecipitation(DayWeather& weather, Random& random) {
  const bool wet = weather.sky == Sky::Rain || weather.sky == Sky::Snow;
  if (!wet) return;
  weather.wetFromHour = random.pick(18);
  weather.wetToHour = std::min(24, weather.wetFromHour + 3 + random.pick(12));
  weather.precipitationMmPerHour =
      weather.sky == Sky::Snow ? random.uniform(0.2, 1.2) : random.uniform(0.3, 8);
  if (weather.sky == Sky::Snow) weather.snowDepthCm = random.uniform(0, 12);
}

DayWeather dayWeather(std::string_view station, std::chrono::sys_days day) {
  Random random(seedOf(station, day, 0));
  DayWeather weather;
  weather.meanTemperatureC = seasonalMeanC(station, day) + random.uniform(-3, 3);
  weather.sky = pickSky(random, weather.meanTemperatureC);
  if (weather.sky == Sky::Snow) weather.meanTemperatureC = std::min(weather.meanTemperatureC, 0.5);
  const bool dull = weather.sky == Sky::Rain || weather.sky == Sky::Fog || weather.sky == Sky::Snow;
  weather.temperatureRangeC = dull ? random.uniform(2, 5) : random.uniform(7, 13);
  weather.pressureHpa = 1016 - 0.4 * weather.meanTemperatureC + random.uniform(-5, 6) -
                        (weather.sky == Sky::Rain ? 4 : 0);
  weather.humidityPercent = dull ? random.uniform(85, 97) : random.uniform(40, 70);
  if (weather.sky == Sky::Haze) weather.humidityPercent = random.uniform(65, 85);
  weather.windDirectionDeg = random.uniform(0, 360);
  weather.storm = weather.sky == Sky::Windy && random.chance(0.2);
  weather.windSpeedMps = weather.sky == Sky::Windy ? random.uniform(6, 11) : random.uniform(0.5, 4);
  if (weather.storm) weather.windSpeedMps = random.uniform(11, 14);
  if (weather.sky == Sky::Fog || weather.sky == Sky::Haze) weather.windSpeedMps *= 0.4;
  setPrecipitation(weather, random);
  return weather;
}

// Dividing the rounded whole number keeps the result the double nearest the decimal.
double roundTo(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

int wrapDegrees(double degrees) {
  const int whole = static_cast<int>(std::lround(degrees)) % 360;
  return whole < 0 ? whole + 360 : whole;
}

// Kilometres, finer below 1 km where fog lives.
double roundVisibility(double km) {
  return km < 1 ? roundTo(km, 2) : roundTo(km, 1);
}

double visibilityKm(const DayWeather& weather, Random& random, int hour, bool wetHour) {
  switch (weather.sky) {
    case Sky::Fog:
      return hour < 10 ? random.uniform(0.05, 0.8) : random.uniform(1.5, 5);
    case Sky::Haze:
      return random.uniform(1.8, 4.8);
    case Sky::Snow:
      return wetHour ? random.uniform(0.6, 3) : random.uniform(4, 10);
    case Sky::Rain:
      return wetHour ? 12 / (1 + weather.precipitationMmPerHour) + random.uniform(0, 2)
                     : random.uniform(8, 15);
    case Sky::Cloudy:
      return random.uniform(12, 25);
    default:
      return random.uniform(18, 30);
  }
}

// The hour's weather as a present-weather code number: 0 none, 5 haze,
// 18 squalls, 45 fog, 61 rain, 71 snow.
int phenomena(const DayWeather& weather, bool wetHour, double visibilityKm) {
  if (wetHour) return weather.sky == Sky::Snow ? kSnowCode : kRainCode;
  if (weather.sky == Sky::Fog && visibilityKm < 1) return kFogCode;
  if (weather.sky == Sky::Haze) return kHazeCode;
  if (weather.storm) return kSquallCode;
  return 0;
}

std::string utcTimeText(std::chrono::sys_days day, int hour) {
  const auto time = std::chrono::sys_seconds(day) + std::chrono::hours(hour - 8);
  const auto utcDay = std::chrono::floor<std::chrono::days>(time);
  const std::chrono::year_month_day date(utcDay);
  const auto hours = std::chrono::duration_cast<std::chrono::hours>(time - utcDay).count();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:00:00", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(hours));
  return text;
}

void addWind(ordered_json& record, const DayWeather& weather, Random& random, double phase) {
  const double meanMps =
      std::max(0.0, weather.windSpeedMps * (1 + 0.35 * phase) + random.uniform(-0.5, 0.5));
  const double instantMps = meanMps * random.uniform(0.7, 1.25);
  const double gustMps = std::max(instantMps, meanMps * random.uniform(1.3, 1.7) + 0.3);
  const double directionDeg = weather.windDirectionDeg + random.uniform(-30, 30);
  record["WD0mMAX1h"] = wrapDegrees(directionDeg + random.uniform(-25, 25));
  record["WS0mMAX1h"] = roundTo(gustMps, 1);
  record["WD2m"] = wrapDegrees(directionDeg);
  record["WS2m"] = roundTo(meanMps, 1);
  record["WD0m"] = wrapDegrees(directionDeg + random.uniform(-20, 20));
  record["WS0m"] = roundTo(instantMps, 1);
}

double precipitationMm(const DayWeather& weather, Random& random, bool wetHour) {
  if (!wetHour) return 0;
  return roundTo(weather.precipitationMmPerHour * random.uniform(0.2, 1.8), 1);
}

// Now and then a value is missing (absent or null) or carries a correction.
void addIrregularities(ordered_json& record, Random& random) {
  static constexpr std::array<const char*, 6> kMissable = {"T", "P", "RH", "WS2m", "V10m", "V"};
  if (random.chance(0.04)) record.erase(kMissable[random.pick(kMissable.size())]);
  if (random.chance(0.03)) record[kMissable[random.pick(kMissable.size())]] = nullptr;
  if (random.chance(0.06) && record.contains("T") && record["T"].is_number()) {
    record["acc"] = {{"T", roundTo(record["T"].get<double>() + random.uniform(-0.4, 0.4), 1)}};
  } else if (random.chance(0.3) && record["R1h"].get<double>() > 0) {
    record["acc"] = {{"R1h", roundTo(record["R1h"].get<double>() * 1.1, 1)}};
  }
}

// The warming of a day since the middle of 2006, the middle of the normal
// period 1991-2020: below 0 before it.
double warmingC(std::chrono::sys_days day, double perDecadeC) {
  constexpr std::chrono::sys_days kMiddle{std::chrono::year(2006) / std::chrono::July / 1};
  return perDecadeC * static_cast<double>((day - kMiddle).count()) / (3652.5);
}

ordered_json hourlyRecord(std::string_view station, std::chrono::sys_days day,
                          const DayWeather& weather, double warmC, double& snowDepthCm, int hour) {
  Random random(seedOf(station, day, hour + 1));
  const double phase = std::cos(2 * std::numbers::pi * (hour - 14) / 24);  // 1 at 14:00
  const bool wetHour = hour >= weather.wetFromHour && hour < weather.wetToHour;
  const double temperatureC = weather.meanTemperatureC + warmC +
                              weather.temperatureRangeC / 2 * phase + random.uniform(-0.4, 0.4);
  const double humidity = weather.sky == Sky::Fog && hour < 10
                              ? random.uniform(96, 100)
                              : weather.humidityPercent - 12 * phase + random.uniform(-3, 3);
  const double precipitation = precipitationMm(weather, random, wetHour);
  if (weather.sky == Sky::Snow) snowDepthCm += precipitation;  // about 1 cm per mm of water
  const double visibility = roundVisibility(visibilityKm(weather, random, hour, wetHour));

  ordered_json record;
  record["time"] = utcTimeText(day, hour);
  record["T"] = roundTo(temperatureC, 1);
  record["P"] = roundTo(weather.pressureHpa - std::cos(2 * std::numbers::pi * (hour - 10) / 12) +
                            random.uniform(-0.2, 0.2),
                        1);
  record["RH"] = std::lround(std::clamp(humidity, 8.0, 100.0));
  addWind(record, weather, random, phase);
  record["R1h"] = precipitation;
  record["V10m"] = visibility;
  record["V"] = roundVisibility(visibility * random.uniform(0.9, 1.05));
  record["SD"] = weather.sky == Sky::Snow ? ordered_json(std::lround(snowDepthCm)) : nullptr;
  record["WX"] = phenomena(weather, wetHour, visibility);
  record["name"] = stationName(station);
  addIrregularities(record, random);
  return record;
}

}  // namespace

bool isKnownStation(std::string_view station) {
  return station.size() == 5 && station.front() != '0' &&
         std::all_of(station.begin(), station.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string stationName(std::string_view station) {
  return directoryCity(station).value_or("测站" + std::string(station));
}

ordered_json sampleRecords(std::string_view station, std::chrono::sys_days beijingDay,
                           int hourCount, double warmingPerDecadeC) {
  const DayWeather weather = dayWeather(station, beijingDay);
  const double warmC = warmingC(beijingDay, warmingPerDecadeC);
  double snowDepthCm = weather.snowDepthCm;
  ordered_json records = ordered_json::array();
  for (int hour = 0; hour < std::clamp(hourCount, 0, 24); ++hour) {
    records.push_back(hourlyRecord(station, beijingDay, weather, warmC, snowDepthCm, hour));
  }
  return records;
}

}  // namespace skyrill::sample
