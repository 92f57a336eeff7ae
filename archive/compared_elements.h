#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/day_figures.h"
#include "core/day_series.h"

// The elements stations are compared by: a day's value as the summary gives
// it, an hour's value as the day chart draws it, and the choices of the
// comparison window, which name one of each.
namespace skyrill {

// A value of a day: the summary's panels, and the mean humidity.
enum class DailyElement {
  HighestTemperature,
  LowestTemperature,
  MeanTemperature,
  Precipitation,
  LargestHourly,
  HighestWind,
  MeanPressure,
  LowestVisibility,
  MeanHumidity,
};

// A panel's element by its name ("最高气温") or its ASCII alias ("tmax");
// nothing for any other text. The mean humidity is no panel and has neither.
std::optional<DailyElement> readDailyElement(std::string_view text);
// The names and aliases readDailyElement takes, for a usage text:
// "最高气温 (tmax), 最低气温 (tmin), …".
std::string dailyElementChoices();

std::string dailyElementName(DailyElement element);
std::string_view dailyElementUnit(DailyElement element);
// The day's value as the summary's value cell shows it; empty when none.
std::string dailyCell(const SummaryRow& day, DailyElement element);
// The number of that cell.
std::optional<double> dailyValue(const SummaryRow& day, DailyElement element);

// A value of an hour slot.
enum class HourElement { Temperature, Precipitation, Humidity, Pressure, WindSpeed, Visibility };

std::string_view hourElementUnit(HourElement element);
// The decimals a value of the element is shown with.
int hourElementDecimals(HourElement element);
// The hour's value as the day chart reads it: nothing when the slot lacks
// the element, or for a negative visibility.
std::optional<double> hourValue(const HourlyRecord& hour, HourElement element);

// What the comparison window offers; each names an hour's element for a
// day and one or two daily elements for a period.
enum class ComparedElement {
  Temperature,
  HighestLowest,  // periods only
  Precipitation,
  Humidity,
  Pressure,
  WindSpeed,
  Visibility,
};
inline constexpr ComparedElement kComparedElements[] = {
    ComparedElement::Temperature, ComparedElement::HighestLowest, ComparedElement::Precipitation,
    ComparedElement::Humidity,    ComparedElement::Pressure,      ComparedElement::WindSpeed,
    ComparedElement::Visibility};

// Its name in the window's list: "气温", "最高/最低气温", …
std::string comparedElementName(ComparedElement element);
// The daily elements of a period; the hour's element of a day (none for the
// highest and lowest temperature).
std::vector<DailyElement> dailyElementsOf(ComparedElement element);
std::optional<HourElement> hourElementOf(ComparedElement element);

}  // namespace skyrill
