#include "core/day_texts.h"

#include "core/classifications.h"
#include "core/numeric_text.h"
#include "json/json_document.h"

namespace skyrill {

namespace {

// A panel's place and caption.
struct Panel {
  int bar;
  int panel;
  const char* caption;
};

constexpr Panel kHighestTemperature{1, 0, "最高气温："};
constexpr Panel kLowestTemperature{1, 1, "最低气温："};
constexpr Panel kPrecipitationTotal{1, 2, "降水量："};
constexpr Panel kLargestHourly{1, 3, "最大小时雨强："};
constexpr Panel kMeanTemperature{2, 0, "平均气温："};
constexpr Panel kHighestWind{2, 1, "最高风速："};
constexpr Panel kHighestPressure{2, 2, "最高气压："};
constexpr Panel kLowestPressure{2, 3, "最低气压："};
constexpr Panel kMeanPressure{3, 0, "平均气压："};
constexpr Panel kLowestVisibility{3, 1, "最低能见度："};
constexpr Panel kFetchTime{3, 2, "数据获取时间："};

constexpr const char* kNoData = "无数据";

// The value text of a statistic: rounded half away to `roundTo` decimals
// first unless `roundTo` is negative, then written with `decimals`.
std::string statisticText(double value, int roundTo, int decimals) {
  return formatFixed(roundTo < 0 ? value : roundHalfAway(value, roundTo), decimals);
}

double meanOf(double sum, int count) {
  return count > 0 ? sum / count : 0;
}

// The panels in bar order.
constexpr std::array<Panel, kStatusLineCount> kPanelsInBarOrder = {
    kHighestTemperature, kLowestTemperature, kPrecipitationTotal, kLargestHourly,
    kMeanTemperature,    kHighestWind,       kHighestPressure,    kLowestPressure,
    kMeanPressure,       kLowestVisibility,  kFetchTime};
// The unit each panel writes after its value, in bar order.
constexpr std::array<std::string_view, kStatusLineCount> kPanelUnits = {
    "℃", "℃", "mm", "mm", "℃", "m/s", "hPa", "hPa", "hPa", "km", ""};
// The bar-order index of each panel in the order the panels are written.
constexpr std::array<std::size_t, kStatusLineCount> kWritingOrder = {0, 1, 4, 6, 7, 8,
                                                                     2, 3, 5, 9, 10};

// A panel's figure from its element's coverage.
PanelFigure figure(const ElementCoverage& coverage, std::string value,
                   std::string_view label = {}) {
  if (!coverage.present) return {false, false, {}, {}};
  return {true, coverage.incomplete, std::move(value), std::string(label)};
}

StatusLine panelLine(std::size_t barIndex, const PanelFigure& figure) {
  const Panel& panel = kPanelsInBarOrder[barIndex];
  std::string text = panel.caption;
  if (!figure.present) return {panel.bar, panel.panel, text + kNoData};
  text += figure.value;
  text += kPanelUnits[barIndex];
  if (figure.incomplete) text += "*";
  text += figure.label;
  return {panel.bar, panel.panel, text};
}

std::string dayKind(QueryMode mode) {
  return mode == QueryMode::Today ? "天气实况" : "历史天气";
}

}  // namespace

std::string composeDayTitle(QueryMode mode, const JsonDocument& document) {
  return dayKind(mode) + "\r\n" + document.getText("date") + "\r\n" +
         document.getText("res[0].name") + " " + document.getText("wmo");
}

std::string composePictureCaption(QueryMode mode, const JsonDocument& document,
                                  std::string_view sourceLabel) {
  constexpr std::string_view kGap = "\u3000";  // an ideographic space
  const std::string source = sourceLabel == kLocalFileLabel
                                 ? std::string(sourceLabel)
                                 : "数据服务（" + std::string(sourceLabel) + " 获取）";
  return document.getText("res[0].name") + " " + document.getText("wmo") + std::string(kGap) +
         document.getText("date") + std::string(kGap) + dayKind(mode) + std::string(kGap) +
         "来源：" + source;
}

std::array<PanelFigure, kStatusLineCount> composePanelFigures(const DailySummary& summary,
                                                              int maxVisibilityClass,
                                                              std::string_view sourceLabel) {
  const ElementCoverage& temperature = summary.temperatureCoverage;
  const ElementCoverage& pressure = summary.pressureCoverage;
  const ElementCoverage& precipitation = summary.precipitationCoverage;
  const double meanTemperature = meanOf(summary.temperatureSum, summary.temperatureCount);
  const double meanPressure = meanOf(summary.pressureSum, summary.pressureCount);
  constexpr int kNoRounding = -1;
  return {
      figure(temperature, statisticText(summary.maxTemperature, 1, 1)),
      figure(temperature, statisticText(summary.minTemperature, 1, 1)),
      figure(precipitation, statisticText(summary.totalPrecipitation, 1, 1),
             summary.dayPrecipitationLabel),
      figure(precipitation, statisticText(summary.maxHourlyPrecipitation, 1, 1),
             summary.maxHourlyLabel),
      figure(temperature, statisticText(meanTemperature, 2, 2)),
      figure(summary.windSpeedCoverage, statisticText(summary.maxWindSpeed, kNoRounding, 1),
             summary.maxWindForceLabel),
      figure(pressure, statisticText(summary.maxPressure, kNoRounding, 1)),
      figure(pressure, statisticText(summary.minPressure, kNoRounding, 1)),
      figure(pressure, statisticText(meanPressure, 1, 1)),
      figure(summary.visibilityCoverage, statisticText(summary.minVisibility, kNoRounding, 3),
             visibilityClassLabel(maxVisibilityClass)),
      PanelFigure{true, false, std::string(sourceLabel), {}},
  };
}

std::array<StatusLine, kStatusLineCount> composeStatusLines(const DailySummary& summary,
                                                            int maxVisibilityClass,
                                                            std::string_view sourceLabel) {
  const auto figures = composePanelFigures(summary, maxVisibilityClass, sourceLabel);
  std::array<StatusLine, kStatusLineCount> lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t barIndex = kWritingOrder[i];
    lines[i] = panelLine(barIndex, figures[barIndex]);
  }
  return lines;
}

std::string_view panelUnit(std::size_t barIndex) {
  return kPanelUnits[barIndex];
}

std::array<StatusLine, kStatusLineCount> initialStatusLines() {
  std::array<StatusLine, kStatusLineCount> lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Panel& panel = kPanelsInBarOrder[i];
    lines[i] = {panel.bar, panel.panel, panel.caption};
  }
  return lines;
}

}  // namespace skyrill
