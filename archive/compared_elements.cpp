#include "archive/compared_elements.h"

#include <array>

#include "core/numeric_text.h"

namespace skyrill {
namespace {

// The panels of the daily elements that have one, with their aliases.
struct PanelElement {
  DailyElement element;
  StatisticIndex panel;
  std::string_view alias;
};

constexpr std::array<PanelElement, 8> kPanelElements = {{
    {DailyElement::HighestTemperature, kHighestTemperatureStat, "tmax"},
    {DailyElement::LowestTemperature, kLowestTemperatureStat, "tmin"},
    {DailyElement::MeanTemperature, kMeanTemperatureStat, "tmean"},
    {DailyElement::Precipitation, kPrecipitationStat, "precip"},
    {DailyElement::LargestHourly, kLargestHourlyStat, "rain1h"},
    {DailyElement::HighestWind, kHighestWindStat, "wind"},
    {DailyElement::MeanPressure, kMeanPressureStat, "pressure"},
    {DailyElement::LowestVisibility, kLowestVisibilityStat, "vis"},
}};

const PanelElement* panelOf(DailyElement element) {
  for (const PanelElement& panel : kPanelElements) {
    if (panel.element == element) return &panel;
  }
  return nullptr;
}

// The unit and the decimals of each HourElement, in its order.
struct HourElementForm {
  std::string_view unit;
  int decimals;
};
constexpr std::array<HourElementForm, 6> kHourElements = {
    {{"℃", 1}, {"mm", 1}, {"%", 0}, {"hPa", 1}, {"m/s", 1}, {"km", 3}}};

// The window's choices, in the order of ComparedElement.
struct Choice {
  std::string_view name;
  std::optional<HourElement> hour;
  DailyElement daily;
  std::optional<DailyElement> secondDaily;
};
const Choice& choiceOf(ComparedElement element) {
  static const std::array<Choice, 7> choices = {{
      {"气温", HourElement::Temperature, DailyElement::MeanTemperature, std::nullopt},
      {"最高/最低气温", std::nullopt, DailyElement::HighestTemperature,
       DailyElement::LowestTemperature},
      {"降水量", HourElement::Precipitation, DailyElement::Precipitation, std::nullopt},
      {"相对湿度", HourElement::Humidity, DailyElement::MeanHumidity, std::nullopt},
      {"气压", HourElement::Pressure, DailyElement::MeanPressure, std::nullopt},
      {"风速", HourElement::WindSpeed, DailyElement::HighestWind, std::nullopt},
      {"能见度", HourElement::Visibility, DailyElement::LowestVisibility, std::nullopt},
  }};
  return choices.at(static_cast<std::size_t>(element));
}

constexpr std::string_view kHumidityName = "平均相对湿度";
constexpr std::string_view kHumidityUnit = "%";

std::optional<double> slotValue(const std::string& text) {
  if (!hasSlotText(text)) return std::nullopt;
  return slotNumber(text);
}

}  // namespace

std::optional<DailyElement> readDailyElement(std::string_view text) {
  for (const PanelElement& panel : kPanelElements) {
    if (text == panel.alias || text == statisticName(panel.panel)) return panel.element;
  }
  return std::nullopt;
}

std::string dailyElementChoices() {
  std::string choices;
  for (const PanelElement& panel : kPanelElements) {
    if (!choices.empty()) choices += ", ";
    choices += statisticName(panel.panel) + " (" + std::string(panel.alias) + ")";
  }
  return choices;
}

std::string dailyElementName(DailyElement element) {
  const PanelElement* panel = panelOf(element);
  return panel ? statisticName(panel->panel) : std::string(kHumidityName);
}

std::string_view dailyElementUnit(DailyElement element) {
  const PanelElement* panel = panelOf(element);
  return panel ? statisticUnit(panel->panel) : kHumidityUnit;
}

std::string dailyCell(const SummaryRow& day, DailyElement element) {
  if (const PanelElement* panel = panelOf(element)) return day.statistics[panel->panel].value;
  const auto& humidity = day.figures.meanHumidity;
  return humidity ? roundedText(*humidity, 1) : std::string();
}

std::optional<double> dailyValue(const SummaryRow& day, DailyElement element) {
  if (const PanelElement* panel = panelOf(element)) return shownValue(day.statistics[panel->panel]);
  return day.figures.meanHumidity;
}

std::string_view hourElementUnit(HourElement element) {
  return kHourElements[static_cast<std::size_t>(element)].unit;
}

int hourElementDecimals(HourElement element) {
  return kHourElements[static_cast<std::size_t>(element)].decimals;
}

std::optional<double> hourValue(const HourlyRecord& hour, HourElement element) {
  switch (element) {
    case HourElement::Temperature:
      return slotValue(hour.temperature);
    case HourElement::Precipitation:
      return slotValue(hour.precipitation);
    case HourElement::Humidity:
      return slotValue(hour.humidity);
    case HourElement::Pressure:
      return slotValue(hour.pressure);
    case HourElement::WindSpeed:
      return slotValue(hour.windSpeed);
    case HourElement::Visibility:
      break;
  }
  // The day chart draws no square for a negative visibility.
  const auto km = slotValue(hour.visibility);
  return km && isAtLeast(*km, 0) ? km : std::nullopt;
}

std::string comparedElementName(ComparedElement element) {
  return std::string(choiceOf(element).name);
}

std::vector<DailyElement> dailyElementsOf(ComparedElement element) {
  const Choice& choice = choiceOf(element);
  std::vector<DailyElement> elements = {choice.daily};
  if (choice.secondDaily) elements.push_back(*choice.secondDaily);
  return elements;
}

std::optional<HourElement> hourElementOf(ComparedElement element) {
  return choiceOf(element).hour;
}

}  // namespace skyrill
