#include "core/daily_summary.h"

#include "core/classifications.h"
#include "core/numeric_text.h"

namespace skyrill {

namespace {

// A slot's element: whether its cleaned text is non-empty, and its number.
struct SlotValue {
  bool present = false;
  double number = 0;
};

// Reads the slot's cell and notes whether the slot has the element.
SlotValue readSlot(const std::optional<double>& known, std::string_view slotText,
                   ElementCoverage& coverage) {
  const bool present = cellPresent(known, slotText);
  (present ? coverage.present : coverage.incomplete) = true;
  return {present, cellSlotNumber(known, slotText)};
}

// Sums stay finite however large the values read, so no mean turns into
// inf or NaN.
void addTo(double& sum, double value) {
  sum = clampFinite(sum + value);
}

// Extremes keep the first of equal values: only a clearly greater (or
// less) value replaces them.
void addToRange(double value, double& max, double& min, double& sum, int& count) {
  if (isGreater(value, max)) max = value;
  if (isLess(value, min)) min = value;
  addTo(sum, value);
  ++count;
}

void addPrecipitation(DailySummary& summary, const std::optional<double>& known,
                      std::string_view text, std::size_t index) {
  const double amount = readSlot(known, text, summary.precipitationCoverage).number;
  if (isGreater(amount, 0)) {
    addTo(summary.totalPrecipitation, amount);
    summary.wetSlots[index] = true;
  }
  if (isGreater(amount, summary.maxHourlyPrecipitation)) summary.maxHourlyPrecipitation = amount;
}

void addTemperature(DailySummary& summary, const std::optional<double>& known,
                    std::string_view text, std::size_t index) {
  const SlotValue slot = readSlot(known, text, summary.temperatureCoverage);
  if (!slot.present) return;
  const double temperature = slot.number;
  addToRange(temperature, summary.maxTemperature, summary.minTemperature, summary.temperatureSum,
             summary.temperatureCount);
  if (summary.wetSlots[index]) {
    addTo(summary.wetTemperatureSum, temperature);
    ++summary.wetTemperatureCount;
  }
}

void addPressure(DailySummary& summary, const std::optional<double>& known, std::string_view text) {
  const SlotValue slot = readSlot(known, text, summary.pressureCoverage);
  if (!slot.present) return;
  addToRange(slot.number, summary.maxPressure, summary.minPressure, summary.pressureSum,
             summary.pressureCount);
}

void addVisibility(DailySummary& summary, const std::optional<double>& known,
                   std::string_view text) {
  const SlotValue slot = readSlot(known, text, summary.visibilityCoverage);
  if (!slot.present) return;
  const double visibility = slot.number;
  // A negative visibility is a mark, not a distance.
  if (isAtLeast(visibility, 0) && isLess(visibility, summary.minVisibility)) {
    summary.minVisibility = visibility;
  }
}

void addWindSpeed(DailySummary& summary, const std::optional<double>& known,
                  std::string_view text) {
  const double speed = readSlot(known, text, summary.windSpeedCoverage).number;
  if (isGreater(speed, summary.maxWindSpeed)) summary.maxWindSpeed = speed;
}

}  // namespace

DailySummary computeDailySummary(const DaySeries& series, const DayNumbers& numbers) {
  DailySummary summary;
  for (std::size_t i = 0; i < series.hours.size(); ++i) {
    const HourlyRecord& hour = series.hours[i];
    const SlotNumbers& known = numbers[i];
    // Precipitation first: it decides which temperatures are wet ones.
    addPrecipitation(summary, known.precipitation, hour.precipitation, i);
    addTemperature(summary, known.temperature, hour.temperature, i);
    addPressure(summary, known.pressure, hour.pressure);
    addVisibility(summary, known.visibility, hour.visibility);
    addWindSpeed(summary, known.windSpeed, hour.windSpeed);
  }
  if (summary.wetTemperatureCount > 0) {
    const double wetMean = summary.wetTemperatureSum / summary.wetTemperatureCount;
    summary.dayPrecipitationLabel = dailyPrecipitationLabel(summary.totalPrecipitation, wetMean);
    summary.maxHourlyLabel = hourlyPrecipitationLabel(summary.maxHourlyPrecipitation, "");
  }
  summary.maxWindForceLabel = windForceLabel(summary.maxWindSpeed);
  return summary;
}

}  // namespace skyrill
