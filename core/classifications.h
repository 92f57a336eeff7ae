#pragma once

#include <optional>
#include <string_view>

// Weather classes of single values and their labels in full-width brackets;
// the labels are constants.
// Every comparison uses compareTolerance.
namespace skyrill {

enum class PrecipitationPhase { Rain, Sleet, Snow };

// Wind force 0 to 18 of a speed in m/s.
int windForceLevel(double speedMps);
// "（5级）", "（0级）", "（17级以上）" for level 18.
std::string_view windForceLabel(double speedMps);

// Fog, haze and dust class 0 to 12 of a visibility in km with the relative
// humidity in whole percent (0 or less counts as 100). A negative
// visibility has class 0.
int visibilityClass(double visibilityKm, long long humidityPercent);
// "" for class 0, "（轻雾）" for 1 ... "（特强沙尘暴）" for 12.
std::string_view visibilityClassLabel(int visibilityClass);

// Intensity label of an hourly amount; the snow scale when the temperature
// text has a number at most 1.5, the rain scale otherwise.
std::string_view hourlyPrecipitationLabel(double amountMm, std::string_view temperatureText);
// The same with the temperature read: none when the text is empty.
std::string_view hourlyPrecipitationLabel(double amountMm, std::optional<double> temperatureC);
// Class label of a day's total by the mean temperature of its wet hours.
std::string_view dailyPrecipitationLabel(double totalMm, double wetMeanTemperatureC);
// Rain when the temperature text is empty or above 3.0, Sleet above 1.5,
// Snow otherwise.
PrecipitationPhase precipitationPhase(std::string_view temperatureText);
// The same with the temperature read: Rain when there is none.
PrecipitationPhase precipitationPhase(std::optional<double> temperatureC);

}  // namespace skyrill
